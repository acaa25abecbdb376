// CLanguagePage: the wizard page on which the user picks the setup
// language among the package's setup languages (up to ten radio buttons).
// The chosen language becomes the initialiser's setup language at once:
// its texts are loaded, the page and the sheet's buttons show them, and
// the setup is later started with that language's parameters.
#pragma once

#include <vector>

#include "ui/language_page_logic.h"
#include "ui/win32/wizard_page.h"

namespace tovu {

constexpr int IDD_LANGUAGE_PAGE = 903;

class CLanguagePage : public CWizardPage {
 public:
  explicit CLanguagePage(CTovuSheet& sheet);
  void OnInitDialog() override;
  void OnSetActive() override;
  int OnWizardNext() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void DisplayRadioButtons();
  void SetSelectedUserLang();
  void OnRadioClicked();
  void RefreshPrompt();

  std::vector<Text> languages_;
  std::vector<langpage::RadioSlot> slots_;
  int selectedLanguage_ = 1033;
};

}  // namespace tovu
