// CLicensePage: the license terms and the security information of the
// package. A list names the documents the settings give for the setup
// language, a read-only rich-edit view shows the selected one, and a check
// box for each document must be ticked before Next can be pressed.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include "ui/license_page_logic.h"
#include "ui/win32/wizard_page.h"

namespace tovu {

constexpr int IDD_LICENSE_PAGE = 906;

class CLicensePage : public CWizardPage {
 public:
  explicit CLicensePage(CTovuSheet& sheet);
  ~CLicensePage() override;
  void OnInitDialog() override;
  void OnSetActive() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

 private:
  void RebuildList();
  void FillList();
  void AddEntry(int index, int message, bool accepted);
  void SetEntryImage(int index, bool accepted);
  Text EntryName(int message);
  void OnEntrySelected(int index);
  void LoadDocument(const Text& path);
  void EmptyView();
  void OnBoxClicked(int id);
  void UpdateNext();
  bool Checked(int id) const;
  int IsFirst();

  license::DocumentList documents_;
  Text current_;
  HIMAGELIST images_ = nullptr;
  CHARFORMAT2W defaultFormat_{};
  bool initialised_ = false;
};

}  // namespace tovu
