// The clean-up of extracted files on the in-memory platform: the list file
// ExtractedFilesToDelete.txt (layout, content check, the first-created
// folder, paths outside the 8-bit range), the exit clean-up with foreign
// files and folders, DeleteDirectory's answers, the clean-up after an
// aborted extraction, and deletion failures that never stop the rest.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cleanup.h"
#include "container/extractor.h"
#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "support/test_support.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }

class RecordingLog : public CBuildLogFile {
 public:
  explicit RecordingLog(IPlatform& p) : CBuildLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(std::to_string(level) + "|" + U8(Text(function)) + "|" + U8(message));
    return CBuildLogFile::WriteLogText(level, function, message);
  }
  bool Has(const std::string& line) const {
    for (const std::string& l : lines)
      if (l == line) return true;
    return false;
  }
  std::vector<std::string> lines;
};

std::vector<std::string> U8List(const TextList& list) {
  std::vector<std::string> out;
  for (const Text& t : list) out.push_back(U8(t));
  return out;
}

class Cleanup : public ::testing::Test {
 protected:
  Cleanup() : log(fake), util(fake, log), init(fake, log, util), cleanup(fake, log, util, init) {
    SetPlatform(&fake);
    g_bAbortExtraction = 0;
    cleanup.SetWait([this](int ms) { waits.push_back(ms); });
    fake.AddFolder(u"C:\\Temp");
  }
  ~Cleanup() override {
    g_bAbortExtraction = 0;
    SetPlatform(nullptr);
  }

  // Extraction into `folder` (ending with "\") as the validator and the
  // decompressor leave it: the validator's write test made the missing top
  // of the path the first-created folder; every member's folders below the
  // extraction folder are package folders, the missing ones created ones;
  // every file written is a written and a package file.
  void Extract(const Text& folder, const std::vector<std::string>& members) {
    init.SetExtractionFolder(folder);
    if (!fake.IsFolder(folder)) {
      Text path = folder, root;
      ASSERT_EQ(util.ValidatePath(path, root), 0);
      fake.AddFolder(folder);
    }
    const Text top = folder.substr(0, folder.size() - 1);
    for (const std::string& m : members) {
      const Text member = FromUtf8(m);
      const Text path = top + u"\\" + member;
      std::vector<Text> levels;
      for (size_t at = member.find(u'\\'); at != Text::npos; at = member.find(u'\\', at + 1))
        levels.push_back(top + u"\\" + member.substr(0, at));
      for (const Text& f : levels) {
        bool known = false;
        for (const Text& k : init.GetPackageFolders()) known = known || EqualsNoCase(k, f);
        if (!known) init.GetPackageFolders().push_front(f);
        if (!fake.IsFolder(f)) {
          fake.AddFolder(f);
          init.GetCreatedFolders().push_front(f);
        }
      }
      fake.AddFile(path, "content of " + m);
      init.GetWrittenFiles().push_front(path);
      init.GetPackageFiles().push_front(path);
    }
  }
  std::vector<Text> Below(const Text& root) { return fake.ListAll(root); }
  std::vector<std::string> Left(const Text& root) {
    std::vector<std::string> out;
    for (const Text& p : fake.ListAll(root)) out.push_back(U8(p));
    return out;
  }

  FakePlatform fake;
  RecordingLog log;
  CUtil util;
  CTovuInitalizer init;
  CExtractedFilesCleanup cleanup;
  std::vector<int> waits;
};

// ---- the list file ------------------------------------------------------------

