// The portable parts of the cabinet extraction: error texts, where
// members land and which names are refused, part names, the file digest,
// and the part check of a multipart package on the in-memory platform.
#include <gtest/gtest.h>

#include <map>

#include "cabinet/cab_error.h"
#include "cabinet/file_hash.h"
#include "cabinet/member_path.h"
#include "cabinet/part_validator.h"
#include "fakes/fake_platform.h"
#include "settings/initializer.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }

TEST(CabError, TextsByCodeTypeAndDetail) {
  struct Case {
    int oper, type, flag, custom;
    Text detail;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, 0, 0, u"", "Success"},
      {4, 0, 1, 0, u"", "Corrupt cabinet"},
      {4, 0, 0, 0, u"", "Success"},  // an operation code without the flag is no error
      {7, 3, 1, 0, u"", "Error Failure decompressing data: 3"},
      {11, 0, 1, 1005, u"", "The path is too long. (Max 260 characters are allowed)."},
      {11, 0, 1, 2, u"", "The file is not a cabinet"},
      {0, 0, 0, 1000, u"", "Could not load Cabinet.dll"},
      {0, 0, 0, 1011, u"", "Could not remove attributes of the file"},
      {0, 0, 0, 1012, u"C:\\\x0100", "Unicode string cannot be converted to Ansi! : C:\\\xc4\x80"},
      {0, 0, 0, 1013, u"", "Fatal error: Out of memory!"},
      {11, 0, 1, 1014, u"\\..\\evil.txt",
       "Invalid CAB file: a member name leads outside the target folder : \\..\\evil.txt"},
      {0, 0, 1, 1015, u"C:\\T\\b.bin", "Could not write the extracted file : C:\\T\\b.bin"},
      {12, 0, 1, 0, u"", "Unknown error"},
      {0, 0, 0, 999, u"", "Unknown error"},
  };
  for (const Case& c : cases) {
    CError e;
    e.record = {c.oper, c.type, c.flag};
    if (c.custom) e.SetCustom(c.custom, c.detail);
    EXPECT_EQ(U8(e.GetErrorMessage()), c.text) << c.oper << "/" << c.custom;
    EXPECT_EQ(e.GetErrorCode(), c.custom ? c.custom : c.oper);
  }
  EXPECT_EQ(U8(CError::GetErrorText(9)), "Cabinets in set have different RESERVE sizes");
  EXPECT_EQ(U8(CError::GetErrorText(1009)),
            "Invalid CAB file: Extracted file is longer than declared in fdintCOPY_FILE");
  CError e;
  e.SetCustom(1002);
  e.Clear();
  EXPECT_FALSE(e.IsError());
}

TEST(MemberPlacement, TargetAndFolderPartJoinedWithOneBackslash) {
  struct Case {
    Text target, member, folder, name, path;
  };
  const Case cases[] = {
      {u"C:\\T\\", u"\\setup.exe", u"C:\\T\\", u"setup.exe", u"C:\\T\\setup.exe"},
      {u"C:\\T\\", u"\\Data\\Sub\\a.dat", u"C:\\T\\Data\\Sub\\", u"a.dat", u"C:\\T\\Data\\Sub\\a.dat"},
      // Names of other cabinet writers, without the leading backslash.
      {u"C:\\T\\", u"readme.txt", u"C:\\T\\", u"readme.txt", u"C:\\T\\readme.txt"},
      {u"C:\\T\\", u"Data\\a.dat", u"C:\\T\\Data\\", u"a.dat", u"C:\\T\\Data\\a.dat"},
      // A target without its trailing backslash, and a drive root.
      {u"C:\\T", u"Data\\a.dat", u"C:\\T\\Data\\", u"a.dat", u"C:\\T\\Data\\a.dat"},
      {u"C:\\T", u"\\a.dat", u"C:\\T\\", u"a.dat", u"C:\\T\\a.dat"},
      {u"D:\\", u"a.dat", u"D:\\", u"a.dat", u"D:\\a.dat"},
      {u"D:\\", u"\\Sub\\a.dat", u"D:\\Sub\\", u"a.dat", u"D:\\Sub\\a.dat"},
  };
  for (const Case& c : cases) {
    MemberPlacement p = PlaceMember(c.target, c.member);
    EXPECT_EQ(U8(p.outputFolder), U8(c.folder));
    EXPECT_EQ(U8(p.fileName), U8(c.name));
    EXPECT_EQ(U8(p.outputPath), U8(c.path));
  }
}

