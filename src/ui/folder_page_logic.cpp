#include "ui/folder_page_logic.h"

namespace tovu::folderpage {

bool OffersDeleteOnExit(const Text& vrelBundle, const Text& rahmensetup, int waitForAutolaunchFinish) {
  const bool asynchronous = vrelBundle == u"0" && waitForAutolaunchFinish == 0;
  return !asynchronous && rahmensetup != u"1";
}

ControlUpdate UpdateControls(int autolaunch, bool extractOnlyChecked, bool offersDeleteOnExit) {
  ControlUpdate u;
  if (autolaunch == 1) {
    u.extractOnlyBox = Visibility::Show;
    u.infoText = Visibility::Show;
    u.autolaunch = extractOnlyChecked ? 0 : 1;
  } else {
    // Nothing is launched: nothing would be deleted after a setup.
    u.deleteBox = Visibility::Hide;
    u.autolaunch = autolaunch;
  }
  if (!offersDeleteOnExit) u.deleteBox = Visibility::Hide;
  return u;
}

ExtractOnlyClick ClickExtractOnly(bool checked, bool offersDeleteOnExit) {
  ExtractOnlyClick c;
  if (checked) {
    c.extractOnly = 1;
    c.autolaunch = 0;
    c.clearDeleteOnExit = true;
    c.deleteBox = Visibility::Hide;
  } else {
    c.extractOnly = 0;
    c.autolaunch = 1;
    c.deleteBox = offersDeleteOnExit ? Visibility::Show : Visibility::Keep;
  }
  return c;
}

}  // namespace tovu::folderpage
