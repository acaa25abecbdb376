// The system information block of the log: date, memory, processors,
// computer name, fixed drives with their space, the operating-system lines
// and the languages, between a banner line and a closing rule. Support
// staff read it first when a package fails.
#pragma once

#include <functional>

#include "log/log_file.h"
#include "platform/platform.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu {

// The banner that opens the block and the rule that closes it (each is
// written followed by a line feed).
inline constexpr char16_t kSystemInfoBanner[] =
    u"-------------------------------------- System Information --------------------------------------";
inline constexpr char16_t kSystemInfoRule[] =
    u"-----------------------------------------------------------------------------------------------";

// The date as "%A, %B %d, %Y" gives it in the C locale: "Tuesday, May 27,
// 2025"; the day has two digits ("March 07").
Text FormatLongDate(const LocalTime& t);

// Writes the whole block to the log, every timed line at level 8 with its
// label as the function column. `writeOsLines` writes the operating-system
// lines; it is called between the drives and the languages.
void WriteSystemInformation(CLogFile& log, CUtil& util, const std::function<void()>& writeOsLines);

}  // namespace tovu
