#include <gtest/gtest.h>

#include <vector>

#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "util/cutil.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::CaptureLog;
using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }

std::vector<Text> Items(const TextList& l) { return std::vector<Text>(l.begin(), l.end()); }

class CUtilTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.SetEnv(u"TEMP", u"C:\\Users\\tester\\Temp");
    fake.SetEnv(u"TMP", u"C:\\Users\\tester\\Tmp");
    fake.SetEnv(u"SYSTEMDRIVE", u"C:");
    fake.SetCurrentDirectory(u"C:\\Work\\Sub");
    fake.AddFolder(u"C:\\Work\\Sub");
  }
  // Folders and files below `root` (see FakePlatform::ListAll).
  std::vector<Text> Tree(const Text& root) { return fake.ListAll(root); }

  FakePlatform fake;
  CaptureLog log{fake};
  CUtil util{fake, log};
};

// ---- environment placeholders ---------------------------------------------------

TEST_F(CUtilTest, ExpandEnvPathReplacesOnlyALeadingPlaceholder) {
  struct Case {
    Text in, out;
  };
  const Case cases[] = {
      {u"%TEMP%\\Pkg", u"C:\\Users\\tester\\Temp\\Pkg"},
      {u"%temp%\\Pkg", u"C:\\Users\\tester\\Temp\\Pkg"},
      {u"C:\\%TEMP%", u"C:\\%TEMP%"},
      {u"%UNSET%\\Pkg", u""},                              // unset name: the whole path is empty
      {u"%TEMP%\\a%TMP%b", u"C:\\Users\\tester\\Temp\\a%TMP%b"},  // the rest is taken as it is
      {u"%SYSTEMDRIVE%", u"C:"},
      {u"%%\\x", u""},
      {u"", u""},
      {u"Pkg", u"Pkg"},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(util.ExpandEnvPath(c.in)), U8(c.out)) << U8(c.in);
}

TEST_F(CUtilTest, IsEnvVarPresentWalksTheTokensWithTheScanPosition) {
  const Text text = u"run %TEMP%\\a \"%tmp%\" %TEMP%";
  EXPECT_EQ(util.IsEnvVarPresent(text), 4);
  EXPECT_EQ(util.GetScanPosition(), 10u);
  EXPECT_EQ(util.IsEnvVarPresent(text), 14);
  EXPECT_EQ(util.GetScanPosition(), 19u);
  EXPECT_EQ(util.IsEnvVarPresent(text), -1);  // the last token ends the text
  EXPECT_TRUE(log.lines.empty());

  // A character other than backslash, blank or quote behind the token.
  util.ResetScanPosition();
  EXPECT_EQ(util.IsEnvVarPresent(u"%TEMP%x\\"), -1);
  EXPECT_EQ(util.IsEnvVarPresent(u"no placeholder"), -1);
}

TEST_F(CUtilTest, AllFifteenSupportedNamesPassWithoutWarningOthersWarn) {
  const char16_t* names[] = {u"%TEMP%",         u"%TMP%",          u"%WINDIR%",      u"%ALLUSERSPROFILE%",
                             u"%UserProfile%",  u"%SYSTEMROOT%",   u"%APPDATA%",     u"%SYSTEMDRIVE%",
                             u"%COMMONPROGRAMFILES%", u"%HOMEDRIVE%", u"%HOMEPATH%", u"%LOCALAPPDATA%",
                             u"%PROGRAMDATA%",  u"%PROGRAMFILES%", u"%public%"};
  for (const char16_t* n : names) {
    util.ResetScanPosition();
    EXPECT_EQ(util.IsEnvVarPresent(Text(n) + u"\\x"), 0) << U8(n);
  }
  EXPECT_TRUE(log.lines.empty());

  util.ResetScanPosition();
  EXPECT_EQ(util.IsEnvVarPresent(u"a %PATH% b"), 2);
  EXPECT_EQ(util.GetScanPosition(), 8u);
  ASSERT_EQ(log.lines.size(), 1u);
  EXPECT_EQ(log.lines[0].level, LOG_WARNING);
  EXPECT_EQ(U8(log.lines[0].function), "IsEnvVarPresent");
  EXPECT_EQ(U8(log.lines[0].message), "Env variable not supported..");
}

