#include "ui/win32/wizard_pages.h"

#include "app/fennock_app.h"
#include "settings/messages.h"
#include "ui/win32/language_page.h"
#include "ui/win32/folder_page.h"
#include "ui/win32/license_page.h"
#include "ui/win32/question_dialogs.h"
#include "ui/win32/requirements_page.h"

namespace tovu {

namespace {
// Set once the user gave the right password in this run.
int g_passwordGiven = 0;
}  // namespace

std::unique_ptr<CWizardPage> CreateWizardPage(CTovuSheet& sheet, PageKind kind) {
  switch (kind) {
    case PageKind::Welcome: return std::make_unique<CWelcomePage>(sheet);
    case PageKind::Language: return std::make_unique<CLanguagePage>(sheet);
    case PageKind::Requirements: return std::make_unique<CConditionCheck>(sheet);
    case PageKind::License: return std::make_unique<CLicensePage>(sheet);
    case PageKind::Extraction: return std::make_unique<CExtractorPage>(sheet);
    case PageKind::Installation: return std::make_unique<CAutoLaunchSilentPage>(sheet);
    case PageKind::Finish: return std::make_unique<CFinishPage>(sheet);
    case PageKind::Folder: return std::make_unique<CDirChangePage>(sheet);
    default: return nullptr;
  }
}

int RunPasswordPrompt(CTovuSheet& sheet) {
  WizardServices& s = sheet.Services();
  const PasswordState& password = s.app.GetPasswordState();
  if (password.requiredValue != u"1" || g_passwordGiven != 0) return 1;
  CExtractPassword dialog(
      WizardDialogServices{s.messages, s.log, s.init.GetDisplayName(),
                           [&s](const Text& text, uint32_t style) { return s.app.ShowMessageBox(text, style); },
                           [&sheet] { return sheet.CancelPath(); }},
      password.extractionPassword);
  if (dialog.DoModal(sheet.GetHwnd()) == 1) {
    g_passwordGiven = 1;
    return 1;
  }
  g_passwordGiven = 0;
  return -1;
}

}  // namespace tovu
