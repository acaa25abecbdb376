#include "ui/win32/tovu_button.h"

#include <windowsx.h>

#include "platform/win32/win32_platform.h"

namespace tovu {

namespace {

constexpr wchar_t kInstanceProperty[] = L"TovuButton";

// Buttons whose clicks go to the owner as WM_WIZARD_BUTTON.
constexpr int kReportedIds[] = {2, 1001, 1024, 1027, 1028, 1029, 0x3023, 0x3024, 0x3025};

// A 0x00BBGGRR colour as a pixel of a 32-bit DIB (0x00RRGGBB).
uint32_t ToDibPixel(Rgb c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }

}  // namespace

CTovuButton::CTovuButton(const Text& caption, HWND owner) : owner_(owner), caption_(caption) {
  LOGFONTW lf{};
  lf.lfHeight = 15;
  lf.lfWeight = 400;
  lf.lfCharSet = DEFAULT_CHARSET;
  ::lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  font_ = ::CreateFontIndirectW(&lf);
  look_.dirty = 1;
}

CTovuButton::~CTovuButton() {
  if (hwnd_ != nullptr && ::IsWindow(hwnd_)) {
    // The window may outlive the object only as a plain button.
    if (standardProc_ != nullptr)
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standardProc_));
    ::RemovePropW(hwnd_, kInstanceProperty);
    ::DestroyWindow(hwnd_);
  }
  FreeBackBuffer();
  if (font_ != nullptr) ::DeleteObject(font_);
}

bool CTovuButton::Create(const Text& caption, DWORD style, const RECT& rect, HWND parent, int id) {
  caption_ = caption;
  const DWORD ownerDrawn = (style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
  hwnd_ = ::CreateWindowExW(0, L"BUTTON", W(caption), ownerDrawn, rect.left, rect.top, rect.right - rect.left,
                            rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            ::GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) return false;
  if (owner_ == nullptr) owner_ = parent;
  ::SetPropW(hwnd_, kInstanceProperty, this);
  standardProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTovuButton::SubclassProc)));
  // Owner-drawn, with a frame change.
  const LONG_PTR current = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE, (current & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (font_ != nullptr) ::SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  look_.dirty = 1;
  return true;
}

int CTovuButton::GetId() const { return hwnd_ != nullptr ? ::GetDlgCtrlID(hwnd_) : 0; }

CTovuButton* CTovuButton::FromHwnd(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  return static_cast<CTovuButton*>(::GetPropW(hwnd, kInstanceProperty));
}

bool CTovuButton::HandleDrawItem(LPARAM lParam) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (item == nullptr || item->CtlType != ODT_BUTTON) return false;
  CTovuButton* button = FromHwnd(item->hwndItem);
  if (button == nullptr) return false;
  button->PaintTo(item->hDC, item->rcItem);
  return true;
}

void CTovuButton::SetBackgroundColour(COLORREF colour) { look_.SetBackground(colour); }

void CTovuButton::SetCaption(const Text& caption) {
  if (EqualsNoCase(caption, caption_)) return;
  caption_ = caption;
  look_.dirty = 1;
  if (hwnd_ != nullptr) {
    ::SetWindowTextW(hwnd_, W(caption_));
    ::InvalidateRect(hwnd_, nullptr, FALSE);
  }
}

void CTovuButton::SetEnabledLook(int enabled) { look_.SetEnabledLook(enabled); }
void CTovuButton::SetHoverFlag(int hover) { look_.SetHover(hover); }
void CTovuButton::SetFocusFlag(int focus) { look_.focus = focus; }
void CTovuButton::SetWhiteFaceFlag(int white) { look_.whiteFace = white; }

void CTovuButton::NormalLook(COLORREF face) {
  look_.NormalLook(face);
  Repaint();
}

void CTovuButton::HoverLook() {
  look_.HoverLook();
  Repaint();
}

void CTovuButton::FocusedLook() {
  look_.FocusedLook();
  Repaint();
}

