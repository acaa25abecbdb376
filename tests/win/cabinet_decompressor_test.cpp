// The cabinet decompressor over Wine's Cabinet.dll: the signature rule,
// where members land and what the lists record, time stamps and
// attributes, the overwrite answers, read-only targets, the path length
// limit, member names leading outside the target, damaged cabinets, and
// the part identity check.
#include <gtest/gtest.h>

#include "cabinet/cab_error.h"
#include "cabinet/win32/cab_decompressor.h"
#include "cabinet_test_support.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "support/test_support.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::CabMember;
using test::CabSpec;
using test::ReadBytes;
using test::TestWindow;
using test::WriteBytes;

std::vector<std::string> U8List(const TextList& l) {
  std::vector<std::string> v;
  for (const Text& t : l) v.push_back(ToUtf8(t));
  return v;
}

class Decompressor : public ::testing::Test {
 protected:
  Decompressor() : log(platform), util(platform, log), init(platform, log, util) {
    SetPlatform(&platform);
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    root = FromW(tmp) + u"tovucab" + Text(Widen(std::to_string(::GetCurrentProcessId()))) + u"\\";
    util.DeleteFolder(root.substr(0, root.size() - 1));
    ::CreateDirectoryW(W(root), nullptr);
    target = root + u"out\\";
    log.InitLogFile(root + u"test.log", 11);
    g_nOverwriteAnswer = -1;
    g_bContinueLaunching = 1;
  }
  ~Decompressor() override { util.DeleteFolder(root.substr(0, root.size() - 1)); }

  CabinetServices Services() { return CabinetServices{platform, log, util, init}; }
  Text Cab(const std::string& bytes, const Text& name = u"WebCab1") {
    Text path = root + name;
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
  }
  int Extract(const Text& cab, int overwriteAll = 0, Text* message = nullptr) {
    CCabDecompressor d(Services(), &window, overwriteAll);
    int code = d.ExtractCabinet(cab, target);
    if (message) *message = d.GetErrorMessage();
    EXPECT_EQ(code, d.GetErrorCode());
    return code;
  }

  Win32Platform platform;
  CBuildLogFile log;
  CUtil util;
  CTovuInitalizer init;
  Text root, target;
  TestWindow test_window_holder{&log};
  test::TestWindow& tw = test_window_holder;
  CWindowExtractionTarget window{tw.Handle()};
};

std::string MszipFixture() { return test::ReadTestData("cabinet/mszip.cab"); }

TEST_F(Decompressor, SignatureRuleAndSubFoldersInBothLists) {
  std::string tovu = MszipFixture();
  ASSERT_EQ(tovu.substr(0, 4), "TOVU");
  std::string mscf = tovu;
  mscf.replace(0, 4, "MSCF");

  Text message;
  EXPECT_EQ(Extract(Cab(mscf), 0, &message), caberr::kNotACabinet);
  EXPECT_EQ(ToUtf8(message), "The file is not a cabinet");
  EXPECT_EQ(::GetFileAttributesW(W(target + u"setup.exe")), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(Extract(Cab(tovu), 0, &message), 0);
  EXPECT_EQ(ToUtf8(message), "Success");
  EXPECT_EQ(ReadBytes(target + u"setup.exe"), "setup program\r\n");
  std::string data = ReadBytes(target + u"Data\\file.dat");
  ASSERT_EQ(data.size(), 60000u);
  EXPECT_EQ(data.substr(40000, 10), "text text ");

  const std::string t = ToUtf8(target);
  EXPECT_EQ(U8List(init.GetWrittenFiles()), (std::vector<std::string>{t + "Data\\file.dat", t + "setup.exe"}));
  EXPECT_EQ(U8List(init.GetPackageFiles()), (std::vector<std::string>{t + "Data\\file.dat", t + "setup.exe"}));
  // The target itself was made by the extraction, then its sub-folder.
  EXPECT_EQ(U8List(init.GetCreatedFolders()), (std::vector<std::string>{t + "Data", t.substr(0, t.size() - 1)}));
  EXPECT_EQ(U8List(init.GetPackageFolders()), (std::vector<std::string>{t + "Data"}));

  // One progress step sent per file; two log lines per file.
  EXPECT_EQ(tw.Count(WM_EXTRACT_PROGRESS, 1), 2);
  auto lines = tw.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "8|FileOverwrite|Extracing file : " + t + "setup.exe");

  // New files carry the cabinet's time stamp (local time 2021-03-04 05:06:08).
  WIN32_FILE_ATTRIBUTE_DATA a{};
  ASSERT_TRUE(::GetFileAttributesExW(W(target + u"setup.exe"), GetFileExInfoStandard, &a));
  FILETIME local{};
  SYSTEMTIME st{};
  ::FileTimeToLocalFileTime(&a.ftLastWriteTime, &local);
  ::FileTimeToSystemTime(&local, &st);
  EXPECT_EQ(st.wYear, 2021);
  EXPECT_EQ(st.wMonth, 3);
  EXPECT_EQ(st.wDay, 4);
  EXPECT_EQ(st.wHour, 5);
  EXPECT_EQ(st.wMinute, 6);
  EXPECT_EQ(st.wSecond, 8);
}

