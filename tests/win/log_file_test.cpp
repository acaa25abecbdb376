// The log writer on the real file system under Wine: the same bytes as
// natively, folder creation, and the open-append-close behaviour.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>

#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "support/log_script.h"
#include "support/test_support.h"

namespace tovu {
namespace {

// The Win32 platform with a clock that stands still, so that the file can
// be compared byte for byte.
class FixedClock : public Win32Platform {
 public:
  LocalTime Now() override {
    LocalTime t;
    t.year = 2026;
    t.month = 3;
    t.day = 7;
    t.hour = 9;
    t.minute = 5;
    t.second = 4;
    return t;
  }
};

Text TempFolder() {
  wchar_t buf[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, buf);
  Text base = FromW(buf, n);
  return base + Format(u"tovu-log-%u\\", GetCurrentProcessId());
}

std::string ReadBytes(const Text& path) {
  std::ifstream in(W(path), std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void RemoveTree(const Text& folder) {
  Text from = folder + Text(2, u'\0');  // double zero terminated
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = W(from);
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

class WinLogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetLogCountersForTest();
    folder = TempFolder();
    CreateDirectoryW(W(folder), nullptr);
  }
  void TearDown() override { RemoveTree(folder.substr(0, folder.size() - 1)); }

  FixedClock platform;
  CBuildLogFile log{platform};
  Text folder;
};

TEST_F(WinLogFileTest, ScriptedRunMatchesTheExpectedFileByteForByte) {
  const Text path = folder + u"scripted.log";
  test::RunScriptedLog(log, path);
  const std::string expected = test::ReadTestData("log/scripted.log");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(test::Escape(ReadBytes(path)), test::Escape(expected));
}

TEST_F(WinLogFileTest, AppendsToAnExistingFileAndCreatesMissingLevels) {
  const Text path = folder + u"append.log";
  {
    std::ofstream out(W(path), std::ios::binary);
    out << "old\r\n";
  }
  log.InitLogFile(path, 9);
  log.WriteRaw(u"new\n");
  EXPECT_EQ(ReadBytes(path), "old\r\nnew\r\n");

  const Text deep = folder + u"One\\Two\\Three\\deep.log";
  log.InitLogFile(deep, 9);
  log.WriteLog(8, u"Lost", u"before the folder exists");
  log.WriteRaw(u"raw makes one level only\n");
  EXPECT_EQ(GetFileAttributesW(W(folder + u"One")), INVALID_FILE_ATTRIBUTES);
  log.WriteLogNoFunction(8, u"made, by the unnamed line");
  EXPECT_EQ(ReadBytes(deep), "09:05:04|          |NonameFunction                     |made| by the unnamed line\r\n");
}

TEST_F(WinLogFileTest, ALineIsLostWhileAnotherProgramHoldsTheFile) {
  const Text path = folder + u"held.log";
  log.InitLogFile(path, 9);
  log.WriteLog(8, u"First", u"one");
  HANDLE h = CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  log.WriteLog(8, u"Second", u"lost");
  CloseHandle(h);
  log.WriteLog(8, u"Third", u"three");
  const std::string text = ReadBytes(path);
  EXPECT_EQ(text.find("lost"), std::string::npos);
  EXPECT_NE(text.find("|three\r\n"), std::string::npos);
}

}  // namespace
}  // namespace tovu
