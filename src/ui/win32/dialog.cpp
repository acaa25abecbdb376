#include "ui/win32/dialog.h"

namespace tovu {

CDialog::CDialog(int templateId, HINSTANCE instance) : templateId_(templateId), instance_(instance) {}

CDialog::~CDialog() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
}

void CDialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  // Wakes the loop when the call comes from outside a message.
  if (hwnd_ != nullptr) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

INT_PTR CDialog::DoModal(HWND owner) {
  ended_ = false;
  result_ = -1;
  hwnd_ = ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(templateId_), owner, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (hwnd_ == nullptr) return -1;
  const bool ownerEnabled = owner != nullptr && ::IsWindowEnabled(owner);
  if (ownerEnabled) ::EnableWindow(owner, FALSE);
  if (!ended_) ::ShowWindow(hwnd_, SW_SHOWNORMAL);

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
    if (::IsDialogMessageW(hwnd_, &msg)) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }

  if (ownerEnabled) ::EnableWindow(owner, TRUE);
  ::DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  if (quit) {
    ::PostQuitMessage(static_cast<int>(msg.wParam));
    return -1;
  }
  return result_;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialog* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialog*>(lParam);
    ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
    return self->OnInitDialog();
  }
  self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (self == nullptr) return FALSE;
  bool handled = false;
  const INT_PTR result = self->OnMessage(message, wParam, lParam, handled);
  if (handled) {
    // These messages take their answer (a brush, an index) as the
    // procedure's own return value instead of DWLP_MSGRESULT.
    switch (message) {
      case WM_CTLCOLORMSGBOX:
      case WM_CTLCOLOREDIT:
      case WM_CTLCOLORLISTBOX:
      case WM_CTLCOLORBTN:
      case WM_CTLCOLORDLG:
      case WM_CTLCOLORSCROLLBAR:
      case WM_CTLCOLORSTATIC:
      case WM_COMPAREITEM:
      case WM_VKEYTOITEM:
      case WM_CHARTOITEM:
      case WM_QUERYDRAGICON:
        return result;
      default: break;
    }
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      self->OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      self->OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace tovu
