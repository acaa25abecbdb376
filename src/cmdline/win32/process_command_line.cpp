#include "cmdline/win32/process_command_line.h"

#include <windows.h>

namespace tovu {

Text GetProcessCommandLine() {
  const wchar_t* line = GetCommandLineW();
  return line ? Text(reinterpret_cast<const char16_t*>(line)) : Text();
}

void ParseProcessCommandLine(CCommandLineInfo& info) {
  try {
    ParseCommandLine(GetProcessCommandLine(), info);
  } catch (...) {
    // Out of memory copying the line: no arguments.
  }
}

}  // namespace tovu
