// CTovuInitalizer::Init and the steps it runs: the extraction log, the
// system information, the values read from the package settings and the
// choice of the extraction folder.
#include <cstdint>

#include "cmdline/extractor_validator.h"
#include "osrules/os_validator.h"
#include "settings/initializer.h"
#include "settings/log_names.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "util/format.h"
#include "util/system_info.h"

namespace tovu {

namespace {

constexpr char16_t kInit[] = u"Init";
constexpr char16_t kCreateExtractionLogFile[] = u"CreateExtractionLogFile";
constexpr char16_t kSetBufferSize[] = u"SetBufferSize";
constexpr char16_t kInitAutolaunch[] = u"InitAutolaunch";
constexpr char16_t kSetWaitForAutoLaunchParam[] = u"SetWaitForAutoLaunchParam";
constexpr char16_t kInitCommandLineForNoOSCheck[] = u"InitCommandLineForNoOSCheck";
constexpr char16_t kCommandLineParameters[] = u"Command Line Parameters";
constexpr char16_t kInitDisplay[] = u"InitDisplay";
constexpr char16_t kValidateAndCheckExtractPath[] = u"ValidateAndCheckExtractPath";

constexpr uint64_t k128MiB = 134217728;

const char16_t* RunModeText(int runMode) {
  switch (runMode) {
    case RUNMODE_SILENT: return u"Silent";
    case RUNMODE_UNATTENDED: return u"Unattended";
    default: return u"Full GUI";
  }
}

// A decimal byte count as the settings write it; 0 without leading digits.
uint64_t ParseByteCount(TextView text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  uint64_t v = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    const uint64_t digit = static_cast<uint64_t>(text[i] - u'0');
    if (v > (UINT64_MAX - digit) / 10) return UINT64_MAX;
    v = v * 10 + digit;
  }
  return v;
}

}  // namespace

int CTovuInitalizer::Init(int debug, int noConditionCheck, int noOSCheck, const Text& extractPath,
                          const Text& autolaunch, const Text& setupLanguage, int runMode) {
  CProfile profile(platform_);
  // 1.
  runMode_ = runMode;
  debug_ = debug;
  settingsPath_ = pkg::SettingsFilePath(tovuTempDir_);
  // 2.
  CreateExtractionLogFile(debug);
  // 3.-5.
  log_.WriteLog(LOG_INFO, u"Tovu Masterframe Version", u"%s",
                pkg::ReadText(profile, settingsPath_, pkg::section::kTovu, pkg::key::kFrameVersion));
  log_.WriteLog(LOG_INFO, u"GUI Mode", u"%s", RunModeText(runMode));
  log_.WriteLog(LOG_INFO, kInit, u"Initializing the package settings");
  // 6.
  noConditionCheck_ = noConditionCheck;
  if (noConditionCheck == 1)
    log_.WriteLog(LOG_INFO, kCommandLineParameters,
                  u"Condition check will not be done as NoConditioncheck command line parameter has been passed");
  // 7.
  packageName_ = pkg::ReadText(profile, settingsPath_, pkg::section::kPackage, pkg::key::kName);
  log_.WriteLog(LOG_INFO, u"PackageName", u"%s", packageName_);
  // 8.
  if (validator_ != nullptr) validator_->SetSettingsPath(settingsPath_);
  if (os_ != nullptr) os_->SetSettingsFile(settingsPath_);
  // 9.
  LogSystemInformation();
  // 10.
  SetBufferSize();
  // 11.-13.
  fileCount_ = pkg::ReadInt(profile, settingsPath_, pkg::section::kFileCount, pkg::key::kCount, 0);
  changeTarget_ = pkg::IsFlagOn(profile, settingsPath_, pkg::section::kRuntime, pkg::key::kAllowChangeTarget) ? 1 : 0;
  exitOnAutolaunchFailure_ =
      pkg::IsFlagOn(profile, settingsPath_, pkg::section::kRuntime, pkg::key::kExitOnAutolaunchFailure) ? 1 : 0;
  // 14.-15.
  InitAutolaunch();
  if (autolaunch_ == 1) InitCommandLineForNoOSCheck(noOSCheck);
  // 16.
  SetMultiPart();
  // 17. The cabinet set identifier, kept in 16 bits.
  cabinetSetId_ = static_cast<uint16_t>(
      MessageNumberFromKey(pkg::ReadText(profile, settingsPath_, pkg::section::kTovu, pkg::key::kGuid2)));
  // 18.
  displayName_ = pkg::ReadText(profile, settingsPath_, pkg::section::kPackage, pkg::key::kNameDispl) + u" " +
                 pkg::ReadText(profile, settingsPath_, pkg::section::kPackage, pkg::key::kVersionString);
  // 19.
  return InitDisplay(debug, noConditionCheck, noOSCheck, extractPath, autolaunch, setupLanguage, runMode);
}

