// The extraction worker under Wine, run through the worker-thread slot
// against a window of the test's own: the single-cabinet flow with every
// message in its order, an extraction folder that is emptied first, a
// missing cabinet, a cabinet the decompressor refuses, a file that cannot
// be opened, a multipart package (passing parts, a wrong digest, a wrong
// set ID), a stop event signalled before the worker starts; and the slot
// itself (stop with its wait, suspend, resume, reset).
#include <gtest/gtest.h>

#include <atomic>

#include "app/win32/worker_thread_slot.h"
#include "cabinet/file_hash.h"
#include "cabinet/win32/extract_package.h"
#include "cabinet_test_support.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "support/test_support.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::CabSpec;
using test::ReadBytes;
using test::Seen;
using test::TestWindow;
using test::WriteBytes;

// What a message list looks like in a failure message.
std::string Show(const std::vector<Seen>& seen) {
  std::string s;
  for (const Seen& m : seen)
    s += std::to_string(m.message) + "/" + std::to_string(m.wParam) + "/" + std::to_string(m.lParam) +
         (m.sent ? " sent " : " posted ") + m.text + "\n";
  return s;
}

class Package : public ::testing::Test {
 protected:
  Package() : log(platform), util(platform, log), init(platform, log, util), services{platform, log, util, init} {
    SetPlatform(&platform);
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    pid = Widen(std::to_string(::GetCurrentProcessId()));
    root = FromW(tmp) + u"tovupkg" + pid + u"\\";
    util.DeleteFolder(root.substr(0, root.size() - 1));
    ::CreateDirectoryW(W(root), nullptr);
    temp = root + u"tmp\\";
    ::CreateDirectoryW(W(temp), nullptr);
    extractTo = root + u"ext\\";
    log.InitLogFile(root + u"test.log", 11);
    init.SetTovuTempDirPath(temp);
    init.SetSettingsPath(temp + u"Properties_Tovu.ini");
    init.SetExtractionFolder(extractTo);
    init.SetFileCount(2);
    init.SetOverwriteAllFlag(1);
    init.SetCabinetSetId(0x1234);
    init.SetExtractionResult(-1);
    moduleFolder = util.GetModuleFolder() + u"\\";
    SetExtractionServices(&services);
    g_nOverwriteAnswer = -1;
    g_bContinueLaunching = 1;
  }
  ~Package() override {
    for (const Text& p : parts) ::DeleteFileW(W(p));
    util.DeleteFolder(root.substr(0, root.size() - 1));
    SetExtractionServices(nullptr);
  }

  // Runs the worker to its end and returns every message the window got.
  std::vector<Seen> Run() {
    CWorkerThreadSlot slot;
    EXPECT_EQ(slot.Start(tw.Handle(), ExtractPackage), S_OK);
    EXPECT_TRUE(tw.WaitFinished());
    EXPECT_FALSE(slot.Stop());
    return tw.Messages();
  }
  static std::vector<std::string> Posted(const std::vector<Seen>& seen) {
    std::vector<std::string> v;
    for (const Seen& m : seen)
      if (!m.sent) v.push_back(std::to_string(m.message) + "/" + std::to_string(m.wParam) + "/" + std::to_string(m.lParam));
    return v;
  }
  static std::vector<std::string> Sent(const std::vector<Seen>& seen) {
    std::vector<std::string> v;
    for (const Seen& m : seen)
      if (m.sent) v.push_back(m.message == WM_EXTRACT_LOG ? m.text : std::to_string(m.message) + "/" + std::to_string(m.wParam));
    return v;
  }
  Text Part(int n) { return moduleFolder + u"CabParts" + pid + Widen(n < 10 ? ".00" : ".0") + Widen(std::to_string(n)); }
  // A multipart package of two parts beside the executable.
  void MultipartPackage(const std::string& hash2Override, uint16_t setId2) {
    init.SetMultipartFlag(1);
    CabSpec one, two;
    one.members = {{"\\one.txt", "first part"}};
    one.next = ToUtf8(u"CabParts" + pid + u".002");
    two.members = {{"\\Data\\two.txt", "second part"}};
    two.previous = ToUtf8(u"CabParts" + pid + u".001");
    two.index = 1;
    two.setId = setId2;
    parts = {Part(1), Part(2)};
    WriteBytes(parts[0], test::WriteCabinet(one));
    WriteBytes(parts[1], test::WriteCabinet(two));
    Text h1, h2, e;
    ComputeFileHash(parts[0], h1, e);
    ComputeFileHash(parts[1], h2, e);
    std::string ini = "[Package]\r\nMultiPartDownload=1\r\nMultipartFileName=" + ToUtf8(u"CabParts" + pid) +
                      "\r\n[PartFileIno]\r\n001=one\r\n002=two\r\n[HashCode]\r\n001=" + ToUtf8(h1) +
                      "\r\n002=" + (hash2Override.empty() ? ToUtf8(h2) : hash2Override) + "\r\n";
    WriteBytes(init.GetSettingsPath(), ini);
  }

