#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "support/test_support.h"
#include "util/cutil.h"
#include "util/system_info.h"

namespace tovu {
namespace {

using test::Escape;
using test::FakePlatform;

constexpr char16_t kLogPath[] = u"C:\\Logs\\run.log";
constexpr char16_t kCpuKey[] = u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\";

std::string U8(const Text& t) { return ToUtf8(t); }

// One timed line of level 8 as the log file holds it (the fake's clock
// stands at 09:05:04).
std::string Line(const std::string& label, const std::string& message) {
  std::string function = label;
  if (function.size() < 35) function.append(35 - function.size(), ' ');
  return "09:05:04|          |" + function + " |" + message + "\r\n";
}

const std::string kBanner =
    "-------------------------------------- System Information --------------------------------------\r\n";
const std::string kRule = std::string(95, '-') + "\r\n";

class SystemInfoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetLogCountersForTest();
    fake.AddFolder(u"C:\\Logs");
    log.InitLogFile(kLogPath, 9);
  }

  // Processor keys 0, 1, ... with these names.
  void AddProcessors(const std::vector<Text>& names) {
    for (size_t i = 0; i < names.size(); ++i)
      fake.SetRegistryString(RegRoot::kLocalMachine, Format(u"%s%d", kCpuKey, static_cast<int>(i)),
                             u"ProcessorNameString", names[i]);
  }

  std::string WriteBlock(const std::function<void()>& osLines = nullptr) {
    fake.RemoveFile(kLogPath);
    WriteSystemInformation(log, util, osLines);
    return fake.FileBytes(kLogPath);
  }

  // The (label, message) pairs of the block's timed lines whose label
  // starts with `prefix`.
  std::vector<std::pair<std::string, std::string>> LinesOf(const std::string& text, const std::string& prefix) {
    std::vector<std::pair<std::string, std::string>> out;
    size_t at = 0;
    while (at < text.size()) {
      size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(at, end - at);
      at = end + 2;
      if (line.size() < 21 || line[2] != ':' || line[8] != '|') continue;  // timed lines only
      size_t bar = line.find(" |", 20);
      if (bar == std::string::npos) continue;
      std::string label = line.substr(20, bar - 20);
      while (!label.empty() && label.back() == ' ') label.pop_back();
      if (label.compare(0, prefix.size(), prefix) == 0) out.emplace_back(label, line.substr(bar + 2));
    }
    return out;
  }

  FakePlatform fake;
  CLogFile log{fake};
  CUtil util{fake, log};
};

// ---- the whole block -----------------------------------------------------------

TEST_F(SystemInfoTest, WholeBlockOfATypicalMachine) {
  fake.SetTotalPhysicalMemory(3435973837ull);  // 3.2 GB
  AddProcessors({u"Zero", u"One", u"Two", u"   Intel(R) Core(TM) i7 CPU  \t"});
  fake.SetComputerName(u"BUILD-PC");
  // C: the usual figures; D: a CD-ROM, not listed; E: no file system name,
  // only the older free-space call works (its 32-bit products wrap the
  // 5 GiB total to 1 GiB); F: no space figures at all; Z: added first,
  // listed last.
  fake.AddDrive('Z', drivetype::kFixed, 3ull << 30);
  fake.AddDrive('C', drivetype::kFixed, 40ull << 30);
  fake.SetDriveTotal('C', 100ull << 30);
  fake.AddDrive('D', drivetype::kCdrom, 1ull << 20);
  fake.AddDrive('E', drivetype::kFixed);
  fake.SetVolumeFileSystem('E', u"");
  fake.FailDiskFreeEx('E', winerr::kInvalidFunction);
  fake.SetDiskFreeGeometry('E', DiskFreeSpace{8, 512, 131072, 1310720});
  fake.AddDrive('F', drivetype::kFixed);
  fake.SetVolumeFileSystem('F', u"FAT32");
  fake.FailDiskFreeEx('F', winerr::kNotReady);
  fake.FailDiskFree('F', winerr::kNotReady);
  fake.AddDrive('R', drivetype::kRemote);
  fake.SetSystemDefaultLocale(1031);
  fake.SetUserUILanguage(1033);

  const std::string text = WriteBlock([&] {
    log.WriteLog(LOG_INFO, u"Operating System", u"%s", u"Windows 10 Pro");
    log.WriteLog(LOG_INFO, u"Service Pack", u"%s", u"");
  });

  const std::string expected =
      Line("Date", "Saturday, March 07, 2026") + kBanner +  //
      Line("RAM Size", "4.00 GB") +                          //
      Line("Processor 1", "Intel(R) Core(TM) i7 CPU") +      //
      Line("Processor 2", "Two") +                           //
      Line("Processor 3", "One") +                           //
      Line("Processor 4", "Zero") +                          //
      Line("Computer name", "BUILD-PC") +
      Line("Space Info on Drive: C:\\ (NTFS)",
           "Total Space: 100.00 GB\tUsed space: 60.00 GB\tFree space: 40.00 GB") +
      Line("Space Info on Drive: E:\\", "Total Space: 1024.00 MB\tUsed space: 512.00 MB\tFree space: 512.00 MB") +
      Line("Space Info on Drive: F:\\ (FAT32)", "No Information") +
      Line("Space Info on Drive: Z:\\ (NTFS)", "Total Space: 3.00 GB\tUsed space: 0.00 KB\tFree space: 3.00 GB") +
      Line("Operating System", "Windows 10 Pro") +  //
      Line("Service Pack", "") +                    //
      Line("System Language", "German (1031)") +    //
      Line("UI Language", "English (1033)") +       //
      kRule;
  EXPECT_EQ(Escape(text), Escape(expected));
}

