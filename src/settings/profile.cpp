#include "settings/profile.h"

#include <algorithm>
#include <unordered_map>

namespace tovu {
namespace {

// ---- characters ------------------------------------------------------------

// The blanks the profile reader trims around lines, names and values
// (the DOS end-of-file mark ^Z counts as one).
bool IsProfileSpace(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A;
}

// Section and key names compare without regard to the case of ASCII
// letters only (the platform's reader folds no other letters).
char16_t Fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

bool SameName(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

TextView TrimProfile(TextView t) {
  size_t b = 0, e = t.size();
  while (b < e && IsProfileSpace(t[b])) ++b;
  while (e > b && IsProfileSpace(t[e - 1])) --e;
  return t.substr(b, e - b);
}

// A stored name or value ends at its first zero character, as a C string
// does on the platform.
Text CutAtZero(TextView t) {
  const size_t z = t.find(u'\0');
  return Text(z == TextView::npos ? t : t.substr(0, z));
}

// Windows-1252, the ANSI code page of the systems the packages are built
// for; the five unassigned bytes map to the control characters of the same
// value, as the system's table does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// UTF-8 as the platform's converter reads it: each invalid byte, and each
// incomplete but so far valid sequence, becomes one U+FFFD.
Text FromUtf8Profile(const uint8_t* p, size_t n) {
  Text out;
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    const uint8_t c = p[i];
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    size_t need = 0;
    uint8_t lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) { need = 1; cp = c & 0x1Fu; }
    else if (c == 0xE0) { need = 2; lo = 0xA0; cp = 0; }
    else if ((c >= 0xE1 && c <= 0xEC) || c == 0xEE || c == 0xEF) { need = 2; cp = c & 0x0Fu; }
    else if (c == 0xED) { need = 2; hi = 0x9F; cp = 0xD; }
    else if (c == 0xF0) { need = 3; lo = 0x90; cp = 0; }
    else if (c >= 0xF1 && c <= 0xF3) { need = 3; cp = c & 0x07u; }
    else if (c == 0xF4) { need = 3; hi = 0x8F; cp = 4; }
    if (need == 0) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    size_t k = 1;
    bool complete = true;
    for (; k <= need; ++k) {
      if (i + k >= n) { complete = false; break; }
      const uint8_t b = p[i + k];
      const uint8_t l = k == 1 ? lo : 0x80, h = k == 1 ? hi : 0xBF;
      if (b < l || b > h) { complete = false; break; }
      cp = (cp << 6) | (b & 0x3Fu);
    }
    if (!complete) {
      out.push_back(0xFFFD);
      i += k;
      continue;
    }
    i += need + 1;
    AppendCodePoint(out, cp);
  }
  return out;
}

Text FromAnsi(const uint8_t* p, size_t n) {
  Text out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = p[i];
    out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return out;
}

// ---- the file's text ---------------------------------------------------------

enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

// The encoding follows the byte-order mark only: UTF-8, UTF-16LE or
// UTF-16BE with their marks; anything else is ANSI. A trailing odd byte of
// a UTF-16 file is no character and is dropped.
Text DecodeFile(const std::vector<uint8_t>& bytes, Encoding* encoding) {
  const size_t n = bytes.size();
  const uint8_t* p = bytes.data();
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
    *encoding = Encoding::kUtf8;
    return FromUtf8Profile(p + 3, n - 3);
  }
  if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    const bool le = p[0] == 0xFF;
    *encoding = le ? Encoding::kUtf16Le : Encoding::kUtf16Be;
    Text out;
    const size_t chars = (n - 2) / 2;
    out.reserve(chars);
    for (size_t i = 0; i < chars; ++i) {
      const uint8_t a = p[2 + 2 * i], b = p[3 + 2 * i];
      out.push_back(static_cast<char16_t>(le ? (a | (b << 8)) : ((a << 8) | b)));
    }
    return out;
  }
  *encoding = Encoding::kAnsi;
  return FromAnsi(p, n);
}

// ---- lines ------------------------------------------------------------------