TEST_F(Decompressor, AttributesMaskedAndNamesWithoutBackslashLandInside) {
  CabSpec spec;
  spec.members = {{"\\ro.txt", "read only", 0x21}, {"\\hidden.txt", "h", 0x22 | 0x40}, {"inside.txt", "b", 0x21}};
  EXPECT_EQ(Extract(Cab(test::WriteCabinet(spec)), 1), 0);
  EXPECT_EQ(::GetFileAttributesW(W(target + u"ro.txt")) & 0x27, 0x21u);
  EXPECT_EQ(::GetFileAttributesW(W(target + u"hidden.txt")) & 0x67, 0x22u);
  Text beside = target.substr(0, target.size() - 1) + u"inside.txt";
  EXPECT_EQ(ReadBytes(beside), "<missing>");
  EXPECT_EQ(ReadBytes(target + u"inside.txt"), "b");
  // The close notification's attributes reach the file where it landed.
  EXPECT_EQ(::GetFileAttributesW(W(target + u"inside.txt")) & 0x27, 0x21u);
  ::SetFileAttributesW(W(target + u"inside.txt"), FILE_ATTRIBUTE_NORMAL);
  ::SetFileAttributesW(W(target + u"ro.txt"), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Decompressor, OverwriteAnswers) {
  CabSpec spec;
  spec.members = {{"\\a.txt", "new a"}, {"\\b.txt", "new b"}, {"\\c.txt", "new c"}};
  const std::string cab = test::WriteCabinet(spec);
  struct Case {
    const char* what;
    std::deque<int> answers;
    int questions;
    int code;
    const char* a;
    const char* b;
    const char* c;
  };
  const Case cases[] = {
      {"No: each existing file is asked about", {OVERWRITE_NO}, 2, 0, "old a", "old b", "new c"},
      {"No to All: asked once", {OVERWRITE_NO_TO_ALL}, 1, 0, "old a", "old b", "new c"},
      {"Yes: asked again at the next file", {OVERWRITE_YES}, 2, 0, "new a", "new b", "new c"},
      {"Yes to All: asked once", {OVERWRITE_YES_TO_ALL}, 1, 0, "new a", "new b", "new c"},
      {"No, then Yes", {OVERWRITE_NO, OVERWRITE_YES}, 2, 0, "old a", "new b", "new c"},
      {"Cancel: stops before the file", {OVERWRITE_CANCEL}, 1, caberr::kUserAbort, "old a", "old b", "<missing>"},
  };
  for (const Case& c : cases) {
    util.DeleteFolder(target.substr(0, target.size() - 1));
    ::CreateDirectoryW(W(target), nullptr);
    WriteBytes(target + u"a.txt", "old a");
    WriteBytes(target + u"b.txt", "old b");
    init.SetApplyToAllFlag(0);
    init.GetWrittenFiles().clear();
    init.GetPackageFiles().clear();
    g_nOverwriteAnswer = -1;
    tw.Clear();
    tw.Script(c.answers);
    Text message;
    EXPECT_EQ(Extract(Cab(cab), 0, &message), c.code) << c.what;
    EXPECT_EQ(tw.Count(WM_ASK_OVERWRITE, 0), c.questions) << c.what;
    EXPECT_EQ(ReadBytes(target + u"a.txt"), c.a) << c.what;
    EXPECT_EQ(ReadBytes(target + u"b.txt"), c.b) << c.what;
    EXPECT_EQ(ReadBytes(target + u"c.txt"), c.c) << c.what;
    if (c.code == caberr::kUserAbort) {
      EXPECT_EQ(ToUtf8(message), "User aborted extraction");
    }
    // Kept files are package files but not written ones.
    bool keptA = std::string(c.a) == "old a";
    auto written = U8List(init.GetWrittenFiles());
    auto package = U8List(init.GetPackageFiles());
    std::string a = ToUtf8(target + u"a.txt");
    EXPECT_EQ(std::count(written.begin(), written.end(), a), keptA ? 0 : 1) << c.what;
    if (c.code == 0) {
      EXPECT_EQ(std::count(package.begin(), package.end(), a), 1) << c.what;
    }
    if (keptA && c.code == 0) {
      auto lines = tw.LogLines();
      EXPECT_NE(std::find(lines.begin(), lines.end(), "8|FileOverwrite|File already exists : " + a + ". No action required."),
                lines.end())
          << c.what;
    }
  }
}

TEST_F(Decompressor, ReadOnlyTargetReplacedKeepsTheTimeOfExtraction) {
  ::CreateDirectoryW(W(target), nullptr);
  WriteBytes(target + u"a.txt", "old");
  ::SetFileAttributesW(W(target + u"a.txt"), FILE_ATTRIBUTE_READONLY);
  CabSpec spec;
  spec.members = {{"\\a.txt", "replaced"}};
  tw.Script({OVERWRITE_YES});
  EXPECT_EQ(Extract(Cab(test::WriteCabinet(spec))), 0);
  EXPECT_EQ(ReadBytes(target + u"a.txt"), "replaced");
  WIN32_FILE_ATTRIBUTE_DATA a{};
  ASSERT_TRUE(::GetFileAttributesExW(W(target + u"a.txt"), GetFileExInfoStandard, &a));
  SYSTEMTIME st{};
  ::FileTimeToSystemTime(&a.ftLastWriteTime, &st);
  SYSTEMTIME now{};
  ::GetSystemTime(&now);
  EXPECT_EQ(st.wYear, now.wYear);  // not the cabinet's 2021
}

TEST_F(Decompressor, OutputPathOf260IsAcceptedAnd261Refused) {
  // target + "x...x.txt": pad the name to the exact length.
  for (size_t length : {size_t(260), size_t(261)}) {
    size_t nameLength = length - target.size();
    std::string name = "\\" + std::string(nameLength - 4, 'n') + ".txt";
    CabSpec spec;
    spec.members = {{name, "long"}};
    Text message;
    int code = Extract(Cab(test::WriteCabinet(spec)), 1, &message);
    if (length == 260) {
      EXPECT_EQ(code, 0) << ToUtf8(message);
    } else {
      EXPECT_EQ(code, caberr::kPathTooLong);
      EXPECT_EQ(ToUtf8(message).substr(0, 55), "The path is too long. (Max 260 characters are allowed).");
    }
  }
}

TEST_F(Decompressor, MembersLeadingOutsideTheTargetAreRefusedBeforeAnythingIsWritten) {
  const std::string names[] = {
      "\\..\\evil.txt",    "\\Data\\..\\..\\evil.txt", "..\\evil.txt", "\\Data/../../evil.txt",
      "C:\\evil.txt",      "\\\\?\\C:\\evil.txt",       "\\\\server\\share\\evil.txt",
      "\\.. \\evil.txt",   "\\CON",                     "\\ok.txt:evil",
  };
  for (const std::string& name : names) {
    util.DeleteFolder(root.substr(0, root.size() - 1));
    ::CreateDirectoryW(W(root), nullptr);
    CabSpec spec;
    spec.members = {{"\\first.txt", "fine"}, {name, "evil"}, {"\\last.txt", "never"}};
    Text message;
    EXPECT_EQ(Extract(Cab(test::WriteCabinet(spec)), 1, &message), caberr::kMemberOutsideTarget) << name;
    EXPECT_NE(ToUtf8(message).find(ToUtf8(Widen(name))), std::string::npos) << ToUtf8(message);
    EXPECT_EQ(ReadBytes(target + u"first.txt"), "fine");
    EXPECT_EQ(ReadBytes(target + u"last.txt"), "<missing>");
    EXPECT_EQ(::GetFileAttributesW(W(root + u"evil.txt")), INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_EQ(::GetFileAttributesW(L"C:\\evil.txt"), INVALID_FILE_ATTRIBUTES) << name;
    std::vector<DirEntry> entries;
    platform.ListFolder(root.substr(0, root.size() - 1), entries);
    for (const DirEntry& e : entries) EXPECT_TRUE(e.name == u"out" || e.name == u"WebCab1" || e.name == u"test.log") << ToUtf8(e.name);
  }
}

TEST_F(Decompressor, DamagedCabinetsEndWithAnErrorNeverASuccess) {
  CabSpec good;
  good.members = {{"\\a.txt", std::string(50000, 'a')}, {"\\b.txt", "bbbb"}};
  const std::string plain = test::WriteCabinet(good);
  const std::string mszip = MszipFixture();
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"truncated in the data", plain.substr(0, plain.size() - 20000)});
  cases.push_back({"truncated in the header", plain.substr(0, 30)});
  cases.push_back({"truncated MSZIP", mszip.substr(0, mszip.size() / 2)});
  {
    std::string b = mszip;
    // The compressed text at the end (the random bytes before it are
    // stored, and gcab writes no checksums, so a change there goes unseen).
    for (size_t i = b.size() - 120; i < b.size() - 60; ++i) b[i] = char(b[i] ^ 0xA5);
    cases.push_back({"corrupted MSZIP block", b});
  }
  {
    CabSpec s = good;
    s.checksum = CabSpec::Sum::Wrong;
    cases.push_back({"wrong checksums", test::WriteCabinet(s)});
  }
  {
    CabSpec s = good;
    s.members[1].declaredSize = 100000;
    cases.push_back({"file claims more bytes than the cabinet holds", test::WriteCabinet(s)});
  }
  {
    std::string b = plain;
    b[24] = 9;  // major version
    cases.push_back({"unknown version", b});
  }
  for (const Case& c : cases) {
    util.DeleteFolder(target.substr(0, target.size() - 1));
    Text message;
    int code = Extract(Cab(c.bytes), 1, &message);
    EXPECT_NE(code, 0) << c.what;
    EXPECT_NE(ToUtf8(message), "Success") << c.what;
    std::cout << "  " << c.what << ": " << code << " \"" << ToUtf8(message) << "\"\n";
  }
}