TEST_F(SystemInfoTest, BareMachineStillGivesTheFrameOfTheBlock) {
  // No processor keys, no computer name, no drives, no OS lines, no
  // language facts: every fixed line is still there, in its place.
  fake.RemoveDrive('C');
  fake.SetTotalPhysicalMemory(0);
  fake.SetComputerName(u"");
  fake.SetSystemDefaultLocale(0);
  fake.SetUserUILanguage(-1);
  const std::string expected = Line("Date", "Saturday, March 07, 2026") + kBanner + Line("RAM Size", "0.00 GB") +
                               Line("Computer name", "") + Line("System Language", " (0)") +
                               Line("UI Language", "Unknown (4294967295)") + kRule;
  // Without C: the log needs a folder elsewhere (a removable drive is not
  // listed).
  fake.AddDrive('L', drivetype::kRemovable);
  fake.AddFolder(u"L:\\Logs");
  log.InitLogFile(u"L:\\Logs\\run.log", 9);
  WriteSystemInformation(log, util, nullptr);
  EXPECT_EQ(Escape(fake.FileBytes(u"L:\\Logs\\run.log")), Escape(expected));
}

TEST_F(SystemInfoTest, DateLineNamesDayAndMonthWithATwoDigitDay) {
  struct Case {
    LocalTime t;
    const char* text;
  };
  auto At = [](int y, int m, int d, int dow) {
    LocalTime t;
    t.year = y;
    t.month = m;
    t.day = d;
    t.dayOfWeek = dow;
    return t;
  };
  const Case cases[] = {
      {At(2025, 5, 27, 2), "Tuesday, May 27, 2025"},     {At(2026, 1, 1, 4), "Thursday, January 01, 2026"},
      {At(2024, 2, 29, 4), "Thursday, February 29, 2024"}, {At(2023, 12, 31, 0), "Sunday, December 31, 2023"},
      {At(2021, 9, 6, 1), "Monday, September 06, 2021"},  {At(2022, 10, 14, 5), "Friday, October 14, 2022"},
      {At(2020, 11, 18, 3), "Wednesday, November 18, 2020"}, {At(2019, 6, 8, 6), "Saturday, June 08, 2019"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(U8(FormatLongDate(c.t)), c.text);
    fake.SetTime(c.t);
    const std::string text = WriteBlock();
    auto lines = LinesOf(text, "Date");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].second, c.text);
  }
}

// ---- memory --------------------------------------------------------------------

TEST_F(SystemInfoTest, MemoryLineRoundsUpWhatTheProcessIsToldAndNeverShowsMoreThan4GB) {
  struct Case {
    uint64_t reported;
    uint32_t total;  // GetTotalPhysicalMemory
    const char* line;
  };
  const Case cases[] = {
      {4294967295ull, 4294967295u, "4.00 GB"},  // the largest 32-bit value
      {2147483647ull, 2147483647u, "2.00 GB"},
      {3435973837ull, 3435973837u, "4.00 GB"},  // 3.2 GB
      {2147483648ull, 2147483648u, "2.00 GB"},  // exactly 2 GiB
      {2147484671ull, 2147484671u, "2.00 GB"},  // 1,023 bytes more: lost in the kilobytes
      {2147484672ull, 2147484672u, "3.00 GB"},  // one kilobyte more
      {536870912ull, 536870912u, "1.00 GB"},
      {1023ull, 1023u, "0.00 GB"},
      {0ull, 0u, "0.00 GB"},
      {8589934592ull, 4294967295u, "4.00 GB"},   // 8 GiB told to a 64-bit process
      {4294967296ull, 4294967295u, "4.00 GB"},   // one byte above the 32-bit range
  };
  for (const Case& c : cases) {
    fake.SetTotalPhysicalMemory(c.reported);
    EXPECT_EQ(util.GetTotalPhysicalMemory(), c.total) << c.reported;
    auto lines = LinesOf(WriteBlock(), "RAM Size");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].second, c.line) << c.reported;
  }
}

