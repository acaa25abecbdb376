// Setup launching on the in-memory platform with a scripted process
// launcher: the setup and parameter lists (single and multi-launch, Mode
// "Tovu" in each run mode, the launcher Start.exe and the delete-on-finish
// hand-over), missing and too deep setups, the launch order with the
// progress steps, the return codes with and without ExitOnAutolaunchFailure,
// a setup that could not be started, a cancel between setups, the
// operating-system gate, the early end of a run that does not wait, and the
// settings fingerprint.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/finish_messages.h"
#include "cabinet/file_hash.h"
#include "fakes/fake_platform.h"
#include "launch/launch_flags.h"
#include "launch/setup_launcher.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "util/cutil.h"
#include "util/process_launch.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::KeptLog;
using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }

constexpr char16_t kSettings[] = u"C:\\T\\Properties_Tovu.ini";
constexpr char16_t kExt[] = u"C:\\Ext\\";
const std::string kHandOver = "/DeleteOnFinish=\"C:\\Ext\\ExtractedFilesToDelete.txt\"";

// Records each launch; answers with the next scripted exit code.
class ScriptedLauncher : public IProcessLauncher {
 public:
  int LaunchApplication(const Text& file, const Text& parameters, Text& errorText, int wait) override {
    launches.push_back(U8(file) + " | " + U8(parameters) + " | " + std::to_string(wait));
    idleDuringLaunch.push_back(static_cast<int>(g_bLaunchIdle));
    size_t i = launches.size() - 1;
    errorText = i < errors.size() ? errors[i] : Text();
    if (onLaunch) onLaunch();
    return i < codes.size() ? codes[i] : 0;
  }
  void SetCheckAdmin(const Text& checkAdmin) override { this->checkAdmin = U8(checkAdmin); }
  std::vector<std::string> launches;
  std::vector<int> idleDuringLaunch;
  std::vector<int> codes;
  std::vector<Text> errors;
  std::string checkAdmin = "(not set)";
  std::function<void()> onLaunch;
};

class Host : public ILaunchHost, public IDeleteListWriter, public IInstallationPage {
 public:
  int GetCheckOsFlag() override { return checkOs; }
  int GetOSCheckResult() override { return verdict; }
  int GetDeleteOnExitFlag() override { return deleteOnExit; }
  Text GetSettingsFingerprint() override { return fingerprint; }
  void DeleteTovuTempDir() override { events.push_back("delete temp"); }
  Text GetOSMessage(int v, int language) override { return Format(u"OS message %d %d", v, language); }
  int ShowMessageBox(const Text& text, uint32_t style) override {
    events.push_back("box " + U8(text) + " " + std::to_string(style));
    return answer;
  }
  bool WriteToDeletetxt() override {
    events.push_back("write list");
    return listWrites;
  }
  bool WindowExists() override { return pageWindow; }
  void PumpPendingMessages() override { events.push_back("pump"); }
  void SetProgressPos(int p) override { progress.push_back(p); }
  void OnLaunchSetupFinish() override { events.push_back("page finish"); }

  int checkOs = 0;
  int verdict = 300;
  int deleteOnExit = 0;
  Text fingerprint;
  int answer = 6;
  bool listWrites = true;
  bool pageWindow = true;
  std::vector<std::string> events;
  std::vector<int> progress;
};

