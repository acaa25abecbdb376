#include "settings/package_settings.h"

#include "util/format.h"

namespace tovu::pkg {

Text SettingsFilePath(const Text& tovuTempFolder) { return tovuTempFolder + kSettingsFileName; }

Text ReadText(CProfile& profile, const Text& file, const Text& section, const Text& key) {
  return profile.GetString(file, section, key, Text(), kValueBufferChars);
}

bool IsFlagOn(CProfile& profile, const Text& file, const Text& section, const Text& key) {
  return ReadText(profile, file, section, key) == u"1";
}

int ReadInt(CProfile& profile, const Text& file, const Text& section, const Text& key, int defaultValue) {
  return profile.GetInt(file, section, key, defaultValue);
}

uint32_t ReadBufferPer128MB(CProfile& profile, const Text& file) {
  // A negative size would make a buffer of absurd size; it counts as unset.
  const int value = profile.GetInt(file, section::kSize, key::k128MB, 0);
  return value <= 0 ? kDefaultBufferPer128MB : static_cast<uint32_t>(value);
}

Text NumberedKey(const Text& stem, int number) { return stem + Format(u"%d", number); }

}  // namespace tovu::pkg
