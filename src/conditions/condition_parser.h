// CTovuConditionParser: decides whether the combining expression of the
// extraction requirements (Action1Condition) is true, by text rewriting.
// Each condition token is replaced by T or F, blanks are removed and a fixed
// list of substitutions is applied pass after pass until one letter is
// left. The rules and their order are the behaviour: expressions that a
// grammar would accept can still end unreduced (-1), and the parentheses
// are only counted, never matched.
#pragma once

#include <map>
#include <vector>

#include "util/text.h"

namespace tovu {

// Evaluate results.
constexpr int kConditionTrue = 1;
constexpr int kConditionFalse = 0;
constexpr int kConditionNotReducible = -1;
constexpr int kConditionUnbalanced = -2;

// Conditions 1 to this number are reported as missing when the expression
// names them without a result.
constexpr int kMaxReportedCondition = 25;

// condition number -> result (1 true, anything else false).
using ConditionResultMap = std::map<int, int>;
// Tokens "CONDITION<n>" the parser found, in the order it found them.
using ConditionNameList = std::vector<Text>;

class CTovuConditionParser {
 public:
  CTovuConditionParser() = default;
  virtual ~CTovuConditionParser() = default;

  // 1 true, 0 false, -1 the expression cannot be reduced (also the empty
  // expression), -2 the parentheses do not balance. Adds the tokens found
  // (with a result, and those missing one) to `names`.
  int Evaluate(const Text& expression, const ConditionResultMap& results, ConditionNameList& names);

  // The count of "(" equals the count of ")"; order is not checked.
  bool AreParenthesesBalanced(const Text& expression);

  // For n = 1 to 25: when "CONDITION" followed by n occurs in the
  // (upper-case) expression and there is no result for n, adds that token
  // to `names`. -1 when it added any, else 0. The text is searched as it
  // is: "CONDITION1" also occurs in "CONDITION12".
  int CollectMissingConditions(const Text& expression, const ConditionResultMap& results, ConditionNameList& names);
};

}  // namespace tovu
