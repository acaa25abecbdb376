// CFennockApp: the application object that owns the whole run of the
// package. InitInstance runs the package from start to end; ExitInstance
// cleans up and gives the process exit code; Quit ends the process early.
// The Windows services it needs (image library, UI language, the
// single-instance mutex, OLE, message boxes, ending the process) come
// through IAppServices, so that the sequence runs on the fake platform too.
#pragma once

#include <cstdint>
#include <functional>

#include "app/cleanup.h"
#include "app/password.h"
#include "launch/setup_launcher.h"
#include "cmdline/extractor_command_opt.h"
#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/initializer.h"
#include "util/cutil.h"
#include "ui/wizard_logic.h"
#include "util/text.h"

namespace tovu {

class CMessageCatalog;

// Name of the single-instance mutex (in the per-logon namespace). Every
// package built with this frame shares it.
inline constexpr char16_t kSingleInstanceMutexName[] = u"{AA16C87C-7BE6-4670-8526-4D402D18B369}";

inline constexpr char16_t kAnotherInstanceLogText[] = u"Another instance is already running.";
inline constexpr char16_t kOleFailedLogText[] =
    u"OLE initialization failed.  Make sure that the OLE libraries are the correct version.";

class IAppServices {
 public:
  virtual ~IAppServices() = default;

  // GDI+ (version 1, no debug callback, background thread and external
  // codecs not suppressed): true with the token set.
  virtual bool StartImageLibrary(uintptr_t& token) = 0;
  virtual void ShutdownImageLibrary(uintptr_t token) = 0;
  // GetUserDefaultUILanguage, looked up at run time; -1 when unavailable.
  virtual int GetUILanguage() = 0;
  // Parses the process's command line into the options.
  virtual void ParseCommandLine(CExtractorCommandOpt& options) = 0;
  // Creates the single-instance guard; true when another instance holds it.
  virtual bool CreateSingleInstance() = 0;
  virtual void CloseSingleInstance() = 0;
  // OleInitialize: true on success.
  virtual bool InitializeOle() = 0;
  virtual void UninitializeOle() = 0;
  // Loads the rich-edit control library the license page uses.
  virtual void LoadRichEditLibrary() = 0;
  // Shows a message box; returns the button pressed.
  virtual int ShowMessage(const Text& text, const Text& caption, uint32_t style) = 0;
  // Ends the process with the exit code. Never returns.
  [[noreturn]] virtual void EndProcess(int exitCode) = 0;

  // Whether the calling thread's token is a member of the built-in
  // Administrators group (S-1-5-32-544); any failure counts as not.
  virtual bool IsUserAdmin() { return false; }
  // Holds the file open for reading data, sharing reading only, so that
  // nobody changes it while the run uses it (OPEN_ALWAYS, normal
  // attributes); a second call replaces the first handle.
  virtual void LockFile(const Text& path) {}
  virtual void UnlockFile() {}
  // Loads an image file with GDI+: a handle, 0 when it cannot be loaded.
  virtual uintptr_t LoadImageFile(const Text& path) { return 0; }
  virtual void FreeImage(uintptr_t image) {}
};

// A font as the wizard pages create theirs (LOGFONT with the other fields
// zero).
struct FontDescription {
  Text face;
  int height = 0;
  int weight = 0;
};

// 1 for the UI languages whose wizard pages use the font "Arial" at 8
// points: 1028, 1041, 1042, 2052.
int IsCjkLanguage(int language);

class CFennockApp : public IMessageBoxRoutine, private ISettingsLock {
 public:
  CFennockApp(IPlatform& platform, CBuildLogFile& log, CUtil& util, CTovuInitalizer& initializer,
              IAppServices& services);

  // Runs the package; always returns 0 (the framework then calls
  // ExitInstance, whose result is the exit code).
  int InitInstance();
  // Clean-up and the process exit code.
  int ExitInstance();
  // The exit code the run's outcome gives.
  int ExitCodeOfRun() const;
  // Deletes the Tovu temp folder, writes the log footer, shuts the image
  // library down and ends the process with the exit code.
  [[noreturn]] void Quit(int exitCode);

