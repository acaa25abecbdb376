#include "ui/language_page_logic.h"

#include <algorithm>

namespace tovu::langpage {

int ParseLanguageId(const Text& entry) {
  size_t i = 0;
  while (i < entry.size() && (entry[i] == u' ' || entry[i] == u'\t')) ++i;
  long long value = 0;
  bool any = false;
  for (; i < entry.size() && entry[i] >= u'0' && entry[i] <= u'9'; ++i) {
    any = true;
    value = value * 10 + (entry[i] - u'0');
    // Language IDs are 16-bit; locale IDs with a sort ID stay below 2^32.
    if (value > 0xFFFFFFFFLL) return 0;
  }
  if (!any || value > 0x7FFFFFFFLL) return 0;
  return static_cast<int>(value);
}

std::vector<RadioSlot> MapRadioButtons(const std::vector<Text>& languages, const std::function<bool(int)>& installed) {
  std::vector<RadioSlot> slots;
  const size_t count = std::min(languages.size(), kRadioIds.size());
  for (size_t n = 0; n < count; ++n) {
    RadioSlot slot;
    slot.id = kRadioIds[n];
    slot.lcid = ParseLanguageId(languages[n]);
    slot.installed = slot.lcid != 0 && (!installed || installed(slot.lcid));
    slots.push_back(slot);
  }
  return slots;
}

int InitialRadio(const std::vector<RadioSlot>& slots, int setupLanguage) {
  if (slots.size() == 1) return slots.front().id;
  for (const RadioSlot& slot : slots) {
    if (slot.lcid == setupLanguage) return slot.id;
  }
  return 0;
}

int LanguageToAdopt(const std::vector<RadioSlot>& slots, int checkedId, int setupLanguage) {
  for (const RadioSlot& slot : slots) {
    if (slot.id == checkedId) return slot.installed && slot.lcid != setupLanguage ? slot.lcid : 0;
  }
  return 0;
}

int ChosenLanguage(const std::vector<RadioSlot>& slots, const std::function<bool(int id)>& isChecked) {
  for (int id : kRadioIds) {
    const int lcid = LanguageOfRadio(slots, id);
    if (lcid != 0 && isChecked(id)) return lcid;
  }
  return 0;
}

int LanguageOfRadio(const std::vector<RadioSlot>& slots, int id) {
  for (const RadioSlot& slot : slots) {
    if (slot.id == id) return slot.lcid;
  }
  return 0;
}

}  // namespace tovu::langpage
