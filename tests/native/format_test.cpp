#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "util/format.h"

namespace tovu {
namespace {

struct FormatCase {
  const char16_t* format;
  Text expected;
};

TEST(Format, MatchesTheLogAndSizeFormats) {
  const Text fn40(40, u'f');
  const Text fn50(50, u'g');
  EXPECT_EQ(Format(u"%-35.45s|", u"ExtractFile"), u"ExtractFile                        |");
  EXPECT_EQ(Format(u"%-35.45s|", fn40), fn40 + u"|");
  EXPECT_EQ(Format(u"%-35.45s|", fn50), Text(45, u'g') + u"|");
  EXPECT_EQ(Format(u"%.02f %s", 1.5, u"MB"), u"1.50 MB");
  EXPECT_EQ(Format(u"%.02f %s", 1024.0, u"KB"), u"1024.00 KB");
  EXPECT_EQ(Format(u"%I64d", int64_t{-9007199254740993}), u"-9007199254740993");
  EXPECT_EQ(Format(u"%I64u", uint64_t{18446744073709551615ull}), u"18446744073709551615");
  EXPECT_EQ(Format(u"%d", int64_t{4294967297}), u"1");  // %d is 32-bit
  EXPECT_EQ(Format(u"%u", -1), u"4294967295");
  EXPECT_EQ(Format(u"%d  ", 3), u"3  ");
  EXPECT_EQ(Format(u"%02d:%02d:%02d", 9, 5, 4), u"09:05:04");
  EXPECT_EQ(Format(u"%04d%02d", 2026, 3), u"202603");
  EXPECT_EQ(Format(u"%c:\\", u'E'), u"E:\\");
  EXPECT_EQ(Format(u"%s\\%s", u"C:\\a", Text(u"b")), u"C:\\a\\b");
  EXPECT_EQ(Format(u"%5d|%-5d|%05d", 42, 42, -42), u"   42|42   |-0042");
  EXPECT_EQ(Format(u"%x %X %08X", 255u, 255u, 0xBEEFu), u"ff FF 0000BEEF");
  EXPECT_EQ(Format(u"100%% %s", u"done"), u"100% done");
}

TEST(Format, SurvivesMalformedFormatsAndMissingArguments) {
  EXPECT_EQ(Format(u"%s and %d"), u" and ");
  EXPECT_EQ(Format(u"trailing %"), u"trailing %");
  EXPECT_EQ(Format(u"half %-3", 1), u"half %-3");
  EXPECT_EQ(Format(u"%q stays", 1), u"%q stays");
  EXPECT_EQ(Format(u"%s", static_cast<const char16_t*>(nullptr)), u"(null)");
  EXPECT_EQ(Format(u"%s", 17), u"17");
  EXPECT_EQ(Format(u"%d", u"text"), u"0");
  EXPECT_EQ(Format(u"%999999999999d", 1).size(), 100000u);
}

// Precisions of integers: what the platform's printf prints for the same
// format and value (the Windows build compares those marked `crt` with its
// C runtime).
struct IntegerCase {
  const char16_t* format;
  int64_t value;
  Text expected;
  bool crt = true;
};

const IntegerCase kIntegerPrecisions[] = {
    {u"%.5d", 42, u"00042"},
    {u"%.5d", -42, u"-00042"},
    {u"%+.3d", 42, u"+042"},
    {u"% .3d", 42, u" 042"},
    // A precision turns the zero flag off, as Windows documents it (Wine's
    // msvcrt pads with zeros).
    {u"%08.3d", 42, u"     042", false},
    {u"%-8.3d|", -42, u"-042    |"},
    {u"%.0d|", 0, u"|"},            // zero with precision 0 has no digits
    {u"%5.0x|", 0, u"     |"},
    {u"%.0u|", 7, u"7|"},
    {u"%.2d", 12345, u"12345"},
    {u"%.6x", 42, u"00002a"},
    {u"%.10X", 0xBEEF, u"000000BEEF"},
    {u"%.12u", -1, u"004294967295"},
    {u"%.25I64d", -9007199254740993, u"-0000000009007199254740993", false},  // Wine's msvcrt: memory damage
    {u"%.300d", 1, Text(299, u'0') + u"1", false},  // Wine's msvcrt faults on it
};

TEST(Format, PrecisionsPadIntegersWithZeros) {
  for (const IntegerCase& c : kIntegerPrecisions) EXPECT_EQ(Format(c.format, c.value), c.expected) << ToUtf8(c.format);

  // The largest precision: every character but the last a zero, made in
  // one step rather than one character at a time.
  const Text wide = Format(u"%.100000d", 7);
  ASSERT_EQ(wide.size(), 100000u);
  EXPECT_EQ(wide.find_first_not_of(u'0'), 99999u);
  EXPECT_EQ(Format(u"%.99999999999I64u", uint64_t{12}).size(), 100000u);
}

TEST(Format, DoublesForIntegerConversionsAreTruncatedAndClamped) {
  struct Case {
    const char16_t* format;
    double value;
    Text expected;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {u"%d", 3.99, u"3"},
      {u"%d", -3.99, u"-3"},
      {u"%d", 1e300, u"2147483647"},
      {u"%d", -1e300, u"-2147483648"},
      {u"%d", 3e9, u"2147483647"},          // clamped, not cut to 32 bits
      {u"%d", inf, u"2147483647"},
      {u"%d", nan, u"0"},
      {u"%I64d", 1e300, u"9223372036854775807"},
      {u"%I64d", -1e300, u"-9223372036854775808"},
      {u"%I64d", 9223372036854775807.0, u"9223372036854775807"},  // 2^63 after rounding
      {u"%I64d", -9223372036854775808.0, u"-9223372036854775808"},
      {u"%u", -5.0, u"0"},
      {u"%u", -0.5, u"0"},
      {u"%u", 3e9, u"3000000000"},
      {u"%u", 1e300, u"4294967295"},
      {u"%x", -1.0, u"0"},
      {u"%X", 4294967296.0, u"FFFFFFFF"},
      {u"%I64u", 1e300, u"18446744073709551615"},
      {u"%I64u", -inf, u"0"},
      {u"%I64x", nan, u"0"},
      {u"%c", 65.7, u"A"},
      {u"%c", -1e300, Text(1, u'\0')},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Format(c.format, c.value), c.expected) << ToUtf8(c.format) << " " << c.value;
}

}  // namespace
}  // namespace tovu
