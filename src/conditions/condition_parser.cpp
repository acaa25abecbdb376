#include "conditions/condition_parser.h"

#include <algorithm>

namespace tovu {

namespace {

Text Token(int n) {
  Text t = u"CONDITION";
  const std::string digits = std::to_string(n);
  t.append(digits.begin(), digits.end());
  return t;
}

// Replaces every occurrence of `token` that is not followed by a digit.
bool ReplaceWholeToken(Text& text, const Text& token, TextView by) {
  bool any = false;
  size_t pos = 0;
  while ((pos = text.find(token, pos)) != Text::npos) {
    const size_t after = pos + token.size();
    if (after < text.size() && text[after] >= u'0' && text[after] <= u'9') {
      ++pos;
      continue;
    }
    text.replace(pos, token.size(), by);
    pos += by.size();
    any = true;
  }
  return any;
}

// One pass, in exactly this order: single negations, then conjunctions,
// then disjunctions, then a parenthesis around a single letter.
constexpr const char16_t* kRules[][2] = {
    {u"NOTT", u"F"},  {u"NOTF", u"T"},  {u"TANDF", u"F"}, {u"FANDT", u"F"}, {u"FANDF", u"F"}, {u"TANDT", u"T"},
    {u"TORF", u"T"},  {u"FORT", u"T"},  {u"FORF", u"F"},  {u"TORT", u"T"},  {u"(T)", u"T"},   {u"(F)", u"F"},
};

}  // namespace

bool CTovuConditionParser::AreParenthesesBalanced(const Text& expression) {
  return std::count(expression.begin(), expression.end(), u'(') ==
         std::count(expression.begin(), expression.end(), u')');
}

int CTovuConditionParser::CollectMissingConditions(const Text& expression, const ConditionResultMap& results,
                                                   ConditionNameList& names) {
  int r = 0;
  for (int n = 1; n <= kMaxReportedCondition; ++n) {
    const Text token = Token(n);
    if (expression.find(token) == Text::npos || results.count(n)) continue;
    names.push_back(token);
    r = -1;
  }
  return r;
}

int CTovuConditionParser::Evaluate(const Text& expression, const ConditionResultMap& results,
                                   ConditionNameList& names) {
  Text e = ToUpper(expression);
  if (!AreParenthesesBalanced(e)) return kConditionUnbalanced;
  CollectMissingConditions(e, results, names);
  for (const auto& [n, result] : results) {
    const Text token = Token(n);
    if (ReplaceWholeToken(e, token, result == 1 ? u"T" : u"F")) names.push_back(token);
  }
  e.erase(std::remove_if(e.begin(), e.end(), IsBlank), e.end());
  size_t length = e.size();
  for (;;) {
    for (const auto& rule : kRules) ReplaceAll(e, rule[0], rule[1]);
    if (e.size() == 1) break;
    if (e.size() == length) return kConditionNotReducible;
    length = e.size();
  }
  return e == u"T" ? kConditionTrue : kConditionFalse;
}

}  // namespace tovu
