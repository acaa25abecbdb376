#include "ui/win32/tovu_sheet.h"

#include <algorithm>

#include "app/fennock_app.h"
#include "app/win32/worker_thread_slot.h"
#include "container/extractor.h"
#include "launch/win32/launch_thread.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "settings/profile.h"
#include "ui/label_fitting.h"
#include "ui/win32/label_text.h"
#include "ui/win32/tovu_button.h"
#include "ui/win32/wizard_pages.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

using namespace wizard;

namespace {

constexpr int kTitleLabelId = 1000;
constexpr int kHelpButtonId = 9;
constexpr int kMsgReallyCancel = 113;
constexpr wchar_t kSheetProperty[] = L"TovuSheet";

bool EqualsIgnoringCase(const Text& a, const Text& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i], y = b[i];
    if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
    if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
    if (x != y) return false;
  }
  return true;
}

int g_conditionRetry = 0;

}  // namespace

int GetConditionRetryFlag() { return g_conditionRetry; }
void SetConditionRetryFlag(int value) { g_conditionRetry = value; }

CTovuSheet::CTovuSheet(WizardServices& services) : services_(services) {}

CTovuSheet::~CTovuSheet() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  if (titleFont_ != nullptr) ::DeleteObject(titleFont_);
  if (background_ != nullptr) ::DeleteObject(background_);
  FreeImageHandle(topImage_);
  FreeImageHandle(bottomImage_);
}

void CTovuSheet::AddPage(PageKind kind) {
  if (HasPage(kind)) return;
  std::unique_ptr<CWizardPage> page = CreateWizardPage(*this, kind);
  if (page) pages_.push_back(std::move(page));
}

bool CTovuSheet::HasPage(PageKind kind) const { return GetPage(kind) != nullptr; }

CWizardPage* CTovuSheet::GetPage(PageKind kind) const {
  for (const auto& page : pages_)
    if (page->Kind() == kind) return page.get();
  return nullptr;
}

int CTovuSheet::IndexOf(const CWizardPage* page) const {
  for (size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i].get() == page) return static_cast<int>(i);
  return -1;
}

CWizardPage* CTovuSheet::GetActivePage() const {
  if (hwnd_ == nullptr) return nullptr;
  HWND current = reinterpret_cast<HWND>(::SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0));
  if (current == nullptr) return nullptr;
  for (const auto& page : pages_)
    if (page->GetHwnd() == current) return page.get();
  return nullptr;
}

int CTovuSheet::GetActiveIndex() const { return IndexOf(GetActivePage()); }

bool CTovuSheet::IsFirstPage(const CWizardPage* page) const {
  if (page == nullptr) return false;
  if (page == startPage_) return true;
  return (page->Kind() == PageKind::License || page->Kind() == PageKind::Folder) && GetConditionRetryFlag() == 1 &&
         GetActiveIndex() == 1;
}

HWND CTovuSheet::GetButton(int id) const {
  CTovuButton* button = GetTovuButton(id);
  return button != nullptr ? button->GetHwnd() : nullptr;
}

CTovuButton* CTovuSheet::GetTovuButton(int id) const {
  switch (id) {
    case ID_WIZBACK: return back_.get();
    case ID_WIZNEXT: return next_.get();
    case ID_CANCEL: return cancel_.get();
    case ID_WIZFINISH: return finish_.get();
    default: return nullptr;
  }
}

// ---- creation ----------------------------------------------------------