struct PhysicalLine {
  size_t start = 0;    // first character
  size_t end = 0;      // one past the content (the terminator starts here)
  size_t next = 0;     // start of the following line
};

// Lines end at CR LF, CR or LF.
std::vector<PhysicalLine> SplitLines(TextView t) {
  std::vector<PhysicalLine> lines;
  size_t i = 0;
  while (i < t.size()) {
    PhysicalLine line;
    line.start = i;
    while (i < t.size() && t[i] != u'\r' && t[i] != u'\n') ++i;
    line.end = i;
    if (i < t.size()) {
      if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') i += 2;
      else ++i;
    }
    line.next = i;
    lines.push_back(line);
  }
  return lines;
}

enum class LineKind { kBlank, kSection, kKey };

struct LineMeaning {
  LineKind kind = LineKind::kBlank;
  Text name;              // section or key name (cut at a zero character)
  bool hasValue = false;  // a key line with "="
  Text value;
  bool emptyRawName = false;  // the key's name is empty before the cut
};

// What one line means to the reader: blank, "[name]" (the name runs to the
// last "]" of the line and is trimmed of blanks; anything after that "]" is
// ignored; a "[" without "]" is a key line), or a key line
// "name = value" (a line without "=" is a key without value).
LineMeaning Classify(TextView raw) {
  LineMeaning m;
  const TextView line = TrimProfile(raw);
  if (line.empty()) return m;
  if (line[0] == u'[') {
    const size_t close = line.rfind(u']');
    if (close != TextView::npos && close > 0) {
      m.kind = LineKind::kSection;
      m.name = CutAtZero(TrimProfile(line.substr(1, close - 1)));
      return m;
    }
  }
  m.kind = LineKind::kKey;
  const size_t eq = line.find(u'=');
  if (eq == TextView::npos) {
    m.name = CutAtZero(line);
    return m;
  }
  size_t nameEnd = eq;
  while (nameEnd > 0 && IsProfileSpace(line[nameEnd - 1])) --nameEnd;
  m.emptyRawName = nameEnd == 0;
  m.name = CutAtZero(line.substr(0, nameEnd));
  size_t v = eq + 1;
  while (v < line.size() && IsProfileSpace(line[v])) ++v;
  m.hasValue = true;
  m.value = CutAtZero(line.substr(v));
  return m;
}

struct ProfileKey {
  Text name;
  bool hasValue = false;
  Text value;
};

struct ProfileSection {
  Text name;
  std::vector<ProfileKey> keys;
};

struct LoadedProfile {
  bool opened = false;  // false: the file could not be opened at all
  // The first entry is the nameless section of the lines before the first
  // section line (present whenever the file has content).
  std::vector<ProfileSection> sections;
  // Each section name, with ASCII letters folded, to the first section of
  // that name.
  std::unordered_map<Text, size_t> firstByName;
};

Text FoldName(TextView t) {
  Text out(t);
  for (char16_t& c : out) c = Fold(c);
  return out;
}

// The first section whose name equals `name` (case of ASCII letters
// ignored), or null.
const ProfileSection* FindSection(const LoadedProfile& profile, TextView name) {
  const auto it = profile.firstByName.find(FoldName(name));
  return it == profile.firstByName.end() ? nullptr : &profile.sections[it->second];
}