  // 530 when silent, else 520 when unattended, else 510.
  int GetRunMode() const;
  // Has the initialiser create the Tovu temp folder; on failure shows the
  // error (GUI mode) and quits with -1.
  void CreateTovuTempDir();
  // The operating-system check before extraction: returns the verdict
  // (300, 301, 302) and may end the run through Quit.
  void SetOSCheck(std::function<int(int runMode)> check) { osCheck_ = std::move(check); }
  // The progress window of the unattended (visible) and silent (hidden)
  // runs, run modally; it extracts, launches the setups and returns.
  void SetUnattendedRunner(std::function<void(int visible)> runner) { unattendedRunner_ = std::move(runner); }
  // Starts the package's setups after the extraction (HandleLaunchSetup
  // without a wizard sheet).
  void SetSetupLauncher(std::function<void()> launcher) { setupLauncher_ = std::move(launcher); }
  void LaunchSetups();
  // The wizard of a GUI run: runs the sheet with the pages, in order.
  void SetWizardRunner(std::function<void(const std::vector<wizard::PageKind>& pages)> runner) {
    wizardRunner_ = std::move(runner);
  }
  // The setup language a GUI run starts with (the UI language when the
  // package lists it, else 1033), and the condition check for a language
  // (1 when extraction is allowed).
  void SetSetupLanguageSource(std::function<int()> source) { setupLanguageSource_ = std::move(source); }
  void SetConditionSource(std::function<int(int language)> source) { conditionSource_ = std::move(source); }
  // The pages of the wizard by the settings, in the sheet's order; sets
  // RunStatus to -1 (nothing finished yet).
  std::vector<wizard::PageKind> SelectWizardPages(int defaultPathValid);
  // Builds and runs the wizard.
  int RunWizard(int defaultPathValid);
  // The file digest (cabinet/file_hash.h: 0 with the hash, or the error
  // number and its text).
  void SetFileDigest(std::function<uint32_t(const Text& path, Text& hash, Text& errorText)> digest) {
    fileDigest_ = std::move(digest);
  }
  // The digest of the unpacked settings file taken before the wizard.
  const Text& GetSettingsFingerprint() const { return settingsFingerprint_; }
  // The wizard started the extraction worker.
  void MarkExtractionStarted() { extractionStarted_ = true; }
  bool IsUserAdmin() { return services_.IsUserAdmin(); }
  // The finish messages and return code of the launched setups (the exit
  // code uses them), and the OS message of a verdict for a language.
  void SetFinishMessages(CFinishMessages* finish) { finish_ = finish; }
  void SetOSMessageSource(std::function<Text(int verdict, int language)> source) { osMessage_ = std::move(source); }
  // What the setup launching asks of the application.
  ILaunchHost& GetLaunchHost() { return launchHost_; }
  IDeleteListWriter& GetDeleteListWriter() { return launchHost_; }
  // The message texts of the run (the built-in ones only while none is set).
  void SetMessages(CMessageCatalog* messages) { messages_ = messages; }
  // 1 when [Runtime] CheckAdmin is exactly "1".
  int GetCheckAdmin();
  // The extraction password: 1 to go on, 0 to end the run.
  int CheckPassword(const Text& commandLinePassword);
  // Keeps the unpacked settings file open against changes.
  void LockSettingsFile() override;
  void CloseSettingsLock() override;
  // Copies the [Images] file of `key` from the Tovu temp folder into
  // %TEMP%; the copy's path, or the source's when the copy fails.
  Text PrepareBannerImage(const Text& key);

  // Removes the Tovu temp folder; runs at most once per process.
  void DeleteTovuTempDir();

  // The message-box routine: the caption is the display name, or the
  // executable's path while none is set.
  int ShowMessageBox(const Text& text, uint32_t style) override;
  // A message box with its own caption.
  int ShowMessageBox(const Text& text, const Text& caption, uint32_t style);

