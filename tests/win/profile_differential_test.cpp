// Our profile reader against the platform's private-profile functions, on
// the awkward files of tests/data/ini: every query must give the same text
// and the same returned count. Also: what our writer writes, the platform
// reads back.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "settings/profile.h"
#include "support/test_support.h"

namespace tovu {
namespace {

const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

Text FromW(const wchar_t* p, size_t n) { return Text(reinterpret_cast<const char16_t*>(p), n); }

std::string Show(const Text& t) {
  std::ostringstream out;
  out << '"';
  for (char16_t c : t) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out << static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out << buf;
    }
  }
  out << '"';
  return out.str();
}

std::string Show(const std::vector<Text>& items) {
  std::string s = "[";
  for (size_t i = 0; i < items.size(); ++i) s += (i ? ", " : "") + Show(items[i]);
  return s + "]";
}

constexpr wchar_t kMarker = 0xABCD;
constexpr size_t kGuard = 16;

// The texts a list function left in the buffer, up to the first empty one
// (none when it left the buffer untouched).
std::vector<Text> SplitBuffer(const std::vector<wchar_t>& buf, size_t size) {
  std::vector<Text> items;
  if (size > 0 && buf[0] == kMarker) return items;
  size_t i = 0;
  while (i < size) {
    size_t e = i;
    while (e < size && buf[e] != 0) ++e;
    if (e == i) break;
    items.push_back(FromW(buf.data() + i, e - i));
    i = e + 1;
  }
  return items;
}

bool GuardIntact(const std::vector<wchar_t>& buf, size_t size) {
  for (size_t i = size; i < buf.size(); ++i)
    if (buf[i] != kMarker) return false;
  return true;
}

struct Platform {
  static ProfileList Section(const Text& file, const Text& section, size_t size, bool* guardOk) {
    std::vector<wchar_t> buf(size + kGuard, kMarker);
    ProfileList r;
    r.count = GetPrivateProfileSectionW(W(section), buf.data(), static_cast<DWORD>(size), W(file));
    r.items = SplitBuffer(buf, size);
    *guardOk = GuardIntact(buf, size);
    return r;
  }
  static ProfileList Names(const Text& file, size_t size, bool* guardOk) {
    std::vector<wchar_t> buf(size + kGuard, kMarker);
    ProfileList r;
    r.count = GetPrivateProfileSectionNamesW(buf.data(), static_cast<DWORD>(size), W(file));
    r.items = SplitBuffer(buf, size);
    *guardOk = GuardIntact(buf, size);
    return r;
  }
  static Text String(const Text& file, const Text& section, const Text& key, const Text& def, size_t size,
                     DWORD* count, bool* guardOk) {
    std::vector<wchar_t> buf(size + kGuard, kMarker);
    *count = GetPrivateProfileStringW(W(section), W(key), W(def), buf.data(), static_cast<DWORD>(size), W(file));
    *guardOk = GuardIntact(buf, size);
    size_t n = 0;
    while (n < size && buf[n] != 0) ++n;
    return FromW(buf.data(), n);
  }
};

struct FileCase {
  const char* file;
  std::vector<Text> extraSections;
  std::vector<Text> extraKeys;
};

// Sections and keys queried besides those the platform lists for the file.
const std::vector<Text> kCommonSections = {u"", u"missing", u" "};
const std::vector<Text> kCommonKeys = {u"", u"missing", u" "};
const size_t kStringSizes[] = {1, 2, 3, 4, 5, 6, 8, 12, 29, 30, 1021, 1022, 1023, 1024, 1025, 1026, 2000};
const size_t kListSizes[] = {2, 3, 4, 5, 6, 8, 11, 16, 40, 100, 1000, 2000, 2048, 32767};
const Text kDefaults[] = {u"", u"DEF", u"  padded  ", u"\"qdef\"", u"'", u"tail   ", u"\"", u" "};

