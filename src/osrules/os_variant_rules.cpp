#include "osrules/os_variant_rules.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace tovu::osrules {
namespace {

struct VersionCodeRow {
  const char16_t* name;
  const char16_t* digits;
};
// First match wins.
constexpr VersionCodeRow kVersionCodes[] = {
    {u"windows10", u"100"},        {u"windows2016", u"100"},       {u"windows2019", u"100"},
    {u"windows1064", u"10064"},    {u"windows201664", u"10064"},   {u"windows201964", u"10064"},
    {u"windows7", u"61"},          {u"windows2008R2", u"61"},      {u"windows764", u"6164"},
    {u"windows2008R264", u"6164"}, {u"windowsvista", u"60"},       {u"windows2008", u"60"},
    {u"windowsvista64", u"6064"},  {u"windows200864", u"6064"},    {u"windows2003R2", u"52"},
    {u"windows2003", u"52"},       {u"windowsxp", u"51"},          {u"windows2003R264", u"5264"},
    {u"windowsXP64", u"5264"},     {u"windows200364", u"5264"},    {u"windows2000", u"50"},
    {u"windowsnt", u"40"},         {u"windows95", u"410"},         {u"windows98", u"490"},
};

// Decimal value of the leading digits; 0 when there are none.
uint32_t LeadingNumber(TextView t) {
  uint32_t v = 0;
  for (char16_t c : t) {
    if (c < u'0' || c > u'9') break;
    v = v * 10 + static_cast<uint32_t>(c - u'0');
  }
  return v;
}

using Replacement = std::pair<const char16_t*, const char16_t*>;

// Applies the replacements, in order, to the piece s[start, start + count)
// (positions clamped) and puts the rest back around it.
Text ReplaceWithin(TextView s, long long start, long long count, std::initializer_list<Replacement> rules) {
  const long long len = static_cast<long long>(s.size());
  if (start < 0) start = 0;
  if (start > len) start = len;
  if (count > len - start) count = len - start;
  if (count < 0) count = 0;
  Text piece(s.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
  for (auto [from, to] : rules) ReplaceAll(piece, from, to);
  return Text(s.substr(0, static_cast<size_t>(start))) + piece + Text(s.substr(static_cast<size_t>(start + count)));
}

// The operator that starts at position i, or empty.
TextView OperatorAt(TextView s, size_t i) {
  if (s.compare(i, 3, kAndNot) == 0) return kAndNot;
  if (s.compare(i, 2, kAnd) == 0) return kAnd;
  if (s.compare(i, 2, kOr) == 0) return kOr;
  return TextView();
}

}  // namespace

Text ClampedMid(TextView s, long long start, long long count) {
  if (start < 0) start = 0;
  const long long len = static_cast<long long>(s.size());
  if (start >= len || count <= 0) return Text();
  if (count > len - start) count = len - start;
  return Text(s.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
}

std::vector<Text> SplitList(TextView text) {
  std::vector<Text> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u';', start);
    if (end == TextView::npos) end = text.size();
    Text element = Trim(text.substr(start, end - start));
    if (!element.empty()) out.push_back(std::move(element));
    start = end + 1;
  }
  return out;
}

Text VersionCodeOf(TextView entry) {
  for (const VersionCodeRow& row : kVersionCodes)
    if (EqualsNoCase(entry, row.name)) return row.digits;
  return Text();
}

MinimumVersion ParseMinimumVersion(TextView d) {
  MinimumVersion v;
  const long long len = static_cast<long long>(d.size());
  v.only64 = ClampedMid(d, len - 2, 2) == u"64";
  Text majorText, minorText;
  if (!d.empty() && d[0] == u'1') {
    majorText = ClampedMid(d, 0, 2);
    minorText = ClampedMid(d, 2, 1);
  } else {
    majorText = ClampedMid(d, 0, 1);
    minorText = ClampedMid(d, 1, 1);
  }
  v.major = LeadingNumber(majorText);
  v.minor = LeadingNumber(minorText);
  return v;
}

Text ReduceVariantExpression(TextView input) {
  Text s(input);
  const long long len = static_cast<long long>(s.size());
  if (StartsWith(s, kAndNot)) {
    s = ReplaceWithin(s, 0, 4, {{u"&&!T", u"F"}, {u"&&!F", u"T"}});
  } else if (ClampedMid(s, len - 4, 3) == kAndNot) {
    if (ClampedMid(s, len - 6, 2) == kOr) s = ReplaceWithin(s, len - 4, 4, {{u"&&!T", u"F"}, {u"&&!F", u"T"}});
  } else if (StartsWith(s, kAnd) || StartsWith(s, kOr)) {
    s = ReplaceWithin(s, 0, 3, {{u"&&T", u"T"}, {u"&&F", u"F"}, {u"||T", u"T"}, {u"||F", u"F"}});
  }
  static constexpr Replacement kRules[] = {
      {u"T&&F", u"F"},  {u"F&&T", u"F"},  {u"F&&F", u"F"},  {u"T&&T", u"T"},
      {u"T||F", u"T"},  {u"F||T", u"T"},  {u"F||F", u"F"},  {u"T||T", u"T"},
      {u"T&&!F", u"T"}, {u"F&&!T", u"F"}, {u"F&&!F", u"F"}, {u"T&&!T", u"F"},
  };
  for (auto [from, to] : kRules) ReplaceAll(s, from, to);
  return s;
}

Text GetFirstVariantOperator(TextView s) {
  const size_t amp = s.find(u'&');
  if (amp != TextView::npos) {
    if (s.compare(amp, 3, kAndNot) == 0) return kAndNot;
    if (s.compare(amp, 2, kAnd) == 0) return kAnd;
  }
  const size_t bar = s.find(u'|');
  if (bar != TextView::npos && s.compare(bar, 2, kOr) == 0) return kOr;
  return Text();
}

int IsSingleOperatorChain(TextView s, TextView op) {
  for (size_t i = 0; i < s.size();) {
    const TextView found = OperatorAt(s, i);
    if (found.empty()) {
      ++i;
      continue;
    }
    if (found != op) return 0;
    i += found.size();
  }
  return 1;
}

int GetChainResult(TextView s, TextView op) {
  if (op == kOr) return s.find(u'T') != TextView::npos ? 1 : 0;
  if (op == kAnd) return s.find(u'F') == TextView::npos ? 1 : 0;
  if (op.empty()) return 1;
  if (op != kAndNot) return 0;
  // "A&&!B&&!C": A and none of B, C. The atoms are the pieces between the
  // operators; a leading operator leaves an empty first piece, and then
  // every atom is negated.
  std::vector<Text> pieces;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(kAndNot, start);
    pieces.emplace_back(Trim(s.substr(start, at == TextView::npos ? TextView::npos : at - start)));
    if (at == TextView::npos) break;
    start = at + 3;
  }
  if (!pieces[0].empty() && pieces[0] != u"T") return 0;
  for (size_t i = 1; i < pieces.size(); ++i)
    if (pieces[i] != u"F") return 0;
  return 1;
}

}  // namespace tovu::osrules