void CTovuButton::Repaint() {
  if (hwnd_ != nullptr) ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool CTovuButton::ReportsClicks() const {
  const int id = GetId();
  for (int reported : kReportedIds)
    if (id == reported) return true;
  return false;
}

void CTovuButton::FreeBackBuffer() {
  if (bufferDc_ != nullptr) {
    if (bufferOld_ != nullptr) ::SelectObject(bufferDc_, bufferOld_);
    ::DeleteDC(bufferDc_);
  }
  if (buffer_ != nullptr) ::DeleteObject(buffer_);
  bufferDc_ = nullptr;
  buffer_ = nullptr;
  bufferOld_ = nullptr;
  bufferWidth_ = bufferHeight_ = 0;
}

void CTovuButton::PrepareBackBuffer(int width, int height) {
  if (width <= 0 || height <= 0) return;
  if (buffer_ != nullptr && width == bufferWidth_ && height == bufferHeight_ && !look_.dirty) return;
  if (buffer_ == nullptr || width != bufferWidth_ || height != bufferHeight_) {
    FreeBackBuffer();
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    buffer_ = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bufferDc_ = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    if (buffer_ == nullptr || bufferDc_ == nullptr) {
      FreeBackBuffer();
      return;
    }
    bufferOld_ = ::SelectObject(bufferDc_, buffer_);
    bufferWidth_ = width;
    bufferHeight_ = height;
  }
  look_.dirty = 0;

  // The face from the skin, into the DIB's pixels.
  const Pixmap skin = GenerateSkin(look_);
  const Pixmap face = ComposeFace(skin, SkinRadius(look_), look_.cornerSize, width, height);
  DIBSECTION section{};
  if (::GetObjectW(buffer_, sizeof(section), &section) == sizeof(section) && section.dsBm.bmBits != nullptr) {
    ::GdiFlush();
    auto* rowBase = static_cast<uint8_t*>(section.dsBm.bmBits);
    const int stride = section.dsBm.bmWidthBytes;
    for (int y = 0; y < height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(rowBase + static_cast<ptrdiff_t>(y) * stride);
      for (int x = 0; x < width; ++x) row[x] = ToDibPixel(face.At(x, y));
    }
  }

  // The caption, centred on one line; "&" marks the mnemonic.
  RECT area{0, 0, width, height};
  const int oldMode = ::SetBkMode(bufferDc_, TRANSPARENT);
  const COLORREF oldColour = ::SetTextColor(bufferDc_, look_.textColour);
  HGDIOBJ oldFont = font_ != nullptr ? ::SelectObject(bufferDc_, font_) : nullptr;
  ::DrawTextW(bufferDc_, W(caption_), static_cast<int>(caption_.size()), &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (oldFont != nullptr) ::SelectObject(bufferDc_, oldFont);
  ::SetTextColor(bufferDc_, oldColour);
  ::SetBkMode(bufferDc_, oldMode);
}

void CTovuButton::PaintTo(HDC dc, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  PrepareBackBuffer(width, height);
  if (bufferDc_ != nullptr) ::BitBlt(dc, rect.left, rect.top, width, height, bufferDc_, 0, 0, SRCCOPY);
}

LRESULT CTovuButton::CallStandard(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(standardProc_, hwnd_, message, wParam, lParam);
}

void CTovuButton::OnLButtonUp(LPARAM lParam, LRESULT& result) {
  result = 0;
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const bool inside = ::PtInRect(&client, at) != FALSE;
  // The release ends the press the standard handling began.
  if (::GetCapture() == hwnd_) ::ReleaseCapture();
  if (::SendMessageW(hwnd_, BM_GETSTATE, 0, 0) & BST_PUSHED) ::SendMessageW(hwnd_, BM_SETSTATE, FALSE, 0);
  if (!inside || !ReportsClicks() || !::IsWindowEnabled(hwnd_) || owner_ == nullptr) return;
  result = ::SendMessageW(owner_, WM_WIZARD_BUTTON, static_cast<WPARAM>(GetId()), 0);
}

void CTovuButton::OnMouseMove(LPARAM lParam) {
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, HOVER_DEFAULT};
  ::TrackMouseEvent(&track);
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!::PtInRect(&client, at) || look_.tracking) {
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
  } else {
    look_.tracking = 1;
    ::SetCapture(hwnd_);
    HoverLook();
  }
}

LRESULT CALLBACK CTovuButton::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CTovuButton* self = FromHwnd(hwnd);
  if (self == nullptr) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return self->WindowProc(message, wParam, lParam);
}

LRESULT CTovuButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      RECT client{};
      ::GetClientRect(hwnd_, &client);
      if (wParam != 0) {
        PaintTo(reinterpret_cast<HDC>(wParam), client);
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      if (dc != nullptr) PaintTo(dc, client);
      ::EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client{};
      ::GetClientRect(hwnd_, &client);
      PaintTo(reinterpret_cast<HDC>(wParam), client);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case BM_SETSTYLE:
      // The dialog manager's default-button styling must not undo the owner drawing.
      wParam = (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
      break;
    case WM_LBUTTONUP: {
      LRESULT result = 0;
      OnLButtonUp(lParam, result);
      return result;
    }
    case WM_LBUTTONDBLCLK:
      // The second press of a double click is a press like the first.
      message = WM_LBUTTONDOWN;
      break;
    case WM_MOUSEMOVE: OnMouseMove(lParam); break;
    case WM_MOUSELEAVE:
      look_.MouseLeft();
      Repaint();
      break;
    case WM_MOUSEHOVER: HoverLook(); break;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != hwnd_) look_.dirty = 1;
      break;
    case WM_NCDESTROY: {
      const WNDPROC standard = standardProc_;
      ::RemovePropW(hwnd_, kInstanceProperty);
      ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(standard));
      HWND hwnd = hwnd_;
      hwnd_ = nullptr;
      return ::CallWindowProcW(standard, hwnd, message, wParam, lParam);
    }
    default: break;
  }
  const LRESULT result = CallStandard(message, wParam, lParam);
  // The standard handling draws an owner-drawn button only through its
  // parent; states it changed are shown from the back buffer.
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case BM_SETSTATE:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_UPDATEUISTATE:
      ::InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    default: break;
  }
  return result;
}

}  // namespace tovu