TEST_F(Decompressor, BadParametersAndPathsThatCannotBeNarrowed) {
  Text message;
  CCabDecompressor d(Services(), nullptr, 1);
  EXPECT_EQ(d.ExtractCabinet(root + u"WebCab1", u"C"), caberr::kInvalidParameters);
  CCabDecompressor e(Services(), nullptr, 1);
  EXPECT_EQ(e.ExtractCabinet(root + u"\x0416\\WebCab1", target), caberr::kCannotNarrow);
  EXPECT_EQ(ToUtf8(e.GetErrorMessage()).substr(0, 43), "Unicode string cannot be converted to Ansi!");
  CCabDecompressor f(Services(), nullptr, 1);
  EXPECT_EQ(f.ExtractCabinet(root + u"NoSuchCab", target), caberr::kCabinetNotFound);
  EXPECT_EQ(ToUtf8(f.GetErrorMessage()), "Cabinet file (or part of splitted CAB) not found");
  // A decompressor extracts once: a second call finds its context made and
  // does nothing.
  CCabDecompressor g(Services(), nullptr, 1);
  const Text cab = Cab(MszipFixture());
  EXPECT_EQ(g.ExtractCabinet(cab, target), 0);
  ::DeleteFileW(W(target + u"setup.exe"));
  EXPECT_EQ(g.ExtractCabinet(cab, target), 0);
  EXPECT_EQ(ReadBytes(target + u"setup.exe"), "<missing>");
}

