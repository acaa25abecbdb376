// The extraction password of a package and the check at startup.
//
// The settings store the password shifted: every character c of the stored
// text stands for c - N when c - 32 >= N, and for c + 95 - N otherwise,
// where N is [Temporary] Number; a rotation by N over the 95 printable
// characters from space to "~". While reading it, the check scrubs the
// unpacked settings file: the password, its shift and the required flag
// are removed and only [Tovu] Required stays, so that nothing read later
// from the file reveals the password.
#pragma once

#include "log/log_file.h"
#include "settings/profile.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu {

// The stored form turned back into the password. A shift outside 0..94
// counts modulo 95, so that every shift is a rotation of the printable
// characters.
Text UnshiftPassword(TextView stored, int shift);

// What the application does around the scrub of the settings file.
class ISettingsLock {
 public:
  virtual ~ISettingsLock() = default;
  virtual void CloseSettingsLock() = 0;
  virtual void LockSettingsFile() = 0;
};

struct PasswordState {
  Text extractionPassword;  // the unshifted stored password
  Text requiredValue;       // [Tovu] Required after the scrub
};

// CheckPassword: reads and scrubs the stored password into `state`; in run
// modes 520 and 530 compares it with the command-line password when the
// package requires one. 1 to go on, 0 to end the run.
int CheckPassword(CUtil& util, CProfile& profile, CLogFile& log, ISettingsLock& lock, const Text& settingsFile,
                  int runMode, const Text& commandLinePassword, PasswordState& state);

}  // namespace tovu
