// The setup-language page's window-free decisions: which radio button
// shows which language, which can be chosen, which starts checked and
// which language a click chooses.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "ui/language_page_logic.h"

namespace tovu::langpage {
namespace {

// The locales of a test system: German and English only.
bool Installed(int lcid) { return lcid == 1031 || lcid == 1033; }

std::vector<Text> Languages(std::initializer_list<const char16_t*> list) {
  std::vector<Text> out;
  for (const char16_t* l : list) out.emplace_back(l);
  return out;
}

TEST(LanguagePageLogic, LanguageEntriesNameTheirLeadingNumber) {
  struct Case {
    const char16_t* entry;
    int lcid;
  } cases[] = {
      {u"1031", 1031}, {u" 1033", 1033}, {u"1036x", 1036}, {u"", 0},
      {u"abc", 0},     {u"-1031", 0},    {u"99999999999", 0}, {u"2052", 2052},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseLanguageId(c.entry), c.lcid) << ToUtf8(c.entry);
}

TEST(LanguagePageLogic, LanguagesFillTheButtonsInOrderAndOnlyInstalledOnesCanBeChosen) {
  const std::vector<RadioSlot> slots = MapRadioButtons(Languages({u"1033", u"1031", u"1037", u"x"}), Installed);
  ASSERT_EQ(slots.size(), 4u);
  const int ids[] = {1006, 1007, 1008, 1009};
  const int lcids[] = {1033, 1031, 1037, 0};
  const bool installed[] = {true, true, false, false};
  for (size_t n = 0; n < slots.size(); ++n) {
    EXPECT_EQ(slots[n].id, ids[n]) << n;
    EXPECT_EQ(slots[n].lcid, lcids[n]) << n;
    EXPECT_EQ(slots[n].installed, installed[n]) << n;
  }
}

TEST(LanguagePageLogic, ElevenLanguagesShowTenButtonsSkippingTheGapInTheIds) {
  std::vector<Text> languages;
  for (int n = 0; n < 11; ++n) languages.push_back(FromUtf8(std::to_string(1025 + n)));
  const std::vector<RadioSlot> slots = MapRadioButtons(languages, Installed);
  ASSERT_EQ(slots.size(), 10u);
  std::vector<int> ids;
  for (const RadioSlot& s : slots) ids.push_back(s.id);
  EXPECT_EQ(ids, std::vector<int>(kRadioIds.begin(), kRadioIds.end()));
  EXPECT_EQ(slots.back().lcid, 1034);  // the eleventh language (1035) has no button
  EXPECT_EQ(LanguageOfRadio(slots, 1013), 0);
  EXPECT_EQ(LanguageOfRadio(slots, 1014), 0);
}

TEST(LanguagePageLogic, TheCheckedButtonIsTheSetupLanguagesOrTheOnlyOne) {
  struct Case {
    std::initializer_list<const char16_t*> languages;
    int setupLanguage;
    int checked;
  } cases[] = {
      {{u"1033", u"1031"}, 1033, 1006},
      {{u"1033", u"1031"}, 1031, 1007},
      {{u"1033", u"1031", u"1031"}, 1031, 1007},  // the first of two equal ones
      {{u"1031", u"1036"}, 1033, 0},              // not listed: nothing checked
      {{u"1036"}, 1033, 1006},                    // the only language, whatever the setup language
      {{}, 1033, 0},
  };
  for (const Case& c : cases) {
    const std::vector<RadioSlot> slots = MapRadioButtons(Languages(c.languages), Installed);
    EXPECT_EQ(InitialRadio(slots, c.setupLanguage), c.checked) << c.setupLanguage << " of " << c.languages.size();
  }
}

TEST(LanguagePageLogic, TheOnlyButtonCheckedAtTheStartBecomesTheSetupLanguageWhenItCanBeChosen) {
  struct Case {
    std::initializer_list<const char16_t*> languages;
    int setupLanguage;
    int adopted;
  } cases[] = {
      {{u"1031"}, 1033, 1031},             // checked although 1033 is the setup language
      {{u"1037"}, 1033, 0},                // no locale: the button is disabled, nothing changes
      {{u"1033"}, 1033, 0},                // already the setup language
      {{u"1033", u"1031"}, 1031, 0},       // the setup language's own button
  };
  for (const Case& c : cases) {
    const std::vector<RadioSlot> slots = MapRadioButtons(Languages(c.languages), Installed);
    const int checked = InitialRadio(slots, c.setupLanguage);
    EXPECT_EQ(LanguageToAdopt(slots, checked, c.setupLanguage), c.adopted) << c.setupLanguage;
  }
  EXPECT_EQ(LanguageToAdopt(MapRadioButtons(Languages({u"1031"}), Installed), 0, 1033), 0);
}

TEST(LanguagePageLogic, AClickChoosesTheLanguageOfTheFirstCheckedShownButton) {
  const std::vector<RadioSlot> slots = MapRadioButtons(Languages({u"1033", u"1031", u"abc"}), Installed);
  struct Case {
    std::set<int> checked;
    int lcid;
  } cases[] = {
      {{1007}, 1031}, {{1006}, 1033}, {{1006, 1007}, 1033},
      {{}, 0},        {{1008}, 0},    // a button whose entry names no language
      {{1017}, 0},                    // a checked button that shows no language
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChosenLanguage(slots, [&](int id) { return c.checked.count(id) != 0; }), c.lcid) << c.checked.size();
  }
}

}  // namespace
}  // namespace tovu::langpage
