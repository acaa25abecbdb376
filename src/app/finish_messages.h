// Finish messages and return codes: the success and error texts a package
// configures per return code of each setup it launches ([<setup key>]
// ReturnCode_<code>=success:{Key} or error:{Key}, the key's text in the
// setup language's section), its general finish text ([<language>]
// MessageOnFinish), the run status and return code that follow from a
// setup's return code, the text the finish page shows below its main
// text, and the process exit code.
//
// Construction by the application (one object for the whole process):
//
//   CFinishMessages finish(Platform(), log, util, initializer);
//
// It reads the settings path and the setup language from the initialiser
// at each call and writes RunStatus -6 there. Calls:
//   - setup launching: LoadFinishMessages(key) before each setup starts,
//     SetFinishMessage(rc, key) after it ends (launch/setup_launcher.h);
//   - the extraction page: LoadFinishMessages(u"") when extraction is done;
//   - the finish page: GetFinishMessage(), IsReturnCodeUnconfigured(),
//     PrincipalFinishMessage(RunStatus);
//   - ExitInstance: ComputeExitCode(RunStatus, launch-stopped flag,
//     finish.GetReturnCode()).
#pragma once

#include <map>

#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/initializer.h"
#include "settings/profile.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu {

// Keys of the finish-message map.
inline constexpr char16_t kFinishError[] = u"ERROR";
inline constexpr char16_t kFinishSuccess[] = u"SUCCESS";
inline constexpr char16_t kFinishNotSet[] = u"NOTSET";
inline constexpr char16_t kFinishMessageOnFinish[] = u"MessageOnFinish";
inline constexpr char16_t kReturnCodeKeyStem[] = u"ReturnCode_";
inline constexpr char16_t kErrorPrefix[] = u"error:";
inline constexpr char16_t kSuccessPrefix[] = u"success:";

// The application's return code before any setup returned one configured
// as an error.
constexpr int kNoReturnCode = -2;

class CFinishMessages {
 public:
  CFinishMessages(IPlatform& platform, CLogFile& log, CUtil& util, CTovuInitalizer& initializer);

  // Reads the return-code messages of one setup (key "AutoLaunch",
  // "AutoLaunch1", ...; empty: none) and, at the first call of the
  // process, the language's MessageOnFinish.
  void LoadFinishMessages(const Text& setupKey);
  // The prefix ("error:", "success:" or "") of a configured value followed
  // by the text of the key it names in braces ([section] key); a part that
  // is not a key in braces gives the prefix alone.
  Text GetMessageFromLangSection(const Text& value, const Text& languageSection);
  // Records what a setup's return code means: 0, or -1 when it is
  // configured as an error (RunStatus -6, the return code kept).
  int SetFinishMessage(int returnCode, const Text& setupKey);
  // The text under the finish page's main text: the error text, else the
  // success text (unless a code was unconfigured), else MessageOnFinish,
  // else "".
  Text GetFinishMessage() const;
  // True when no error was recorded and some return code was unconfigured.
  bool IsReturnCodeUnconfigured() const;

  // The return code of the setup whose code was configured as an error
  // (kNoReturnCode until then).
  int GetReturnCode() const { return returnCode_; }
  void SetReturnCode(int code) { returnCode_ = code; }

  // Both maps: "<setup key>:returncode_<code>" in lower case -> the
  // configured prefix and text; ERROR / SUCCESS / NOTSET / MessageOnFinish.
  const std::map<Text, Text>& GetReturnCodeMessages() const { return returnCodeMessages_; }
  const std::map<Text, Text>& GetFinishMessages() const { return finishMessages_; }

 private:
  IPlatform& platform_;
  CLogFile& log_;
  CUtil& util_;
  CTovuInitalizer& initializer_;
  CProfile profile_;
  std::map<Text, Text> returnCodeMessages_;
  std::map<Text, Text> finishMessages_;
  int returnCode_ = kNoReturnCode;
};

// The process exit code of ExitInstance: -1 for a part file that was
// missing, invalid or corrupt (RunStatus -2, -3, -5); else the return code
// when the launch was stopped by a return code configured as an error
// (launch-stopped flag 1); else 0.
int ComputeExitCode(int runStatus, int launchStoppedFlag, int returnCode);

// The number of the finish page's principal message for a run status:
// 602 "An error occurred." for -1 and unknown codes, 605 (2), 601 (11),
// 614 (12), 607 (-2), 608 (-3), 615 (-5), 611 (-4 and -6); 0 for
// RunStatus 0, whose text the finish page chooses (610, 600 or 612, and
// 616 when IsReturnCodeUnconfigured).
int PrincipalFinishMessage(int runStatus);

}  // namespace tovu