const std::vector<FileCase> kFiles = {
    {"quotes.ini", {u"quotes", u"QUOTES"}, {u"BOTH"}},
    {"blanks.ini", {u" Blanks ", u"Spaced Section", u"  Spaced Section  ", u"Tabbed", u"Tabbed\t", u"Lead", u" Lead"},
     {u"key1", u" key1 ", u"key 6", u"key6", u"\tkey2\t", u"key7"}},
    {"comments.ini", {u"comments"}, {u"//slash", u";semi", u"semi", u"#hash", u"hash", u"; indented", u"real"}},
    {"blank_lines.ini", {u"first", u"second"}, {}},
    {"duplicates.ini", {u"dup", u"DUP"}, {u"only2", u"third"}},
    {"noequals.ini", {u"noeq", u"second"}, {u"justakey", u"lonely", u"plain", u"=value1"}},
    {"long.ini", {u"long", u"big", Text(300, u's')}, {u"v1500", u"q1021", u"q1022", u"q1023", u"n1023", u"n1024"}},
    {"junk_sections.ini", {u"Sec", u"sec2", u"x", u"x]y", u"[inner", u"[inner]", u"a=b", u"a"}, {u"a", u"b", u"c"}},
    {"unclosed.ini", {u"Unclosed", u"[Unclosed", u"fine", u"next"}, {u"[Unclosed", u"b"}},
    {"missing.ini", {u"Plain"}, {u"name"}},
    {"no_such_folder\\missing.ini", {u"Plain"}, {u"name"}},
    {"ansi_ascii.ini", {u"plain"}, {u"name", u"num"}},
    {"ansi_high.ini", {u"hoch", u"\u00d6sterreich", u"\u00f6sterreich"}, {u"name", u"\u00c4rger", u"\u00e4rger", u"k"}},
    {"utf8_bom.ini", {u"umlaut", u"\u00f6sterreich"}, {u"name", u"\u00e4rger", u"k"}},
    {"utf8_invalid.ini", {u"bad"}, {u"k1", u"k2", u"k3", u"k4"}},
    {"utf8_nobom.ini", {u"umlaut"}, {u"name"}},
    {"utf16be.ini", {u"big"}, {u"endian", u"name"}},
    {"utf16le_nobom.ini", {u"NoBom", Text(u"\0N", 2)}, {u"k"}},
    {"binary.bin", {}, {}},
    {"binary_bom.bin", {}, {}},
    {"empty.ini", {u"any"}, {u"k"}},
    {"bom_only.ini", {u"any"}, {u"k"}},
    {"one_byte.ini", {u"any"}, {u"k"}},
    {"odd_length.ini", {u"odd"}, {u"k", u"w"}},
    {"nul_inside.ini", {u"nul", u"Se", u"Section", u"zero"}, {u"na", u"name", u"key", u"hidden", u"after", u"z"}},
    {"cr_only.ini", {u"cr", u"cr2"}, {u"k1", u"k2", u"k3"}},
    {"lf_only.ini", {u"lf", u"lf2"}, {u"k1", u"k2", u"k3"}},
    {"mixed_ends.ini", {u"mix", u"mix2"}, {u"k1", u"k2", u"k3"}},
    {"no_final_break.ini", {u"end"}, {u"k", u"last"}},
    {"ints.ini", {u"int"}, {}},
    {"case.ini",
     {u"casetest", u"CASETEST", u"\u00e4rger", u"\u00c4RGER"},
     {u"mixedkey", u"\u00e4\u00f6\u00fc", u"\u0436\u0438\u0432", u"\u03b1\u03b2\u03b3", u"\u00ff", u"i", u"\u0131",
      u"\u0101\u0142"}},
    {"unicode_spaces.ini", {u"spaces", u"Z", u"\x1aZ\x1a"}, {u"nbsp", u"lead", u"em", u"em\u2003", u"\u00a0lead"}},
    {"nameless.ini", {u"real"}, {u"top", u"other"}},
    {"settings_like.ini", {u"package", u"runtime"}, {u"NameDispl", u"128MB", u"Number"}},
    {"demo_package.ini", {u"languages"}, {}},
};

class ProfileDifferential : public ::testing::Test {
 protected:
  Win32Platform platform_;
  CProfile profile_{platform_};
  int differences_ = 0;
  std::vector<std::string> notes_;

  void Differ(const std::string& what) {
    ++differences_;
    if (notes_.size() < 40) notes_.push_back(what);
  }
};

