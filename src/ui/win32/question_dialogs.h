// The modal dialogs of the wizard: the extraction password prompt
// (template 156), the overwrite question for an existing file (910) and
// the question whether to delete the contents of a non-empty extraction
// folder (922). The two questions use owner-drawn buttons and fitted
// labels; their answers are the OVERWRITE_* results.
//
// Each runs with CDialog::DoModal(owner) on the UI thread: the password
// prompt with the sheet's window as owner (disabled while it runs), the
// two questions with the window that asks (the extraction page, the
// folder page) or none. None of them needs anything forwarded from its
// owner.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/win32/dialog.h"
#include "util/text.h"

namespace tovu {

class CLogFile;
class CMessageCatalog;
class CTovuButton;

constexpr int IDD_EXTRACT_PASSWORD = 156;
constexpr int IDD_FILE_OVERWRITE = 910;
constexpr int IDD_FOLDER_DELETE = 922;

// What the dialogs use of the application and the sheet.
struct WizardDialogServices {
  const CMessageCatalog& messages;
  CLogFile& log;
  // The caption: the initialiser's DisplayName.
  Text displayName;
  // The application's message-box routine (text, MB_* style) -> button.
  std::function<int(const Text& text, uint32_t style)> messageBox;
  // The sheet's cancel path: ConfirmCancel, and on 0 the finish page made
  // active; returns ConfirmCancel's result.
  std::function<int()> cancelPath;
};

// Asks for the extraction password. DoModal: 1 after the right password,
// 0 after a confirmed cancel (the sheet is then on the finish page).
class CExtractPassword : public CDialog {
 public:
  CExtractPassword(WizardDialogServices services, Text password);
  ~CExtractPassword() override;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  void OnOK() override;
  void OnCancel() override;

 private:
  HWND Edit() const;

  WizardDialogServices services_;
  Text password_;
};

// The frame the two questions share: owner-drawn answer buttons, the
// wizard's colours, the arrow and Tab keys moving between the buttons,
// Enter on the focused one. The answer is the OVERWRITE_* result.
class CQuestionDialog : public CDialog {
 public:
  ~CQuestionDialog() override;
  int GetResult() const { return result_; }

 protected:
  CQuestionDialog(int templateId, WizardDialogServices services, size_t buttons);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;
  bool PreTranslateMessage(MSG& message) override;
  void OnOK() override {}
  // A click of the button with the control ID (WM_WIZARD_BUTTON or the
  // standard notification of Space).
  virtual void Answer(int id) = 0;

  WizardDialogServices services_;
  int result_ = 2;
  HFONT font_ = nullptr;
  std::vector<std::unique_ptr<CTovuButton>> buttons_;
};

// Asks whether an existing file may be overwritten. DoModal returns the
// answer (OVERWRITE_YES ... OVERWRITE_CANCEL); GetResult gives it too.
class CFileOverwrite : public CQuestionDialog {
 public:
  // fileName: the member's name without its folder.
  CFileOverwrite(WizardDialogServices services, Text fileName);

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;

 private:
  void Answer(int id) override;

  Text fileName_;
};

// Asks whether the contents of the extraction folder may be deleted.
// DoModal: OVERWRITE_YES or OVERWRITE_NO, or 0 after a confirmed cancel;
// GetResult gives the answer (OVERWRITE_CANCEL for Cancel).
class CFolderdelete : public CQuestionDialog {
 public:
  CFolderdelete(WizardDialogServices services, Text folder);

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;

 private:
  void Answer(int id) override;

  Text folder_;
};

}  // namespace tovu