TEST_F(Cleanup, ListFileOfANewFolderHasTheLayoutOfTheExample) {
  Extract(u"C:\\Temp\\Demo\\", {"setup.exe", "Data\\a.cab"});
  ASSERT_EQ(U8(util.GetFirstCreatedFolder()), "C:\\Temp\\Demo");

  ASSERT_TRUE(cleanup.WriteToDeletetxt());
  EXPECT_EQ(test::Escape(fake.FileBytes(u"C:\\Temp\\Demo\\ExtractedFilesToDelete.txt")),
            test::Escape("\xEF\xBB\xBF[FilesToDelete]\r\n"
                         "C:\\Temp\\Demo\\setup.exe\r\n"
                         "C:\\Temp\\Demo\\Data\\a.cab\r\n"
                         "C:\\Temp\\Demo\\ExtractedFilesToDelete.txt\r\n"
                         "C:\\Temp\\Demo\\Data\r\n"
                         "C:\\Temp\\Demo\r\n"));
  for (const char* line : {"8|WriteToDeletetxt|writing file name to ExtractedFilesToDelete.txt: C:\\Temp\\Demo\\setup.exe",
                           "8|WriteToDeletetxt|writing file name to ExtractedFilesToDelete.txt: "
                           "C:\\Temp\\Demo\\ExtractedFilesToDelete.txt",
                           "8|WriteToDeletetxt|writing folder name to ExtractedFilesToDelete.txt: C:\\Temp\\Demo\\Data",
                           "8|WriteToDeletetxt|writing extraction folder name to ExtractedFilesToDelete.txt: C:\\Temp\\Demo"})
    EXPECT_TRUE(log.Has(line)) << line;
  // The list file is an exit file itself, once however often it is written.
  ASSERT_TRUE(cleanup.WriteToDeletetxt());
  TextList read;
  ASSERT_TRUE(CExtractedFilesCleanup::ReadDeleteList(fake, u"C:\\Temp\\Demo\\ExtractedFilesToDelete.txt", read));
  EXPECT_EQ(U8List(read), (std::vector<std::string>{"C:\\Temp\\Demo\\setup.exe", "C:\\Temp\\Demo\\Data\\a.cab",
                                                    "C:\\Temp\\Demo\\ExtractedFilesToDelete.txt",
                                                    "C:\\Temp\\Demo\\Data", "C:\\Temp\\Demo"}));
  EXPECT_EQ(U8(init.GetPackageFiles().front()), "C:\\Temp\\Demo\\ExtractedFilesToDelete.txt");
}

TEST_F(Cleanup, ListFileLeavesOutFoldersWithForeignContentAndForeignFirstCreatedFolders) {
  struct Case {
    const char* what;
    Text extractTo;
    std::vector<const char*> foreign;  // files put in by something else
    std::vector<std::string> expectedFolders;
  };
  const std::vector<Case> cases = {
      {"a foreign file deep down fails the whole chain above it", u"C:\\Temp\\Demo\\",
       {"C:\\Temp\\Demo\\Data\\Sub\\extra.log"},
       {"C:\\Temp\\Demo\\Data\\Other", "C:\\Temp\\Demo"}},
      {"a foreign folder fails its parent only", u"C:\\Temp\\Demo\\",
       {"C:\\Temp\\Demo\\Data\\Mine\\x.txt"},
       {"C:\\Temp\\Demo\\Data\\Sub", "C:\\Temp\\Demo\\Data\\Other", "C:\\Temp\\Demo"}},
      {"an existing extraction folder has no first-created folder", u"C:\\Temp\\",
       {},
       {"C:\\Temp\\Data", "C:\\Temp\\Data\\Sub", "C:\\Temp\\Data\\Other"}},
  };
  for (const Case& c : cases) {
    FakePlatform fresh;
    fresh.AddFolder(u"C:\\Temp");
    SetPlatform(&fresh);
    RecordingLog l(fresh);
    CUtil u(fresh, l);
    CTovuInitalizer i(fresh, l, u);
    CExtractedFilesCleanup cl(fresh, l, u, i);
    // The same extraction as the fixture's, on a machine of its own.
    i.SetExtractionFolder(c.extractTo);
    if (!fresh.IsFolder(c.extractTo)) {
      Text path = c.extractTo, root;
      ASSERT_EQ(u.ValidatePath(path, root), 0);
      fresh.AddFolder(c.extractTo);
    }
    const Text top = c.extractTo.substr(0, c.extractTo.size() - 1);
    for (const Text& f : {top + u"\\Data", top + u"\\Data\\Sub", top + u"\\Data\\Other"}) {
      fresh.AddFolder(f);
      i.GetPackageFolders().push_front(f);
    }
    for (const Text& f : {top + u"\\Data\\Sub\\a.txt", top + u"\\Data\\Other\\b.txt"}) {
      fresh.AddFile(f, "x");
      i.GetPackageFiles().push_front(f);
    }
    for (const char* f : c.foreign) fresh.AddFile(FromUtf8(f), "foreign");

    ASSERT_TRUE(cl.WriteToDeletetxt()) << c.what;
    TextList read;
    ASSERT_TRUE(CExtractedFilesCleanup::ReadDeleteList(fresh, cl.GetListFilePath(), read)) << c.what;
    std::vector<std::string> entries = U8List(read);
    ASSERT_EQ(entries.size(), 3 + c.expectedFolders.size()) << c.what;
    EXPECT_EQ(std::vector<std::string>(entries.begin() + 3, entries.end()), c.expectedFolders) << c.what;
    // Every folder is looked at and logged, written or not.
    EXPECT_TRUE(l.Has("8|WriteToDeletetxt|writing folder name to ExtractedFilesToDelete.txt: " + U8(top) + "\\Data"))
        << c.what;
  }
  SetPlatform(&fake);
}

