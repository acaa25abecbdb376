#include "ui/win32/wizard_page.h"

#include "app/fennock_app.h"
#include "platform/win32/win32_platform.h"
#include "settings/messages.h"
#include "ui/label_fitting.h"
#include "ui/win32/label_text.h"
#include "ui/win32/wizard_support.h"

namespace tovu {

CWizardPage::CWizardPage(CTovuSheet& sheet, PageKind kind, int templateId, bool hideHeader)
    : sheet_(sheet), kind_(kind), templateId_(templateId), hideHeader_(hideHeader) {}

CWizardPage::~CWizardPage() {
  if (handle_ != nullptr && !handleOwned_ && GetCommonControls().destroyPage != nullptr)
    GetCommonControls().destroyPage(handle_);
  if (titleFont_ != nullptr) ::DeleteObject(titleFont_);
  if (textFont_ != nullptr) ::DeleteObject(textFont_);
}

HPROPSHEETPAGE CWizardPage::CreateHandle(const Text& title) {
  if (handle_ != nullptr) return handle_;
  const CommonControls& cc = GetCommonControls();
  if (cc.createPage == nullptr) return nullptr;
  title_ = title;
  PROPSHEETPAGEW page{};
  page.dwSize = sizeof(page);
  page.dwFlags = PSP_USETITLE | (hideHeader_ ? PSP_HIDEHEADER : 0);
  page.hInstance = ::GetModuleHandleW(nullptr);
  page.pszTemplate = MAKEINTRESOURCEW(templateId_);
  page.pfnDlgProc = PageProc;
  page.pszTitle = W(title_);
  page.lParam = reinterpret_cast<LPARAM>(this);
  handle_ = cc.createPage(&page);
  return handle_;
}

void CWizardPage::CreateFonts() {
  if (titleFont_ == nullptr) titleFont_ = CreateWizardFont(Services().app.GetTitleFont());
  if (textFont_ == nullptr) textFont_ = CreateWizardFont(Services().app.GetTextFont());
}

void CWizardPage::SetTitleFont(int id) {
  CreateFonts();
  if (HWND item = Item(id)) ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_), TRUE);
}

void CWizardPage::SetTextFont(int id) {
  CreateFonts();
  if (HWND item = Item(id)) ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_), TRUE);
}

Text CWizardPage::Message(int number) const { return sheet_.Services().messages.GetMessageText(number); }

void CWizardPage::SetFitted(int id, const Text& text) {
  SetFittedLabel(hwnd_, id, text, FitVariant::Pages);
}

void CWizardPage::SetDefaultId(int id) { ::SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(id), 0); }

INT_PTR CALLBACK CWizardPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWizardPage* self = nullptr;
  if (message == WM_INITDIALOG) {
    const auto* page = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    self = page != nullptr ? reinterpret_cast<CWizardPage*>(page->lParam) : nullptr;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    if (self == nullptr) return TRUE;
    self->hwnd_ = hwnd;
    self->OnInitDialog();
    return TRUE;
  }
  self = reinterpret_cast<CWizardPage*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  return self->Dispatch(message, wParam, lParam);
}

INT_PTR CWizardPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  const INT_PTR result = OnMessage(message, wParam, lParam, handled);
  if (handled) {
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
    // Messages whose answer is the procedure's own return value.
    if (message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN || message == WM_CTLCOLORDLG ||
        message == WM_CTLCOLOREDIT)
      return result;
    return TRUE;
  }
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->code == PSN_SETACTIVE) {
        if (sheet_.IsReady()) OnSetActive();
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 0);
        return TRUE;
      }
      if (header != nullptr && (header->code == PSN_QUERYCANCEL || header->code == PSN_WIZNEXT ||
                                header->code == PSN_WIZBACK || header->code == PSN_WIZFINISH)) {
        // The sheet decides these itself; the standard handling must not
        // move or close it.
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, header->code == PSN_WIZFINISH || header->code == PSN_QUERYCANCEL
                                                       ? TRUE
                                                       : -1);
        return TRUE;
      }
      return FALSE;
    }
    case WM_ERASEBKGND: {
      RECT rc;
      ::GetClientRect(hwnd_, &rc);
      HBRUSH brush = ::CreateSolidBrush(kWizardBackground);
      ::FillRect(reinterpret_cast<HDC>(wParam), &rc, brush);
      ::DeleteObject(brush);
      ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, 1);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
      return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    }
    case WM_CTLCOLORDLG:
      return reinterpret_cast<INT_PTR>(::GetStockObject(NULL_BRUSH));
    case WM_PAINT: {
      if (!paintsTopBanner_) return FALSE;
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      RECT rc;
      ::GetClientRect(hwnd_, &rc);
      DrawImageScaled(dc, Services().app.GetTopImage(), 0, 0, rc.right, 60);
      ::EndPaint(hwnd_, &ps);
      return TRUE;
    }
    case WM_HELP:
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace tovu
