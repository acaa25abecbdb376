// The launch chain under Wine with real setups: an extraction folder with
// copies of the test setup, the package settings, the initialiser's state,
// and HandleLaunchSetup over the real process launcher. Return-code
// sections (3010 as success with its message, 1 as error with and without
// ExitOnAutolaunchFailure), the multi-launch order, Mode "Tovu" in the
// unattended and silent runs, no waiting with the list handed over at
// once, the worked example of the Start.exe launcher and its reversed
// order, a setup the shell cannot start, and the launch thread through the
// worker-thread slot reporting to a window.
#include <gtest/gtest.h>

#include "app/finish_messages.h"
#include "app/win32/worker_thread_slot.h"
#include "launch/launch_flags.h"
#include "launch/setup_launcher.h"
#include "launch/win32/launch_thread.h"
#include "launch_test_support.h"
#include "settings/initializer.h"
#include "util/process_launch.h"
#include "util/win32/process_launch_win32.h"

namespace tovu {
namespace {

using namespace test;

// The application's part, with a stand-in for the clean-up's list file
// (one line per setup entry seen so far, enough for a setup to read).
class Host : public ILaunchHost, public IDeleteListWriter {
 public:
  int GetCheckOsFlag() override { return 0; }
  int GetOSCheckResult() override { return 300; }
  int GetDeleteOnExitFlag() override { return deleteOnExit; }
  Text GetSettingsFingerprint() override { return Text(); }
  void DeleteTovuTempDir() override { ++tempDeletes; }
  Text GetOSMessage(int, int) override { return Text(); }
  int ShowMessageBox(const Text&, uint32_t) override { return 1; }
  bool WriteToDeletetxt() override {
    WriteText(listPath, "[FilesToDelete]\r\n" + U8(listPath) + "\r\n");
    ++listWrites;
    return true;
  }
  int deleteOnExit = 0;
  int tempDeletes = 0;
  int listWrites = 0;
  Text listPath;
};

class Chain : public ::testing::Test {
 protected:
  Chain()
      : log(platform),
        util(platform, log),
        scratch(util, u"tovulaunchc"),
        init(platform, log, util),
        finish(platform, log, util, init),
        launcher(util, services, platform),
        setup(platform, log, util, init, finish, launcher, host, host) {
    SetPlatform(&platform);
    log.InitLogFile(scratch.root + u"extract.log", 11);
    ext = scratch.root + u"ext\\";
    MakeFolders(scratch.root + u"ext");
    MakeFolders(scratch.root + u"tmp");
    record = scratch.root + u"record.txt";
    ::SetEnvironmentVariableW(L"TOVU_TEST_SETUP_RECORD", W(record));
    init.SetSettingsPath(scratch.root + u"tmp\\Properties_Tovu.ini");
    init.SetExtractionFolder(ext);
    init.SetSetupLanguage(1033);
    init.SetRunMode(RUNMODE_UNATTENDED);
    init.SetNoOSCheckFlag(1);
    init.SetWaitForAutolaunchFinishFlag(1);
    host.listPath = ext + u"ExtractedFilesToDelete.txt";
    SetContinueLaunching(1);
  }
  ~Chain() override {
    ::SetEnvironmentVariableW(L"TOVU_TEST_SETUP_RECORD", nullptr);
    SetPlatform(nullptr);
  }
  void Settings(const std::string& ini) { WriteText(init.GetSettingsPath(), ini); }
  int Exit() { return ComputeExitCode(init.GetRunStatus(), init.GetLaunchStoppedFlag(), finish.GetReturnCode()); }
  std::string Ext() const { return U8(ext); }

  Win32Platform platform;
  KeptLog log;
  CUtil util;
  Scratch scratch;
  CTovuInitalizer init;
  CFinishMessages finish;
  CWin32ProcessServices services;
  CProcessLauncher launcher;
  Host host;
  CSetupLauncher setup;
  Text ext, record;
};

TEST_F(Chain, A3010ConfiguredAsSuccessGivesExitCode0AndTheMessage) {
  ASSERT_TRUE(PlaceSetup(ext, u"setup.exe"));
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n[AutoLaunch]\r\nReturnCode_3010=success:{MsgReboot}\r\n"
           "[1033]\r\nLaunchEXEParams=/s /exit=3010\r\nMsgReboot=Restart the computer to finish.\r\n");
  EXPECT_EQ(setup.HandleLaunchSetup(), 0);
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"/s", "/exit=3010"}));
  EXPECT_EQ(host.tempDeletes, 1);
  EXPECT_EQ(init.GetRunStatus(), 0);
  EXPECT_EQ(finish.GetFinishMessage(), u"Restart the computer to finish.");
  EXPECT_TRUE(log.Has("8 SetFinishMessage: Message Configuerd : Restart the computer to finish."));
  EXPECT_TRUE(log.Has("8 LaunchMultipleApplications: Return code of - " + Ext() + "\\setup.exe is 3010"));
  EXPECT_EQ(Exit(), 0);
}