TEST_F(Cleanup, FirstCreatedFolderCountsOnlyWhenTheExtractionFolderLiesInIt) {
  // The validator made C:\Temp\Demo for a folder the user then left; the
  // extraction went to C:\Temp\Demo2\ beside it.
  Text path = u"C:\\Temp\\Demo\\", root;
  ASSERT_EQ(util.ValidatePath(path, root), 0);
  ASSERT_EQ(U8(util.GetFirstCreatedFolder()), "C:\\Temp\\Demo");
  fake.AddFile(u"C:\\Temp\\Demo\\keep.txt", "someone else's");
  fake.AddFolder(u"C:\\Temp\\Demo2");
  init.SetExtractionFolder(u"C:\\Temp\\Demo2\\");
  fake.AddFile(u"C:\\Temp\\Demo2\\setup.exe", "x");
  init.GetPackageFiles().push_front(u"C:\\Temp\\Demo2\\setup.exe");
  init.GetWrittenFiles().push_front(u"C:\\Temp\\Demo2\\setup.exe");

  ASSERT_TRUE(cleanup.WriteToDeletetxt());
  TextList read;
  ASSERT_TRUE(CExtractedFilesCleanup::ReadDeleteList(fake, cleanup.GetListFilePath(), read));
  EXPECT_EQ(U8List(read), (std::vector<std::string>{"C:\\Temp\\Demo2\\setup.exe",
                                                    "C:\\Temp\\Demo2\\ExtractedFilesToDelete.txt"}));

  cleanup.DeleteExtractedFilesAndFolders();
  EXPECT_TRUE(fake.IsFile(u"C:\\Temp\\Demo\\keep.txt"));
  g_bAbortExtraction = 1;
  EXPECT_TRUE(cleanup.DeleteExtractedContentsIfAborted());
  EXPECT_TRUE(fake.IsFile(u"C:\\Temp\\Demo\\keep.txt"));

  for (auto [folder, expected] : std::vector<std::pair<Text, bool>>{{u"C:\\Temp\\Demo2", true},
                                                                    {u"C:\\Temp\\Demo2\\", true},
                                                                    {u"c:\\temp", true},
                                                                    {u"C:\\", true},
                                                                    {u"C:\\Temp\\Demo", false},
                                                                    {u"C:\\Temp\\Demo2\\Sub", false},
                                                                    {u"D:\\Temp", false},
                                                                    {u"", false}})
    EXPECT_EQ(cleanup.ExtractionFolderLiesIn(folder), expected) << U8(folder);
}

TEST_F(Cleanup, ListFileKeepsPathsOutsideThe8BitRange) {
  // Greek, CJK, an emoji (a surrogate pair) and Latin-1 letters.
  const std::string names[] = {"Δεδομένα\\αρχείο.txt", "数据\\文件.cab", "emoji-\xF0\x9F\x98\x80.txt",
                               "Übersicht é.txt"};
  Extract(u"C:\\Temp\\Ünïcødé ₤\\", {names[0], names[1], names[2], names[3]});
  ASSERT_TRUE(cleanup.WriteToDeletetxt());
  TextList read;
  ASSERT_TRUE(CExtractedFilesCleanup::ReadDeleteList(fake, cleanup.GetListFilePath(), read));
  const std::string top = "C:\\Temp\\Ünïcødé ₤";
  EXPECT_EQ(U8List(read), (std::vector<std::string>{top + "\\" + names[0], top + "\\" + names[1],
                                                    top + "\\" + names[2], top + "\\" + names[3],
                                                    top + "\\ExtractedFilesToDelete.txt", top + "\\Δεδομένα",
                                                    top + "\\数据", top}));
  EXPECT_EQ(fake.FileBytes(cleanup.GetListFilePath()).substr(0, 3), "\xEF\xBB\xBF");
}

