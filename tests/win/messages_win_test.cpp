// Message texts on the real platform: the frame's string table holds
// exactly the compiled-in catalogue, read through LoadStringW; language files
// on disk load into the same map that the platform's own private-profile
// functions give, and names and captions equal GetPrivateProfileStringW.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "settings/builtin_messages.h"
#include "settings/messages.h"
#include "settings/win32/resource_message_texts.h"
#include "support/test_support.h"

namespace tovu {
namespace {

Text ModuleFolder() {
  wchar_t buf[MAX_PATH];
  const DWORD n = ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
  Text path = FromW(buf, n);
  return path.substr(0, path.rfind(u'\\') + 1);
}

// The frame executable beside the test binary, loaded for its resources.
class FrameStringTable : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    frame_ = ::LoadLibraryExW(W(ModuleFolder() + u"Fennock.exe"), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  static void TearDownTestSuite() {
    if (frame_) ::FreeLibrary(frame_);
    frame_ = nullptr;
  }
  void SetUp() override { ASSERT_NE(frame_, nullptr) << "Fennock.exe not found beside the test: " << ::GetLastError(); }

  static Text Load(UINT id) {
    const wchar_t* p = nullptr;
    const int n = ::LoadStringW(frame_, id, reinterpret_cast<LPWSTR>(&p), 0);
    return n > 0 && p ? FromW(p, static_cast<size_t>(n)) : Text();
  }

  static HMODULE frame_;
};
HMODULE FrameStringTable::frame_ = nullptr;

TEST_F(FrameStringTable, EveryCatalogueTextIsInTheTable) {
  CResourceMessageTexts texts(frame_);
  for (const BuiltInMessage& m : BuiltInMessages()) {
    EXPECT_EQ(Load(static_cast<UINT>(m.id)), m.text) << m.id;
    EXPECT_EQ(texts.LoadText(m.id), m.text) << m.id;
  }
  // A copy through a buffer of its own gives the same text (the resource
  // holds no terminating zero of its own that the length would miss).
  wchar_t buf[256];
  const int n = ::LoadStringW(frame_, 205, buf, 256);
  EXPECT_EQ(FromW(buf, static_cast<size_t>(n)), u"Idioma de Instalaci\u00F3n Es&pa\u00F1ol");
}

BOOL CALLBACK CollectBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<UINT>*>(param)->push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
  return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::set<WORD>*>(param)->insert(language);
  return TRUE;
}

TEST_F(FrameStringTable, TableHoldsNothingElseAndOnlyEnglish) {
  std::vector<UINT> blocks;
  ASSERT_TRUE(::EnumResourceNamesW(frame_, RT_STRING, CollectBlock, reinterpret_cast<LONG_PTR>(&blocks)));
  ASSERT_FALSE(blocks.empty());
  std::set<int> inTable;
  for (UINT block : blocks) {
    std::set<WORD> languages;
    ::EnumResourceLanguagesW(frame_, RT_STRING, MAKEINTRESOURCEW(block), CollectLanguage,
                             reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::set<WORD>{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)}) << block;
    for (UINT i = 0; i < 16; ++i) {
      const UINT id = (block - 1) * 16 + i;
      if (!Load(id).empty()) inTable.insert(static_cast<int>(id));
    }
  }
  std::set<int> catalogue;
  for (const BuiltInMessage& m : BuiltInMessages()) catalogue.insert(m.id);
  EXPECT_EQ(inTable, catalogue);
}

TEST_F(FrameStringTable, CatalogueOverTheTableFallsBackLikeTheCompiledIn) {
  Win32Platform platform;
  CResourceMessageTexts texts(frame_);
  CMessageCatalog fromTable(platform, texts);
  CMessageCatalog compiledIn(platform);
  for (int id = -1; id <= 1100; ++id) EXPECT_EQ(fromTable.GetMessageText(id), compiledIn.GetMessageText(id)) << id;
  EXPECT_EQ(fromTable.GetMessageText(70000), u"");

  // The test binary itself carries no string table.
  CResourceMessageTexts own;
  EXPECT_EQ(own.LoadText(101), u"");
}

// ---- language files on disk ----------------------------------------------------

Text FixtureFolder(const char* sub) { return Widen(test::TestDataPath(std::string("messages/") + sub)); }

std::vector<Text> SplitZeros(const std::vector<wchar_t>& buf, DWORD count) {
  std::vector<Text> items;
  size_t i = 0;
  while (i < count) {
    size_t e = i;
    while (e < count && buf[e] != 0) ++e;
    if (e == i) break;
    items.push_back(FromW(buf.data() + i, e - i));
    i = e + 1;
  }
  return items;
}

