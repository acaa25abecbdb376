// Finish messages and return codes on the in-memory platform: configured
// values and the texts they name, the return-code map per setup, what each
// return code records, the text under the finish page's main text, the
// principal message per run status and the exit code.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/finish_messages.h"
#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "util/cutil.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::KeptLog;
using test::FakePlatform;

std::string U8(const Text& t) { return ToUtf8(t); }

constexpr char16_t kSettings[] = u"C:\\T\\Properties_Tovu.ini";

class Finish : public ::testing::Test {
 protected:
  Finish() : log(platform), util(platform, log), init(platform, log, util), finish(platform, log, util, init) {
    log.InitLogFile(u"C:\\test.log", 11);
    init.SetSettingsPath(kSettings);
  }
  void Settings(const std::string& ini) { platform.AddFile(kSettings, ini); }

  FakePlatform platform;
  KeptLog log;
  CUtil util;
  CTovuInitalizer init;
  CFinishMessages finish;
};

TEST_F(Finish, AConfiguredValueGivesItsPrefixAndTheTextOfTheKeyInBraces) {
  Settings("[1033]\r\nMsgReboot=Please restart.\r\nMsgFail=It failed.\r\nMsgEmpty=\r\nodd}name=Odd\r\n");
  struct Case {
    const char16_t* value;
    const char* result;
  } cases[] = {
      {u"success:{MsgReboot}", "success:Please restart."},
      {u"SUCCESS: {MsgReboot} ", "success:Please restart."},
      {u"Error:{MsgFail}", "error:It failed."},
      {u"{MsgFail}", "It failed."},
      {u"error:Setup failed", "error:"},  // a literal text is not taken
      {u"error:{MsgFail", "error:"},
      {u"success:{MsgEmpty}", "success:"},
      {u"success:{NoSuchKey}", "success:"},
      {u"success:", "success:"},
      {u"success:{odd}name}", "success:Odd"},  // between the first "{" and the last "}"
      {u"erro:{MsgFail}", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(finish.GetMessageFromLangSection(c.value, u"1033")), c.result) << U8(c.value);
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), "8 GetMessageFromLangSection: Message part not provided"),
            log.lines.end());
  EXPECT_NE(std::find(log.lines.begin(), log.lines.end(),
                      "8 GetMessageFromLangSection: Checking message part :  {MsgReboot}  "),
            log.lines.end());
}

TEST_F(Finish, ReturnCodesOfOneSetupAreLoadedUnderItsKeyWhateverTheCase) {
  Settings(
      "[autolaunch]\r\nreturncode_1=error:{MsgFail}\r\nRETURNCODE_3010=success:{MsgReboot}\r\nReturnCode_5=\r\n"
      "Other=success:{MsgReboot}\r\nReturnCode_1=success:{MsgReboot}\r\n"
      "[AutoLaunch2]\r\nReturnCode_0=success:{MsgOk}\r\n"
      "[1033]\r\nMsgReboot=Restart\r\nMsgFail=Failed\r\nMsgOk=\r\nMessageOnFinish=All done\r\n");
  finish.LoadFinishMessages(u"AutoLaunch");
  std::map<Text, Text> expected{{u"autolaunch:returncode_1", u"error:Failed"},
                                {u"autolaunch:returncode_3010", u"success:Restart"}};
  EXPECT_EQ(finish.GetReturnCodeMessages(), expected);
  EXPECT_EQ(finish.GetFinishMessages().at(u"MessageOnFinish"), u"All done");

  finish.LoadFinishMessages(u"AutoLaunch2");
  EXPECT_EQ(finish.GetReturnCodeMessages().at(u"autolaunch2:returncode_0"), u"success:");
  // An empty key loads only the general text.
  finish.LoadFinishMessages(u"");
  EXPECT_EQ(finish.GetReturnCodeMessages().size(), 3u);
}

TEST_F(Finish, TheGeneralTextIsReadOnceInTheLanguageOfTheFirstCall) {
  Settings("[1033]\r\nMessageOnFinish=English\r\n[1031]\r\nMessageOnFinish=Deutsch\r\n");
  init.SetSetupLanguage(1031);
  finish.LoadFinishMessages(u"");
  init.SetSetupLanguage(1033);
  finish.LoadFinishMessages(u"AutoLaunch");
  EXPECT_EQ(finish.GetFinishMessage(), u"Deutsch");

  CFinishMessages none(platform, log, util, init);
  Settings("[1033]\r\n");
  none.LoadFinishMessages(u"");
  ASSERT_EQ(none.GetFinishMessages().count(u"MessageOnFinish"), 1u);  // stored even when empty
  EXPECT_EQ(none.GetFinishMessage(), u"");
}

