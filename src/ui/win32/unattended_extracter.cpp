#include "ui/win32/unattended_extracter.h"

#include <commctrl.h>

#include "app/win32/worker_thread_slot.h"
#include "cabinet/cab_decompressor.h"
#include "container/extractor.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

namespace {

constexpr int kMsgReadingPackage = 507;
constexpr int kMsgExtractingPackage = 508;
constexpr int kMsgEmptyingFolder = 514;
constexpr int kMsgReallyCancel = 113;
constexpr int kRunStatusExtractionCancelled = 11;

// Registers the progress bar's window class before the template is made.
// The common-controls library is looked up at run time, so the frame needs
// no import of it; the library stays loaded for the process.
void RegisterProgressBarClass() {
  static const bool done = [] {
    HMODULE library = ::LoadLibraryW(L"comctl32.dll");
    if (library == nullptr) return false;
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(::GetProcAddress(library, "InitCommonControlsEx")));
    if (init == nullptr) return false;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    return init(&controls) != FALSE;
  }();
  (void)done;
}

}  // namespace

CUnattendedExtracter::CUnattendedExtracter(int visible, UnattendedExtracterServices services)
    : CDialog(IDD_UNATTENDED_EXTRACTER), visible_(visible), services_(std::move(services)) {
  RegisterProgressBarClass();
}

CUnattendedExtracter::~CUnattendedExtracter() {
  if (font_ != nullptr) ::DeleteObject(font_);
}

void CUnattendedExtracter::SetStatus(int messageNumber) {
  ::SetWindowTextW(GetItem(IDC_UNATTENDED_STATUS), W(services_.messages.GetMessageText(messageNumber)));
}

void CUnattendedExtracter::SetRange(int low, int high) {
  // The range message carries both ends in 16 bits.
  ::SendMessageW(GetItem(IDC_UNATTENDED_PROGRESS), PBM_SETRANGE, 0,
                 MAKELPARAM(static_cast<WORD>(low), static_cast<WORD>(high)));
}

BOOL CUnattendedExtracter::OnInitDialog() {
  HWND hwnd = GetHwnd();
  SetFrameIcons(hwnd);

  // The text font of the wizard: Tahoma, height 15, weight 100.
  LOGFONTW lf{};
  lf.lfHeight = 15;
  lf.lfWeight = 100;
  ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  font_ = ::CreateFontIndirectW(&lf);
  if (font_ != nullptr) ::SendMessageW(GetItem(IDC_UNATTENDED_STATUS), WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

  if (visible_) {
    ::SetWindowTextW(hwnd, W(services_.displayName));
    SetRange(0, 100);
    ::SendMessageW(GetItem(IDC_UNATTENDED_PROGRESS), PBM_SETPOS, 1, 0);
    SetStatus(kMsgReadingPackage);
  }

  g_bContinueLaunching = 1;
  if (services_.resetContinueLaunching) services_.resetContinueLaunching();
  services_.log.WriteLog(LOG_INFO, u"ExtractPath", u" %s", services_.init.GetExtractionFolder());
  if (services_.worker != nullptr) services_.slot.Start(hwnd, services_.worker);
  counter_ = 1;
  clearing_ = 0;
  return TRUE;
}

void CUnattendedExtracter::OnExtractProgress(WPARAM subCode, LPARAM value) {
  HWND bar = GetItem(IDC_UNATTENDED_PROGRESS);
  switch (subCode) {
    case PROGRESS_STEP:
      ++counter_;
      ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(counter_), 0);
      break;
    case PROGRESS_CABINET_READY: ::SendMessageW(bar, PBM_SETPOS, 2, 0); break;
    case PROGRESS_FILE_COUNT: {
      const int files = static_cast<int>(value);
      const int extra = 3 * files / 100;
      if (clearing_) {
        SetRange(0, counter_ + files + extra);
        ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(extra), 0);
        counter_ = extra;
      } else {
        SetRange(1, counter_ + files);
      }
      ::SendMessageW(bar, PBM_SETSTEP, 1, 0);
      SetStatus(kMsgExtractingPackage);
      break;
    }
    case PROGRESS_EMPTYING:
      SetRange(0, 100);
      ::SendMessageW(bar, PBM_SETPOS, 1, 0);
      clearing_ = 1;
      SetStatus(kMsgEmptyingFolder);
      break;
    default: break;
  }
}

void CUnattendedExtracter::OnExtractDone() {
  if (services_.init.GetAutolaunchFlag() == 1) {
    ::ShowWindow(GetHwnd(), SW_HIDE);
    if (services_.launchSetups) services_.launchSetups();
    EndDialog(0);
    return;
  }
  EndDialog(IDOK);
}

void CUnattendedExtracter::OnClose() {
  services_.log.WriteLog(LOG_INFO, u"OnClose", u"Extraction paused");
  services_.slot.Hold();
  const int answer = services_.messageBox
                         ? services_.messageBox(services_.messages.GetMessageText(kMsgReallyCancel), MB_YESNO)
                         : IDNO;
  if (answer == IDYES) {
    g_bAbortExtraction = 1;
    services_.slot.Reset();
    services_.init.SetRunStatus(kRunStatusExtractionCancelled);
    if (services_.quit) services_.quit(kExitCodeExtractionCancelled);
    return;
  }
  services_.slot.Release();
}

INT_PTR CUnattendedExtracter::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_PAINT:
      // The silent run's window hides at its first paint; the painting
      // itself is the dialog manager's.
      if (!visible_) ::ShowWindow(GetHwnd(), SW_HIDE);
      return 0;
    case WM_WINDOWPOSCHANGING:
      if (!visible_) reinterpret_cast<WINDOWPOS*>(lParam)->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
      return 0;
    case WM_EXTRACT_LOG: {
      const auto* record = reinterpret_cast<const LogRelayRecord*>(wParam);
      if (record != nullptr) services_.log.WriteLog(record->level, record->function, record->text, record->argument);
      handled = true;
      return 1;
    }
    case WM_EXTRACT_PROGRESS:
      OnExtractProgress(wParam, lParam);
      handled = true;
      return 1;
    case WM_ASK_OVERWRITE:
      // Unattended and silent runs overwrite the extracted files.
      g_nOverwriteAnswer = OVERWRITE_YES_TO_ALL;
      handled = true;
      return 1;
    case WM_EXTRACT_DONE:
      OnExtractDone();
      handled = true;
      return 1;
    case WM_EXTRACT_FAILED:
      EndDialog(IDOK);
      handled = true;
      return 1;
    case WM_CLOSE:
      OnClose();
      handled = true;
      return 0;
    default: return 0;
  }
}

bool CUnattendedExtracter::PreTranslateMessage(MSG& message) {
  // Neither Enter nor Esc closes the window: both move the focus.
  if (message.message == WM_KEYDOWN && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE))
    message.wParam = VK_TAB;
  return false;
}

}  // namespace tovu