class Chain : public ::testing::Test {
 protected:
  Chain()
      : log(platform),
        util(platform, log),
        init(platform, log, util),
        finish(platform, log, util, init),
        launcher(platform, log, util, init, finish, processes, host, host) {
    log.InitLogFile(u"C:\\test.log", 11);
    init.SetSettingsPath(kSettings);
    init.SetExtractionFolder(kExt);
    init.SetSetupLanguage(1033);
    init.SetRunMode(RUNMODE_SILENT);
    init.SetNoOSCheckFlag(1);
    init.SetWaitForAutolaunchFinishFlag(1);
    platform.AddFolder(u"C:\\Ext");
    SetContinueLaunching(1);
    launcher.SetInstallationPage(&host);
  }
  void Settings(const std::string& ini) { platform.AddFile(kSettings, ini); }
  void Setup(const Text& relative) { platform.AddFile(Text(kExt) + relative, "MZ"); }
  std::vector<std::string> Lists(std::vector<std::string>* params = nullptr) {
    std::vector<Text> s, p;
    launcher.GetAutolaunchApps(u"1033", s, p);
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size(); ++i) out.push_back(U8(s[i]) + " | " + U8(p[i]));
    if (params)
      for (const Text& t : p) params->push_back(U8(t));
    return out;
  }

  FakePlatform platform;
  KeptLog log;
  CUtil util;
  CTovuInitalizer init;
  CFinishMessages finish;
  ScriptedLauncher processes;
  Host host;
  CSetupLauncher launcher;
};

TEST_F(Chain, OneSetupIsLaunchedWithItsLanguageParametersAfterTheTempFolderIsGone) {
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\nCheckAdmin=0\r\n[1033]\r\nLaunchEXEParams=/s /v\r\n"
           "[1031]\r\nLaunchEXEParams=/german\r\n");
  Setup(u"setup.exe");
  processes.onLaunch = [&] { host.events.push_back("launch"); };
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(processes.launches, std::vector<std::string>{"C:\\Ext\\\\setup.exe | /s /v | 1"});
  EXPECT_EQ(processes.idleDuringLaunch, std::vector<int>{0});
  EXPECT_EQ(g_bLaunchIdle, 1);
  EXPECT_EQ(processes.checkAdmin, "0");
  EXPECT_EQ(host.events, (std::vector<std::string>{"delete temp", "launch"}));
  EXPECT_EQ(init.GetRunStatus(), 0);
  for (const char* line : {"8 GetAutolaunchApps: AutoLaunch : setup.exe", "8 GetAutolaunchApps: Mode - ",
                           "8 GetAutolaunchApps: Parameters for Application AutoLaunch:C:\\Ext\\\\setup.exe to be "
                           "launched is - /s /v",
                           "8 LaunchMultipleApplications: Launching - C:\\Ext\\\\setup.exe",
                           "8 LaunchMultipleApplications: Finished - C:\\Ext\\\\setup.exe",
                           "8 LaunchMultipleApplications: Return code of - C:\\Ext\\\\setup.exe is 0",
                           "8 SetFinishMessage: Return Code is not Configured"})
    EXPECT_TRUE(log.Has(line)) << line;
  EXPECT_TRUE(finish.IsReturnCodeUnconfigured());
}

TEST_F(Chain, OnlyMultilaunchExactly1LaunchesTheNumberedSetups) {
  Setup(u"single.exe");
  Setup(u"one.exe");
  Setup(u"two.exe");
  for (const char* value : {"1", "yes", "1 ", "0", "", "01"}) {
    Settings(std::string("[Runtime]\r\nMultilaunch=") + (std::string(value) == "1 " ? "\"1 \"" : value) +
             "\r\nAutoLaunch=single.exe\r\nAutoLaunch1=one.exe\r\nAutoLaunch2=two.exe\r\nAutoLaunch4=four.exe\r\n"
             "[1033]\r\nLaunchEXEParams=/single\r\nLaunchEXEParams1=/one\r\nLaunchEXEParams2=/two\r\n");
    SCOPED_TRACE(value);
    if (std::string(value) == "1")
      EXPECT_EQ(Lists(), (std::vector<std::string>{"AutoLaunch1:C:\\Ext\\\\one.exe | /one",
                                                   "AutoLaunch2:C:\\Ext\\\\two.exe | /two"}));
    else
      EXPECT_EQ(Lists(), std::vector<std::string>{"AutoLaunch:C:\\Ext\\\\single.exe | /single"});
  }
}

