// The password check's scrub of the unpacked settings file on the real
// platform: afterwards the system's own profile reader finds [Tovu]
// Required and none of the three password keys, and the file is still
// UTF-16LE with its byte-order mark.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/password.h"
#include "cmdline/run_mode.h"
#include "platform/win32/win32_platform.h"

namespace tovu {
namespace {

class CountingLock : public ISettingsLock {
 public:
  void CloseSettingsLock() override { ++closes; }
  void LockSettingsFile() override { ++locks; }
  int closes = 0;
  int locks = 0;
};

std::wstring SystemRead(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t buffer[256];
  ::GetPrivateProfileStringW(section, key, L"<none>", buffer, 256, file.c_str());
  return buffer;
}

TEST(PasswordWin, ScrubLeavesOnlyTovuRequired) {
  Win32Platform platform;
  SetPlatform(&platform);
  wchar_t temp[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring file = std::wstring(temp) + L"tovu_password_test.ini";
  const std::wstring text =
      L"\xFEFF[Package]\r\nName=Demo\r\n[Runtime]\r\nExtractPasswordRequired=1\r\n"
      L"ExtractionPassword= Rshq#Vhvdph \r\nCheckAdmin=0\r\n[Temporary]\r\nNumber=3\r\n[Tovu]\r\nGUID2=38629\r\n";
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(h, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
  ::CloseHandle(h);

  CLogFile log(platform);
  CUtil util(platform, log);
  CProfile profile(platform);
  CountingLock lock;
  PasswordState state;
  EXPECT_EQ(CheckPassword(util, profile, log, lock, FromW(file.c_str()), RUNMODE_SILENT, u"Open Sesame", state), 1);
  EXPECT_EQ(state.extractionPassword, u"Open Sesame");
  EXPECT_EQ(lock.closes, 1);
  EXPECT_EQ(lock.locks, 1);

  EXPECT_EQ(SystemRead(file, L"Tovu", L"Required"), L"1");
  EXPECT_EQ(SystemRead(file, L"Runtime", L"ExtractionPassword"), L"<none>");
  EXPECT_EQ(SystemRead(file, L"Runtime", L"ExtractPasswordRequired"), L"<none>");
  EXPECT_EQ(SystemRead(file, L"Temporary", L"Number"), L"<none>");
  EXPECT_EQ(SystemRead(file, L"Runtime", L"CheckAdmin"), L"0");
  EXPECT_EQ(SystemRead(file, L"Tovu", L"GUID2"), L"38629");

  std::vector<uint8_t> bytes;
  ASSERT_EQ(platform.ReadWholeFile(FromW(file.c_str()), bytes), 0u);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  const std::string raw(bytes.begin(), bytes.end());
  EXPECT_EQ(raw.find(std::string("R\0s\0h\0q\0", 8)), std::string::npos) << "the stored password is gone from the bytes";
  ::DeleteFileW(file.c_str());
  SetPlatform(nullptr);
}

}  // namespace
}  // namespace tovu
