#include "app/fennock_app.h"

#include <cstdlib>

#include "container/extractor.h"
#include "settings/builtin_messages.h"

namespace tovu {

namespace {

constexpr char16_t kInitInstance[] = u"InitInstance";

}  // namespace

int IsCjkLanguage(int language) {
  return language == 1028 || language == 2052 || language == 1042 || language == 1041 ? 1 : 0;
}

CFennockApp::CFennockApp(IPlatform& platform, CBuildLogFile& log, CUtil& util, CTovuInitalizer& initializer,
                         IAppServices& services)
    : platform_(platform), log_(log), util_(util), initializer_(initializer), services_(services) {
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

  // 12 onwards: font descriptions, CTovuInitalizer::Init, the settings
  // lock, the banner images, the display name, the administrator and
  // password checks, the operating-system check, then the wizard or the
  // unattended dialog.

  // 21.
  services_.CloseSingleInstance();
  guardOpen_ = false;
  return 0;
}

void CFennockApp::CreateTovuTempDir() {
  const Text error = initializer_.CretaeAndValidateTovuTempDir();
  if (error.empty()) return;
  if (GetRunMode() == RUNMODE_GUI)
    ShowMessageBox(error, GetBuiltInMessageText(MSG_EXTRACTION_FAILED), mbstyle::kOk | mbstyle::kIconError);
  Quit(-1);
}

void CFennockApp::DeleteExtractedContents() {
  // The lists of the files and folders an extraction writes come with the
  // cabinet extraction; until then an aborted run has nothing to remove.
}

void CFennockApp::DeleteTovuTempDir() {
  // (The settings lock handle, closed here first, comes with the settings
  // checks of the later startup steps.)
  if (tovuTempDirDeleted_) return;
  tovuTempDirDeleted_ = true;

  if (g_bAbortExtraction == 1) DeleteExtractedContents();

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
  // (The wizard sheet, the top image and the banner copies join this with
  // the wizard.)
  displayName_.clear();
  log_.WriteSummary();
  log_.WriteRaw(u"%s\n", kLogEndBanner);
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
  // 1. (The deletion of the extracted files on request comes with the
  //    cabinet extraction.)
  // 2.
  DeleteTovuTempDir();
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
  const int status = initializer_.GetRunStatus();
  if (status == -5 || status == -3 || status == -2) return -1;
  if (initializer_.GetLaunchStoppedFlag() == 1 && initializer_.GetExitOnAutolaunchFailureFlag() == 1)
    return returnCode_;
  return 0;
}

int CFennockApp::ShowMessageBox(const Text& text, uint32_t style) {
  const Text caption = displayName_.empty() ? util_.GetModulePath() : displayName_;
  return ShowMessageBox(text, caption, style);
}

int CFennockApp::ShowMessageBox(const Text& text, const Text& caption, uint32_t style) {
  return services_.ShowMessage(text, caption, style);
}

}  // namespace tovu
