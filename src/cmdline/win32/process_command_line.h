// The running process's own command line, as Windows gives it.
#pragma once

#include "cmdline/command_line.h"

namespace tovu {

// GetCommandLineW, or "" when Windows gives none.
Text GetProcessCommandLine();

// Splits the process's command line and hands its arguments to `info`
// (ParseCommandLine). Never throws.
void ParseProcessCommandLine(CCommandLineInfo& info);

}  // namespace tovu