LoadedProfile Load(IPlatform& platform, const Text& file) {
  LoadedProfile profile;
  std::vector<uint8_t> bytes;
  uint32_t err = 0;
  try {
    err = platform.ReadWholeFile(file, bytes);
  } catch (...) {
    err = winerr::kAccessDenied;
  }
  if (err == winerr::kFileNotFound) {
    profile.opened = true;  // a missing file reads as an empty one
    return profile;
  }
  if (err != 0) return profile;
  profile.opened = true;
  if (bytes.empty()) return profile;

  Encoding encoding;
  const Text text = DecodeFile(bytes, &encoding);
  profile.sections.emplace_back();
  bool previousKeyNameless = false;
  bool havePreviousKey = false;
  for (const PhysicalLine& pl : SplitLines(text)) {
    LineMeaning m = Classify(TextView(text).substr(pl.start, pl.end - pl.start));
    if (m.kind == LineKind::kBlank) continue;
    if (m.kind == LineKind::kSection) {
      profile.sections.push_back(ProfileSection{std::move(m.name), {}});
      havePreviousKey = false;
      continue;
    }
    // A key with an empty name right after another key with an empty name
    // is not kept (the platform's reader drops it).
    const bool nameless = m.emptyRawName;
    if (nameless && havePreviousKey && previousKeyNameless) continue;
    havePreviousKey = true;
    previousKeyNameless = m.name.empty();
    profile.sections.back().keys.push_back(ProfileKey{std::move(m.name), m.hasValue, std::move(m.value)});
  }
  for (size_t i = 0; i < profile.sections.size(); ++i)
    profile.firstByName.emplace(FoldName(profile.sections[i].name), i);
  return profile;
}

// The key the string reader finds: in the first section of that name
// (names trimmed of blanks, case ignored), its first key of that name.
const ProfileKey* FindKey(const LoadedProfile& profile, const Text& section, const Text& key) {
  const ProfileSection* sec = FindSection(profile, TrimProfile(section));
  if (sec == nullptr) return nullptr;
  const TextView k = TrimProfile(key);
  for (const ProfileKey& entry : sec->keys)
    if (SameName(entry.name, k)) return &entry;
  return nullptr;
}

// lstrcpynW into a buffer of `n` characters.
Text CopyN(TextView t, size_t n) {
  if (n == 0) return Text();
  return Text(t.substr(0, std::min(t.size(), n - 1)));
}

// A value enclosed in the same quote character (double or single) at both
// ends loses the quotes, as long as the closing quote fits the buffer.
Text CopyEntry(TextView value, size_t n) {
  bool quoted = false;
  if (!value.empty() && (value[0] == u'\'' || value[0] == u'"') && value.size() >= 2 &&
      value.back() == value[0]) {
    quoted = true;
    value.remove_prefix(1);
  }
  Text out = CopyN(value, n);
  if (quoted && n >= value.size() && !out.empty()) out.pop_back();
  return out;
}

// The buffer of a list-returning function, read back as its texts.
std::vector<Text> SplitList(const std::vector<char16_t>& buffer, size_t used) {
  std::vector<Text> items;
  size_t i = 0;
  while (i < used) {
    size_t e = i;
    while (e < used && buffer[e] != 0) ++e;
    if (e == i) break;
    items.emplace_back(buffer.begin() + static_cast<std::ptrdiff_t>(i),
                       buffer.begin() + static_cast<std::ptrdiff_t>(e));
    i = e + 1;
  }
  return items;
}

// Writes `t` cut to `room` - 1 characters and a zero at `pos`; returns the
// number of characters written without the zero.
size_t PutCut(std::vector<char16_t>& buffer, size_t pos, TextView t, size_t room) {
  const size_t n = room == 0 ? 0 : std::min(t.size(), room - 1);
  std::copy(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n), buffer.begin() + static_cast<std::ptrdiff_t>(pos));
  buffer[pos + n] = 0;
  return n;
}

// ---- writing ----------------------------------------------------------------

bool HasLineBreakOrZero(TextView t) {
  return t.find_first_of(Text(u"\r\n\0", 3)) != TextView::npos;
}

// Lines the packages use as comments; a new key goes after the last line
// of its section that is none of them.
bool IsCommentLine(TextView raw) {
  const TextView t = TrimProfile(raw);
  return !t.empty() && (t[0] == u';' || t[0] == u'#' || StartsWith(t, u"//"));
}

Text ValueForWriting(const Text& value) {
  const bool blankAtEnd = !value.empty() && (IsProfileSpace(value.front()) || IsProfileSpace(value.back()));
  const bool enclosed =
      value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0];
  if (blankAtEnd || enclosed) return u"\"" + value + u"\"";
  return value;
}

void AppendUtf16Le(std::vector<uint8_t>& out, TextView t) {
  for (char16_t c : t) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
}