TEST_F(CUtilTest, ExpandEnvVarsExpandsTokensFollowedByBackslashBlankOrQuote) {
  fake.SetEnv(u"MYVAR", u"V");
  fake.SetEnv(u"PCT", u"50%\\x");
  struct Case {
    Text in, out;
  };
  const Text t = u"C:\\Users\\tester\\Temp";
  const Case cases[] = {
      {u"/log=%TEMP%\\setup.log", u"/log=" + t + u"\\setup.log"},
      {u"/log=\"%TEMP%\" /q", u"/log=\"" + t + u"\" /q"},
      {u"%TEMP% /q", t + u" /q"},
      {u"/dir=%TEMP%", u"/dir=%TEMP%"},                       // token at the very end stays
      {u"%TEMP%.log %TMP%\\x", u"%TEMP%.log %TMP%\\x"},       // the first miss ends the scan
      {u"%TEMP%\\a;%TEMP%\\b", t + u"\\a;" + t + u"\\b"},     // every occurrence
      {u"%MYVAR%\\x", u"V\\x"},                               // unsupported but set: expanded
      {u"%NOPE%\\x", u"%NOPE%\\x"},                           // unsupported and unset: kept
      // A value shorter than its token skips no later token.
      {u"%SYSTEMDRIVE%\\x %TEMP%\\y", u"C:\\x " + t + u"\\y"},
      // A "%" inside a value is not taken for the start of another token.
      {u"%PCT%\\a %TMP%\\b", u"50%\\x\\a C:\\Users\\tester\\Tmp\\b"},
  };
  for (const Case& c : cases) {
    Text text = c.in;
    util.ExpandEnvVars(text);
    EXPECT_EQ(U8(text), U8(c.out)) << U8(c.in);
  }
  int warnings = 0;
  for (const auto& l : log.lines) warnings += l.message == u"Env variable not supported..";
  EXPECT_EQ(warnings, 3);  // %MYVAR%, %NOPE%, %PCT%
}

// ---- path texts --------------------------------------------------------------

TEST_F(CUtilTest, PathTextHelpers) {
  struct Case {
    Text in, out;
  };
  for (const Case& c : {Case{u"C:\\a", u"C:\\a\\"}, Case{u"C:\\a\\", u"C:\\a\\"}, Case{u"", u""}}) {
    Text p = c.in;
    CUtil::AddTrailingBackslash(p);
    EXPECT_EQ(U8(p), U8(c.out));
  }
  fake.SetUserName(u"root");
  for (const Case& c : {Case{u"C:\\Logs\\Tovu.log", u"C:\\Logs\\Tovu_root.log"},
                        Case{u"C:\\Logs\\Tovu", u"C:\\Logs\\Tovu_root"},
                        Case{u"C:\\a.b\\log", u"C:\\a.b\\log_root"},
                        Case{u"C:\\Logs\\x.tar.gz", u"C:\\Logs\\x.tar_root.gz"},
                        Case{u"Tovu.log", u"Tovu_root.log"}}) {
    EXPECT_EQ(U8(util.AppendUserName(c.in)), U8(c.out));
  }

  EXPECT_EQ(U8(util.GetModulePath()), "C:\\Package\\Package.exe");
  EXPECT_EQ(U8(util.GetModuleFolder()), "C:\\Package");
  EXPECT_EQ(U8(util.GetModuleName()), "Package.exe");
  fake.SetModulePath(u"");
  EXPECT_EQ(util.GetModulePath(), u"");
  EXPECT_EQ(util.GetModuleFolder(), u"");
  EXPECT_EQ(util.GetModuleName(), u"");
}

