#include "util/win32/process_launch_win32.h"

#include <shellapi.h>

#include "platform/win32/win32_platform.h"

namespace tovu {

CWin32ProcessServices::~CWin32ProcessServices() {
  ClosePipe();
  CloseProcess();
}

uint32_t CWin32ProcessServices::CreatePipe() {
  ClosePipe();
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof(sa);
  sa.bInheritHandle = TRUE;
  sa.lpSecurityDescriptor = nullptr;
  if (!::CreatePipe(&readEnd_, &writeEnd_, &sa, 0)) {
    readEnd_ = writeEnd_ = nullptr;
    DWORD e = ::GetLastError();
    return e ? e : ERROR_GEN_FAILURE;
  }
  return 0;
}

void CWin32ProcessServices::ClosePipeWriteEnd() {
  if (writeEnd_) ::CloseHandle(writeEnd_);
  writeEnd_ = nullptr;
}

bool CWin32ProcessServices::ReadPipe(void* buffer, uint32_t size, uint32_t& got) {
  got = 0;
  if (!readEnd_) return false;
  DWORD n = 0;
  BOOL ok = ::ReadFile(readEnd_, buffer, size, &n, nullptr);
  got = n;
  return ok != FALSE;
}

void CWin32ProcessServices::ClosePipe() {
  ClosePipeWriteEnd();
  if (readEnd_) ::CloseHandle(readEnd_);
  readEnd_ = nullptr;
}

uint32_t CWin32ProcessServices::RunShellExecute(const Text& verb, const Text& file, const Text& parameters) {
  CloseProcess();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = kShellExecuteMask;
  info.hwnd = nullptr;
  info.lpVerb = verb.empty() ? nullptr : W(verb);
  info.lpFile = W(file);
  info.lpParameters = W(parameters);
  info.lpDirectory = nullptr;
  info.nShow = kShellShowCommand;
  ::SetLastError(0);
  if (!::ShellExecuteExW(&info)) {
    DWORD e = ::GetLastError();
    if (e == 0) {
      // Some shells leave only the old-style result in hInstApp.
      INT_PTR r = reinterpret_cast<INT_PTR>(info.hInstApp);
      switch (r) {
        case SE_ERR_NOASSOC:
        case SE_ERR_ASSOCINCOMPLETE: e = ERROR_NO_ASSOCIATION; break;
        case ERROR_BAD_FORMAT: e = ERROR_BAD_EXE_FORMAT; break;
        case SE_ERR_SHARE: e = ERROR_SHARING_VIOLATION; break;
        case SE_ERR_DLLNOTFOUND: e = ERROR_DLL_NOT_FOUND; break;
        case SE_ERR_OOM: e = ERROR_NOT_ENOUGH_MEMORY; break;
        default: e = (r > 0 && r < 32) ? static_cast<DWORD>(r) : ERROR_GEN_FAILURE; break;
      }
    }
    return e;
  }
  process_ = info.hProcess;
  return 0;
}

void CWin32ProcessServices::WaitForProcess(uint32_t milliseconds) {
  if (process_) ::WaitForSingleObject(process_, milliseconds == kWaitInfinite ? INFINITE : milliseconds);
}

bool CWin32ProcessServices::GetExitCode(uint32_t& code) {
  code = 0;
  if (!process_) return false;
  DWORD c = 0;
  if (!::GetExitCodeProcess(process_, &c)) return false;
  code = c;
  return true;
}

void CWin32ProcessServices::CloseProcess() {
  if (process_) ::CloseHandle(process_);
  process_ = nullptr;
}

void CWin32ProcessServices::Sleep(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace tovu
