// Process launching: starting a product's setup (an executable, a Windows
// Installer package or any file the shell can open) through the shell,
// with elevation for the Windows Installer where the system requires it,
// optionally waiting for it, and giving back its exit code.
//
// The rules (which program, which parameters, which verb, the pipe step,
// the waits, the exit code) live in CProcessLauncher; the system calls are
// behind IProcessServices, whose Win32 implementation is
// CWin32ProcessServices (util/win32/process_launch_win32.h).
//
// Construction by the application (one of each for the whole process):
//
//   CWin32ProcessServices processServices;
//   CProcessLauncher launcher(util, processServices, Platform());
//   launcher.SetAdminTest([&] { return appServices.IsUserAdmin(); });
//   launcher.SetOSVersion(os.MajorVersion, os.MinorVersion);  // after OSVersion(0)
//
// The setup launching (launch/setup_launcher.h) then calls SetCheckAdmin
// with [Runtime] CheckAdmin and LaunchApplication for each setup; the
// finish page opens the extraction folder with LaunchApplication(folder,
// "", error, 0). The launcher writes no log lines itself except the
// warning of CUtil::IsEnvVarPresent; the caller logs the request and the
// returned code. Launches must not run on two threads at once (the
// placeholder expansion uses the CUtil scan position).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/platform.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu {

inline constexpr char16_t kMsiexecProgram[] = u"msiexec.exe";
inline constexpr char16_t kRunasVerb[] = u"runas";
// "/i", the package path in double quotes, a blank, the parameters.
inline constexpr char16_t kMsiexecParameterFormat[] = u"/i \"%s\" %s";
inline constexpr char16_t kCreatePipeFailedText[] = u"Error on CreatePipe(). Launch File failed";

// The wait of a launch request: 0 no wait, 1 without limit, any other
// value at most that many milliseconds.
constexpr int kLaunchNoWait = 0;
constexpr int kLaunchWaitForever = 1;
// GetExitCodeProcess of a process still running.
constexpr int kStillActive = 259;
// SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI, and
// SW_SHOW. Without SEE_MASK_FLAG_NO_UI the shell shows its own error box
// when it cannot start a file, which would hold a silent or unattended run
// until someone answers it; the failure is reported through the error text
// of LaunchApplication instead.
constexpr uint32_t kShellExecuteMask = 0x540;
constexpr int kShellShowCommand = 5;
// The pause after every launch and after every successful pipe read.
constexpr uint32_t kLaunchPauseMs = 200;
constexpr uint32_t kPipeBufferBytes = 4096;
constexpr uint32_t kPipeReadBytes = 4095;
constexpr uint32_t kWaitInfinite = 0xFFFFFFFFu;

// The system calls of one launch. One launch at a time: the object holds
// the pipe and the process handle of the launch under way.
class IProcessServices {
 public:
  virtual ~IProcessServices() = default;
  // CreatePipe with inheritable handles and the default buffer size: 0 or
  // the error.
  virtual uint32_t CreatePipe() = 0;
  virtual void ClosePipeWriteEnd() = 0;
  // ReadFile from the pipe's read end: true while reading succeeds.
  virtual bool ReadPipe(void* buffer, uint32_t size, uint32_t& got) = 0;
  // Closes whatever is left of the pipe.
  virtual void ClosePipe() = 0;
  // ShellExecuteExW with the mask 0x140, no window, the file, the
  // parameters, no working folder, SW_SHOW and the verb (empty: none).
  // 0 when the shell reports success (a process handle may or may not be
  // held afterwards), else the shell's error (GetLastError).
  virtual uint32_t RunShellExecute(const Text& verb, const Text& file, const Text& parameters) = 0;
  // Waits for the held process (kWaitInfinite: without limit); nothing
  // without one.
  virtual void WaitForProcess(uint32_t milliseconds) = 0;
  // GetExitCodeProcess of the held process: false when there is none or
  // the call fails.
  virtual bool GetExitCode(uint32_t& code) = 0;
  virtual void CloseProcess() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// What the setup launching needs of the process launcher.
class IProcessLauncher {
 public:
  virtual ~IProcessLauncher() = default;
  // Starts the file with the parameters (placeholders expanded) and waits
  // as asked. Returns the process's exit code, 259 while it still runs
  // after a limited or no wait, or 0 when no process was started; in that
  // case errorText tells why (it is left empty otherwise).
  virtual int LaunchApplication(const Text& file, const Text& parameters, Text& errorText, int wait) = 0;
  // Stores the text of [Runtime] CheckAdmin for the elevation rule.
  virtual void SetCheckAdmin(const Text& checkAdmin) = 0;
};

class CProcessLauncher : public IProcessLauncher {
 public:
  // `platform` gives the system's text for an error and, until
  // SetOSVersion, the Windows major version.
  CProcessLauncher(CUtil& util, IProcessServices& services, IPlatform& platform);

  int LaunchApplication(const Text& file, const Text& parameters, Text& errorText, int wait) override;
  void SetCheckAdmin(const Text& checkAdmin) override { checkAdmin_ = checkAdmin; }
  const Text& GetCheckAdmin() const { return checkAdmin_; }

  // The version of the running Windows from the OS identification.
  void SetOSVersion(uint32_t major, uint32_t minor) {
    major_ = major;
    minor_ = minor;
    versionSet_ = true;
  }
  // The strict administrator test (membership of the calling thread's
  // token in the built-in Administrators group). Without one the user
  // counts as no administrator.
  void SetAdminTest(std::function<bool()> isUserAdmin) { isUserAdmin_ = std::move(isUserAdmin); }

  // ".msi" and ".exe" programs through the pipe step, anything else
  // straight to the shell. Both return the exit code (0: none started).
  int LaunchWithPipe(const Text& program, const Text& parameters, int wait, Text& errorText);
  int ShellLaunch(const Text& program, const Text& parameters, int wait, Text& errorText);
  // "runas" for msiexec.exe on Windows 6.0 and later, or on Windows 5.x
  // for a user who is no administrator when CheckAdmin is "0"; otherwise
  // "" (the shell's default action).
  Text ChooseVerb(const Text& program);

  // The extension of a file text: from its last point on ("" without one).
  static Text ExtensionOf(const Text& file);

 private:
  CUtil& util_;
  IProcessServices& services_;
  IPlatform& platform_;
  Text checkAdmin_;
  std::function<bool()> isUserAdmin_;
  uint32_t major_ = 0;
  uint32_t minor_ = 0;
  bool versionSet_ = false;
};

}  // namespace tovu
