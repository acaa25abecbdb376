#include <windows.h>
#include <commctrl.h>

#include "app/fennock_app.h"
#include "app/finish_messages.h"
#include "app/win32/worker_thread_slot.h"
#include "cabinet/cab_decompressor.h"
#include "cmdline/extractor_validator.h"
#include "container/extractor.h"
#include "launch/win32/launch_thread.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "ui/win32/question_dialogs.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

using namespace wizard;

namespace {
constexpr int IDC_EXTRACT_PROGRESS = 1002;
constexpr int IDC_EXTRACT_HEADING = 1052;
constexpr int IDC_EXTRACT_STATUS = 1037;
constexpr int kMsgHeading = 506;
constexpr int kMsgReading = 507;
constexpr int kRunStatusCancelled = 11;
}  // namespace

CExtractorPage::CExtractorPage(CTovuSheet& sheet) : CWizardPage(sheet, PageKind::Extraction, IDD_EXTRACTOR_PAGE) {
  SetPaintsTopBanner(true);
  SetContinueLaunchingAll(1);
}

void CExtractorPage::SetStatus(int message) {
  SetFitted(IDC_EXTRACT_HEADING, Message(kMsgHeading));
  SetFitted(IDC_EXTRACT_STATUS, Message(message));
  RECT rc;
  ::GetWindowRect(GetHwnd(), &rc);
  ::MapWindowPoints(nullptr, Sheet().GetHwnd(), reinterpret_cast<POINT*>(&rc), 2);
  ::InvalidateRect(Sheet().GetHwnd(), &rc, TRUE);
}

void CExtractorPage::OnInitDialog() {
  if (!Sheet().IsReady() || started_) return;
  WizardServices& s = Services();
  SetTitleFont(IDC_EXTRACT_HEADING);
  SetTextFont(IDC_EXTRACT_STATUS);
  Sheet().SetButtonCaptions(Text());
  SetStatus(kMsgReading);
  Sheet().ShowWizardButtons(u"NEXT,BACK", SW_HIDE);
  HWND bar = Item(IDC_EXTRACT_PROGRESS);
  ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  ::SendMessageW(bar, PBM_SETPOS, 1, 0);
  if (Sheet().GetStartPage() == this) RunPasswordPrompt(Sheet());
  // A cancel confirmed in the password prompt leaves the sheet on the
  // finish page: nothing is extracted then.
  if (s.init.GetRunStatus() == kRunStatusCancelled) return;
  started_ = true;
  g_bAbortExtraction = 0;
  s.app.MarkExtractionStarted();
  s.log.WriteLog(LOG_INFO, u"ExtractPath", u" %s", s.init.GetExtractionFolder());
  if (s.extractWorker != nullptr) s.slot.Start(GetHwnd(), s.extractWorker);
  Sheet().FocusCancelButton();
  SetDefaultId(ID_CANCEL);
}

void CExtractorPage::OnSetActive() {
  Sheet().SetButtonCaptions(Text());
  SetStatus(kMsgReading);
  Sheet().FocusCancelButton();
  SetDefaultId(ID_CANCEL);
}

void CExtractorPage::TakeExtractionResult() {
  // The outcome of the extraction becomes the run's status; a cancel
  // confirmed meanwhile keeps its own.
  CTovuInitalizer& init = Services().init;
  if (g_bAbortExtraction == 1 || init.GetRunStatus() == kRunStatusCancelled) return;
  init.SetRunStatus(init.GetExtractionResult());
}