TEST_F(Chain, SetupsRunInKeyOrderAndTheInstallationPageBarMovesInSteps) {
  Setup(u"a\\one.exe");
  Setup(u"b\\two.exe");
  Setup(u"three.exe");
  init.SetRunMode(RUNMODE_GUI);
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=a\\one.exe\r\nAutoLaunch2=b\\two.exe\r\nAutoLaunch3=three.exe\r\n"
           "AutoLaunchInstallationDialog=1\r\n");
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(processes.launches,
            (std::vector<std::string>{"C:\\Ext\\\\a\\one.exe |  | 1", "C:\\Ext\\\\b\\two.exe |  | 1",
                                      "C:\\Ext\\\\three.exe |  | 1"}));
  EXPECT_EQ(host.progress, (std::vector<int>{33, 66, 99}));
  EXPECT_EQ(host.events.front(), "delete temp");
  EXPECT_NE(std::find(host.events.begin(), host.events.end(), "pump"), host.events.end());

  // Outside the GUI run mode, or without the installation dialog, the bar
  // is left alone.
  host.progress.clear();
  init.SetRunMode(RUNMODE_UNATTENDED);
  launcher.HandleLaunchSetup();
  EXPECT_TRUE(host.progress.empty());
}

TEST_F(Chain, AMissingOrTooDeepSetupStopsTheWholeLaunch) {
  Setup(u"one.exe");
  struct Case {
    std::string ini;
    int runStatus;
    std::string line;
  } cases[] = {
      {"[Runtime]\r\nAutoLaunch=setup.exe\r\nAutoLaunch1=one.exe\r\n", 2,
       "0 File for launching the setup not found : : C:\\Ext\\\\setup.exe"},
      {"[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=one.exe\r\nAutoLaunch2=missing.exe\r\nAutoLaunch3=one.exe\r\n", 2,
       "0 File for launching the setup not found : : C:\\Ext\\\\missing.exe"},
      // 899 characters pass the depth test and fail the 256-character limit.
      {"[Runtime]\r\nAutoLaunch=" + std::string(899 - 8, 'd') + "\r\n", 2,
       "0 File for launching the setup not found : : C:\\Ext\\\\" + std::string(891, 'd')},
      {"[Runtime]\r\nAutoLaunch=" + std::string(900 - 8, 'd') + "\r\n", -1,
       "0 Folder depth is too large to run the setup.: C:\\Ext\\\\" + std::string(892, 'd')},
  };
  for (const Case& c : cases) {
    Settings(c.ini);
    init.SetRunStatus(0);
    log.lines.clear();
    host.events.clear();
    SCOPED_TRACE(c.line.substr(0, 60));
    EXPECT_EQ(launcher.HandleLaunchSetup(), -1);
    EXPECT_TRUE(processes.launches.empty());
    EXPECT_EQ(init.GetRunStatus(), c.runStatus);
    EXPECT_TRUE(log.Has(c.line));
    EXPECT_TRUE(host.events.empty());  // the temp folder stays for the finish page
  }
  // The single launch did not look at the numbered keys.
  Settings(cases[0].ini);
  log.lines.clear();
  Lists();
  EXPECT_FALSE(log.Has("8 GetAutolaunchApps: AutoLaunch1 : one.exe"));
}

