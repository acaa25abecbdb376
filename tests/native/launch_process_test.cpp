// Process launching over scripted system calls: the program, parameters
// and verb the shell is given for each kind of file, the elevation rule of
// the Windows Installer, the waits, the pipe step, the pause after every
// launch, the exit code, and the error text when nothing could be started.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "util/cutil.h"
#include "util/process_launch.h"

namespace tovu {
namespace {

using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }

// Records every call in order; answers from its fields.
class ScriptedServices : public IProcessServices {
 public:
  uint32_t CreatePipe() override {
    calls.push_back("pipe");
    return pipeError;
  }
  void ClosePipeWriteEnd() override { calls.push_back("close-write"); }
  bool ReadPipe(void*, uint32_t size, uint32_t& got) override {
    calls.push_back("read " + std::to_string(size));
    got = 0;
    return readsThatSucceed-- > 0;
  }
  void ClosePipe() override { calls.push_back("close-pipe"); }
  uint32_t RunShellExecute(const Text& verb, const Text& file, const Text& parameters) override {
    calls.push_back("shell [" + U8(verb) + "] [" + U8(file) + "] [" + U8(parameters) + "]");
    return shellError;
  }
  void WaitForProcess(uint32_t ms) override { calls.push_back("wait " + std::to_string(ms)); }
  bool GetExitCode(uint32_t& code) override {
    code = exitCode;
    return haveProcess;
  }
  void CloseProcess() override {}
  void Sleep(uint32_t ms) override { calls.push_back("sleep " + std::to_string(ms)); }

  std::vector<std::string> calls;
  uint32_t pipeError = 0;
  uint32_t shellError = 0;
  uint32_t exitCode = 0;
  bool haveProcess = true;
  int readsThatSucceed = 0;
};

class LinesLog : public CLogFile {
 public:
  explicit LinesLog(IPlatform& p) : CLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(U8(Text(function)) + ": " + U8(message));
    return 0;
  }
  std::vector<std::string> lines;
};

class Launch : public ::testing::Test {
 protected:
  Launch() : log(platform), util(platform, log), launcher(util, services, platform) {
    platform.SetWindowsMajorVersion(6);
    log.InitLogFile(u"C:\\test.log", 11);
  }
  std::vector<std::string> Shell() const {
    std::vector<std::string> v;
    for (const auto& c : services.calls)
      if (c.rfind("shell", 0) == 0) v.push_back(c);
    return v;
  }
  FakePlatform platform;
  LinesLog log;
  CUtil util;
  ScriptedServices services;
  CProcessLauncher launcher;
  Text error;
};

TEST_F(Launch, EachKindOfFileGoesToTheShellAsItsRuleSays) {
  struct Case {
    const char16_t* file;
    const char16_t* params;
    const char* shell;
    bool pipe;
  } cases[] = {
      {u"C:\\Ext\\\\Tools\\Product.msi", u"/qb", "shell [runas] [msiexec.exe] [/i \"C:\\Ext\\\\Tools\\Product.msi\" /qb]",
       true},
      {u"C:\\Ext\\Product.MSI", u"", "shell [runas] [msiexec.exe] [/i \"C:\\Ext\\Product.MSI\" ]", true},
      {u"C:\\Ext\\setup.exe", u"/s /v", "shell [] [C:\\Ext\\setup.exe] [/s /v]", true},
      {u"C:\\Ext\\SETUP.EXE", u"", "shell [] [C:\\Ext\\SETUP.EXE] []", true},
      {u"C:\\Ext\\readme.txt", u"", "shell [] [C:\\Ext\\readme.txt] []", false},
      {u"C:\\Ext\\run.cmd", u"a", "shell [] [C:\\Ext\\run.cmd] [a]", false},
      {u"C:\\Ext\\setup", u"", "shell [] [C:\\Ext\\setup] []", false},
      // The extension is what follows the last point of the whole text.
      {u"C:\\Ext.msi\\setup", u"", "shell [] [C:\\Ext.msi\\setup] []", false},
  };
  for (const Case& c : cases) {
    services.calls.clear();
    launcher.LaunchApplication(c.file, c.params, error, 1);
    SCOPED_TRACE(U8(c.file));
    EXPECT_EQ(Shell(), std::vector<std::string>{c.shell});
    EXPECT_EQ(services.calls.front() == "pipe", c.pipe);
    EXPECT_EQ(error, u"");
  }
}

