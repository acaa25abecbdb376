// The progress window of the unattended and silent runs under Wine, as a
// real window of template 921 on a UI thread of its own: shown in the
// unattended run, never shown in the silent one; the worker started
// through the slot with the window as context; progress, log lines and the
// overwrite question handled; Enter and Esc do not close it; the worker's
// end launches or closes; Close asks, No resumes the worker, and Yes ends
// a child process with exit code 6.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "app/win32/message_box.h"
#include "app/win32/worker_thread_slot.h"
#include "cabinet/cab_decompressor.h"
#include "container/extractor.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "ui/win32/unattended_extracter.h"
#include "util/cutil.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

std::string WindowText(HWND h) {
  wchar_t buffer[512] = {};
  int n = ::GetWindowTextW(h, buffer, 512);
  return U8(FromW(buffer, size_t(n)));
}

std::string ClassOf(HWND h) {
  wchar_t cls[64] = {};
  int n = ::GetClassNameW(h, cls, 64);
  return U8(FromW(cls, size_t(n)));
}

bool Eventually(const std::function<bool()>& condition, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (condition()) return true;
    ::Sleep(10);
  }
  return condition();
}

// The worker of these tests: counts while it runs, until its stop event.
std::atomic<int> g_ticks{0};
std::atomic<int> g_workerStarts{0};
std::atomic<void*> g_workerContext{nullptr};
DWORD WINAPI CountingWorker(LPVOID parameter) {
  auto* slot = static_cast<CWorkerThreadSlot*>(parameter);
  g_workerContext = slot->GetContext();
  ++g_workerStarts;
  // Each tick is a report to the window, as the extraction worker's are:
  // a worker held by the window stands still at its next one.
  while (::WaitForSingleObject(slot->GetStopEvent(), 2) == WAIT_TIMEOUT) {
    CWorkerThreadSlot::WaitWhileHeld();
    ++g_ticks;
  }
  return 0;
}