TEST_F(Chain, ModeTovuAddsTheRunModeParametersAndOnlyTheGuiRunHandsOverTheDeletion) {
  Setup(u"Setup\\Start.exe");
  Setup(u"Setup\\InstData\\Resources\\VREL2.exe");
  host.deleteOnExit = 1;
  struct Case {
    const char* mode;
    int runMode;
    const char* silent;
    const char* params;
  } cases[] = {
      {"tovu", RUNMODE_SILENT, "/quiet", "/s /quiet"},
      {"Tovu", RUNMODE_SILENT, "", "/s "},
      {"TOVU", RUNMODE_UNATTENDED, "", "/s /passive"},
      {"Tovu", RUNMODE_GUI, "", "/s "},  // GUI: the delete step runs, and the only setup is the last
      {"", RUNMODE_UNATTENDED, "", "/s "},
      {"Other", RUNMODE_SILENT, "", "/s "},
  };
  for (const Case& c : cases) {
    Settings(std::string("[Runtime]\r\nAutoLaunch=Setup\\Start.exe\r\nMode=") + c.mode +
             "\r\n[1033]\r\nLaunchEXEParams=/s\r\nLaunchEXEParamsSilent=" + c.silent +
             "\r\nLaunchEXEParamsUnattended=/passive\r\n");
    init.SetRunMode(c.runMode);
    std::vector<std::string> params;
    Lists(&params);
    SCOPED_TRACE(std::string(c.mode) + " " + std::to_string(c.runMode));
    std::string expected = c.params;
    bool handOver = std::string(c.mode).empty() || std::string(c.mode) == "Other" || c.runMode == RUNMODE_GUI;
    if (handOver) expected = "/s " + kHandOver;
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0], expected);
  }
  Settings("[Runtime]\r\nAutoLaunch=Setup\\Start.exe\r\nMode=tovu\r\n");
  init.SetRunMode(RUNMODE_SILENT);
  std::vector<std::string> params;
  log.lines.clear();
  Lists(&params);
  EXPECT_EQ(params, std::vector<std::string>{" "});  // both keys empty: one blank
  EXPECT_TRUE(log.Has("8 GetAutolaunchApps: Mode identified as Tovu"));
  EXPECT_TRUE(log.Has("8 GetAutolaunchApps: Silent Mode identified for web Package"));
}

TEST_F(Chain, TheWorkedExampleAndItsReversedOrderDecideWhoDeletes) {
  Setup(u"Setup\\Start.exe");
  Setup(u"Setup\\InstData\\Resources\\VREL2.exe");
  Setup(u"Tools\\Product.msi");
  host.deleteOnExit = 1;
  const std::string lang = "[1033]\r\nLaunchEXEParams1=/s\r\nLaunchEXEParams2=/qb\r\n";
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=Setup\\Start.exe\r\nAutoLaunch2=Tools\\Product.msi\r\n" +
           lang);
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(processes.launches, (std::vector<std::string>{"C:\\Ext\\\\Setup\\Start.exe | /s | 1",
                                                          "C:\\Ext\\\\Tools\\Product.msi | /qb | 1"}));
  EXPECT_EQ(init.GetFrameDeletesFlag(), 1);
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "write list"), 0);

  // Reversed: Start.exe last keeps the parameter; the list is written
  // after the lists are built, before anything starts.
  processes.launches.clear();
  host.events.clear();
  processes.onLaunch = [&] { host.events.push_back("launch"); };
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=Tools\\Product.msi\r\nAutoLaunch2=Setup\\Start.exe\r\n"
           "[1033]\r\nLaunchEXEParams1=/qb\r\nLaunchEXEParams2=/s\r\n");
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(processes.launches, (std::vector<std::string>{"C:\\Ext\\\\Tools\\Product.msi | /qb | 1",
                                                          "C:\\Ext\\\\Setup\\Start.exe | /s " + kHandOver + " | 1"}));
  EXPECT_EQ(init.GetFrameDeletesFlag(), 0);
  EXPECT_EQ(host.events, (std::vector<std::string>{"write list", "delete temp", "launch", "launch"}));
  EXPECT_TRUE(log.Has("8 GetAutolaunchApps: Writing to ExtractedFilesToDelete.txt is success"));

  // Two launchers: only the last keeps it.
  Setup(u"Second\\Start.exe");
  Setup(u"Second\\InstData\\Resources\\VREL2.exe");
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=Setup\\Start.exe\r\nAutoLaunch2=Second\\Start.exe\r\n"
           "[1033]\r\nLaunchEXEParams1=/a\r\nLaunchEXEParams2=/b\r\n");
  std::vector<std::string> params;
  Lists(&params);
  EXPECT_EQ(params, (std::vector<std::string>{"/a", "/b " + kHandOver}));

  // The list file cannot be written: logged, and the setup still deletes.
  host.listWrites = false;
  log.lines.clear();
  Lists();
  EXPECT_TRUE(log.Has("8 GetAutolaunchApps: Creation of ExtractedFilesToDelete.txt Failed"));
  EXPECT_EQ(init.GetFrameDeletesFlag(), 0);
}

