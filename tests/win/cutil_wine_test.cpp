// CUtil on the real Win32 platform. CUtilWine.* runs in any prefix;
// CUtilShaped.* checks drives that tests/wine/scenarios/cutil_drives.sh
// shapes and names in environment variables (TOVU_CUTIL_*). Without
// TOVU_CUTIL_SHAPED=1 the shaped cases are skipped; with it, a missing
// variable is a failure.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "util/cutil.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

Text Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? FromUtf8(v) : Text();
}

bool Exists(const Text& path) { return ::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

void MakeFile(const Text& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  HANDLE h = ::CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << U8(path);
  DWORD n = 0;
  ::WriteFile(h, "data", 4, &n, nullptr);
  ::CloseHandle(h);
  if (attributes != FILE_ATTRIBUTE_NORMAL) {
    ASSERT_TRUE(::SetFileAttributesW(W(path), attributes));
  }
}

class CUtilWine : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t buf[MAX_PATH];
    DWORD n = ::GetTempPathW(MAX_PATH, buf);
    ASSERT_GT(n, 0u);
    base = FromW(buf, n) + u"cutil_wine";
    util.DeleteFolder(base);
    ASSERT_TRUE(::CreateDirectoryW(W(base), nullptr)) << U8(base);
  }
  void TearDown() override { util.DeleteFolder(base); }

  Win32Platform platform;
  CLogFile log{platform};
  CUtil util{platform, log};
  Text base;  // a scratch folder below %TEMP%
};

TEST_F(CUtilWine, ValidatePathCreatesTestsAndRemovesTheNewLevels) {
  ASSERT_TRUE(::CreateDirectoryW(W(base + u"\\New"), nullptr));
  Text path = base + u"\\New\\Deep\\Folder", root;
  EXPECT_EQ(util.ValidatePath(path, root), 0);
  EXPECT_EQ(U8(path), U8(base + u"\\New\\Deep\\Folder\\"));
  EXPECT_EQ(U8(root), U8(base.substr(0, 2)));
  EXPECT_TRUE(Exists(base + u"\\New"));
  EXPECT_FALSE(Exists(base + u"\\New\\Deep"));
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), U8(base + u"\\New\\Deep"));

  // An existing folder: nothing created, nothing deleted, nothing left.
  path = base + u"\\New";
  EXPECT_EQ(util.ValidatePath(path, root), 0);
  EXPECT_TRUE(Exists(base + u"\\New"));
  std::vector<DirEntry> entries;
  EXPECT_EQ(platform.ListFolder(base + u"\\New", entries), 0u);
  EXPECT_TRUE(entries.empty());
}

TEST_F(CUtilWine, ValidatePathRefusesBadNamesAndLength) {
  struct Case {
    Text path;
    int code;
  };
  const Case cases[] = {
      {base + u"\\a|b", 161},
      {base + u"\\a?b", 161},
      {base + u"\\LPT1\\x", 161},
      {base + u"\\...", 161},
      {base + u"\\" + Text(254 - base.size(), u'n'), 206},  // 256 with the backslash
      {u"Relative\\x", 161},
  };
  for (const Case& c : cases) {
    Text path = c.path, root;
    EXPECT_EQ(util.ValidatePath(path, root), c.code) << U8(c.path);
  }
  // ".." is fine as a component and is resolved.
  Text path = base + u"\\x\\..\\Tgt", root;
  EXPECT_EQ(util.ValidatePath(path, root), 0);
  EXPECT_EQ(U8(path), U8(base + u"\\Tgt\\"));
  EXPECT_FALSE(Exists(base + u"\\Tgt"));
  // con.txt passes the name check (only whole components are compared);
  // the system then takes it for the console device and creates nothing.
  path = base + u"\\con.txt";
  EXPECT_EQ(util.ValidatePath(path, root), 5);
}