INT_PTR CTovuSheet::DoModal() {
  const CommonControls& cc = GetCommonControls();
  if (!cc.Loaded() || pages_.empty()) return -1;
  const Text title = services_.init.GetDisplayName();
  std::vector<HPROPSHEETPAGE> handles;
  for (auto& page : pages_) {
    HPROPSHEETPAGE handle = page->CreateHandle(title);
    if (handle == nullptr) return -1;
    handles.push_back(handle);
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_WIZARD97 | PSH_NOAPPLYNOW | PSH_MODELESS;
  header.hwndParent = nullptr;
  header.hInstance = ::GetModuleHandleW(nullptr);
  header.pszCaption = W(title);
  header.nPages = static_cast<UINT>(handles.size());
  header.nStartPage = 0;
  header.phpage = handles.data();
  hwnd_ = reinterpret_cast<HWND>(cc.propertySheet(&header));
  for (auto& page : pages_) page->HandleOwnedBySheet();
  if (hwnd_ == nullptr || hwnd_ == reinterpret_cast<HWND>(-1)) {
    hwnd_ = nullptr;
    return -1;
  }
  ::SetPropW(hwnd_, kSheetProperty, this);
  oldProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTovuSheet::SheetProc)));
  ::SetWindowTextW(hwnd_, W(title));
  InitSheet();
  ::ShowWindow(hwnd_, SW_SHOW);
  ::SetForegroundWindow(hwnd_);

  MSG msg;
  bool quit = false;
  while (!ended_) {
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      break;
    }
    if (got < 0) break;
    const bool ours = msg.hwnd == hwnd_ || ::IsChild(hwnd_, msg.hwnd);
    if (ours && PreTranslateMessage(msg)) continue;
    if (ours && ::SendMessageW(hwnd_, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&msg))) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    if (!ended_ && ::SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0) == 0) break;  // the sheet closed itself
  }
  ready_ = 0;
  if (::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  if (quit) ::PostQuitMessage(static_cast<int>(msg.wParam));
  return result_;
}

void CTovuSheet::EndWizard(INT_PTR result) {
  result_ = result;
  ended_ = true;
  if (hwnd_ != nullptr) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

void CTovuSheet::InitSheet() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // 1. Icons.
  SetFrameIcons(hwnd_);
  // 2. Minimize box and system menu.
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE, ::GetWindowLongPtrW(hwnd_, GWL_STYLE) | WS_MINIMIZEBOX | WS_SYSMENU);
  if (HMENU menu = ::GetSystemMenu(hwnd_, FALSE)) ::AppendMenuW(menu, MF_STRING, SC_MINIMIZE, L"Minimize");
  // 3.-4. The standard buttons stay, hidden and disabled.
  if (HWND help = ::GetDlgItem(hwnd_, kHelpButtonId)) ::ShowWindow(help, SW_HIDE);
  const int ids[4] = {ID_WIZBACK, ID_WIZNEXT, ID_CANCEL, ID_WIZFINISH};
  for (int i = 0; i < 4; ++i) standardButtons_[i] = ::GetDlgItem(hwnd_, ids[i]);
  HideStandardButtons();
  // 5. Banners.
  bottomImage_ = LoadImageFromFile(services_.app.GetBottomBannerPath());
  topImage_ = LoadImageFromFile(services_.app.GetTopBannerPath());
  // 6. The title of the "Classic" setup type.
  CProfile profile(services_.platform);
  const Text setupType =
      pkg::ReadText(profile, services_.init.GetSettingsPath(), pkg::section::kPackage, pkg::key::kSetuptype);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  if (EqualsIgnoringCase(setupType, u"PLUS")) {
    services_.log.WriteLog(LOG_INFO, u"Setuptype", u"PLUS");
  } else {
    services_.log.WriteLog(LOG_INFO, u"Setuptype", u"Classic");
    const int x = static_cast<int>(static_cast<float>(client.right) * 0.3f);
    // The label ends inside the window: the text is right-aligned, and a
    // label reaching past the window's edge would cut the title's end off.
    titleLabel_ = ::CreateWindowExW(WS_EX_RIGHT | WS_EX_TRANSPARENT, L"STATIC", L"", WS_CHILD | WS_VISIBLE, x,
                                    client.top + 20, client.right - x - 8, 20, hwnd_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTitleLabelId)), instance, nullptr);
    titleFont_ = CreateWizardFont(services_.app.GetTitleFont());
    if (titleLabel_ != nullptr) {
      ::SendMessageW(titleLabel_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), FALSE);
      SetFittedLabel(hwnd_, kTitleLabelId, services_.init.GetDisplayName(), FitVariant::TitleLabel);
    }
  }
  // 8. The page rectangle and the band below it.
  if (HWND page = reinterpret_cast<HWND>(::SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0))) {
    ::GetWindowRect(page, &pageRect_);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&pageRect_), 2);
  }
  pageBottom_ = pageRect_.bottom;
  band_ = client.bottom - pageBottom_;
  // 9.-10.
  CreateWizardButtons(services_.app.GetBottomBannerPath(), pageRect_.right, band_);
  SetButtonCaptions(Text());
  // 11.
  ready_ = 1;
  startPage_ = GetActivePage();
  if (startPage_ != nullptr) startPage_->OnInitDialog();
}