TEST_F(Chain, WithoutWaitingEachLauncherGetsTheParameterAndTheListAtOnce) {
  Setup(u"A\\Start.exe");
  Setup(u"A\\InstData\\Resources\\VREL2.exe");
  Setup(u"start.EXE");
  Setup(u"InstData\\Resources\\VREL2.exe");
  Setup(u"Bare\\Start.exe");  // no companion: never gets the parameter
  host.deleteOnExit = 1;
  init.SetWaitForAutolaunchFinishFlag(0);
  init.SetFrameDeletesFlag(7);
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=A\\Start.exe\r\nAutoLaunch2=start.EXE\r\n"
           "AutoLaunch3=Bare\\Start.exe\r\n");
  std::vector<std::string> params;
  Lists(&params);
  EXPECT_EQ(params, (std::vector<std::string>{" " + kHandOver, " " + kHandOver, ""}));
  EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "write list"), 2);
  EXPECT_EQ(init.GetFrameDeletesFlag(), 7);

  // Without the delete option nothing is handed over.
  host.deleteOnExit = 0;
  host.events.clear();
  params.clear();
  Lists(&params);
  EXPECT_EQ(params, (std::vector<std::string>{"", "", ""}));
  EXPECT_TRUE(host.events.empty());
}

TEST_F(Chain, AReturnCodeConfiguredAsAnErrorStopsTheLaunchOnlyWithExitOnAutolaunchFailure) {
  Setup(u"one.exe");
  Setup(u"two.exe");
  const std::string ini =
      "[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=one.exe\r\nAutoLaunch2=two.exe\r\n"
      "[AutoLaunch1]\r\nReturnCode_1=error:{MsgFail}\r\n[AutoLaunch2]\r\nReturnCode_3010=success:{MsgReboot}\r\n"
      "[1033]\r\nMsgFail=Setup one failed\r\nMsgReboot=Restart\r\n";
  for (int exitOnFailure : {1, 0}) {
    CFinishMessages f(platform, log, util, init);
    CSetupLauncher l(platform, log, util, init, f, processes, host, host);
    Settings(ini);
    init.SetRunStatus(0);
    init.SetLaunchStoppedFlag(0);
    init.SetExitOnAutolaunchFailureFlag(exitOnFailure);
    processes.launches.clear();
    processes.codes = {1, 3010};
    SCOPED_TRACE(exitOnFailure);
    EXPECT_EQ(l.HandleLaunchSetup(), 0);
    EXPECT_EQ(processes.launches.size(), exitOnFailure ? 1u : 2u);
    EXPECT_EQ(init.GetRunStatus(), -6);
    EXPECT_EQ(init.GetLaunchStoppedFlag(), exitOnFailure);
    EXPECT_EQ(f.GetFinishMessage(), u"Setup one failed");
    EXPECT_EQ(ComputeExitCode(init.GetRunStatus(), init.GetLaunchStoppedFlag(), f.GetReturnCode()),
              exitOnFailure ? 1 : 0);
  }
}

