// The text rules of the [OS] allowance check that depend on nothing but
// their arguments: the digit text of a system name, the reduction of a
// variant expression of "T"/"F" atoms, and the operations on chains of
// more than two atoms. COSValidator (os_validator.h) applies them to the
// names of the running system.
//
// Variant expressions are rewritten as text, not parsed: an expression a
// real parser would accept may still end unreduced (an atom whose text
// holds the capitals "OR" or "AND", such as "STANDARD", is read as an
// operator, and "&&" alone stays "&&"); such a variant does not apply.
#pragma once

#include <cstdint>
#include <vector>

#include "util/text.h"

namespace tovu::osrules {

// Operators of the variant rules.
inline constexpr char16_t kAnd[] = u"&&";
inline constexpr char16_t kOr[] = u"||";
inline constexpr char16_t kAndNot[] = u"&&!";

// The digit text of a system name of the allowed-systems list ("windows7"
// -> "61", "windows1064" -> "10064"), compared ignoring case; empty for a
// name the table does not know.
Text VersionCodeOf(TextView entry);

// A minimum-version entry read as numbers: from the digit text d, the
// major text is its first character and the minor text its second (when
// the first character is "1", the first two and the third); the suffix is
// its last two characters. Numbers are 0 without leading digits.
struct MinimumVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  bool only64 = false;  // the suffix is "64"
};
MinimumVersion ParseMinimumVersion(TextView digits);

// Reduces an expression of one or two atoms ("T&&!F", "&&!T", "F||T") by
// the fixed text replacements; "T" means the variant applies.
Text ReduceVariantExpression(TextView s);

// The first operator of an expression: "&&!" or "&&" at the first "&";
// when there is no "&" or the first one starts no operator, "||" at the
// first "|"; otherwise empty.
Text GetFirstVariantOperator(TextView expression);
// 1 when the expression holds no operator other than `op` ("&&!" and "&&"
// are different operators), else 0.
int IsSingleOperatorChain(TextView expression, TextView op);
// The result of a chain of atoms joined only by `op`:
//   "||"  1 when any atom is "T";
//   "&&"  1 when no atom is "F";
//   "&&!" 1 when the first atom is "T" and none of the others is ("A and
//         not B and not C ..."); a chain that starts with "&&!" negates its
//         first atom as well, so it gives 1 only when every atom is "F";
//   ""    1.
// Any other operator gives 0.
int GetChainResult(TextView expression, TextView op);

// The text between two positions as a text function with clamped
// positions takes it: a negative start counts as 0 (the count is kept), a
// start past the end gives "", and the count is cut at the end.
Text ClampedMid(TextView s, long long start, long long count);

// Splits at ";", trims every element and drops the empty ones; the
// elements in written order.
std::vector<Text> SplitList(TextView text);

}  // namespace tovu::osrules
