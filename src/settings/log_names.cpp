#include "settings/log_names.h"

#include "util/format.h"

namespace tovu {

Text DatedLogPath(const Text& path, const LocalTime& modified) {
  static const char16_t* const kMonths[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                            u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  const size_t slash = path.find_last_of(u"\\/");
  const size_t nameStart = slash == Text::npos ? 0 : slash + 1;
  size_t dot = path.find_last_of(u'.');
  if (dot == Text::npos || dot < nameStart) dot = Text::npos;
  const Text stem = dot == Text::npos ? path : path.substr(0, dot);
  const Text ext = dot == Text::npos ? Text() : path.substr(dot);  // with its point
  const int month = modified.month >= 1 && modified.month <= 12 ? modified.month : 1;
  return stem + Format(u"_%02d%s%04d_%02d-%02d-%02d", modified.day, kMonths[month - 1], modified.year,
                       modified.hour, modified.minute, modified.second) +
         ext;
}

}  // namespace tovu