TEST_F(Chain, ASetupThatCouldNotBeStartedCountsAsReturnCodeMinus1) {
  Setup(u"one.exe");
  Setup(u"two.exe");
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=one.exe\r\nAutoLaunch2=two.exe\r\n"
           "[AutoLaunch2]\r\nReturnCode_-1=error:{MsgNoStart}\r\n[1033]\r\nMsgNoStart=Could not start\r\n");
  processes.errors = {u"Could not start C:\\Ext\\\\one.exe : Bad exe. (error 193)", u""};
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(processes.launches.size(), 2u);
  EXPECT_EQ(init.GetRunStatus(), -4);
  EXPECT_TRUE(log.Has("0 LaunchMultipleApplications: Could not start C:\\Ext\\\\one.exe : Bad exe. (error 193)"));
  EXPECT_FALSE(log.Has("8 LaunchMultipleApplications: Return code of - C:\\Ext\\\\one.exe is 0"));
  EXPECT_TRUE(log.Has("8 LaunchMultipleApplications: Return code of - C:\\Ext\\\\two.exe is 0"));

  // Configured: -1 is a return code like any other.
  processes.launches.clear();
  processes.errors = {u"", u"Could not start C:\\Ext\\\\two.exe : x (error 2)"};
  init.SetRunStatus(0);
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(init.GetRunStatus(), -6);
  EXPECT_EQ(finish.GetReturnCode(), -1);
}

TEST_F(Chain, ASetupMissingAtLaunchTimeIsSkippedWithRunStatusMinus4) {
  Setup(u"one.exe");
  Setup(u"two.exe");
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=one.exe\r\nAutoLaunch2=two.exe\r\n");
  std::vector<Text> s, p;
  launcher.GetAutolaunchApps(u"1033", s, p);
  platform.RemoveFile(u"C:\\Ext\\one.exe");
  EXPECT_EQ(launcher.LaunchMultipleApplications(u"1033", s, p, u""), -1);
  EXPECT_EQ(processes.launches, std::vector<std::string>{"C:\\Ext\\\\two.exe |  | 1"});
  EXPECT_EQ(init.GetRunStatus(), -4);
  EXPECT_TRUE(log.Has("0 File for launching the setup not found : : C:\\Ext\\\\one.exe"));
}

TEST_F(Chain, ACancelConfirmedWhileASetupRunsEndsTheLaunchAfterIt) {
  Setup(u"one.exe");
  Setup(u"two.exe");
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch1=one.exe\r\nAutoLaunch2=two.exe\r\n");
  processes.onLaunch = [] { SetContinueLaunching(0); };
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
  EXPECT_EQ(processes.launches.size(), 1u);
  EXPECT_TRUE(log.Has("0 LaunchMultipleApplications: Launch process is stopped"));
  EXPECT_EQ(host.events.back(), "page finish");
  EXPECT_EQ(g_bLaunchIdle, 1);
}

TEST_F(Chain, TheOperatingSystemGateStopsOrAsksBeforeAnythingStarts) {
  Setup(u"setup.exe");
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n");
  struct Case {
    int verdict;
    int runMode;
    int checkOs;
    int noOSCheck;
    int answer;
    int result;
    int runStatus;
    bool launched;
    std::string box;
    bool supportedLine;
  } cases[] = {
      {302, RUNMODE_GUI, 1, 0, 1, 10, 0, false, "box OS message 302 1033 16", false},
      {302, RUNMODE_SILENT, 0, 0, 1, 10, 0, false, "", false},
      {301, RUNMODE_GUI, 0, 0, 7, 10, 11, false, "box OS message 301 1033 52", false},
      {301, RUNMODE_GUI, 0, 0, 6, 0, 0, true, "box OS message 301 1033 52", true},
      {301, RUNMODE_SILENT, 1, 1, 7, 0, 0, true, "", true},
      {300, RUNMODE_GUI, 0, 0, 7, 0, 0, true, "", true},
      {302, RUNMODE_GUI, 0, 1, 1, 0, 0, true, "", false},  // gate skipped
  };
  for (const Case& c : cases) {
    init.SetRunStatus(0);
    init.SetRunMode(c.runMode);
    init.SetNoOSCheckFlag(c.noOSCheck);
    host.checkOs = c.checkOs;
    host.verdict = c.verdict;
    host.answer = c.answer;
    host.events.clear();
    processes.launches.clear();
    log.lines.clear();
    SCOPED_TRACE(std::to_string(c.verdict) + " " + std::to_string(c.runMode));
    EXPECT_EQ(launcher.HandleLaunchSetup(), c.result);
    EXPECT_EQ(init.GetRunStatus(), c.runStatus);
    EXPECT_EQ(!processes.launches.empty(), c.launched);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "delete temp"), c.launched ? 1 : 0);
    bool boxed = !c.box.empty();
    EXPECT_EQ(!host.events.empty() && host.events.front().rfind("box", 0) == 0, boxed);
    if (boxed) {
      EXPECT_EQ(host.events.front(), c.box);
    }
    EXPECT_EQ(log.Has("8 NonameFunction: Current OS is supported"), c.supportedLine);
    EXPECT_EQ(log.Has("0 HandleLaunchSetup: Current operating system  not supported"), c.runStatus == 11);
  }
}

