// CTovuInitalizer::Init and its steps on the in-memory platform: the
// extraction log (its name, the dated rename of an older one, the per-user
// name), the values read from the package settings, the buffer size, the
// autolaunch and NoOSCheck rules, the required space and the default
// extraction folder of a GUI run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmdline/extractor_validator.h"
#include "fakes/fake_platform.h"
#include "support/test_support.h"
#include "osrules/os_facts.h"
#include "osrules/os_validator.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "settings/messages.h"
#include "util/cutil.h"

namespace tovu {
namespace {

using test::Utf16Le;

using test::FakePlatform;

constexpr char16_t kTemp[] = u"D:\\{6B29FC40-CA47-1067-B31D-00DD010662DA}\\";
constexpr char16_t kSettings[] = u"D:\\{6B29FC40-CA47-1067-B31D-00DD010662DA}\\Properties_Tovu.ini";
constexpr char16_t kLogDir[] = u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\";

class RecordingLog : public CBuildLogFile {
 public:
  explicit RecordingLog(IPlatform& p) : CBuildLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(Format(u"%d|%s|%s", level, Text(function), message));
    return CBuildLogFile::WriteLogText(level, function, message);
  }
  int WriteLogNoFunctionText(int level, const Text& message) override {
    lines.push_back(Format(u"%d||%s", level, message));
    return CBuildLogFile::WriteLogNoFunctionText(level, message);
  }
  bool Has(const Text& line) const {
    for (const Text& l : lines)
      if (l == line) return true;
    return false;
  }
  std::vector<Text> lines;
};

class InitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetLogCountersForTest();
    SetPlatform(&fake);
    fake.AddDrive('D', drivetype::kFixed, 1ull << 36);
    fake.SetEnv(u"ALLUSERSPROFILE", u"C:\\ProgramData");
    fake.SetEnv(u"TEMP", u"C:\\Users\\tester\\Temp");
    fake.AddFolder(u"C:\\Users\\tester\\Temp");
    fake.AddFolder(kTemp);
    fake.SetTotalPhysicalMemory(2ull << 30);
    init.SetTovuTempDirPath(kTemp);
    init.SetServices(nullptr, &messages, &validator);
    init.OpenMasterLog();
  }
  void TearDown() override { SetPlatform(nullptr); }
  void Settings(const Text& text) { fake.AddFile(kSettings, Utf16Le(text)); }
  int RunInit(int mode = RUNMODE_GUI, int debug = 0, int noOS = 0) {
    return init.Init(debug, 0, noOS, u"", u"", u"", mode);
  }
  std::string FileText(const Text& path) { return fake.FileBytes(path); }

  FakePlatform fake;
  RecordingLog log{fake};
  CUtil util{fake, log};
  CMessageCatalog messages{fake};
  CExtractorValidator validator{fake, log, messages};
  CTovuInitalizer init{fake, log, util};
};

const Text kBase =
    u"[Package]\r\nName=Demo\r\nNameDispl=Demo Library\r\nVersionString=V1.3\r\n"
    u"[LogFiles]\r\nExtractLogFileName=Demo.txt\r\n[Tovu]\r\nGUID2=38629\r\nFrameVersion=03.11\r\n";

TEST_F(InitTest, ExtractionLogTakesOverFromTheMasterLog) {
  Settings(kBase);
  RunInit(RUNMODE_SILENT);
  const Text xlog = Text(kLogDir) + u"Demo.txt";
  EXPECT_EQ(init.GetExtractionLogPath(), xlog);
  const std::string master = FileText(Text(kLogDir) + u"Tovu.log");
  EXPECT_NE(master.find("|Creating Extraction Log File\r\n"), std::string::npos);
  EXPECT_NE(master.find("|%ALLUSERSPROFILE%\\Maravel\\Automation\\Logfiles\\Demo.txt\r\n"), std::string::npos);
  const std::string tail =
      "|Extraction Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Demo.txt\r\n"
      "############################## --------- End --------- ##############################\r\n";
  ASSERT_GE(master.size(), tail.size());
  EXPECT_EQ(master.substr(master.size() - tail.size()), tail);
  const std::string x = FileText(xlog);
  EXPECT_EQ(x.rfind("############################## --------- START", 0), 0u);
  EXPECT_NE(x.find("|Master Log File : C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log\r\n"),
            std::string::npos);
  EXPECT_NE(x.find("|Tovu Masterframe Version            |03.11\r\n"), std::string::npos);
  EXPECT_NE(x.find("|GUI Mode                            |Silent\r\n"), std::string::npos);
  EXPECT_NE(x.find("|PackageName                         |Demo\r\n"), std::string::npos);
  EXPECT_NE(x.find("-------------------------------------- System Information"), std::string::npos);
  EXPECT_EQ(init.GetDisplayName(), u"Demo Library V1.3");
  EXPECT_EQ(init.GetPackageName(), u"Demo");
  EXPECT_EQ(init.GetCabinetSetId(), 38629);
}

