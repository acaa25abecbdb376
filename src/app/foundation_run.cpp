#include "app/foundation_run.h"

namespace tovu {

const char16_t* RunModeText(int runMode) {
  switch (runMode) {
    case RUNMODE_SILENT: return u"Silent";
    case RUNMODE_UNATTENDED: return u"Unattended";
    default: return u"Full GUI";
  }
}

int RunFoundation(IPlatform& platform, CBuildLogFile& log, CUtil& util, const CExtractorCommandOpt& options) {
  const int runMode = options.GetRunMode();
  Text folder = util.ExpandEnvPath(kLogFolder);
  util.CreateFolderLevels(folder);
  log.InitLogFile(folder + kMasterLogName, options.Debug == 1 ? LOG_DETAIL : 9);
  log.DeleteLogFile();
  log.WriteStart();

  log.WriteLog(LOG_INFO, u"InitInstance", u"Package executable : %s", util.GetModulePath());
  log.WriteLog(LOG_INFO, u"InitInstance", u"Run mode : %d (%s)", runMode, RunModeText(runMode));
  log.WriteLog(LOG_INFO, u"InitInstance", u"Options : debug=%d NoOSCheck=%d NoConditioncheck=%d", options.Debug,
               options.NoOSCheck, options.NoConditioncheck);
  if (!options.ExtractPath.empty())
    log.WriteLog(LOG_INFO, u"InitInstance", u"Extraction folder from the command line : %s", options.ExtractPath);
  if (!options.SetupLanguage.empty())
    log.WriteLog(LOG_INFO, u"InitInstance", u"Setup language from the command line : %s", options.SetupLanguage);
  if (!options.Autolaunch.empty())
    log.WriteLog(LOG_INFO, u"InitInstance", u"Autolaunch from the command line : %s", options.Autolaunch);

  log.WriteLog(LOG_DETAIL, u"InitInstance", u"Temp folder : %s", util.ExpandEnvPath(u"%TEMP%"));
  TextList drives;
  if (util.FindDrives(drives, 3, 0) == 0) {
    for (const Text& drive : drives) {
      double value = 0;
      Text unit;
      CUtil::FormatSize(util.GetDiskFree(drive), value, unit);
      log.WriteLog(LOG_INFO, u"FindDrives", u"Fixed drive %s free %.02f %s", drive, value, unit);
    }
  } else {
    log.WriteLog(LOG_ERROR, u"FindDrives", u"No drive found");
  }

  if (!options.ExtractPath.empty()) {
    Text path = options.ExtractPath;
    Text root;
    const int code = util.ValidatePath(path, root);
    log.WriteLog(code == 0 ? LOG_INFO : LOG_ERROR, u"ValidatePath", u"%s (root %s) : %d", path, root, code);
  }

  log.WriteSummary();
  log.WriteRaw(u"%s\n", kLogEndBanner);
  return 0;
}

}  // namespace tovu