void CTovuInitalizer::CreateExtractionLogFile(int debug) {
  CProfile profile(platform_);
  log_.WriteLog(LOG_INFO, kCreateExtractionLogFile, u"Creating Extraction Log File");
  // An empty name takes the package's name, or a fixed one: a log named
  // after the folder itself cannot be written.
  Text name = pkg::ReadText(profile, settingsPath_, pkg::section::kLogFiles, pkg::key::kExtractLogFileName);
  if (name.empty()) {
    const Text package = pkg::ReadText(profile, settingsPath_, pkg::section::kPackage, pkg::key::kName);
    name = package.empty() ? Text(kDefaultExtractionLogName) : package + u".log";
  }
  const bool vista = platform_.WindowsMajorVersion() >= 6;
  Text path = Format(vista ? u"%s\\Maravel\\Automation\\Logfiles\\%s"
                           : u"%s\\Application Data\\Maravel\\Automation\\Logfiles\\%s",
                     u"%ALLUSERSPROFILE%", name);
  log_.WriteLog(LOG_INFO, kCreateExtractionLogFile, u"%s", path);
  path = util_.ExpandEnvPath(path);
  // A log of another user's run that this user may not write stays; this
  // run writes its own.
  if (util_.FileExists(path) == 1 && platform_.ProbeReadWrite(path) != 0) path = util_.AppendUserName(path);
  log_.WriteLog(LOG_INFO, kCreateExtractionLogFile, u"Extraction Log File : %s", path);
  log_.WriteRaw(u"%s\n", kLogEndBanner);

  // The log of an earlier run of this package is kept under its date.
  if (util_.FileExists(path) == 1) {
    LocalTime modified = platform_.Now();
    platform_.FileModifiedTime(path, modified);
    platform_.MoveReplace(path, DatedLogPath(path, modified));
  }
  util_.CreateFolderLevels(path);
  log_.InitLogFile(path, debug == 1 ? LOG_DETAIL : 9);
  log_.DeleteLogFile();
  log_.WriteStart();
  extractionLogPath_ = path;
  log_.WriteLog(LOG_INFO, kCreateExtractionLogFile, u"Master Log File : %s", masterLogPath_);
}

void CTovuInitalizer::LogSystemInformation() {
  WriteSystemInformation(log_, util_, [this] {
    if (os_ != nullptr) os_->OSVersion(1);
  });
}

void CTovuInitalizer::SetBufferSize() {
  CProfile profile(platform_);
  const int read = pkg::ReadInt(profile, settingsPath_, pkg::section::kSize, pkg::key::k128MB,
                                static_cast<int>(pkg::kDefaultBufferPer128MB));
  log_.WriteLog(LOG_DETAIL, kSetBufferSize, u"BufferSize in ToolSettings : %u", static_cast<uint32_t>(read));
  // 0 (and a negative value, which names no size) takes the default.
  const uint64_t perUnit = read > 0 ? static_cast<uint64_t>(read) : pkg::kDefaultBufferPer128MB;
  const uint64_t memory = util_.GetTotalPhysicalMemory();
  const uint64_t units = (memory + k128MiB - 1) / k128MiB;
  uint64_t size = perUnit * units;
  if (size > UINT32_MAX) size = UINT32_MAX;
  bufferSize_ = static_cast<uint32_t>(size);
  log_.WriteLog(LOG_DETAIL, kSetBufferSize, u"Calculated BufferSize : %u", bufferSize_);
}

