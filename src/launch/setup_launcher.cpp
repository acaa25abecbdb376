#include "launch/setup_launcher.h"

#include "launch/launch_flags.h"
#include "cabinet/file_hash.h"
#include "settings/package_settings.h"
#include "util/format.h"

namespace tovu {

std::atomic<int> g_bLaunchIdle = 1;
std::atomic<int> g_bLaunchContinue = 0;

namespace {

constexpr int kIdNo = 7;

void RemoveAll(Text& text, const Text& what) {
  if (what.empty()) return;
  for (size_t at = text.find(what); at != Text::npos; at = text.find(what, at)) text.erase(at, what.size());
}

}  // namespace

CSetupLauncher::CSetupLauncher(IPlatform& platform, CLogFile& log, CUtil& util, CTovuInitalizer& initializer,
                               CFinishMessages& finish, IProcessLauncher& processes, ILaunchHost& host,
                               IDeleteListWriter& deleteList)
    : platform_(platform),
      log_(log),
      util_(util),
      initializer_(initializer),
      finish_(finish),
      processes_(processes),
      host_(host),
      deleteList_(deleteList),
      profile_(platform) {}

Text CSetupLauncher::Runtime(const Text& key) {
  return pkg::ReadText(profile_, initializer_.GetSettingsPath(), pkg::section::kRuntime, key);
}

Text CSetupLauncher::DeleteOnFinishParameter() const {
  return Text(launchtext::kDeleteOnFinishSwitch) + u"\"" + initializer_.GetExtractionFolder() +
         launchtext::kDeleteListFileName + u"\"";
}

void CSetupLauncher::WriteDeleteList(const char16_t* function) {
  if (deleteList_.WriteToDeletetxt())
    log_.WriteLog(LOG_INFO, function, u"Writing to ExtractedFilesToDelete.txt is success");
  else
    log_.WriteLog(LOG_INFO, function, u"Creation of ExtractedFilesToDelete.txt Failed");
}

void CSetupLauncher::GetAutolaunchApps(const Text& language, std::vector<Text>& setups,
                                       std::vector<Text>& parameters) {
  static constexpr char16_t kFn[] = u"GetAutolaunchApps";
  try {
    const Text& folder = initializer_.GetExtractionFolder();
    const Text& settings = initializer_.GetSettingsPath();
    const int runMode = initializer_.GetRunMode();
    const bool deleteOnExit = host_.GetDeleteOnExitFlag() == 1;
    const int waitFlag = initializer_.GetWaitForAutolaunchFinishFlag();
    const bool multi = Runtime(pkg::key::kMultilaunch) == u"1";
    bool failed = false;
    for (int n = 1;; ++n) {
      Text key = multi ? pkg::NumberedKey(pkg::key::kAutoLaunch, n) : Text(pkg::key::kAutoLaunch);
      Text value = Runtime(key);
      if (value.empty()) break;
      size_t slash = value.rfind(u'\\');
      Text dir = slash == Text::npos ? Text() : value.substr(0, slash);
      Text name = slash == Text::npos ? value : value.substr(slash + 1);
      bool launcher = false;
      if (EqualsNoCase(name, launchtext::kLauncherName)) {
        Text companion = dir.empty() ? Format(u"%s%s", folder, launchtext::kLauncherCompanion)
                                     : Format(u"%s%s\\%s", folder, dir, launchtext::kLauncherCompanion);
        launcher = platform_.FindFirstExists(companion);
      }
      log_.WriteLog(LOG_INFO, kFn, u"%s : %s", key, value);
      Text path = Format(u"%s\\%s", folder, value);
      if (path.size() >= kMaxSetupPathChars) {
        initializer_.SetRunStatus(-1);
        log_.WriteLog(LOG_ERROR, u"Folder depth is too large to run the setup.", u"%s", path);
        failed = true;
        break;
      }
      if (util_.FileExists(path) == 0) {
        initializer_.SetRunStatus(2);
        log_.WriteLog(LOG_ERROR, u"File for launching the setup not found : ", u"%s", path);
        failed = true;
      } else {
        finish_.LoadFinishMessages(key);
        Text paramKey =
            multi ? pkg::NumberedKey(launchtext::kLaunchParamsStem, n) : Text(launchtext::kLaunchParamsStem);
        Text params = pkg::ReadText(profile_, settings, language, paramKey);
        Text mode = Runtime(pkg::key::kMode);
        log_.WriteLog(LOG_INFO, kFn, u"Mode - %s", mode);
        bool deleteStep = true;
        if (EqualsNoCase(mode, launchtext::kModeTovu)) {
          log_.WriteLog(LOG_INFO, kFn, u"Mode identified as Tovu");
          Text silent = pkg::ReadText(profile_, settings, language, paramKey + u"Silent");
          Text unattended = pkg::ReadText(profile_, settings, language, paramKey + u"Unattended");
          if (runMode == RUNMODE_SILENT) {
            log_.WriteLog(LOG_INFO, kFn, u"Silent Mode identified for web Package");
            params = Format(u"%s %s", params, silent);
            deleteStep = false;
          } else if (runMode == RUNMODE_UNATTENDED) {
            log_.WriteLog(LOG_INFO, kFn, u"Unattended Mode identified for web Package");
            params = Format(u"%s %s", params, unattended);
            deleteStep = false;
          } else {
            deleteStep = runMode == RUNMODE_GUI;
          }
        }
        if (deleteStep && deleteOnExit && launcher) {
          params = params + u" " + DeleteOnFinishParameter();
          // Without waiting the program cannot delete after the setup: the
          // setup gets the list now.
          if (waitFlag == 0) WriteDeleteList(kFn);
        }
        setups.push_back(key + u":" + path);
        parameters.push_back(params);
      }
      if (!multi) break;
    }

    if (waitFlag == 1 && deleteOnExit) {
      Text handOver = Text(u" ") + DeleteOnFinishParameter();
      if (!parameters.empty() && parameters.back().find(handOver) != Text::npos) {
        WriteDeleteList(kFn);
        initializer_.SetFrameDeletesFlag(0);
      } else {
        initializer_.SetFrameDeletesFlag(1);
      }
      for (size_t i = 0; i + 1 < parameters.size(); ++i) RemoveAll(parameters[i], handOver);
    }
    for (size_t i = 0; i < setups.size(); ++i)
      log_.WriteLog(LOG_INFO, kFn, u"Parameters for Application %s to be launched is - %s", setups[i],
                    parameters[i]);
    if (failed) setups.clear();
  } catch (...) {
    setups.clear();
  }
}

int CSetupLauncher::LaunchMultipleApplications(const Text& language, const std::vector<Text>& setups,
                                               const std::vector<Text>& parameters,
                                               const Text& installationDialog) {
  static constexpr char16_t kFn[] = u"LaunchMultipleApplications";
  int result = 0;
  try {
    const bool dialog = installationDialog == u"1";
    if (dialog && page_ && page_->WindowExists()) page_->PumpPendingMessages();
    const int count = static_cast<int>(setups.size());
    const int step = count > 0 ? 100 / count : 0;
    int position = step;
    const int wait = initializer_.GetWaitForAutolaunchFinishFlag();
    for (size_t i = 0; i < setups.size(); ++i) {
      const Text& entry = setups[i];
      const Text params = i < parameters.size() ? parameters[i] : Text();
      size_t colon = entry.find(u':');
      Text key = colon == Text::npos ? entry : entry.substr(0, colon);
      Text path = colon == Text::npos ? Text() : entry.substr(colon + 1);
      log_.WriteLog(LOG_INFO, kFn, u"Launching - %s", path);
      if (util_.FileExists(path) == 0) {
        initializer_.SetRunStatus(-4);
        log_.WriteLog(LOG_ERROR, u"File for launching the setup not found : ", u"%s", path);
        result = -1;
        continue;
      }
      Text errorText;
      g_bLaunchIdle = 0;
      int rc = processes_.LaunchApplication(path, params, errorText, wait);
      g_bLaunchIdle = 1;
      if (g_bLaunchContinue == 0) {
        log_.WriteLog(LOG_ERROR, kFn, u"Launch process is stopped");
        if (page_) page_->OnLaunchSetupFinish();
        return result;
      }
      if (dialog && initializer_.GetRunMode() == RUNMODE_GUI && page_ && page_->WindowExists()) {
        page_->SetProgressPos(position);
        position += step;
      }
      Text multilaunch = Runtime(pkg::key::kMultilaunch);
      if (errorText.empty()) {
        if (wait != 0 || multilaunch == u"0") {
          log_.WriteLog(LOG_INFO, kFn, u"Finished - %s", path);
          log_.WriteLog(LOG_INFO, kFn, u"Return code of - %s is %d", path, rc);
        }
      } else {
        initializer_.SetRunStatus(-4);
        rc = -1;
        log_.WriteLog(LOG_ERROR, kFn, u"%s", errorText);
      }
      if (finish_.SetFinishMessage(rc, key) == -1 && initializer_.GetExitOnAutolaunchFailureFlag() == 1) {
        initializer_.SetLaunchStoppedFlag(1);
        return result;
      }
    }
  } catch (...) {
    g_bLaunchIdle = 1;
  }
  return result;
}

int CSetupLauncher::HandleLaunchSetup() {
  static constexpr char16_t kFn[] = u"HandleLaunchSetup";
  int result = LAUNCH_NOTHING_STARTED;
  bool endedByGate = false;
  try {
    Text dialog = Runtime(pkg::key::kAutoLaunchInstallationDialog);
    processes_.SetCheckAdmin(Runtime(pkg::key::kCheckAdmin));
    const int languageId = initializer_.GetSetupLanguage();
    Text language = Format(u"%d", languageId);
    std::vector<Text> setups;
    std::vector<Text> parameters;
    GetAutolaunchApps(language, setups, parameters);
    const bool sheetWindow = sheet_ && sheet_->IsWindowValid();
    if (!setups.empty() && initializer_.GetRunStatus() == 0) {
      if (sheetWindow) sheet_->ShowWindow(dialog == u"1");
      bool go = true;
      if (host_.GetCheckOsFlag() == 1 || initializer_.GetNoOSCheckFlag() == 0) {
        const int verdict = host_.GetOSCheckResult();
        const bool gui = initializer_.GetRunMode() == RUNMODE_GUI;
        if (verdict == 302) {
          if (gui) {
            if (sheetWindow) sheet_->ShowWindow(false);
            host_.ShowMessageBox(host_.GetOSMessage(302, languageId), mbstyle::kOk | mbstyle::kIconError);
          }
          go = false;
        } else if (verdict == 301 && gui) {
          if (sheetWindow) sheet_->ShowWindow(false);
          int answer = host_.ShowMessageBox(host_.GetOSMessage(301, languageId),
                                            mbstyle::kYesNo | mbstyle::kIconExclamation);
          if (answer == kIdNo) {
            log_.WriteLog(LOG_ERROR, kFn, u"Current operating system  not supported");
            initializer_.SetRunStatus(11);
            go = false;
          }
        }
        if (go) log_.WriteLogNoFunction(LOG_INFO, u"Current OS is supported");
      }
      if (!go) {
        result = LAUNCH_END_WIZARD;
        endedByGate = true;
      } else {
        host_.DeleteTovuTempDir();
        result = LaunchMultipleApplications(language, setups, parameters, dialog);
        if (setups.size() > 1 || initializer_.GetWaitForAutolaunchFinishFlag() != 0 || dialog == u"1") {
          if (sheet_ && sheet_->IsWindowValid()) sheet_->ShowWindow(true);
        } else {
          result = LAUNCH_END_WIZARD;
          endedByGate = true;
        }
      }
    }
    if (sheet_ && sheet_->GetLaunchAtExtractionFlag() == 1 && !endedByGate) sheet_->ActivateFinishPage();
  } catch (...) {
  }
  return result;
}

int CSetupLauncher::IsParameterFileNotCorrupt() {
  static constexpr char16_t kFn[] = u"IsParameterFileNotCorrupt";
  try {
    const Text& settings = initializer_.GetSettingsPath();
    log_.WriteLog(LOG_INFO, kFn, u"Generating hash code for  : %s", settings);
    Text hash;
    Text errorText;
    uint32_t error = ComputeFileHash(settings, hash, errorText);
    if (error != 0) {
      log_.WriteLog(LOG_WARNING, kFn, u"%s", Format(u"%s : Return Code : %d", errorText, error));
      return 1;
    }
    if (hash == host_.GetSettingsFingerprint()) return 1;
    log_.WriteLog(LOG_ERROR, kFn, u"Settings have been corrupted. Please start the package again.");
    return 0;
  } catch (...) {
    return 1;
  }
}

}  // namespace tovu