void CTovuSheet::HideStandardButtons() {
  for (HWND button : standardButtons_) {
    if (button == nullptr) continue;
    ::ShowWindow(button, SW_HIDE);
    ::EnableWindow(button, FALSE);
  }
}

void CTovuSheet::CreateWizardButtons(const Text& bottomBanner, int right, int band) {
  COLORREF colour = RGB(255, 255, 255);
  if (services_.util.FileExists(bottomBanner) == 1 && !PixelOfImageFile(bottomBanner, 20, 20, colour))
    colour = RGB(255, 255, 255);
  auto make = [&](std::unique_ptr<CTovuButton>& button, int id, int left, int rightEdge) {
    const int top = pageBottom_ + band / 2 - 15;
    RECT rc{left, top, rightEdge, top + 30};
    button = std::make_unique<CTovuButton>(Text(), hwnd_);
    button->Create(Text(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, rc, hwnd_, id);
    button->SetBackgroundColour(colour);
  };
  make(cancel_, ID_CANCEL, right - 134, right - 26);
  make(next_, ID_WIZNEXT, right - 244, right - 136);
  make(back_, ID_WIZBACK, right - 356, right - 246);
  make(finish_, ID_WIZFINISH, right - 134, right - 26);
  for (CTovuButton* b : {cancel_.get(), next_.get(), back_.get()}) {
    b->SetEnabledLook(1);
    b->NormalLook();
  }
  ::ShowWindow(finish_->GetHwnd(), SW_HIDE);
  ::EnableWindow(finish_->GetHwnd(), FALSE);
  finish_->SetEnabledLook(0);
}

// ---- buttons -----------------------------------------------------------

void CTovuSheet::EnableWizardButtons(const Text& list, int enable) {
  for (int id : ParseButtonList(list)) {
    CTovuButton* button = GetTovuButton(id);
    if (button == nullptr) continue;
    button->SetEnabledLook(enable);
    ::EnableWindow(button->GetHwnd(), enable ? TRUE : FALSE);
    button->SetHoverFlag(0);
    button->SetFocusFlag(0);
    button->NormalLook();
  }
}

void CTovuSheet::ShowWizardButtons(const Text& list, int command) {
  if (back_) ::ShowWindow(back_->GetHwnd(), SW_SHOW);
  if (next_) ::ShowWindow(next_->GetHwnd(), SW_SHOW);
  for (int id : ParseButtonList(list))
    if (HWND button = GetButton(id)) ::ShowWindow(button, command);
}

void CTovuSheet::UpdateNavigationButtons(int isFirst, int keepNext) {
  if (isFirst == 1) {
    ShowWizardButtons(u"BACK", SW_HIDE);
    if (keepNext != 1) EnableWizardButtons(u"NEXT,CANCEL", 1);
  } else {
    ShowWizardButtons(Text(), SW_HIDE);
    ShowWizardButtons(u"NEXT", SW_SHOW);
    EnableWizardButtons(u"BACK,NEXT,CANCEL", 1);
  }
}

void CTovuSheet::SetButtonCaptions(const Text& mode) {
  if (!back_) return;
  const ButtonCaptions captions = CaptionsForMode(mode);
  auto apply = [&](CTovuButton* button, int message) {
    if (button != nullptr && message != 0) button->SetCaption(services_.messages.GetMessageText(message));
  };
  apply(cancel_.get(), captions.cancel);
  apply(finish_.get(), captions.finish);
  apply(next_.get(), captions.next);
  apply(back_.get(), captions.back);
  if (captions.nextIsDefault) ::SendMessageW(hwnd_, DM_SETDEFID, ID_WIZNEXT, 0);
  for (CTovuButton* b : {back_.get(), cancel_.get(), next_.get()}) ::InvalidateRect(b->GetHwnd(), nullptr, TRUE);
}

void CTovuSheet::EnableCloseCommand(int command) {
  HMENU menu = ::GetSystemMenu(hwnd_, FALSE);
  if (command == 0) {
    if (menu != nullptr) ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    closeCommand_ = 0;
  } else if (command == 5) {
    if (menu != nullptr) ::EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_ENABLED);
    closeCommand_ = 1;
  }
}

