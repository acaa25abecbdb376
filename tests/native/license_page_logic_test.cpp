#include "ui/license_page_logic.h"

#include <gtest/gtest.h>

#include <string>

namespace tovu::license {
namespace {

const Text kLicense = u"C:\\Temp\\T\\License.rtf";
const Text kSecurity = u"C:\\Temp\\T\\Security.txt";

TEST(LicensePageLogic, ListsTheDocumentsTheSettingsName) {
  struct Case {
    const char* what;
    Text license, security;
    int licenseIndex, securityIndex;
    Text current;
    std::vector<int> entries;
  };
  const Case cases[] = {
      {"both", kLicense, kSecurity, 0, 1, kLicense, {304, 305}},
      {"license only", kLicense, u"", 0, -1, kLicense, {304}},
      {"security only: first entry and shown first", u"", kSecurity, -1, 0, kSecurity, {305}},
      {"none", u"", u"", -1, -1, u"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const DocumentList list = ListDocuments(c.license, c.security);
    EXPECT_EQ(list.licenseIndex, c.licenseIndex);
    EXPECT_EQ(list.securityIndex, c.securityIndex);
    EXPECT_EQ(list.current, c.current);
    EXPECT_EQ(list.entries, c.entries);
  }
}

TEST(LicensePageLogic, SelectingAnEntryNamesItsDocument) {
  const DocumentList both = ListDocuments(kLicense, kSecurity);
  const DocumentList security = ListDocuments(u"", kSecurity);
  struct Case {
    const char* what;
    const DocumentList& list;
    int index;
    bool found;
    Text path;
    int message;
  };
  const Case cases[] = {
      {"license of two", both, 0, true, kLicense, 304},
      {"security of two", both, 1, true, kSecurity, 305},
      {"security alone is entry 0", security, 0, true, kSecurity, 305},
      {"past the end", security, 1, false, u"", 0},
      {"no selection", both, -1, false, u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto s = SelectEntry(c.list, c.index);
    ASSERT_EQ(s.has_value(), c.found);
    if (!s) continue;
    EXPECT_EQ(s->path, c.path);
    EXPECT_EQ(s->message, c.message);
  }
  EXPECT_EQ(SecurityEntryIndex(both), 1);
  EXPECT_EQ(SecurityEntryIndex(security), 0);
}

TEST(LicensePageLogic, NextNeedsEveryListedDocumentAccepted) {
  const DocumentList both = ListDocuments(kLicense, kSecurity);
  const DocumentList license = ListDocuments(kLicense, u"");
  const DocumentList security = ListDocuments(u"", kSecurity);
  const DocumentList none = ListDocuments(u"", u"");
  struct Case {
    const char* what;
    const DocumentList& list;
    bool licenseChecked, securityChecked, allowed;
  };
  const Case cases[] = {
      {"both, neither ticked", both, false, false, false},
      {"both, license only", both, true, false, false},
      {"both, security only", both, false, true, false},
      {"both, both ticked", both, true, true, true},
      {"license alone ticked", license, true, false, true},
      {"license alone unticked; a stray security tick does not count", license, false, true, false},
      {"security alone ticked", security, false, true, true},
      {"security alone unticked", security, true, false, false},
      {"nothing to accept", none, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(NextAllowed(c.list, c.licenseChecked, c.securityChecked), c.allowed);
  }
}

TEST(LicensePageLogic, DocumentTypeByTheLastThreeCharacters) {
  struct Case {
    Text path;
    DocumentType type;
  };
  const Case cases[] = {
      {u"a\\License.rtf", DocumentType::Rtf},   {u"a\\LICENSE.RTF", DocumentType::Rtf},
      {u"a\\notes.TxT", DocumentType::PlainText}, {u"a\\License.pdf", DocumentType::Other},
      {u"a\\License.rtf.bak", DocumentType::Other}, {u"tx", DocumentType::Other},
      {u"", DocumentType::Other},
  };
  for (const Case& c : cases) EXPECT_EQ(TypeOf(c.path), c.type) << std::string(c.path.begin(), c.path.end());
}

TEST(LicensePageLogic, BuiltInEntryNamesForSixLanguages) {
  for (int lcid : {1031, 1033, 1036, 1034, 1040, 3082}) EXPECT_TRUE(HasBuiltInEntryNames(lcid)) << lcid;
  for (int lcid : {1045, 1041, 2052, 2057, 0}) EXPECT_FALSE(HasBuiltInEntryNames(lcid)) << lcid;
}

std::vector<uint8_t> Utf16File(const std::u16string& text, bool bom = true) {
  std::vector<uint8_t> bytes;
  if (bom) bytes = {0xFF, 0xFE};
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
  return bytes;
}

TEST(LicensePageLogic, EntryNameFromTheLanguageFile) {
  const std::u16string file =
      u"[FileInfo]\r\nID=1045\r\nLangName=Polski\r\n[Messages]\r\n3040=not this one\r\n"
      u"304=Umowa licencyjna\r\n304=a later line is not read\r\n305==Potwierdzenie 305 informacji=\r\n";
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int number;
    Text name;
  };
  const Case cases[] = {
      {"a longer number is another message; the first line of the number wins", Utf16File(file), 304,
       u"Umowa licencyjna"},
      {"every occurrence of the number and the = at both ends go", Utf16File(file), 305,
       u"Potwierdzenie  informacji"},
      {"without byte-order mark", Utf16File(u"304=Umowa\n", false), 304, u"Umowa"},
      {"the last line without line end", Utf16File(u"x\r\n305=Ostatnia"), 305, u"Ostatnia"},
      {"no such line", Utf16File(u"300=Warunki\r\n"), 304, u""},
      {"an empty file", {}, 304, u""},
      {"an odd trailing byte is ignored", [] { auto b = Utf16File(u"304=Ab"); b.push_back(0x41); return b; }(),
       304, u"Ab"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(EntryNameFromLanguageFile(c.bytes, c.number), c.name);
  }
}

}  // namespace
}  // namespace tovu::license