// ---- processors ----------------------------------------------------------------

TEST_F(SystemInfoTest, ProcessorLinesFollowTheRegistryKeysAndTheirStopRules) {
  const Text kLong1023(1023, u'x');  // 2,048 bytes with its zero: fits the buffer
  const Text kLong1024(1024, u'y');  // 2,050 bytes: does not fit, read as empty
  struct Case {
    const char* what;
    std::vector<Text> names;
    std::vector<std::pair<std::string, std::string>> lines;
    int keysOpened;  // registry calls: one open and one read per key, one open more at the end
  };
  const Case cases[] = {
      {"no processor key", {}, {}, 1},
      {"one processor", {u" AMD Ryzen 5 "}, {{"Processor", "AMD Ryzen 5"}}, 3},
      {"one processor without a name", {u""}, {{"Processor", ""}}, 2},
      {"four processors, highest number first",
       {u"cpu0", u"cpu1", u"cpu2", u"cpu3"},
       {{"Processor 1", "cpu3"}, {"Processor 2", "cpu2"}, {"Processor 3", "cpu1"}, {"Processor 4", "cpu0"}},
       9},
      {"an empty name ends the list after it is added",
       {u"cpu0", u"", u"cpu2", u"cpu3"},
       {{"Processor 1", ""}, {"Processor 2", "cpu0"}},
       4},
      {"a name that does not fit is empty and ends the list",
       {u"cpu0", kLong1023, kLong1024, u"cpu3"},
       {{"Processor 1", ""}, {"Processor 2", U8(kLong1023)}, {"Processor 3", "cpu0"}},
       6},
  };
  for (const Case& c : cases) {
    FakePlatform machine;
    machine.AddFolder(u"C:\\Logs");
    CLogFile out(machine);
    out.InitLogFile(kLogPath, 9);
    CUtil u(machine, out);
    for (size_t i = 0; i < c.names.size(); ++i)
      machine.SetRegistryString(RegRoot::kLocalMachine, Format(u"%s%d", kCpuKey, static_cast<int>(i)),
                                u"ProcessorNameString", c.names[i]);
    WriteSystemInformation(out, u, nullptr);
    EXPECT_EQ(LinesOf(machine.FileBytes(kLogPath), "Processor"), c.lines) << c.what;
    EXPECT_EQ(machine.registryKeyOpens, c.keysOpened) << c.what;
  }
}

TEST_F(SystemInfoTest, ProcessorKeyWithoutAUsableNameGivesAnEmptyNameAndEndsTheList) {
  // Key 1 exists but its value is missing, of another type, or the key
  // exists only through a subkey: each ends the list with an empty name.
  const Text key1 = Format(u"%s%d", kCpuKey, 1);
  const std::vector<std::function<void(FakePlatform&)>> shapes = {
      [&](FakePlatform& m) { m.AddRegistryKey(RegRoot::kLocalMachine, key1); },
      [&](FakePlatform& m) { m.SetRegistryDword(RegRoot::kLocalMachine, key1, u"ProcessorNameString", 7); },
      [&](FakePlatform& m) { m.SetRegistryString(RegRoot::kLocalMachine, key1, u"Identifier", u"x86 Family 6"); },
      [&](FakePlatform& m) { m.AddRegistryKey(RegRoot::kLocalMachine, key1 + u"\\Sub"); },
  };
  for (size_t i = 0; i < shapes.size(); ++i) {
    FakePlatform machine;
    CLogFile out(machine);
    CUtil u(machine, out);
    machine.SetRegistryString(RegRoot::kLocalMachine, Format(u"%s%d", kCpuKey, 0), u"ProcessorNameString", u"cpu0");
    machine.SetRegistryString(RegRoot::kLocalMachine, Format(u"%s%d", kCpuKey, 2), u"ProcessorNameString", u"cpu2");
    shapes[i](machine);
    TextList names{u"kept"};
    EXPECT_EQ(u.GetProcessorNames(names), 2) << i;
    EXPECT_EQ(names, (TextList{u"", u"cpu0", u"kept"})) << i;
  }
}

