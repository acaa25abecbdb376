// The process launcher under Wine with real processes: the test setup
// started with its parameters and waited for (exit code, the pause after
// its end, the working folder it inherits), no wait and a limited wait
// (STILL_ACTIVE), a batch file through the shell, placeholders expanded,
// and the files the shell cannot start (missing, not a program, no
// association), each reported through the error text with the system's
// reason. With TOVU_LAUNCH_MSI set (the scenario launch_msi.sh), a Windows
// Installer package goes through msiexec and installs its file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "launch_test_support.h"
#include "util/process_launch.h"
#include "util/win32/process_launch_win32.h"

namespace tovu {
namespace {

using namespace test;

class Process : public ::testing::Test {
 protected:
  Process() : log(platform), util(platform, log), scratch(util, u"tovulaunchp"), launcher(util, services, platform) {
    SetPlatform(&platform);
    log.InitLogFile(scratch.root + u"test.log", 11);
    record = scratch.root + u"record.txt";
    ::SetEnvironmentVariableW(L"TOVU_TEST_SETUP_RECORD", W(record));
    setup = scratch.root + u"ext\\setup.exe";
    EXPECT_TRUE(PlaceSetup(scratch.root, u"ext\\setup.exe"));
  }
  ~Process() override {
    ::SetEnvironmentVariableW(L"TOVU_TEST_SETUP_RECORD", nullptr);
    SetPlatform(nullptr);
  }
  Win32Platform platform;
  KeptLog log;
  CUtil util;
  Scratch scratch;
  CWin32ProcessServices services;
  CProcessLauncher launcher;
  Text record, setup, error;
};

TEST_F(Process, ASetupIsWaitedForAndItsExitCodeComesBackAfterThePause) {
  launcher.SetOSVersion(6, 1);
  wchar_t cwd[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, cwd);
  DWORD start = ::GetTickCount();
  int rc = launcher.LaunchApplication(setup, u"/s /exit=3010 /sleep=300 \"/v=a b\"", error, kLaunchWaitForever);
  DWORD elapsed = ::GetTickCount() - start;
  EXPECT_EQ(rc, 3010);
  EXPECT_EQ(error, u"");
  EXPECT_GE(elapsed, 300u + 200u);
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"/s", "/exit=3010", "/sleep=300", "/v=a b"}));
  EXPECT_EQ(runs[0].cwd, U8(FromW(cwd)));  // no working folder of its own
  EXPECT_EQ(runs[0].files, (std::vector<std::string>{"setup.exe"}));
  EXPECT_TRUE(EqualsNoCase(FromUtf8(runs[0].exe), setup));

  // Exit code 0 needs no pipe reading and still pauses.
  start = ::GetTickCount();
  EXPECT_EQ(launcher.LaunchApplication(setup, u"", error, kLaunchWaitForever), 0);
  EXPECT_GE(::GetTickCount() - start, 200u);
}

TEST_F(Process, WithoutOrWithALimitedWaitARunningSetupGivesStillActive) {
  DWORD start = ::GetTickCount();
  EXPECT_EQ(launcher.LaunchApplication(setup, u"/sleep=4000 /exit=5", error, kLaunchNoWait), kStillActive);
  EXPECT_LT(::GetTickCount() - start, 3000u);
  start = ::GetTickCount();
  EXPECT_EQ(launcher.LaunchApplication(setup, u"/sleep=4000 /exit=5", error, 600), kStillActive);
  DWORD elapsed = ::GetTickCount() - start;
  EXPECT_GE(elapsed, 600u + 200u);
  EXPECT_LT(elapsed, 3500u);
  EXPECT_EQ(WaitForRuns(record, 2).size(), 2u);
  // A limited wait long enough for the setup gives its code.
  EXPECT_EQ(launcher.LaunchApplication(setup, u"/exit=9", error, 15000), 9);
  ::Sleep(4500);  // the two sleepers end before the prefix is torn down
}

TEST_F(Process, OtherFilesGoToTheShellAndPlaceholdersAreExpanded) {
  Text batch = scratch.root + u"ext\\run.bat";
  WriteText(batch, "@echo off\r\nexit /b 7\r\n");
  EXPECT_EQ(launcher.LaunchApplication(batch, u"", error, kLaunchWaitForever), 7);
  EXPECT_EQ(error, u"");

  wchar_t temp[MAX_PATH];
  ::GetEnvironmentVariableW(L"TEMP", temp, MAX_PATH);
  EXPECT_EQ(launcher.LaunchApplication(setup, u"/log=%TEMP%\\x.log /q=%Temp% /n=%NOSUCHVAR% ", error, 1), 0);
  auto runs = ReadRuns(record);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].args, (std::vector<std::string>{"/log=" + U8(FromW(temp)) + "\\x.log", "/q=" + U8(FromW(temp)),
                                                    "/n=%NOSUCHVAR%"}));
  EXPECT_TRUE(log.Has("1 IsEnvVarPresent: Env variable not supported.."));
}

TEST_F(Process, AFileTheShellCannotStartIsAnErrorWithTheSystemsReason) {
  Text notProgram = scratch.root + u"ext\\notaprogram.exe";
  WriteText(notProgram, "this is text, not a program\r\n");
  Text noAssociation = scratch.root + u"ext\\data.tovunoassoc";
  WriteText(noAssociation, "x");
  struct Case {
    Text file;
    const char* why;
  } cases[] = {
      {scratch.root + u"ext\\missing.exe", "missing"},
      {notProgram, "not a program"},
      {noAssociation, "no association"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    error.clear();
    EXPECT_EQ(launcher.LaunchApplication(c.file, u"/s", error, kLaunchWaitForever), 0);
    std::string text = U8(error);
    EXPECT_EQ(text.rfind("Could not start " + U8(c.file) + " : ", 0), 0u) << text;
    EXPECT_NE(text.find("(error "), std::string::npos) << text;
    // The system's reason stands between the file and the number.
    EXPECT_GT(text.size(), ("Could not start " + U8(c.file) + " : (error 1)").size() + 5) << text;
  }
  EXPECT_TRUE(ReadRuns(record).empty());
}

TEST_F(Process, AWindowsInstallerPackageIsInstalledThroughMsiexec) {
  const char* msi = std::getenv("TOVU_LAUNCH_MSI");
  const char* installed = std::getenv("TOVU_LAUNCH_MSI_FILE");
  if (!msi || !installed) GTEST_SKIP() << "run by the scenario launch_msi.sh";
  Text package = FromUtf8(msi);
  Text target = FromUtf8(installed);
  ::DeleteFileW(W(target));
  int rc = launcher.LaunchApplication(package, u"/qn", error, kLaunchWaitForever);
  EXPECT_EQ(error, u"");
  EXPECT_EQ(rc, 0);
  EXPECT_NE(::GetFileAttributesW(W(target)), INVALID_FILE_ATTRIBUTES) << U8(target);
  EXPECT_EQ(launcher.ChooseVerb(kMsiexecProgram), u"runas");  // Wine reports Windows 6.1 or later
}

}  // namespace
}  // namespace tovu