TEST_F(Decompressor, ContinueFlagClearedStopsAtTheNextFile) {
  CabSpec spec;
  spec.members = {{"\\a.txt", "a"}};
  g_bContinueLaunching = 0;
  EXPECT_EQ(Extract(Cab(test::WriteCabinet(spec)), 1), caberr::kUserAbort);
  g_bContinueLaunching = 1;
  EXPECT_EQ(ReadBytes(target + u"a.txt"), "<missing>");
}

// Aborts when the copy of the given file begins: the library stops at the
// next notification, with that file still open.
class AbortingDecompressor : public CCabDecompressor {
 public:
  AbortingDecompressor(CabinetServices s, const Text& at) : CCabDecompressor(s, nullptr, 1), at_(at) {}
  std::vector<std::string> hooked;

 protected:
  int OnBeforeCopy(const CabCopyFile& file) override {
    hooked.push_back(ToUtf8(file.fullName + u"|" + file.subFolder + u"|" + file.fileName));
    if (file.fileName == at_) Abort();
    return file.fileName == u"skip.txt" ? 0 : 1;
  }

 private:
  Text at_;
};

TEST_F(Decompressor, AbortDeletesTheFileLeftOpenAndTheHookSkipsFiles) {
  CabSpec spec;
  spec.members = {{"\\a.txt", "a"}, {"\\skip.txt", "s"}, {"\\Sub\\b.txt", std::string(70000, 'b')}, {"\\c.txt", "c"}};
  const Text cab = Cab(test::WriteCabinet(spec));
  AbortingDecompressor d(Services(), u"b.txt");
  EXPECT_EQ(d.ExtractCabinet(cab, target), caberr::kUserAbort) << ToUtf8(d.GetErrorMessage());
  EXPECT_EQ(d.hooked, (std::vector<std::string>{"\\a.txt|\\|a.txt", "\\skip.txt|\\|skip.txt",
                                                "\\Sub\\b.txt|\\Sub\\|b.txt"}));
  EXPECT_EQ(ReadBytes(target + u"a.txt"), "a");
  EXPECT_EQ(ReadBytes(target + u"skip.txt"), "<missing>");
  EXPECT_EQ(ReadBytes(target + u"Sub\\b.txt"), "<missing>");
  EXPECT_EQ(ReadBytes(target + u"c.txt"), "<missing>");
}

