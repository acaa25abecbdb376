// CDirChangePage: the extraction-folder page. The user types or browses
// for the folder the package is extracted to, may choose to extract only
// (no setup is started) and, when the package allows it, to have the
// extracted files deleted when the run ends. Next validates the folder
// (the validator's message boxes report a bad one) and asks before using
// a folder that is not empty.
#pragma once

#include <memory>

#include "ui/win32/tovu_button.h"
#include "ui/win32/wizard_page.h"

namespace tovu {

constexpr int IDD_FOLDER_PAGE = 908;

class CDirChangePage : public CWizardPage {
 public:
  explicit CDirChangePage(CTovuSheet& sheet);
  ~CDirChangePage() override;
  void OnInitDialog() override;
  void OnSetActive() override;
  int OnWizardNext() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void UpdateControls();
  bool OffersDeleteOnExit();
  void CreateBrowseButton();
  void ShowBrowse(bool show);
  void OnBrowse();
  void OnExtractOnlyClicked();
  void OnDeleteOnExitClicked();
  bool IsChecked(int id) const;

  // Browse: a CTovuButton of the page's own; the sheet's Tab handling
  // gives it its focused look, the focus and the page's default.
  std::unique_ptr<CTovuButton> browse_;
  // The folder as typed or picked (before validation).
  Text pathText_;
  bool initialised_ = false;
};

}  // namespace tovu
