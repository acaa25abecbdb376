// The condition engine on the real Win32 platform under wine64: registry
// values of each type written into both registry views (in a 64-bit prefix
// the 32-bit view is the Wow6432Node side) and read by {Registry} and
// {Registry64} conditions, files with and without version resources,
// environment references in file paths, and the whole check over settings
// files of the test's own.
//
// ConditionsScenario.* runs only when a scenario script
// (tests/wine/scenarios/conditions_registry.sh) has shaped the prefix and
// says what to expect through the environment.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "conditions/check_conditions.h"
#include "conditions/condition.h"
#include "container/pe_file.h"
#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "support/test_support.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }
Text T(const std::wstring& w) { return FromW(w.c_str(), w.size()); }

class CaptureLog : public CLogFile {
 public:
  explicit CaptureLog(IPlatform& p) : CLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(U8(Text(function)) + " | " + U8(message));
    return 0;
  }
  std::vector<std::string> lines;
};

std::wstring TempFolder() {
  wchar_t buf[MAX_PATH + 1];
  DWORD n = ::GetTempPathW(MAX_PATH, buf);
  return std::wstring(buf, n);
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  ::CloseHandle(h);
}

std::wstring Wide(const std::string& s) {
  Text t = FromUtf8(s);
  return std::wstring(reinterpret_cast<const wchar_t*>(t.c_str()), t.size());
}

// A key of this test under HKLM\SOFTWARE, written into the 32-bit and the
// 64-bit view separately, deleted again afterwards.
class ConditionsWin : public ::testing::Test {
 protected:
  void SetUp() override {
    keyName = L"TovuConditionsTest" + std::to_wstring(::GetCurrentProcessId());
    key = L"SOFTWARE\\" + keyName;
    folder = TempFolder() + keyName + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ini = folder + L"Properties_Tovu.ini";
  }
  void TearDown() override {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      HKEY h = nullptr;
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS | view, &h) == ERROR_SUCCESS) {
        ::RegDeleteTreeW(h, nullptr);
        ::RegCloseKey(h);
      }
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), view, 0);
    }
    WIN32_FIND_DATAW fd;
    HANDLE f = ::FindFirstFileW((folder + L"*").c_str(), &fd);
    if (f != INVALID_HANDLE_VALUE) {
      do {
        ::DeleteFileW((folder + fd.cFileName).c_str());
      } while (::FindNextFileW(f, &fd));
      ::FindClose(f);
    }
    ::RemoveDirectoryW(folder.c_str());
  }
  void Set(REGSAM view, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &h,
                                nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(h);
  }
  void SetString(REGSAM view, const wchar_t* name, const std::wstring& v, DWORD type = REG_SZ) {
    Set(view, name, type, v.c_str(), static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
  }
  void Settings(const std::string& text) { WriteFileBytes(ini, text); }
  std::string RegPath(const char* name) { return "HKEY_LOCAL_MACHINE\\SOFTWARE\\" + U8(T(keyName)) + "\\" + name; }
  std::pair<int, std::string> Check() {
    Text keys;
    const int r = CheckConditions(platform, log, T(ini), 1033, &keys);
    return {r, U8(keys)};
  }

  std::wstring keyName, key, folder, ini;
  Win32Platform platform;
  CaptureLog log{platform};
};

