// System information on the real Win32 platform: the facts CUtil gets
// through Win32Platform agree with direct calls of the system, and the
// registry reads reach the view they name.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "platform/win32/win32_platform.h"
#include "util/cutil.h"
#include "util/system_info.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

std::vector<Text> Items(const TextList& l) { return std::vector<Text>(l.begin(), l.end()); }

class SystemInfoWin : public ::testing::Test {
 protected:
  Win32Platform platform;
  CLogFile log{platform};
  CUtil util{platform, log};
};

TEST_F(SystemInfoWin, MemoryAndComputerNameAgreeWithTheSystem) {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof(status);
  ::GlobalMemoryStatus(&status);
  const uint64_t told = status.dwTotalPhys;
  ASSERT_GT(told, 0u);
  EXPECT_EQ(platform.TotalPhysicalMemory(), told);
  EXPECT_EQ(util.GetTotalPhysicalMemory(), told > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(told));

  wchar_t name[1024];
  DWORD n = 1024;
  ASSERT_TRUE(::GetComputerNameW(name, &n));
  EXPECT_EQ(U8(util.GetComputerNameText()), U8(FromW(name, n)));
  EXPECT_FALSE(util.GetComputerNameText().empty());
}

TEST_F(SystemInfoWin, ProcessorNamesAreTheRegistryKeysHighestNumberFirst) {
  // The keys and names read directly, from number 0 up.
  std::vector<Text> direct;
  for (int i = 0;; ++i) {
    std::wstring key = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\" + std::to_wstring(i);
    HKEY h = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) break;
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf);
    LONG e = ::RegQueryValueExW(h, L"ProcessorNameString", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
    ::RegCloseKey(h);
    direct.push_back(e == ERROR_SUCCESS ? FromW(buf) : Text());
    if (direct.back().empty()) break;
  }
  ASSERT_FALSE(direct.empty()) << "no processor key under HKLM\\HARDWARE";

  TextList names;
  EXPECT_EQ(util.GetProcessorNames(names), static_cast<int>(direct.size()));
  std::vector<Text> expected(direct.rbegin(), direct.rend());
  EXPECT_EQ(Items(names), expected);

  // HKLM\HARDWARE is one key for both views.
  for (size_t i = 0; i < direct.size(); ++i) {
    Text key = Format(u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\%d", static_cast<int>(i));
    for (RegView view : {RegView::kDefault, RegView::k32, RegView::k64}) {
      Text value;
      platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"ProcessorNameString", view, value);
      EXPECT_EQ(U8(value), U8(direct[i])) << i << " view " << static_cast<int>(view);
    }
  }

  // The block writes one line per processor.
  const Text path = Format(u"%s\\tovu_sysinfo_%u.log", FromUtf8(std::getenv("TEMP") ? std::getenv("TEMP") : "C:\\"),
                           static_cast<uint32_t>(::GetCurrentProcessId()));
  ::DeleteFileW(W(path));
  log.InitLogFile(path, 9);
  WriteSystemInformation(log, util, nullptr);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(platform.ReadWholeFile(path, bytes), 0u);
  ::DeleteFileW(W(path));
  const std::string text(bytes.begin(), bytes.end());
  const std::string firstLabel = direct.size() == 1 ? "|Processor                           |" : "|Processor 1                         |";
  EXPECT_NE(text.find(firstLabel + U8(Trim(direct.back())) + "\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("|RAM Size                            |"), std::string::npos) << text;
  EXPECT_NE(text.find("|Space Info on Drive: C:\\ ("), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - 97), std::string(95, '-') + "\r\n");
}

