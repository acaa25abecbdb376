#include "ui/win32/requirements_page.h"

#include "app/fennock_app.h"
#include "cmdline/extractor_validator.h"
#include "conditions/condition.h"
#include "launch/setup_launcher.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "ui/requirements_page_logic.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

namespace {
constexpr int IDC_REQUIREMENTS_HEADING = 1041;
constexpr int IDC_REQUIREMENTS_LIST = 1050;
constexpr int kMsgHeading = 802;
// How long Retry shows the page empty before the texts come back, so that
// the user sees that the check ran again.
constexpr DWORD kBlankMs = 100;
constexpr size_t kSetupLanguagesRoom = 1024;
}  // namespace

CConditionCheck::CConditionCheck(CTovuSheet& sheet)
    : CWizardPage(sheet, PageKind::Requirements, IDD_REQUIREMENTS_PAGE) {
  SetPaintsTopBanner(true);
}

void CConditionCheck::OnInitDialog() {
  if (!Sheet().IsReady()) return;
  Sheet().UpdateNavigationButtons(Sheet().GetStartPage() == this ? 1 : 0, 0);
  SetTitleFont(IDC_REQUIREMENTS_HEADING);
  SetTextFont(IDC_REQUIREMENTS_LIST);
  FillTexts();
  Sheet().FocusNextButton(1);
  SetDefaultId(wizard::ID_WIZNEXT);
}

void CConditionCheck::OnSetActive() {
  Sheet().UpdateNavigationButtons(Sheet().GetStartPage() == this ? 1 : 0, 0);
  Sheet().SetButtonCaptions(Text());
  FillTexts();
  // Back is shown and usable here also on a first page.
  Sheet().ShowWizardButtons(Text(), SW_HIDE);
  Sheet().ShowWizardButtons(u"BACK,NEXT,CANCEL", SW_SHOW);
  Sheet().EnableWizardButtons(u"BACK,NEXT,CANCEL", 1);
  Sheet().FocusNextButton(1);
  SetDefaultId(wizard::ID_WIZNEXT);
}

void CConditionCheck::SetHeading() {
  Text heading = Message(kMsgHeading);
  ReplaceAll(heading, u"[PACKAGENAME]", Services().init.GetDisplayName());
  SetFitted(IDC_REQUIREMENTS_HEADING, heading);
}

void CConditionCheck::FillTexts() {
  SetHeading();
  Sheet().SetButtonCaptions(u"RETRY");
  SetItemText(GetHwnd(), IDC_REQUIREMENTS_LIST, GetConditionMessage());
}

Text CConditionCheck::GetConditionMessage() {
  WizardServices& s = Services();
  const Text& settings = s.init.GetSettingsPath();
  CProfile profile(s.platform);
  Text languages = pkg::ReadText(profile, settings, pkg::section::kLanguages, pkg::key::kSetupLanguages);
  if (languages.size() > kSetupLanguagesRoom) languages.resize(kSetupLanguagesRoom);
  const int language = s.init.GetSetupLanguage();
  CCondition texts(s.platform, s.log, settings);
  const requirements::ConditionMessage message = requirements::BuildConditionMessage(
      languages, language, s.validator.ConditionMessageKeys,
      [&texts, language](const Text& key) { return texts.GetKeyMessageText(language, key); });
  for (const Text& text : message.fullTexts) s.log.WriteLog(LOG_DETAIL, u"Condition Message", u"%s", text);
  return message.text;
}

void CConditionCheck::RepaintPageArea() {
  RECT rc;
  ::GetWindowRect(GetHwnd(), &rc);
  ::MapWindowPoints(nullptr, Sheet().GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  ::RedrawWindow(Sheet().GetHwnd(), &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

int CConditionCheck::OnWizardNext() {
  WizardServices& s = Services();
  Sheet().SetButtonCaptions(u"RETRY");
  requirements::RetryInputs in;
  in.settingsIntact = s.launcher != nullptr ? s.launcher->IsParameterFileNotCorrupt() : 1;
  if (in.settingsIntact == 1) in.conditionsMet = s.validator.CheckConditions(s.init.GetSetupLanguage());
  in.isStartPage = Sheet().GetStartPage() == this;
  in.nextPage = requirements::NextPageAfterRequirements([this](PageKind kind) { return Sheet().HasPage(kind); });
  const requirements::RetryDecision decision = requirements::DecideRetry(in);
  switch (decision.action) {
    case requirements::RetryAction::FinishPage:
      Sheet().SetActivePage(PageKind::Finish);
      return 1;
    case requirements::RetryAction::Stay:
      SetItemText(GetHwnd(), IDC_REQUIREMENTS_HEADING, Text());
      SetItemText(GetHwnd(), IDC_REQUIREMENTS_LIST, Text());
      RepaintPageArea();
      ::Sleep(kBlankMs);
      SetHeading();
      SetItemText(GetHwnd(), IDC_REQUIREMENTS_LIST, GetConditionMessage());
      RepaintPageArea();
      s.init.SetRunStatus(-1);
      return -1;
    case requirements::RetryAction::GoOn:
      if (decision.setRetryFlag) SetConditionRetryFlag(1);
      // A cancel confirmed in the prompt has put the sheet on the finish
      // page already.
      if (decision.askPassword && RunPasswordPrompt(Sheet()) != 1) return -1;
      return 0;
    case requirements::RetryAction::GoOnRemove: {
      // The next page first, then this page leaves the sheet: Back from
      // there passes it by.
      Sheet().SetActivePage(in.nextPage);
      if (GetHwnd() != nullptr && ::IsWindow(GetHwnd())) Sheet().RemovePage(PageKind::Requirements);
      return 1;
    }
  }
  return -1;
}

}  // namespace tovu