TEST_F(CUtilTest, ReservedNamesAndDotsAreRefusedOnlyAsWholeComponents) {
  struct Case {
    const char16_t* component;
    int valid;
  };
  const Case cases[] = {
      {u"LPT1", 0}, {u"lpt9", 0}, {u"CON", 0}, {u"nul", 0}, {u"Com5", 0}, {u"PRN", 0}, {u"AUX", 0},
      {u"...", 0},  {u".", 0},    {u"....", 0}, {u"..", 1},  {u"con.txt", 1}, {u"LPT1.log", 1}, {u"COM0", 1},
      {u"LPT10", 1}, {u"a.", 1},  {u"Folder", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(CUtil::IsValidPathComponent(c.component), c.valid) << U8(c.component);
}

// ---- ValidatePath ------------------------------------------------------------

TEST_F(CUtilTest, ValidatePathRefusesBadTexts) {
  struct Case {
    Text path;
    int code;
  };
  const Case cases[] = {
      {u"C:\\a\"b", 161}, {u"C:\\a/b", 161},   {u"C:\\a*", 161},       {u"C:\\a?", 161},
      {u"C:\\a>b", 161},  {u"C:\\a<b", 161},   {u"C:\\a|b", 161},      {u"C:\\x\\LPT1\\y", 161},
      {u"C:\\x\\...\\y", 161}, {u"C:\\x\\.\\y", 161}, {u"Target", 161}, {u".\\Target", 161},
      {u"C:Target", 161}, {u"C:\\a:b", 161},   {u"\\\\server", 161},   {u"\\\\server\\", 161},
      {u"\\\\-srv\\share", 161}, {u"\\\\srv\\\\x", 161}, {u"1:\\x", 161}, {u"", 161},
  };
  for (const Case& c : cases) {
    Text path = c.path, root;
    EXPECT_EQ(util.ValidatePath(path, root), c.code) << U8(c.path);
  }
  EXPECT_EQ(fake.createDirectoryCalls, 0);
}

TEST_F(CUtilTest, ValidatePathLengthLimitIs255WithTheBackslash) {
  // On a CD-ROM drive a path that passes the length check is refused for
  // its drive (161), so the code tells which check refused it.
  fake.AddDrive('D', drivetype::kCdrom);
  auto pathOf = [](size_t length) {
    Text p = u"D:";
    while (p.size() + 51 < length) p += u"\\" + Text(50, u'd');
    p += u"\\" + Text(length - p.size() - 2, u'e');
    return p;  // ValidatePath adds the backslash: `length` characters
  };
  Text ok = pathOf(255), root;
  ASSERT_EQ(ok.size(), 254u);
  EXPECT_EQ(util.ValidatePath(ok, root), 161);
  EXPECT_EQ(ok.size(), 255u);
  Text tooLong = pathOf(256);
  EXPECT_EQ(util.ValidatePath(tooLong, root), 206);
  Text tooLongWithBackslash = pathOf(256) + u"\\";
  EXPECT_EQ(util.ValidatePath(tooLongWithBackslash, root), 206);
}

TEST_F(CUtilTest, ValidatePathRefusesARelativePathWhoseFullFormIsTooLong) {
  Text cwd = u"C:";
  for (int i = 0; i < 5; ++i) cwd += u"\\" + Text(49, u'w');
  fake.AddFolder(cwd);
  fake.SetCurrentDirectory(cwd);
  Text path = u"..\\" + Text(60, u't'), root;  // 64 characters, full form of 264
  EXPECT_EQ(util.ValidatePath(path, root), 206);
}

TEST_F(CUtilTest, ValidatePathAcceptsDotDotAndMakesRelativePathsFull) {
  struct Case {
    Text in, full;
  };
  const Case cases[] = {
      {u"..\\Target", u"C:\\Work\\Target\\"}, {u"\\..\\Target", u"C:\\Target\\"},
      {u"\\..", u"C:\\"},                     {u"..\\", u"C:\\Work\\"},
      {u"C:\\Work\\x\\..\\Tgt", u"C:\\Work\\Tgt\\"}, {u"c:\\con.txt", u"c:\\con.txt\\"},
  };
  for (const Case& c : cases) {
    Text path = c.in, root;
    EXPECT_EQ(util.ValidatePath(path, root), 0) << U8(c.in);
    EXPECT_EQ(U8(path), U8(c.full));
    EXPECT_EQ(U8(root), U8(c.full.substr(0, 2)));
  }
  // Nothing of the checks stays behind.
  EXPECT_EQ(Tree(u"C:\\"), (std::vector<Text>{u"C:\\", u"C:\\Work\\", u"C:\\Work\\Sub\\"}));
}

TEST_F(CUtilTest, ValidatePathMapsDriveKindsToCodes) {
  fake.AddDrive('D', drivetype::kCdrom);
  fake.AddDrive('F', drivetype::kRemovable);
  fake.AddDrive('N', drivetype::kRemote, 1ull << 30, /*readOnly=*/true);
  fake.AddDrive('R', drivetype::kFixed, 1ull << 30, /*readOnly=*/true);
  fake.AddDrive('M', drivetype::kRamdisk);
  fake.AddDrive('S', drivetype::kRemote);
  struct Case {
    Text path;
    int code;
  };
  const Case cases[] = {
      {u"D:\\Pkg", 161},   {u"M:\\Pkg", 161},        {u"Q:\\Pkg", 161},  // CD-ROM, RAM disk, no drive
      {u"F:\\Pkg", 0},     {u"S:\\Pkg\\Sub", 0},     {u"R:\\", 5},       {u"R:\\Pkg", 5},
      {u"N:\\", 82},       {u"N:\\Pkg", 82},
      {u"\\\\srv\\share\\Pkg", 82},  // shares count as remote (the fake models none)
  };
  for (const Case& c : cases) {
    Text path = c.path, root;
    EXPECT_EQ(util.ValidatePath(path, root), c.code) << U8(c.path);
  }
  Text share = u"\\\\srv\\share\\Pkg", root;
  util.ValidatePath(share, root);
  EXPECT_EQ(U8(root), "\\\\srv\\share\\");
  EXPECT_EQ(U8(share), "\\\\srv\\share\\Pkg\\");
}

TEST_F(CUtilTest, ValidatePathCreatesTheMissingLevelsTestsAndDeletesThem) {
  fake.AddDrive('D', drivetype::kFixed);
  fake.AddFolder(u"D:\\New");
  Text path = u"D:\\New\\Deep\\Folder", root;
  EXPECT_EQ(util.ValidatePath(path, root), 0);
  EXPECT_EQ(U8(path), "D:\\New\\Deep\\Folder\\");
  EXPECT_EQ(U8(root), "D:");
  EXPECT_EQ(fake.createDirectoryCalls, 3);  // New (exists), Deep, Folder
  EXPECT_EQ(Tree(u"D:\\"), (std::vector<Text>{u"D:\\", u"D:\\New\\"}));
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), "D:\\New\\Deep");

  // The folder is made for real later and filled; checking it again must
  // not take the first-created folder of the earlier check with it.
  fake.AddFile(u"D:\\New\\Deep\\Folder\\setup.exe", "MZ");
  path = u"D:\\New\\Deep\\Folder";
  EXPECT_EQ(util.ValidatePath(path, root), 0);
  EXPECT_TRUE(fake.IsFile(u"D:\\New\\Deep\\Folder\\setup.exe"));
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), "D:\\New\\Deep");  // never cleared
  EXPECT_EQ(Tree(u"D:\\New\\Deep\\Folder"),
            (std::vector<Text>{u"D:\\New\\Deep\\Folder\\", u"D:\\New\\Deep\\Folder\\setup.exe"}));
}

