#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "support/log_script.h"
#include "support/test_support.h"

namespace tovu {
namespace {

using test::Escape;
using test::FakePlatform;

constexpr char16_t kPath[] = u"C:\\Logs\\run.log";

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetLogCountersForTest();
    fake.AddFolder(u"C:\\Logs");
  }
  std::string FileText() const { return fake.FileBytes(kPath); }

  FakePlatform fake;
  CBuildLogFile log{fake};
};

TEST_F(LogFileTest, ScriptedRunMatchesTheExpectedFileByteForByte) {
  test::RunScriptedLog(log, kPath);
  const std::string expected = test::ReadTestData("log/scripted.log");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(Escape(FileText()), Escape(expected));
}

TEST_F(LogFileTest, ThresholdDecidesTheInformationLevelsOnly) {
  struct Case {
    int threshold;
    int level;
    bool written;
  };
  const Case cases[] = {
      {9, 9, true},  {9, 10, false}, {9, 11, false}, {11, 11, true}, {0, 1, true},
      {0, 6, true},  {0, 7, false},  {-5, 0, true},  {11, 12, false}, {9, 7, true},
  };
  for (const Case& c : cases) {
    fake.RemoveFile(kPath);
    log.InitLogFile(kPath, c.threshold);
    log.WriteLog(c.level, u"F", u"x");
    EXPECT_EQ(!FileText().empty(), c.written) << "threshold " << c.threshold << " level " << c.level;
  }
}

TEST_F(LogFileTest, CountsAcceptedLinesEvenWhenTheFileCannotBeWritten) {
  CBuildLogFile other(fake);
  EXPECT_EQ(other.GetErrorCount(), 0);
  log.InitLogFile(u"C:\\Missing\\Folder\\run.log", 9);
  log.WriteLog(0, u"A", u"lost");  // folder missing: line lost, still counted
  log.WriteLog(0, u"A", u"lost");
  log.WriteLog(1, u"A", u"lost");
  log.WriteLog(3, u"A", u"lost");
  log.WriteLog(11, u"A", u"filtered, not counted");
  EXPECT_EQ(log.GetErrorCount(), 2);
  EXPECT_EQ(log.GetWarningCount(), 2);
  EXPECT_FALSE(fake.IsFile(u"C:\\Missing\\Folder\\run.log"));
}

TEST_F(LogFileTest, CounterWrapsAfter65535) {
  log.InitLogFile(u"", 9);  // counting on, writes go nowhere
  for (int i = 0; i < 65536; ++i) log.WriteLog(0, u"A", u"x");
  EXPECT_EQ(log.GetErrorCount(), 0);
  log.WriteLog(0, u"A", u"x");
  EXPECT_EQ(log.GetErrorCount(), 1);
}

TEST_F(LogFileTest, CountsAreZeroBeforeCountingStartsAndACleanRunSucceeds) {
  EXPECT_EQ(log.GetErrorCount(), 0);
  EXPECT_EQ(log.GetWarningCount(), 0);
  log.InitLogFile(kPath, 9);
  log.WriteSummary();
  const std::string text = FileText();
  EXPECT_NE(text.find("|Success\r\n"), std::string::npos) << Escape(text);
  EXPECT_NE(text.find("0 Errors found and 0 Warnings found\r\n"), std::string::npos) << Escape(text);
}

TEST_F(LogFileTest, UnnamedAndRawWritesCreateTheMissingFolder) {
  // Unnamed lines create every missing level of the folder.
  log.InitLogFile(u"C:\\A\\B\\C\\run.log", 9);
  log.WriteLog(8, u"Lost", u"timed line before the folder exists");
  EXPECT_FALSE(fake.IsFolder(u"C:\\A"));
  log.WriteLogNoFunction(8, u"a,b");
  EXPECT_TRUE(fake.IsFolder(u"C:\\A\\B\\C"));
  EXPECT_EQ(FileText().size(), 0u);
  EXPECT_NE(fake.FileBytes(u"C:\\A\\B\\C\\run.log").find("|a|b\r\n"), std::string::npos);

  // Raw text creates one level only.
  log.InitLogFile(u"C:\\Logs\\New\\raw.log", 9);
  log.WriteRaw(u"block\n");
  EXPECT_EQ(fake.FileBytes(u"C:\\Logs\\New\\raw.log"), "block\r\n");
  log.InitLogFile(u"C:\\Two\\Levels\\raw.log", 9);
  log.WriteRaw(u"block\n");
  EXPECT_FALSE(fake.IsFolder(u"C:\\Two"));
}

TEST_F(LogFileTest, DeleteLogFileReportsAMissingFile) {
  log.InitLogFile(kPath, 9);
  EXPECT_EQ(log.DeleteLogFile(), -1);
  log.WriteRaw(u"x");
  EXPECT_EQ(log.DeleteLogFile(), 0);
  EXPECT_FALSE(fake.IsFile(kPath));
}

TEST_F(LogFileTest, HostileFormatsDoNotEscape) {
  log.InitLogFile(kPath, 9);
  log.WriteLog(8, Text(5000, u'f'), u"%s %d %I64d %s", u"only one");
  log.WriteLog(8, u"F", Text(100000, u'%'));
  log.WriteRaw(u"%999999999999s|", u"x");
  const std::string text = FileText();
  EXPECT_NE(text.find(std::string(45, 'f') + " |only one   \r\n"), std::string::npos);
}

}  // namespace
}  // namespace tovu
