// The window-free decisions of the setup-language page: which of its ten
// radio buttons stands for which of the package's setup languages, which
// of them can be chosen, which one starts checked, and which language a
// click on the buttons chooses.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "util/text.h"

namespace tovu::langpage {

// The page's radio buttons, in the order the languages fill them.
constexpr std::array<int, 10> kRadioIds = {1006, 1007, 1008, 1009, 1010, 1011, 1012, 1015, 1016, 1017};

// One shown radio button: its control, its language and whether the
// system has that language's locale (a button without it is disabled).
struct RadioSlot {
  int id = 0;
  int lcid = 0;
  bool installed = false;
};

// The language ID a list entry names: its leading decimal digits ("1031",
// " 1031x" -> 1031); 0 when it has none or the number is out of range.
int ParseLanguageId(const Text& entry);

// Pairs the n-th language with the n-th radio button; languages after the
// tenth get no button.
std::vector<RadioSlot> MapRadioButtons(const std::vector<Text>& languages, const std::function<bool(int)>& installed);

// The button that starts checked: 1006 when only one language is shown,
// else the first one whose language is `setupLanguage`; 0 when none is.
int InitialRadio(const std::vector<RadioSlot>& slots, int setupLanguage);

// The language the page makes the setup language when it checks `checkedId`
// at its start: the button's own language when that differs from
// `setupLanguage` and the system has its locale (the only shown button is
// checked whatever the setup language is, and the run must then follow
// what the page shows); 0 when nothing changes.
int LanguageToAdopt(const std::vector<RadioSlot>& slots, int checkedId, int setupLanguage);

// The language a click chooses: that of the first checked button (in the
// buttons' order) among the shown ones; 0 when none is checked.
int ChosenLanguage(const std::vector<RadioSlot>& slots, const std::function<bool(int id)>& isChecked);

// The language of button `id`; 0 when it shows none.
int LanguageOfRadio(const std::vector<RadioSlot>& slots, int id);

}  // namespace tovu::langpage