TEST_F(InitTest, OlderExtractionLogIsKeptUnderItsDate) {
  Settings(kBase);
  const Text xlog = Text(kLogDir) + u"Demo.txt";
  fake.AddFile(xlog, std::string("earlier run"));
  fake.SetModifiedTime(xlog, {2026, 12, 8, 23, 1, 59});
  RunInit();
  EXPECT_EQ(FileText(Text(kLogDir) + u"Demo_08Dec2026_23-01-59.txt"), "earlier run");
  EXPECT_EQ(FileText(xlog).rfind("############################## --------- START", 0), 0u);
}

TEST_F(InitTest, ExtractionLogThatCannotBeWrittenGivesThePerUserName) {
  Settings(kBase);
  const Text xlog = Text(kLogDir) + u"Demo.txt";
  fake.AddFile(xlog, std::string("another user's"), fileattr::kReadOnly);
  RunInit();
  EXPECT_EQ(init.GetExtractionLogPath(), Text(kLogDir) + u"Demo_tester.txt");
  EXPECT_EQ(FileText(xlog), "another user's");
}

TEST_F(InitTest, ExtractionLogNameWhenTheSettingsNameNone) {
  struct Case {
    Text settings;
    Text name;
  } cases[] = {
      {u"[Package]\r\nName=Demo\r\n", u"Demo.log"},
      {u"[Package]\r\nNameDispl=x\r\n", u"Tovu_Extraction.log"},
  };
  for (const Case& c : cases) {
    Settings(c.settings);
    RunInit();
    EXPECT_EQ(init.GetExtractionLogPath(), Text(kLogDir) + c.name);
  }
}

TEST_F(InitTest, BufferSizeFromThe32BitMemoryFigure) {
  struct Case {
    Text value;      // [Size] 128MB ("" = absent)
    uint64_t memory;
    uint32_t buffer;
  } cases[] = {
      {u"1000", 2ull << 30, 16000},          // 2 GiB: 16 units
      {u"1000", 8ull << 30, 32000},          // the 32-bit figure: 4 GiB - 1, 32 units
      {u"1000", (2ull << 30) + 1, 17000},    // a partial unit counts whole
      {u"", 1ull << 30, 5242880u * 8},       // absent: the default
      {u"0", 1ull << 30, 5242880u * 8},      // 0: the default
      {u"-7", 1ull << 30, 5242880u * 8},     // negative: the default
      {u"2147483647", 4ull << 30, 0xFFFFFFFFu},  // capped, not wrapped
  };
  for (const Case& c : cases) {
    Settings(c.value.empty() ? kBase : kBase + u"[Size]\r\n128MB=" + c.value + u"\r\n");
    fake.SetTotalPhysicalMemory(c.memory);
    RunInit(RUNMODE_GUI, /*debug=*/1);
    EXPECT_EQ(init.GetBufferSize(), c.buffer) << ToUtf8(c.value) << " " << c.memory;
    EXPECT_TRUE(log.Has(Format(u"11|SetBufferSize|Calculated BufferSize : %u", c.buffer)));
  }
}

