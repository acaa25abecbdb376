// Entry point of the frame executable: hands the run to the application
// object. InitInstance runs the package and always reports failure, so
// that ExitInstance follows at once and gives the process exit code.
#include <windows.h>

#include "app/fennock_app.h"
#include "app/win32/win32_app_services.h"
#include "cmdline/extractor_validator.h"
#include "conditions/check_conditions.h"
#include "osrules/os_validator.h"
#include "osrules/win32/win32_os_facts.h"
#include "platform/win32/win32_platform.h"
#include "settings/messages.h"
#include "settings/win32/resource_message_texts.h"
#include "app/win32/worker_thread_slot.h"
#include "cabinet/win32/cab_decompressor.h"
#include "cabinet/win32/extract_package.h"
#include "osrules/os_check_before_extraction.h"
#include "ui/win32/tovu_sheet.h"
#include "ui/win32/unattended_extracter.h"
#include "app/finish_messages.h"
#include "cabinet/file_hash.h"
#include "launch/setup_launcher.h"
#include "launch/win32/launch_thread.h"
#include "util/process_launch.h"
#include "util/win32/process_launch_win32.h"

namespace {

// DLLs come from the system folder only, never from the download folder
// the package was started in nor from the current directory. Done while
// the program loads, before anything else can load a library.
struct DllSearchRestriction {
  DllSearchRestriction() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    ::SetDllDirectoryW(L"");
  }
} g_dllSearchRestriction;

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static tovu::Win32Platform platform;
  tovu::SetPlatform(&platform);
  static tovu::CBuildLogFile log(platform);
  static tovu::CUtil util(platform, log);
  static tovu::CTovuInitalizer initializer(platform, log, util);
  static tovu::Win32AppServices services;
  static tovu::CFennockApp app(platform, log, util, initializer, services);
  // The process-wide services: the message texts over the executable's
  // string table, the operating-system identification and the validator.
  static tovu::CResourceMessageTexts builtInTexts;
  static tovu::CMessageCatalog messages(platform, builtInTexts);
  static tovu::CWin32OSFacts osFacts;
  static tovu::COSValidator osValidator(platform, log, osFacts);
  static tovu::CExtractorValidator validator(platform, log, messages, util, initializer, osValidator);
  validator.SetMessageBoxRoutine(&app);
  validator.SetLocaleCheck([](int lcid) { return ::IsValidLocale(static_cast<LCID>(lcid), LCID_INSTALLED) != 0; });
  validator.SetConditionCheck([](int language, tovu::Text& keys) {
    return tovu::CheckConditions(platform, log, validator.GetSettingsPath(), language, &keys);
  });
  messages.SetMessageBoxRoutine(&app);
  initializer.SetServices(&osValidator, &messages, &validator);
  app.SetMessages(&messages);
  services.SetMessages(&messages);
  // The extraction worker's services and its one thread slot.
  static tovu::CWorkerThreadSlot slot;
  static tovu::CabinetServices cabinetServices{platform, log, util, initializer};
  tovu::SetExtractionServices(&cabinetServices);
  static tovu::COSCheckBeforeExtraction osCheck(platform, log, osValidator, validator, initializer, messages);
  app.SetOSCheck([](int runMode) {
    return osCheck.ValidateOSBeforeExtraction(runMode, app, [](int exitCode) { app.Quit(exitCode); });
  });
  // Setup launching after the extraction: processes, return codes and
  // finish messages, the setups of the package.
  static tovu::CWin32ProcessServices processServices;
  static tovu::CProcessLauncher processLauncher(util, processServices, platform);
  processLauncher.SetAdminTest([] { return services.IsUserAdmin(); });
  static tovu::CFinishMessages finish(platform, log, util, initializer);
  app.SetFinishMessages(&finish);
  app.SetOSMessageSource([](int verdict, int language) {
    validator.CheckOS(verdict, language, 1, 1);
    return validator.GetOSMessage();
  });
  // One setup launcher for the run: the unattended and silent runs call it
  // from their progress window, the wizard from its pages and its launch
  // thread.
  static tovu::CSetupLauncher launcher(platform, log, util, initializer, finish, processLauncher,
                                       app.GetLaunchHost(), app.GetDeleteListWriter());
  app.SetSetupLauncher([] {
    processLauncher.SetOSVersion(osValidator.MajorVersion, osValidator.MinorVersion);
    tovu::SetContinueLaunchingAll(1);
    launcher.HandleLaunchSetup();
  });
  app.SetUnattendedRunner([](int visible) {
    tovu::CUnattendedExtracter window(
        visible, tovu::UnattendedExtracterServices{
                     log, initializer, messages, slot, tovu::ExtractPackage, initializer.GetDisplayName(),
                     [] { app.LaunchSetups(); },
                     [](const tovu::Text& text, uint32_t style) { return app.ShowMessageBox(text, style); },
                     [](int exitCode) { app.Quit(exitCode); }, nullptr});
    window.DoModal();
  });
  // The wizard of a GUI run.
  app.SetFileDigest(tovu::ComputeFileHash);
  app.SetSetupLanguageSource([] { return validator.GetDefaultSetupLanguage(); });
  app.SetConditionSource([](int language) { return validator.CheckConditions(language); });
  app.SetWizardRunner([](const std::vector<tovu::wizard::PageKind>& pages) {
    processLauncher.SetOSVersion(osValidator.MajorVersion, osValidator.MinorVersion);
    tovu::SetLaunchThreadContext(&launcher, &log);
    tovu::WizardServices services{platform, log, util, initializer, app, messages, validator, finish, slot,
                                  tovu::ExtractPackage, &launcher, &processLauncher};
    tovu::CTovuSheet sheet(services);
    for (tovu::wizard::PageKind kind : pages) sheet.AddPage(kind);
    sheet.DoModal();
    slot.Reset();
  });
  app.InitInstance();
  return app.ExitInstance();
}
