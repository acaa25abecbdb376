// Entry point of the frame executable: hands the run to the application
// object. InitInstance runs the package and always reports failure, so
// that ExitInstance follows at once and gives the process exit code.
#include <windows.h>

#include "app/fennock_app.h"
#include "app/win32/win32_app_services.h"
#include "platform/win32/win32_platform.h"

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
  app.InitInstance();
  return app.ExitInstance();
}