TEST_F(ProfileDifferential, EveryQueryMatchesThePlatform) {
  int queries = 0;
  for (const FileCase& fc : kFiles) {
    const Text file = FromUtf8(test::TestDataPath(std::string("ini/") + fc.file));
    const std::string where = fc.file;
    differences_ = 0;
    notes_.clear();

    // Sections: those the platform lists, in several spellings, and the
    // extras of the table.
    bool guardOk = true;
    const ProfileList platformNames = Platform::Names(file, 32767, &guardOk);
    std::vector<Text> sections = platformNames.items;
    for (const Text& s : platformNames.items) {
      sections.push_back(ToUpper(s));
      sections.push_back(u" " + s + u" ");
    }
    sections.insert(sections.end(), fc.extraSections.begin(), fc.extraSections.end());
    sections.insert(sections.end(), kCommonSections.begin(), kCommonSections.end());

    // Keys: those the platform lists in any section, and the extras.
    std::vector<Text> keys;
    for (const Text& s : platformNames.items) {
      const ProfileList lines = Platform::Section(file, s, 32767, &guardOk);
      for (const Text& line : lines.items) {
        const size_t eq = line.find(u'=');
        keys.push_back(eq == Text::npos ? line : line.substr(0, eq));
      }
    }
    keys.insert(keys.end(), fc.extraKeys.begin(), fc.extraKeys.end());
    keys.insert(keys.end(), kCommonKeys.begin(), kCommonKeys.end());
    std::set<Text> seen;
    std::vector<Text> uniqueKeys;
    for (const Text& k : keys)
      if (seen.insert(k).second) uniqueKeys.push_back(k);

    for (size_t size : kListSizes) {
      ++queries;
      const ProfileList theirs = Platform::Names(file, size, &guardOk);
      const ProfileList ours = profile_.ReadSectionNames(file, size);
      if (!guardOk) Differ("platform wrote past the buffer: names size " + std::to_string(size));
      if (theirs.count != ours.count || theirs.items != ours.items)
        Differ("names size " + std::to_string(size) + ": platform " + std::to_string(theirs.count) + " " +
               Show(theirs.items) + ", ours " + std::to_string(ours.count) + " " + Show(ours.items));
    }

    for (const Text& section : sections) {
      for (size_t size : kListSizes) {
        ++queries;
        const ProfileList theirs = Platform::Section(file, section, size, &guardOk);
        const ProfileList ours = profile_.ReadSection(file, section, size);
        if (!guardOk) Differ("platform wrote past the buffer: section " + Show(section));
        if (theirs.count != ours.count || theirs.items != ours.items)
          Differ("section " + Show(section) + " size " + std::to_string(size) + ": platform " +
                 std::to_string(theirs.count) + " " + Show(theirs.items) + ", ours " + std::to_string(ours.count) +
                 " " + Show(ours.items));
      }
      for (const Text& key : uniqueKeys) {
        // The whole sweep of buffer sizes where the key has a value; a few
        // sizes where the default comes back.
        DWORD probeCount = 0;
        const bool found =
            Platform::String(file, section, key, u"\x01", 1024, &probeCount, &guardOk) != u"\x01";
        for (size_t size : kStringSizes) {
          if (!found && size != 1 && size != 2 && size != 4 && size != 1024) continue;
          ++queries;
          DWORD count = 0;
          const Text theirs = Platform::String(file, section, key, u"DEF", size, &count, &guardOk);
          const Text ours = profile_.GetString(file, section, key, u"DEF", size);
          if (!guardOk) Differ("platform wrote past the buffer: string " + Show(section) + "/" + Show(key));
          if (theirs != ours || count != ours.size())
            Differ("string " + Show(section) + "/" + Show(key) + " size " + std::to_string(size) + ": platform " +
                   std::to_string(count) + " " + Show(theirs) + ", ours " + Show(ours));
        }
        for (const Text& def : kDefaults) {
          ++queries;
          DWORD count = 0;
          const Text theirs = Platform::String(file, section, key, def, 1024, &count, &guardOk);
          const Text ours = profile_.GetString(file, section, key, def, 1024);
          if (theirs != ours || count != ours.size())
            Differ("string " + Show(section) + "/" + Show(key) + " default " + Show(def) + ": platform " +
                   std::to_string(count) + " " + Show(theirs) + ", ours " + Show(ours));
        }
        for (int def : {-5, 0, 77}) {
          ++queries;
          const int theirs = static_cast<int>(GetPrivateProfileIntW(W(section), W(key), def, W(file)));
          const int ours = profile_.GetInt(file, section, key, def);
          if (theirs != ours)
            Differ("int " + Show(section) + "/" + Show(key) + " default " + std::to_string(def) + ": platform " +
                   std::to_string(theirs) + ", ours " + std::to_string(ours));
        }
      }
    }

    std::string all;
    for (const std::string& n : notes_) all += "\n  " + n;
    EXPECT_EQ(differences_, 0) << where << ": " << differences_ << " differing queries, first ones:" << all;
  }
  std::printf("%d queries over %zu files\n", queries, kFiles.size());
}

// ---- the writer, read back by the platform -----------------------------------

class ProfileWriterUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    folder_ = FromW(tmp, wcslen(tmp)) + u"tovu_profile_writer_" + Widen(std::to_string(GetCurrentProcessId())) + u"\\";
    CreateDirectoryW(W(folder_), nullptr);
  }
  void TearDown() override {
    for (const Text& f : made_) DeleteFileW(W(f));
    RemoveDirectoryW(W(folder_));
  }
  // A new name for every step: the platform caches files it has read.
  Text Fresh() {
    const Text f = folder_ + u"w" + Widen(std::to_string(made_.size())) + u".ini";
    made_.push_back(f);
    return f;
  }
  Text CopyOf(const Text& from) {
    const Text to = Fresh();
    CopyFileW(W(from), W(to), FALSE);
    return to;
  }
  Text PlatformString(const Text& file, const Text& section, const Text& key) {
    DWORD count = 0;
    bool guardOk = true;
    return Platform::String(file, section, key, u"DEF", 1024, &count, &guardOk);
  }
  std::vector<uint8_t> Bytes(const Text& file) {
    std::vector<uint8_t> b;
    platform_.ReadWholeFile(file, b);
    return b;
  }

  Win32Platform platform_;
  CProfile profile_{platform_};
  Text folder_;
  std::vector<Text> made_;
};