// The platform's integer reading of a value: leading characters up to
// blank, one sign, an optional "0x", "0o" or "0b" prefix, digits of that
// base; the total wraps around at 32 bits.
int ProfileInt(const Text& text, int defaultValue) {
  if (text.empty()) return defaultValue;
  size_t i = 0;
  while (i < text.size() && text[i] <= u' ') ++i;
  bool minus = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    minus = text[i] == u'-';
    ++i;
  }
  uint32_t base = 10;
  if (i + 1 < text.size() && text[i] == u'0') {
    const char16_t p = text[i + 1];
    if (p == u'x') base = 16;
    else if (p == u'o') base = 8;
    else if (p == u'b') base = 2;
    if (base != 10) i += 2;
  }
  uint32_t total = 0;
  for (; i < text.size(); ++i) {
    const char16_t c = text[i];
    uint32_t digit = 99;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'a' && c <= u'z') digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'Z') digit = c - u'A' + 10;
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (minus) total = 0u - total;
  return static_cast<int>(total);
}

}  // namespace

// ---- one reading ---------------------------------------------------------------

struct CParsedProfile::Parsed {
  LoadedProfile profile;
};

CParsedProfile::CParsedProfile(IPlatform& platform, const Text& file) {
  try {
    auto parsed = std::make_shared<Parsed>();
    parsed->profile = Load(platform, file);
    parsed_ = std::move(parsed);
  } catch (...) {
    parsed_.reset();
  }
}

Text CParsedProfile::GetString(const Text& section, const Text& key, const Text& defaultValue,
                               size_t bufferChars) const {
  try {
    if (bufferChars == 0 || !parsed_) return Text();
    // Trailing spaces of the default are dropped (a lone first character
    // stays).
    Text def = defaultValue;
    while (def.size() > 1 && def.back() == u' ') def.pop_back();
    const LoadedProfile& profile = parsed_->profile;
    if (!profile.opened) return CopyN(def, bufferChars);
    const ProfileKey* found = FindKey(profile, section, key);
    return CopyEntry(found && found->hasValue ? TextView(found->value) : TextView(def), bufferChars);
  } catch (...) {
    return Text();
  }
}

int CParsedProfile::GetInt(const Text& section, const Text& key, int defaultValue) const {
  return ProfileInt(GetString(section, key, Text(), 30), defaultValue);
}

ProfileList CParsedProfile::ReadSection(const Text& section, size_t bufferChars) const {
  ProfileList result;
  try {
    if (bufferChars < 2 || !parsed_) return result;
    const LoadedProfile& profile = parsed_->profile;
    if (!profile.opened) return result;
    const ProfileSection* sec = FindSection(profile, section);
    if (sec == nullptr) return result;
    std::vector<char16_t> buffer(bufferChars, 0);
    size_t pos = 0;
    size_t room = bufferChars;
    for (const ProfileKey& k : sec->keys) {
      if (room <= 2) break;
      if (k.name.empty() && !k.hasValue) continue;          // nothing to show
      if (!k.name.empty() && k.name[0] == u';') continue;  // comment line
      size_t n = PutCut(buffer, pos, k.name, room - 1);
      room -= n + 1;
      pos += n + 1;
      if (room < 2) break;
      if (k.hasValue) {
        buffer[pos - 1] = u'=';
        n = PutCut(buffer, pos, k.value, room - 1);
        room -= n + 1;
        pos += n + 1;
      }
    }
    buffer[pos] = 0;
    if (room <= 1) {
      if (pos > 0) buffer[pos - 1] = 0;
      result.count = static_cast<uint32_t>(bufferChars - 2);
    } else {
      result.count = static_cast<uint32_t>(bufferChars - room);
    }
    result.items = SplitList(buffer, bufferChars);
    return result;
  } catch (...) {
    return ProfileList();
  }
}