TEST_F(Chain, AnErrorCodeStopsTheSecondSetupOnlyWithExitOnAutolaunchFailure) {
  ASSERT_TRUE(PlaceSetup(ext, u"one\\setup.exe"));
  ASSERT_TRUE(PlaceSetup(ext, u"two\\setup.exe"));
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=one\\setup.exe\r\nAutoLaunch2=two\\setup.exe\r\n"
           "[AutoLaunch1]\r\nReturnCode_1=error:{MsgFail}\r\n"
           "[1033]\r\nLaunchEXEParams1=/exit=1\r\nLaunchEXEParams2=/exit=0\r\nMsgFail=Setup one failed.\r\n");
  for (int exitOnFailure : {1, 0}) {
    CFinishMessages f(platform, log, util, init);
    CSetupLauncher l(platform, log, util, init, f, launcher, host, host);
    ::DeleteFileW(W(record));
    init.SetRunStatus(0);
    init.SetLaunchStoppedFlag(0);
    init.SetExitOnAutolaunchFailureFlag(exitOnFailure);
    SCOPED_TRACE(exitOnFailure);
    l.HandleLaunchSetup();
    auto runs = ReadRuns(record);
    ASSERT_EQ(runs.size(), exitOnFailure ? 1u : 2u);
    EXPECT_NE(runs[0].exe.find("\\one\\setup.exe"), std::string::npos);
    EXPECT_EQ(init.GetRunStatus(), -6);
    EXPECT_EQ(f.GetFinishMessage(), u"Setup one failed.");
    EXPECT_EQ(ComputeExitCode(init.GetRunStatus(), init.GetLaunchStoppedFlag(), f.GetReturnCode()),
              exitOnFailure ? 1 : 0);
  }
}

TEST_F(Chain, MultiLaunchRunsTheSetupsInKeyOrder) {
  for (const char16_t* s : {u"c\\setup.exe", u"a\\setup.exe", u"b\\setup.exe"}) ASSERT_TRUE(PlaceSetup(ext, s));
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=c\\setup.exe\r\nAutoLaunch2=a\\setup.exe\r\n"
           "AutoLaunch3=b\\setup.exe\r\n[1033]\r\nLaunchEXEParams1=/first /sleep=300\r\nLaunchEXEParams2=/second\r\n"
           "LaunchEXEParams3=/third\r\n");
  EXPECT_EQ(setup.HandleLaunchSetup(), 0);
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 3u);
  const char* order[] = {"\\c\\setup.exe", "\\a\\setup.exe", "\\b\\setup.exe"};
  const char* first[] = {"/first", "/second", "/third"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NE(runs[i].exe.find(order[i]), std::string::npos) << runs[i].exe;
    EXPECT_EQ(runs[i].args.front(), first[i]);
  }
}

TEST_F(Chain, ModeTovuAddsTheUnattendedOrSilentParameters) {
  ASSERT_TRUE(PlaceSetup(ext, u"setup.exe"));
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\nMode=tovu\r\n[1033]\r\nLaunchEXEParams=/base\r\n"
           "LaunchEXEParamsSilent=/quiet /norestart\r\nLaunchEXEParamsUnattended=/passive\r\n");
  init.SetRunMode(RUNMODE_UNATTENDED);
  setup.HandleLaunchSetup();
  init.SetRunMode(RUNMODE_SILENT);
  setup.HandleLaunchSetup();
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"/base", "/passive"}));
  EXPECT_EQ(runs[1].args, (std::vector<std::string>{"/base", "/quiet", "/norestart"}));
}

TEST_F(Chain, WithoutWaitingTheLaunchEndsAtOnceAndTheLauncherFindsItsList) {
  ASSERT_TRUE(PlaceSetup(ext, u"Start.exe"));
  ASSERT_TRUE(PlaceSetup(ext, u"InstData\\Resources\\VREL2.exe"));
  Settings("[Runtime]\r\nAutoLaunch=Start.exe\r\n[1033]\r\nLaunchEXEParams=/s /sleep=1500\r\n");
  init.SetRunMode(RUNMODE_GUI);
  init.SetWaitForAutolaunchFinishFlag(0);
  host.deleteOnExit = 1;
  DWORD start = ::GetTickCount();
  EXPECT_EQ(setup.HandleLaunchSetup(), LAUNCH_END_WIZARD);
  EXPECT_LT(::GetTickCount() - start, 1400u);
  EXPECT_EQ(host.listWrites, 1);
  auto runs = WaitForRuns(record, 1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].deleteList, U8(host.listPath) + " exists");
  EXPECT_EQ(runs[0].list.front(), "[FilesToDelete]");
  EXPECT_FALSE(log.HasPrefix("8 LaunchMultipleApplications: Finished - "));
  ::Sleep(1700);
}

