#include "ui/win32/language_page.h"

#include <windows.h>

#include "app/fennock_app.h"
#include "cmdline/extractor_validator.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"
#include "util/format.h"

namespace tovu {

using namespace wizard;

namespace {
constexpr int IDC_LANGUAGE_PROMPT = 1013;
constexpr int kMsgLanguagePrompt = 208;

bool IsInstalledLocale(int lcid) { return ::IsValidLocale(static_cast<LCID>(lcid), LCID_INSTALLED) != 0; }
}  // namespace

CLanguagePage::CLanguagePage(CTovuSheet& sheet) : CWizardPage(sheet, PageKind::Language, IDD_LANGUAGE_PAGE) {
  SetPaintsTopBanner(true);
}

void CLanguagePage::OnInitDialog() {
  if (!Sheet().IsReady()) return;
  WizardServices& s = Services();
  Sheet().UpdateNavigationButtons(Sheet().GetStartPage() == this ? 1 : 0, 0);
  languages_.clear();
  s.validator.GetSetupLanguages(languages_);
  selectedLanguage_ = s.validator.GetDefaultSetupLanguage();
  s.init.SetSetupLanguage(selectedLanguage_);
  s.messages.LoadLanguageFile(selectedLanguage_, s.init.GetTovuTempDir());
  DisplayRadioButtons();
  SetSelectedUserLang();
  Sheet().SetButtonCaptions(Text());
  RefreshPrompt();
  SetTitleFont(IDC_LANGUAGE_PROMPT);
  for (int id : langpage::kRadioIds) SetTextFont(id);
  Sheet().FocusNextButton(1);
  SetDefaultId(ID_WIZNEXT);
}

void CLanguagePage::DisplayRadioButtons() {
  WizardServices& s = Services();
  const Text folder = s.init.GetTovuTempDir();
  slots_ = langpage::MapRadioButtons(languages_, IsInstalledLocale);
  for (const langpage::RadioSlot& slot : slots_) {
    HWND button = Item(slot.id);
    ::ShowWindow(button, SW_SHOW);
    ::EnableWindow(button, TRUE);
    if (slot.installed) {
      SetItemText(GetHwnd(), slot.id, s.messages.GetLanguageButtonText(slot.lcid, folder));
    } else {
      const Text name = s.messages.GetLangName(slot.lcid, folder);
      SetItemText(GetHwnd(), slot.id, name);
      ::EnableWindow(button, FALSE);
      s.log.WriteLog(LOG_INFO, u"DisplayRadioButtons",
                     Format(u"Language : %s not supported and has been disabled", name));
    }
  }
}

void CLanguagePage::SetSelectedUserLang() {
  WizardServices& s = Services();
  const int id = langpage::InitialRadio(slots_, s.init.GetSetupLanguage());
  if (id == 0) return;
  for (int radio : langpage::kRadioIds) ::CheckDlgButton(GetHwnd(), radio, radio == id ? BST_CHECKED : BST_UNCHECKED);
  s.log.WriteLog(LOG_INFO, u"SetSelectedUserLang",
                 Format(u"Setting the radio button for LanguageID : %d", langpage::LanguageOfRadio(slots_, id)));
  // A package with one language checks its button even when that is not
  // the setup language: the run follows the checked button, as after a click.
  if (langpage::LanguageToAdopt(slots_, id, s.init.GetSetupLanguage()) != 0) OnRadioClicked();
}

void CLanguagePage::OnRadioClicked() {
  WizardServices& s = Services();
  const Text folder = s.init.GetTovuTempDir();
  const int lcid = langpage::ChosenLanguage(
      slots_, [this](int id) { return ::IsDlgButtonChecked(GetHwnd(), id) == BST_CHECKED; });
  bool loaded = false;
  if (lcid != 0) {
    selectedLanguage_ = lcid;
    s.init.SetSetupLanguage(lcid);
    s.log.WriteLog(LOG_INFO, u"Language Selected", Format(u"ID of the Language selected : %d", lcid));
    loaded = s.messages.LoadLanguageFile(lcid, folder) != LANGFILE_WRONG_ID;
  }
  if (!loaded) {
    selectedLanguage_ = 1033;
    s.init.SetSetupLanguage(1033);
    s.messages.LoadLanguageFile(1033, folder);
  }
  RefreshPrompt();
  Sheet().SetButtonCaptions(Text());
}

void CLanguagePage::RefreshPrompt() {
  Text prompt = Message(kMsgLanguagePrompt);
  ReplaceAll(prompt, u"[PACKAGEDISPLAYNAME]", Services().init.GetDisplayName());
  SetFitted(IDC_LANGUAGE_PROMPT, prompt);
  RECT rc;
  ::GetWindowRect(GetHwnd(), &rc);
  ::MapWindowPoints(nullptr, Sheet().GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  ::InvalidateRect(Sheet().GetHwnd(), &rc, TRUE);
  ::UpdateWindow(Sheet().GetHwnd());
}

void CLanguagePage::OnSetActive() {
  Sheet().UpdateNavigationButtons(Sheet().GetStartPage() == this ? 1 : 0, 0);
  RefreshPrompt();
  ::InvalidateRect(GetHwnd(), nullptr, TRUE);
  ::UpdateWindow(GetHwnd());
  Sheet().FocusNextButton(1);
  SetDefaultId(ID_WIZNEXT);
  Sheet().SetButtonCaptions(Text());
}

int CLanguagePage::OnWizardNext() {
  WizardServices& s = Services();
  if (s.launcher != nullptr && s.launcher->IsParameterFileNotCorrupt() != 1) {
    Sheet().SetActivePage(PageKind::Finish);
    return 1;
  }
  return RunPasswordPrompt(Sheet()) == 1 ? 0 : -1;
}

INT_PTR CLanguagePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return 0;
  const int id = LOWORD(wParam);
  for (int radio : langpage::kRadioIds) {
    if (radio == id) {
      OnRadioClicked();
      handled = true;
      return 0;
    }
  }
  return 0;
}

}  // namespace tovu
