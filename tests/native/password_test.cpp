// The extraction password: the stored form, the scrub of the unpacked
// settings file and the command-line comparison of the unattended and
// silent runs.
#include <gtest/gtest.h>

#include "app/password.h"
#include "cmdline/run_mode.h"
#include "fakes/fake_platform.h"
#include "support/test_support.h"

namespace tovu {
namespace {

using test::Utf16Le;

using test::FakePlatform;

class CaptureLog : public CLogFile {
 public:
  explicit CaptureLog(IPlatform& p) : CLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(Format(u"%d|%s|%s", level, Text(function), message));
    return 0;
  }
  std::vector<Text> lines;
};

class RecordingLock : public ISettingsLock {
 public:
  explicit RecordingLock(FakePlatform& fake, const Text& file) : fake_(fake), file_(file) {}
  void CloseSettingsLock() override { events.push_back("close with " + Snapshot()); }
  void LockSettingsFile() override { events.push_back("lock with " + Snapshot()); }
  std::vector<std::string> events;

 private:
  // Whether the file still holds the stored password when the call comes.
  std::string Snapshot() { return fake_.FileBytes(file_).find("E\0x\0t\0r\0a\0c\0t\0i\0o\0n\0P", 0, 22) != std::string::npos ? "password" : "scrubbed"; }
  FakePlatform& fake_;
  Text file_;
};

// A stored form of `plain` for shift n (the packager's direction).
Text Shift(const Text& plain, int n) {
  Text out;
  for (char16_t c : plain) out += static_cast<char16_t>(c + n > 126 ? c + n - 95 : c + n);
  return out;
}

TEST(UnshiftPassword, RotatesOverThePrintableCharacters) {
  struct Case {
    Text stored;
    int shift;
    Text plain;
  } cases[] = {
      {u"abc", 0, u"abc"},
      {u"bcd", 1, u"abc"},
      {u" ", 1, u"~"},             // below the shift: wraps to the top
      {u"~", 94, u" "},
      {u"!", 1, u" "},             // c - 32 == N: plain c - N
      {Shift(u"Secret~ 42", 7), 7, u"Secret~ 42"},
      {Shift(u"Zz{|}~", 50), 50, u"Zz{|}~"},
      {u"bcd", 96, u"abc"},        // beyond 94: modulo 95
      {u"abc", -94, u"`ab"},       // negative: the same rotation as 1
      {u"", 5, u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(UnshiftPassword(c.stored, c.shift), c.plain) << ToUtf8(c.stored) << " shift " << c.shift;
}

class CheckPasswordTest : public ::testing::Test {
 protected:
  const Text kFile = u"D:\\{GUID}\\Properties_Tovu.ini";
  void SetUp() override { fake.AddDrive('D', 3); }
  void Settings(const Text& text) { fake.AddFile(kFile, Utf16Le(text)); }
  int Run(int mode, const Text& given) { return CheckPassword(util, profile, log, lock, kFile, mode, given, state); }
  Text Value(const Text& section, const Text& key) { return profile.GetString(kFile, section, key, u"<none>"); }

  FakePlatform fake;
  CaptureLog log{fake};
  CUtil util{fake, log};
  CProfile profile{fake};
  RecordingLock lock{fake, kFile};
  PasswordState state;
};

const Text kRequired =
    u"[Package]\r\nName=Demo\r\n[Runtime]\r\nExtractPasswordRequired=1\r\nExtractionPassword=  " +
    Shift(u"Open Sesame", 3) + u"  \r\nCheckAdmin=0\r\n[Temporary]\r\nNumber=3\r\n[Tovu]\r\nFrameVersion=2\r\n";

TEST_F(CheckPasswordTest, CommandLinePasswordInSilentAndUnattendedRuns) {
  struct Case {
    const char* what;
    int mode;
    Text given;
    int result;
    Text line;
  } cases[] = {
      {"right", RUNMODE_SILENT, u"Open Sesame", 1, u"8|CheckPassword|Password provided by user is correct"},
      {"right, unattended", RUNMODE_UNATTENDED, u"Open Sesame", 1,
       u"8|CheckPassword|Password provided by user is correct"},
      {"letter case differs", RUNMODE_SILENT, u"open sesame", 0,
       u"0|CheckPassword|Password provided by user is invalid"},
      {"with the stored blanks", RUNMODE_SILENT, u"  Open Sesame  ", 0,
       u"0|CheckPassword|Password provided by user is invalid"},
      {"none", RUNMODE_UNATTENDED, u"", 0,
       u"0|CheckPassword|Please provide the Password from the command line parameter : -ExtractionPassword"},
  };
  for (const Case& c : cases) {
    Settings(kRequired);
    log.lines.clear();
    EXPECT_EQ(Run(c.mode, c.given), c.result) << c.what;
    EXPECT_EQ(state.extractionPassword, u"Open Sesame") << c.what;
    EXPECT_EQ(state.requiredValue, u"1") << c.what;
    ASSERT_EQ(log.lines.size(), 1u) << c.what;
    EXPECT_EQ(log.lines[0], c.line) << c.what;
  }
}

TEST_F(CheckPasswordTest, GuiRunLeavesTheQuestionToTheWizard) {
  Settings(kRequired);
  EXPECT_EQ(Run(RUNMODE_GUI, u""), 1);
  EXPECT_EQ(state.extractionPassword, u"Open Sesame");
  EXPECT_EQ(state.requiredValue, u"1");
  EXPECT_TRUE(log.lines.empty());
}

TEST_F(CheckPasswordTest, ScrubsTheSettingsFileWithTheLockReleased) {
  Settings(kRequired);
  Run(RUNMODE_SILENT, u"Open Sesame");
  EXPECT_EQ(lock.events, (std::vector<std::string>{"close with password", "lock with scrubbed"}));
  const std::string bytes = fake.FileBytes(kFile);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "still UTF-16LE with its byte-order mark";
  EXPECT_EQ(Value(u"Runtime", u"ExtractionPassword"), u"<none>");
  EXPECT_EQ(Value(u"Runtime", u"ExtractPasswordRequired"), u"<none>");
  EXPECT_EQ(Value(u"Temporary", u"Number"), u"<none>");
  EXPECT_EQ(Value(u"Tovu", u"Required"), u"1");
  // Everything else stays.
  EXPECT_EQ(Value(u"Runtime", u"CheckAdmin"), u"0");
  EXPECT_EQ(Value(u"Tovu", u"FrameVersion"), u"2");
  EXPECT_EQ(Value(u"Package", u"Name"), u"Demo");

}

TEST_F(CheckPasswordTest, RequiredOtherThanOneNeedsNoPassword) {
  for (const Text& required : {Text(u"yes"), Text(u"1 "), Text(u"0"), Text(u"")}) {
    Settings(u"[Runtime]\r\nExtractPasswordRequired=\"" + required + u"\"\r\nExtractionPassword=abc\r\n");
    log.lines.clear();
    EXPECT_EQ(Run(RUNMODE_SILENT, u""), 1) << ToUtf8(required);
    EXPECT_EQ(state.requiredValue, required);
    EXPECT_TRUE(log.lines.empty());
  }
}

TEST_F(CheckPasswordTest, KeyOfAnyCaseAndNoShift) {
  // Without [Temporary] Number the stored text is the password; the key is
  // found whatever its case, the first of two wins.
  Settings(u"[RUNTIME]\r\nextractionPASSWORD=first\r\nExtractionPassword=second\r\nExtractPasswordRequired=1\r\n");
  EXPECT_EQ(Run(RUNMODE_SILENT, u"first"), 1);
  EXPECT_EQ(state.extractionPassword, u"first");
}

TEST_F(CheckPasswordTest, PackageWithoutPassword) {
  Settings(u"[Package]\r\nName=Demo\r\n");
  EXPECT_EQ(Run(RUNMODE_SILENT, u"anything"), 1);
  EXPECT_EQ(state.extractionPassword, u"");
  EXPECT_EQ(state.requiredValue, u"");
  EXPECT_TRUE(log.lines.empty());
}

}  // namespace
}  // namespace tovu