  Win32Platform platform;
  CBuildLogFile log;
  CUtil util;
  CTovuInitalizer init;
  CabinetServices services;
  Text pid, root, temp, extractTo, moduleFolder;
  std::vector<Text> parts;
  TestWindow tw{&log};
};

TEST_F(Package, SingleCabinetMessagesInOrder) {
  WriteBytes(temp + u"WebCab1", test::ReadTestData("cabinet/mszip.cab"));
  auto seen = Run();
  EXPECT_EQ(init.GetExtractionResult(), 0) << Show(seen);
  EXPECT_EQ(ToUtf8(init.GetExtractedToFolder()), ToUtf8(extractTo));
  EXPECT_EQ(ReadBytes(extractTo + u"setup.exe"), "setup program\r\n");
  EXPECT_EQ(ReadBytes(extractTo + u"Data\\file.dat").size(), 60000u);
  EXPECT_EQ(Posted(seen), (std::vector<std::string>{"1066/2/100", "1066/3/2", "1224/0/0"})) << Show(seen);
  const std::string x = ToUtf8(extractTo), c = ToUtf8(temp + u"WebCab1");
  EXPECT_EQ(Sent(seen), (std::vector<std::string>{
                            "8|ExtractPackage|Extracting the Setup to : " + x,
                            "11|ExtractFile|Reading footer information",
                            "8|ExtractFile|Attached files are extracted",
                            "8|ExtractPackage|Checking for parts",
                            "8|ExtractPackage|Extracting files from cabinet :" + c,
                            "8|FdiCallback|Extracting file : " + x + "setup.exe",
                            "1066/1",
                            "8|FdiCallback|Extracting file : " + x + "Data\\file.dat",
                            "1066/1",
                            "8|ExtractPackage|Return Code for cab extraction : 0",
                            "8|ExtractPackage|Success",
                        }))
      << Show(seen);
}

TEST_F(Package, ExtractionFolderWithContentIsRemovedFirst) {
  WriteBytes(temp + u"WebCab1", test::ReadTestData("cabinet/mszip.cab"));
  ::CreateDirectoryW(W(extractTo), nullptr);
  WriteBytes(extractTo + u"old.txt", "old");
  auto seen = Run();
  EXPECT_EQ(init.GetExtractionResult(), 0);
  EXPECT_EQ(ReadBytes(extractTo + u"old.txt"), "<missing>");
  EXPECT_EQ(ReadBytes(extractTo + u"setup.exe"), "setup program\r\n");
  EXPECT_EQ(Posted(seen), (std::vector<std::string>{"1066/2/100", "1066/4/0", "1066/3/2", "1224/0/0"})) << Show(seen);
  auto sent = Sent(seen);
  EXPECT_NE(std::find(sent.begin(), sent.end(),
                      "8|ExtractPackage|Deleting the contents of extraction folder : " + ToUtf8(extractTo)),
            sent.end());
}

