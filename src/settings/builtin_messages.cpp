#include "settings/builtin_messages.h"

#include <algorithm>

namespace tovu {

namespace {

constexpr BuiltInMessage kBuiltInMessages[] = {
#define TOVU_MESSAGE(number, text) {number, u"" text},
#include "settings/builtin_messages.inc"
#undef TOVU_MESSAGE
};

constexpr bool AscendingIds() {
  for (size_t i = 1; i < std::size(kBuiltInMessages); ++i)
    if (kBuiltInMessages[i - 1].id >= kBuiltInMessages[i].id) return false;
  return true;
}
static_assert(AscendingIds(), "builtin_messages.inc: numbers must ascend without repeats");

class CCompiledInMessageTexts : public IBuiltInMessageTexts {
 public:
  Text LoadText(int id) override { return GetBuiltInMessageText(id); }
};

}  // namespace

std::span<const BuiltInMessage> BuiltInMessages() { return kBuiltInMessages; }

Text GetBuiltInMessageText(int id) {
  const BuiltInMessage* end = std::end(kBuiltInMessages);
  const BuiltInMessage* it =
      std::lower_bound(std::begin(kBuiltInMessages), end, id,
                       [](const BuiltInMessage& m, int value) { return m.id < value; });
  if (it != end && it->id == id) return it->text;
  return Text();
}

IBuiltInMessageTexts& CompiledInMessageTexts() {
  static CCompiledInMessageTexts texts;
  return texts;
}

}  // namespace tovu