void CTovuInitalizer::InitAutolaunch() {
  CProfile profile(platform_);
  const bool multi = pkg::IsFlagOn(profile, settingsPath_, pkg::section::kRuntime, pkg::key::kMultilaunch);
  const Text key = multi ? pkg::NumberedKey(pkg::key::kAutoLaunch, 1) : Text(pkg::key::kAutoLaunch);
  if (pkg::ReadText(profile, settingsPath_, pkg::section::kRuntime, key).empty()) {
    log_.WriteLog(LOG_INFO, kInitAutolaunch, u"AutoLaunch is not enabled");
    return;
  }
  autolaunch_ = 1;
  log_.WriteLog(LOG_INFO, kInitAutolaunch, u"AutoLaunch is enabled");
  SetWaitForAutoLaunchParam();
}

void CTovuInitalizer::SetWaitForAutoLaunchParam() {
  CProfile profile(platform_);
  const Text v = pkg::ReadText(profile, settingsPath_, pkg::section::kRuntime, pkg::key::kWaitForAutolaunchFinish);
  if (v == u"0") {
    waitForAutolaunchFinish_ = 0;
    log_.WriteLog(LOG_INFO, kSetWaitForAutoLaunchParam, u"WaitForAutolaunchFinish is not enabled");
  } else if (v == u"1" || v.empty()) {
    waitForAutolaunchFinish_ = 1;
    log_.WriteLog(LOG_INFO, kSetWaitForAutoLaunchParam, u"WaitForAutolaunchFinish is enabled");
  } else {
    waitForAutolaunchFinish_ = 1;
    log_.WriteLog(LOG_INFO, kSetWaitForAutoLaunchParam,
                  u"Invalid value for WaitForAutolaunchFinish. WaitForAutolaunchFinish is enabled by default");
  }
}

void CTovuInitalizer::InitCommandLineForNoOSCheck(int noOSCheck) {
  CProfile profile(platform_);
  if (pkg::IsFlagOn(profile, settingsPath_, pkg::section::kPackage, pkg::key::kCheckOs)) {
    noOSCheck_ = 0;
    log_.WriteLog(LOG_INFO, kInitCommandLineForNoOSCheck,
                  u"CheckOs is set.OS check will be done before extraction in GUI mode");
    return;
  }
  if (noOSCheck == 1) {
    noOSCheck_ = 1;
    log_.WriteLog(LOG_INFO, kCommandLineParameters, u"Setting NoOSCheck from commandline.");
  } else if (pkg::IsFlagOn(profile, settingsPath_, pkg::section::kOS, pkg::key::kNoOSCheck)) {
    noOSCheck_ = 1;
    log_.WriteLog(LOG_INFO, kInitCommandLineForNoOSCheck, u"Setting NoOSCheck from INI file.");
  }
  if (noOSCheck_ == 1)
    log_.WriteLog(LOG_INFO, kInitCommandLineForNoOSCheck, u"NoOSCheck has been set.OS check will not be done.");
}

void CTovuInitalizer::SetMultiPart() {
  CProfile profile(platform_);
  multipart_ = pkg::ReadInt(profile, settingsPath_, pkg::section::kPackage, pkg::key::kMultiPartDownload, 0) == 1;
}

