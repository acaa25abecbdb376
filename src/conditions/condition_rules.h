// The text rules of the condition engine that need no machine: the fields
// of a condition value, the condition names of the combining expression,
// version and string comparison, the operator table and the negation test
// of the message selection. Pure functions; none of them throws on valid
// input of any length.
#pragma once

#include <cstdint>
#include <vector>

#include "util/text.h"

namespace tovu {

// The combining operators of a condition, as written in the settings.
namespace condop {
constexpr const char16_t* kEqual = u"{=}";
constexpr const char16_t* kNotEqual = u"{!=}";
constexpr const char16_t* kGreaterOrEqual = u"{>=}";
constexpr const char16_t* kLessOrEqual = u"{<=}";
constexpr const char16_t* kGreater = u"{>}";
constexpr const char16_t* kLess = u"{<}";
constexpr const char16_t* kExist = u"{EXIST}";
constexpr const char16_t* kNotExist = u"{NOTEXIST}";
constexpr const char16_t* kExists = u"{}";  // the object exists
}  // namespace condop

// Condition types.
namespace condtype {
constexpr const char16_t* kRegistry = u"{Registry}";      // 32-bit registry view
constexpr const char16_t* kRegistry64 = u"{Registry64}";  // 64-bit registry view
constexpr const char16_t* kFile = u"{File}";
}  // namespace condtype

// CompareVersions results.
constexpr int kVersionGreater = 0;  // a is greater
constexpr int kVersionSmaller = 1;  // a is smaller
constexpr int kVersionEqual = 2;

// Splits at `separator`; every piece is blank-trimmed and empty pieces are
// dropped, so the remaining pieces keep their order but not their places.
std::vector<Text> SplitFields(TextView text, char16_t separator);

// The condition names used by a combining expression, lower-cased, in order
// of appearance (a name used twice appears twice): from each "condition" to
// the first blank or ")" after it, or to the end of the text.
std::vector<Text> ConditionNamesOf(TextView expression);

// The decimal number at the start of a text after blanks and one sign, as
// the C runtime's _wtoi reads it (0 without digits; the total wraps at 32
// bits).
int DecimalPrefix(TextView text);

// 0 when a is greater, 1 when a is smaller, 2 when both are equal. Text
// before the first decimal digit is dropped, the first "_" counts as ".",
// elements are compared as numbers and further elements of the longer text
// count only when they are not 0.
int CompareVersions(TextView a, TextView b);

// Whether comparison result `c` (of CompareVersions) satisfies the operator
// (compared exactly): {=} equal, {>=}, {<=}, {!=}, {>}, {<}; any other
// operator is never satisfied.
bool EvaluateRelation(TextView op, int c);

// {=}: equal ignoring case; {!=}: different ignoring case; any other
// operator: false.
bool CompareStrings(TextView value, TextView expected, TextView op);

// Every character a decimal digit or "." (the empty text counts).
bool IsVersionText(TextView text);

// Removes all leading "{" when the text starts with one and all trailing
// "}" when it ends with one; blanks are kept.
Text StripBraces(TextView text);

// Removes leading "{" and blanks and trailing "}" and blanks.
Text TrimBracesAndBlanks(TextView text);

// Whether a condition counts as negated in the combining expression (for
// the message selection): its name is a word inside the parentheses that
// follow a "not" (up to the first ")"), or else every occurrence of its
// name as a word is right after the word "not". A name that occurs nowhere
// as a word is not negated.
bool IsConditionNegated(TextView expression, TextView conditionName);

}  // namespace tovu
