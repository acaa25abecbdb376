#include <windows.h>
#include <commctrl.h>

#include "app/fennock_app.h"
#include "app/win32/worker_thread_slot.h"
#include "container/extractor.h"
#include "launch/launch_flags.h"
#include "launch/win32/launch_thread.h"
#include "log/log_file.h"
#include "settings/messages.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

using namespace wizard;

namespace {
constexpr int IDC_INSTALL_HEADING = 1062;
constexpr int IDC_INSTALL_STATUS = 1063;
constexpr int IDC_INSTALL_PROGRESS = 1064;
constexpr int kMsgHeading = 513;
constexpr int kMsgInProgress = 512;
constexpr int kMsgCancelAfterCurrent = 613;
}  // namespace

// The page shows the sheet's standard header area above it.
CAutoLaunchSilentPage::CAutoLaunchSilentPage(CTovuSheet& sheet)
    : CWizardPage(sheet, PageKind::Installation, IDD_AUTOLAUNCH_PAGE, false) {
  SetContinueLaunchingAll(1);
}

void CAutoLaunchSilentPage::SetStatus(int message) {
  SetFitted(IDC_INSTALL_HEADING, Message(kMsgHeading));
  SetFitted(IDC_INSTALL_STATUS, Message(message));
  RECT rc;
  ::GetWindowRect(GetHwnd(), &rc);
  ::MapWindowPoints(nullptr, Sheet().GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  ::InvalidateRect(Sheet().GetHwnd(), &rc, TRUE);
}

void CAutoLaunchSilentPage::OnInitDialog() {
  if (!Sheet().IsReady() || started_) return;
  started_ = true;
  WizardServices& s = Services();
  SetTitleFont(IDC_INSTALL_HEADING);
  SetTextFont(IDC_INSTALL_STATUS);
  HWND bar = Item(IDC_INSTALL_PROGRESS);
  ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(bar, PBM_SETPOS, 1, 0);
  g_hLaunchReportWindow = GetHwnd();
  SetDefaultId(ID_WIZNEXT);
  if (s.launcher != nullptr) {
    s.launcher->SetSheet(nullptr);
    s.launcher->SetInstallationPage(this);
  }
  s.slot.Start(GetHwnd(), LaunchSetupThread);
}

void CAutoLaunchSilentPage::OnSetActive() {
  Sheet().SetButtonCaptions(Text());
  SetStatus(kMsgInProgress);
  Sheet().FocusCancelButton();
  SetDefaultId(ID_CANCEL);
}

bool CAutoLaunchSilentPage::WindowExists() { return GetHwnd() != nullptr && ::IsWindow(GetHwnd()) != FALSE; }

void CAutoLaunchSilentPage::PumpPendingMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) break;
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void CAutoLaunchSilentPage::SetProgressPos(int position) {
  if (HWND bar = Item(IDC_INSTALL_PROGRESS)) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CAutoLaunchSilentPage::OnLaunchSetupFinish() {
  WizardServices& s = Services();
  // 1. The slot lets go of the launch thread (which may be this one).
  s.slot.Reset();
  if (g_bLaunchIdle == 1) {
    // 2. No setup runs any more.
    ::PostMessageW(GetHwnd(), WM_SHOW_FINISH_PAGE, 0, 0);
    return;
  }
  // 3. The running setup ends first; no further one starts.
  s.log.WriteLog(LOG_INFO, u"OnLaunchSetupFinish", u"Disabling the Cancel button");
  Sheet().EnableCloseCommand(0);
  Sheet().EnableWizardButtons(u"CANCEL", 0);
  SetStatus(kMsgCancelAfterCurrent);
}

INT_PTR CAutoLaunchSilentPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_EXTRACT_LOG: {
      handled = true;
      const auto* record = reinterpret_cast<const LogRelayRecord*>(wParam);
      if (record != nullptr) Services().log.WriteLog(record->level, record->function, record->text, record->argument);
      return 1;
    }
    case WM_LAUNCH_FINISHED:
      handled = true;
      OnLaunchSetupFinish();
      return 1;
    case WM_SHOW_FINISH_PAGE:
      handled = true;
      Sheet().SetActivePage(PageKind::Finish);
      return 1;
    default:
      return 0;
  }
}

}  // namespace tovu
