// The frame's run as far as its subsystems exist today: command line, run
// mode, master log, machine facts through the utility object, summary.
// The startup sequence proper (container, settings, wizard) grows from here.
#pragma once

#include "cmdline/extractor_command_opt.h"
#include "log/log_file.h"
#include "util/cutil.h"

namespace tovu {

// Folder of the machine-wide logs, before its placeholder is expanded.
inline constexpr char16_t kLogFolder[] = u"%ALLUSERSPROFILE%\\Maravel\\Automation\\Logfiles\\";
inline constexpr char16_t kMasterLogName[] = u"Tovu.log";

// The log text of a run mode: "Full GUI", "Unattended" or "Silent".
const char16_t* RunModeText(int runMode);

// Runs the foundation and returns the process exit code (0).
int RunFoundation(IPlatform& platform, CBuildLogFile& log, CUtil& util, const CExtractorCommandOpt& options);

}  // namespace tovu