  // ---- state -----------------------------------------------------------
  const CExtractorCommandOpt& GetCommandLine() const { return options_; }
  int GetCjkFlag() const { return cjk_; }
  int GetSilentFlag() const { return silent_; }
  int GetUnattendedFlag() const { return unattended_; }
  int GetAnotherInstanceFlag() const { return anotherInstance_; }
  const Text& GetDisplayName() const { return displayName_; }
  void SetDisplayName(const Text& v) { displayName_ = v; }
  int GetDeleteOnExitFlag() const { return deleteOnExit_; }
  void SetDeleteOnExitFlag(int v) { deleteOnExit_ = v; }
  int GetExtractOnlyFlag() const { return extractOnly_; }
  void SetExtractOnlyFlag(int v) { extractOnly_ = v; }
  int GetReturnCode() const { return returnCode_; }
  void SetReturnCode(int v) { returnCode_ = v; }
  int GetOSCheckResult() const { return osCheckResult_; }
  void SetOSCheckResult(int v) { osCheckResult_ = v; }
  int GetCheckOsFlag() const { return checkOs_; }
  void SetCheckOsFlag(int v) { checkOs_ = v; }
  const FontDescription& GetTitleFont() const { return titleFont_; }
  const FontDescription& GetTextFont() const { return textFont_; }
  const Text& GetTopBannerPath() const { return topBannerPath_; }
  const Text& GetBottomBannerPath() const { return bottomBannerPath_; }
  uintptr_t GetTopImage() const { return topImage_; }
  const PasswordState& GetPasswordState() const { return password_; }
  // The lists of extracted files and their clean-up (the list file for the
  // setups too).
  CExtractedFilesCleanup& GetCleanup() { return cleanup_; }

 private:
  void WriteLogFooter();
  Text MessageText(int number);
  void ShutdownImageLibrary();

  IPlatform& platform_;
  CBuildLogFile& log_;
  CUtil& util_;
  CTovuInitalizer& initializer_;
  IAppServices& services_;
  CExtractedFilesCleanup cleanup_;

  CExtractorCommandOpt options_;
  uintptr_t gdiplusToken_ = 0;
  bool gdiplusStarted_ = false;
  bool oleInitialized_ = false;
  bool guardOpen_ = false;
  int cjk_ = 0;
  int silent_ = 0;
  int unattended_ = 0;
  int anotherInstance_ = 0;
  Text displayName_;
  int deleteOnExit_ = 0;
  int extractOnly_ = 0;
  int returnCode_ = -2;
  int osCheckResult_ = 300;
  int checkOs_ = 0;
  bool tovuTempDirDeleted_ = false;
  CMessageCatalog* messages_ = nullptr;
  std::function<int(int runMode)> osCheck_;
  std::function<void(int visible)> unattendedRunner_;
  std::function<void()> setupLauncher_;
  std::function<Text(int verdict, int language)> osMessage_;
  CFinishMessages* finish_ = nullptr;
  bool extractionStarted_ = false;
  std::function<void(const std::vector<wizard::PageKind>&)> wizardRunner_;
  std::function<int()> setupLanguageSource_;
  std::function<int(int)> conditionSource_;
  Text settingsFingerprint_;
  std::function<uint32_t(const Text&, Text&, Text&)> fileDigest_;
  bool conditionsChecked_ = false;

  // The application as the setup launching sees it.
  class LaunchHost : public ILaunchHost, public IDeleteListWriter {
   public:
    explicit LaunchHost(CFennockApp& app) : app_(app) {}
    int GetCheckOsFlag() override { return app_.checkOs_; }
    int GetOSCheckResult() override { return app_.osCheckResult_; }
    int GetDeleteOnExitFlag() override { return app_.deleteOnExit_; }
    Text GetSettingsFingerprint() override { return app_.settingsFingerprint_; }
    void DeleteTovuTempDir() override { app_.DeleteTovuTempDir(); }
    Text GetOSMessage(int verdict, int language) override {
      return app_.osMessage_ ? app_.osMessage_(verdict, language) : Text();
    }
    int ShowMessageBox(const Text& text, uint32_t style) override { return app_.ShowMessageBox(text, style); }
    bool WriteToDeletetxt() override { return app_.cleanup_.WriteToDeletetxt(); }

   private:
    CFennockApp& app_;
  };
  LaunchHost launchHost_{*this};
  FontDescription titleFont_;
  FontDescription textFont_;
  Text topBannerPath_;
  Text bottomBannerPath_;
  uintptr_t topImage_ = 0;
  bool settingsLocked_ = false;
  PasswordState password_;
};

}  // namespace tovu