ProfileList CParsedProfile::ReadSectionNames(size_t bufferChars) const {
  ProfileList result;
  try {
    if (bufferChars < 2 || !parsed_) return result;
    const LoadedProfile& profile = parsed_->profile;
    if (!profile.opened) return result;
    std::vector<char16_t> buffer(bufferChars, 0);
    size_t room = bufferChars - 1;
    size_t pos = 0;
    for (const ProfileSection& sec : profile.sections) {
      if (sec.name.empty()) continue;
      const size_t need = sec.name.size() + 1;
      if (need >= room) {
        if (room > 0) {
          std::copy(sec.name.begin(), sec.name.begin() + static_cast<std::ptrdiff_t>(room - 1),
                    buffer.begin() + static_cast<std::ptrdiff_t>(pos));
          pos += room - 1;
          buffer[pos++] = 0;
        }
        buffer[pos] = 0;
        result.count = static_cast<uint32_t>(bufferChars - 2);
        result.items = SplitList(buffer, bufferChars);
        return result;
      }
      std::copy(sec.name.begin(), sec.name.end(), buffer.begin() + static_cast<std::ptrdiff_t>(pos));
      pos += sec.name.size();
      buffer[pos++] = 0;
      room -= need;
    }
    buffer[pos] = 0;
    result.count = static_cast<uint32_t>(pos);
    result.items = SplitList(buffer, bufferChars);
  } catch (...) {
    return ProfileList();
  }
  return result;
}

std::vector<Text> CParsedProfile::GetSection(const Text& section, size_t bufferChars) const {
  return ReadSection(section, bufferChars).items;
}

std::vector<Text> CParsedProfile::GetSectionNames(size_t bufferChars) const {
  return ReadSectionNames(bufferChars).items;
}

// ---- a reading per call -------------------------------------------------------------

Text CProfile::GetString(const Text& file, const Text& section, const Text& key, const Text& defaultValue,
                         size_t bufferChars) {
  if (bufferChars == 0) return Text();
  return CParsedProfile(platform_, file).GetString(section, key, defaultValue, bufferChars);
}

int CProfile::GetInt(const Text& file, const Text& section, const Text& key, int defaultValue) {
  return ProfileInt(GetString(file, section, key, Text(), 30), defaultValue);
}

ProfileList CProfile::ReadSection(const Text& file, const Text& section, size_t bufferChars) {
  if (bufferChars < 2) return ProfileList();
  return CParsedProfile(platform_, file).ReadSection(section, bufferChars);
}

ProfileList CProfile::ReadSectionNames(const Text& file, size_t bufferChars) {
  if (bufferChars < 2) return ProfileList();
  return CParsedProfile(platform_, file).ReadSectionNames(bufferChars);
}

std::vector<Text> CProfile::GetSection(const Text& file, const Text& section, size_t bufferChars) {
  return ReadSection(file, section, bufferChars).items;
}

std::vector<Text> CProfile::GetSectionNames(const Text& file, size_t bufferChars) {
  return ReadSectionNames(file, bufferChars).items;
}

