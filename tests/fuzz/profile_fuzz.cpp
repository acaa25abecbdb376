// The settings reader and writer over an arbitrary file: every reader with
// buffers of many sizes (results fit their buffers), then one key written
// with a value cut from the input, which must read back unchanged when
// the writer takes it.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "settings/profile.h"

namespace {

using namespace tovu;

const Text kFile = u"C:\\t\\p.ini";

bool IsProfileBlank(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

Text TrimBlanks(const Text& t) {
  size_t b = 0, e = t.size();
  while (b < e && IsProfileBlank(t[b])) ++b;
  while (e > b && IsProfileBlank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

// A name cut from the input that the reader can find again: trimmed, not
// a comment or a section line.
std::optional<Text> PlainName(Text t) {
  t = TrimBlanks(t);
  if (t.empty() || t[0] == u';' || t[0] == u'[' || t.rfind(u"//", 0) == 0) return std::nullopt;
  return t;
}

size_t Units(const std::vector<Text>& items) {
  size_t n = 0;
  for (const Text& t : items) n += t.size() + 1;
  return n;
}

// The key of a section line as the section lists it ("key=value", or the
// whole line).
Text KeyOfLine(const Text& line) { return TrimBlanks(line.substr(0, line.find(u'='))); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  test::FakePlatform fake;
  fake.AddFolder(u"C:\\t");
  fake.AddFile(kFile, fuzz::Bytes(data, size));
  CProfile profile(fake);
  const uint32_t h = fuzz::Mix(data, size);
  const size_t buffers[] = {1, 2, 3, 5, 8 + h % 61, 1024, 1 << 16};

  for (size_t b : buffers) {
    ProfileList names = profile.ReadSectionNames(kFile, b);
    FUZZ_CHECK(Units(names.items) <= b, "section names overflow a buffer of " + std::to_string(b));
    FUZZ_CHECK(names.count <= b, "section-name count " + std::to_string(names.count));
  }
  const std::vector<Text> names = profile.GetSectionNames(kFile, 1 << 16);
  std::vector<Text> keysOfFirst;
  struct Seen {
    Text section, key, value;
  };
  std::vector<Seen> seen;  // values read before the write
  for (size_t i = 0; i < names.size() && i < 3; ++i) {
    for (size_t b : buffers) {
      ProfileList lines = profile.ReadSection(kFile, names[i], b);
      FUZZ_CHECK(Units(lines.items) <= b, "section lines overflow a buffer of " + std::to_string(b));
      FUZZ_CHECK(lines.count <= b, "section count " + std::to_string(lines.count));
    }
    const std::vector<Text> lines = profile.GetSection(kFile, names[i], 1 << 16);
    for (size_t j = 0; j < lines.size() && j < 4; ++j) {
      const Text key = KeyOfLine(lines[j]);
      for (size_t b : {buffers[0], buffers[2], buffers[4], buffers[6]}) {
        const Text v = profile.GetString(kFile, names[i], key, u"default", b);
        FUZZ_CHECK(v.size() < b, "value of " + fuzz::Show(key) + " overflows a buffer of " + std::to_string(b));
      }
      profile.GetInt(kFile, names[i], key, -7);
      seen.push_back({names[i], key, profile.GetString(kFile, names[i], key, u"\uFFFF(absent)", 1 << 16)});
      if (i == h % names.size()) keysOfFirst.push_back(key);
    }
  }

  // One write, with the section and the key taken from the file or cut
  // from the input, the value cut from the input.
  const Text units = fuzz::Utf16Units(data, size);
  auto cut = [&](uint32_t seed, size_t most) {
    if (units.empty()) return Text();
    const size_t at = seed % units.size();
    return units.substr(at, 1 + (seed >> 16) % most);
  };
  std::optional<Text> section, key;
  if (!names.empty() && (h & 3) != 0) section = names[h % names.size()];
  else section = PlainName(cut(h * 2654435761u, 24));
  if (!keysOfFirst.empty() && (h & 12) != 0 && section && *section == names[h % names.size()])
    key = PlainName(keysOfFirst[(h >> 4) % keysOfFirst.size()]);
  else key = PlainName(cut(h * 40503u + 17, 24));
  if (!section || !key || key->empty()) return 0;
  const Text value = cut(h * 2246822519u + 5, 48);

  if (profile.WriteString(kFile, *section, *key, value) == 0) {
    const Text back = profile.GetString(kFile, *section, *key, u"\uFFFF(absent)", value.size() + 2);
    FUZZ_CHECK(back == value, "[" + fuzz::Show(*section) + "] " + fuzz::Show(*key) + " written as " +
                                  fuzz::Show(value) + " reads back as " + fuzz::Show(back));
    // Every other key keeps its value.
    auto same = [](const Text& a, const Text& b) {
      if (a.size() != b.size()) return false;
      for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
        if (x != y) return false;
      }
      return true;
    };
    for (const Seen& o : seen) {
      if (same(o.section, *section) && same(o.key, *key)) continue;
      const Text now = profile.GetString(kFile, o.section, o.key, u"\uFFFF(absent)", 1 << 16);
      FUZZ_CHECK(now == o.value, "[" + fuzz::Show(o.section) + "] " + fuzz::Show(o.key) + " was " +
                                     fuzz::Show(o.value) + ", after writing [" + fuzz::Show(*section) + "] " +
                                     fuzz::Show(*key) + " it is " + fuzz::Show(now));
    }
    // The other readers still make sense of the rewritten file.
    profile.GetSectionNames(kFile, 1 << 16);
    profile.GetSection(kFile, *section, 1 << 16);
  }
  return 0;
}