// Dialog windows (#32770) of a thread; `visibleOnly` skips hidden ones.
std::vector<HWND> DialogsOf(DWORD thread, bool visibleOnly) {
  struct Ctx {
    std::vector<HWND> found;
    bool visibleOnly;
  } ctx{{}, visibleOnly};
  ::EnumThreadWindows(
      thread,
      [](HWND h, LPARAM l) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(l);
        if (ClassOf(h) == "#32770" && (!c->visibleOnly || ::IsWindowVisible(h))) c->found.push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.found;
}

class Unattended : public ::testing::Test {
 protected:
  Unattended() : log(platform), util(platform, log), init(platform, log, util), messages(platform) {
    SetPlatform(&platform);
    wchar_t tmp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, tmp);
    logPath = FromW(tmp) + u"tovu-unattended-" + Widen(std::to_string(::GetCurrentProcessId())) + u".log";
    ::DeleteFileW(W(logPath));
    log.InitLogFile(logPath, 11);
    init.SetExtractionFolder(u"C:\\Demo\\Extract\\");
    g_ticks = 0;
    g_workerStarts = 0;
    g_workerContext = nullptr;
    g_bAbortExtraction = 0;
    g_nOverwriteAnswer = -1;
    g_bContinueLaunching = 0;
  }
  ~Unattended() override {
    if (ui.joinable()) {
      if (window != nullptr) ::PostMessageW(window, WM_EXTRACT_FAILED, 0, 0);
      ui.join();
    }
    slot.Stop();
    g_bAbortExtraction = 0;
    ::DeleteFileW(W(logPath));
  }

  // Runs the window modally on a UI thread and waits for it to exist.
  void Start(int visible) {
    std::atomic<DWORD> thread{0};
    ui = std::thread([this, visible, &thread] {
      UnattendedExtracterServices services{log, init, messages, slot, CountingWorker, u"Tovu Demo 2.5", {}, {}, {}, {}};
      services.launchSetups = [this] {
        ++launches;
        launchedWhileVisible = ::IsWindowVisible(window) != FALSE;
      };
      services.messageBox = [this](const Text& text, uint32_t style) {
        return ShowTovuMessageBox(text, style, u"Tovu Demo 2.5", &messages);
      };
      services.quit = [this](int code) { quitCode = code; };
      CUnattendedExtracter dialog(visible, services);
      thread = ::GetCurrentThreadId();
      result = dialog.DoModal();
      finished = true;
    });
    ASSERT_TRUE(Eventually([&] { return thread != 0 && !DialogsOf(thread, false).empty(); }));
    uiThread = thread;
    window = DialogsOf(uiThread, false).front();
    ASSERT_TRUE(Eventually([&] { return g_workerStarts == 1; }));
  }
  HWND Bar() const { return ::GetDlgItem(window, IDC_UNATTENDED_PROGRESS); }
  HWND Status() const { return ::GetDlgItem(window, IDC_UNATTENDED_STATUS); }
  int Pos() const { return int(::SendMessageW(Bar(), PBM_GETPOS, 0, 0)); }
  std::pair<int, int> Range() const {
    PBRANGE r{};
    ::SendMessageW(Bar(), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&r));
    return {r.iLow, r.iHigh};
  }
  void Progress(WPARAM sub, LPARAM value) { ::PostMessageW(window, WM_EXTRACT_PROGRESS, sub, value); }
  std::string LogText() { return test_ReadFile(logPath); }
  static std::string test_ReadFile(const Text& path) {
    HANDLE h = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    std::string out(1 << 16, '\0');
    DWORD got = 0;
    ::ReadFile(h, out.data(), DWORD(out.size()), &got, nullptr);
    ::CloseHandle(h);
    out.resize(got);
    return out;
  }
  bool Finish(DWORD ms = 5000) { return Eventually([&] { return finished.load(); }, int(ms)); }

  Win32Platform platform;
  CBuildLogFile log;
  CUtil util;
  CTovuInitalizer init;
  CMessageCatalog messages;
  CWorkerThreadSlot slot;
  Text logPath;
  std::thread ui;
  DWORD uiThread = 0;
  HWND window = nullptr;
  std::atomic<int> launches{0};
  std::atomic<bool> launchedWhileVisible{false};
  std::atomic<int> quitCode{-1000};
  std::atomic<INT_PTR> result{-1000};
  std::atomic<bool> finished{false};
};

