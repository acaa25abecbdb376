#include "util/system_info.h"

#include "util/format.h"

namespace tovu {

namespace {

constexpr const char16_t* kDayNames[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                         u"Thursday", u"Friday", u"Saturday"};
constexpr const char16_t* kMonthNames[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                           u"July",    u"August",   u"September", u"October", u"November", u"December"};

}  // namespace

Text FormatLongDate(const LocalTime& t) {
  const char16_t* day = t.dayOfWeek >= 0 && t.dayOfWeek < 7 ? kDayNames[t.dayOfWeek] : u"";
  const char16_t* month = t.month >= 1 && t.month <= 12 ? kMonthNames[t.month - 1] : u"";
  return Format(u"%s, %s %02d, %d", day, month, t.day, t.year);
}

void WriteSystemInformation(CLogFile& log, CUtil& util, const std::function<void()>& writeOsLines) {
  try {
    log.WriteLog(LOG_INFO, u"Date", u"%s", FormatLongDate(util.GetLocalTime()));
    log.WriteRaw(u"%s\n", kSystemInfoBanner);

    log.WriteLog(LOG_INFO, u"RAM Size", u"%s GB", CUtil::FormatMemorySize(util.GetTotalPhysicalMemory()));

    TextList processors;
    util.GetProcessorNames(processors);
    int number = 1;
    for (const Text& name : processors) {
      Text label = processors.size() == 1 ? Text(u"Processor") : Format(u"Processor %d", number);
      log.WriteLog(LOG_INFO, label, u"%s", Trim(name));
      ++number;
    }

    log.WriteLog(LOG_INFO, u"Computer name", u"%s", util.GetComputerNameText());

    // The list runs from Z down to A; walked from its tail the drives come
    // in letter order.
    TextList drives;
    util.ListDrives(drives, static_cast<int>(drivetype::kFixed));
    for (auto it = drives.rbegin(); it != drives.rend(); ++it) {
      Text fileSystem = util.GetFileSystemName(*it);
      Text label = fileSystem.empty() ? Format(u"Space Info on Drive: %s", *it)
                                      : Format(u"Space Info on Drive: %s (%s)", *it, fileSystem);
      Text space;
      util.GetSpaceInfo(*it, space);
      log.WriteLog(LOG_INFO, label, u"%s", space);
    }

    if (writeOsLines) writeOsLines();

    Text systemLanguage;
    uint32_t lcid = util.GetSystemLanguage(systemLanguage);
    log.WriteLog(LOG_INFO, u"System Language", u"%s (%u)", systemLanguage, lcid);
    int ui = util.GetUILanguage();
    log.WriteLog(LOG_INFO, u"UI Language", u"%s (%u)", CUtil::GetLanguageName(ui), static_cast<uint32_t>(ui));

    log.WriteRaw(u"%s\n", kSystemInfoRule);
  } catch (...) {
    // The block is informational; a failure never reaches the caller.
  }
}

}  // namespace tovu