// ---- focus -------------------------------------------------------------

namespace {
void Normal(CTovuButton* b) {
  if (b == nullptr) return;
  b->SetHoverFlag(0);
  b->SetFocusFlag(0);
  b->NormalLook();
}
void Focused(CTovuButton* b) {
  if (b == nullptr) return;
  b->SetHoverFlag(1);
  b->FocusedLook();
  b->SetFocusFlag(1);
}
void Poke(CTovuButton* b) {
  if (b != nullptr) ::SendMessageW(b->GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(-1, -1));
}
}  // namespace

void CTovuSheet::FocusBackButton() {
  if (!back_) return;
  Focused(back_.get());
  ::SetFocus(back_->GetHwnd());
  if (CWizardPage* page = GetActivePage()) ::SendMessageW(page->GetHwnd(), DM_SETDEFID, ID_WIZBACK, 0);
  Normal(next_.get());
  Normal(cancel_.get());
  Poke(back_.get());
}

void CTovuSheet::FocusCancelButton() {
  if (!cancel_) return;
  Focused(cancel_.get());
  ::SetFocus(cancel_->GetHwnd());
  if (CWizardPage* page = GetActivePage()) ::SendMessageW(page->GetHwnd(), DM_SETDEFID, ID_CANCEL, 0);
  Normal(next_.get());
  Normal(back_.get());
  Poke(back_.get());
  Poke(next_.get());
  Poke(cancel_.get());
}

void CTovuSheet::FocusNextButton(int setFocus) {
  if (!next_) return;
  Normal(cancel_.get());
  CWizardPage* page = GetActivePage();
  const bool enabled = next_->GetEnabledLook() == 1;
  if (enabled) {
    Focused(next_.get());
    if (setFocus == 1) ::SetFocus(next_->GetHwnd());
  } else {
    next_->SetHoverFlag(0);
    Focused(cancel_.get());
    ::SetFocus(cancel_->GetHwnd());
    Poke(cancel_.get());
  }
  int defId = ID_WIZNEXT;
  if (page != nullptr && page->Kind() == PageKind::License && !enabled) defId = ID_CANCEL;
  if (page != nullptr) ::SendMessageW(page->GetHwnd(), DM_SETDEFID, static_cast<WPARAM>(defId), 0);
  Normal(back_.get());
  Poke(back_.get());
  Poke(enabled ? next_.get() : cancel_.get());
}

void CTovuSheet::FocusFinishButton() {
  if (!finish_) return;
  Focused(finish_.get());
  ::SetFocus(finish_->GetHwnd());
  ::SendMessageW(hwnd_, DM_SETDEFID, ID_WIZFINISH, 0);
  Poke(finish_.get());
}

