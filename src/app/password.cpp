#include "app/password.h"

#include "cmdline/run_mode.h"
#include "settings/package_settings.h"

namespace tovu {

namespace {

constexpr char16_t kFunction[] = u"CheckPassword";

Text TrimSpaces(TextView t) {
  size_t b = 0, e = t.size();
  while (b < e && t[b] == u' ') ++b;
  while (e > b && t[e - 1] == u' ') --e;
  return Text(t.substr(b, e - b));
}

}  // namespace

Text UnshiftPassword(TextView stored, int shift) {
  int n = shift % 95;
  if (n < 0) n += 95;
  Text out;
  out.reserve(stored.size());
  for (char16_t c : stored) {
    const int code = static_cast<int>(c);
    out += static_cast<char16_t>(code - 32 >= n ? code - n : code + 95 - n);
  }
  return out;
}

int CheckPassword(CUtil& util, CProfile& profile, CLogFile& log, ISettingsLock& lock, const Text& settingsFile,
                  int runMode, const Text& commandLinePassword, PasswordState& state) {
  int result = 1;

  // The stored value, whatever the case of its key.
  TextMap runtime;
  util.ReadIniSection(settingsFile, u"runtime", runtime);
  Text stored;
  if (auto it = runtime.find(u"extractionpassword"); it != runtime.end()) stored = TrimSpaces(it->second);

  // ReadStoredPassword: unshift, then scrub the file with the lock released.
  const int shift = pkg::ReadInt(profile, settingsFile, pkg::section::kTemporary, pkg::key::kNumber, 0);
  state.extractionPassword = UnshiftPassword(stored, shift);
  lock.CloseSettingsLock();
  const Text required =
      pkg::ReadText(profile, settingsFile, pkg::section::kRuntime, pkg::key::kExtractPasswordRequired);
  // Write failures leave whatever [Tovu] Required holds.
  profile.WriteString(settingsFile, pkg::section::kRuntime, pkg::key::kExtractPasswordRequired, std::nullopt);
  profile.WriteString(settingsFile, pkg::section::kTovu, pkg::key::kRequired, required);
  profile.WriteString(settingsFile, pkg::section::kRuntime, pkg::key::kExtractionPassword, std::nullopt);
  profile.WriteString(settingsFile, pkg::section::kTemporary, pkg::key::kNumber, std::nullopt);
  lock.LockSettingsFile();
  state.requiredValue = pkg::ReadText(profile, settingsFile, pkg::section::kTovu, pkg::key::kRequired);

  // The wizard asks for the password in its own dialog.
  if (runMode == RUNMODE_GUI) return result;

  if (state.requiredValue == u"1") {
    if (commandLinePassword.empty()) {
      log.WriteLog(LOG_ERROR, kFunction,
                   u"Please provide the Password from the command line parameter : -ExtractionPassword");
      result = 0;
    } else if (commandLinePassword == state.extractionPassword) {
      log.WriteLog(LOG_INFO, kFunction, u"Password provided by user is correct");
    } else {
      log.WriteLog(LOG_ERROR, kFunction, u"Password provided by user is invalid");
      result = 0;
    }
  }
  return result;
}

}  // namespace tovu
