// CConditionCheck: the extraction-requirements page. It is in the sheet
// only while the package's [Conditions] are not met, lists the texts of
// the requirements not met and offers Retry in place of Next: Retry checks
// again and goes on once they are met.
#pragma once

#include "ui/win32/wizard_page.h"

namespace tovu {

constexpr int IDD_REQUIREMENTS_PAGE = 920;

class CConditionCheck : public CWizardPage {
 public:
  explicit CConditionCheck(CTovuSheet& sheet);
  void OnInitDialog() override;
  void OnSetActive() override;
  // Retry.
  int OnWizardNext() override;

  // The texts of the requirements that the last check found not met,
  // each cut to its share of the list; the whole texts go to the log.
  Text GetConditionMessage();

 private:
  void FillTexts();
  void SetHeading();
  void RepaintPageArea();
};

}  // namespace tovu
