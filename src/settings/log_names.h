// Names of the extraction log: where it lives and the name an older log of
// the same name is renamed to before a new run writes it.
#pragma once

#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

// The name used when [LogFiles] ExtractLogFileName is empty: the package
// name is not known yet when the log is created.
inline constexpr char16_t kDefaultExtractionLogName[] = u"Tovu_Extraction.log";

// The path an older log at `path` moves to: its folder, base name, "_",
// its modification date as "%d%b%Y", "_", the time as "%H-%M-%S" and its
// extension ("C:\Logs\Demo.txt" modified 8 Dec 2026 23:01:59 gives
// "C:\Logs\Demo_08Dec2026_23-01-59.txt"). A name without extension gets
// none (no trailing point, which Windows would drop).
Text DatedLogPath(const Text& path, const LocalTime& modified);

}  // namespace tovu
