// The packager's settings text over an arbitrary settings file: the bytes
// as the packager takes them (UTF-8 or UTF-16), its line-keeping reader,
// and the edits it makes ([Size], [FileCount], the part sections): a key
// set reads back as set, every other key keeps its value, and the text
// reads the same once written out and read in again.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "tovupack/packager.h"
#include "tovupack/settings_edit.h"

namespace {

using namespace tovu;

// Sections and keys as the file's lines name them (a simple scan; the
// reader decides what they hold).
std::vector<std::pair<Text, Text>> NamesIn(const Text& text) {
  std::vector<std::pair<Text, Text>> out;
  Text section;
  size_t at = 0;
  while (at <= text.size() && out.size() < 64) {
    size_t end = text.find(u'\n', at);
    if (end == Text::npos) end = text.size();
    const Text line = Trim(text.substr(at, end - at));
    if (!line.empty() && line[0] == u'[' && line.find(u']') != Text::npos) {
      section = Trim(line.substr(1, line.find(u']') - 1));
    } else if (line.find(u'=') != Text::npos) {
      out.push_back({section, Trim(line.substr(0, line.find(u'=')))});
    }
    at = end + 1;
  }
  return out;
}

// A name the packager could use: trimmed, no line structure in it.
bool Plain(const Text& t) {
  if (t.empty() || Trim(t) != t || t[0] == u';' || t[0] == u'[' || StartsWith(t, u"//")) return false;
  for (char16_t c : t)
    if (c == u'\r' || c == u'\n' || c == u'=' || c == u']' || c == u'[') return false;
  return true;
}

// A value as the packager writes them: trimmed, one line, not in quotes.
Text PlainValue(Text v) {
  for (char16_t& c : v)
    if (c == u'\r' || c == u'\n') c = u'_';
  v = Trim(v);
  if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"') v.back() = u'_';
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> utf16;
  if (!pack::SettingsToUtf16(fuzz::Bytes(data, size), utf16).empty()) return 0;
  FUZZ_CHECK(utf16.size() >= 2 && utf16[0] == 0xFF && utf16[1] == 0xFE && utf16.size() % 2 == 0,
             "settings not UTF-16LE with a byte-order mark");
  const Text text = fuzz::Utf16Units(utf16.data() + 2, utf16.size() - 2);

  pack::SettingsText settings(text);
  const Text out = settings.Str();
  FUZZ_CHECK(pack::SettingsText(out).Str() == out, "the text changes when read in again");

  const uint32_t h = fuzz::Mix(data, size);
  const std::vector<std::pair<Text, Text>> names = NamesIn(text);
  std::vector<std::pair<std::pair<Text, Text>, std::optional<Text>>> before;
  for (const auto& n : names) before.push_back({n, settings.Get(n.first, n.second)});

  Text section = u"Size", key = u"CabSize";
  if (!names.empty() && (h & 1)) {
    const auto& n = names[(h >> 1) % names.size()];
    if (Plain(n.first)) section = n.first;
    if (Plain(n.second)) key = n.second;
  }
  const Text value = PlainValue(text.substr((h >> 8) % (text.size() + 1), 1 + (h >> 20) % 40));
  settings.Set(section, key, value);
  FUZZ_CHECK(settings.Get(section, key) == value,
             "[" + fuzz::Show(section) + "] " + fuzz::Show(key) + " set to " + fuzz::Show(value) + " reads " +
                 fuzz::Show(settings.Get(section, key).value_or(u"(absent)")));
  pack::SettingsText reread(settings.Str());
  FUZZ_CHECK(reread.Get(section, key) == value, "the value set is lost when the text is read in again");
  for (const auto& [n, was] : before) {
    if (EqualsNoCase(n.first, section) && EqualsNoCase(n.second, key)) continue;
    FUZZ_CHECK(reread.Get(n.first, n.second) == was,
               "[" + fuzz::Show(n.first) + "] " + fuzz::Show(n.second) + " changed by setting [" + fuzz::Show(section) +
                   "] " + fuzz::Show(key));
  }

  // A section replaced as a whole holds exactly the new keys.
  const std::vector<std::pair<Text, Text>> keys = {{u"File1", value}, {u"Count", u"3"}, {u"file1", u"again"}};
  reread.ReplaceSection(section, keys);
  FUZZ_CHECK(reread.Get(section, u"File1") == Text(u"again") && reread.Get(section, u"Count") == Text(u"3"),
             "ReplaceSection lost a key");
  if (!EqualsNoCase(key, u"File1") && !EqualsNoCase(key, u"Count"))
    FUZZ_CHECK(!reread.Get(section, key), "ReplaceSection kept the old key " + fuzz::Show(key));
  return 0;
}
