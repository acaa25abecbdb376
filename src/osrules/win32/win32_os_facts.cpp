#include "osrules/win32/win32_os_facts.h"

#include <windows.h>

namespace tovu {
namespace {

static_assert(sizeof(OSVERSIONINFOEXW) == 284, "OSVERSIONINFOEXW is 284 bytes");

using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);

// A kernel32 export by name, or null when this system has none.
FARPROC Kernel32Function(const char* name) {
  HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  return kernel32 ? ::GetProcAddress(kernel32, name) : nullptr;
}

}  // namespace

bool CWin32OSFacts::QueryVersionEx(OSVersionInfo& out) {
  OSVERSIONINFOEXW info;
  ::ZeroMemory(&info, sizeof(info));
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
#pragma GCC diagnostic pop
  out.majorVersion = info.dwMajorVersion;
  out.minorVersion = info.dwMinorVersion;
  out.buildNumber = info.dwBuildNumber;
  out.platformId = info.dwPlatformId;
  size_t n = 0;
  while (n < sizeof(info.szCSDVersion) / sizeof(info.szCSDVersion[0]) && info.szCSDVersion[n] != 0) ++n;
  out.csdVersion.assign(reinterpret_cast<const char16_t*>(info.szCSDVersion), n);
  out.servicePackMajor = info.wServicePackMajor;
  out.servicePackMinor = info.wServicePackMinor;
  out.suiteMask = info.wSuiteMask;
  out.productType = info.wProductType;
  return true;
}

bool CWin32OSFacts::QueryNativeSystemInfo(uint16_t& architecture) {
  auto fn = reinterpret_cast<GetNativeSystemInfoFn>(
      reinterpret_cast<void*>(Kernel32Function("GetNativeSystemInfo")));
  if (!fn) return false;
  SYSTEM_INFO info;
  ::ZeroMemory(&info, sizeof(info));
  fn(&info);
  architecture = info.wProcessorArchitecture;
  return true;
}

uint16_t CWin32OSFacts::QuerySystemInfo() {
  SYSTEM_INFO info;
  ::ZeroMemory(&info, sizeof(info));
  ::GetSystemInfo(&info);
  return info.wProcessorArchitecture;
}

bool CWin32OSFacts::QueryProductInfo(uint32_t major, uint32_t minor, uint32_t spMajor, uint32_t spMinor,
                                   uint32_t& productType) {
  auto fn = reinterpret_cast<GetProductInfoFn>(reinterpret_cast<void*>(Kernel32Function("GetProductInfo")));
  if (!fn) return false;
  DWORD type = 0;
  fn(major, minor, spMajor, spMinor, &type);
  productType = type;
  return true;
}

int CWin32OSFacts::QuerySystemMetrics(int index) { return ::GetSystemMetrics(index); }

}  // namespace tovu