// The message map the platform's own functions give: every line of every
// section, key read with _wtoi, "[NEWLINE]" made a line break.
std::map<int, Text> PlatformMap(const Text& file) {
  constexpr DWORD kSize = 1 << 20;
  std::vector<wchar_t> names(kSize);
  const DWORD n = ::GetPrivateProfileSectionNamesW(names.data(), kSize, W(file));
  std::map<int, Text> map;
  for (const Text& section : SplitZeros(names, n)) {
    std::vector<wchar_t> lines(kSize);
    const DWORD m = ::GetPrivateProfileSectionW(W(section), lines.data(), kSize, W(file));
    for (const Text& line : SplitZeros(lines, m)) {
      const size_t eq = line.find(u'=');
      const Text key = eq == Text::npos ? line : line.substr(0, eq);
      Text text = eq == Text::npos ? Text() : line.substr(eq + 1);
      ReplaceAll(text, u"[NEWLINE]", u"\n");
      map[_wtoi(W(key))] = text;
    }
  }
  return map;
}

TEST(LanguageFilesOnDisk, LoadedMapEqualsThePlatformsReading) {
  Win32Platform platform;
  const Text folder = FixtureFolder("");
  for (int lcid : {1031, 1036, 1041}) {
    CMessageCatalog catalog(platform);
    ASSERT_EQ(catalog.LoadLanguageFile(lcid, folder), LANGFILE_LOADED) << lcid;
    const std::map<int, Text> expected = PlatformMap(LanguageFilePath(folder, lcid));
    ASSERT_GT(expected.size(), 3u) << lcid;
    EXPECT_EQ(catalog.GetMessageMap(), expected) << lcid;
  }
  CMessageCatalog catalog(platform);
  ASSERT_EQ(catalog.LoadLanguageFile(1031, folder), LANGFILE_LOADED);
  EXPECT_EQ(catalog.GetMessageText(113), u"Wollen Sie wirklich abbrechen?");
  EXPECT_EQ(catalog.LoadLanguageFile(1031, FixtureFolder("wrongid/")), LANGFILE_WRONG_ID);
  EXPECT_EQ(catalog.LoadLanguageFile(1040, folder), LANGFILE_LOADED);  // no such file
  EXPECT_EQ(catalog.GetMessageText(113), u"Wollen Sie wirklich abbrechen?");
  EXPECT_EQ(catalog.LoadLanguageFile(1034, FixtureFolder("noid/")), LANGFILE_LOADED);
  EXPECT_EQ(catalog.GetMessageText(112), u"&Cancelar");
  EXPECT_EQ(catalog.LoadLanguageFile(1033, folder), LANGFILE_ENGLISH);
  EXPECT_EQ(catalog.GetMessageText(113), u"Do you really want to cancel?");
}

TEST(LanguageFilesOnDisk, NamesAndCaptionsEqualThePlatformsStrings) {
  Win32Platform platform;
  CMessageCatalog catalog(platform);
  const Text folder = FixtureFolder("");
  const Text choice = folder + kLanguageChoiceFileName;
  for (int lcid : {1028, 1031, 1033, 1034, 1036, 1040, 1041, 1042, 1044, 1046, 1049, 2052, 3082, 1053}) {
    wchar_t buf[1024];
    const Text key = Widen(std::to_string(lcid));
    ::GetPrivateProfileStringW(L"RADIOBUTTONSTRING", W(key), L"", buf, 1024, W(choice));
    const Text platformCaption = FromW(buf);
    EXPECT_EQ(catalog.GetLanguageButtonText(lcid, folder), platformCaption.empty() ? kUnknownLanguage : platformCaption)
        << lcid;
    ::GetPrivateProfileStringW(L"FileInfo", L"LangName", L"", buf, 1024, W(LanguageFilePath(folder, lcid)));
    EXPECT_EQ(catalog.GetLangName(lcid, folder), FromW(buf)) << lcid;
  }
  EXPECT_EQ(catalog.GetLanguageButtonText(1049, folder), u"P&y\u0441\u0441\u043A\u0438\u0439");
  EXPECT_EQ(catalog.GetLangName(1041, folder), u"\u65E5\u672C\u8A9E");
}

// Keys of ASCII characters (the runtime also takes other Unicode digits and
// blanks, which language files do not use as numbers).
TEST(LanguageFilesOnDisk, KeyNumbersAsTheRuntimeReadsThem) {
  for (const char16_t* key : {u"113", u" \t113", u"\r\n\v\f9", u"+7", u"-5", u"12abc", u"abc", u"", u"0x10", u"- 5",
                              u"+-5", u"007", u"2147483647", u"-2147483648", u"99999999999", u"-99999999999"}) {
    const Text k = key;
    EXPECT_EQ(MessageNumberFromKey(k), _wtoi(W(k))) << ToUtf8(k);
  }
}

}  // namespace
}  // namespace tovu
