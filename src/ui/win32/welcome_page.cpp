#include "app/fennock_app.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

namespace {
constexpr int IDC_WELCOME_TEXT = 1047;
constexpr int kWelcomePicture = 167;
constexpr int kMsgWelcome = 200;
}  // namespace

CWelcomePage::CWelcomePage(CTovuSheet& sheet) : CWizardPage(sheet, PageKind::Welcome, IDD_WELCOME_PAGE) {}

CWelcomePage::~CWelcomePage() {
  FreeImageHandle(topImage_);
  FreeImageHandle(welcomeImage_);
}

void CWelcomePage::OnInitDialog() {
  if (!Sheet().IsReady()) return;
  Sheet().SetButtonCaptions(Text());
  SetTitleFont(IDC_WELCOME_TEXT);
  WizardServices& s = Services();
  CProfile profile(s.platform);
  const Text show =
      pkg::ReadText(profile, s.init.GetSettingsPath(), pkg::section::kRuntime, pkg::key::kDisplayWelcomeImage);
  if (topImage_ == 0) topImage_ = LoadImageFromFile(s.app.GetTopBannerPath());
  if (show == u"1") {
    s.log.WriteLog(LOG_INFO, u"DisplayWelcomeImage", u"Displaying the Welcome image");
    if (welcomeImage_ == 0) welcomeImage_ = LoadPngResource(kWelcomePicture);
  }
  Common();
}

void CWelcomePage::OnSetActive() { Common(); }

void CWelcomePage::Common() {
  WizardServices& s = Services();
  Sheet().ShowWizardButtons(u"BACK", SW_HIDE);
  Sheet().EnableWizardButtons(u"NEXT,CANCEL", 1);
  s.messages.LoadLanguageFile(s.init.GetSetupLanguage(), s.init.GetTovuTempDir());
  Sheet().SetButtonCaptions(Text());
  ::SetWindowTextW(GetHwnd(), W(s.init.GetDisplayName()));
  Text welcome = Message(kMsgWelcome);
  ReplaceAll(welcome, u"[PACKAGEDISPLAYNAME]", s.init.GetDisplayName());
  SetItemText(GetHwnd(), IDC_WELCOME_TEXT, welcome);
  Sheet().FocusNextButton(1);
  SetDefaultId(wizard::ID_WIZNEXT);
}

int CWelcomePage::OnWizardNext() {
  WizardServices& s = Services();
  if (s.launcher != nullptr && s.launcher->IsParameterFileNotCorrupt() != 1) {
    Sheet().SetActivePage(PageKind::Finish);
    return 1;
  }
  CProfile profile(s.platform);
  const Text language =
      pkg::ReadText(profile, s.init.GetSettingsPath(), pkg::section::kDialogs, pkg::key::kLanguageDialog);
  if (language != u"1" && RunPasswordPrompt(Sheet()) != 1) return -1;
  return 0;
}

INT_PTR CWelcomePage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message != WM_PAINT) return 0;
  handled = true;
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(GetHwnd(), &ps);
  RECT rc;
  ::GetClientRect(GetHwnd(), &rc);
  DrawImageScaled(dc, topImage_, 0, 0, rc.right, 60);
  DrawImageScaled(dc, welcomeImage_, 0, 60, rc.right, rc.bottom);
  ::EndPaint(GetHwnd(), &ps);
  return 0;
}

}  // namespace tovu
