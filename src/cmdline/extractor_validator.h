// CExtractorValidator: the checks of the values that come from the command
// line and the package settings before anything is extracted: the setup
// language, the autolaunch choice, the extraction folder (which candidate,
// whether it is a valid path, not too long, with enough free space), the
// messages for invalid paths, the package's setup languages and its
// license files. It also hosts the operating-system message (CheckOS) and
// the extraction requirements (CheckConditions, connected from outside).
//
// One process-wide object, created at program start over the other
// process-wide services, which must outlive it:
//
//   CExtractorValidator validator(platform, log, messages, util, initializer, osValidator);
//   validator.SetMessageBoxRoutine(&app);          // boxes of the GUI checks
//   validator.SetLocaleCheck(isLocaleInstalled);   // IsValidLocale(LCID_INSTALLED)
//   validator.SetConditionCheck(conditionCheck);   // the [Conditions] evaluation
//
// The initialiser hands over the path of the unpacked settings file
// (SetSettingsPath / SetSettingsFile). The settings are read at each use.
//
// Every operation logs under its own name; message boxes are shown only
// when a show-box argument asks for them and a routine is set. Nothing
// here throws.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/messages.h"
#include "util/text.h"

namespace tovu {

class COSValidator;
class CTovuInitalizer;
class CUtil;
class IMessageBoxRoutine;

class CExtractorValidator {
 public:
  // The extraction requirements check: the setup language in, 1 when
  // extraction is allowed and 0 when not out; `messageKeys` receives the
  // message keys of the requirements not met ("{MsgRequirements};...").
  using ConditionCheck = std::function<int(int language, Text& messageKeys)>;
  // Whether the system has the locale installed (IsValidLocale with
  // LCID_INSTALLED).
  using LocaleCheck = std::function<bool(int lcid)>;

  // The full validator. `util` is the process's utility object (its
  // first-created folder is read by the clean-up), `initializer` receives
  // the extraction folder, the setup language and the autolaunch flag,
  // `os` gives the names of the running system.
  CExtractorValidator(IPlatform& platform, CLogFile& log, CMessageCatalog& messages, CUtil& util,
                      CTovuInitalizer& initializer, COSValidator& os);
  // Only the free-space check (CheckFreeSpace) and the settings reads that
  // need no other service: without the utility object, the initialiser
  // and the OS identification, the operations that need them answer as
  // for an invalid value (-1, 0, empty, 1033) and log at level 0 why.
  CExtractorValidator(IPlatform& platform, CLogFile& log, CMessageCatalog& messages);
  virtual ~CExtractorValidator() = default;

  // ---- connections -------------------------------------------------------
  void SetSettingsPath(const Text& path) { settingsPath_ = path; }
  void SetSettingsFile(const Text& path) { settingsPath_ = path; }
  const Text& GetSettingsPath() const { return settingsPath_; }
  // The routine the message boxes go through (none: nothing is shown).
  void SetMessageBoxRoutine(IMessageBoxRoutine* routine) { messageBox_ = routine; }
  // Without a locale check every locale counts as installed.
  void SetLocaleCheck(LocaleCheck check) { localeCheck_ = std::move(check); }
  // Without a condition check CheckConditions allows extraction.
  void SetConditionCheck(ConditionCheck check) { conditionCheck_ = std::move(check); }

  // ---- setup language ------------------------------------------------------
  // Unattended mode: the command-line value as the setup language (1033
  // when empty or not a number), then SetLanguaeForProgressBar.
  void ValidateSetupLangPassedFromCommandLine(const Text& value);
  // Makes the initialiser's setup language one the package lists and the
  // system has (else 1033), stores it and loads its message texts from the
  // Tovu temp folder.
  void SetLanguaeForProgressBar();
  // The user-interface language when the package lists it, else 1033.
  int GetDefaultSetupLanguage();
  // [Languages] SetupLanguages split at ";" (trimmed, empties dropped).
  void GetSetupLanguages(std::vector<Text>& list);
  bool IsSetupLanguage(int language);

  // ---- autolaunch ----------------------------------------------------------
  // The command-line autolaunch value: "no" switches autolaunch off, any
  // other non-empty value on, when the package has a setup to start.
  void ValidateAndSetAutolaunchFromCommandLine(const Text& value);