TEST_F(Chain, TheLauncherLastKeepsTheDeleteParameterAndFirstLosesIt) {
  ASSERT_TRUE(PlaceSetup(ext, u"Setup\\Start.exe"));
  ASSERT_TRUE(PlaceSetup(ext, u"Setup\\InstData\\Resources\\VREL2.exe"));
  ASSERT_TRUE(PlaceSetup(ext, u"Tools\\Product.exe"));
  init.SetRunMode(RUNMODE_GUI);
  host.deleteOnExit = 1;
  const std::string lang = "[1033]\r\nLaunchEXEParams1=/s\r\nLaunchEXEParams2=/qb\r\n";
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=Setup\\Start.exe\r\nAutoLaunch2=Tools\\Product.exe\r\n" + lang);
  EXPECT_EQ(setup.HandleLaunchSetup(), 0);
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"/s"});
  EXPECT_EQ(runs[0].cmdline.substr(runs[0].cmdline.size() - 3), " /s");  // no trailing blank
  EXPECT_EQ(runs[1].args, std::vector<std::string>{"/qb"});
  EXPECT_EQ(init.GetFrameDeletesFlag(), 1);
  EXPECT_EQ(host.listWrites, 0);

  ::DeleteFileW(W(record));
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=Tools\\Product.exe\r\nAutoLaunch2=Setup\\Start.exe\r\n"
           "[1033]\r\nLaunchEXEParams1=/qb\r\nLaunchEXEParams2=/s\r\n");
  EXPECT_EQ(setup.HandleLaunchSetup(), 0);
  runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].args, std::vector<std::string>{"/qb"});
  EXPECT_EQ(runs[0].deleteList, "");
  EXPECT_EQ(runs[1].args, (std::vector<std::string>{"/s", "/DeleteOnFinish=" + U8(host.listPath)}));
  EXPECT_EQ(runs[1].deleteList, U8(host.listPath) + " exists");  // written before the first setup started
  EXPECT_EQ(init.GetFrameDeletesFlag(), 0);
}

TEST_F(Chain, ASetupTheShellCannotStartIsNoSuccess) {
  WriteText(ext + u"setup.exe", "not a program\r\n");
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n[1033]\r\nLaunchEXEParams=/s\r\n");
  EXPECT_EQ(setup.HandleLaunchSetup(), 0);
  EXPECT_EQ(init.GetRunStatus(), -4);
  EXPECT_TRUE(log.HasPrefix("0 LaunchMultipleApplications: Could not start " + Ext() + "\\setup.exe : "));
  EXPECT_FALSE(log.HasPrefix("8 LaunchMultipleApplications: Return code of - "));
  EXPECT_EQ(PrincipalFinishMessage(init.GetRunStatus()), 611);
}

// A message-only window that keeps what it is posted.
LRESULT CALLBACK ReportProc(HWND h, UINT m, WPARAM w, LPARAM l) { return ::DefWindowProcW(h, m, w, l); }

TEST_F(Chain, TheLaunchThreadRunsTheLaunchAndReportsItsEnd) {
  ASSERT_TRUE(PlaceSetup(ext, u"setup.exe"));
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n[1033]\r\nLaunchEXEParams=/thread /sleep=200\r\n");
  WNDCLASSW wc{};
  wc.lpfnWndProc = ReportProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TovuLaunchReport";
  ::RegisterClassW(&wc);
  HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  g_hLaunchReportWindow = window;
  SetLaunchThreadContext(&setup, &log);
  CWorkerThreadSlot slot;
  ASSERT_EQ(slot.Start(nullptr, LaunchSetupThread), S_OK);
  ::SetTimer(window, 1, 30000, nullptr);
  MSG msg;
  bool finished = false;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_LAUNCH_FINISHED) {
      EXPECT_EQ(msg.wParam, 0u);
      EXPECT_EQ(msg.lParam, 0);
      finished = true;
      break;
    }
    if (msg.message == WM_TIMER) break;
  }
  EXPECT_TRUE(finished);
  EXPECT_FALSE(slot.HasThread());  // the thread emptied the slot itself
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args.front(), "/thread");
  EXPECT_TRUE(log.Has("8 LaunchSetupThread: Started the Launch process"));
  g_hLaunchReportWindow = nullptr;
  SetLaunchThreadContext(nullptr, nullptr);
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace tovu
