// CWizardPage: a page of the wizard sheet, made from a dialog template.
// The base does what every page does: the background, transparent static
// texts, the top banner (for the pages that show it), the two fonts, and
// the dispatch of the page's dialog messages to its handlers.
#pragma once

#include <windows.h>
#include <prsht.h>

#include "ui/win32/tovu_sheet.h"
#include "util/text.h"

namespace tovu {

class CWizardPage {
 public:
  CWizardPage(CTovuSheet& sheet, PageKind kind, int templateId, bool hideHeader = true);
  virtual ~CWizardPage();
  CWizardPage(const CWizardPage&) = delete;
  CWizardPage& operator=(const CWizardPage&) = delete;

  PageKind Kind() const { return kind_; }
  HWND GetHwnd() const { return hwnd_; }
  HPROPSHEETPAGE GetHandle() const { return handle_; }
  // Creates the page's handle for the sheet (its title is DisplayName).
  HPROPSHEETPAGE CreateHandle(const Text& title);
  // The sheet took the handle: it destroys the page with itself.
  void HandleOwnedBySheet() { handleOwned_ = true; }

  // Runs at the page's creation and once more when the sheet is ready
  // (for the start page). Does nothing while the sheet is not ready.
  virtual void OnInitDialog() {}
  virtual void OnSetActive() {}
  // 0: go on to the next page; -1: stay; anything else: the page has
  // moved the sheet itself.
  virtual int OnWizardNext() { return 0; }
  // Runs when Finish is pressed on this page: false keeps the sheet open.
  virtual bool OnWizardFinish() { return true; }
  // A message of the page's window; set `handled` to answer it.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) { return 0; }

 protected:
  CTovuSheet& Sheet() { return sheet_; }
  WizardServices& Services() { return sheet_.Services(); }
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
  // The page's fonts, from the application's title and text fonts.
  void CreateFonts();
  void SetTitleFont(int id);
  void SetTextFont(int id);
  Text Message(int number) const;
  // Sets a label to a fitted text (the variant of the pages).
  void SetFitted(int id, const Text& text);
  // Whether this page paints the application's top banner.
  void SetPaintsTopBanner(bool paints) { paintsTopBanner_ = paints; }
  // DM_SETDEFID to this page.
  void SetDefaultId(int id);

 private:
  static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  CTovuSheet& sheet_;
  PageKind kind_;
  int templateId_;
  bool hideHeader_;
  HWND hwnd_ = nullptr;
  HPROPSHEETPAGE handle_ = nullptr;
  bool handleOwned_ = false;
  bool paintsTopBanner_ = false;
  HFONT titleFont_ = nullptr;
  HFONT textFont_ = nullptr;
  Text title_;
};

}  // namespace tovu