TEST_F(ConditionsWin, RegistryValuesOfEachTypeInBothViews) {
  SetString(KEY_WOW64_32KEY, L"Version", L"1.9");
  SetString(KEY_WOW64_64KEY, L"Version", L"2.5");
  const DWORD all = 0xFFFFFFFFu, small = 42;
  Set(KEY_WOW64_32KEY, L"Dword", REG_DWORD, &all, 4);
  Set(KEY_WOW64_64KEY, L"Dword", REG_DWORD, &small, 4);
  const wchar_t multi[] = L"first\0second\0";
  Set(KEY_WOW64_32KEY, L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
  const unsigned char bin[] = {'1', 0, '2', 0, 0, 0};
  Set(KEY_WOW64_32KEY, L"Binary", REG_BINARY, bin, sizeof(bin));
  SetString(KEY_WOW64_32KEY, L"Expand", L"%SystemRoot%\\x", REG_EXPAND_SZ);
  SetString(KEY_WOW64_32KEY, L"Empty", L"");
  SetString(KEY_WOW64_32KEY, L"Long", std::wstring(2000, L'L'));
  SetString(KEY_WOW64_32KEY, L"", L"the default");
  SetString(KEY_WOW64_64KEY, L"Only64", L"here");

  CCondition c(platform, log, T(ini));
  struct Case {
    const wchar_t* name;
    bool is64;
    int status;
    std::wstring value;
  } const cases[] = {
      {L"Version", false, 1, L"1.9"},      {L"Version", true, 1, L"2.5"},
      {L"Dword", false, 1, L"-1"},         {L"Dword", true, 1, L"42"},
      {L"Multi", false, 1, L"first"},      {L"Binary", false, 1, L""},
      {L"Expand", false, 1, L"%SystemRoot%\\x"}, {L"Empty", false, 1, L""},
      {L"Long", false, 1, std::wstring(1023, L'L')}, {L"", false, 1, L"the default"},
      {L"Only64", false, -2, L""},         {L"Only64", true, 1, L"here"},
      {L"Missing", false, -2, L""},        {L"Multi", true, -2, L""},
  };
  for (const Case& k : cases) {
    Text v;
    EXPECT_EQ(c.ReadRegistryValue(2, T(key), T(k.name), v, k.is64), k.status) << U8(T(k.name)) << " " << k.is64;
    EXPECT_EQ(U8(v), U8(T(k.value))) << U8(T(k.name)) << " " << k.is64;
  }
  Text v;
  EXPECT_EQ(c.ReadRegistryValue(2, u"SOFTWARE\\NoSuchTovuKey", u"x", v, false), -2);
  EXPECT_EQ(c.ReadRegistryValue(9, T(key), u"Version", v, false), -2);
  // The 32-bit view is the Wow6432Node side of the 64-bit view.
  EXPECT_EQ(c.ReadRegistryValue(2, u"SOFTWARE\\Wow6432Node\\" + T(keyName), u"Version", v, true), 1);
  EXPECT_EQ(U8(v), "1.9");
  int status = 0;
  EXPECT_EQ(U8(c.ReadRegistryPath(FromUtf8(RegPath("Dword")), status, true)), "42");
  EXPECT_EQ(status, 1);
}

TEST_F(ConditionsWin, RegistryConditionsThroughTheWholeCheck) {
  SetString(KEY_WOW64_32KEY, L"Version", L"1.9");
  SetString(KEY_WOW64_64KEY, L"Version", L"2.5");
  const DWORD all = 0xFFFFFFFFu;
  Set(KEY_WOW64_32KEY, L"Dword", REG_DWORD, &all, 4);
  const wchar_t multi[] = L"first\0second\0";
  Set(KEY_WOW64_64KEY, L"Multi", REG_MULTI_SZ, multi, sizeof(multi));
  const unsigned char bin[] = {1, 2, 3};
  Set(KEY_WOW64_32KEY, L"Binary", REG_BINARY, bin, sizeof(bin));
  SetString(KEY_WOW64_32KEY, L"Empty", L"");

  struct Case {
    std::string condition;
    int result;
  } const cases[] = {
      {"{Registry};" + RegPath("Version") + ";{>=};{2.0};{M}", 0},
      {"{Registry64};" + RegPath("Version") + ";{>=};{2.0};{M}", 1},
      {"{Registry};" + RegPath("Version") + ";{<};{1.10};{M}", 1},  // 9 < 10
      {"{Registry};" + RegPath("Dword") + ";{=};{-1};{M}", 1},
      {"{Registry64};" + RegPath("Dword") + ";{EXIST};{};{M}", 0},
      {"{Registry64};" + RegPath("Multi") + ";{=};{FIRST};{M}", 1},
      {"{Registry};" + RegPath("Multi") + ";{NOTEXIST};{};{M}", 1},
      {"{Registry};" + RegPath("Binary") + ";{=};{};{M}", 1},
      {"{Registry};" + RegPath("Binary") + ";{!=};{x};{M}", 1},  // empty value, expected not empty
      {"{Registry};" + RegPath("Empty") + ";{};{};{M}", 1},
      {"{Registry};" + RegPath("Missing") + ";{=};{};{M}", 0},
      {"{Registry};" + RegPath("Missing") + ";{NOTEXIST};{};{M}", 1},
      {"{Registry};HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\" + U8(T(keyName)) + "\\Version;{=};{1.9};{M}", 1},
  };
  for (const Case& k : cases) {
    Settings("[Conditions]\r\nAction1=Extract\r\nAction1Message=Req\r\nAction1Condition=Condition1\r\nCondition1=" +
             k.condition + "\r\n");
    const auto r = Check();
    EXPECT_EQ(r.first, k.result) << k.condition;
    EXPECT_EQ(r.second, k.result ? "{Req};" : "{Req};{M};") << k.condition;
  }
}

TEST_F(ConditionsWin, FileVersionsFromTheVersionResource) {
  const Text dll = FromUtf8(test::TestDataPath("conditions/versioned.dll"));
  CCondition c(platform, log, T(ini));
  // The system's version API and the portable reader agree on the test's
  // image and on a system library.
  EXPECT_EQ(U8(c.GetFileVersion(dll)), "4.12.1.300");
  uint16_t parts[4];
  ASSERT_TRUE(ReadPeFileVersion(platform, dll, parts));
  EXPECT_EQ(Format(u"%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]), u"4.12.1.300");

  wchar_t sys[MAX_PATH];
  ::GetSystemDirectoryW(sys, MAX_PATH);
  const Text kernel = FromW(sys) + u"\\kernel32.dll";
  const Text viaApi = c.GetFileVersion(kernel);
  EXPECT_FALSE(viaApi.empty());
  if (ReadPeFileVersion(platform, kernel, parts)) {
    EXPECT_EQ(U8(viaApi), U8(Format(u"%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3])));
  }

  // This test binary has no version resource; a text file has none either.
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  EXPECT_EQ(U8(c.GetFileVersion(FromW(self))), "");
  WriteFileBytes(folder + L"plain.dll", "no image at all");
  EXPECT_EQ(U8(c.GetFileVersion(T(folder + L"plain.dll"))), "");
  EXPECT_EQ(U8(c.GetFileVersion(T(folder + L"missing.dll"))), "");
  uint16_t none[4];
  EXPECT_EQ(platform.FileVersion(T(folder + L"plain.dll"), none), winerr::kResourceTypeNotFound);
}

TEST_F(ConditionsWin, FileConditionsWithEnvironmentReferences) {
  const std::string data = test::TestDataPath("conditions");  // Z:\...\conditions
  ::SetEnvironmentVariableW(L"TOVU_COND_DATA", Wide(data).c_str());
  ::SetEnvironmentVariableW(L"TOVU_COND_TMP", folder.c_str());  // ends with "\"
  WriteFileBytes(folder + L"present.txt", "x");
  ::CreateDirectoryW((folder + L"sub").c_str(), nullptr);
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  struct Case {
    std::string condition;
    int result;
  } const cases[] = {
      {"{File};[%TOVU_COND_DATA%]\\versioned.dll;{>=};{4.12};{M}", 1},  // two backslashes in a row
      {"{File};[%TOVU_COND_DATA%]versioned.dll;{=};{4.12.1.300};{M}", 1},
      {"{File};[%tovu_cond_data%]versioned.dll;{>};{4.12.1.300};{M}", 0},
      {"{File};[%TOVU_COND_DATA%]versioned.dll;{<};{4.12.2};{M}", 1},
      {"{File};[%TOVU_COND_DATA%]worked_example.ini;{>=};{1.0};{M}", 0},  // no version resource
      {"{File};[%TOVU_COND_DATA%]worked_example.ini;{EXIST};{};{M}", 1},
      {"{File};[%TOVU_COND_TMP%]present.txt;{EXIST};{};{M}", 1},
      {"{File};[%TOVU_COND_TMP%]absent.txt;{NOTEXIST};{};{M}", 1},
      {"{File};[%TOVU_COND_TMP%]sub;{EXIST};{};{M}", 0},  // a folder is not a file to open
      {"{File};[%TOVU_COND_UNSET%]present.txt;{EXIST};{};{M}", 0},
      {"{File};" + U8(FromW(self)) + ";{=};{};{M}", 1},  // no version, nothing expected
      {"{File};" + U8(FromW(self)) + ";{!=};{1.0};{M}", 0},
  };
  for (const Case& k : cases) {
    Settings("[Conditions]\r\nAction1=Extract\r\nAction1Message=Req\r\nAction1Condition=Condition1\r\nCondition1=" +
             k.condition + "\r\n");
    EXPECT_EQ(Check().first, k.result) << k.condition;
  }
  // A path of 256 characters never exists, even when the file is there.
  std::wstring longName = folder;
  longName += std::wstring(255 - longName.size(), L'n');
  WriteFileBytes(longName, "x");
  CCondition c(platform, log, T(ini));
  EXPECT_TRUE(c.FileExists(T(longName)));
  EXPECT_FALSE(c.FileExists(T(longName + L"x")));
  ::DeleteFileW(longName.c_str());
}

TEST_F(ConditionsWin, WorkedExampleSettingsFromTheTestData) {
  // The worked example's own registry key is left to the scenario; here the
  // settings file is read from drive Z: and, with nothing under
  // HKLM\SOFTWARE\Tool, Condition1 fails and Condition2 (negated) too.
  HKEY probe = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tool", 0, KEY_READ | KEY_WOW64_32KEY, &probe) ==
      ERROR_SUCCESS) {
    ::RegCloseKey(probe);
    GTEST_SKIP() << "HKLM\\SOFTWARE\\Tool exists in this prefix";
  }
  Text keys;
  const int r = CheckConditions(platform, log, FromUtf8(test::TestDataPath("conditions/worked_example.ini")), 1033, &keys);
  EXPECT_EQ(r, 0);
  EXPECT_EQ(U8(keys), "{MsgRequirements};{MsgToolVersion};");
}

// Run by tests/wine/scenarios/conditions_registry.sh in a prefix it shaped:
// TOVU_CONDITIONS_SETTINGS names the settings file, TOVU_CONDITIONS_EXPECT
// the outcome as "<allowed>|<message keys>|<n>=<result>,...".
TEST(ConditionsScenario, CheckAsTheScenarioExpects) {
  const char* settings = std::getenv("TOVU_CONDITIONS_SETTINGS");
  const char* expect = std::getenv("TOVU_CONDITIONS_EXPECT");
  if (!settings || !expect) GTEST_SKIP() << "run by the conditions_registry scenario";
  const std::string e = expect;
  const size_t bar1 = e.find('|'), bar2 = e.find('|', bar1 + 1);
  ASSERT_NE(bar2, std::string::npos) << e;
  const int allowed = std::atoi(e.substr(0, bar1).c_str());
  const std::string keys = e.substr(bar1 + 1, bar2 - bar1 - 1);
  std::map<int, int> results;
  for (size_t at = bar2 + 1; at < e.size();) {
    size_t comma = e.find(',', at);
    if (comma == std::string::npos) comma = e.size();
    const std::string item = e.substr(at, comma - at);
    const size_t eq = item.find('=');
    if (eq != std::string::npos) results[std::atoi(item.substr(0, eq).c_str())] = std::atoi(item.substr(eq + 1).c_str());
    at = comma + 1;
  }

  Win32Platform platform;
  CaptureLog log(platform);
  Text got;
  EXPECT_EQ(CheckConditions(platform, log, FromUtf8(settings), 1033, &got), allowed);
  EXPECT_EQ(U8(got), keys);

  CCondition c(platform, log, FromUtf8(settings));
  c.ReadConditions(1033);
  c.ReadActions();
  c.ReadRegEntries(0);
  c.ReadRegEntries(1);
  c.EvaluateReadRegEntries();
  c.ApplyProperties();
  c.EvaluateConditions();
  std::map<int, int> seen;
  for (const auto& p : c.GetConditions()) seen[p.Number] = p.Result;
  EXPECT_EQ(seen, results);
  for (const std::string& l : log.lines) std::printf("log: %s\n", l.c_str());
}

}  // namespace
}  // namespace tovu
