// CTovuSheet: the wizard of a GUI run, a Wizard97 property sheet whose
// four standard buttons are hidden and replaced by owner-drawn ones with
// the same control IDs in a band below the page. The sheet paints the top
// banner and the bottom band, shows the package title, routes button
// clicks, keys and the Close command, owns the one cancel confirmation of
// the wizard and moves between its pages. The sheet runs modelessly in a
// message loop of its own, so that it sees every key before the dialog
// manager does.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "launch/setup_launcher.h"
#include "ui/wizard_logic.h"
#include "util/text.h"

namespace tovu {

class CBuildLogFile;
class CExtractorValidator;
class CFennockApp;
class CFinishMessages;
class CMessageCatalog;
class CTovuButton;
class CTovuInitalizer;
class CUtil;
class CWizardPage;
class CWorkerThreadSlot;
class IPlatform;
class IProcessLauncher;

using wizard::PageKind;

// Set when Retry succeeded on an extraction-requirements page that was the
// start page: the page at index 1 then counts as the first page.
int GetConditionRetryFlag();
void SetConditionRetryFlag(int value);

// Everything the sheet and its pages use of the run.
struct WizardServices {
  IPlatform& platform;
  CBuildLogFile& log;
  CUtil& util;
  CTovuInitalizer& init;
  CFennockApp& app;
  CMessageCatalog& messages;
  CExtractorValidator& validator;
  CFinishMessages& finish;
  CWorkerThreadSlot& slot;
  // The extraction worker's thread procedure (gets the slot).
  LPTHREAD_START_ROUTINE extractWorker = nullptr;
  // The setup launcher of the run; the sheet and the installation page
  // connect themselves to it for their launch.
  CSetupLauncher* launcher = nullptr;
  // The process launcher: opening the extraction folder on Finish.
  IProcessLauncher* processes = nullptr;
};

class CTovuSheet : public ILaunchSheet {
 public:
  explicit CTovuSheet(WizardServices& services);
  ~CTovuSheet() override;
  CTovuSheet(const CTovuSheet&) = delete;
  CTovuSheet& operator=(const CTovuSheet&) = delete;

  // Adds a page (in the order of adding; each kind once).
  void AddPage(PageKind kind);
  bool HasPage(PageKind kind) const;
  // Creates the sheet and runs it until it ends; the result given to
  // EndWizard (0x3025 after Finish), -1 when it could not be created.
  INT_PTR DoModal();

  // ---- operations of the pages -----------------------------------------
  void EnableWizardButtons(const Text& list, int enable);
  void ShowWizardButtons(const Text& list, int command);
  void UpdateNavigationButtons(int isFirst, int keepNext);
  void SetButtonCaptions(const Text& mode);
  // 0 (go to the finish page), 1, 1000 (on the finish page), 1001, -1.
  int ConfirmCancel();
  // The cancel path of the pages and dialogs: ConfirmCancel, and on 0 the
  // finish page made active. Returns ConfirmCancel's result.
  int CancelPath();
  void EnableCloseCommand(int command);
  void FocusBackButton();
  void FocusCancelButton();
  void FocusNextButton(int setFocus);
  void FocusFinishButton();
  void ClickDefaultButton(HWND focused, int id);
  // The focus operation of the active page's default button.
  void RestoreFocus();

  bool IsReady() const { return ready_ != 0; }
  CWizardPage* GetStartPage() const { return startPage_; }
  CWizardPage* GetActivePage() const;
  CWizardPage* GetPage(PageKind kind) const;
  int GetActiveIndex() const;
  // The first-page rule.
  bool IsFirstPage(const CWizardPage* page) const;
  int GetLaunchAtExtractionFlag() override { return launchAtExtraction_; }
  void SetLaunchAtExtractionFlag(int value) { launchAtExtraction_ = value; }
  // Makes a page the active one (true when the sheet moved).
  bool SetActivePage(PageKind kind);
  void RemovePage(PageKind kind);
  // Ends the sheet's loop with the result.
  void EndWizard(INT_PTR result);
  HWND GetHwnd() const { return hwnd_; }
  HWND GetButton(int id) const;
  CTovuButton* GetTovuButton(int id) const;
  WizardServices& Services() { return services_; }

  // HandleLaunchSetup with this sheet (the launch of the extraction page
  // and of Finish).
  int HandleLaunchSetup();

  // ---- ILaunchSheet ----------------------------------------------------
  bool IsWindowValid() override { return hwnd_ != nullptr && ::IsWindow(hwnd_) != FALSE; }
  void ShowWindow(bool show) override;
  void ActivateFinishPage() override { SetActivePage(PageKind::Finish); }

 private:
  static LRESULT CALLBACK SheetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
  void InitSheet();
  void CreateWizardButtons(const Text& bottomBanner, int right, int band);
  void HideStandardButtons();
  bool PreTranslateMessage(MSG& message);
  void OnWizardButton(int id);
  void GoNext();
  void GoBack();
  void GoFinish();
  void Paint();
  int IndexOf(const CWizardPage* page) const;

  WizardServices& services_;
  std::vector<std::unique_ptr<CWizardPage>> pages_;  // in the order of adding
  std::vector<std::unique_ptr<CWizardPage>> removed_;
  HWND hwnd_ = nullptr;
  WNDPROC oldProc_ = nullptr;
  HWND standardButtons_[4] = {};
  std::unique_ptr<CTovuButton> back_, next_, cancel_, finish_;
  HWND titleLabel_ = nullptr;
  HFONT titleFont_ = nullptr;
  HBRUSH background_ = nullptr;
  uintptr_t topImage_ = 0;
  uintptr_t bottomImage_ = 0;
  RECT pageRect_{};
  int pageBottom_ = 0;
  int band_ = 0;
  CWizardPage* startPage_ = nullptr;
  int ready_ = 0;
  int launchAtExtraction_ = 1;
  int closeCommand_ = 1;
  bool ended_ = false;
  INT_PTR result_ = 0;
};

}  // namespace tovu