uint32_t CProfile::WriteString(const Text& file, const Text& section, const Text& key,
                               const std::optional<Text>& value) {
  try {
    const Text sec(TrimProfile(section));
    const Text name(TrimProfile(key));
    if (sec.empty() || name.empty() || HasLineBreakOrZero(sec) || sec.find(u']') != Text::npos ||
        HasLineBreakOrZero(name) || name.find(u'=') != Text::npos || name[0] == u'[' || name[0] == u';')
      return winerr::kInvalidParameter;
    if (value && HasLineBreakOrZero(*value)) return winerr::kInvalidParameter;

    std::vector<uint8_t> bytes;
    uint32_t err = platform_.ReadWholeFile(file, bytes);
    if (err == winerr::kFileNotFound) {
      if (!value) return 0;
      bytes.clear();
    } else if (err != 0) {
      return err;
    }

    Text text;
    if (!bytes.empty()) {
      Encoding encoding;
      text = DecodeFile(bytes, &encoding);
    }
    const std::vector<PhysicalLine> lines = SplitLines(text);

    // Which section each line belongs to, and where its key lines are.
    struct Span {
      size_t header = 0;        // index of the section line
      size_t lastContent = 0;   // last non-blank line of the section
    };
    std::vector<Span> matching;  // sections of that name, in order
    std::vector<size_t> keyLinesFirst;  // key lines of `name` in the first one
    std::vector<size_t> keyLinesAll;    // in all sections of that name
    int current = -1;  // index into `matching`, -1: another section
    for (size_t i = 0; i < lines.size(); ++i) {
      const LineMeaning m = Classify(TextView(text).substr(lines[i].start, lines[i].end - lines[i].start));
      if (m.kind == LineKind::kSection) {
        if (SameName(m.name, sec)) {
          matching.push_back(Span{i, i});
          current = static_cast<int>(matching.size()) - 1;
        } else {
          current = -1;
        }
        continue;
      }
      if (current < 0 || m.kind == LineKind::kBlank) continue;
      if (!IsCommentLine(TextView(text).substr(lines[i].start, lines[i].end - lines[i].start)))
        matching[static_cast<size_t>(current)].lastContent = i;
      if (m.kind == LineKind::kKey && SameName(m.name, name)) {
        if (current == 0) keyLinesFirst.push_back(i);
        keyLinesAll.push_back(i);
      }
    }

    // New lines end as the file's lines do (CR LF in a new file).
    Text fileTerminator = u"\r\n";
    for (const PhysicalLine& l : lines) {
      if (l.next > l.end) {
        fileTerminator = text.substr(l.end, l.next - l.end);
        break;
      }
    }
    auto terminatorOf = [&](size_t i) -> Text {
      const PhysicalLine& l = lines[i];
      return l.next > l.end ? text.substr(l.end, l.next - l.end) : fileTerminator;
    };

    Text out;
    if (!value) {
      if (keyLinesAll.empty()) return 0;
      size_t next = 0;
      for (size_t i = 0; i < lines.size(); ++i) {
        if (next < keyLinesAll.size() && keyLinesAll[next] == i) {
          ++next;
          continue;
        }
        out.append(text, lines[i].start, lines[i].next - lines[i].start);
      }
    } else {
      const Text keyLine = name + u"=" + ValueForWriting(*value);
      if (!keyLinesFirst.empty()) {
        // Replace the value of the line the reader finds; keep its name as
        // written and everything up to and including the "=".
        const size_t li = keyLinesFirst.front();
        const PhysicalLine& l = lines[li];
        const TextView content = TextView(text).substr(l.start, l.end - l.start);
        const size_t eq = content.find(u'=');
        out.append(text, 0, l.start);
        if (eq != TextView::npos) {
          out.append(content.substr(0, eq + 1));
        } else {
          size_t lead = 0;
          while (lead < content.size() && IsProfileSpace(content[lead])) ++lead;
          out.append(content.substr(0, lead));
          out.append(TrimProfile(content));
          out.push_back(u'=');
        }
        out.append(ValueForWriting(*value));
        out.append(text, l.end, Text::npos);
      } else if (!matching.empty()) {
        // A new key after the last line of the first section of that name.
        const size_t li = matching.front().lastContent;
        const PhysicalLine& l = lines[li];
        const Text term = terminatorOf(li);
        out.append(text, 0, l.end);
        out.append(term);
        out.append(keyLine);
        out.append(term);
        out.append(text, l.next, Text::npos);
      } else {
        // A new section at the end of the file.
        out = text;
        Text term = fileTerminator;
        if (!lines.empty()) {
          const PhysicalLine& last = lines.back();
          term = terminatorOf(lines.size() - 1);
          if (last.next == last.end) out.append(term);
          if (!TrimProfile(TextView(text).substr(last.start, last.end - last.start)).empty()) out.append(term);
        }
        out.append(u"[" + sec + u"]" + term + keyLine + term);
      }
    }

    std::vector<uint8_t> data{0xFF, 0xFE};
    data.reserve(2 + out.size() * 2);
    AppendUtf16Le(data, out);
    return platform_.WriteWholeFile(file, data);
  } catch (...) {
    return winerr::kInvalidParameter;
  }
}

}  // namespace tovu