TEST(MemberPlacement, NamesLeadingOutsideAreRefused) {
  const std::pair<Text, bool> cases[] = {
      {u"\\setup.exe", true},
      {u"\\Data\\file.dat", true},
      {u"readme.txt", true},
      {u"\\a..b\\c...d.txt", true},
      {u"\\..\\evil.txt", false},
      {u"\\Data\\..\\..\\evil.txt", false},
      {u"..\\evil.txt", false},
      {u"\\Data/../../evil.txt", false},
      {u"\\.\\x", false},
      {u"\\... \\x", false},
      {u"\\.. \\x", false},
      {u"C:\\Windows\\evil.dll", false},
      {u"\\C:evil", false},
      {u"\\file.txt:stream", false},
      {u"\\\\server\\share\\evil.txt", false},
      {u"\\\\?\\C:\\evil.txt", false},
      {u"\\\\.\\PhysicalDrive0", false},
      {u"//server/share/x", false},
      {u"\\CON", false},
      {u"\\Data\\nul.txt", false},
      {u"\\com1", false},
      {u"\\LPT9.log", false},
      {u"\\console.txt", true},
      {u"\\com10", true},
      {u"\\Data\\", false},
      {u"", false},
      {u"\\a\x0001b", false},
  };
  for (const auto& [name, safe] : cases) EXPECT_EQ(IsSafeMemberName(name), safe) << U8(name);
}

