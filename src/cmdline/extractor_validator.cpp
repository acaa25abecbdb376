#include "cmdline/extractor_validator.h"

#include "util/cutil.h"
#include "util/format.h"

namespace tovu {

namespace {

constexpr char16_t kCheckFreeSpace[] = u"CheckFreeSpace";

Text SizeText(uint64_t bytes) {
  double value = 0;
  Text unit;
  CUtil::FormatSize(bytes, value, unit);
  return Format(u"%.02f %s", value, unit);
}

}  // namespace

CExtractorValidator::CExtractorValidator(IPlatform& platform, CLogFile& log, CMessageCatalog& messages)
    : platform_(platform), log_(log), messages_(messages) {}

int CExtractorValidator::CheckFreeSpace(const Text& path, const Text& folder, uint64_t required, Text& message) {
  DiskFreeSpaceEx space;
  if (platform_.DiskFreeEx(folder, space) != 0) {
    message = Format(u"Please check the path : %s", path);
    return 0;
  }
  const uint64_t available = space.totalFreeBytes;
  const Text availableText = SizeText(available);
  const Text requiredText = SizeText(required);
  const Text availableLine = ReplacePlaceholders(
      messages_.GetMessageText(407),
      {{placeholder::kDriveName, folder}, {placeholder::kAvailableSpace, availableText}});
  log_.WriteLog(LOG_INFO, kCheckFreeSpace, u"Drive %s.  Available space : %s", folder, availableText);
  const Text requiredLine =
      ReplacePlaceholders(messages_.GetMessageText(408), {{placeholder::kRequiredSpace, requiredText}});
  log_.WriteLog(LOG_INFO, kCheckFreeSpace, u"Required space : %s", requiredText);
  message = Format(u"Comparing Available space : %I64d Bytes and Required space  %I64d Bytes", available, required);
  log_.WriteLog(LOG_INFO, kCheckFreeSpace, u"%s", message);
  if (available < required) {
    message = ReplacePlaceholders(messages_.GetMessageText(409), {{placeholder::kDriveName, folder}}) + u"\n" +
              requiredLine;
    log_.WriteLog(LOG_WARNING, kCheckFreeSpace, u"Space on drive %s is not sufficient", folder);
    return 0;
  }
  message = availableLine + u"\n" + requiredLine;
  return 1;
}

}  // namespace tovu