TEST_F(Decompressor, PartIdentity) {
  init.SetCabinetSetId(0x1234);
  struct Case {
    const char* name;
    uint16_t setId, index;
    int result;
    const char* lastLine;
  };
  const Case cases[] = {
      {"Parts.001", 0x1234, 0, 1, nullptr},
      {"Parts.002", 0x1234, 1, 1, nullptr},
      {"Parts.000", 0x1234, 0, 0, "Could not get cab number for cabinet."},
      {"Parts.001", 0x4321, 0, 0, "Cabinet GUID not matching"},
      {"Parts.002", 0x1234, 0, 0, "Cabinet ID not correct"},
  };
  for (const Case& c : cases) {
    CabSpec spec;
    spec.setId = c.setId;
    spec.index = c.index;
    spec.members = {{"\\a.txt", "a"}};
    Text path = Cab(test::WriteCabinet(spec), Widen(c.name));
    ::DeleteFileW(W(root + u"test.log"));
    CCabDecompressor d(Services(), nullptr, 0);
    EXPECT_EQ(d.ValidateCabinetFile(path), c.result) << c.name;
    EXPECT_EQ(d.GetCabinetSetId(path), c.setId);
    std::string logText = ReadBytes(root + u"test.log");
    if (c.lastLine) {
      EXPECT_NE(logText.find(c.lastLine), std::string::npos) << c.name << logText;
    }
  }
  CCabDecompressor d(Services(), nullptr, 0);
  std::string mscf = MszipFixture();
  mscf.replace(0, 4, "MSCF");
  EXPECT_EQ(d.GetCabinetSetId(Cab(mscf)), 0xFFFFu);
  CabinetInfo info;
  EXPECT_TRUE(d.IsCabinet(Cab(MszipFixture()), info));
  EXPECT_EQ(info.fileCount, 2);
  EXPECT_EQ(info.folderCount, 1);
}

}  // namespace
}  // namespace tovu