TEST_F(InitTest, AutolaunchWaitAndNoOSCheckRules) {
  struct Case {
    const char* what;
    Text runtime;
    Text package;
    Text os;
    int noOSArgument;
    int autolaunch;
    int wait;
    int noOS;
    std::vector<Text> lines;
  } cases[] = {
      {"no autolaunch", u"", u"", u"NoOSCheck=1", 1, 0, 1, 0, {u"8|InitAutolaunch|AutoLaunch is not enabled"}},
      {"autolaunch, wait absent", u"AutoLaunch=setup.exe", u"", u"", 0, 1, 1, 0,
       {u"8|InitAutolaunch|AutoLaunch is enabled", u"8|SetWaitForAutoLaunchParam|WaitForAutolaunchFinish is enabled"}},
      {"wait 0", u"AutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=0", u"", u"", 0, 1, 0, 0,
       {u"8|SetWaitForAutoLaunchParam|WaitForAutolaunchFinish is not enabled"}},
      {"wait yes", u"AutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=yes", u"", u"", 0, 1, 1, 0,
       {u"8|SetWaitForAutoLaunchParam|Invalid value for WaitForAutolaunchFinish. WaitForAutolaunchFinish is "
        u"enabled by default"}},
      {"multilaunch reads AutoLaunch1", u"Multilaunch=1\r\nAutoLaunch=setup.exe", u"", u"", 0, 0, 1, 0,
       {u"8|InitAutolaunch|AutoLaunch is not enabled"}},
      {"multilaunch with AutoLaunch1", u"Multilaunch=1\r\nAutoLaunch1=a.exe", u"", u"", 0, 1, 1, 0,
       {u"8|InitAutolaunch|AutoLaunch is enabled"}},
      {"NoOSCheck from the command line", u"AutoLaunch=setup.exe", u"", u"", 1, 1, 1, 1,
       {u"8|Command Line Parameters|Setting NoOSCheck from commandline.",
        u"8|InitCommandLineForNoOSCheck|NoOSCheck has been set.OS check will not be done."}},
      {"NoOSCheck from the settings", u"AutoLaunch=setup.exe", u"", u"NoOSCheck=1", 0, 1, 1, 1,
       {u"8|InitCommandLineForNoOSCheck|Setting NoOSCheck from INI file."}},
      {"CheckOs wins over the command line", u"AutoLaunch=setup.exe", u"CheckOs=1", u"NoOSCheck=1", 1, 1, 1, 0,
       {u"8|InitCommandLineForNoOSCheck|CheckOs is set.OS check will be done before extraction in GUI mode"}},
      {"CheckOs of another value does not", u"AutoLaunch=setup.exe", u"CheckOs=\"1 \"", u"", 1, 1, 1, 1,
       {u"8|Command Line Parameters|Setting NoOSCheck from commandline."}},
  };
  for (const Case& c : cases) {
    CTovuInitalizer fresh(fake, log, util);
    fresh.SetTovuTempDirPath(kTemp);
    Settings(u"[Package]\r\nName=Demo\r\n" + c.package + u"\r\n[Runtime]\r\n" + c.runtime + u"\r\n[OS]\r\n" + c.os +
             u"\r\n");
    log.lines.clear();
    fresh.Init(0, 0, c.noOSArgument, u"", u"", u"", RUNMODE_SILENT);
    EXPECT_EQ(fresh.GetAutolaunchFlag(), c.autolaunch) << c.what;
    EXPECT_EQ(fresh.GetWaitForAutolaunchFinishFlag(), c.wait) << c.what;
    EXPECT_EQ(fresh.GetNoOSCheckFlag(), c.noOS) << c.what;
    for (const Text& line : c.lines) EXPECT_TRUE(log.Has(line)) << c.what << ": " << ToUtf8(line);
  }
}