TEST_F(Launch, TheInstallerIsElevatedFromWindows6OnAndOnWindows5ForNonAdministratorsWithCheckAdmin0) {
  struct Case {
    uint32_t major;
    bool admin;
    const char16_t* checkAdmin;
    const char* verb;
  } cases[] = {
      {6, true, u"", "runas"},  {10, true, u"1", "runas"}, {5, false, u"0", "runas"}, {5, true, u"0", ""},
      {5, false, u"1", ""},     {5, false, u"", ""},       {5, false, u"0 ", ""},     {4, false, u"0", ""},
  };
  for (const Case& c : cases) {
    launcher.SetOSVersion(c.major, 1);
    launcher.SetAdminTest([&] { return c.admin; });
    launcher.SetCheckAdmin(c.checkAdmin);
    SCOPED_TRACE(std::to_string(c.major) + (c.admin ? " admin " : " user ") + "[" + U8(c.checkAdmin) + "]");
    EXPECT_EQ(U8(launcher.ChooseVerb(u"msiexec.exe")), c.verb);
    EXPECT_EQ(U8(launcher.ChooseVerb(u"MSIEXEC.EXE")), c.verb);
    EXPECT_EQ(U8(launcher.ChooseVerb(u"C:\\Windows\\System32\\msiexec.exe")), "");
    EXPECT_EQ(U8(launcher.ChooseVerb(u"setup.exe")), "");
  }
}

TEST_F(Launch, WaitsAsAskedAndReturnsTheExitCodeAfterThePause) {
  struct Case {
    int wait;
    uint32_t exitCode;
    std::vector<std::string> calls;
  } cases[] = {
      {1, 0, {"pipe", "shell [] [C:\\s.exe] []", "wait 4294967295", "close-pipe", "sleep 200"}},
      {0, 259, {"pipe", "shell [] [C:\\s.exe] []", "close-pipe", "sleep 200"}},
      {2500, 259,
       {"pipe", "shell [] [C:\\s.exe] []", "wait 2500", "close-write", "read 4095", "close-pipe", "sleep 200"}},
      // A waited-for setup that failed: the pipe is read until a read fails,
      // with a pause after each successful read.
      {1, 3010,
       {"pipe", "shell [] [C:\\s.exe] []", "wait 4294967295", "close-write", "read 4095", "sleep 200", "read 4095",
        "close-pipe", "sleep 200"}},
  };
  for (const Case& c : cases) {
    services.calls.clear();
    services.exitCode = c.exitCode;
    services.readsThatSucceed = c.exitCode == 3010 ? 1 : 0;
    SCOPED_TRACE(c.wait);
    EXPECT_EQ(launcher.LaunchApplication(u"C:\\s.exe", u"", error, c.wait), static_cast<int>(c.exitCode));
    EXPECT_EQ(services.calls, c.calls);
  }
}

TEST_F(Launch, AFileOpenedWithoutAProcessToQueryReturns0WithoutError) {
  services.haveProcess = false;
  services.exitCode = 77;
  EXPECT_EQ(launcher.LaunchApplication(u"C:\\readme.txt", u"", error, 0), 0);
  EXPECT_EQ(error, u"");
}

TEST_F(Launch, NothingStartedIsReportedThroughTheErrorText) {
  services.pipeError = 8;
  EXPECT_EQ(launcher.LaunchApplication(u"C:\\s.exe", u"", error, 1), 0);
  EXPECT_EQ(error, u"Error on CreatePipe(). Launch File failed");
  EXPECT_EQ(Shell().size(), 0u);
  EXPECT_EQ(services.calls.back(), "sleep 200");

  services.pipeError = 0;
  services.shellError = 2;
  services.exitCode = 1;  // must not be read: nothing ran
  EXPECT_EQ(launcher.LaunchApplication(u"C:\\missing.exe", u"", error, 1), 0);
  EXPECT_EQ(U8(error), "Could not start C:\\missing.exe : The system cannot find the file specified. (error 2)");
  services.shellError = 1223;
  EXPECT_EQ(launcher.LaunchApplication(u"C:\\p.msi", u"", error, 1), 0);
  EXPECT_EQ(U8(error), "Could not start msiexec.exe : Error 1223. (error 1223)");
  // A later launch that works clears the text.
  services.shellError = 0;
  EXPECT_EQ(launcher.LaunchApplication(u"C:\\s.exe", u"", error, 1), 1);
  EXPECT_EQ(error, u"");
}

TEST_F(Launch, PlaceholdersInTheParametersAreExpandedFirst) {
  platform.SetEnv(u"TEMP", u"C:\\Users\\u\\Temp");
  platform.SetEnv(u"FOO", u"bar");
  launcher.LaunchApplication(u"C:\\s.exe", u"/log=%TEMP%\\a.log /x %FOO% /y %NOPE% /z", error, 0);
  EXPECT_EQ(Shell(), std::vector<std::string>{"shell [] [C:\\s.exe] [/log=C:\\Users\\u\\Temp\\a.log /x bar /y %NOPE% /z]"});
  // The launcher's only log lines are the placeholder warnings.
  EXPECT_EQ(log.lines, (std::vector<std::string>{"IsEnvVarPresent: Env variable not supported..",
                                                 "IsEnvVarPresent: Env variable not supported.."}));
}

}  // namespace
}  // namespace tovu