TEST_F(Chain, NothingStartsWhenTheRunHasAlreadyFailedOrNoSetupIsNamed) {
  Setup(u"setup.exe");
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n");
  init.SetRunStatus(-3);
  EXPECT_EQ(launcher.HandleLaunchSetup(), -1);
  init.SetRunStatus(0);
  Settings("[Runtime]\r\nMultilaunch=1\r\nAutoLaunch=setup.exe\r\n");
  EXPECT_EQ(launcher.HandleLaunchSetup(), -1);
  EXPECT_TRUE(processes.launches.empty());
  EXPECT_TRUE(host.events.empty());
}

TEST_F(Chain, OneSetupWithoutWaitingOrInstallationDialogEndsTheWizard) {
  Setup(u"setup.exe");
  init.SetWaitForAutolaunchFinishFlag(0);
  struct Case {
    const char* extra;
    int result;
  } cases[] = {{"", 10}, {"AutoLaunchInstallationDialog=1\r\n", 0}, {"AutoLaunchInstallationDialog=yes\r\n", 10}};
  for (const Case& c : cases) {
    Settings(std::string("[Runtime]\r\nAutoLaunch=setup.exe\r\n") + c.extra);
    processes.launches.clear();
    log.lines.clear();
    EXPECT_EQ(launcher.HandleLaunchSetup(), c.result) << c.extra;
    EXPECT_EQ(processes.launches, std::vector<std::string>{"C:\\Ext\\\\setup.exe |  | 0"});
    // Not waited for: no "Finished" line (the settings are gone, so
    // Multilaunch reads empty).
    EXPECT_FALSE(log.Has("8 LaunchMultipleApplications: Finished - C:\\Ext\\\\setup.exe"));
  }
  init.SetWaitForAutolaunchFinishFlag(1);
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n");
  EXPECT_EQ(launcher.HandleLaunchSetup(), 0);
}

TEST_F(Chain, TheSettingsFingerprintTellsAChangedFile) {
  Settings("[Runtime]\r\nAutoLaunch=setup.exe\r\n");
  SetPlatform(&platform);
  Text hash, error;
  ASSERT_EQ(ComputeFileHash(kSettings, hash, error), 0u);
  host.fingerprint = hash;
  EXPECT_EQ(launcher.IsParameterFileNotCorrupt(), 1);
  EXPECT_TRUE(log.Has("8 IsParameterFileNotCorrupt: Generating hash code for  : C:\\T\\Properties_Tovu.ini"));
  Settings("[Runtime]\r\nAutoLaunch=setup.exf\r\n");
  EXPECT_EQ(launcher.IsParameterFileNotCorrupt(), 0);
  EXPECT_TRUE(log.Has("0 IsParameterFileNotCorrupt: Settings have been corrupted. Please start the package again."));
  platform.RemoveFile(kSettings);
  log.lines.clear();
  EXPECT_EQ(launcher.IsParameterFileNotCorrupt(), 1);
  ASSERT_EQ(log.lines.size(), 2u);
  EXPECT_EQ(log.lines[1].substr(0, 30), "1 IsParameterFileNotCorrupt: E");
  SetPlatform(nullptr);
}

}  // namespace
}  // namespace tovu