TEST_F(InitTest, SilentAndUnattendedRunsCheckConditionsAndChooseTheirFolder) {
  OSFacts facts;
  CFixedOSFacts osFacts(facts);
  COSValidator os(fake, log, osFacts);
  CExtractorValidator full(fake, log, messages, util, init, os);
  init.SetServices(&os, &messages, &full);
  int conditionsMet = 1;
  int asked = 0;
  full.SetConditionCheck([&](int, Text&) {
    ++asked;
    return conditionsMet;
  });
  const Text settings = kBase + u"[Size]\r\nPackageSize=1000\r\n[Runtime]\r\nExtractPath=%TEMP%\\Demo\r\n";
  struct Case {
    const char* what;
    int mode;
    int met;
    int noConditionCheck;
    Text extraRuntime;
    int result;
    Text line;
    int runStatus = 0;  // a run that can extract nowhere ends as a failure
  } cases[] = {
      {"conditions met, silent", RUNMODE_SILENT, 1, 0, u"", RUNMODE_UNATTENDED,
       u"8|File Overwriting|Overwriting of the extracted files is enabled in Silent and Unattended mode"},
      {"conditions met, unattended", RUNMODE_UNATTENDED, 1, 0, u"", RUNMODE_UNATTENDED, u""},
      {"conditions not met", RUNMODE_SILENT, 0, 0, u"", -1, u"0|InitDisplay|Condition not satisfied"},
      {"not met but not checked", RUNMODE_SILENT, 0, 1, u"", RUNMODE_UNATTENDED, u""},
      {"every candidate too long", RUNMODE_SILENT, 1, 0, u"ExtractPathMaxLength=3\r\n", -1,
       u"0|InitDisplay|Valid Extract path could not be found", static_cast<int>(winerr::kPathNotFound)},
  };
  for (const Case& c : cases) {
    Settings(settings + c.extraRuntime);
    conditionsMet = c.met;
    asked = 0;
    log.lines.clear();
    init.SetRunStatus(0);
    EXPECT_EQ(init.Init(0, c.noConditionCheck, 0, u"", u"", u"", c.mode), c.result) << c.what;
    EXPECT_EQ(init.GetRunStatus(), c.runStatus) << c.what;
    EXPECT_EQ(asked, c.noConditionCheck ? 0 : 1) << c.what;
    if (!c.line.empty()) {
      EXPECT_TRUE(log.Has(c.line)) << c.what;
    }
    if (c.result == RUNMODE_UNATTENDED) {
      EXPECT_EQ(init.GetExtractionFolder(), u"C:\\Users\\tester\\Temp\\Demo\\") << c.what;
      EXPECT_EQ(init.GetOverwriteAllFlag(), 1) << c.what;
    }
  }
}

TEST_F(InitTest, RequiredSpaceAddsTheCabinetOnTheTempFoldersDrive) {
  Settings(kBase + u"[Size]\r\nCabSize=214609917\r\nPackageSize=268299230\r\n");
  RunInit();
  EXPECT_EQ(init.GetRequiredSpace(kTemp, u"d:\\Target\\", 0), 268299230ull + 214609917ull);
  EXPECT_EQ(init.GetRequiredSpace(kTemp, u"C:\\Target\\", 0), 268299230ull);
  EXPECT_EQ(init.GetRequiredSpace(kTemp, u"D:\\Target\\", 1), 268299230ull);
  Settings(kBase + u"[Size]\r\nPackageSize=8589934592\r\n");  // beyond 32 bits
  EXPECT_EQ(init.GetRequiredSpace(kTemp, u"C:\\x", 0), 8589934592ull);
}

TEST_F(InitTest, DefaultExtractionFolderOfAGuiRun) {
  fake.AddDrive('E', drivetype::kFixed, 1000000);
  struct Case {
    const char* what;
    Text runtime;
    Text size;
    int result;
    Text folder;
    bool noSpaceLine;
  } cases[] = {
      {"from the settings, with room", u"ExtractPath=%TEMP%\\Demo", u"PackageSize=1000", 1,
       u"C:\\Users\\tester\\Temp\\Demo\\", false},
      {"not enough room", u"ExtractPath=E:\\Demo\r\nAutoLaunch=setup.exe\r\nAllowChangeTarget=0",
       u"PackageSize=2000000", 0, u"E:\\Demo\\", true},
      {"not enough room, target may change", u"ExtractPath=E:\\Demo\r\nAutoLaunch=setup.exe\r\nAllowChangeTarget=1",
       u"PackageSize=2000000", 0, u"E:\\Demo\\", false},
      {"invalid path", u"ExtractPath=E:\\De|mo", u"PackageSize=1", 0, u"E:\\De|mo\\", false},
  };
  for (const Case& c : cases) {
    CTovuInitalizer fresh(fake, log, util);
    fresh.SetTovuTempDirPath(kTemp);
    fresh.SetServices(nullptr, &messages, &validator);
    Settings(kBase + u"[Runtime]\r\n" + c.runtime + u"\r\n[Size]\r\n" + c.size + u"\r\n");
    log.lines.clear();
    EXPECT_EQ(fresh.Init(0, 0, 0, u"", u"", u"", RUNMODE_GUI), c.result) << c.what;
    EXPECT_EQ(fresh.GetExtractionFolder(), c.folder) << c.what;
    EXPECT_EQ(log.Has(u"8||Extract path is not having enough space or permission"), c.noSpaceLine) << c.what;
  }
}

}  // namespace
}  // namespace tovu
