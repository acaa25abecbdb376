#include "conditions/condition_rules.h"

#include <algorithm>
#include <limits>

namespace tovu {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Words separated by blanks.
std::vector<Text> Words(TextView text) {
  std::vector<Text> out;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    size_t start = i;
    while (i < text.size() && !IsBlank(text[i])) ++i;
    if (i > start) out.emplace_back(text.substr(start, i - start));
  }
  return out;
}

// A version element as a number: its leading decimal digits (0 when it
// starts with none), held at the largest value rather than wrapping.
uint64_t ElementNumber(TextView element) {
  uint64_t n = 0;
  for (char16_t c : element) {
    if (!IsDigit(c)) break;
    const uint64_t d = static_cast<uint64_t>(c - u'0');
    if (n > (std::numeric_limits<uint64_t>::max() - d) / 10) return std::numeric_limits<uint64_t>::max();
    n = n * 10 + d;
  }
  return n;
}

std::vector<uint64_t> VersionElements(TextView text) {
  Text t(text);
  const size_t firstDigit = std::find_if(t.begin(), t.end(), IsDigit) - t.begin();
  if (firstDigit < t.size()) t.erase(0, firstDigit);
  const size_t underscore = t.find(u'_');
  if (underscore != Text::npos) t[underscore] = u'.';
  std::vector<uint64_t> out;
  for (const Text& e : SplitFields(t, u'.')) out.push_back(ElementNumber(e));
  return out;
}

}  // namespace

std::vector<Text> SplitFields(TextView text, char16_t separator) {
  std::vector<Text> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == TextView::npos) end = text.size();
    Text piece = Trim(text.substr(start, end - start));
    if (!piece.empty()) out.push_back(std::move(piece));
    start = end + 1;
  }
  return out;
}

std::vector<Text> ConditionNamesOf(TextView expression) {
  std::vector<Text> names;
  const Text e = ToLower(expression);
  size_t pos = 0;
  while (pos < e.size()) {
    const size_t at = e.find(u"condition", pos);
    if (at == Text::npos) break;
    size_t end = e.size();
    bool toEnd = true;
    for (size_t i = at; i < e.size(); ++i) {
      if (IsBlank(e[i]) || e[i] == u')') {
        end = i;
        toEnd = false;
        break;
      }
    }
    if (end > at) names.push_back(e.substr(at, end - at));
    if (toEnd) break;
    pos = end;
  }
  return names;
}

int DecimalPrefix(TextView text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool minus = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    minus = text[i] == u'-';
    ++i;
  }
  uint32_t total = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) total = total * 10u + static_cast<uint32_t>(text[i] - u'0');
  if (minus) total = 0u - total;
  return static_cast<int>(total);
}

int CompareVersions(TextView a, TextView b) {
  const std::vector<uint64_t> x = VersionElements(a), y = VersionElements(b);
  const size_t common = std::min(x.size(), y.size());
  for (size_t i = 0; i < common; ++i) {
    if (x[i] > y[i]) return kVersionGreater;
    if (x[i] < y[i]) return kVersionSmaller;
  }
  for (size_t i = common; i < x.size(); ++i)
    if (x[i] != 0) return kVersionGreater;
  for (size_t i = common; i < y.size(); ++i)
    if (y[i] != 0) return kVersionSmaller;
  return kVersionEqual;
}

bool EvaluateRelation(TextView op, int c) {
  if (op == condop::kEqual) return c == kVersionEqual;
  if (op == condop::kGreaterOrEqual) return c == kVersionGreater || c == kVersionEqual;
  if (op == condop::kLessOrEqual) return c == kVersionSmaller || c == kVersionEqual;
  if (op == condop::kNotEqual) return c != kVersionEqual;
  if (op == condop::kGreater) return c == kVersionGreater;
  if (op == condop::kLess) return c == kVersionSmaller;
  return false;
}

bool CompareStrings(TextView value, TextView expected, TextView op) {
  if (op == condop::kEqual) return EqualsNoCase(value, expected);
  if (op == condop::kNotEqual) return !EqualsNoCase(value, expected);
  return false;
}

bool IsVersionText(TextView text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return IsDigit(c) || c == u'.'; });
}

Text StripBraces(TextView text) {
  size_t start = 0, end = text.size();
  if (start < end && text[start] == u'{')
    while (start < end && text[start] == u'{') ++start;
  if (start < end && text[end - 1] == u'}')
    while (start < end && text[end - 1] == u'}') --end;
  return Text(text.substr(start, end - start));
}

Text TrimBracesAndBlanks(TextView text) {
  size_t start = 0, end = text.size();
  while (start < end && (text[start] == u'{' || IsBlank(text[start]))) ++start;
  while (start < end && (text[end - 1] == u'}' || IsBlank(text[end - 1]))) --end;
  return Text(text.substr(start, end - start));
}

bool IsConditionNegated(TextView expression, TextView conditionName) {
  const Text e = ToLower(expression);
  const Text name = ToLower(conditionName);
  // A "not" followed by a parenthesis negates the names up to the first ")".
  for (size_t pos = e.find(u"not"); pos != Text::npos; pos = e.find(u"not", pos + 3)) {
    size_t open = pos + 3;
    while (open < e.size() && IsBlank(e[open])) ++open;
    if (open >= e.size() || e[open] != u'(') continue;
    const size_t close = e.find(u')', open + 1);
    Text inner = e.substr(open + 1, close == Text::npos ? Text::npos : close - open - 1);
    for (const char16_t* t : {u"(", u")", u"and", u"or", u"not"}) ReplaceAll(inner, t, u" ");
    for (const Text& w : Words(inner))
      if (EqualsNoCase(w, name)) return true;
  }
  // Otherwise every occurrence must be the word right after a "not".
  Text spaced = e;
  std::replace(spaced.begin(), spaced.end(), u'(', u' ');
  std::replace(spaced.begin(), spaced.end(), u')', u' ');
  const std::vector<Text> words = Words(spaced);
  bool negated = false;
  for (size_t i = 0; i < words.size(); ++i) {
    if (!EqualsNoCase(words[i], name)) continue;
    if (i == 0 || words[i - 1] != u"not") return false;
    negated = true;
  }
  return negated;
}

}  // namespace tovu