TEST_F(Unattended, UnattendedRunShowsTheWindowAndFollowsTheWorker) {
  Start(1);
  EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(window) != FALSE; }));
  EXPECT_EQ(WindowText(window), "Tovu Demo 2.5");
  EXPECT_EQ(ClassOf(Bar()), "msctls_progress32");
  EXPECT_EQ(WindowText(Status()), "Reading the contents of the package...");
  EXPECT_EQ(Range(), std::make_pair(0, 100));
  EXPECT_EQ(Pos(), 1);
  // The template's size: 353 x 38 dialog units.
  RECT units{0, 0, 353, 38};
  ::MapDialogRect(window, &units);
  RECT client{};
  ::GetClientRect(window, &client);
  EXPECT_EQ(client.right, units.right);
  EXPECT_EQ(client.bottom, units.bottom);
  // The worker runs in the slot and reports to this window.
  EXPECT_EQ(g_workerContext.load(), static_cast<void*>(window));
  EXPECT_EQ(g_bContinueLaunching, 1);

  // File count 10 without clearing: range 1..11, then one step per file.
  Progress(PROGRESS_FILE_COUNT, 10);
  EXPECT_TRUE(Eventually([&] { return Range() == std::make_pair(1, 11); }));
  EXPECT_EQ(WindowText(Status()), "Extracting the package...");
  for (int i = 0; i < 3; ++i) Progress(PROGRESS_STEP, 0);
  EXPECT_TRUE(Eventually([&] { return Pos() == 4; })) << Pos();
  // Emptying the folder, then 150 files: w = 4, range 0..158, position 4.
  Progress(PROGRESS_EMPTYING, 0);
  EXPECT_TRUE(Eventually([&] { return WindowText(Status()) == "Deleting the contents of the destination folder..."; }));
  EXPECT_EQ(Range(), std::make_pair(0, 100));
  EXPECT_EQ(Pos(), 1);
  Progress(PROGRESS_FILE_COUNT, 150);
  Progress(PROGRESS_STEP, 0);
  EXPECT_TRUE(Eventually([&] { return Range() == std::make_pair(0, 158) && Pos() == 5; })) << Pos();
  Progress(PROGRESS_CABINET_READY, 100);
  EXPECT_TRUE(Eventually([&] { return Pos() == 2; }));

  // A log line of the worker is written by the window's thread.
  LogRelayRecord record;
  record.level = 8;
  record.function = u"ExtractPackage";
  record.text = u"Extracting the Setup to : %s";
  record.argument = u"C:\\Demo\\Extract\\";
  EXPECT_EQ(::SendMessageW(window, WM_EXTRACT_LOG, reinterpret_cast<WPARAM>(&record), 0), 1);
  const std::string text = LogText();
  EXPECT_NE(text.find("ExtractPackage"), std::string::npos) << text;
  EXPECT_NE(text.find("|Extracting the Setup to : C:\\Demo\\Extract\\"), std::string::npos) << text;
  EXPECT_NE(text.find("|ExtractPath"), std::string::npos) << text;
  EXPECT_NE(text.find("| C:\\Demo\\Extract\\"), std::string::npos) << text;
  // The overwrite question is answered for all files.
  EXPECT_EQ(::SendMessageW(window, WM_ASK_OVERWRITE, 0, 0), 1);
  EXPECT_EQ(g_nOverwriteAnswer, OVERWRITE_YES_TO_ALL);

  // Enter and Esc move the focus instead of closing the window.
  for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
    ::PostMessageW(window, WM_KEYDOWN, key, 0);
    ::PostMessageW(window, WM_KEYUP, key, 0);
  }
  ::Sleep(300);
  EXPECT_FALSE(finished.load());

  // Extraction done without autolaunch: the window closes with OK.
  init.SetAutolaunchFlag(0);
  ::PostMessageW(window, WM_EXTRACT_DONE, 0, 0);
  ASSERT_TRUE(Finish());
  ui.join();
  EXPECT_EQ(result.load(), IDOK);
  EXPECT_EQ(launches.load(), 0);
  EXPECT_FALSE(::IsWindow(window));
}

TEST_F(Unattended, SilentRunNeverShowsTheWindowYetLaunchesOnDone) {
  Start(0);
  // However long it runs and whatever it gets, it is never seen.
  bool everVisible = false;
  for (int i = 0; i < 50; ++i) {
    if (i == 10) ::ShowWindow(window, SW_SHOW);
    if (i == 20) ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    Progress(PROGRESS_STEP, 0);
    everVisible = everVisible || ::IsWindowVisible(window) || (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE);
    ::Sleep(10);
  }
  EXPECT_FALSE(everVisible);
  EXPECT_TRUE(DialogsOf(uiThread, true).empty());
  // The messages still arrive: 50 steps from position 1.
  EXPECT_TRUE(Eventually([&] { return Pos() == 51; })) << Pos();
  EXPECT_EQ(WindowText(Status()), "");

  init.SetAutolaunchFlag(1);
  ::PostMessageW(window, WM_EXTRACT_DONE, 0, 0);
  ASSERT_TRUE(Finish());
  ui.join();
  EXPECT_EQ(launches.load(), 1);
  EXPECT_FALSE(launchedWhileVisible.load());
  EXPECT_EQ(result.load(), 0);
}

TEST_F(Unattended, DoneWithAutolaunchHidesTheVisibleWindowBeforeLaunching) {
  Start(1);
  EXPECT_TRUE(Eventually([&] { return ::IsWindowVisible(window) != FALSE; }));
  init.SetAutolaunchFlag(1);
  ::PostMessageW(window, WM_EXTRACT_DONE, 0, 0);
  ASSERT_TRUE(Finish());
  ui.join();
  EXPECT_EQ(launches.load(), 1);
  EXPECT_FALSE(launchedWhileVisible.load());
  EXPECT_EQ(result.load(), 0);
}