TEST_F(SystemInfoWin, DrivesFileSystemsAndSpaceAgreeWithTheSystem) {
  TextList fixed;
  ASSERT_EQ(util.ListDrives(fixed, 3), 0);
  std::vector<Text> direct;
  DWORD mask = ::GetLogicalDrives();
  for (int i = 25; i >= 0; --i) {
    wchar_t root[4] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    if ((mask & (1u << i)) && ::GetDriveTypeW(root) == DRIVE_FIXED) direct.push_back(FromW(root));
  }
  EXPECT_EQ(Items(fixed), direct);
  ASSERT_FALSE(direct.empty());

  for (const Text& root : direct) {
    wchar_t fs[1024] = {};
    Text expected;
    if (::GetVolumeInformationW(W(root), nullptr, 0, nullptr, nullptr, nullptr, fs, 1024)) expected = FromW(fs);
    EXPECT_EQ(U8(util.GetFileSystemName(root)), U8(expected)) << U8(root);

    ULARGE_INTEGER caller{}, total{}, free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExW(W(root), &caller, &total, &free)) << U8(root);
    DiskFreeSpaceEx ex;
    ASSERT_EQ(platform.DiskFreeEx(root, ex), 0u) << U8(root);
    EXPECT_EQ(ex.totalBytes, total.QuadPart) << U8(root);
    Text text;
    EXPECT_EQ(util.GetSpaceInfo(root, text), 0) << U8(root);
    double value = 0;
    Text unit;
    CUtil::FormatSize(total.QuadPart, value, unit);
    EXPECT_EQ(U8(text.substr(0, text.find(u'\t'))), U8(Format(u"Total Space: %.02lf %s", value, unit))) << U8(root);
  }
  EXPECT_EQ(U8(util.GetFileSystemName(u"C:\\")), "NTFS");

  // A letter that is no drive: no file system, no space figures.
  for (int i = 25; i >= 0; --i) {
    if (mask & (1u << i)) continue;
    Text root = Format(u"%c:\\", static_cast<char16_t>(u'A' + i));
    Text text;
    EXPECT_EQ(util.GetSpaceInfo(root, text), -1);
    EXPECT_EQ(U8(text), "No Information");
    EXPECT_EQ(U8(util.GetFileSystemName(root)), "");
    break;
  }
}

TEST_F(SystemInfoWin, LanguagesAgreeWithTheSystem) {
  EXPECT_EQ(util.GetUILanguage(), static_cast<int>(::GetUserDefaultUILanguage()));
  Text name;
  const LCID lcid = ::GetSystemDefaultLCID();
  EXPECT_EQ(util.GetSystemLanguage(name), lcid);
  wchar_t buf[85] = {};
  ASSERT_GT(::GetLocaleInfoW(lcid, LOCALE_SENGLANGUAGE, buf, 85), 0);
  EXPECT_EQ(U8(name), U8(FromW(buf)));
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(U8(platform.LocaleEnglishLanguageName(1031)), "German");
  EXPECT_EQ(U8(platform.LocaleEnglishLanguageName(1033)), "English");
}

// ---- registry reads in a named view ------------------------------------------------

constexpr wchar_t kTestKey[] = L"Software\\TovuSystemInfoTest";
constexpr char16_t kTestKeyText[] = u"Software\\TovuSystemInfoTest";

class RegistryViews : public ::testing::Test {
 protected:
  void SetUp() override {
    Clean();
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      HKEY h = nullptr;
      ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &h,
                                  nullptr),
                ERROR_SUCCESS);
      const std::wstring which = view == KEY_WOW64_32KEY ? L"32-bit view" : L"64-bit view";
      SetString(h, L"View", REG_SZ, which);
      DWORD dw = view == KEY_WOW64_32KEY ? 32 : 64;
      ::RegSetValueExW(h, L"Bits", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dw), sizeof(dw));
      ::RegCloseKey(h);
    }
    HKEY h = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                nullptr, &h, nullptr),
              ERROR_SUCCESS);
    SetString(h, L"", REG_SZ, L"default value");
    SetString(h, L"Expand", REG_EXPAND_SZ, L"%SystemRoot%\\x");
    const wchar_t multi[] = L"first\0second\0";
    ::RegSetValueExW(h, L"Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof(multi));
    uint64_t qw = 0x0123456789ABCDEFull;
    ::RegSetValueExW(h, L"Big", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&qw), sizeof(qw));
    SetString(h, L"Long", REG_SZ, std::wstring(1024, L'z'));
    HKEY sub = nullptr;
    ::RegCreateKeyExW(h, L"Sub", 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &sub, nullptr);
    if (sub) ::RegCloseKey(sub);
    ::RegCloseKey(h);
  }
  void TearDown() override { Clean(); }

  static void SetString(HKEY h, const wchar_t* name, DWORD type, const std::wstring& s) {
    ::RegSetValueExW(h, name, 0, type, reinterpret_cast<const BYTE*>(s.c_str()),
                     static_cast<DWORD>((s.size() + 1) * sizeof(wchar_t)));
  }
  static void Clean() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      std::wstring sub = std::wstring(kTestKey) + L"\\Sub";
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, sub.c_str(), view, 0);
      ::RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kTestKey, view, 0);
    }
  }

  Win32Platform platform;
};