TEST_F(Cleanup, ListFileThatCannotBeCreatedIsReported) {
  Extract(u"C:\\Temp\\Demo\\", {"setup.exe"});
  fake.FailPath(u"C:\\Temp\\Demo\\ExtractedFilesToDelete.txt", winerr::kAccessDenied);
  EXPECT_FALSE(cleanup.WriteToDeletetxt());
  EXPECT_FALSE(fake.IsFile(u"C:\\Temp\\Demo\\ExtractedFilesToDelete.txt"));
}

TEST_F(Cleanup, ReadDeleteListRefusesOtherFiles) {
  TextList read;
  EXPECT_FALSE(CExtractedFilesCleanup::ReadDeleteList(fake, u"C:\\Temp\\missing.txt", read));
  fake.AddFile(u"C:\\Temp\\other.txt", "\xEF\xBB\xBFsomething\r\nC:\\x\r\n");
  EXPECT_FALSE(CExtractedFilesCleanup::ReadDeleteList(fake, u"C:\\Temp\\other.txt", read));
  // Without a mark, plain 8-bit ASCII lines read the same.
  fake.AddFile(u"C:\\Temp\\plain.txt", "[FilesToDelete]\r\nC:\\a.txt\r\nC:\\b\n");
  ASSERT_TRUE(CExtractedFilesCleanup::ReadDeleteList(fake, u"C:\\Temp\\plain.txt", read));
  EXPECT_EQ(U8List(read), (std::vector<std::string>{"C:\\a.txt", "C:\\b"}));
}

// ---- the clean-up at exit -------------------------------------------------------

TEST_F(Cleanup, ExitCleanupOfANewFolderRemovesItWhole) {
  Extract(u"C:\\Temp\\Demo\\", {"setup.exe", "Data\\a.cab", "Data\\Sub\\b.dat"});
  // A setup wrote a log next to its files: it goes with the first-created
  // folder.
  fake.AddFile(u"C:\\Temp\\Demo\\Data\\Sub\\setup.log", "written by the setup");
  cleanup.DeleteExtractedFilesAndFolders();
  EXPECT_EQ(Left(u"C:\\Temp"), (std::vector<std::string>{"C:\\Temp\\"}));
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Deleting file : C:\\Temp\\Demo\\setup.exe"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Could not delete folder : C:\\Temp\\Demo\\Data"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Deleting folder : C:\\Temp\\Demo"));
  EXPECT_TRUE(init.GetPackageFiles().empty());
  EXPECT_TRUE(init.GetPackageFolders().empty());
  // One pause after each file and each folder looked at.
  EXPECT_EQ(waits, std::vector<int>(5, 10));
}

TEST_F(Cleanup, ExitCleanupInAnExistingFolderKeepsWhatWasThereAndWhatOthersAdded) {
  fake.AddFolder(u"C:\\Temp\\App\\Data");
  fake.AddFile(u"C:\\Temp\\App\\old.txt", "was there before");
  Extract(u"C:\\Temp\\App\\", {"setup.exe", "Data\\a.cab", "Bin\\x.dll", "Bin\\Deep\\y.dll", "Doc\\z.txt",
                               "readonly.txt"});
  fake.SetAttributes(u"C:\\Temp\\App\\readonly.txt", fileattr::kReadOnly);
  fake.AddFile(u"C:\\Temp\\App\\Bin\\Deep\\setup.log", "written by the setup");
  cleanup.DeleteExtractedFilesAndFolders();
  // Data (there before, now empty) and Doc go; Bin\Deep keeps the setup's
  // file, so Bin stays too; the extraction folder and its old file stay.
  EXPECT_EQ(Left(u"C:\\Temp\\App"),
            (std::vector<std::string>{"C:\\Temp\\App\\", "C:\\Temp\\App\\Bin\\", "C:\\Temp\\App\\Bin\\Deep\\",
                                      "C:\\Temp\\App\\Bin\\Deep\\setup.log", "C:\\Temp\\App\\old.txt"}));
  EXPECT_TRUE(log.Has("8|DeleteDirectory|Deleting folder : C:\\Temp\\App\\Doc"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Could not delete folder : C:\\Temp\\App\\Bin"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Could not delete folder : C:\\Temp\\App\\Bin\\Deep"));
  EXPECT_FALSE(log.Has("8|DeleteExtractedFilesAndFolders|Could not delete file : C:\\Temp\\App\\readonly.txt"));
}

