// CTovuButton: the owner-drawn push button of the wizard and its dialogs.
// It draws a rounded, shaded face from a generated skin (ui/button_skin.h)
// into a back buffer, changes its look on hover and focus, and reports a
// click (mouse release or BM_CLICK) to its owner with WM_WIZARD_BUTTON
// (wParam: its control ID) instead of the usual notification.
//
// Painting: the button paints itself in WM_PAINT (and WM_PRINTCLIENT) of
// its subclassed window procedure, so its parent need not forward
// anything. The parent still receives the WM_DRAWITEM that the system
// sends for an owner-drawn button on state changes; it may ignore it, or
// pass it to HandleDrawItem, which draws the face there as well.
//
// Clicks: for the control IDs 2, 1001, 1024, 1027, 1028, 1029, 0x3023,
// 0x3024 and 0x3025 a left-button release inside the button (a BM_CLICK
// arrives the same way) sends WM_WIZARD_BUTTON to the owner and never
// reaches the standard handling, so no BN_CLICKED is sent; a release over
// a button of another ID, outside the button, or on a disabled button does
// nothing. A Space key pressed on a focused button is the standard
// button's: its owner gets WM_COMMAND/BN_CLICKED.
#pragma once

#include <windows.h>

#include "ui/button_skin.h"
#include "util/text.h"

namespace tovu {

constexpr UINT WM_WIZARD_BUTTON = 1147;

class CTovuButton {
 public:
  CTovuButton(const Text& caption, HWND owner);
  ~CTovuButton();
  CTovuButton(const CTovuButton&) = delete;
  CTovuButton& operator=(const CTovuButton&) = delete;

  // Creates the button window (made owner-drawn); false when it cannot.
  bool Create(const Text& caption, DWORD style, const RECT& rect, HWND parent, int id);
  HWND GetHwnd() const { return hwnd_; }
  int GetId() const;
  // The CTovuButton of a window, or nullptr when it is not one.
  static CTovuButton* FromHwnd(HWND hwnd);
  // For a parent's WM_DRAWITEM (lParam: the DRAWITEMSTRUCT): draws the
  // face when the item is a CTovuButton and returns true (the parent then
  // answers TRUE); false for any other item.
  static bool HandleDrawItem(LPARAM lParam);

  void SetBackgroundColour(COLORREF colour);
  // Stored (and given to the window text) only when it differs from the
  // current caption other than in letter case.
  void SetCaption(const Text& caption);
  const Text& GetCaption() const { return caption_; }
  void SetEnabledLook(int enabled);
  int GetEnabledLook() const { return look_.enabledLook; }
  void SetHoverFlag(int hover);
  int GetHoverFlag() const { return look_.hover; }
  void SetFocusFlag(int focus);
  int GetFocusFlag() const { return look_.focus; }
  void SetWhiteFaceFlag(int white);
  COLORREF GetTextColour() const { return look_.textColour; }
  const ButtonLook& GetLook() const { return look_; }

  // The looks; each repaints the button at once. face 0: the default face.
  void NormalLook(COLORREF face = 0);
  void HoverLook();
  void FocusedLook();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT CallStandard(UINT message, WPARAM wParam, LPARAM lParam);
  bool ReportsClicks() const;
  void OnLButtonUp(LPARAM lParam, LRESULT& result);
  void OnMouseMove(LPARAM lParam);
  void Repaint();
  // Redraws the back buffer when the size or the look changed.
  void PrepareBackBuffer(int width, int height);
  void PaintTo(HDC dc, const RECT& rect);
  void FreeBackBuffer();

  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  WNDPROC standardProc_ = nullptr;
  Text caption_;
  ButtonLook look_;
  HFONT font_ = nullptr;
  HDC bufferDc_ = nullptr;
  HBITMAP buffer_ = nullptr;
  HGDIOBJ bufferOld_ = nullptr;
  int bufferWidth_ = 0;
  int bufferHeight_ = 0;
};

}  // namespace tovu