TEST_F(CUtilTest, ValidatePathFailingPartWayKeepsTheFoldersMadeBefore) {
  fake.AddDrive('D', drivetype::kFixed);
  fake.AddFolder(u"D:\\New");
  fake.FailPath(u"D:\\New\\Deep\\Folder", winerr::kAccessDenied);
  Text path = u"D:\\New\\Deep\\Folder\\Last", root;
  EXPECT_EQ(util.ValidatePath(path, root), 5);
  EXPECT_TRUE(fake.IsFolder(u"D:\\New\\Deep"));
  EXPECT_FALSE(fake.IsFolder(u"D:\\New\\Deep\\Folder"));
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), "D:\\New\\Deep");
}

TEST_F(CUtilTest, CreateFolderPathSkipsBackslashRunsAndRemembersTheOutermost) {
  // The leading "\\" alone is no folder to create; the texts are used as
  // they are (the system folds the doubled backslash).
  EXPECT_EQ(util.CreateFolderPath(u"C:", u"\\\\Work\\A\\B"), 0);
  EXPECT_TRUE(fake.IsFolder(u"C:\\Work\\A\\B"));
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), "C:\\\\Work\\A");
  EXPECT_EQ(util.CreateFolderPath(u"C:", u"\\Work\\A"), 0);  // nothing new
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), "C:\\\\Work\\A");
  EXPECT_EQ(util.CreateFolderPath(u"C:", u"\\Work\\C"), 0);
  EXPECT_EQ(U8(util.GetFirstCreatedFolder()), "C:\\Work\\C");
  EXPECT_EQ(util.CreateFolderPath(u"Q:", u"\\X"), -1);
}

