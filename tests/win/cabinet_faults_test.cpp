// Faults of the cabinet extraction that used to lose data quietly: a write
// that stores fewer bytes than asked or fails (a full disk) stops the
// extraction with error 1015, deletes the file being written and reaches
// the log as a level-0 line with the system's reason; and names of other
// cabinet writers, stored without a leading backslash, land inside the
// target folder with the joined paths in every list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "cabinet/cab_error.h"
#include "cabinet/package_extraction.h"
#include "cabinet/win32/cab_decompressor.h"
#include "cabinet_test_support.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::CabSpec;
using test::ReadBytes;
using test::TestWindow;
using test::WriteBytes;

std::vector<std::string> U8List(const TextList& l) {
  std::vector<std::string> v;
  for (const Text& t : l) v.push_back(ToUtf8(t));
  return v;
}

// Everything below `folder` (relative names, folders with a backslash).
void ListBelow(const Text& folder, const Text& prefix, std::vector<std::string>& out) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(W(folder + u"\\*"), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const Text name = FromW(fd.cFileName);
    if (name == u"." || name == u"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out.push_back(ToUtf8(prefix + name + u"\\"));
      ListBelow(folder + u"\\" + name, prefix + name + u"\\", out);
    } else {
      out.push_back(ToUtf8(prefix + name));
    }
  } while (::FindNextFileW(h, &fd));
  ::FindClose(h);
}

// How the disk gives out once the budget of bytes is used up.
enum class Runout {
  Fails,       // the write fails with the given system error
  NoSpace,     // the write fails as the C runtime fails a partial one: ENOSPC, no system error
  StoresLess,  // the write stores what is left of the budget; then nothing, no error
};

// A decompressor over a disk that holds `budget` more bytes.
class FillingDecompressor : public CCabDecompressor {
 public:
  FillingDecompressor(CabinetServices services, IExtractionWindow* window, int64_t budget, Runout runout,
                      uint32_t error)
      : CCabDecompressor(services, window, 1), budget_(budget), runout_(runout), systemError_(error) {}
  UINT Write(INT_PTR fd, void* buffer, UINT size) override {
    UINT allowed = static_cast<UINT>(std::min<int64_t>(size, budget_ > 0 ? budget_ : 0));
    if (allowed == 0 && runout_ == Runout::StoresLess) return 0;
    if (allowed < size && runout_ != Runout::StoresLess) {
      if (runout_ == Runout::NoSpace) errno = ENOSPC;
      _doserrno = static_cast<unsigned long>(systemError_);
      return static_cast<UINT>(-1);
    }
    UINT n = CCabDecompressor::Write(fd, buffer, allowed);
    budget_ -= n;
    return n;
  }

 private:
  int64_t budget_;
  Runout runout_;
  uint32_t systemError_;
};

class CabinetFaults : public ::testing::Test {
 protected:
  CabinetFaults() : log(platform), util(platform, log), init(platform, log, util) {
    SetPlatform(&platform);
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    root = FromW(tmp) + u"tovufault" + Text(Widen(std::to_string(::GetCurrentProcessId()))) + u"\\";
    util.DeleteFolder(root.substr(0, root.size() - 1));
    ::CreateDirectoryW(W(root), nullptr);
    temp = root + u"tmp\\";
    ::CreateDirectoryW(W(temp), nullptr);
    target = root + u"out\\";
    log.InitLogFile(root + u"test.log", 11);
    g_nOverwriteAnswer = -1;
    g_bContinueLaunching = 1;
  }
  ~CabinetFaults() override { util.DeleteFolder(root.substr(0, root.size() - 1)); }

  CabinetServices Services() { return CabinetServices{platform, log, util, init}; }
  void Reset() {
    util.DeleteFolder(target.substr(0, target.size() - 1));
    init.GetWrittenFiles().clear();
    init.GetPackageFiles().clear();
    init.GetCreatedFolders().clear();
    init.GetPackageFolders().clear();
    tw.Clear();
  }

