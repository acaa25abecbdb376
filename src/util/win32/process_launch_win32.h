// The Win32 system calls of a process launch (CreatePipe, ShellExecuteExW,
// WaitForSingleObject, GetExitCodeProcess), for CProcessLauncher
// (util/process_launch.h). One object serves one launch at a time.
#pragma once

#include <windows.h>

#include "util/process_launch.h"

namespace tovu {

class CWin32ProcessServices : public IProcessServices {
 public:
  CWin32ProcessServices() = default;
  ~CWin32ProcessServices() override;
  CWin32ProcessServices(const CWin32ProcessServices&) = delete;
  CWin32ProcessServices& operator=(const CWin32ProcessServices&) = delete;

  uint32_t CreatePipe() override;
  void ClosePipeWriteEnd() override;
  bool ReadPipe(void* buffer, uint32_t size, uint32_t& got) override;
  void ClosePipe() override;
  uint32_t RunShellExecute(const Text& verb, const Text& file, const Text& parameters) override;
  void WaitForProcess(uint32_t milliseconds) override;
  bool GetExitCode(uint32_t& code) override;
  void CloseProcess() override;
  void Sleep(uint32_t milliseconds) override;

  // The process handle of the launch under way (null when none).
  HANDLE GetProcess() const { return process_; }

 private:
  HANDLE readEnd_ = nullptr;
  HANDLE writeEnd_ = nullptr;
  HANDLE process_ = nullptr;
};

}  // namespace tovu
