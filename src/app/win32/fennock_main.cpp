// Entry point of the frame executable.
#include <windows.h>

#include "platform/win32/win32_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  static tovu::Win32Platform platform;
  tovu::SetPlatform(&platform);
  return 0;
}
