// Splitting of a program's command line into its arguments and the
// framework-style hand-over of each argument to a command-line object.
#pragma once

#include <vector>

#include "util/text.h"

namespace tovu {

// Splits the whole command line (as GetCommandLineW gives it) into its
// arguments, program name first, by the rules of the Microsoft C runtime
// (the universal CRT, Visual C++ 2008 and later), which is what fills the
// framework's argument vector:
//
// Program name: runs to the first blank or tab outside quotation marks;
//   every quotation mark toggles quoting and is dropped; backslashes are
//   ordinary characters (Wine's runtimes apply the argument rules below to
//   the name as well; names hold no quotation marks in practice).
// Arguments: separated by runs of blanks and tabs outside quotation marks.
//   2n backslashes + quotation mark   -> n backslashes, quoting toggles;
//   2n+1 backslashes + quotation mark -> n backslashes and a literal mark;
//   backslashes before anything else are literal;
//   two quotation marks inside quotes -> one literal mark, quoting goes on
//   (the convention of the Visual C++ 2008 and later runtimes, and of
//   Wine's msvcrt.dll and ucrtbase.dll; CommandLineToArgvW and the runtimes
//   before 2008 end the quotes there instead);
//   an empty quoted argument ("") is kept as an empty argument.
// The text ends at its first NUL, as the zero-terminated original does.
// The result always holds the program name (possibly empty). Linear time.
std::vector<Text> SplitCommandLine(TextView command_line);

// The framework's command-line information object: receives the arguments
// after the program name one by one.
class CCommandLineInfo {
 public:
  virtual ~CCommandLineInfo() = default;
  // `param` is the argument, without its leading "-" or "/" when
  // `is_switch`; `is_last` marks the final argument.
  virtual void ParseParam(TextView param, bool is_switch, bool is_last) = 0;
};

// Calls info.ParseParam once per argument after the program name, in order.
// An argument is a switch when its first character is "-" or "/"; it is
// passed without that character.
void DispatchArguments(const std::vector<Text>& args, CCommandLineInfo& info);

// SplitCommandLine followed by DispatchArguments. Never throws.
void ParseCommandLine(TextView command_line, CCommandLineInfo& info);

}  // namespace tovu