void CExtractorPage::OnExtractDone() {
  WizardServices& s = Services();
  if (g_bAbortExtraction == 1 || s.init.GetRunStatus() == kRunStatusCancelled) return;
  TakeExtractionResult();
  // 1. The finish messages of the run.
  s.finish.LoadFinishMessages(Text());
  CProfile profile(s.platform);
  const Text& settings = s.init.GetSettingsPath();
  ExtractDoneInputs in;
  in.autolaunch = s.init.GetAutolaunchFlag();
  in.checkOs = s.app.GetCheckOsFlag();
  in.noOsCheck = s.init.GetNoOSCheckFlag();
  in.osCheckResult = s.app.GetOSCheckResult();
  in.installationDialog = pkg::ReadText(profile, settings, pkg::section::kRuntime, pkg::key::kAutoLaunchInstallationDialog);
  in.extractOnly = s.app.GetExtractOnlyFlag();
  in.waitForAutolaunchFinish = s.init.GetWaitForAutolaunchFinishFlag();
  in.autolaunchValue = pkg::ReadText(profile, settings, pkg::section::kRuntime, pkg::key::kAutoLaunch);
  in.multilaunch = pkg::ReadText(profile, settings, pkg::section::kRuntime, pkg::key::kMultilaunch);
  in.installBlocked = installBlocked_;
  const ExtractDoneDecision decision = DecideExtractDone(in);
  // 2. The operating system refuses the setups.
  if (decision.showOsMessage) {
    s.validator.CheckOS(s.app.GetOSCheckResult(), s.init.GetSetupLanguage(), 1, 1);
    s.app.ShowMessageBox(s.validator.GetOSMessage(), MB_OK | MB_ICONSTOP);
  }
  installBlocked_ = decision.installBlocked;
  if (decision.setsLaunchAtExtraction) Sheet().SetLaunchAtExtractionFlag(decision.launchAtExtraction);
  switch (decision.action) {
    case ExtractDoneAction::InstallationPage:
      if (Sheet().HasPage(PageKind::Installation)) {
        Sheet().SetActivePage(PageKind::Installation);
        return;
      }
      // Without the page the setups start here.
      if (Sheet().HandleLaunchSetup() == LAUNCH_END_WIZARD) Sheet().EndWizard(0);
      return;
    case ExtractDoneAction::DeferToFinish:
    case ExtractDoneAction::FinishPage:
      Sheet().SetActivePage(PageKind::Finish);
      return;
    case ExtractDoneAction::LaunchNow:
      if (Sheet().HandleLaunchSetup() == LAUNCH_END_WIZARD) Sheet().EndWizard(0);
      return;
  }
}

INT_PTR CExtractorPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  WizardServices& s = Services();
  switch (message) {
    case WM_EXTRACT_PROGRESS: {
      handled = true;
      HWND bar = Item(IDC_EXTRACT_PROGRESS);
      const ProgressAction a = ApplyProgress(progress_, static_cast<int>(wParam), static_cast<int64_t>(lParam));
      if (a.setRange)
        ::SendMessageW(bar, PBM_SETRANGE, 0, MAKELPARAM(static_cast<WORD>(a.rangeLow), static_cast<WORD>(a.rangeHigh)));
      if (a.setPos) ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(a.pos), 0);
      if (a.setStep) ::SendMessageW(bar, PBM_SETSTEP, 1, 0);
      if (a.statusMessage != 0) SetStatus(a.statusMessage);
      return 1;
    }
    case WM_EXTRACT_LOG: {
      handled = true;
      const auto* record = reinterpret_cast<const LogRelayRecord*>(wParam);
      if (record != nullptr) s.log.WriteLog(record->level, record->function, record->text, record->argument);
      return 1;
    }
    case WM_ASK_OVERWRITE: {
      handled = true;
      Text name = s.init.GetCurrentFileName();
      const size_t cut = name.find_last_of(u"\\/");
      if (cut != Text::npos) name = name.substr(cut + 1);
      CFileOverwrite dialog(
          WizardDialogServices{s.messages, s.log, s.init.GetDisplayName(),
                               [&s](const Text& text, uint32_t style) { return s.app.ShowMessageBox(text, style); },
                               [this] { return Sheet().CancelPath(); }},
          name);
      dialog.DoModal(Sheet().GetHwnd());
      g_nOverwriteAnswer = dialog.GetResult();
      return 1;
    }
    case WM_EXTRACT_FAILED:
      handled = true;
      TakeExtractionResult();
      Sheet().SetActivePage(PageKind::Finish);
      return 1;
    case WM_EXTRACT_DONE:
      handled = true;
      OnExtractDone();
      return 1;
    default:
      return 0;
  }
}

}  // namespace tovu