TEST_F(Unattended, FailedExtractionClosesTheWindow) {
  Start(1);
  init.SetAutolaunchFlag(1);
  ::PostMessageW(window, WM_EXTRACT_FAILED, 0, 0);
  ASSERT_TRUE(Finish());
  ui.join();
  EXPECT_EQ(result.load(), IDOK);
  EXPECT_EQ(launches.load(), 0);
}

// The question box of the UI thread (not the progress window itself).
HWND QuestionBox(DWORD thread, HWND window) {
  for (HWND h : DialogsOf(thread, true))
    if (h != window && ::GetDlgItem(h, IDYES) != nullptr) return h;
  return nullptr;
}

TEST_F(Unattended, CloseAnsweredNoPausesTheWorkerAndGoesOn) {
  Start(1);
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  HWND box = nullptr;
  ASSERT_TRUE(Eventually([&] { return (box = QuestionBox(uiThread, window)) != nullptr; }));
  ::Sleep(100);
  std::vector<std::string> texts;
  ::EnumChildWindows(
      box,
      [](HWND h, LPARAM l) -> BOOL {
        reinterpret_cast<std::vector<std::string>*>(l)->push_back(WindowText(h));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Do you really want to cancel?"), texts.end());
  EXPECT_EQ(WindowText(::GetDlgItem(box, IDYES)), "&Yes");
  EXPECT_EQ(WindowText(::GetDlgItem(box, IDNO)), "&No");
  EXPECT_EQ(WindowText(box), "Tovu Demo 2.5");
  // The worker stands still while the question is open.
  const int before = g_ticks;
  ::Sleep(200);
  EXPECT_EQ(g_ticks.load(), before);
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
  EXPECT_TRUE(Eventually([&] { return g_ticks > before + 5; }));
  EXPECT_FALSE(finished.load());
  EXPECT_EQ(quitCode.load(), -1000);
  EXPECT_EQ(g_bAbortExtraction, 0);
  EXPECT_NE(LogText().find("|Extraction paused"), std::string::npos);
}

TEST_F(Unattended, CloseConfirmedEndsTheProcessWithExitCode6) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring helper(self);
  helper = helper.substr(0, helper.find_last_of(L'\\') + 1) + L"win_unattended_child.exe";
  const std::wstring caption = L"Tovu Child " + std::to_wstring(::GetCurrentProcessId());
  const std::wstring report = std::wstring(W(logPath)) + L".child";
  ::DeleteFileW(report.c_str());
  std::wstring command = L"\"" + helper + L"\" \"" + report + L"\" \"" + caption + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(::CreateProcessW(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      << ::GetLastError();
  HWND child = nullptr;
  EXPECT_TRUE(Eventually([&] { return (child = ::FindWindowW(L"#32770", caption.c_str())) != nullptr; }, 20000));
  if (child != nullptr) {
    ::PostMessageW(child, WM_CLOSE, 0, 0);
    const DWORD childThread = ::GetWindowThreadProcessId(child, nullptr);
    HWND box = nullptr;
    EXPECT_TRUE(Eventually([&] { return (box = QuestionBox(childThread, child)) != nullptr; }, 10000));
    if (box != nullptr) {
      ::Sleep(100);
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
    }
  }
  const bool ended = ::WaitForSingleObject(pi.hProcess, 15000) == WAIT_OBJECT_0;
  if (!ended) ::TerminateProcess(pi.hProcess, 99);
  DWORD code = 0;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_TRUE(ended);
  EXPECT_EQ(code, 6u);
  // The worker was stopped and the run marked as cancelled before the end.
  EXPECT_EQ(test_ReadFile(FromW(report.c_str())), "abort=1 status=11 thread=0");
  ::DeleteFileW(report.c_str());
  ::DeleteFileW((report + L".log").c_str());
}

}  // namespace
}  // namespace tovu