TEST_F(SystemInfoTest, ProcessorKeysAreReadInTheProcessView) {
  const Text key0 = Format(u"%s%d", kCpuKey, 0);
  fake.SetRegistryString(RegRoot::kLocalMachine, key0, u"ProcessorNameString", u"seen in 32", RegView::k32);
  fake.SetRegistryString(RegRoot::kLocalMachine, key0, u"ProcessorNameString", u"seen in 64", RegView::k64);
  TextList names;
  util.GetProcessorNames(names);
  EXPECT_EQ(names, TextList{u"seen in 32"});
  fake.SetProcessRegistryView(RegView::k64);
  names.clear();
  util.GetProcessorNames(names);
  EXPECT_EQ(names, TextList{u"seen in 64"});
}

// ---- drives and space ----------------------------------------------------------

TEST_F(SystemInfoTest, ListDrivesTakesTheRequestedKindHighestLetterFirst) {
  fake.AddDrive('E', drivetype::kCdrom, 0);
  fake.AddDrive('D', drivetype::kFixed, 0);  // full: listed all the same
  fake.AddDrive('X', drivetype::kFixed);
  fake.AddDrive('G', drivetype::kCdrom);
  fake.AddDrive('N', drivetype::kRemote);
  TextList fixed{u"kept"}, cdrom;
  EXPECT_EQ(util.ListDrives(fixed, 3), 0);
  EXPECT_EQ(fixed, (TextList{u"X:\\", u"D:\\", u"C:\\", u"kept"}));
  EXPECT_EQ(util.ListDrives(cdrom, 5), 0);
  EXPECT_EQ(cdrom, (TextList{u"G:\\", u"E:\\"}));

  for (char letter : std::string("CDEGNX")) fake.RemoveDrive(letter);
  TextList none;
  EXPECT_EQ(util.ListDrives(none, 3), -1);
  EXPECT_TRUE(none.empty());
}

TEST_F(SystemInfoTest, SpaceTextFromEitherQueryOrNoInformation) {
  struct Case {
    const char* what;
    uint64_t freeBytes, totalBytes;
    uint32_t exError, oldError;
    bool geometry;
    DiskFreeSpace space;
    int result;
    const char* text;
  };
  const Case cases[] = {
      {"extended query", 40ull << 30, 100ull << 30, 0, 0, false, {}, 0,
       "Total Space: 100.00 GB\tUsed space: 60.00 GB\tFree space: 40.00 GB"},
      {"extended query preferred over a failing older one", 1572864, 3ull << 20, 0, 5, false, {}, 0,
       "Total Space: 3.00 MB\tUsed space: 1.50 MB\tFree space: 1.50 MB"},
      {"small figures in KB", 1024, 1048576, 0, 0, false, {}, 0,
       "Total Space: 1024.00 KB\tUsed space: 1023.00 KB\tFree space: 1.00 KB"},
      {"full drive", 0, 1ull << 31, 0, 0, false, {}, 0,
       "Total Space: 2.00 GB\tUsed space: 2.00 GB\tFree space: 0.00 KB"},
      {"older query when the extended one fails", 0, 0, 1, 0, true, DiskFreeSpace{8, 512, 1000, 3000}, 0,
       "Total Space: 11.72 MB\tUsed space: 7.81 MB\tFree space: 3.91 MB"},
      {"older query multiplies in 32 bits", 0, 0, 1, 0, true, DiskFreeSpace{8, 512, 262144, 1310720}, 0,
       "Total Space: 1024.00 MB\tUsed space: 0.00 KB\tFree space: 1024.00 MB"},
      {"both fail", 1ull << 30, 1ull << 31, 21, 21, false, {}, -1, "No Information"},
  };
  for (const Case& c : cases) {
    FakePlatform machine;
    CLogFile out(machine);
    CUtil u(machine, out);
    machine.AddDrive('D', drivetype::kFixed, c.freeBytes);
    machine.SetDriveTotal('D', c.totalBytes);
    machine.FailDiskFreeEx('D', c.exError);
    machine.FailDiskFree('D', c.oldError);
    if (c.geometry) machine.SetDiskFreeGeometry('D', c.space);
    Text text = u"before";
    EXPECT_EQ(u.GetSpaceInfo(u"D:\\", text), c.result) << c.what;
    EXPECT_EQ(U8(text), c.text) << c.what;
  }
}

