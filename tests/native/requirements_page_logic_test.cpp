// The extraction-requirements page's window-free decisions: the list text
// of the unmet requirements (which keys, the per-text limit, the cut) and
// what Retry does.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "ui/requirements_page_logic.h"

namespace tovu::requirements {
namespace {

using wizard::PageKind;

std::string U8(const Text& t) { return ToUtf8(t); }

Text Repeat(char16_t c, size_t n) { return Text(n, c); }

// Message texts of a package: keys as the condition check writes them.
KeyText Texts(std::map<Text, Text> texts) {
  return [texts](const Text& key) {
    auto it = texts.find(key);
    return it == texts.end() ? Text() : it->second;
  };
}

TEST(RequirementsMessage, TheLimitIsAShareOfTheRoom) {
  struct Case {
    int count, limit;
  } cases[] = {{1, 535}, {2, 260}, {3, 168}, {7, 63}, {36, 0}, {37, -1}, {100, -10}, {0, 0}};
  for (const Case& c : cases) EXPECT_EQ(MessageLimit(c.count), c.limit) << c.count;
}

TEST(RequirementsMessage, ALongTextIsCutToTheLimitWithDots) {
  const Text pair = u"\xD83D\xDE00";  // one character outside the 16-bit range
  struct Case {
    Text text;
    int limit;
    Text shown;
  } cases[] = {
      {u"abcdef", 6, u"abcdef"},      // as long as the limit: kept
      {u"abcdefg", 6, u"abcdef..."},  // one more: cut
      {u"", 0, u""},
      {u"a", 0, u"..."},
      {u"abc", -1, u"..."},  // no room: the dots alone
      {u"", -1, u"..."},
      {u"abcde" + pair + u"z", 6, u"abcde..."},  // the pair is not split
      {u"abcd" + pair + u"z", 6, u"abcd" + pair + u"..."},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(CutToLimit(c.text, c.limit)), U8(c.shown)) << U8(c.text);
}

TEST(RequirementsMessage, ThreeLongTextsAreEachCutTo168CharactersAndLoggedWhole) {
  const Text a = Repeat(u'a', 200), b = Repeat(u'b', 168), c = Repeat(u'c', 169);
  const ConditionMessage m = BuildConditionMessage(
      u"1033;", 1033, u"{MsgRequirements};{MsgOne};{MsgTwo};",
      Texts({{u"{MsgRequirements}", a}, {u"{MsgOne}", b}, {u"{MsgTwo}", c}}));
  EXPECT_EQ(U8(m.text), U8(Repeat(u'a', 168) + u"...\n" + b + u"\n" + Repeat(u'c', 168) + u"...\n"));
  ASSERT_EQ(m.fullTexts.size(), 3u);
  EXPECT_EQ(U8(m.fullTexts[0]), U8(a));
  EXPECT_EQ(U8(m.fullTexts[2]), U8(c));
}

TEST(RequirementsMessage, WhichKeysAndLanguagesGiveLines) {
  const KeyText texts = Texts({{u"{MsgRequirements}", u"Requirements are not met."},
                               {u"{MsgTool}", u"Tool 2.0[NEWLINE][TAB]or later"},
                               {u"{MsgEmpty}", u""}});
  struct Case {
    const char16_t* languages;
    int language;
    const char16_t* keys;
    const char16_t* shown;
  } cases[] = {
      {u"1033;", 1033, u"{MsgRequirements};{MsgTool};", u"Requirements are not met.\nTool 2.0\n\tor later\n"},
      // keys without a text count for nothing (also for the limit)
      {u"1033", 1033, u"{MsgMissing};{MsgEmpty};{MsgTool};", u"Tool 2.0\n\tor later\n"},
      {u" 1031 ; 1033 ;", 1033, u" {MsgRequirements} ;;", u"Requirements are not met.\n"},
      // listed twice: the texts once
      {u"1033;1033;", 1033, u"{MsgRequirements};", u"Requirements are not met.\n"},
      // the setup language not listed: nothing
      {u"1031;", 1033, u"{MsgRequirements};", u""},
      {u"", 1033, u"{MsgRequirements};", u""},
      {u"10330;", 1033, u"{MsgRequirements};", u""},
      {u"1033;", 1033, u"", u""},
      {u"1033;", 1033, u"{MsgMissing};", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(U8(BuildConditionMessage(c.languages, c.language, c.keys, texts).text), U8(c.shown))
        << U8(c.languages) << " / " << U8(c.keys);
}

TEST(RequirementsMessage, ManyTextsLeaveOnlyTheDots) {
  std::map<Text, Text> texts;
  Text keys;
  for (int i = 0; i < 40; ++i) {
    const Text key = u"{Msg" + Widen(std::to_string(i)) + u"}";
    texts[key] = u"x";
    keys += key + u";";
  }
  const ConditionMessage m = BuildConditionMessage(u"1033;", 1033, keys, Texts(texts));
  EXPECT_EQ(m.fullTexts.size(), 40u);
  Text expected;
  for (int i = 0; i < 40; ++i) expected += u"...\n";
  EXPECT_EQ(U8(m.text), U8(expected));
}

TEST(RequirementsRetry, WhatRetryDoes) {
  struct Case {
    int intact, met;
    bool start;
    PageKind next;
    RetryAction action;
    bool retryFlag, password;
  } cases[] = {
      {0, 1, false, PageKind::License, RetryAction::FinishPage, false, false},
      {-1, 0, true, PageKind::Extraction, RetryAction::FinishPage, false, false},
      {1, 0, false, PageKind::Extraction, RetryAction::Stay, false, false},
      {1, 0, true, PageKind::Extraction, RetryAction::Stay, false, false},
      {1, 1, false, PageKind::Extraction, RetryAction::GoOnRemove, false, false},
      {1, 1, false, PageKind::License, RetryAction::GoOnRemove, false, false},
      // as start page: stays in the sheet, the next page counts as first
      {1, 1, true, PageKind::License, RetryAction::GoOn, true, false},
      {1, 1, true, PageKind::Folder, RetryAction::GoOn, true, false},
      // ... and one that does not ask for the password gets it asked here
      {1, 1, true, PageKind::Extraction, RetryAction::GoOn, true, true},
      {1, 2, true, PageKind::Installation, RetryAction::GoOn, true, true},
  };
  for (const Case& c : cases) {
    const RetryDecision d = DecideRetry({c.intact, c.met, c.start, c.next});
    EXPECT_EQ(d.action, c.action) << c.intact << c.met << c.start;
    EXPECT_EQ(d.setRetryFlag, c.retryFlag) << c.intact << c.met << c.start;
    EXPECT_EQ(d.askPassword, c.password) << c.intact << c.met << c.start;
  }
}

TEST(RequirementsRetry, TheNextPageIsTheFirstOneAfterInTheSheet) {
  struct Case {
    std::vector<PageKind> sheet;
    PageKind next;
  } cases[] = {
      {{PageKind::Welcome, PageKind::Requirements, PageKind::License, PageKind::Folder, PageKind::Extraction},
       PageKind::License},
      {{PageKind::Requirements, PageKind::Folder, PageKind::Extraction, PageKind::Finish}, PageKind::Folder},
      {{PageKind::Requirements, PageKind::Extraction, PageKind::Installation, PageKind::Finish}, PageKind::Extraction},
      {{PageKind::Welcome, PageKind::Requirements, PageKind::Finish}, PageKind::Finish},
  };
  for (const Case& c : cases) {
    auto has = [&c](PageKind kind) {
      for (PageKind k : c.sheet)
        if (k == kind) return true;
      return false;
    };
    EXPECT_EQ(NextPageAfterRequirements(has), c.next);
  }
}

}  // namespace
}  // namespace tovu::requirements
