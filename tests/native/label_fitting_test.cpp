// Fitting texts to labels with a measure of 7 pixels per character and a
// line height of 13 pixels ("..." is 21 pixels wide).
#include <gtest/gtest.h>

#include "ui/label_fitting.h"
#include "util/text.h"

namespace tovu {
namespace {

TextExtent SevenPerChar(const Text& t) { return {static_cast<int>(t.size()) * 7, 13}; }

Text Letters(size_t n) {
  Text t;
  for (size_t i = 0; i < n; ++i) t.push_back(static_cast<char16_t>(u'a' + i % 26));
  return t;
}

struct FitCase {
  const char* name;
  Text text;
  int width;
  int height;
  FitVariant variant;
  FitMode mode;
  Text expected;
};

TEST(FitTextToLabel, FitsByVariantAndMode) {
  const Text long30 = Letters(30);  // 210 px
  const FitCase cases[] = {
      // 70 px wide, one line of 13: budget 70 - (6 + 21) = 43 -> 6 characters (42 < 43).
      {"trailing cut", long30, 70, 13, FitVariant::Pages, FitMode::Trailing, Letters(6) + u"..."},
      {"leading cut keeps the end", long30, 70, 13, FitVariant::Dialogs, FitMode::Leading,
       u"..." + long30.substr(24)},
      // Budget 69 - 27 = 42: six characters (42 px) are not below it.
      {"prefix must be below the budget", Letters(20), 69, 13, FitVariant::Pages, FitMode::Trailing,
       Letters(5) + u"..."},
      {"fits: unchanged", Letters(10), 70, 13, FitVariant::Pages, FitMode::Trailing, Letters(10)},
      // Two lines of 13 in 26: budget 140 - (12 + 21) = 107 -> 15 characters.
      {"two lines of height", long30, 70, 26, FitVariant::Dialogs, FitMode::Trailing, Letters(15) + u"..."},
      // Lower than a line: no lines, the budget is negative and the text stays whole.
      {"pages, lower than a line", long30, 70, 12, FitVariant::Pages, FitMode::Trailing, long30},
      {"dialogs, lower than a line", long30, 70, 12, FitVariant::Dialogs, FitMode::Leading, long30},
      // The finish page and the title count such a label as one line.
      {"finish, lower than a line", long30, 70, 12, FitVariant::FinishPage, FitMode::Trailing,
       Letters(6) + u"..."},
      // The license page always assumes two lines, however low the label.
      {"license, one line high", long30, 70, 13, FitVariant::LicensePage, FitMode::Trailing,
       Letters(15) + u"..."},
      {"license, almost twice as wide", Letters(15), 70, 13, FitVariant::LicensePage, FitMode::Trailing,
       Letters(15)},
      // Not even one character below the budget: "..." alone.
      {"nothing fits", long30, 28, 13, FitVariant::Pages, FitMode::Trailing, u"..."},
      {"nothing fits, leading", long30, 28, 13, FitVariant::Dialogs, FitMode::Leading, u"..."},
      // Title: 7 px of a 200 px label: trunc(200 * 0.2) = 40 > 7; 7 px are 3 % of it,
      // so n = trunc((20 - 3) / 100 * 200) = 34 blanks.
      {"title filled with blanks", u"A", 200, 20, FitVariant::TitleLabel, FitMode::Trailing, u"A" + Text(34, u' ')},
      {"title at a fifth: no blanks", Letters(3), 105, 20, FitVariant::TitleLabel, FitMode::Trailing, Letters(3)},
      {"other labels never filled", u"A", 100, 20, FitVariant::Pages, FitMode::Trailing, u"A"},
      {"title too wide is cut", long30, 70, 10, FitVariant::TitleLabel, FitMode::Trailing, Letters(6) + u"..."},
  };
  for (const FitCase& c : cases) {
    EXPECT_EQ(ToUtf8(FitTextToLabel(c.text, c.width, c.height, c.variant, c.mode, SevenPerChar)),
              ToUtf8(c.expected))
        << c.name;
  }
}

TEST(FitTextToLabel, NeverSplitsASurrogatePair) {
  // U+1F600 as a pair, counted as two units of 7 px by the measure.
  const Text face = u"\U0001F600";
  const Text text = Text(u"abcde") + face + u"xyz0123456789";
  // Budget 43: "abcde" (35) fits, "abcde" + high half (42) would, the pair (49) not.
  EXPECT_EQ(FitTextToLabel(text, 70, 13, FitVariant::Pages, FitMode::Trailing, SevenPerChar), u"abcde...");
  const Text back = Text(u"0123456789xyz") + face + u"abcde";
  EXPECT_EQ(FitTextToLabel(back, 70, 13, FitVariant::Dialogs, FitMode::Leading, SevenPerChar), u"...abcde");
}

TEST(BreakAtFirstBackslashN, OnlyTheFirstPair) {
  EXPECT_EQ(BreakAtFirstBackslashN(u"Invalid password.\\nEnter it.\\nAgain"), u"Invalid password.\nEnter it.\\nAgain");
  EXPECT_EQ(BreakAtFirstBackslashN(u"no pair \\ n here"), u"no pair \\ n here");
  EXPECT_EQ(BreakAtFirstBackslashN(u"\\n"), u"\n");
}

}  // namespace
}  // namespace tovu
