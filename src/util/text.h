// The one text type of the system: UTF-16 code units, on every platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tovu {

using Text = std::u16string;
using TextView = std::u16string_view;

// ASCII/Latin-1 widening: every byte becomes the code unit of the same value.
Text Widen(std::string_view s);
// UTF-8 <-> UTF-16 (invalid sequences become U+FFFD).
Text FromUtf8(std::string_view s);
std::string ToUtf8(TextView t);
// Appends one Unicode code point (a surrogate pair above U+FFFF).
void AppendCodePoint(Text& out, uint32_t cp);

// Case folding as the system uses it for names: A-Z and the Latin-1
// capitals U+00C0..U+00DE (except U+00D7) map to lower case.
char16_t ToLowerChar(char16_t c);
char16_t ToUpperChar(char16_t c);
Text ToLower(TextView t);
Text ToUpper(TextView t);
bool EqualsNoCase(TextView a, TextView b);
// <0, 0, >0 like wcsicmp.
int CompareNoCase(TextView a, TextView b);

bool IsBlank(char16_t c);  // space, tab, CR, LF, VT, FF
Text Trim(TextView t);
Text TrimLeft(TextView t);
Text TrimRight(TextView t);

bool StartsWith(TextView t, TextView prefix);
bool EndsWith(TextView t, TextView suffix);
// Replaces every occurrence of `from` (non-empty) by `to`; returns the count.
int ReplaceAll(Text& t, TextView from, TextView to);

// Length of a zero-terminated UTF-16 string.
size_t Length(const char16_t* s);

}  // namespace tovu
