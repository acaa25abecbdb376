// CTovuButton: the owner-drawn push button of the wizard and its dialogs.
// It draws a rounded, shaded face from a generated skin (ui/button_skin.h)
// into a back buffer, changes its look on hover and focus, and reports a
// click (mouse release or BM_CLICK) to its owner with WM_WIZARD_BUTTON
// (wParam: its control ID) instead of the usual notification.
#pragma once

#include <windows.h>

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

  void SetBackgroundColour(COLORREF colour);
  // Stored (and given to the window text) only when it differs from the
  // current caption other than in letter case.
  void SetCaption(const Text& caption);
  const Text& GetCaption() const { return caption_; }
  void SetEnabledLook(int enabled);
  int GetEnabledLook() const { return enabledLook_; }
  void SetHoverFlag(int hover);
  int GetHoverFlag() const { return hover_; }
  void SetFocusFlag(int focus);
  int GetFocusFlag() const { return focus_; }
  void SetWhiteFaceFlag(int white);

  // The looks; each repaints the button at once. face 0: the default face.
  void NormalLook(COLORREF face = 0);
  void HoverLook();
  void FocusedLook();

 private:
  // (implementation state)
  HWND hwnd_ = nullptr;
  HWND owner_ = nullptr;
  Text caption_;
  int enabledLook_ = 1;
  int hover_ = 0;
  int focus_ = 0;
};

}  // namespace tovu