TEST_F(SystemInfoTest, DriveLabelCarriesTheFileSystemNameWhenThereIsOne) {
  fake.AddDrive('D', drivetype::kFixed);
  fake.SetVolumeFileSystem('D', u"exFAT");
  fake.AddDrive('E', drivetype::kFixed);
  fake.SetVolumeFileSystem('E', u"");
  EXPECT_EQ(U8(util.GetFileSystemName(u"C:\\")), "NTFS");
  EXPECT_EQ(U8(util.GetFileSystemName(u"D:\\")), "exFAT");
  EXPECT_EQ(U8(util.GetFileSystemName(u"E:\\")), "");
  EXPECT_EQ(U8(util.GetFileSystemName(u"Q:\\")), "");
  auto lines = LinesOf(WriteBlock(), "Space Info on Drive");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].first, "Space Info on Drive: C:\\ (NTFS)");
  EXPECT_EQ(lines[1].first, "Space Info on Drive: D:\\ (exFAT)");
  EXPECT_EQ(lines[2].first, "Space Info on Drive: E:\\");
}

// ---- languages -----------------------------------------------------------------

TEST_F(SystemInfoTest, LanguageLinesNameBothLanguagesWithTheirIdentifiers) {
  struct Case {
    uint32_t systemLocale;
    int ui;
    const char* systemLine;
    const char* uiLine;
  };
  fake.SetLocaleEnglishName(1036, u"French");
  const Case cases[] = {
      {1033, 1031, "English (1033)", "German (1031)"},
      {1031, 1039, "German (1031)", "Unknown (1039)"},
      {1036, -1, "French (1036)", "Unknown (4294967295)"},
      {1033, 1030, "English (1033)", "Danish (1030)"},
      {1033, 0, "English (1033)", "Language Independent (0)"},
      {2057, 3082, " (2057)", "Spanish - Modern Sort (3082)"},  // a locale without a known name
  };
  for (const Case& c : cases) {
    fake.SetSystemDefaultLocale(c.systemLocale);
    fake.SetUserUILanguage(c.ui);
    EXPECT_EQ(util.GetUILanguage(), c.ui);
    const std::string text = WriteBlock();
    EXPECT_EQ(LinesOf(text, "System Language"),
              (std::vector<std::pair<std::string, std::string>>{{"System Language", c.systemLine}}));
    EXPECT_EQ(LinesOf(text, "UI Language"),
              (std::vector<std::pair<std::string, std::string>>{{"UI Language", c.uiLine}}));
  }
}

TEST_F(SystemInfoTest, LanguageTableNamesItsIdentifiersAndNothingElse) {
  struct Case {
    int id;
    const char* name;
  };
  const Case cases[] = {
      {0, "Language Independent"},     {1025, "Arabic (Saudi Arabia)"}, {1026, "Bulgarian"},
      {1027, "Catalan"},               {1028, "Chinese (Traditional)"}, {1029, "Czech"},
      {1030, "Danish"},                {1031, "German"},                {1032, "Greek"},
      {1033, "English"},               {1034, "Spanish (Traditional Sort)"}, {1035, "Finnish"},
      {1036, "French(France)"},        {1037, "Hebrew"},                {1038, "Hungarian"},
      {1040, "Italian"},               {1041, "Japanese"},              {1042, "Korean"},
      {1043, "Dutch"},                 {1044, "Norwegian (Bokmal)"},    {1045, "Polish"},
      {1046, "Portuguese (Brazil)"},   {1048, "Romanian"},              {1049, "Russian"},
      {1050, "Croatian"},              {1051, "Slovak"},                {1053, "Swedish"},
      {1054, "Thai"},                  {1055, "Turkish"},               {1057, "Indonesian"},
      {1060, "Slovenian"},             {1069, "Basque"},                {2052, "Chinese (Simplified)"},
      {2070, "Portuguese (Portugal)"}, {3082, "Spanish - Modern Sort"}, {3084, "French(Canada)"},
      {3098, "Serbian (Cyrillic)"},
      // Without an entry:
      {1039, "Unknown"}, {1047, "Unknown"}, {1052, "Unknown"}, {1056, "Unknown"}, {2049, "Unknown"},
      {3081, "Unknown"}, {-1, "Unknown"},   {65535, "Unknown"}, {1, "Unknown"},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(CUtil::GetLanguageName(c.id)), c.name) << c.id;
}

}  // namespace
}  // namespace tovu