int CTovuInitalizer::InitDisplay(int debug, int noConditionCheck, int noOSCheck, const Text& extractPath,
                                 const Text& autolaunch, const Text& setupLanguage, int runMode) {
  if (runMode == RUNMODE_GUI) return ValidateAndCheckExtractPath();
  if (validator_ == nullptr) {
    log_.WriteLog(LOG_ERROR, kInitDisplay, u"Condition not satisfied");
    return -1;
  }
  // 1. The package's conditions for the setup language.
  if (noConditionCheck_ != 1 && validator_->CheckConditions(setupLanguage_) != 1) {
    log_.WriteLog(LOG_ERROR, kInitDisplay, u"Condition not satisfied");
    return -1;
  }
  // 2.-3. The command line's language (unattended runs) and autolaunch
  //       choice.
  if (runMode == RUNMODE_UNATTENDED) validator_->ValidateSetupLangPassedFromCommandLine(setupLanguage);
  validator_->ValidateAndSetAutolaunchFromCommandLine(autolaunch);
  // 4.-5. The extraction folder: the command line's, the system's, the
  //       package's, %TEMP%.
  extractionFolder_ = extractPath;
  if (!extractPath.empty())
    log_.WriteLog(LOG_INFO, kCommandLineParameters, u"Command line parameter for Extract path : %s", extractPath);
  extractionFolder_ = validator_->GetFinalExtractPathParam(0, extractPath, packageName_,
                                                           GetRequiredSpace(tovuTempDir_, extractionFolder_, multipart_));
  // 6. These runs replace files without asking.
  overwriteAll_ = 1;
  log_.WriteLog(LOG_INFO, u"File Overwriting", u"Overwriting of the extracted files is enabled in Silent and Unattended mode");
  // 7.
  if (extractionFolder_.empty()) {
    log_.WriteLog(LOG_ERROR, kInitDisplay, u"Valid Extract path could not be found");
    // Nothing can be extracted: the run ends as a failed one, never with
    // the exit code of a success.
    runStatus_ = static_cast<int>(winerr::kPathNotFound);
    return -1;
  }
  return RUNMODE_UNATTENDED;
}

int CTovuInitalizer::ValidateAndCheckExtractPath() {
  CProfile profile(platform_);
  Text folder = os_ != nullptr ? os_->GetOSExtractPath() : Text();
  if (folder.empty()) {
    folder = pkg::ReadText(profile, settingsPath_, pkg::section::kRuntime, pkg::key::kExtractPath);
    log_.WriteLog(LOG_INFO, kValidateAndCheckExtractPath, u"Extract Path from Web Package : %s", folder);
  } else {
    log_.WriteLog(LOG_INFO, kValidateAndCheckExtractPath, u"Extract path for the OS : %s", folder);
  }
  const Text expanded = util_.ExpandEnvPath(folder);
  if (!expanded.empty()) folder = expanded;
  Text measured;
  int error = util_.ValidatePath(folder, measured);
  extractionFolder_ = folder;
  const uint64_t required = GetRequiredSpace(tovuTempDir_, folder, multipart_);
  if (error == 0 && validator_ != nullptr) {
    Text message;
    if (validator_->CheckFreeSpace(folder, measured, required, message) == 0) error = 39;
  }
  if (error != 0) {
    if (changeTarget_ != 1 && autolaunch_ == 1)
      log_.WriteLogNoFunction(LOG_INFO, u"Extract path is not having enough space or permission");
    return 0;
  }
  return 1;
}

uint64_t CTovuInitalizer::GetRequiredSpace(const Text& tovuTempDir, const Text& extractionFolder, int multipart) {
  CProfile profile(platform_);
  uint64_t required = ParseByteCount(pkg::ReadText(profile, settingsPath_, pkg::section::kSize, pkg::key::kPackageSize));
  if (multipart == 0 && tovuTempDir.size() >= 2 && extractionFolder.size() >= 2 &&
      EqualsNoCase(TextView(tovuTempDir).substr(0, 2), TextView(extractionFolder).substr(0, 2))) {
    const uint64_t cab = ParseByteCount(pkg::ReadText(profile, settingsPath_, pkg::section::kSize, pkg::key::kCabSize));
    required = cab > UINT64_MAX - required ? UINT64_MAX : required + cab;
  }
  return required;
}

}  // namespace tovu
