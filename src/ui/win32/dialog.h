// CDialog: the thin layer under the frame's dialogs. A dialog is made from
// a template of the executable's resources and run modally in a message
// loop of its own, so that a dialog can look at each message before the
// dialog manager does (PreTranslateMessage), as the frame's dialogs need
// for their keyboard handling.
#pragma once

#include <windows.h>

namespace tovu {

class CDialog {
 public:
  explicit CDialog(int templateId, HINSTANCE instance = ::GetModuleHandleW(nullptr));
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  // Creates the dialog (disabling the owner, if any), shows it and runs
  // its messages until EndDialog; returns the result given there, or -1
  // when the dialog could not be created or the loop got WM_QUIT (which
  // is posted again for the outer loop).
  INT_PTR DoModal(HWND owner = nullptr);
  // Ends the modal loop with the result; the window is destroyed when the
  // loop returns.
  void EndDialog(INT_PTR result);

  HWND GetHwnd() const { return hwnd_; }
  HWND GetItem(int id) const { return ::GetDlgItem(hwnd_, id); }
  bool IsEnded() const { return ended_; }

 protected:
  // WM_INITDIALOG: TRUE lets the dialog manager set the focus.
  virtual BOOL OnInitDialog() { return TRUE; }
  // Every message of the dialog window before the default handling. Set
  // `handled` to give `result` as the message's answer.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) { return 0; }
  // A queued message for the dialog or one of its controls, before the
  // dialog manager sees it; true when it was dealt with. May change it.
  virtual bool PreTranslateMessage(MSG& message) { return false; }
  // IDOK and IDCANCEL commands (Enter, Esc, the buttons).
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  bool ended_ = false;
  INT_PTR result_ = -1;
};

}  // namespace tovu