TEST_F(CUtilTest, IsFolderWritableLeavesNoTemporaryFile) {
  fake.AddDrive('R', drivetype::kFixed, 1ull << 30, true);
  EXPECT_EQ(util.IsFolderWritable(u"C:\\Work\\Sub\\"), 1);
  EXPECT_EQ(Tree(u"C:\\Work\\Sub"), (std::vector<Text>{u"C:\\Work\\Sub\\"}));
  EXPECT_EQ(util.IsFolderWritable(u"R:\\"), 0);
  EXPECT_EQ(util.IsFolderWritable(u"C:\\Missing\\"), 0);
}

// ---- folder creation ---------------------------------------------------------

TEST_F(CUtilTest, CreateFolderSetsTheMessageOfTheOutcome) {
  fake.AddFile(u"C:\\file", "x");
  fake.FailPath(u"C:\\Denied", winerr::kAccessDenied);
  const Text deep = u"C:\\" + Text(250, u'x');
  struct Case {
    Text path, message;
  };
  const Case cases[] = {
      {u"C:\\New\\Tree", u"Folder Created:\t\t C:\\New\\Tree"},
      {u"C:\\New\\Tree", u"Folder exists:\t\t C:\\New\\Tree"},
      {u"C:\\file", u"Folder exists:\t\t C:\\file"},
      {u"Q:\\x", u"Path Not Found:\t\t Q:\\x"},
      {u"\\\\srv\\x", u"Bad Path Name:\t\t\t \\\\srv\\x"},
      {deep, u"Exceeds Range:\t\t\t " + deep},
      {u"C:\\Denied", u"unchanged"},
  };
  for (const Case& c : cases) {
    Text message = u"unchanged";
    EXPECT_EQ(util.CreateFolder(c.path, message), 1);
    EXPECT_EQ(U8(message), U8(c.message));
  }
}

