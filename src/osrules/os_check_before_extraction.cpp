#include "osrules/os_check_before_extraction.h"

#include "cmdline/extractor_validator.h"
#include "cmdline/run_mode.h"
#include "osrules/os_validator.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "settings/package_settings.h"
#include "util/format.h"

namespace tovu {

namespace {
constexpr char16_t kFunction[] = u"ValidateOSBeforeExtraction";
constexpr int kTextNotSupportedQuestion = 418;
constexpr int kTextWithoutServicePack = 422;
}  // namespace

COSCheckBeforeExtraction::COSCheckBeforeExtraction(IPlatform& platform, CLogFile& log, COSValidator& os,
                                                   CExtractorValidator& validator, CTovuInitalizer& initializer,
                                                   CMessageCatalog& messages)
    : platform_(platform), log_(log), os_(os), validator_(validator), init_(initializer), messages_(messages) {}

Text COSCheckBeforeExtraction::GetOSDescription() {
  const Text servicePack =
      os_.ServicePack == u"0" ? messages_.GetMessageText(kTextWithoutServicePack) : os_.ServicePack;
  return Format(u"%s %s %s", validator_.GetOSNameText(), os_.Edition, servicePack);
}

int COSCheckBeforeExtraction::ValidateOSBeforeExtraction(int runMode, IMessageBoxRoutine& messageBox,
                                                         const QuitRoutine& quit) {
  try {
    if (init_.GetNoOSCheckFlag() == 1) {
      log_.WriteLog(LOG_INFO, kFunction, u"NoOSCheck is set");
      return OSCHECK_SUPPORTED;
    }
    const int verdict = os_.OSVersion(0);
    if (init_.GetAutolaunchFlag() != 1) return verdict;

    validator_.CheckOS(verdict, init_.GetSetupLanguage(), 0, 0);
    if (verdict == OSCHECK_ERROR) log_.WriteLog(LOG_ERROR, kFunction, u"Current operating system not supported");
    CProfile profile(platform_);
    const bool checkOs =
        pkg::IsFlagOn(profile, init_.GetSettingsPath(), pkg::section::kPackage, pkg::key::kCheckOs);
    if (!checkOs || verdict != OSCHECK_ERROR || runMode != RUNMODE_GUI) return verdict;

    const int language = validator_.GetDefaultSetupLanguage();
    init_.SetSetupLanguage(language);
    messages_.LoadLanguageFile(language, init_.GetTovuTempDir());
    log_.WriteLog(LOG_INFO, kFunction, u"Operating System will be validated before extraction");
    log_.WriteLog(LOG_INFO, kFunction, u"Confirming from user : ");
    const Text question = ReplacePlaceholders(messages_.GetMessageText(kTextNotSupportedQuestion),
                                              {{placeholder::kOsName, GetOSDescription()}});
    const int answer = messageBox.ShowMessageBox(question, mbstyle::kYesNo | mbstyle::kIconQuestion);
    if (answer == kAnswerNo) {
      log_.WriteLog(LOG_INFO, kFunction, u"User confirmed to cancel the extraction");
      if (quit) quit(-1);
      return verdict;
    }
    log_.WriteLog(LOG_INFO, kFunction, u"User confirmed to continue the extraction");
    return verdict;
  } catch (...) {
    return OSCHECK_SUPPORTED;
  }
}

}  // namespace tovu
