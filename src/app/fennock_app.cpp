#include "app/fennock_app.h"

#include <cstdlib>

#include "container/extractor.h"
#include "app/finish_messages.h"
#include "settings/builtin_messages.h"
#include "settings/messages.h"
#include "settings/package_settings.h"

namespace tovu {

namespace {

constexpr char16_t kInitInstance[] = u"InitInstance";

}  // namespace

int IsCjkLanguage(int language) {
  return language == 1028 || language == 2052 || language == 1042 || language == 1041 ? 1 : 0;
}

CFennockApp::CFennockApp(IPlatform& platform, CBuildLogFile& log, CUtil& util, CTovuInitalizer& initializer,
                         IAppServices& services)
    : platform_(platform),
      log_(log),
      util_(util),
      initializer_(initializer),
      services_(services),
      cleanup_(platform, log, util, initializer) {
  initializer_.SetMessageBoxRoutine(this);
}

int CFennockApp::GetRunMode() const { return RunModeFromFlags(silent_, unattended_); }

int CFennockApp::InitInstance() {
  // 1. The image library.
  gdiplusStarted_ = services_.StartImageLibrary(gdiplusToken_);

  // 2. The wizard pages of Chinese, Japanese and Korean systems use a font
  //    of their own.
  cjk_ = IsCjkLanguage(services_.GetUILanguage());

  // 3. Command line.
  services_.ParseCommandLine(options_);

  // 4. Master log.
  initializer_.OpenMasterLog();

  // 5. Run mode. The initialiser learns it now already, so that its
  //    messages before the settings are read keep to the mode too.
  silent_ = options_.Silent;
  unattended_ = options_.Unattended;
  initializer_.SetRunMode(GetRunMode());

  // 6. One package at a time per logon.
  guardOpen_ = true;
  if (services_.CreateSingleInstance()) {
    if (GetRunMode() == RUNMODE_GUI) ShowMessageBox(GetBuiltInMessageText(MSG_ANOTHER_INSTANCE), mbstyle::kOk);
    log_.WriteLog(LOG_ERROR, kInitInstance, kAnotherInstanceLogText);
    anotherInstance_ = 1;
    services_.CloseSingleInstance();
    guardOpen_ = false;
    return 0;
  }

  // 7. OLE.
  oleInitialized_ = services_.InitializeOle();
  if (!oleInitialized_) {
    if (GetRunMode() == RUNMODE_GUI) ShowMessageBox(GetBuiltInMessageText(MSG_OLE_INIT_FAILED), mbstyle::kOk);
    log_.WriteLog(LOG_ERROR, kInitInstance, kOleFailedLogText);
    services_.CloseSingleInstance();
    guardOpen_ = false;
    return 0;
  }

  // 8. The rich-edit control of the license page. (The frame hosts no
  //    ActiveX controls and registers no automation class: nothing in the
  //    program uses one, and the frame leaves the registry alone.)
  services_.LoadRichEditLibrary();

  // 10. Tovu temp folder (quits with -1 when none can be made).
  CreateTovuTempDir();

  // 11. Settings entries of the container.
  if (const int r = initializer_.ExtractIntermediateFiles(); r != 0) Quit(r);

  // 12. The fonts of the wizard pages.
  titleFont_ = {u"Tahoma", 16, 600};
  textFont_ = {u"Tahoma", 15, 100};

  // 13. The package settings.
  const int r = initializer_.Init(options_.Debug, options_.NoConditioncheck, options_.NoOSCheck, options_.ExtractPath,
                                  options_.Autolaunch, options_.SetupLanguage, GetRunMode());

  // 14.-16. The settings file stays as it is; the banners are copied out.
  LockSettingsFile();
  bottomBannerPath_ = PrepareBannerImage(pkg::key::kBottomImage);
  topBannerPath_ = PrepareBannerImage(pkg::key::kTopImage);
  topImage_ = services_.LoadImageFile(topBannerPath_);

  // 17.
  displayName_ = initializer_.GetDisplayName();
  log_.WriteLog(LOG_INFO, u"Display Name", u"%s", displayName_);

  // 18. Administrator rights.
  if (GetCheckAdmin() == 1 && !services_.IsUserAdmin()) {
    log_.WriteLog(LOG_ERROR, kInitInstance, u"User is not having admin rights.");
    Text text = MessageText(421);
    if (const size_t at = text.find(u"\\n"); at != Text::npos) text = text.substr(0, at) + u"\n" + text.substr(at + 2);
    if (GetRunMode() == RUNMODE_GUI) ShowMessageBox(text, mbstyle::kIconExclamation);
    services_.CloseSingleInstance();
    guardOpen_ = false;
    return 0;
  }

  // 19. The extraction password, then the operating system.
  if (CheckPassword(options_.ExtractionPassword) == 0) {
    services_.CloseSingleInstance();
    guardOpen_ = false;
    return 0;
  }
  {
    CProfile profile(platform_);
    checkOs_ = pkg::IsFlagOn(profile, initializer_.GetSettingsPath(), pkg::section::kPackage, pkg::key::kCheckOs) ? 1 : 0;
  }
  if (osCheck_) osCheckResult_ = osCheck_(GetRunMode());

  // 20. 520: the progress window (visible in unattended runs only).
  //     -1: the conditions or the extraction folder ended the run. The
  //     wizard of a GUI run takes over here.
  if (r == RUNMODE_UNATTENDED) {
    if (unattendedRunner_) {
      extractionStarted_ = true;
      unattendedRunner_(unattended_);
    }
  } else if (r != -1 && GetRunMode() == RUNMODE_GUI) {
    // (a)-(b) The setup language and its texts.
    const int language = setupLanguageSource_ ? setupLanguageSource_() : 1033;
    initializer_.SetSetupLanguage(language);
    if (messages_ != nullptr) messages_->LoadLanguageFile(language, initializer_.GetTovuTempDir());
    // (c) The settings as they are now: the wizard's pages check that
    //     nobody changed them before they go on.
    Text hash, errorText;
    const uint32_t e = fileDigest_ ? fileDigest_(initializer_.GetSettingsPath(), hash, errorText) : 0;
    if (e != 0)
      log_.WriteLog(LOG_WARNING, kInitInstance, u"%s : Return Code : %d", errorText, static_cast<int>(e));
    else
      settingsFingerprint_ = hash;
    // (d)
    RunWizard(r);
  }

  // 21.
  services_.CloseSingleInstance();
  guardOpen_ = false;
  return 0;
}

std::vector<wizard::PageKind> CFennockApp::SelectWizardPages(int defaultPathValid) {
  using wizard::PageKind;
  CProfile profile(platform_);
  const Text& settings = initializer_.GetSettingsPath();
  auto dialog = [&](const char16_t* key) { return pkg::ReadText(profile, settings, pkg::section::kDialogs, key); };
  std::vector<PageKind> pages;
  if (dialog(pkg::key::kWelcomeDialog) != u"0") pages.push_back(PageKind::Welcome);
  if (dialog(pkg::key::kLanguageDialog) == u"1") pages.push_back(PageKind::Language);
  const bool noConditionCheck = initializer_.GetNoConditionCheckFlag() == 1;
  if (!noConditionCheck) pages.push_back(PageKind::Requirements);
  // Nothing is finished yet.
  initializer_.SetRunStatus(-1);
  if (!conditionsChecked_ &&
      (noConditionCheck || (conditionSource_ && conditionSource_(initializer_.GetSetupLanguage()) == 1))) {
    conditionsChecked_ = true;
    // The requirements page is shown only when the conditions are not met.
    if (!noConditionCheck) pages.pop_back();
  }
  if (dialog(pkg::key::kLicenseDialog) == u"1") pages.push_back(PageKind::License);
  if (initializer_.GetChangeTargetFlag() == 1 || defaultPathValid == 0) pages.push_back(PageKind::Folder);
  pages.push_back(PageKind::Extraction);
  if (pkg::ReadText(profile, settings, pkg::section::kRuntime, pkg::key::kAutoLaunchInstallationDialog) == u"1")
    pages.push_back(PageKind::Installation);
  pages.push_back(PageKind::Finish);
  return pages;
}

int CFennockApp::RunWizard(int defaultPathValid) {
  const std::vector<wizard::PageKind> pages = SelectWizardPages(defaultPathValid);
  if (wizardRunner_) wizardRunner_(pages);
  return 0;
}

void CFennockApp::LaunchSetups() {
  if (setupLauncher_) setupLauncher_();
}

void CFennockApp::CreateTovuTempDir() {
  const Text error = initializer_.CretaeAndValidateTovuTempDir();
  if (error.empty()) return;
  if (GetRunMode() == RUNMODE_GUI)
    ShowMessageBox(error, GetBuiltInMessageText(MSG_EXTRACTION_FAILED), mbstyle::kOk | mbstyle::kIconError);
  Quit(-1);
}

void CFennockApp::DeleteTovuTempDir() {
  CloseSettingsLock();
  if (tovuTempDirDeleted_) return;
  tovuTempDirDeleted_ = true;

  // What an aborted extraction left behind goes first.
  cleanup_.DeleteExtractedContentsIfAborted();

  Text folder = initializer_.GetTovuTempDir();
  while (!folder.empty() && folder.back() == u'\\') folder.pop_back();
  if (folder.size() <= 3 || util_.FileExists(folder) != 1) return;
  log_.WriteLog(LOG_INFO, u"Temp directory : ", u"%s", folder);
  log_.WriteLog(LOG_INFO, u"Deleting folder : ", u"%s", folder);
  TextList leftovers;
  util_.DeleteFolderReport(folder, leftovers);
  for (const Text& entry : leftovers) log_.WriteLog(LOG_INFO, u"File could not be deleted : ", u"%s", entry);
}

void CFennockApp::WriteLogFooter() {
  // (The wizard sheet joins this with the wizard.)
  if (topImage_ != 0) services_.FreeImage(topImage_);
  topImage_ = 0;
  for (const Text* banner : {&topBannerPath_, &bottomBannerPath_}) {
    if (!banner->empty() && util_.FileExists(*banner) == 1) platform_.RemoveFile(*banner);
  }
  displayName_.clear();
  log_.WriteSummary();
  log_.WriteRaw(u"%s\n", kLogEndBanner);
}

Text CFennockApp::MessageText(int number) {
  return messages_ != nullptr ? messages_->GetMessageText(number) : GetBuiltInMessageText(number);
}

int CFennockApp::GetCheckAdmin() {
  CProfile profile(platform_);
  if (!pkg::IsFlagOn(profile, initializer_.GetSettingsPath(), pkg::section::kRuntime, pkg::key::kCheckAdmin)) return 0;
  log_.WriteLog(LOG_INFO, u"GetCheckAdmin", u"Admin rights needed for extraction");
  return 1;
}

int CFennockApp::CheckPassword(const Text& commandLinePassword) {
  CProfile profile(platform_);
  return tovu::CheckPassword(util_, profile, log_, *this, initializer_.GetSettingsPath(), GetRunMode(),
                             commandLinePassword, password_);
}

void CFennockApp::LockSettingsFile() {
  services_.LockFile(initializer_.GetSettingsPath());
  settingsLocked_ = true;
}

void CFennockApp::CloseSettingsLock() {
  if (!settingsLocked_) return;
  services_.UnlockFile();
  settingsLocked_ = false;
}

Text CFennockApp::PrepareBannerImage(const Text& key) {
  CProfile profile(platform_);
  const Text value = pkg::ReadText(profile, initializer_.GetSettingsPath(), pkg::section::kImages, key);
  const Text source = initializer_.GetTovuTempDir() + value;
  Text temp;
  if (value.empty() || !platform_.GetEnv(u"TEMP", temp) || temp.empty()) return source;
  CUtil::AddTrailingBackslash(temp);
  const size_t cut = value.find_last_of(u"\\/");
  const Text copy = temp + (cut == Text::npos ? value : value.substr(cut + 1));
  std::vector<uint8_t> bytes;
  if (platform_.ReadWholeFile(source, bytes) != 0 || platform_.WriteWholeFile(copy, bytes) != 0) return source;
  return copy;
}

void CFennockApp::ShutdownImageLibrary() {
  if (!gdiplusStarted_) return;
  services_.ShutdownImageLibrary(gdiplusToken_);
  gdiplusStarted_ = false;
}

void CFennockApp::Quit(int exitCode) {
  DeleteTovuTempDir();
  WriteLogFooter();
  ShutdownImageLibrary();
  services_.EndProcess(exitCode);
  std::abort();  // not reached: EndProcess never returns
}

int CFennockApp::ExitInstance() {
  // 1. The extracted files, when the user asked for it and the frame, not
  //    a setup, is responsible.
  if (CExtractedFilesCleanup::FrameDeletesAtExit(deleteOnExit_, initializer_))
    cleanup_.DeleteExtractedFilesAndFolders();
  // 2.
  DeleteTovuTempDir();
  // 3.
  CloseSettingsLock();
  // 4.
  WriteLogFooter();
  // 5. (The wait for a worker thread comes with the worker slot.)
  ShutdownImageLibrary();
  // 6.
  if (guardOpen_) {
    services_.CloseSingleInstance();
    guardOpen_ = false;
  }
  if (oleInitialized_) {
    services_.UninitializeOle();
    oleInitialized_ = false;
  }
  // 7.
  return ExitCodeOfRun();
}

int CFennockApp::ExitCodeOfRun() const {
  const int status = initializer_.GetRunStatus();
  // An extraction that was started and did not succeed.
  if (extractionStarted_ && initializer_.GetExtractionResult() != 0 && status != 11 && status != 12) return -1;
  // A run that did not deliver what it set out to is not a success: an
  // extraction that failed with an error code, a setup file that was
  // missing (2) or could not be started (-4). Cancellations (11, 12) and
  // the configured return codes (-6) keep their exit codes.
  switch (status) {
    case 0: case 11: case 12: case -6: case -2: case -3: case -5: break;
    case -1:
      if (extractionStarted_) return -1;
      break;
    default:
      return -1;  // 2, -4 and the extraction error codes
  }
  const int returnCode = finish_ != nullptr ? finish_->GetReturnCode() : returnCode_;
  const int stopped =
      initializer_.GetLaunchStoppedFlag() == 1 && initializer_.GetExitOnAutolaunchFailureFlag() == 1 ? 1 : 0;
  return ComputeExitCode(status, stopped, returnCode);
}

int CFennockApp::ShowMessageBox(const Text& text, uint32_t style) {
  const Text caption = displayName_.empty() ? util_.GetModulePath() : displayName_;
  return ShowMessageBox(text, caption, style);
}

int CFennockApp::ShowMessageBox(const Text& text, const Text& caption, uint32_t style) {
  return services_.ShowMessage(text, caption, style);
}

}  // namespace tovu
