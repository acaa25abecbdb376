// The clean-up of extracted files under Wine, on what the real extraction
// worker leaves: its lists feed the list file and the exit clean-up; a
// read-only extracted file goes, a file a setup dropped into an extracted
// folder keeps that folder and its parents, names outside the 8-bit range
// come back from the list file exactly, and an aborted extraction leaves
// nothing of its own behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/cleanup.h"
#include "app/win32/worker_thread_slot.h"
#include "cabinet/win32/extract_package.h"
#include "cabinet_test_support.h"
#include "container/extractor.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::CabMember;
using test::CabSpec;
using test::TestWindow;
using test::WriteBytes;

constexpr uint16_t kUtf8Name = 0x80;  // _A_NAME_IS_UTF
constexpr uint16_t kReadOnly = 0x01;

std::string U8(const Text& t) { return ToUtf8(t); }

bool Exists(const Text& path) { return ::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

// Reads a list file as a setup on Windows would: the UTF-8 mark, then the
// lines decoded by the system's converter.
std::vector<Text> ReadListLikeASetup(const Text& path, bool* marked) {
  std::string bytes = test::ReadBytes(path);
  *marked = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
  if (*marked) bytes.erase(0, 3);
  std::vector<Text> lines;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(at, end - at);
    at = end + 2;
    std::wstring wide(line.size() + 1, L'\0');
    int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line.data(), int(line.size()), wide.data(),
                                  int(wide.size()));
    lines.push_back(FromW(wide.c_str(), size_t(n < 0 ? 0 : n)));
  }
  return lines;
}

class CleanupWin : public ::testing::Test {
 protected:
  CleanupWin()
      : log(platform), util(platform, log), init(platform, log, util), services{platform, log, util, init},
        cleanup(platform, log, util, init) {
    SetPlatform(&platform);
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    root = FromW(tmp) + u"tovuclean" + Widen(std::to_string(::GetCurrentProcessId()));
    util.DeleteFolder(root);
    ::CreateDirectoryW(W(root), nullptr);
    temp = root + u"\\tmp\\";
    ::CreateDirectoryW(W(temp), nullptr);
    log.InitLogFile(root + u"\\test.log", 11);
    init.SetTovuTempDirPath(temp);
    init.SetSettingsPath(temp + u"Properties_Tovu.ini");
    init.SetOverwriteAllFlag(1);
    init.SetCabinetSetId(0x1234);
    SetExtractionServices(&services);
    g_nOverwriteAnswer = -1;
    g_bContinueLaunching = 1;
    g_bAbortExtraction = 0;
  }
  ~CleanupWin() override {
    SetExtractionServices(nullptr);
    g_bAbortExtraction = 0;
    util.DeleteFolder(root);
  }

  // Extracts the members into `folder` with the real worker; a folder that
  // does not exist yet is validated first, as the folder choice does.
  void Extract(const Text& folder, const std::vector<CabMember>& members) {
    init.SetExtractionFolder(folder);
    if (!Exists(folder)) {
      Text path = folder, drive;
      ASSERT_EQ(util.ValidatePath(path, drive), 0);
    }
    CabSpec spec;
    spec.members = members;
    init.SetFileCount(int(members.size()));
    ASSERT_TRUE(WriteBytes(temp + u"WebCab1", test::WriteCabinet(spec)));
    CWorkerThreadSlot slot;
    ASSERT_EQ(slot.Start(tw.Handle(), ExtractPackage), S_OK);
    ASSERT_TRUE(tw.WaitFinished());
    slot.Stop();
    ASSERT_EQ(init.GetExtractionResult(), 0);
  }

  Win32Platform platform;
  CBuildLogFile log;
  CUtil util;
  CTovuInitalizer init;
  CabinetServices services;
  CExtractedFilesCleanup cleanup;
  Text root, temp;
  TestWindow tw{&log};
};

