#include "app/finish_messages.h"

#include "settings/package_settings.h"
#include "util/format.h"

namespace tovu {

namespace {

bool StartsWithNoCase(TextView text, TextView prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

CFinishMessages::CFinishMessages(IPlatform& platform, CLogFile& log, CUtil& util, CTovuInitalizer& initializer)
    : platform_(platform), log_(log), util_(util), initializer_(initializer), profile_(platform) {}

void CFinishMessages::LoadFinishMessages(const Text& setupKey) {
  try {
    Text language = Format(u"%d", initializer_.GetSetupLanguage());
    const Text& settings = initializer_.GetSettingsPath();
    if (!setupKey.empty()) {
      TextMap section;
      util_.ReadIniSection(settings, setupKey, section);
      for (const auto& [key, value] : section) {
        if (!StartsWithNoCase(key, kReturnCodeKeyStem) || value.empty()) continue;
        Text message = GetMessageFromLangSection(value, language);
        returnCodeMessages_[ToLower(setupKey + u":" + key)] = message;
      }
    }
    if (finishMessages_.find(kFinishMessageOnFinish) == finishMessages_.end())
      finishMessages_[kFinishMessageOnFinish] =
          pkg::ReadText(profile_, settings, language, kFinishMessageOnFinish);
  } catch (...) {
  }
}

Text CFinishMessages::GetMessageFromLangSection(const Text& value, const Text& languageSection) {
  try {
    Text prefix;
    if (StartsWithNoCase(value, kErrorPrefix))
      prefix = kErrorPrefix;
    else if (StartsWithNoCase(value, kSuccessPrefix))
      prefix = kSuccessPrefix;
    Text part = value.substr(prefix.size());
    log_.WriteLog(LOG_INFO, u"GetMessageFromLangSection", u"Checking message part : %s ", part);
    part = Trim(part);
    Text text;
    if (part.empty()) {
      log_.WriteLog(LOG_INFO, u"GetMessageFromLangSection", u"Message part not provided");
    } else if (part.front() == u'{' && part.back() == u'}') {
      size_t open = part.find(u'{');
      size_t close = part.rfind(u'}');
      Text name = close > open ? part.substr(open + 1, close - open - 1) : Text();
      text = pkg::ReadText(profile_, initializer_.GetSettingsPath(), languageSection, name);
    }
    // Any other part is a literal text, which is not accepted: the message
    // must be a key in braces.
    return prefix + text;
  } catch (...) {
    return Text();
  }
}

int CFinishMessages::SetFinishMessage(int returnCode, const Text& setupKey) {
  try {
    Text key = ToLower(setupKey + u":" + kReturnCodeKeyStem + Format(u"%d", returnCode));
    auto it = returnCodeMessages_.find(key);
    if (it == returnCodeMessages_.end() || it->second.empty()) {
      log_.WriteLog(LOG_INFO, u"SetFinishMessage", u"Return Code is not Configured");
      finishMessages_[kFinishNotSet] = u"Return code not Configured";
      return 0;
    }
    const Text& value = it->second;
    if (StartsWithNoCase(value, kErrorPrefix)) {
      initializer_.SetRunStatus(-6);
      Text message = value.substr(Length(kErrorPrefix));
      log_.WriteLog(LOG_ERROR, u"SetFinishMessage", u"Error while installation. Message Configuerd : %s", message);
      finishMessages_[kFinishError] = message;
      returnCode_ = returnCode;
      return -1;
    }
    if (StartsWithNoCase(value, kSuccessPrefix)) {
      Text message = value.substr(Length(kSuccessPrefix));
      log_.WriteLog(LOG_INFO, u"SetFinishMessage", u"Message Configuerd : %s", message);
      finishMessages_[kFinishSuccess] = message;
    }
    return 0;
  } catch (...) {
    return 0;
  }
}

Text CFinishMessages::GetFinishMessage() const {
  auto has = [this](const char16_t* k) { return finishMessages_.find(k) != finishMessages_.end(); };
  if (has(kFinishError)) return finishMessages_.at(kFinishError);
  if (has(kFinishSuccess) && !has(kFinishNotSet)) return finishMessages_.at(kFinishSuccess);
  if (has(kFinishMessageOnFinish)) return finishMessages_.at(kFinishMessageOnFinish);
  return Text();
}

bool CFinishMessages::IsReturnCodeUnconfigured() const {
  return finishMessages_.find(kFinishError) == finishMessages_.end() &&
         finishMessages_.find(kFinishNotSet) != finishMessages_.end();
}

int ComputeExitCode(int runStatus, int launchStoppedFlag, int returnCode) {
  if (runStatus == -5 || runStatus == -3 || runStatus == -2) return -1;
  if (launchStoppedFlag == 1) return returnCode;
  return 0;
}

int PrincipalFinishMessage(int runStatus) {
  switch (runStatus) {
    case 0: return 0;
    case 2: return 605;
    case 11: return 601;
    case 12: return 614;
    case -2: return 607;
    case -3: return 608;
    case -5: return 615;
    case -4:
    case -6: return 611;
    default: return 602;
  }
}

}  // namespace tovu