void CTovuSheet::ClickDefaultButton(HWND focused, int id) {
  CWizardPage* page = GetActivePage();
  const PageKind kind = page != nullptr ? page->Kind() : PageKind::Welcome;
  CTovuButton* focusedButton = CTovuButton::FromHwnd(focused);
  const ClickTarget target =
      DecideDefaultClick(kind, focusedButton != nullptr, id, next_ && next_->GetEnabledLook() == 1);
  HWND click = nullptr;
  switch (target) {
    case ClickTarget::Focused: click = focused; break;
    case ClickTarget::Next: click = GetButton(ID_WIZNEXT); break;
    case ClickTarget::Cancel: click = GetButton(ID_CANCEL); break;
    case ClickTarget::Finish: click = GetButton(ID_WIZFINISH); break;
  }
  if (click != nullptr) ::SendMessageW(click, BM_CLICK, 0, 0);
}

// ---- navigation --------------------------------------------------------

bool CTovuSheet::SetActivePage(PageKind kind) {
  CWizardPage* page = GetPage(kind);
  if (page == nullptr || hwnd_ == nullptr || page->GetHandle() == nullptr) return false;
  const BOOL moved = static_cast<BOOL>(
      ::SendMessageW(hwnd_, PSM_SETCURSEL, 0, reinterpret_cast<LPARAM>(page->GetHandle())));
  HideStandardButtons();
  return moved != FALSE;
}

void CTovuSheet::RemovePage(PageKind kind) {
  CWizardPage* page = GetPage(kind);
  if (page == nullptr) return;
  const int index = IndexOf(page);
  if (hwnd_ != nullptr && page->GetHandle() != nullptr)
    ::SendMessageW(hwnd_, PSM_REMOVEPAGE, 0, reinterpret_cast<LPARAM>(page->GetHandle()));
  if (page == startPage_) startPage_ = nullptr;
  // The sheet destroyed the page's window and handle; the object goes
  // when nothing of the current message still runs in it.
  removed_.push_back(std::move(pages_[static_cast<size_t>(index)]));
  pages_.erase(pages_.begin() + index);
}

void CTovuSheet::GoNext() {
  CWizardPage* page = GetActivePage();
  if (page == nullptr) return;
  const int r = page->OnWizardNext();
  if (r != 0) return;
  const int index = IndexOf(page);
  if (index >= 0 && static_cast<size_t>(index) + 1 < pages_.size())
    SetActivePage(pages_[static_cast<size_t>(index) + 1]->Kind());
}

void CTovuSheet::GoBack() {
  CWizardPage* page = GetActivePage();
  const int index = IndexOf(page);
  if (index > 0) SetActivePage(pages_[static_cast<size_t>(index) - 1]->Kind());
}

void CTovuSheet::GoFinish() {
  CWizardPage* page = GetActivePage();
  if (page != nullptr && !page->OnWizardFinish()) return;
  if (!ended_) EndWizard(ID_WIZFINISH);
}

void CTovuSheet::OnWizardButton(int id) {
  switch (id) {
    case ID_WIZBACK: GoBack(); break;
    case ID_WIZNEXT: GoNext(); break;
    case ID_WIZFINISH: GoFinish(); break;
    case ID_CANCEL:
      if (ConfirmCancel() == 0) SetActivePage(PageKind::Finish);
      break;
    default: break;
  }
}

// ---- cancel ------------------------------------------------------------

int CTovuSheet::ConfirmCancel() {
  CWizardPage* page = GetActivePage();
  const PageKind kind = page != nullptr ? page->Kind() : PageKind::Welcome;
  const bool worker = kind == PageKind::Extraction || kind == PageKind::Installation;
  if (worker) {
    ::Sleep(100);
    services_.slot.Hold();
    ::Sleep(10);
  }
  if (kind == PageKind::Finish) return 1000;
  const int answer = services_.app.ShowMessageBox(services_.messages.GetMessageText(kMsgReallyCancel), MB_YESNO);
  if (answer == IDYES) {
    SetContinueLaunchingAll(0);
    const CancelOutcome outcome = CancelConfirmedOn(kind);
    if (outcome.launchFinished) {
      if (auto* installation = dynamic_cast<CAutoLaunchSilentPage*>(page)) installation->OnLaunchSetupFinish();
    }
    services_.init.SetRunStatus(outcome.runStatus);
    if (outcome.abortExtraction) {
      g_bAbortExtraction = 1;
      if (!outcome.logLine.empty()) services_.log.WriteLogNoFunction(LOG_INFO, outcome.logLine);
      services_.slot.Reset();
      SetContinueLaunchingAll(0);
    } else if (!outcome.logLine.empty()) {
      services_.log.WriteLogNoFunction(LOG_INFO, outcome.logLine);
    }
    if (kind == PageKind::Installation) services_.slot.Release();
    return outcome.result;
  }
  if (answer == IDNO) {
    if (worker) services_.slot.Release();
    return -1;
  }
  if (worker) services_.slot.Release();
  return 1;
}

