// CUnattendedExtracter: the only window of the unattended and silent runs,
// a small progress window (dialog template 921) that is visible in the
// unattended run and never visible in the silent one. It starts the
// extraction worker through the application's worker slot, shows the
// worker's progress, writes the log lines the worker hands it, answers the
// overwrite question (overwriting is on in these runs), and on the
// worker's end either has the application launch the setups or closes.
// The Close command asks whether to cancel; a confirmed cancel stops the
// worker and ends the process with exit code 6.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "ui/win32/dialog.h"
#include "util/text.h"

namespace tovu {

class CLogFile;
class CMessageCatalog;
class CTovuInitalizer;
class CWorkerThreadSlot;

// Resources of the window.
constexpr int IDD_UNATTENDED_EXTRACTER = 921;
constexpr int IDC_UNATTENDED_PROGRESS = 1045;
constexpr int IDC_UNATTENDED_STATUS = 1046;

// The exit code of a run whose extraction the user cancelled.
constexpr int kExitCodeExtractionCancelled = 6;

// What the window uses of the application.
struct UnattendedExtracterServices {
  CLogFile& log;
  CTovuInitalizer& init;
  const CMessageCatalog& messages;
  CWorkerThreadSlot& slot;
  // The worker's thread procedure (the frame's ExtractPackage); it gets
  // the slot, whose context is this window.
  LPTHREAD_START_ROUTINE worker;
  // The caption of the window: the initialiser's DisplayName.
  Text displayName;
  // HandleLaunchSetup without a wizard sheet; runs on the window's thread
  // after WM_EXTRACT_DONE when the autolaunch flag is 1.
  std::function<void()> launchSetups;
  // The application's message-box routine (text, MB_* style) -> button.
  std::function<int(const Text& text, uint32_t style)> messageBox;
  // Ends the process with the exit code (the application's Quit; in the
  // frame it never returns).
  std::function<void(int exitCode)> quit;
  // Sets the application's continue-launching flag to 1 (optional).
  std::function<void()> resetContinueLaunching;
};

class CUnattendedExtracter : public CDialog {
 public:
  // visible: 1 in the unattended run (520), 0 in the silent run (530).
  CUnattendedExtracter(int visible, UnattendedExtracterServices services);
  ~CUnattendedExtracter() override;

  int GetVisibleFlag() const { return visible_; }
  int GetPositionCounter() const { return counter_; }
  int GetClearingFlag() const { return clearing_; }

 protected:
  BOOL OnInitDialog() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  bool PreTranslateMessage(MSG& message) override;

 private:
  void OnExtractProgress(WPARAM subCode, LPARAM value);
  void OnExtractDone();
  void OnClose();
  void SetStatus(int messageNumber);
  void SetRange(int low, int high);

  int visible_;
  UnattendedExtracterServices services_;
  HFONT font_ = nullptr;
  int counter_ = 1;
  int clearing_ = 0;
};

}  // namespace tovu