  Win32Platform platform;
  CBuildLogFile log;
  CUtil util;
  CTovuInitalizer init;
  Text root, temp, target;
  TestWindow tw{&log};
  CWindowExtractionTarget window{tw.Handle()};
};

// Three files; the second spans several data blocks.
CabSpec ThreeFiles() {
  CabSpec spec;
  spec.members = {{"\\a.txt", "first file"}, {"\\Data\\big.bin", std::string(100000, 'b')}, {"\\setup.exe", "setup"}};
  return spec;
}

TEST_F(CabinetFaults, AWriteThatFailsOrStoresLessStopsTheExtractionAndDeletesTheFile) {
  struct Case {
    const char* what;
    int64_t budget;
    Runout runout;
    uint32_t error;      // the system's error the disk gives
    uint32_t reported;   // the one the decompressor keeps
  };
  const Case cases[] = {
      {"full inside the second file", 10 + 40000, Runout::Fails, ERROR_DISK_FULL, ERROR_DISK_FULL},
      {"full right after the first file", 10, Runout::Fails, ERROR_HANDLE_DISK_FULL, ERROR_HANDLE_DISK_FULL},
      {"short writes, then nothing", 10 + 50000, Runout::StoresLess, 0, ERROR_DISK_FULL},
      {"partial write refused by the runtime", 10 + 50000, Runout::NoSpace, 0, ERROR_DISK_FULL},
      {"device fault", 10 + 1, Runout::Fails, ERROR_WRITE_FAULT, ERROR_WRITE_FAULT},
  };
  const Text cab = root + u"WebCab1";
  ASSERT_TRUE(WriteBytes(cab, test::WriteCabinet(ThreeFiles())));
  const std::string t = ToUtf8(target);
  for (const Case& c : cases) {
    Reset();
    FillingDecompressor d(Services(), &window, c.budget, c.runout, c.error);
    EXPECT_EQ(d.ExtractCabinet(cab, target), caberr::kWriteFailed) << c.what;
    EXPECT_EQ(d.GetErrorCode(), caberr::kWriteFailed) << c.what;
    EXPECT_EQ(d.GetLastWriteError(), c.reported) << c.what;
    EXPECT_EQ(d.GetLastOpenError(), 0u) << c.what;
    EXPECT_EQ(ToUtf8(d.GetErrorMessage()), "Could not write the extracted file : " + t + "Data\\big.bin") << c.what;
    // The first file is whole, the cut one is gone, nothing came after it.
    EXPECT_EQ(ReadBytes(target + u"a.txt"), "first file") << c.what;
    EXPECT_EQ(ReadBytes(target + u"Data\\big.bin"), "<missing>") << c.what;
    EXPECT_EQ(ReadBytes(target + u"setup.exe"), "<missing>") << c.what;
    EXPECT_EQ(U8List(init.GetWrittenFiles()), (std::vector<std::string>{t + "a.txt"})) << c.what;
    EXPECT_EQ(U8List(init.GetPackageFiles()), (std::vector<std::string>{t + "a.txt"})) << c.what;
    // The folders made stay listed for the clean-up.
    EXPECT_EQ(U8List(init.GetCreatedFolders()), (std::vector<std::string>{t + "Data", t.substr(0, t.size() - 1)}))
        << c.what;
  }
}