int CTovuSheet::CancelPath() {
  const int r = ConfirmCancel();
  if (r == 0) SetActivePage(PageKind::Finish);
  return r;
}

// ---- keyboard ----------------------------------------------------------

void CTovuSheet::RestoreFocus() {
  CWizardPage* page = GetActivePage();
  const PageKind kind = page != nullptr ? page->Kind() : PageKind::Welcome;
  if (kind == PageKind::Finish) FocusFinishButton();
  else if (kind == PageKind::Extraction || kind == PageKind::Installation) FocusCancelButton();
  else FocusNextButton(1);
}

bool CTovuSheet::PreTranslateMessage(MSG& msg) {
  HWND focus = ::GetFocus();
  // A focus left on a button that its page hid or disabled counts as none.
  if (focus != nullptr && (!::IsWindowVisible(focus) || !::IsWindowEnabled(focus))) focus = nullptr;
  CTovuButton* focusedButton = CTovuButton::FromHwnd(focus);
  const WPARAM key = msg.wParam;
  const bool isKeyDown = msg.message == WM_KEYDOWN;
  // 1. Arrows on a wizard button keep the looks in step with the focus.
  if (isKeyDown && (key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN) && focusedButton != nullptr) {
    if (focusedButton == back_.get()) FocusBackButton();
    else if (focusedButton == next_.get()) FocusNextButton(1);
    else if (focusedButton == cancel_.get()) FocusCancelButton();
  }
  // 2.
  if (!isKeyDown) return false;
  // 3. Tab.
  if (key == VK_TAB) {
    const bool back = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    HWND target = ::GetNextDlgTabItem(hwnd_, focus, back ? TRUE : FALSE);
    if (CTovuButton* button = CTovuButton::FromHwnd(target)) {
      if (button == back_.get()) FocusBackButton();
      else if (button == next_.get()) FocusNextButton(1);
      else if (button == cancel_.get()) FocusCancelButton();
      else if (button == finish_.get()) FocusFinishButton();
      else {
        // A page's own button (the folder page's Browse).
        button->SetHoverFlag(1);
        button->SetFocusFlag(1);
        button->FocusedLook();
        ::SetFocus(button->GetHwnd());
        if (CWizardPage* page = GetActivePage()) ::SendMessageW(page->GetHwnd(), DM_SETDEFID, ::GetDlgCtrlID(button->GetHwnd()), 0);
      }
      return true;
    }
    FocusNextButton(0);
    return false;
  }
  // 4. Enter and Space.
  if (key == VK_RETURN || key == VK_SPACE) {
    const int id = focus != nullptr ? ::GetDlgCtrlID(focus) : 0;
    // Without a focused window (the sheet was hidden while a setup ran)
    // Enter still acts on the page's default.
    if (focus == nullptr && key == VK_RETURN) {
      ClickDefaultButton(nullptr, 0);
      return true;
    }
    if (focus != nullptr && (focusedButton != nullptr || id == ID_WIZBACK || id == ID_WIZNEXT || key == VK_RETURN)) {
      ClickDefaultButton(focus, id);
      return true;
    }
    return false;
  }
  // 5. Esc.
  if (key == VK_ESCAPE) {
    const int r = ConfirmCancel();
    if (r == 0) {
      SetActivePage(PageKind::Finish);
    } else if (r == 1000 || r == -1) {
      CWizardPage* page = GetActivePage();
      if (page != nullptr && page->Kind() == PageKind::Finish && finish_)
        ::SendMessageW(finish_->GetHwnd(), BM_CLICK, 0, 0);
    }
    return true;
  }
  return false;
}

