// Reading and writing INI ("private profile") files with the rules of the
// Windows private-profile functions, on every platform. The answers equal
// those of GetPrivateProfileStringW, GetPrivateProfileIntW,
// GetPrivateProfileSectionW and GetPrivateProfileSectionNamesW for the
// same file (checked against the platform under Wine).
//
// Every call of CProfile reads the file afresh through
// IPlatform::ReadWholeFile; nothing is cached. CParsedProfile is one such
// reading kept for the questions of one operation. A file that cannot be read or makes no sense gives the
// defaults; nothing here throws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

// What a list-returning profile function leaves in its caller's buffer: the
// texts between the zero characters (up to the first empty one) and the
// count the function returns.
struct ProfileList {
  std::vector<Text> items;
  uint32_t count = 0;
};

// One reading of a profile file: the file is read and parsed once when the
// object is made, and every question is answered from that reading with
// the rules of CProfile (whose every call makes a reading of its own). For
// a reader that asks many questions of one file within one operation (a
// language file's sections, the conditions of a package); it is made for
// that operation and dropped after it, so the next one reads the file
// afresh.
class CParsedProfile {
 public:
  CParsedProfile(IPlatform& platform, const Text& file);

  Text GetString(const Text& section, const Text& key, const Text& defaultValue, size_t bufferChars = 1024) const;
  int GetInt(const Text& section, const Text& key, int defaultValue) const;
  std::vector<Text> GetSection(const Text& section, size_t bufferChars) const;
  std::vector<Text> GetSectionNames(size_t bufferChars) const;
  ProfileList ReadSection(const Text& section, size_t bufferChars) const;
  ProfileList ReadSectionNames(size_t bufferChars) const;

  struct Parsed;

 private:
  std::shared_ptr<const Parsed> parsed_;  // null: the reading failed part-way
};

class CProfile {
 public:
  explicit CProfile(IPlatform& platform) : platform_(platform) {}

  // GetPrivateProfileStringW with a buffer of `bufferChars` characters
  // (the result holds at most bufferChars - 1 of them; its length is the
  // count the platform returns).
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
  // The same two with the count the platform returns.
  ProfileList ReadSection(const Text& file, const Text& section, size_t bufferChars);
  ProfileList ReadSectionNames(const Text& file, size_t bufferChars);

  // WritePrivateProfileStringW: writes a key (value given) or deletes it
  // (no value). Keeps the file UTF-16LE with its byte-order mark and every
  // other line as it was (a file in another encoding is rewritten as
  // UTF-16LE with byte-order mark, its text unchanged); a missing file is
  // created as UTF-16LE with byte-order mark. A value with blanks at an end
  // or enclosed in quotes is written in double quotes, so that it reads back
  // unchanged. Names or values that would break the line structure (line
  // breaks, zero characters, "=" or "]" in names) are refused with 87.
  // Returns 0 or an error code.
  uint32_t WriteString(const Text& file, const Text& section, const Text& key, const std::optional<Text>& value);

 private:
  IPlatform& platform_;
};

}  // namespace tovu