TEST_F(CleanupWin, NewFolderGoesWholeWithItsReadOnlyFilesAndNamesOutsideThe8BitRange) {
  const Text target = root + u"\\Neu Ω\\Paket\\";
  const std::string greek = "\xCE\x94\xCE\xB5\xCE\xB4\xCE\xBF\xCE\xBC\xCE\xAD\xCE\xBD\xCE\xB1";  // Δεδομένα
  const std::string cjk = "\xE6\x95\xB0\xE6\x8D\xAE";                                            // 数据
  const std::string emoji = "\xF0\x9F\x98\x80";                                                  // U+1F600
  Extract(target, {{"\\setup.exe", "setup", 0x20 | kReadOnly},
                   {"\\" + greek + "\\" + cjk + "\\file " + emoji + ".txt", "deep", 0x20 | kUtf8Name},
                   {"\\Data\\a.cab", "cab", 0x20}});
  const Text first = util.GetFirstCreatedFolder();
  ASSERT_EQ(U8(first), U8(root + u"\\Neu Ω"));
  ASSERT_NE(::GetFileAttributesW(W(target + u"setup.exe")) & FILE_ATTRIBUTE_READONLY, 0u);
  const Text deep = target + FromUtf8(greek + "\\" + cjk + "\\file " + emoji + ".txt");
  ASSERT_TRUE(Exists(deep));

  ASSERT_TRUE(cleanup.WriteToDeletetxt());
  bool marked = false;
  std::vector<Text> lines = ReadListLikeASetup(target + u"ExtractedFilesToDelete.txt", &marked);
  EXPECT_TRUE(marked);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(U8(lines[0]), "[FilesToDelete]");
  // Every entry names what is on the disk, the odd names included.
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_TRUE(Exists(lines[i])) << U8(lines[i]);
  std::vector<std::string> entries;
  for (size_t i = 1; i < lines.size(); ++i) entries.push_back(U8(lines[i]));
  const std::string t = U8(target);
  EXPECT_EQ(entries, (std::vector<std::string>{t + "setup.exe", U8(deep), t + "Data\\a.cab",
                                               t + "ExtractedFilesToDelete.txt", t + greek + "\\" + cjk, t + greek,
                                               t + "Data", U8(first)}));

  cleanup.DeleteExtractedFilesAndFolders();
  EXPECT_FALSE(Exists(first));
  EXPECT_TRUE(Exists(root));
}

TEST_F(CleanupWin, AFileTheSetupDroppedKeepsItsFolderAndTheExistingFolderStays) {
  const Text target = root + u"\\Existing\\";
  ::CreateDirectoryW(W(target), nullptr);
  Extract(target, {{"\\setup.exe", "setup", 0x20 | kReadOnly},
                   {"\\Data\\Sub\\b.dat", "b", 0x20 | kReadOnly},
                   {"\\Doc\\readme.txt", "r", 0x20}});
  EXPECT_TRUE(util.GetFirstCreatedFolder().empty());
  ASSERT_TRUE(WriteBytes(target + u"Data\\Sub\\setup.log", "written by the setup"));

  ASSERT_TRUE(cleanup.WriteToDeletetxt());
  TextList listed;
  ASSERT_TRUE(CExtractedFilesCleanup::ReadDeleteList(platform, target + u"ExtractedFilesToDelete.txt", listed));
  std::vector<std::string> entries;
  for (const Text& e : listed) entries.push_back(U8(e));
  const std::string t = U8(target);
  EXPECT_EQ(entries, (std::vector<std::string>{t + "setup.exe", t + "Data\\Sub\\b.dat", t + "Doc\\readme.txt",
                                               t + "ExtractedFilesToDelete.txt", t + "Doc"}));

  cleanup.DeleteExtractedFilesAndFolders();
  EXPECT_FALSE(Exists(target + u"setup.exe"));
  EXPECT_FALSE(Exists(target + u"Data\\Sub\\b.dat"));
  EXPECT_FALSE(Exists(target + u"Doc"));
  EXPECT_FALSE(Exists(target + u"ExtractedFilesToDelete.txt"));
  EXPECT_TRUE(Exists(target + u"Data\\Sub\\setup.log"));
  EXPECT_TRUE(Exists(target));
}

TEST_F(CleanupWin, AbortedExtractionLeavesNothingOfItsOwn) {
  const Text target = root + u"\\Abort\\";
  ::CreateDirectoryW(W(target), nullptr);
  Extract(target, {{"\\setup.exe", "setup", 0x20 | kReadOnly}, {"\\Data\\Sub\\b.dat", "b", 0x20}});
  g_bAbortExtraction = 1;
  EXPECT_TRUE(cleanup.DeleteExtractedContentsIfAborted());
  EXPECT_FALSE(Exists(target + u"setup.exe"));
  EXPECT_FALSE(Exists(target + u"Data"));
  EXPECT_TRUE(Exists(target));
  EXPECT_TRUE(init.GetWrittenFiles().empty());
  EXPECT_TRUE(init.GetCreatedFolders().empty());
}

}  // namespace
}  // namespace tovu
