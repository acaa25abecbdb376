// One scripted use of the log writer, run natively and under Wine, whose
// output is compared byte for byte with tests/data/log/scripted.log.
#pragma once

#include "log/log_file.h"

namespace tovu::test {

// Writes into `log` (already pointed at its file by the caller's
// InitLogFile): START banner, levels 0, 1, 8, 9, 10, 11 under thresholds 9
// and 11, an unnamed line with commas, a raw block, a summary.
void RunScriptedLog(CBuildLogFile& log, const Text& path);


}  // namespace tovu::test
