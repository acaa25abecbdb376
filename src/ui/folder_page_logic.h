// The decisions of the extraction-folder page that need no window: which
// of its check boxes show, and what ticking them does to the run's flags
// (the initialiser's autolaunch flag, the application's extract-only and
// delete-on-exit flags). The Win32 page carries them out on its controls.
#pragma once

#include "util/text.h"

namespace tovu::folderpage {

// What a step does to a control's visibility.
enum class Visibility { Keep, Show, Hide };

// Whether the delete-on-exit box may be offered: not for a frame setup
// ([Tovu] Rahmensetup "1"), nor when the setups run asynchronously
// ([Tovu] VrelBundle "0" with WaitForAutolaunchFinish 0), since the files
// could vanish under a setup that still runs.
bool OffersDeleteOnExit(const Text& vrelBundle, const Text& rahmensetup, int waitForAutolaunchFinish);

// Updating the page's controls (creation and each activation).
struct ControlUpdate {
  Visibility extractOnlyBox = Visibility::Keep;  // 1036
  Visibility infoText = Visibility::Keep;        // 1044
  Visibility deleteBox = Visibility::Keep;       // 1043
  int autolaunch = 0;                            // the autolaunch flag afterwards
};
ControlUpdate UpdateControls(int autolaunch, bool extractOnlyChecked, bool offersDeleteOnExit);

// A click on the extract-only box (its state after the click).
struct ExtractOnlyClick {
  int extractOnly = 0;
  int autolaunch = 0;
  // Ticking clears the delete-on-exit box and its flag.
  bool clearDeleteOnExit = false;
  Visibility deleteBox = Visibility::Keep;
};
ExtractOnlyClick ClickExtractOnly(bool checked, bool offersDeleteOnExit);

// A click on the delete-on-exit box: the flag.
inline int ClickDeleteOnExit(bool checked) { return checked ? 1 : 0; }

}  // namespace tovu::folderpage
