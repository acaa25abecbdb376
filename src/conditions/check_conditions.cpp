#include "conditions/check_conditions.h"

#include "conditions/condition.h"
#include "settings/package_settings.h"

namespace tovu {

int CheckConditions(IPlatform& platform, CLogFile& log, const Text& settingsFile, int setupLanguage,
                    Text* conditionMessageKeys) {
  if (conditionMessageKeys) conditionMessageKeys->clear();
  try {
    CProfile profile(platform);
    if (pkg::ReadText(profile, settingsFile, pkg::section::kConditions, u"Action1Condition").empty()) return 1;
    CCondition condition(platform, log, settingsFile);
    condition.ReadConditions(setupLanguage);
    condition.ReadActions();
    condition.ReadRegEntries(0);
    condition.ReadRegEntries(1);
    condition.EvaluateReadRegEntries();
    condition.ApplyProperties();
    condition.EvaluateConditions();
    condition.StoreResults();
    condition.EvaluateActionConditions();
    const Text keys = condition.BuildConditionMessageKeys(setupLanguage);
    if (conditionMessageKeys) *conditionMessageKeys = keys;
    return condition.IsExtractAllowed();
  } catch (...) {
    return 0;
  }
}

}  // namespace tovu
