// Reading and changing keys in the text of a settings file (UTF-16, as
// the package carries it) with the rules of the Windows INI reader:
// section and key names compared without case, the first section and the
// first key of a name win, values trimmed and freed of one pair of
// surrounding double quotes. Changes keep every other line as it was.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "util/text.h"

namespace tovu::pack {

class SettingsText {
 public:
  // `text` without a byte-order mark.
  explicit SettingsText(const Text& text);

  std::optional<Text> Get(const Text& section, const Text& key) const;
  // Replaces the key's first line in the first such section, or adds the
  // key at the end of that section, or adds the section at the end.
  void Set(const Text& section, const Text& key, const Text& value);
  // Makes the section hold exactly these keys (in every copy of the section
  // the old key lines go; the new ones go into the first, or a new one).
  void ReplaceSection(const Text& section, const std::vector<std::pair<Text, Text>>& keys);

  Text Str() const;

 private:
  // Index of the first line of the first section `section` (its header
  // line), or -1.
  long FindSection(const Text& section) const;
  static bool IsSectionLine(const Text& line, Text* name);
  static bool IsKeyLine(const Text& line, Text* key, Text* value);
  std::vector<Text> lines_;  // without their line ends
  Text newline_ = u"\r\n";
  bool endsWithNewline_ = true;
};

}  // namespace tovu::pack
