// The pages of the wizard sheet: welcome, extraction progress,
// installation progress and finish. Each is a CWizardPage made from its
// dialog template; CreateWizardPage makes the page of a kind (nullptr for
// a kind this frame has no page for).
#pragma once

#include <memory>

#include "launch/setup_launcher.h"
#include "ui/wizard_logic.h"
#include "ui/win32/wizard_page.h"

namespace tovu {

// Templates.
constexpr int IDD_WELCOME_PAGE = 905;
constexpr int IDD_EXTRACTOR_PAGE = 909;
constexpr int IDD_FINISH_PAGE = 911;
constexpr int IDD_AUTOLAUNCH_PAGE = 173;

// Messages of the pages.
constexpr UINT WM_SHOW_FINISH_PAGE = 1624;

std::unique_ptr<CWizardPage> CreateWizardPage(CTovuSheet& sheet, PageKind kind);

// The password prompt of the pages before extraction: 1 to go on, -1 to
// stay (the dialog was left by a confirmed cancel).
int RunPasswordPrompt(CTovuSheet& sheet);

class CWelcomePage : public CWizardPage {
 public:
  explicit CWelcomePage(CTovuSheet& sheet);
  ~CWelcomePage() override;
  void OnInitDialog() override;
  void OnSetActive() override;
  int OnWizardNext() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void Common();
  uintptr_t topImage_ = 0;
  uintptr_t welcomeImage_ = 0;
};

class CExtractorPage : public CWizardPage {
 public:
  explicit CExtractorPage(CTovuSheet& sheet);
  void OnInitDialog() override;
  void OnSetActive() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void SetStatus(int message);
  void OnExtractDone();
  void TakeExtractionResult();
  wizard::ProgressState progress_;
  int installBlocked_ = 0;
  bool started_ = false;
};

class CAutoLaunchSilentPage : public CWizardPage, public IInstallationPage {
 public:
  explicit CAutoLaunchSilentPage(CTovuSheet& sheet);
  void OnInitDialog() override;
  void OnSetActive() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  // IInstallationPage (any thread).
  bool WindowExists() override;
  void PumpPendingMessages() override;
  void SetProgressPos(int position) override;
  void OnLaunchSetupFinish() override;

 private:
  void SetStatus(int message);
  bool started_ = false;
};

class CFinishPage : public CWizardPage {
 public:
  explicit CFinishPage(CTovuSheet& sheet);
  void OnInitDialog() override;
  void OnSetActive() override;
  bool OnWizardFinish() override;

 private:
  void SetFinishText();
  void SetPicture(int bitmap);
  int errorOutcome_ = 0;
  bool initialised_ = false;
};

}  // namespace tovu
