#include "cmdline/extractor_validator.h"

#include "osrules/os_validator.h"
#include "osrules/os_variant_rules.h"
#include "settings/initializer.h"
#include "settings/package_settings.h"
#include "util/cutil.h"
#include "util/format.h"

namespace tovu {

namespace {

constexpr char16_t kCheckFreeSpace[] = u"CheckFreeSpace";
constexpr char16_t kCommandLineParameters[] = u"Command Line Parameters";
constexpr char16_t kValidateSetupLang[] = u"ValidateSetupLangPassedFromCommandLine";
constexpr char16_t kSetLanguaeForProgressBar[] = u"SetLanguaeForProgressBar";
constexpr char16_t kValidateAutolaunch[] = u"ValidateAndSetAutolaunchFromCommandLine";
constexpr char16_t kGetFinalExtractPathParam[] = u"GetFinalExtractPathParam";
constexpr char16_t kValidatePathAndSpace[] = u"ValidatePathAndSpaceAvailable";
constexpr char16_t kErrorMessagesForInvalidPath[] = u"ErrorMessagesForInvalidPath";
constexpr char16_t kCheckLicenseFiles[] = u"CheckLicenseFiles";
constexpr char16_t kCheckOS[] = u"CheckOS";
constexpr char16_t kCheckConditions[] = u"CheckConditions";

// Language-section keys of the OS messages.
constexpr char16_t kMsgSupportedOS[] = u"MsgSupportedOS";
constexpr char16_t kMsgOSWarning[] = u"MsgOSWarning";
constexpr char16_t kMsgOSError[] = u"MsgOSError";
constexpr char16_t kSecurityLicenseLabel[] = u"Security License File";
constexpr char16_t kLicenseLabel[] = u"License File";

// Message texts of this unit.
constexpr int kTextAvailableSpace = 407;
constexpr int kTextRequiredSpace = 408;
constexpr int kTextNotEnoughSpace = 409;
constexpr int kTextPathTooLong = 412;
constexpr int kTextInvalidPath = 413;
constexpr int kTextCheckPermission = 414;
constexpr int kTextCannotExtractTo = 415;
constexpr int kTextWithoutServicePack = 422;

Text SizeText(uint64_t bytes) {
  double value = 0;
  Text unit;
  CUtil::FormatSize(bytes, value, unit);
  return Format(u"%.02f %s", value, unit);
}

Text Decimal(int n) { return Format(u"%d", n); }

// The path rebuilt from its parts between backslashes: the first part
// without trailing blanks, every further part without blanks at either
// end, no trailing backslash. A drive root ("C:\") keeps its backslash, so
// that it does not turn into the drive's current folder.
Text RebuildPath(const Text& input) {
  const Text path = Trim(input);
  Text out;
  size_t start = 0;
  bool first = true;
  for (;;) {
    const size_t end = path.find(u'\\', start);
    const TextView part = TextView(path).substr(start, end == Text::npos ? Text::npos : end - start);
    if (first) {
      out = TrimRight(part);
      first = false;
    } else {
      out += u'\\';
      out += Trim(part);
    }
    if (end == Text::npos) break;
    start = end + 1;
  }
  while (!out.empty() && out.back() == u'\\') {
    if (out.size() == 3 && out[1] == u':') break;
    out.pop_back();
  }
  return out;
}

}  // namespace

CExtractorValidator::CExtractorValidator(IPlatform& platform, CLogFile& log, CMessageCatalog& messages, CUtil& util,
                                         CTovuInitalizer& initializer, COSValidator& os)
    : platform_(platform), log_(log), messages_(messages), util_(&util), init_(&initializer), os_(&os) {}

CExtractorValidator::CExtractorValidator(IPlatform& platform, CLogFile& log, CMessageCatalog& messages)
    : platform_(platform), log_(log), messages_(messages) {}

bool CExtractorValidator::HasServices(const char16_t* function) {
  if (util_ != nullptr && init_ != nullptr && os_ != nullptr) return true;
  log_.WriteLog(LOG_ERROR, function, u"The validator has no utility, initialiser or OS identification");
  return false;
}

Text CExtractorValidator::ReadSetting(const Text& section, const Text& key) {
  CProfile profile(platform_);
  return pkg::ReadText(profile, settingsPath_, section, key);
}

void CExtractorValidator::ShowMessage(const Text& text, uint32_t style) {
  if (messageBox_ != nullptr) messageBox_->ShowMessageBox(text, style);
}

// ---- setup language ---------------------------------------------------------------

void CExtractorValidator::ValidateSetupLangPassedFromCommandLine(const Text& value) {
  try {
    int language = kEnglishLcid;
    if (!value.empty()) {
      log_.WriteLog(LOG_INFO, kValidateSetupLang, u"Command line parameter for SetupLanguage : %s", value);
      language = MessageNumberFromKey(value);
      if (language == 0) {
        log_.WriteLog(LOG_INFO, kCommandLineParameters,
                      u"Invalid Command line parameter for SetupLanguage. English taken as default SetupLanguage");
        language = kEnglishLcid;
      }
    }
    if (!HasServices(kValidateSetupLang)) return;
    init_->SetSetupLanguage(language);
    SetLanguaeForProgressBar();
  } catch (...) {
  }
}

void CExtractorValidator::SetLanguaeForProgressBar() {
  try {
    if (!HasServices(kSetLanguaeForProgressBar)) return;
    int language = init_->GetSetupLanguage();
    if (!IsSetupLanguage(language)) {
      log_.WriteLog(LOG_WARNING, kSetLanguaeForProgressBar,
                    u"Language not supported. Default English taken as Setup language");
      language = kEnglishLcid;
    }
    if (localeCheck_ && !localeCheck_(language)) {
      log_.WriteLog(LOG_WARNING, kSetLanguaeForProgressBar,
                    u"Language : %d not supported by OS. Default English taken as Setup language", language);
      language = kEnglishLcid;
    }
    init_->SetSetupLanguage(language);
    messages_.LoadLanguageFile(language, init_->GetTovuTempDir());
  } catch (...) {
  }
}

int CExtractorValidator::GetDefaultSetupLanguage() {
  try {
    const int ui = platform_.UserUILanguage();
    return IsSetupLanguage(ui) ? ui : kEnglishLcid;
  } catch (...) {
    return kEnglishLcid;
  }
}

void CExtractorValidator::GetSetupLanguages(std::vector<Text>& list) {
  try {
    const Text value = ReadSetting(pkg::section::kLanguages, pkg::key::kSetupLanguages);
    if (value.empty()) log_.WriteLogNoFunction(LOG_INFO, u"SetupLanguages not found.");
    for (Text& element : osrules::SplitList(value)) list.push_back(std::move(element));
  } catch (...) {
  }
}

bool CExtractorValidator::IsSetupLanguage(int language) {
  std::vector<Text> list;
  GetSetupLanguages(list);
  const Text id = Decimal(language);
  for (const Text& element : list)
    if (EqualsNoCase(element, id)) return true;
  return false;
}

// ---- autolaunch ---------------------------------------------------------------------

void CExtractorValidator::ValidateAndSetAutolaunchFromCommandLine(const Text& value) {
  try {
    if (value.empty()) return;
    log_.WriteLog(LOG_INFO, kCommandLineParameters, u"Command line parameter for Autolaunch : %s", value);
    CProfile profile(platform_);
    const bool multi = pkg::IsFlagOn(profile, settingsPath_, pkg::section::kRuntime, pkg::key::kMultilaunch);
    const Text key = multi ? pkg::NumberedKey(pkg::key::kAutoLaunch, 1) : Text(pkg::key::kAutoLaunch);
    if (pkg::ReadText(profile, settingsPath_, pkg::section::kRuntime, key).empty()) {
      log_.WriteLog(LOG_INFO, kValidateAutolaunch, u"Autolaunch is not enabled for the Web Package");
      return;
    }
    if (!HasServices(kValidateAutolaunch)) return;
    if (EqualsNoCase(value, u"no")) {
      init_->SetAutolaunchFlag(0);
      log_.WriteLog(LOG_INFO, kValidateAutolaunch, u"Autolaunch disabled");
      return;
    }
    init_->SetAutolaunchFlag(1);
    if (EqualsNoCase(value, u"yes"))
      log_.WriteLog(LOG_INFO, kValidateAutolaunch, u"Autolaunch enabled");
    else
      log_.WriteLog(LOG_INFO, kValidateAutolaunch, u"Invalid value for Autolaunch. Autolaunch is enabled by default");
  } catch (...) {
  }
}

// ---- extraction folder ------------------------------------------------------------

Text CExtractorValidator::GetFinalExtractPathParam(int /*flag*/, const Text& commandLinePath, const Text& packageName,
                                                   uint64_t required) {
  try {
    if (!HasServices(kGetFinalExtractPathParam)) return Text();
    if (!commandLinePath.empty()) {
      log_.WriteLog(LOG_INFO, kGetFinalExtractPathParam, u"Extract path from command line : %s", commandLinePath);
      Text path = util_->ExpandEnvPath(commandLinePath);
      if (ValidatePathAndSpaceAvailable(path, 0, required) == 0) return path;
    }
    const Text osPath = os_->GetOSExtractPath();
    if (!osPath.empty()) {
      Text path = util_->ExpandEnvPath(osPath);
      log_.WriteLog(LOG_INFO, kGetFinalExtractPathParam, u"Extract path for the OS : %s", path);
      if (ValidatePathAndSpaceAvailable(path, 0, required) == 0) return path;
    }
    const Text packagePath = ReadSetting(pkg::section::kRuntime, pkg::key::kExtractPath);
    log_.WriteLog(LOG_INFO, kGetFinalExtractPathParam, u"Extract path from the Web Package properties : %s",
                  packagePath);
    Text path = util_->ExpandEnvPath(packagePath);
    if (ValidatePathAndSpaceAvailable(path, 0, required) == 0) return path;
    path = util_->ExpandEnvPath(u"%TEMP%\\" + packageName);
    if (ValidatePathAndSpaceAvailable(path, 0, required) == 0) return path;
    return Text();
  } catch (...) {
    return Text();
  }
}

int CExtractorValidator::ValidatePathAndSpaceAvailable(Text& path, int showBox, uint64_t required) {
  try {
    log_.WriteLog(LOG_INFO, kValidatePathAndSpace, u"Validating the Extract path : %s", path);
    if (!HasServices(kValidatePathAndSpace)) return -1;
    const Text limitText = ReadSetting(pkg::section::kRuntime, pkg::key::kExtractPathMaxLength);
    const int limit = MessageNumberFromKey(limitText);

    path = RebuildPath(path);
    const Text rebuilt = path;
    Text root;
    const int error = util_->ValidatePath(path, root);
    if (error != 0) {
      ErrorMessagesForInvalidPath(error, rebuilt, showBox);
      return -1;
    }
    // The limit applies to the folder as the check left it: the full path
    // with its trailing backslash, the folder the files go to.
    if (limit != 0 && path.size() > static_cast<size_t>(limit)) {
      log_.WriteLog(LOG_ERROR, kValidatePathAndSpace, u"Extract path length exceeded. Maximum path length is : %s",
                    limitText);
      ErrorMessagesForInvalidPath(static_cast<int>(winerr::kFilenameExcedRange), rebuilt, showBox);
      return -1;
    }
    Text full;
    if (platform_.FullPathName(path, full) == 0 && !full.empty()) {
      if (full.size() > 1023) full.resize(1023);
      path = full;
    }
    log_.WriteLog(LOG_INFO, kValidatePathAndSpace, u"Checking the space availability in : %s", path);
    Text message;
    if (CheckFreeSpace(path, root, required, message) == 0) {
      if (showBox == 1) ShowMessage(message, mbstyle::kOk);
      return -1;
    }
    CUtil::AddTrailingBackslash(path);
    ExtractPath = path;
    init_->SetExtractionFolder(path);
    log_.WriteLog(LOG_INFO, kValidatePathAndSpace, u"Extract Path : %s", path);
    return 0;
  } catch (...) {
    return -1;
  }
}

int CExtractorValidator::CheckFreeSpace(const Text& path, const Text& folder, uint64_t required, Text& message) {
  DiskFreeSpaceEx space;
  if (platform_.DiskFreeEx(folder, space) != 0) {
    message = Format(u"Please check the path : %s", path);
    return 0;
  }
  const uint64_t available = space.totalFreeBytes;
  const Text availableText = SizeText(available);
  const Text requiredText = SizeText(required);
  const Text availableLine = ReplacePlaceholders(
      messages_.GetMessageText(kTextAvailableSpace),
      {{placeholder::kDriveName, folder}, {placeholder::kAvailableSpace, availableText}});
  log_.WriteLog(LOG_INFO, kCheckFreeSpace, u"Drive %s.  Available space : %s", folder, availableText);
  const Text requiredLine = ReplacePlaceholders(messages_.GetMessageText(kTextRequiredSpace),
                                                {{placeholder::kRequiredSpace, requiredText}});
  log_.WriteLog(LOG_INFO, kCheckFreeSpace, u"Required space : %s", requiredText);
  message = Format(u"Comparing Available space : %I64d Bytes and Required space  %I64d Bytes", available, required);
  log_.WriteLog(LOG_INFO, kCheckFreeSpace, u"%s", message);
  if (available < required) {
    message = ReplacePlaceholders(messages_.GetMessageText(kTextNotEnoughSpace), {{placeholder::kDriveName, folder}}) +
              u"\n" + requiredLine;
    log_.WriteLog(LOG_WARNING, kCheckFreeSpace, u"Space on drive %s is not sufficient", folder);
    return 0;
  }
  message = availableLine + u"\n" + requiredLine;
  return 1;
}

Text CExtractorValidator::ErrorMessagesForInvalidPath(int code, const Text& path, int showBox) {
  try {
    int number = 0;
    const char16_t* logLine = nullptr;
    switch (code) {
      case 161: number = kTextInvalidPath; logLine = u"Invalid path : %s"; break;
      case 5: number = kTextCheckPermission; logLine = u"Please check the permission of the path : %s"; break;
      case 82: number = kTextCannotExtractTo; logLine = u"You cannot extract in the folder : %s"; break;
      case 400:
      case 206: number = kTextPathTooLong; logLine = u"The path you have specified is too long."; break;
      default: break;
    }
    if (number == 0) return Text();
    const Text message = ReplacePlaceholders(messages_.GetMessageText(number),
                                             {{placeholder::kInvalidPath, path}, {placeholder::kNewline, kLineBreak}});
    log_.WriteLog(LOG_WARNING, kErrorMessagesForInvalidPath, logLine, path);
    if (showBox == 1) ShowMessage(message, mbstyle::kOk);
    return message;
  } catch (...) {
    return Text();
  }
}

// ---- license files ------------------------------------------------------------------

Text CExtractorValidator::CheckLicenseFiles(int language, const Text& prefix, int kind) {
  try {
    const Text section = kind == 2 ? pkg::section::kSecurityLicenseFiles : pkg::section::kLicenseFiles;
    const char16_t* label = kind == 2 ? kSecurityLicenseLabel : kLicenseLabel;
    const Text value = ReadSetting(section, Decimal(language));
    if (!value.empty()) {
      const Text path = prefix + value;
      if (IsValidLicenseFile(path)) {
        log_.WriteLog(LOG_INFO, kCheckLicenseFiles, u"%s for language %s : %s", label, language, value);
        return path;
      }
      log_.WriteLog(LOG_WARNING, kCheckLicenseFiles, u"Invalid %s for language %s : %s", label, language, value);
      return Text();
    }
    log_.WriteLog(LOG_WARNING, kCheckLicenseFiles, u"%s for language %s not found.", label, language);
    if (language != kEnglishLcid) {
      const Text english = ReadSetting(section, Decimal(kEnglishLcid));
      if (!english.empty()) {
        log_.WriteLog(LOG_INFO, kCheckLicenseFiles, u"English file taken as default.");
        return prefix + english;
      }
    }
    return Text();
  } catch (...) {
    return Text();
  }
}

bool CExtractorValidator::IsValidLicenseFile(const Text& path) {
  try {
    if (path.size() < 5) return false;
    if (util_ == nullptr || util_->FileExists(path) != 1) return false;
    const TextView ext = TextView(path).substr(path.size() - 4);
    return EqualsNoCase(ext, u".txt") || EqualsNoCase(ext, u".rtf");
  } catch (...) {
    return false;
  }
}

// ---- hosted checks ------------------------------------------------------------------

Text CExtractorValidator::GetOSNameText() const {
  if (os_ == nullptr) return Text();
  Text name = os_->OSName;
  if (EndsWith(name, u"64")) ReplaceAll(name, u"64", u" 64 Bit");
  return name;
}

Text CExtractorValidator::GetServicePackText() const {
  if (os_ == nullptr || os_->ServicePack.empty()) return Text();
  if (os_->ServicePack == u"0") return messages_.GetMessageText(kTextWithoutServicePack);
  return Format(u"SP%s", os_->ServicePack);
}

int CExtractorValidator::CheckOS(int verdict, int language, int /*unused*/, int logMessage) {
  try {
    if (!HasServices(kCheckOS)) return verdict;
    const Text section = Decimal(language);
    const Text supported = ReadSetting(section, kMsgSupportedOS);
    Text text;
    if (verdict == OSCHECK_WARNING || verdict == OSCHECK_ERROR) {
      text = ReadSetting(section, verdict == OSCHECK_WARNING ? kMsgOSWarning : kMsgOSError);
      // One placeholder after the other, so that the placeholders of the
      // supported-systems text are replaced as well.
      ReplaceAll(text, placeholder::kOsName, GetOSNameText());
      ReplaceAll(text, placeholder::kOsEdition, os_->Edition);
      ReplaceAll(text, placeholder::kOsServicePack, GetServicePackText());
      ReplaceAll(text, placeholder::kMsgSupportedOS, supported);
      ReplaceAll(text, placeholder::kNewline, kLineBreak);
      ReplaceAll(text, placeholder::kTab, kTabCharacter);
      if (logMessage) log_.WriteLog(LOG_INFO, kCheckOS, u"Message to be displayed : %s", text);
    }
    osMessage_ = ExpandSettingsText(text);
    return verdict;
  } catch (...) {
    return verdict;
  }
}

int CExtractorValidator::CheckConditions(int language) {
  try {
    Text keys;
    if (!conditionCheck_) {
      ConditionMessageKeys.clear();
      log_.WriteLog(LOG_ERROR, kCheckConditions, u"No condition check is connected; extraction is allowed");
      return 1;
    }
    const int result = conditionCheck_(language, keys);
    ConditionMessageKeys = keys;
    return result;
  } catch (...) {
    return 0;
  }
}

}  // namespace tovu
