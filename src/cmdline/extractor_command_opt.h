// The package executable's command-line object: the switches that select
// the run mode, the extraction folder, autolaunch, the setup language, the
// extraction password, the log detail and the skipped checks.
#pragma once

#include "cmdline/command_line.h"
#include "cmdline/run_mode.h"
#include "util/text.h"

namespace tovu {

class CExtractorCommandOpt : public CCommandLineInfo {
 public:
  CExtractorCommandOpt();

  // One argument (without its "-" or "/" when is_switch). Plain arguments,
  // empty switches and unknown switches are ignored without a trace.
  void ParseParam(TextView param, bool is_switch, bool is_last) override;

  // The run mode the flags select (see RunModeFromFlags).
  int GetRunMode() const { return RunModeFromFlags(Silent, Unattended); }

  // Flags (0/1) and values; the application reads them after parsing.
  int Debug = 0;             // d, debug
  int NoOSCheck = 0;         // NoOSCheck
  int NoConditioncheck = 0;  // NoConditioncheck
  int Silent = 0;            // silent
  int Unattended = 0;        // unattended
  Text ExtractPath;          // extractpath=<folder>
  Text Autolaunch;           // autolaunch=yes|no
  Text SetupLanguage;        // setupLanguage=<decimal LCID>
  Text ExtractionPassword;   // extractionpassword=<password>

  // Names of the valued options, compared without regard to case.
  const Text ExtractPathOption;
  const Text AutolaunchOption;
  const Text SetupLanguageOption;
  const Text ExtractionPasswordOption;
};

// The name and value of a switch text: the text is split at every "=",
// every piece trimmed of white space and empty pieces dropped; the name is
// the first piece, the value the last one when there are two or more
// ("" otherwise). "extractpath=C:\a=b" gives "extractpath" and "b".
struct SwitchParts {
  Text Name;
  Text Value;
};
SwitchParts SplitSwitch(TextView text);

}  // namespace tovu
