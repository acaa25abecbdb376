// Entry point of the frame executable.
#include <windows.h>

#include "app/foundation_run.h"
#include "cmdline/win32/process_command_line.h"
#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // DLLs come from the system folder only, never from the download folder
  // the package was started in.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);

  static tovu::Win32Platform platform;
  tovu::SetPlatform(&platform);
  static tovu::CBuildLogFile log(platform);
  static tovu::CUtil util(platform, log);

  tovu::CExtractorCommandOpt options;
  tovu::ParseProcessCommandLine(options);
  return tovu::RunFoundation(platform, log, util, options);
}