TEST_F(ProfileWriterUnderWine, WhatWeWriteThePlatformReads) {
  const std::string original = test::ReadTestData("ini/settings_like.ini");
  ASSERT_FALSE(original.empty());
  const Text file = Fresh();
  ASSERT_EQ(platform_.WriteWholeFile(file, std::vector<uint8_t>(original.begin(), original.end())), 0u);

  struct Step {
    Text section, key;
    std::optional<Text> value;
  };
  const std::vector<Step> steps = {
      {u"Tovu", u"Required", Text(u"1")},                   // new section at the end
      {u"Runtime", u"ExtractPasswordRequired", std::nullopt},  // delete
      {u"runtime", u"extractionpassword", std::nullopt},       // delete, other case
      {u"Temporary", u"Number", std::nullopt},
      {u"Package", u"Name", Text(u"Other name")},              // change
      {u"Package", u"NewKey", Text(u"  blanks kept  ")},       // new key, quoted
      {u"Package", u"Quoted", Text(u"\"in quotes\"")},
      {u"Package", u"Empty", Text(u"")},
      {u"Size", u"128MB", Text(u"\u00c4\u20ac")},
  };
  for (const Step& s : steps) {
    ASSERT_EQ(profile_.WriteString(file, s.section, s.key, s.value), 0u);
    const Text snapshot = CopyOf(file);
    const Text expected = s.value ? *s.value : Text(u"DEF");
    EXPECT_EQ(PlatformString(snapshot, s.section, s.key), expected) << Show(s.key);
    EXPECT_EQ(profile_.GetString(snapshot, s.section, s.key, u"DEF"), expected) << Show(s.key);
  }
  const Text last = CopyOf(file);
  for (const char16_t* k : {u"NameDispl", u"VersionString", u"MultiPartDownload"})
    EXPECT_EQ(PlatformString(last, u"Package", k), profile_.GetString(last, u"Package", k, u"DEF"));
  EXPECT_EQ(PlatformString(last, u"Runtime", u"AutoLaunch"), u"setup.exe");
  EXPECT_EQ(PlatformString(last, u"Runtime", u"CheckAdmin"), u"1");
  const std::vector<uint8_t> bytes = Bytes(last);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
}

TEST_F(ProfileWriterUnderWine, MissingFileIsCreatedAsUtf16WithBom) {
  const Text file = Fresh();
  ASSERT_EQ(profile_.WriteString(file, u"Tovu", u"Required", Text(u"1")), 0u);
  const std::vector<uint8_t> bytes = Bytes(file);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  EXPECT_EQ(PlatformString(CopyOf(file), u"Tovu", u"Required"), u"1");
  EXPECT_EQ(PlatformString(CopyOf(file), u"TOVU", u"REQUIRED"), u"1");
}

TEST_F(ProfileWriterUnderWine, OtherEncodingsAndLineEndsReadTheSameAfterWriting) {
  for (const char* name : {"ansi_high.ini", "utf8_bom.ini", "utf16be.ini", "cr_only.ini", "lf_only.ini",
                           "no_final_break.ini", "comments.ini", "duplicates.ini", "nul_inside.ini"}) {
    const std::string original = test::ReadTestData(std::string("ini/") + name);
    const Text file = Fresh();
    ASSERT_EQ(platform_.WriteWholeFile(file, std::vector<uint8_t>(original.begin(), original.end())), 0u);
    const Text before = CopyOf(file);
    ASSERT_EQ(profile_.WriteString(file, u"Added", u"key", Text(u"value")), 0u);
    const Text after = CopyOf(file);
    EXPECT_EQ(PlatformString(after, u"Added", u"key"), u"value") << name;
    // Every section reads as before.
    bool guardOk = true;
    const ProfileList namesBefore = Platform::Names(before, 32767, &guardOk);
    for (const Text& s : namesBefore.items) {
      EXPECT_EQ(Platform::Section(after, s, 32767, &guardOk).items, Platform::Section(before, s, 32767, &guardOk).items)
          << name << " " << Show(s);
    }
  }
}

}  // namespace
}  // namespace tovu