// ---- the sheet's window ------------------------------------------------

LRESULT CALLBACK CTovuSheet::SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CTovuSheet*>(::GetPropW(hwnd, kSheetProperty));
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  bool handled = false;
  const LRESULT result = self->OnSheetMessage(message, wParam, lParam, handled);
  if (handled) return result;
  WNDPROC old = self->oldProc_;
  if (message == WM_NCDESTROY) {
    ::RemovePropW(hwnd, kSheetProperty);
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
  }
  return ::CallWindowProcW(old, hwnd, message, wParam, lParam);
}

void CTovuSheet::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd_, &ps);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  DrawImageScaled(dc, bottomImage_, 0, pageBottom_, client.right, band_);
  DrawImageScaled(dc, topImage_, 0, 0, client.right, 60);
  ::EndPaint(hwnd_, &ps);
}

LRESULT CTovuSheet::OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  switch (message) {
    case WM_WIZARD_BUTTON:
      handled = true;
      OnWizardButton(static_cast<int>(wParam));
      return 0;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      // The standard buttons are hidden and disabled: a command with their
      // IDs comes from the dialog manager's Enter on the default button.
      if (id == ID_WIZBACK || id == ID_WIZNEXT || id == ID_WIZFINISH) {
        handled = true;
        if (ready_ && HIWORD(wParam) == BN_CLICKED) OnWizardButton(id);
        return 0;
      }
      if (id != ID_CANCEL && id != 5) return 0;
      handled = true;
      if (!ready_) return 0;
      const int r = ConfirmCancel();
      if (r == 0) SetActivePage(PageKind::Finish);
      return 1;
    }
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        handled = true;
        if (lParam == 0 && closeCommand_ == 0) return 0;
        const int r = ConfirmCancel();
        if (r == 0) SetActivePage(PageKind::Finish);
        else if (r == 1000) EndWizard(IDCANCEL);
        return 0;
      }
      return 0;
    case WM_ACTIVATE:
      // The dialog manager gives the focus back to the control that had it
      // when the sheet was last active (hidden while a setup ran); on a page
      // that hid that control the page's own button takes it.
      if (LOWORD(wParam) != WA_INACTIVE && ready_) {
        handled = true;
        const LRESULT r = ::CallWindowProcW(oldProc_, hwnd_, message, wParam, lParam);
        HWND focus = ::GetFocus();
        if (focus == nullptr || !::IsWindowVisible(focus) || !::IsWindowEnabled(focus)) RestoreFocus();
        return r;
      }
      return 0;
    case WM_CLOSE:
      handled = true;
      ::SendMessageW(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_ERASEBKGND: {
      handled = true;
      if (background_ == nullptr) background_ = ::CreateSolidBrush(kWizardBackground);
      RECT rc;
      ::GetClientRect(hwnd_, &rc);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc, background_);
      return 1;
    }
    case WM_PAINT:
      handled = true;
      Paint();
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == titleLabel_ && titleLabel_ != nullptr) {
        handled = true;
        ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      }
      return 0;
    case WM_HELP:
      handled = true;
      return 1;
    default:
      return 0;
  }
}

// ---- launch ------------------------------------------------------------

void CTovuSheet::ShowWindow(bool show) {
  if (hwnd_ == nullptr) return;
  ::ShowWindow(hwnd_, show ? SW_SHOW : SW_HIDE);
  if (show) ::SetForegroundWindow(hwnd_);
}

int CTovuSheet::HandleLaunchSetup() {
  if (services_.launcher == nullptr) return LAUNCH_NOTHING_STARTED;
  services_.launcher->SetSheet(this);
  services_.launcher->SetInstallationPage(nullptr);
  const int r = services_.launcher->HandleLaunchSetup();
  services_.launcher->SetSheet(nullptr);
  return r;
}

}  // namespace tovu