// The worker turns the failed write into a failed extraction: a level-0
// line with the system's reason, the run status and the extraction result
// 1015, WM_EXTRACT_FAILED, and no "Success".
TEST_F(CabinetFaults, TheWorkerReportsAFailedWriteWithTheSystemsReason) {
  ASSERT_TRUE(WriteBytes(temp + u"WebCab1", test::WriteCabinet(ThreeFiles())));
  init.SetTovuTempDirPath(temp);
  init.SetExtractionFolder(target);
  init.SetFileCount(3);
  init.SetOverwriteAllFlag(1);
  init.SetExtractionResult(-1);
  PackageExtractionEnv env{platform, log, util, init, &window, {}, {}};
  env.makeDecompressor = [this](IExtractionWindow* w, int) -> std::unique_ptr<ICabDecompressor> {
    return std::make_unique<FillingDecompressor>(Services(), w, 10 + 40000, Runout::Fails, ERROR_DISK_FULL);
  };
  Reset();
  RunExtractPackage(env);
  ASSERT_TRUE(tw.WaitFinished());
  EXPECT_EQ(init.GetExtractionResult(), caberr::kWriteFailed);
  EXPECT_EQ(init.GetRunStatus(), caberr::kWriteFailed);
  const auto seen = tw.Messages();
  EXPECT_EQ(seen.back().message, static_cast<UINT>(WM_EXTRACT_FAILED));
  const std::string reason = ToUtf8(TrimRight(util.GetErrorText(ERROR_DISK_FULL)));
  ASSERT_FALSE(reason.empty());
  const auto lines = tw.LogLines();
  const std::string failed =
      "0|ExtractPackage|Could not write the extracted file : " + ToUtf8(target) + "Data\\big.bin : " + reason;
  EXPECT_NE(std::find(lines.begin(), lines.end(), failed), lines.end()) << failed;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "8|ExtractPackage|Return Code for cab extraction : 1015"),
            lines.end());
  for (const std::string& line : lines) EXPECT_EQ(line.find("Success"), std::string::npos) << line;
}

TEST_F(CabinetFaults, NamesWithoutALeadingBackslashLandInsideTheTarget) {
  CabSpec spec;
  spec.members = {{"readme.txt", "r"}, {"Data\\a.txt", "a"}, {"Data\\Sub\\b.txt", "b"}, {"\\c.txt", "c"}};
  const Text cab = root + u"WebCab1";
  ASSERT_TRUE(WriteBytes(cab, test::WriteCabinet(spec)));
  for (int overwriteAll : {1, 0}) {
    Reset();
    tw.Script({OVERWRITE_YES_TO_ALL});
    CCabDecompressor d(Services(), &window, overwriteAll);
    ASSERT_EQ(d.ExtractCabinet(cab, target), 0) << ToUtf8(d.GetErrorMessage());
    EXPECT_EQ(ReadBytes(target + u"readme.txt"), "r");
    EXPECT_EQ(ReadBytes(target + u"Data\\a.txt"), "a");
    EXPECT_EQ(ReadBytes(target + u"Data\\Sub\\b.txt"), "b");
    EXPECT_EQ(ReadBytes(target + u"c.txt"), "c");
    // Nothing beside the target folder: only the cabinet, the log and it.
    std::vector<std::string> beside;
    ListBelow(root.substr(0, root.size() - 1), u"", beside);
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"WebCab1", "out\\", "out\\Data\\", "out\\Data\\Sub\\",
                                                "out\\Data\\Sub\\b.txt", "out\\Data\\a.txt", "out\\c.txt",
                                                "out\\readme.txt", "test.log", "tmp\\"}));
    const std::string t = ToUtf8(target);
    const std::vector<std::string> files{t + "c.txt", t + "Data\\Sub\\b.txt", t + "Data\\a.txt", t + "readme.txt"};
    EXPECT_EQ(U8List(init.GetWrittenFiles()), files);
    EXPECT_EQ(U8List(init.GetPackageFiles()), files);
    EXPECT_EQ(U8List(init.GetCreatedFolders()),
              (std::vector<std::string>{t + "Data\\Sub", t + "Data", t.substr(0, t.size() - 1)}));
    EXPECT_EQ(U8List(init.GetPackageFolders()), (std::vector<std::string>{t + "Data\\Sub", t + "Data"}));
  }
}

}  // namespace
}  // namespace tovu