TEST_F(CUtilWine, DeleteFolderRemovesReadOnlyFiles) {
  ASSERT_TRUE(::CreateDirectoryW(W(base + u"\\T"), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(W(base + u"\\T\\Sub"), nullptr));
  MakeFile(base + u"\\T\\ro.txt", FILE_ATTRIBUTE_READONLY);
  MakeFile(base + u"\\T\\Sub\\ro2.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  MakeFile(base + u"\\T\\Sub\\plain.txt");
  EXPECT_NE(util.DeleteFolder(base + u"\\T"), 0);
  EXPECT_FALSE(Exists(base + u"\\T"));
  EXPECT_EQ(util.DeleteFolder(base + u"\\T"), -1);
}

TEST_F(CUtilWine, DeleteFolderReportListsAnOpenFile) {
  ASSERT_TRUE(::CreateDirectoryW(W(base + u"\\T"), nullptr));
  MakeFile(base + u"\\T\\a.txt");
  MakeFile(base + u"\\T\\busy.txt");
  MakeFile(base + u"\\T\\z.txt");
  // Held open without delete sharing: DeleteFileW fails.
  HANDLE h = ::CreateFileW(W(base + u"\\T\\busy.txt"), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  TextList leftovers;
  EXPECT_EQ(util.DeleteFolderReport(base + u"\\T", leftovers), 0);
  ::CloseHandle(h);
  EXPECT_EQ(std::vector<Text>(leftovers.begin(), leftovers.end()), std::vector<Text>{base + u"\\T\\busy.txt"});
  EXPECT_FALSE(Exists(base + u"\\T\\a.txt"));
  EXPECT_FALSE(Exists(base + u"\\T\\z.txt"));
}

TEST_F(CUtilWine, FileExistsAndModulePath) {
  const Text module = util.GetModulePath();
  ASSERT_FALSE(module.empty());
  EXPECT_EQ(util.FileExists(module), 1);
  EXPECT_EQ(U8(util.GetModuleName()), "win_cutil_wine_test.exe");
  EXPECT_EQ(util.FileExists(base + u"\\missing.txt"), 0);
  EXPECT_EQ(util.FileExists(base), 1);
  // 256 characters: refused without a look, even though the folder part exists.
  Text longPath = base + u"\\" + Text(255 - base.size(), u'q');
  ASSERT_EQ(longPath.size(), 256u);
  EXPECT_EQ(util.FileExists(longPath), 0);
}

TEST_F(CUtilWine, ExpandsThePrefixEnvironment) {
  wchar_t buf[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableW(L"TEMP", buf, MAX_PATH);
  ASSERT_GT(n, 0u);
  const Text temp = FromW(buf, n);
  EXPECT_EQ(U8(util.ExpandEnvPath(u"%TEMP%\\Pkg")), U8(temp + u"\\Pkg"));
  EXPECT_EQ(U8(util.ExpandEnvPath(u"%temp%\\Pkg")), U8(temp + u"\\Pkg"));
  Text params = u"/log \"%TEMP%\\s.log\" /dir=%TEMP%";
  util.ExpandEnvVars(params);
  EXPECT_EQ(U8(params), U8(u"/log \"" + temp + u"\\s.log\" /dir=" + temp));  // every occurrence
  EXPECT_FALSE(util.GetErrorText(5).empty());
}

TEST_F(CUtilWine, GetDiskFreeAgreesWithTheSystem) {
  ULARGE_INTEGER avail{}, total{}, freeBytes{};
  ASSERT_TRUE(::GetDiskFreeSpaceExW(L"C:\\", &avail, &total, &freeBytes));
  uint64_t ours = util.GetDiskFree(u"C:\\");
  EXPECT_GT(ours, 0u);
  // Other processes write meanwhile: allow a few MiB.
  uint64_t diff = ours > freeBytes.QuadPart ? ours - freeBytes.QuadPart : freeBytes.QuadPart - ours;
  EXPECT_LT(diff, 64ull << 20) << ours << " vs " << freeBytes.QuadPart;
  EXPECT_EQ(util.GetDiskFree(u"Q:\\"), 0u);
}

TEST_F(CUtilWine, ReadIniSectionMatchesThePlatformReader) {
  const Text ini = base + u"\\p.ini";
  const char16_t text[] = u"\uFEFF[OS]\r\nName=first\r\n Key2 = v=w \r\nNAME=second\r\nlonely\r\n[Next]\r\nx=y\r\n";
  HANDLE h = ::CreateFileW(W(ini), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  ::WriteFile(h, text, static_cast<DWORD>((sizeof(text) / sizeof(text[0]) - 1) * 2), &n, nullptr);
  ::CloseHandle(h);

  // The platform's own section read, folded by the same rule by hand.
  wchar_t buf[2048];
  DWORD got = ::GetPrivateProfileSectionW(L"OS", buf, 2000, W(ini));
  TextMap expected;
  std::vector<Text> lines;
  for (const wchar_t* p = buf; p < buf + got && *p; p += wcslen(p) + 1) lines.push_back(FromW(p));
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    size_t eq = it->find(u'=');
    if (eq == Text::npos) expected[Text()] = *it;
    else expected[ToLower(TextView(*it).substr(0, eq))] = it->substr(eq + 1);
  }
  ASSERT_EQ(expected.count(u"name"), 1u);
  EXPECT_EQ(U8(expected[u"name"]), "first");

  TextMap map;
  EXPECT_EQ(util.ReadIniSection(ini, u"OS", map, 2048), static_cast<int>(lines.size()));
  EXPECT_EQ(map, expected);
}

// ---- shaped drives -------------------------------------------------------------

class CUtilShaped : public CUtilWine {
 protected:
  void SetUp() override {
    if (Env("TOVU_CUTIL_SHAPED") != u"1") GTEST_SKIP() << "drives are shaped by the cutil_drives scenario";
    CUtilWine::SetUp();
  }
  // A variable the scenario must set.
  Text Need(const char* name) {
    Text v = Env(name);
    EXPECT_FALSE(v.empty()) << name << " is not set";
    return v;
  }
};

TEST_F(CUtilShaped, ValidatePathByDriveKind) {
  struct Case {
    const char* variable;
    const char16_t* below;
    int code;
  };
  const Case cases[] = {
      {"TOVU_CUTIL_CDROM", u"Pkg", 161},       // CD-ROM drive
      {"TOVU_CUTIL_READONLY", u"", 5},         // read-only fixed drive, its root
      {"TOVU_CUTIL_READONLY", u"Pkg\\Sub", 5},
      {"TOVU_CUTIL_NETWORK", u"", 82},         // read-only network drive
      {"TOVU_CUTIL_NETWORK", u"Pkg", 82},
      {"TOVU_CUTIL_UNC_RO", u"Pkg", 82},       // read-only share
      {"TOVU_CUTIL_UNC_RO", u"", 82},
      {"TOVU_CUTIL_UNC_RW", u"Pkg\\Sub", 0},   // writable share
      {"TOVU_CUTIL_FIXED", u"Pkg\\Sub", 0},
  };
  for (const Case& c : cases) {
    Text rootText = Need(c.variable);  // "D:\" or "\\srv\share\"
    Text path = rootText + c.below, root;
    EXPECT_EQ(util.ValidatePath(path, root), c.code) << c.variable << " " << U8(path);
    if (c.code == 0) {
      EXPECT_FALSE(Exists(rootText + u"Pkg")) << "left behind: " << U8(rootText + u"Pkg");
    }
  }
  Text share = Need("TOVU_CUTIL_UNC_RW") + u"A\\..\\B", root;
  EXPECT_EQ(util.ValidatePath(share, root), 0);
  EXPECT_EQ(U8(root), U8(Need("TOVU_CUTIL_UNC_RW")));
  EXPECT_EQ(U8(share), U8(Need("TOVU_CUTIL_UNC_RW") + u"B\\"));
}

TEST_F(CUtilShaped, FindDrivesListsTheHighestLetterFirst) {
  const uint64_t required = 16ull << 20;
  TextList fixed;
  EXPECT_EQ(util.FindDrives(fixed, 3, required), 0);
  Text joined;
  for (const Text& d : fixed) joined += (joined.empty() ? u"" : u",") + d;
  EXPECT_EQ(U8(joined), U8(Need("TOVU_CUTIL_EXPECT_FIXED")));

  TextList cdrom;
  EXPECT_EQ(util.FindDrives(cdrom, 5, 0), 0);
  joined.clear();
  for (const Text& d : cdrom) joined += (joined.empty() ? u"" : u",") + d;
  EXPECT_EQ(U8(joined), U8(Need("TOVU_CUTIL_EXPECT_CDROM")));
}

TEST_F(CUtilShaped, GetDiskFreeOfAFilesystemOfKnownSize) {
  const Text small = Need("TOVU_CUTIL_SMALL");
  const uint64_t smallBytes = std::strtoull(std::getenv("TOVU_CUTIL_SMALL_BYTES"), nullptr, 10);
  EXPECT_EQ(util.GetDiskFree(small), smallBytes);
  const Text big = Need("TOVU_CUTIL_BIG");  // more than 4 GiB free
  const uint64_t bigBytes = std::strtoull(std::getenv("TOVU_CUTIL_BIG_BYTES"), nullptr, 10);
  ASSERT_GT(bigBytes, 0xFFFFFFFFull);
  EXPECT_EQ(util.GetDiskFree(big), bigBytes);
  double value = 0;
  Text unit;
  CUtil::FormatSize(util.GetDiskFree(big), value, unit);
  EXPECT_EQ(U8(Format(u"%.02f %s", value, unit)), U8(Need("TOVU_CUTIL_BIG_PRINTED")));
}

TEST_F(CUtilShaped, DeleteFolderNeverFollowsALinkOutOfTheTree) {
  // LINK_TREE holds a plain file, a subfolder and a folder link to a folder
  // outside the tree that holds KEEP_FILE.
  const Text tree = Need("TOVU_CUTIL_LINK_TREE");
  const Text keep = Need("TOVU_CUTIL_KEEP_FILE");
  const Text link = Need("TOVU_CUTIL_LINK");
  ASSERT_TRUE(Exists(keep));
  DWORD a = ::GetFileAttributesW(W(link));
  ASSERT_NE(a, INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));

  TextList leftovers;
  int result = util.DeleteFolderReport(tree, leftovers);
  EXPECT_TRUE(Exists(keep)) << "deletion went through the link";
  EXPECT_FALSE(Exists(tree + u"\\plain.txt"));
  EXPECT_FALSE(Exists(tree + u"\\Sub"));
  // Removing the link itself may fail (Wine removes no folder link); then
  // it is the one leftover and the tree stays.
  if (Exists(link)) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::vector<Text>(leftovers.begin(), leftovers.end()), std::vector<Text>{link});
  } else {
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(leftovers.empty());
  }
  util.DeleteFolder(tree);
  EXPECT_TRUE(Exists(keep));
}

}  // namespace
}  // namespace tovu
