#include "util/process_launch.h"

#include "util/format.h"

namespace tovu {

CProcessLauncher::CProcessLauncher(CUtil& util, IProcessServices& services, IPlatform& platform)
    : util_(util), services_(services), platform_(platform) {}

Text CProcessLauncher::ExtensionOf(const Text& file) {
  size_t dot = file.rfind(u'.');
  if (dot == Text::npos) return Text();
  return file.substr(dot);
}

int CProcessLauncher::LaunchApplication(const Text& file, const Text& parameters, Text& errorText, int wait) {
  try {
    errorText.clear();
    Text expanded = parameters;
    util_.ExpandEnvVars(expanded);
    Text extension = ExtensionOf(file);
    if (EqualsNoCase(extension, u".msi"))
      return LaunchWithPipe(kMsiexecProgram, Format(kMsiexecParameterFormat, file, expanded), wait, errorText);
    if (EqualsNoCase(extension, u".exe")) return LaunchWithPipe(file, expanded, wait, errorText);
    return ShellLaunch(file, expanded, wait, errorText);
  } catch (...) {
    return 0;
  }
}

int CProcessLauncher::LaunchWithPipe(const Text& program, const Text& parameters, int wait, Text& errorText) {
  int exitCode = 0;
  if (services_.CreatePipe() != 0) {
    errorText = kCreatePipeFailedText;
  } else {
    exitCode = ShellLaunch(program, parameters, wait, errorText);
    if (wait != kLaunchNoWait && exitCode != 0) {
      // Nothing else holds the write end, so the first read ends the loop.
      services_.ClosePipeWriteEnd();
      char buffer[kPipeBufferBytes];
      for (;;) {
        for (char& c : buffer) c = 0;
        uint32_t got = 0;
        if (!services_.ReadPipe(buffer, kPipeReadBytes, got)) break;
        services_.Sleep(kLaunchPauseMs);
      }
    }
    services_.ClosePipe();
  }
  services_.Sleep(kLaunchPauseMs);
  return exitCode;
}

Text CProcessLauncher::ChooseVerb(const Text& program) {
  if (!EqualsNoCase(program, kMsiexecProgram)) return Text();
  uint32_t major = versionSet_ ? major_ : platform_.WindowsMajorVersion();
  if (major >= 6) return kRunasVerb;
  if (major == 5) {
    bool admin = isUserAdmin_ ? isUserAdmin_() : false;
    if (!admin && checkAdmin_ == u"0") return kRunasVerb;
  }
  return Text();
}

int CProcessLauncher::ShellLaunch(const Text& program, const Text& parameters, int wait, Text& errorText) {
  Text verb = ChooseVerb(program);
  if (uint32_t error = services_.RunShellExecute(verb, program, parameters)) {
    // The shell started nothing (no such file, no association, not a
    // program, elevation refused): the caller must not take the 0 below
    // for a setup that ran and succeeded.
    Text reason = Trim(platform_.ErrorText(error));
    if (reason.empty())
      errorText = Format(u"Could not start %s : error %u", program, error);
    else
      errorText = Format(u"Could not start %s : %s (error %u)", program, reason, error);
    services_.CloseProcess();
    return 0;
  }
  if (wait == kLaunchWaitForever)
    services_.WaitForProcess(kWaitInfinite);
  else if (wait != kLaunchNoWait)
    services_.WaitForProcess(static_cast<uint32_t>(wait));
  uint32_t code = 0;
  if (!services_.GetExitCode(code)) code = 0;
  services_.CloseProcess();
  return static_cast<int>(code);
}

}  // namespace tovu