TEST_F(Package, MissingRefusedAndUnopenableCabinets) {
  struct Case {
    const char* what;
    std::string cab;  // "" = none
    bool lockFile;
    int result;
    UINT finish;
    std::string errorLine;
  };
  std::string mscf = test::ReadTestData("cabinet/mszip.cab");
  mscf.replace(0, 4, "MSCF");
  const std::string c = ToUtf8(temp + u"WebCab1");
  const Case cases[] = {
      {"no cabinet", "", false, -2, WM_EXTRACT_DONE, "0|ExtractPackage|Part file " + c + " not found."},
      {"MSCF cabinet", mscf, false, 2, WM_EXTRACT_FAILED, "0|ExtractPackage|The file is not a cabinet"},
      {"target locked", test::ReadTestData("cabinet/mszip.cab"), true, -1, WM_EXTRACT_FAILED,
       "0|ExtractPackage|Cannot copy setup.exe: It is being used by another person or program.[NEWLINE]Close any "
       "programs that might be using the file and try again."},
  };
  for (const Case& k : cases) {
    util.DeleteFolder(extractTo.substr(0, extractTo.size() - 1));
    ::DeleteFileW(W(temp + u"WebCab1"));
    if (!k.cab.empty()) WriteBytes(temp + u"WebCab1", k.cab);
    HANDLE lock = INVALID_HANDLE_VALUE;
    if (k.lockFile) {
      // The folder keeps its content when the lock makes its removal fail;
      // so lock a file in a folder that the extraction does not empty:
      // the extraction folder is made and locked right before the run.
      ::CreateDirectoryW(W(extractTo), nullptr);
      lock = ::CreateFileW(W(extractTo + u"setup.exe"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    }
    tw.Clear();
    auto seen = Run();
    if (lock != INVALID_HANDLE_VALUE) ::CloseHandle(lock);
    EXPECT_EQ(init.GetExtractionResult(), k.result) << k.what << Show(seen);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(Posted(seen).back(), std::to_string(k.finish) + "/0/0") << k.what;
    auto sent = Sent(seen);
    EXPECT_NE(std::find(sent.begin(), sent.end(), k.errorLine), sent.end()) << k.what << Show(seen);
  }
}

TEST_F(Package, MultipartPartsCheckedThenExtracted) {
  MultipartPackage("", 0x1234);
  auto seen = Run();
  EXPECT_EQ(init.GetExtractionResult(), 0) << Show(seen);
  EXPECT_EQ(ReadBytes(extractTo + u"one.txt"), "first part");
  EXPECT_EQ(ReadBytes(extractTo + u"Data\\two.txt"), "second part");
  auto sent = Sent(seen);
  const std::string p1 = ToUtf8(parts[0]);
  EXPECT_NE(std::find(sent.begin(), sent.end(), "8|ExtractPackage|Validating cabinet : " + p1), sent.end());
  EXPECT_NE(std::find(sent.begin(), sent.end(), "8|ExtractPackage|Extracting files from cabinet :" + p1), sent.end())
      << Show(seen);
  EXPECT_EQ(Posted(seen).back(), "1224/0/0");
}

TEST_F(Package, MultipartWrongDigestAndWrongSetId) {
  struct Case {
    const char* what;
    std::string hash2;
    uint16_t setId2;
    int result;
    const char* message;
    std::string errorLine;
  };
  const Case cases[] = {
      {"wrong digest", "0123456789abcdef0123456789abcdef", 0x1234, -5, "Part file %s is corrupt.",
       "File is corrupt  : "},
      {"digest in upper case", "UPPER", 0x1234, -5, "Part file %s is corrupt.", "File is corrupt  : "},
      {"wrong set ID", "", 0x4321, -3, "Part file %s is invalid.", "Could not get the file status of the file : "},
  };
  for (const Case& k : cases) {
    std::string hash2 = k.hash2;
    if (hash2 == "UPPER") {
      MultipartPackage("", 0x1234);
      Text h, e;
      ComputeFileHash(parts[1], h, e);
      hash2 = ToUtf8(ToUpper(h));
    }
    MultipartPackage(hash2, k.setId2);
    tw.Clear();
    auto seen = Run();
    EXPECT_EQ(init.GetExtractionResult(), k.result) << k.what << Show(seen);
    const std::string p2 = ToUtf8(parts[1]);
    char expected[600];
    std::snprintf(expected, sizeof expected, k.message, p2.c_str());
    EXPECT_EQ(ToUtf8(init.GetExtractionMessage()), expected) << k.what;
    EXPECT_EQ(Posted(seen).back(), "1324/0/0") << k.what;
    auto sent = Sent(seen);
    EXPECT_NE(std::find(sent.begin(), sent.end(), "0|ExtractPackage|" + k.errorLine + p2), sent.end())
        << k.what << Show(seen);
    EXPECT_EQ(ReadBytes(extractTo + u"one.txt"), "<missing>") << k.what;
  }
}

DWORD WINAPI StopThenExtract(LPVOID slot) {
  ::SetEvent(static_cast<CWorkerThreadSlot*>(slot)->GetStopEvent());
  return ExtractPackage(slot);
}

TEST_F(Package, StopSignalledBeforeTheWorkerStartsDoesNothing) {
  WriteBytes(temp + u"WebCab1", test::ReadTestData("cabinet/mszip.cab"));
  CWorkerThreadSlot slot;
  ASSERT_EQ(slot.Start(tw.Handle(), StopThenExtract), S_OK);
  ::WaitForSingleObject(slot.GetThread(), 10000);
  EXPECT_FALSE(slot.Stop());
  EXPECT_TRUE(tw.Messages().empty()) << Show(tw.Messages());
  EXPECT_EQ(ReadBytes(extractTo + u"setup.exe"), "<missing>");
  EXPECT_EQ(init.GetExtractionResult(), -1);
}

// ---- the slot itself ---------------------------------------------------------

struct Probe {
  std::atomic<int> counter{0};
  std::atomic<bool> release{false};
};
Probe g_probe;

DWORD WINAPI WaitForStop(LPVOID arg) {
  auto* slot = static_cast<CWorkerThreadSlot*>(arg);
  g_probe.counter = reinterpret_cast<intptr_t>(slot->GetContext());
  ::WaitForSingleObject(slot->GetStopEvent(), 20000);
  return 0;
}
DWORD WINAPI Spin(LPVOID) {
  while (!g_probe.release) {
    ++g_probe.counter;
    ::Sleep(1);
  }
  return 0;
}

TEST(WorkerThreadSlot, StartPassesTheSlotAndStopSignalsTheEvent) {
  CWorkerThreadSlot slot;
  EXPECT_FALSE(slot.HasThread());
  EXPECT_FALSE(slot.Stop());  // nothing held
  ASSERT_EQ(slot.Start(reinterpret_cast<void*>(intptr_t(42)), WaitForStop), S_OK);
  EXPECT_EQ(slot.GetContext(), reinterpret_cast<void*>(intptr_t(42)));
  for (int i = 0; i < 500 && g_probe.counter != 42; ++i) ::Sleep(2);
  EXPECT_EQ(g_probe.counter, 42);
  DWORD start = ::GetTickCount();
  EXPECT_FALSE(slot.Stop());  // the thread ended on the event, well before the wait ran out
  EXPECT_LT(::GetTickCount() - start, 900u);
  EXPECT_EQ(slot.GetThread(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(::WaitForSingleObject(slot.GetStopEvent(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // reset again
}

TEST(WorkerThreadSlot, StopGivesUpAfterItsWaitOnAThreadThatIgnoresTheEvent) {
  g_probe.release = false;
  CWorkerThreadSlot slot;
  ASSERT_EQ(slot.Start(nullptr, Spin), S_OK);
  EXPECT_TRUE(slot.Stop());
  EXPECT_FALSE(slot.HasThread());
  g_probe.release = true;
  ::Sleep(50);
}

TEST(WorkerThreadSlot, SuspendResumeAndStopOfASuspendedThread) {
  g_probe.release = false;
  g_probe.counter = 0;
  CWorkerThreadSlot slot;
  ASSERT_EQ(slot.Start(nullptr, Spin), S_OK);
  ::Sleep(50);
  EXPECT_EQ(slot.Suspend(), 0u);
  ::Sleep(20);
  int held = g_probe.counter;
  ::Sleep(100);
  EXPECT_EQ(g_probe.counter, held);
  EXPECT_EQ(slot.Resume(), 1u);
  ::Sleep(100);
  EXPECT_GT(g_probe.counter, held);
  // A suspended thread is resumed by Stop, so that it can end.
  slot.Suspend();
  g_probe.release = true;
  EXPECT_FALSE(slot.Stop());
  EXPECT_EQ(slot.Suspend(), static_cast<DWORD>(-1));
}

TEST(WorkerThreadSlot, ResetClearsTheContextAndStartStopsTheThreadBefore) {
  CWorkerThreadSlot slot;
  ASSERT_EQ(slot.Start(reinterpret_cast<void*>(intptr_t(7)), WaitForStop), S_OK);
  for (int i = 0; i < 500 && g_probe.counter != 7; ++i) ::Sleep(2);
  const DWORD first = ::GetThreadId(slot.GetThread());
  ASSERT_EQ(slot.Start(reinterpret_cast<void*>(intptr_t(8)), WaitForStop), S_OK);
  EXPECT_NE(::GetThreadId(slot.GetThread()), first);
  for (int i = 0; i < 500 && g_probe.counter != 8; ++i) ::Sleep(2);
  EXPECT_EQ(g_probe.counter, 8);
  EXPECT_FALSE(slot.Reset());
  EXPECT_EQ(slot.GetContext(), nullptr);
}

}  // namespace
}  // namespace tovu