TEST_F(RegistryViews, EachViewReadsItsOwnValues) {
  struct Case {
    RegView view;
    const char* text;
    uint32_t bits;
  };
  // This test binary is a 64-bit process: its own view is the 64-bit one.
  const Case cases[] = {
      {RegView::k32, "32-bit view", 32},
      {RegView::k64, "64-bit view", 64},
      {RegView::kDefault, sizeof(void*) == 8 ? "64-bit view" : "32-bit view", sizeof(void*) == 8 ? 64u : 32u},
  };
  for (const Case& c : cases) {
    Text text;
    EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, kTestKeyText, u"View", c.view, text), 0u);
    EXPECT_EQ(U8(text), c.text);
    uint32_t bits = 0;
    EXPECT_EQ(platform.ReadRegistryDword(RegRoot::kLocalMachine, kTestKeyText, u"bits", c.view, bits), 0u);
    EXPECT_EQ(bits, c.bits);
    EXPECT_EQ(platform.OpenRegistryKey(RegRoot::kLocalMachine, kTestKeyText, c.view), 0u);
  }
  // Values written to the 64-bit view only are missing from the 32-bit one.
  Text text = u"before";
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, kTestKeyText, u"Expand", RegView::k32, text), 2u);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(platform.OpenRegistryKey(RegRoot::kLocalMachine, Text(kTestKeyText) + u"\\Sub", RegView::k64), 0u);
  EXPECT_EQ(platform.OpenRegistryKey(RegRoot::kLocalMachine, Text(kTestKeyText) + u"\\Sub", RegView::k32), 2u);
}

TEST_F(RegistryViews, ValueTypesMissingValuesAndBufferLimits) {
  const Text key = kTestKeyText;
  const RegView v = RegView::k64;
  Text text;
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"", v, text), 0u);
  EXPECT_EQ(U8(text), "default value");
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Expand", v, text), 0u);
  EXPECT_EQ(U8(text), "%SystemRoot%\\x");  // not expanded
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Multi", v, text), winerr::kUnsupportedType);
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Bits", v, text), winerr::kUnsupportedType);
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Missing", v, text), 2u);
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key + u"\\NoSuchKey", u"View", v, text), 2u);
  EXPECT_EQ(platform.OpenRegistryKey(RegRoot::kLocalMachine, key + u"\\NoSuchKey", v), 2u);

  RegistryValue raw;
  EXPECT_EQ(platform.ReadRegistryValue(RegRoot::kLocalMachine, key, u"Multi", v, raw), 0u);
  EXPECT_EQ(raw.type, regtype::kMultiString);
  EXPECT_EQ(raw.data.size(), sizeof(L"first\0second\0"));

  uint64_t big = 0;
  EXPECT_EQ(platform.ReadRegistryQword(RegRoot::kLocalMachine, key, u"Big", v, big), 0u);
  EXPECT_EQ(big, 0x0123456789ABCDEFull);
  uint32_t dw = 0;
  EXPECT_EQ(platform.ReadRegistryDword(RegRoot::kLocalMachine, key, u"Big", v, dw), winerr::kUnsupportedType);

  // 1,024 characters and their zero need 2,050 bytes: a 2,048-byte buffer
  // is too small, as for the processor names.
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Long", v, text, 2048), winerr::kMoreData);
  EXPECT_TRUE(text.empty());
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Long", v, text, 2050), 0u);
  EXPECT_EQ(text, Text(1024, u'z'));
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kLocalMachine, key, u"Long", v, text), 0u);
  EXPECT_EQ(text.size(), 1024u);
}

TEST_F(RegistryViews, OtherRootsAreReached) {
  // HKCU: a value of this test, written and read back.
  HKEY h = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_SUCCESS);
  SetString(h, L"Who", REG_SZ, L"current user");
  ::RegCloseKey(h);
  Text text;
  EXPECT_EQ(platform.ReadRegistryString(RegRoot::kCurrentUser, kTestKeyText, u"Who", RegView::k32, text), 0u);
  EXPECT_EQ(U8(text), "current user");
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
  // HKCR and HKU hold keys of every installation.
  EXPECT_EQ(platform.OpenRegistryKey(RegRoot::kClassesRoot, u"CLSID", RegView::kDefault), 0u);
  EXPECT_EQ(platform.OpenRegistryKey(RegRoot::kUsers, u".DEFAULT", RegView::kDefault), 0u);
}

}  // namespace
}  // namespace tovu