TEST_F(Cleanup, DeletionFailuresAreLoggedAndTheRestGoesOn) {
  fake.AddFolder(u"C:\\Temp\\App");
  Extract(u"C:\\Temp\\App\\", {"a.txt", "locked.txt", "Data\\c.txt"});
  fake.FailPath(u"C:\\Temp\\App\\locked.txt", winerr::kSharingViolation);
  fake.FailPath(u"C:\\Temp\\App\\Data", winerr::kAccessDenied);
  cleanup.DeleteExtractedFilesAndFolders();
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Could not delete file : C:\\Temp\\App\\locked.txt"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedFilesAndFolders|Could not delete folder : C:\\Temp\\App\\Data"));
  EXPECT_FALSE(fake.IsFile(u"C:\\Temp\\App\\a.txt"));
  EXPECT_FALSE(fake.IsFile(u"C:\\Temp\\App\\Data\\c.txt"));
  EXPECT_TRUE(fake.IsFile(u"C:\\Temp\\App\\locked.txt"));
}

TEST_F(Cleanup, DeleteDirectoryAnswers) {
  fake.AddFile(u"C:\\Temp\\file.txt", "x");
  fake.AddFolder(u"C:\\Temp\\Ours\\Inner");
  fake.AddFolder(u"C:\\Temp\\Mixed\\Foreign");
  fake.AddFolder(u"C:\\Temp\\Held");
  fake.AddFile(u"C:\\Temp\\Held\\f.txt", "x");
  for (const char16_t* f : {u"C:\\Temp\\Ours", u"C:\\Temp\\Ours\\Inner", u"C:\\Temp\\Mixed", u"C:\\Temp\\Held"})
    init.GetPackageFolders().push_front(f);

  EXPECT_EQ(cleanup.DeleteDirectory(u"C:\\Temp\\file.txt"), -1);
  EXPECT_EQ(cleanup.DeleteDirectory(u"C:\\Temp\\missing"), -1);
  EXPECT_EQ(cleanup.DeleteDirectory(u"C:\\Temp\\Held"), 0);
  EXPECT_EQ(cleanup.DeleteDirectory(u"C:\\Temp\\Mixed"), 0);
  EXPECT_TRUE(fake.IsFolder(u"C:\\Temp\\Mixed\\Foreign"));
  EXPECT_EQ(cleanup.DeleteDirectory(u"c:\\temp\\ours\\"), 1);
  EXPECT_FALSE(fake.IsFolder(u"C:\\Temp\\Ours"));
  EXPECT_TRUE(log.Has("8|DeleteDirectory|Deleting folder : c:\\temp\\ours\\Inner"));
  EXPECT_FALSE(log.Has("8|DeleteDirectory|Deleting folder : C:\\Temp\\Held"));
}

TEST_F(Cleanup, WhoDeletesAtExit) {
  struct Case {
    int deleteOnExit, waitForFinish, frameDeletes;
    bool frame;
  };
  for (const Case& c : std::vector<Case>{{1, 1, 1, true}, {1, 0, 1, false}, {1, 1, 0, false}, {0, 1, 1, false}}) {
    init.SetWaitForAutolaunchFinishFlag(c.waitForFinish);
    init.SetFrameDeletesFlag(c.frameDeletes);
    EXPECT_EQ(CExtractedFilesCleanup::FrameDeletesAtExit(c.deleteOnExit, init), c.frame)
        << c.deleteOnExit << c.waitForFinish << c.frameDeletes;
  }
}

// ---- the clean-up after an aborted extraction ---------------------------------------