TEST(MemberPlacement, NarrowingStopsAboveU00FF) {
  std::string out;
  EXPECT_TRUE(NarrowCabText(u"C:\\Caf\x00e9\\WebCab1", out));
  EXPECT_EQ(out, "C:\\Caf\xe9\\WebCab1");
  EXPECT_FALSE(NarrowCabText(u"C:\\\x0416\\WebCab1", out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(U8(WidenMemberName("\\caf\xc3\xa9.txt", true)), "\\caf\xc3\xa9.txt");
  EXPECT_EQ(WidenMemberName("\\caf\xc3\xa9.txt", false), Text(u"\\caf\x00c3\x00a9.txt"));
}

TEST(PartNames, ExtensionIsTheFormat) {
  EXPECT_EQ(U8(CPartValidator::FormatPartName(u"Name.%03d", 1)), "Name.001");
  EXPECT_EQ(U8(CPartValidator::FormatPartName(u"Name.%03d", 12)), "Name.012");
  EXPECT_EQ(U8(CPartValidator::FormatPartName(u"My.Pkg.%03d", 2)), "My.Pkg.002");
  EXPECT_EQ(U8(CPartValidator::FormatPartName(u"Name.%03d", 1000)), "Name.1000");
}

TEST(FileHash, FirstSixteenBytesOfSha1InLowerCaseHex) {
  FakePlatform fake;
  SetPlatform(&fake);
  struct Case {
    std::string bytes;
    const char* hash;
  };
  const Case cases[] = {
      {"", "da39a3ee5e6b4b0d3255bfef95601890"},
      {"abc", "a9993e364706816aba3e25717850c26c"},
      {std::string(1024, 'a'), "8eca554631df9ead14510e1a70ae48c7"},  // exactly one block
      {std::string(1025, 'a'), "1009de2ef6183bd6d8c08f1ed8df4847"},
  };
  for (const Case& c : cases) {
    fake.AddFile(u"C:\\p\\f.bin", c.bytes);
    Text hash, error;
    EXPECT_EQ(ComputeFileHash(u"C:\\p\\f.bin", hash, error), 0u);
    EXPECT_EQ(U8(hash), c.hash) << c.bytes.size();
    EXPECT_TRUE(error.empty());
  }
  Text hash, error;
  EXPECT_NE(ComputeFileHash(u"C:\\p\\missing.bin", hash, error), 0u);
  EXPECT_EQ(U8(error), "Error opening file C:\\p\\missing.bin");
  EXPECT_TRUE(hash.empty());
  const uint8_t digest[20] = {0x00, 0x0f, 0xf0, 0xab, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  EXPECT_EQ(U8(DigestToHex(digest, 20)), "000ff0ab0102030405060708090a0b0c");
}

// A cabinet probe that knows each part's set ID and index.
class FakeProbe : public ICabinetProbe {
 public:
  struct Part {
    uint16_t setId;
    uint16_t index;
  };
  std::map<Text, Part> parts;
  uint16_t packageSetId = 0;
  std::vector<Text> validated;
  uint32_t GetCabinetSetId(const Text& path) override {
    auto it = parts.find(path);
    return it == parts.end() ? 0xFFFF : it->second.setId;
  }
  uint32_t HashFile(const Text& path, Text& hash, Text& errorText) override {
    return ComputeFileHash(path, hash, errorText);
  }
  int ValidateCabinetFile(const Text& path) override {
    validated.push_back(path);
    auto it = parts.find(path);
    if (it == parts.end()) return 0;
    int n = std::stoi(ToUtf8(path.substr(path.size() - 3)));
    return n >= 1 && it->second.setId == packageSetId && it->second.index == n - 1 ? 1 : 0;
  }
};

class PartCheck : public ::testing::Test {
 protected:
  PartCheck() : log(fake), util(fake, log), init(fake, log, util) {
    SetPlatform(&fake);
    fake.SetModulePath(u"C:\\Dl\\Package.exe");
    init.SetSettingsPath(u"C:\\Tmp\\Properties_Tovu.ini");
    init.SetCabinetSetId(0x1234);
    probe.packageSetId = 0x1234;
  }
  void Settings(const std::string& partLines, const std::string& hashLines, const std::string& base = "Name") {
    fake.AddFile(u"C:\\Tmp\\Properties_Tovu.ini", "[Package]\r\nMultipartFileName=" + base + "\r\n[PartFileIno]\r\n" +
                                                       partLines + "[HashCode]\r\n" + hashLines);
  }
  // Adds a part file and returns its digest.
  std::string Part(const Text& name, const std::string& bytes, uint16_t setId, uint16_t index) {
    fake.AddFile(u"C:\\Dl\\" + name, bytes);
    probe.parts[u"C:\\Dl\\" + name] = {setId, index};
    Text hash, error;
    ComputeFileHash(u"C:\\Dl\\" + name, hash, error);
    return ToUtf8(hash);
  }
  std::vector<std::string> Oldest(const TextList& messages) {
    std::vector<std::string> v;
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) v.push_back(ToUtf8(*it));
    return v;
  }

  FakePlatform fake;
  CBuildLogFile log;
  CUtil util;
  CTovuInitalizer init;
  FakeProbe probe;
};

TEST_F(PartCheck, AllPartsPass) {
  std::string h1 = Part(u"Name.001", "part one", 0x1234, 0);
  std::string h2 = Part(u"Name.002", "part two", 0x1234, 1);
  Settings("001=a\r\n002=b\r\n", "001=" + h1 + "\r\n002=" + h2 + "\r\n");
  CPartValidator v(fake, util, init, probe);
  Text failed;
  TextList messages;
  EXPECT_EQ(v.ValidateParts(failed, 0, messages), 0);
  EXPECT_TRUE(failed.empty());
  EXPECT_EQ(U8(v.GetPartNamePattern()), "Name.%03d");
  EXPECT_EQ(U8(v.GetFirstPartName()), "Name.001");
  EXPECT_EQ(Oldest(messages), (std::vector<std::string>{
                                  "Validating cabinet : C:\\Dl\\Name.001",
                                  "Hash code for : C:\\Dl\\Name.001 is :" + h1,
                                  "Validating cabinet : C:\\Dl\\Name.002",
                                  "Hash code for : C:\\Dl\\Name.002 is :" + h2,
                              }));
}

TEST_F(PartCheck, FailuresGiveTheLastCodeMetAndNameThePart) {
  struct Case {
    const char* what;
    bool upperHash, wrongHash2, wrongSet2, wrongIndex2, missing2, listThird;
    int code;
    const char* failed;
    const char* lastMessage;
  };
  const Case cases[] = {
      {"wrong digest of 002", false, true, false, false, false, false, -5, "C:\\Dl\\Name.002",
       "File is corrupt  : C:\\Dl\\Name.002"},
      {"digest in upper case", true, false, false, false, false, false, -5, "C:\\Dl\\Name.002",
       "File is corrupt  : C:\\Dl\\Name.002"},
      {"set ID of 002 differs", false, false, true, false, false, false, -3, "C:\\Dl\\Name.002",
       "Could not get the file status of the file : C:\\Dl\\Name.002"},
      {"002 has index 5", false, false, false, true, false, false, -3, "C:\\Dl\\Name.002",
       "Could not get the file status of the file : C:\\Dl\\Name.002"},
      {"002 missing", false, false, false, false, true, false, -2, "C:\\Dl\\Name.002",
       "Multi part File not found : C:\\Dl\\Name.002"},
      {"003 listed, absent", false, false, false, false, false, true, -2, "C:\\Dl\\Name.003",
       "Multi part File not found : C:\\Dl\\Name.003"},
  };
  for (const Case& c : cases) {
    FakePlatform& f = fake;
    f.RemoveFile(u"C:\\Dl\\Name.002");
    probe.parts.clear();
    std::string h1 = Part(u"Name.001", "part one", 0x1234, 0);
    std::string h2;
    if (!c.missing2) h2 = Part(u"Name.002", "part two", c.wrongSet2 ? 0x4321 : 0x1234, c.wrongIndex2 ? 5 : 1);
    std::string expected2 = c.wrongHash2 ? "00000000000000000000000000000000" : h2;
    if (c.upperHash) expected2 = ToUtf8(ToUpper(FromUtf8(h2)));
    Settings(std::string("001=a\r\n002=b\r\n") + (c.listThird ? "003=c\r\n" : ""),
             "001=" + h1 + "\r\n002=" + expected2 + "\r\n");
    CPartValidator v(fake, util, init, probe);
    Text failed;
    TextList messages;
    EXPECT_EQ(v.ValidateParts(failed, 0, messages), c.code) << c.what;
    EXPECT_EQ(U8(failed), c.failed) << c.what;
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(U8(messages.front()), c.lastMessage) << c.what;
  }
}

TEST_F(PartCheck, FirstPartByBaseNameOrByExecutableName) {
  Settings("001=a\r\n", "");
  CPartValidator v(fake, util, init, probe);
  Text failed;
  TextList messages;
  // Nothing beside the executable.
  EXPECT_TRUE(v.GetValidPartName(failed, messages).empty());
  EXPECT_EQ(U8(failed), "C:\\Dl\\Name.001");
  EXPECT_EQ(U8(messages.front()), "Multi part File not found : C:\\Dl\\Name.001");
  EXPECT_TRUE(v.GetPartNamePattern().empty());
  EXPECT_EQ(v.ValidateParts(failed, 0, messages), -2);

  // Named after the executable: taken without a set ID check of the file.
  Part(u"Package.001", "x", 0x9999, 0);
  EXPECT_EQ(U8(v.GetValidPartName(failed, messages)), "C:\\Dl\\Package.001");
  EXPECT_EQ(U8(v.GetPartNamePattern()), "Package.%03d");
  // ... but not when the package has no set ID.
  init.SetCabinetSetId(0);
  EXPECT_TRUE(v.GetValidPartName(failed, messages).empty());
  init.SetCabinetSetId(0x1234);

  // The base name wins when its first part carries the package's set ID.
  Part(u"Name.001", "y", 0x1234, 0);
  EXPECT_EQ(U8(v.GetValidPartName(failed, messages)), "C:\\Dl\\Name.001");
  // ... and not when the set ID differs.
  probe.parts[u"C:\\Dl\\Name.001"].setId = 0x1111;
  EXPECT_EQ(U8(v.GetValidPartName(failed, messages)), "C:\\Dl\\Package.001");
}

TEST_F(PartCheck, PartZeroIsNeverListedAndNumberingStartsAtOne) {
  std::string h0 = Part(u"Name.000", "zero", 0x1234, 0);
  std::string h1 = Part(u"Name.001", "one", 0x1234, 0);
  Settings("000=z\r\n001=a\r\n", "000=" + h0 + "\r\n001=" + h1 + "\r\n");
  CPartValidator v(fake, util, init, probe);
  Text failed;
  TextList messages;
  EXPECT_EQ(v.ValidateParts(failed, 0, messages), 0);
  EXPECT_EQ(probe.validated, (std::vector<Text>{u"C:\\Dl\\Name.001"}));
}

}  // namespace
}  // namespace tovu
