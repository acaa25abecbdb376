// The operating-system check before extraction: computes the allowance
// verdict of the running system once per run, prepares the OS message and,
// when the package demands the check ([Package] CheckOs "1") and the
// system is not allowed, asks the user in GUI mode whether to go on.
//
// The application runs it after the extraction password check and keeps
// the verdict (CFennockApp::SetOSCheckResult); the launch of the setups
// reads it later:
//
//   COSCheckBeforeExtraction check(platform, log, osValidator, validator, initializer, messages);
//   int verdict = check.ValidateOSBeforeExtraction(app.GetRunMode(), app,
//                                                  [&app](int code) { app.Quit(code); });
//   app.SetOSCheckResult(verdict);
//
// The message box goes through the application's message-box routine; a
// No ends the program through `quit` with exit code -1 (when `quit`
// returns, as a test's does, the verdict is returned as usual).
#pragma once

#include <functional>

#include "log/log_file.h"
#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

class COSValidator;
class CExtractorValidator;
class CTovuInitalizer;
class CMessageCatalog;
class IMessageBoxRoutine;

// The answers of a Yes/No message box (IDYES, IDNO).
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

class COSCheckBeforeExtraction {
 public:
  using QuitRoutine = std::function<void(int exitCode)>;

  // All arguments must outlive the object.
  COSCheckBeforeExtraction(IPlatform& platform, CLogFile& log, COSValidator& os, CExtractorValidator& validator,
                           CTovuInitalizer& initializer, CMessageCatalog& messages);

  // The verdict for the application to keep: 300 without a check
  // (NoOSCheck set), else the full identification's verdict (300, 301,
  // 302). With autolaunch enabled the OS message is prepared; with
  // [Package] CheckOs "1", verdict 302 and run mode 510 the setup language
  // is chosen and its texts loaded, and the user is asked with text 418:
  // No calls quit(-1).
  int ValidateOSBeforeExtraction(int runMode, IMessageBoxRoutine& messageBox, const QuitRoutine& quit);

  // The system's description in the question: OS name text, edition and
  // service pack ("0" as text 422), joined by blanks.
  Text GetOSDescription();

 private:
  IPlatform& platform_;
  CLogFile& log_;
  COSValidator& os_;
  CExtractorValidator& validator_;
  CTovuInitalizer& init_;
  CMessageCatalog& messages_;
};

}  // namespace tovu
