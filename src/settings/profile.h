// Reading and writing INI ("private profile") files with the rules of the
// Windows private-profile functions, on every platform. The answers equal
// those of GetPrivateProfileStringW, GetPrivateProfileIntW,
// GetPrivateProfileSectionW and GetPrivateProfileSectionNamesW for the
// same file (checked against the platform under Wine).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

class CProfile {
 public:
  explicit CProfile(IPlatform& platform) : platform_(platform) {}

  // GetPrivateProfileStringW with a buffer of `bufferChars` characters
  // (the result holds at most bufferChars - 1 of them).
  Text GetString(const Text& file, const Text& section, const Text& key, const Text& defaultValue,
                 size_t bufferChars = 1024);
  // GetPrivateProfileIntW.
  int GetInt(const Text& file, const Text& section, const Text& key, int defaultValue);
  // GetPrivateProfileSectionW: the section's lines in a buffer of
  // `bufferChars` characters, as the list of texts the buffer holds
  // between its zero characters.
  std::vector<Text> GetSection(const Text& file, const Text& section, size_t bufferChars);
  // GetPrivateProfileSectionNamesW with a buffer of `bufferChars`.
  std::vector<Text> GetSectionNames(const Text& file, size_t bufferChars);
  // WritePrivateProfileStringW: writes a key (value given) or deletes it
  // (no value). Keeps the file UTF-16LE with its byte-order mark and every
  // other line as it was. Returns 0 or an error code.
  uint32_t WriteString(const Text& file, const Text& section, const Text& key, const std::optional<Text>& value);

 private:
  IPlatform& platform_;
};

}  // namespace tovu