  // ---- extraction folder ---------------------------------------------------
  // The first candidate that passes ValidatePathAndSpaceAvailable without
  // boxes: the command-line path, the OS-specific path, [Runtime]
  // ExtractPath, and when that fails %TEMP%\<package name>. The candidate
  // as the check left it (full path, trailing "\"), or empty. `flag` is
  // not used.
  Text GetFinalExtractPathParam(int flag, const Text& commandLinePath, const Text& packageName, uint64_t required);
  // Rebuilds the path (blanks around its parts removed), checks it, its
  // length against [Runtime] ExtractPathMaxLength and the free space of
  // its drive. 0: valid; `path` is then the full path with a trailing "\"
  // and is stored in ExtractPath and as the initialiser's extraction
  // folder. -1: invalid, reported in one OK box when showBox is 1.
  int ValidatePathAndSpaceAvailable(Text& path, int showBox, uint64_t required);
  // Whether the volume of `folder` has `required` bytes free; `message`
  // receives the text to show (available and required space, or why the
  // volume could not be measured). 1 enough, 0 not.
  int CheckFreeSpace(const Text& path, const Text& folder, uint64_t required, Text& message);
  // The text and log line of a path-check error code (161, 5, 82, 206,
  // 400; other codes have none), shown in an OK box when showBox is 1.
  // Returns the text.
  Text ErrorMessagesForInvalidPath(int code, const Text& path, int showBox);

  // ---- license files ---------------------------------------------------------
  // The license file of a language (kind 2: the security-information file):
  // prefix + the file name the package names, when that is a valid license
  // file; a language without an entry falls back to the 1033 entry.
  // Empty when there is none.
  Text CheckLicenseFiles(int language, const Text& prefix, int kind);
  // At least 5 characters, an existing file, ending in ".txt" or ".rtf".
  bool IsValidLicenseFile(const Text& path);

  // ---- hosted checks -----------------------------------------------------------
  // The OS message for a verdict: for 301 the language's MsgOSWarning, for
  // 302 its MsgOSError, with the system's name, edition and service pack
  // put in; empty for other verdicts. Kept as the OS message
  // (GetOSMessage). Returns the verdict. The third argument is not used.
  int CheckOS(int verdict, int language, int unused, int logMessage);
  // The OS message the last CheckOS built ("[NEWLINE]" and "[TAB]"
  // replaced).
  const Text& GetOSMessage() const { return osMessage_; }
  // The system's name as the OS messages show it: a name ending in "64"
  // has every "64" replaced by " 64 Bit" ("Windows10 64 Bit").
  Text GetOSNameText() const;
  // The service pack as the OS messages show it: empty, text 422 for "0",
  // else "SP" + the number.
  Text GetServicePackText() const;
  // The extraction requirements through the connected check: 1 allowed, 0
  // not; ConditionMessageKeys receives the keys of the unmet requirements.
  int CheckConditions(int language);

  // ---- state -----------------------------------------------------------------
  const Text& GetExtractPath() const { return ExtractPath; }
  // The validator's copy of the application's continue-launching flag.
  int GetContinueLaunchingFlag() const { return continueLaunching_; }
  void SetContinueLaunchingFlag(int v) { continueLaunching_ = v; }

  Text ExtractPath;           // the last folder that passed ValidatePathAndSpaceAvailable
  Text ConditionMessageKeys;  // set by CheckConditions

 private:
  Text ReadSetting(const Text& section, const Text& key);
  void ShowMessage(const Text& text, uint32_t style);
  bool HasServices(const char16_t* function);

  IPlatform& platform_;
  CLogFile& log_;
  CMessageCatalog& messages_;
  CUtil* util_ = nullptr;
  CTovuInitalizer* init_ = nullptr;
  COSValidator* os_ = nullptr;
  IMessageBoxRoutine* messageBox_ = nullptr;
  LocaleCheck localeCheck_;
  ConditionCheck conditionCheck_;
  Text settingsPath_;
  Text osMessage_;
  int continueLaunching_ = 0;
};

}  // namespace tovu