TEST_F(Finish, EachReturnCodeRecordsWhatItsConfigurationSays) {
  Settings(
      "[AutoLaunch]\r\nReturnCode_3010=success:{MsgReboot}\r\nReturnCode_1=error:{MsgFail}\r\n"
      "ReturnCode_2=error:Setup failed\r\nReturnCode_0=success:{MsgOk}\r\nReturnCode_-1=error:{MsgNoStart}\r\n"
      "ReturnCode_4=Setup failed\r\nReturnCode_6={MsgFail}\r\n"
      "[1033]\r\nMsgReboot=Restart now\r\nMsgFail=Failed\r\nMsgOk=\r\nMsgNoStart=Not started\r\n"
      "MessageOnFinish=Bye\r\n");
  struct Case {
    int rc;
    int result;
    int runStatus;
    const char* finishText;
    bool unconfigured;
    int returnCode;
  } cases[] = {
      {3010, 0, 0, "Restart now", false, kNoReturnCode},
      {0, 0, 0, "", false, kNoReturnCode},        // configured success with an empty text
      {7, 0, 0, "Bye", true, kNoReturnCode},      // not configured: 616 and the general text
      {4, 0, 0, "Bye", true, kNoReturnCode},      // no prefix, no key: an empty text, so unconfigured
      {6, 0, 0, "Bye", false, kNoReturnCode},     // a text without a prefix: nothing recorded
      {1, -1, -6, "Failed", false, 1},
      {2, -1, -6, "", false, 2},                  // error without a key in braces: empty text
      {-1, -1, -6, "Not started", false, -1},
  };
  for (const Case& c : cases) {
    CFinishMessages f(platform, log, util, init);
    init.SetRunStatus(0);
    f.LoadFinishMessages(u"AutoLaunch");
    SCOPED_TRACE(c.rc);
    EXPECT_EQ(f.SetFinishMessage(c.rc, u"AutoLaunch"), c.result);
    EXPECT_EQ(init.GetRunStatus(), c.runStatus);
    EXPECT_EQ(U8(f.GetFinishMessage()), c.finishText);
    EXPECT_EQ(f.IsReturnCodeUnconfigured(), c.unconfigured);
    EXPECT_EQ(f.GetReturnCode(), c.returnCode);
  }
  // The log lines of the three outcomes.
  auto has = [&](const std::string& l) { return std::find(log.lines.begin(), log.lines.end(), l) != log.lines.end(); };
  EXPECT_TRUE(has("8 SetFinishMessage: Message Configuerd : Restart now"));
  EXPECT_TRUE(has("8 SetFinishMessage: Return Code is not Configured"));
  EXPECT_TRUE(has("0 SetFinishMessage: Error while installation. Message Configuerd : Failed"));
}

TEST_F(Finish, AnErrorStaysAcrossLaterSetupsAndSuccessesYieldToAnUnconfiguredCode) {
  Settings(
      "[AutoLaunch1]\r\nReturnCode_1=error:{MsgFail}\r\n[AutoLaunch2]\r\nReturnCode_0=success:{MsgOk}\r\n"
      "[1033]\r\nMsgFail=First failed\r\nMsgOk=Second fine\r\n");
  finish.LoadFinishMessages(u"AutoLaunch1");
  finish.LoadFinishMessages(u"AutoLaunch2");
  EXPECT_EQ(finish.SetFinishMessage(0, u"autolaunch2"), 0);  // the key's case does not matter
  EXPECT_EQ(finish.GetFinishMessage(), u"Second fine");
  EXPECT_EQ(finish.SetFinishMessage(5, u"AutoLaunch2"), 0);
  EXPECT_TRUE(finish.IsReturnCodeUnconfigured());
  EXPECT_EQ(finish.GetFinishMessage(), u"");  // the MessageOnFinish entry, empty here
  EXPECT_EQ(finish.SetFinishMessage(1, u"AutoLaunch1"), -1);
  EXPECT_FALSE(finish.IsReturnCodeUnconfigured());
  EXPECT_EQ(finish.SetFinishMessage(0, u"AutoLaunch2"), 0);
  EXPECT_EQ(finish.GetFinishMessage(), u"First failed");
  EXPECT_EQ(finish.GetReturnCode(), 1);
}

TEST(FinishRules, ExitCodeAndPrincipalMessagePerRunStatus) {
  struct Case {
    int runStatus;
    int stopped;
    int returnCode;
    int exitCode;
    int message;
  } cases[] = {
      {0, 0, -2, 0, 0},     {0, 1, 1, 1, 0},       {-6, 1, 1603, 1603, 611}, {-6, 0, 1603, 0, 611},
      {-1, 0, -2, 0, 602},  {2, 0, -2, 0, 605},    {11, 0, -2, 0, 601},      {12, 0, -2, 0, 614},
      {-2, 1, 5, -1, 607},  {-3, 0, -2, -1, 608},  {-5, 0, -2, -1, 615},     {-4, 0, -2, 0, 611},
      {183, 0, -2, 0, 602}, {-4, 1, -1, -1, 611},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.runStatus);
    EXPECT_EQ(ComputeExitCode(c.runStatus, c.stopped, c.returnCode), c.exitCode);
    EXPECT_EQ(PrincipalFinishMessage(c.runStatus), c.message);
  }
}

}  // namespace
}  // namespace tovu
