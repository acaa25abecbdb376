#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tovu