TEST_F(Cleanup, AbortRemovesWhatThisExtractionWroteAndCreated) {
  fake.AddFolder(u"C:\\Temp\\App\\Data");
  fake.AddFile(u"C:\\Temp\\App\\old.txt", "was there before");
  Extract(u"C:\\Temp\\App\\", {"setup.exe", "Data\\a.cab", "New\\Deeper\\b.cab"});
  fake.SetAttributes(u"C:\\Temp\\App\\setup.exe", fileattr::kReadOnly);
  // A file of an earlier run lies in a folder that this run created.
  fake.AddFile(u"C:\\Temp\\App\\New\\stray.txt", "x");

  g_bAbortExtraction = 0;
  EXPECT_FALSE(cleanup.DeleteExtractedContentsIfAborted());
  EXPECT_TRUE(fake.IsFile(u"C:\\Temp\\App\\setup.exe"));

  g_bAbortExtraction = 1;
  EXPECT_TRUE(cleanup.DeleteExtractedContentsIfAborted());
  EXPECT_EQ(Left(u"C:\\Temp\\App"), (std::vector<std::string>{"C:\\Temp\\App\\", "C:\\Temp\\App\\Data\\",
                                                              "C:\\Temp\\App\\old.txt"}));
  EXPECT_TRUE(log.Has("8|DeleteExtractedContents|Deleting file : C:\\Temp\\App\\setup.exe\n"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedContents|Deleting folder : C:\\Temp\\App\\New"));
  EXPECT_TRUE(init.GetWrittenFiles().empty());
  EXPECT_TRUE(init.GetCreatedFolders().empty());
  // The exit lists are left to the exit clean-up.
  EXPECT_EQ(init.GetPackageFiles().size(), 3u);
}

// An extraction that stopped on a file it could not write (a full disk) is
// cleaned up as a cancelled one; other failures leave their files for the
// exit clean-up.
TEST_F(Cleanup, FailedWriteCleansUpAsAnAbortOtherFailuresDoNot) {
  struct Case {
    int abortFlag, extractionResult;
    bool ran;
  };
  for (const Case& c : {Case{0, 1015, true}, Case{1, 1015, true}, Case{0, 4, false}, Case{0, -1, false},
                        Case{0, 0, false}}) {
    Extract(u"C:\\Temp\\Full\\", {"setup.exe", "Data\\a.cab"});
    init.SetExtractionResult(c.extractionResult);
    g_bAbortExtraction = c.abortFlag;
    EXPECT_EQ(cleanup.DeleteExtractedContentsIfAborted(), c.ran) << c.abortFlag << "/" << c.extractionResult;
    EXPECT_EQ(fake.IsFile(u"C:\\Temp\\Full\\Data\\a.cab"), !c.ran) << c.abortFlag << "/" << c.extractionResult;
    init.GetWrittenFiles().clear();
    init.GetCreatedFolders().clear();
  }
}

TEST_F(Cleanup, AbortRemovesTheFirstCreatedFolderWithEverythingInIt) {
  Extract(u"C:\\Temp\\New\\Sub\\", {"setup.exe", "Data\\a.cab"});
  ASSERT_EQ(U8(util.GetFirstCreatedFolder()), "C:\\Temp\\New");
  fake.AddFile(u"C:\\Temp\\New\\other.txt", "x");
  fake.FailPath(u"C:\\Temp\\New\\Sub\\Data\\a.cab", winerr::kSharingViolation);
  g_bAbortExtraction = 1;
  cleanup.DeleteExtractedContentsIfAborted();
  EXPECT_TRUE(log.Has("8|DeleteExtractedContents|Could not delete file : C:\\Temp\\New\\Sub\\Data\\a.cab"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedContents|Could not delete folder : C:\\Temp\\New\\Sub\\Data"));
  EXPECT_TRUE(log.Has("8|DeleteExtractedContents|Could not delete folder : C:\\Temp\\New"));
  EXPECT_EQ(Left(u"C:\\Temp\\New"), (std::vector<std::string>{"C:\\Temp\\New\\", "C:\\Temp\\New\\Sub\\",
                                                              "C:\\Temp\\New\\Sub\\Data\\",
                                                              "C:\\Temp\\New\\Sub\\Data\\a.cab"}));
}

}  // namespace
}  // namespace tovu
