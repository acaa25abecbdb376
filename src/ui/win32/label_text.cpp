#include "ui/win32/label_text.h"

#include "platform/win32/win32_platform.h"
#include "settings/messages.h"

namespace tovu {

TextExtent MeasureLabelText(HWND label, const Text& text) {
  TextExtent extent;
  HDC dc = ::GetDC(label);
  if (dc == nullptr) return extent;
  HFONT font = reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0));
  HGDIOBJ old = ::SelectObject(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
  SIZE size{};
  if (::GetTextExtentPoint32W(dc, W(text), static_cast<int>(text.size()), &size)) {
    extent.width = size.cx;
    extent.height = size.cy;
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(label, dc);
  return extent;
}

Text FitLabelText(HWND label, const Text& text, FitVariant variant, FitMode mode) {
  RECT client{};
  ::GetClientRect(label, &client);
  return FitTextToLabel(text, client.right - client.left, client.bottom - client.top, variant, mode,
                        [label](const Text& t) { return MeasureLabelText(label, t); });
}

bool SetFittedLabel(HWND parent, int id, const Text& text, FitVariant variant, FitMode mode) {
  HWND label = ::GetDlgItem(parent, id);
  if (label == nullptr) return false;
  return ::SetWindowTextW(label, W(FitLabelText(label, text, variant, mode))) != FALSE;
}

bool SetFittedLabelMessage(HWND parent, int id, const CMessageCatalog& messages, int number, FitVariant variant) {
  return SetFittedLabel(parent, id, messages.GetMessageText(number), variant, FitMode::Trailing);
}

}  // namespace tovu
