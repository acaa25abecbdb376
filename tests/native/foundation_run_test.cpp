#include <gtest/gtest.h>

#include "app/foundation_run.h"
#include "cmdline/command_line.h"
#include "fakes/fake_platform.h"
#include "support/test_support.h"

namespace tovu {
namespace {

TEST(FoundationRun, WritesTheMasterLogAndLeavesTheCheckedFolderAsItWas) {
  ResetLogCountersForTest();
  test::FakePlatform fake;
  fake.SetEnv(u"ALLUSERSPROFILE", u"C:\\ProgramData");
  fake.AddDrive('E', drivetype::kFixed, 3u << 20);
  CBuildLogFile log(fake);
  CUtil util(fake, log);
  CExtractorCommandOpt options;
  ParseCommandLine(u"Package.exe /unattended \"-extractpath=E:\\My Target\"", options);

  EXPECT_EQ(RunFoundation(fake, log, util, options), 0);

  const std::string text = fake.FileBytes(u"C:\\ProgramData\\Maravel\\Automation\\Logfiles\\Tovu.log");
  for (const char* expected : {
           "############################## --------- START20260307090504 --------- ",
           "|Run mode : 520 (Unattended)\r\n",
           "|Fixed drive E:\\ free 3.00 MB\r\n",
           "|E:\\My Target\\ (root E:) : 0\r\n",
           "|Success\r\n",
           "############################## --------- End --------- ##############################\r\n",
       }) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << test::Escape(text);
  }
  EXPECT_LT(text.find("Fixed drive E:"), text.find("Fixed drive C:"));
  EXPECT_FALSE(fake.IsFolder(u"E:\\My Target"));
}

}  // namespace
}  // namespace tovu