TEST_F(CUtilTest, CreateFolderLevelsCreatesFromTheRootDown) {
  EXPECT_EQ(util.CreateFolderLevels(u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log"), 0);
  EXPECT_TRUE(fake.IsFolder(u"C:\\ProgramData\\Maravel\\Automation\\Logfiles"));
  EXPECT_FALSE(fake.IsFolder(u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log"));
  EXPECT_EQ(util.CreateFolderLevels(u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\"), 0);
  fake.FailPath(u"C:\\A\\B", winerr::kAccessDenied);
  EXPECT_EQ(util.CreateFolderLevels(u"C:\\A\\B\\C\\x.log"), -1);
  EXPECT_FALSE(fake.IsFolder(u"C:\\A\\B\\C"));
}

// ---- deletion ----------------------------------------------------------------

class CUtilDeleteTest : public CUtilTest {
 protected:
  void SetUp() override {
    CUtilTest::SetUp();
    fake.AddFile(u"C:\\T\\a.txt", "a", fileattr::kReadOnly);
    fake.AddFile(u"C:\\T\\b.txt", "b");
    fake.AddFile(u"C:\\T\\Sub\\c.txt", "c", fileattr::kReadOnly | fileattr::kHidden);
    fake.AddFile(u"C:\\T\\Sub\\Deeper\\d.txt", "d");
    fake.AddFolder(u"C:\\T\\Empty");
  }
};

TEST_F(CUtilDeleteTest, DeleteFolderRemovesTheTreeWithReadOnlyFiles) {
  EXPECT_NE(util.DeleteFolder(u"C:\\T\\"), 0);
  EXPECT_FALSE(fake.IsFolder(u"C:\\T"));
  EXPECT_EQ(util.DeleteFolder(u"C:\\T"), -1);          // gone
  EXPECT_EQ(util.DeleteFolder(u"C:\\Work\\nothing"), -1);
  fake.AddFile(u"C:\\f.txt", "x");
  EXPECT_EQ(util.DeleteFolder(u"C:\\f.txt"), -1);      // a file is not a folder
  EXPECT_TRUE(fake.IsFile(u"C:\\f.txt"));
}

TEST_F(CUtilDeleteTest, DeleteFolderStopsAtTheFirstEntryThatStays) {
  fake.FailPath(u"C:\\T\\a.txt", winerr::kSharingViolation);
  EXPECT_EQ(util.DeleteFolder(u"C:\\T"), 0);
  EXPECT_TRUE(fake.IsFile(u"C:\\T\\b.txt"));  // after a.txt: not reached
  EXPECT_TRUE(fake.IsFile(u"C:\\T\\Sub\\c.txt"));
}

TEST_F(CUtilDeleteTest, DeleteFolderReportGoesOnAndListsTheLeftoversHeadFirst) {
  fake.FailPath(u"C:\\T\\a.txt", winerr::kSharingViolation);
  fake.FailPath(u"C:\\T\\Sub\\Deeper\\d.txt", winerr::kAccessDenied);
  TextList leftovers{u"earlier"};
  EXPECT_EQ(util.DeleteFolderReport(u"C:\\T", leftovers), 0);
  EXPECT_EQ(Items(leftovers), (std::vector<Text>{u"C:\\T\\Sub\\Deeper\\d.txt", u"C:\\T\\a.txt", u"earlier"}));
  EXPECT_EQ(Tree(u"C:\\T"), (std::vector<Text>{u"C:\\T\\", u"C:\\T\\Sub\\", u"C:\\T\\Sub\\Deeper\\",
                                               u"C:\\T\\Sub\\Deeper\\d.txt", u"C:\\T\\a.txt"}));
  leftovers.clear();
  EXPECT_EQ(util.DeleteFolderReport(u"C:\\Nothing", leftovers), -1);
  EXPECT_TRUE(leftovers.empty());
}

TEST_F(CUtilDeleteTest, LinksAreRemovedNeverFollowed) {
  fake.AddDrive('D', drivetype::kFixed);
  fake.AddFile(u"D:\\Data\\keep.txt", "keep");
  fake.AddFile(u"D:\\Data\\More\\keep2.txt", "keep");
  fake.AddFolderLink(u"C:\\T\\Sub\\ToData", u"D:\\Data");
  fake.AddFolderLink(u"C:\\T\\Loop", u"C:\\T");
  ASSERT_TRUE(fake.IsFile(u"C:\\T\\Sub\\ToData\\keep.txt"));  // the fake follows paths through it

  EXPECT_NE(util.DeleteFolder(u"C:\\T"), 0);
  EXPECT_FALSE(fake.IsFolder(u"C:\\T"));
  EXPECT_TRUE(fake.IsFile(u"D:\\Data\\keep.txt"));
  EXPECT_TRUE(fake.IsFile(u"D:\\Data\\More\\keep2.txt"));

  // A link given as the folder itself: the link goes, its target stays.
  fake.AddFolderLink(u"C:\\Link", u"D:\\Data");
  EXPECT_NE(util.DeleteFolder(u"C:\\Link\\"), 0);
  EXPECT_EQ(Tree(u"D:\\"), (std::vector<Text>{u"D:\\", u"D:\\Data\\", u"D:\\Data\\More\\",
                                              u"D:\\Data\\More\\keep2.txt", u"D:\\Data\\keep.txt"}));
}

TEST_F(CUtilDeleteTest, DriveRootsAreNeverEmptied) {
  fake.AddDrive('D', drivetype::kFixed);
  fake.AddFile(u"D:\\Data\\keep.txt", "keep");
  EXPECT_EQ(util.DeleteFolder(u"D:\\"), 0);
  EXPECT_EQ(util.DeleteFolder(u"D:"), 0);
  TextList leftovers;
  EXPECT_EQ(util.DeleteFolderReport(u"D:\\", leftovers), 0);
  EXPECT_TRUE(fake.IsFile(u"D:\\Data\\keep.txt"));
}

TEST_F(CUtilTest, DeepTreesDoNotExhaustTheStack) {
  Text path = u"C:\\Deep";
  for (int i = 0; i < 3000; ++i) path += u"\\d";
  fake.AddFile(path + u"\\leaf.txt", "x");
  // Far beyond any real path limit: the walk gives up below its depth
  // limit instead of recursing, and says the folder is still there.
  EXPECT_EQ(util.DeleteFolder(u"C:\\Deep"), 0);
  EXPECT_TRUE(fake.IsFolder(u"C:\\Deep"));

  Text shallow = u"C:\\Shallow";
  for (int i = 0; i < 300; ++i) shallow += u"\\d";
  fake.AddFile(shallow + u"\\leaf.txt", "x");
  EXPECT_NE(util.DeleteFolder(u"C:\\Shallow"), 0);
  EXPECT_FALSE(fake.IsFolder(u"C:\\Shallow"));
}

TEST_F(CUtilTest, ClearReadOnlyClearsAllAttributesOfAReadOnlyFile) {
  fake.AddFile(u"C:\\ro.txt", "x", fileattr::kReadOnly | fileattr::kHidden);
  fake.AddFile(u"C:\\rw.txt", "x", fileattr::kHidden);
  EXPECT_EQ(util.ClearReadOnly(u"C:\\ro.txt"), 0u);
  EXPECT_EQ(fake.FileAttributes(u"C:\\ro.txt", nullptr), fileattr::kNormal);
  EXPECT_EQ(util.ClearReadOnly(u"C:\\rw.txt"), 0u);
  EXPECT_EQ(fake.FileAttributes(u"C:\\rw.txt", nullptr), fileattr::kHidden);  // not read-only: untouched
  EXPECT_EQ(util.ClearReadOnly(u"C:\\missing.txt"), winerr::kFileNotFound);
  fake.AddFile(u"C:\\locked.txt", "x", fileattr::kReadOnly);
  fake.FailPath(u"C:\\locked.txt", winerr::kAccessDenied);
  EXPECT_EQ(util.ClearReadOnly(u"C:\\locked.txt"), winerr::kAccessDenied);
}

// ---- other -------------------------------------------------------------------

TEST_F(CUtilTest, SplitTextTrimsDropsEmptyPiecesAndRunsLastToFirst) {
  struct Case {
    Text text, separator;
    std::vector<Text> list;
  };
  const Case cases[] = {
      {u" a , b ,, c ,\t", u",", {u"c", u"b", u"a"}},
      {u"1033||1031 || ", u"||", {u"1031", u"1033"}},
      {u"single", u",", {u"single"}},
      {u"", u",", {}},
      {u" , ,", u",", {}},
      {u" whole ", u"", {u"whole"}},
  };
  for (const Case& c : cases) {
    TextList out;
    CUtil::SplitText(c.text, c.separator, out);
    EXPECT_EQ(Items(out), c.list) << U8(c.text);
  }
  TextList out{u"old"};
  CUtil::SplitText(u"x,y", u",", out);
  EXPECT_EQ(Items(out), (std::vector<Text>{u"y", u"x", u"old"}));
}

TEST_F(CUtilTest, FileExistsLooksOnlyBelow256Characters) {
  fake.AddFile(u"C:\\Work\\a.txt", "x");
  EXPECT_EQ(util.FileExists(u"C:\\Work\\a.txt"), 1);
  EXPECT_EQ(util.FileExists(u"C:\\Work"), 1);
  EXPECT_EQ(util.FileExists(u"C:\\Work\\b.txt"), 0);
  Text p255 = u"C:\\" + Text(252, u'f');
  Text p256 = u"C:\\" + Text(253, u'f');
  fake.AddFile(p255, "x");
  fake.AddFile(p256, "x");
  EXPECT_EQ(util.FileExists(p255), 1);
  EXPECT_EQ(util.FileExists(p256), 0);
}

TEST_F(CUtilTest, FindDrivesListsTheHighestLetterFirst) {
  const uint64_t gib = 1ull << 30;
  fake.AddDrive('C', drivetype::kFixed, 6 * gib);
  fake.AddDrive('D', drivetype::kCdrom, 0);
  fake.AddDrive('E', drivetype::kFixed, 6 * gib);
  fake.AddDrive('F', drivetype::kFixed, 4 * gib);
  fake.AddDrive('G', drivetype::kRemovable, 100 * gib);
  fake.AddDrive('H', drivetype::kCdrom, gib);
  fake.AddDrive('N', drivetype::kRemote, 100 * gib);
  struct Case {
    int kind;
    uint64_t required;
    std::vector<Text> list;
  };
  const Case cases[] = {
      {3, 1 * gib, {u"F:\\", u"E:\\", u"C:\\"}},
      {3, 5 * gib, {u"E:\\", u"C:\\"}},  // above 4 GiB: compared in 64 bits
      {3, 6 * gib, {u"E:\\", u"C:\\"}},  // "at least"
      {3, 6 * gib + 1, {}},
      {5, 0, {u"H:\\", u"D:\\"}},
      {4, 0, {}},
  };
  for (const Case& c : cases) {
    TextList out;
    EXPECT_EQ(util.FindDrives(out, c.kind, c.required), 0);
    EXPECT_EQ(Items(out), c.list) << c.kind << " " << c.required;
  }
  for (char l : {'C', 'D', 'E', 'F', 'G', 'H', 'N'}) fake.RemoveDrive(l);
  TextList out;
  EXPECT_EQ(util.FindDrives(out, 3, 0), -1);
}

TEST_F(CUtilTest, GetDiskFreeMultipliesIn64Bits) {
  fake.AddDrive('E', drivetype::kFixed, 20ull << 30);
  EXPECT_EQ(util.GetDiskFree(u"E:\\"), 20ull << 30);
  EXPECT_EQ(util.GetDiskFree(u"Q:\\"), 0u);
}

TEST_F(CUtilTest, FormatSizeChoosesTheUnitAtTheBoundaries) {
  struct Case {
    uint64_t bytes;
    double value;
    const char16_t* unit;
    const char* printed;
  };
  const Case cases[] = {
      {0, 0.0, u"KB", "0.00 KB"},
      {1024, 1.0, u"KB", "1.00 KB"},
      {1048576, 1024.0, u"KB", "1024.00 KB"},
      {1048577, 1048577.0 / 1048576.0, u"MB", "1.00 MB"},
      {1572864, 1.5, u"MB", "1.50 MB"},
      {1073741824, 1024.0, u"MB", "1024.00 MB"},
      {1073741825, 1073741825.0 / 1073741824.0, u"GB", "1.00 GB"},
      {5ull << 30, 5.0, u"GB", "5.00 GB"},
      {3ull << 40, 3072.0, u"GB", "3072.00 GB"},
  };
  for (const Case& c : cases) {
    double value = -1;
    Text unit;
    CUtil::FormatSize(c.bytes, value, unit);
    EXPECT_DOUBLE_EQ(value, c.value) << c.bytes;
    EXPECT_EQ(U8(unit), U8(c.unit)) << c.bytes;
    EXPECT_EQ(U8(Format(u"%.02f %s", value, unit)), c.printed);
  }
}

TEST_F(CUtilTest, GetErrorTextAsksThePlatform) {
  EXPECT_EQ(U8(util.GetErrorText(5)), "Access is denied.\r\n");
}

// ---- ReadIniSection ----------------------------------------------------------

std::vector<uint8_t> Utf16File(const Text& text) {
  std::vector<uint8_t> b{0xFF, 0xFE};
  for (char16_t c : text) {
    b.push_back(static_cast<uint8_t>(c & 0xFF));
    b.push_back(static_cast<uint8_t>(c >> 8));
  }
  return b;
}

TEST_F(CUtilTest, ReadIniSectionKeepsTheFirstLineOfAKeyInLowerCase) {
  fake.AddFile(u"C:\\p.ini", Utf16File(u"[Other]\r\nName=other\r\n[OS]\r\nName=first\r\nKey2=v=w\r\n"
                                       u"NAME=second\r\nlonely\r\n\r\n[Last]\r\nx=y\r\n"));
  TextMap map{{u"kept", u"1"}};
  EXPECT_EQ(util.ReadIniSection(u"C:\\p.ini", u"OS", map, 2048), 4);
  EXPECT_EQ(map, (TextMap{{u"", u"lonely"}, {u"key2", u"v=w"}, {u"kept", u"1"}, {u"name", u"first"}}));

  TextMap none;
  EXPECT_EQ(util.ReadIniSection(u"C:\\p.ini", u"Missing", none, 0), 0);
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(util.ReadIniSection(u"C:\\missing.ini", u"OS", none, 0), 0);
}

TEST_F(CUtilTest, ReadIniSectionReadsAtMost2000CharactersAndNoMoreThanTheBuffer) {
  Text ini = u"[S]\r\n";
  for (int i = 0; i < 300; ++i) ini += Format(u"key%03d=value\r\n", i);
  fake.AddFile(u"C:\\big.ini", Utf16File(ini));
  TextMap map;
  int lines = util.ReadIniSection(u"C:\\big.ini", u"S", map, 2048);
  EXPECT_GT(lines, 100);
  EXPECT_LE(lines, 2000 / 13 + 1);  // 12 characters and a zero each
  EXPECT_EQ(map.count(u"key000"), 1u);
  EXPECT_EQ(map.count(u"key299"), 0u);

  TextMap small;
  int few = util.ReadIniSection(u"C:\\big.ini", u"S", small, 100);
  EXPECT_GT(few, 0);
  EXPECT_LE(few, 100 / 13 + 1);
}

}  // namespace
}  // namespace tovu
