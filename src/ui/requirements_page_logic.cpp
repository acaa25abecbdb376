#include "ui/requirements_page_logic.h"

namespace tovu::requirements {

namespace {

// The parts of a ";" list, trimmed, empty ones dropped, in written order.
std::vector<Text> SplitAtSemicolons(const Text& list) {
  std::vector<Text> parts;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(u';', start);
    if (end == Text::npos) end = list.size();
    Text part = Trim(TextView(list).substr(start, end - start));
    if (!part.empty()) parts.push_back(std::move(part));
    start = end + 1;
  }
  return parts;
}

// The leading decimal number of a text (an optional sign, then digits), 0
// when it has none; values beyond the int range do not match a language.
long long LeadingNumber(const Text& text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    value = value * 10 + (text[i] - u'0');
    if (value > 0x7FFFFFFFLL + 1) return -1;
  }
  return negative ? -value : value;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

}  // namespace

int MessageLimit(int count) { return count <= 0 ? 0 : kMessageRoom / count - 15; }

Text CutToLimit(const Text& text, int limit) {
  if (limit >= 0 && text.size() <= static_cast<size_t>(limit)) return text;
  size_t keep = limit < 0 ? 0 : static_cast<size_t>(limit);
  if (keep > 0 && IsHighSurrogate(text[keep - 1])) --keep;
  return text.substr(0, keep) + u"...";
}

ConditionMessage BuildConditionMessage(const Text& setupLanguages, int language, const Text& messageKeys,
                                       const KeyText& keyText) {
  ConditionMessage result;
  bool listed = false;
  for (const Text& entry : SplitAtSemicolons(setupLanguages))
    if (LeadingNumber(entry) == language) listed = true;
  if (!listed || !keyText) return result;
  for (const Text& key : SplitAtSemicolons(messageKeys)) {
    Text text = keyText(key);
    if (!text.empty()) result.fullTexts.push_back(std::move(text));
  }
  const int limit = MessageLimit(static_cast<int>(result.fullTexts.size()));
  for (const Text& text : result.fullTexts) {
    result.text += CutToLimit(text, limit);
    result.text += u"[NEWLINE]";
  }
  ReplaceAll(result.text, u"[NEWLINE]", u"\n");
  ReplaceAll(result.text, u"[TAB]", u"\t");
  return result;
}

RetryDecision DecideRetry(const RetryInputs& in) {
  RetryDecision d;
  if (in.settingsIntact != 1) {
    d.action = RetryAction::FinishPage;
    return d;
  }
  if (in.conditionsMet == 0) {
    d.action = RetryAction::Stay;
    return d;
  }
  if (!in.isStartPage) {
    // The page before has asked for the password already.
    d.action = RetryAction::GoOnRemove;
    return d;
  }
  d.action = RetryAction::GoOn;
  d.setRetryFlag = true;
  // The license and folder pages ask for the password themselves when
  // they count as first; any other next page would extract without it.
  d.askPassword = in.nextPage != wizard::PageKind::License && in.nextPage != wizard::PageKind::Folder;
  return d;
}

wizard::PageKind NextPageAfterRequirements(const std::function<bool(wizard::PageKind)>& hasPage) {
  using wizard::PageKind;
  for (PageKind kind : {PageKind::License, PageKind::Folder, PageKind::Extraction, PageKind::Installation})
    if (hasPage && hasPage(kind)) return kind;
  return PageKind::Finish;
}

}  // namespace tovu::requirements
