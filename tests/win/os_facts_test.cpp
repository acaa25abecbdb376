// The facts of the running system as CWin32OSFacts reads them, compared
// with the system's own calls, and the identification of the system the
// prefix reports. This test binary carries no compatibility manifest, so
// the version query reports what Windows (or Wine) shows such programs: a
// fresh Wine prefix reports Windows 7 SP1, 6.1.7601. The names are checked
// against the naming table for the facts reported, whatever they are.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "osrules/os_facts.h"
#include "osrules/os_validator.h"
#include "osrules/win32/win32_os_facts.h"
#include "platform/win32/win32_platform.h"

namespace tovu {
namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

class CaptureLog : public CLogFile {
 public:
  explicit CaptureLog(IPlatform& p) : CLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    lines.push_back(U8(Text(function)) + "|" + std::to_string(level) + "|" + U8(message));
    return 0;
  }
  std::vector<std::string> lines;
};

OSVERSIONINFOEXW DirectVersion() {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  EXPECT_TRUE(::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)));
#pragma GCC diagnostic pop
  return info;
}

TEST(Win32OSFacts, ReportsWhatTheSystemReports) {
  CWin32OSFacts facts;
  OSVersionInfo got;
  ASSERT_TRUE(facts.QueryVersionEx(got));
  const OSVERSIONINFOEXW want = DirectVersion();
  EXPECT_EQ(got.majorVersion, want.dwMajorVersion);
  EXPECT_EQ(got.minorVersion, want.dwMinorVersion);
  EXPECT_EQ(got.buildNumber, want.dwBuildNumber);
  EXPECT_EQ(got.platformId, want.dwPlatformId);
  EXPECT_EQ(U8(got.csdVersion), U8(FromW(want.szCSDVersion)));
  EXPECT_EQ(got.servicePackMajor, want.wServicePackMajor);
  EXPECT_EQ(got.servicePackMinor, want.wServicePackMinor);
  EXPECT_EQ(got.suiteMask, want.wSuiteMask);
  EXPECT_EQ(got.productType, want.wProductType);

  SYSTEM_INFO native = {}, process = {};
  ::GetNativeSystemInfo(&native);
  ::GetSystemInfo(&process);
  uint16_t architecture = osfacts::kArchUnknown;
  ASSERT_TRUE(facts.QueryNativeSystemInfo(architecture));  // every supported system has it
  EXPECT_EQ(architecture, native.wProcessorArchitecture);
  EXPECT_EQ(facts.QuerySystemInfo(), process.wProcessorArchitecture);
  // A 64-bit process on a 64-bit system: both views agree.
  EXPECT_EQ(architecture, osfacts::kArchAmd64);

  DWORD sku = 0xFFFFFFFFu;
  ::GetProductInfo(want.dwMajorVersion, want.dwMinorVersion, 0, 0, &sku);
  uint32_t productType = 0xFFFFFFFFu;
  ASSERT_TRUE(facts.QueryProductInfo(want.dwMajorVersion, want.dwMinorVersion, 0, 0, productType));
  EXPECT_EQ(productType, sku);

  EXPECT_EQ(facts.QuerySystemMetrics(osfacts::kSmServerR2), ::GetSystemMetrics(SM_SERVERR2));
  EXPECT_EQ(SM_SERVERR2, osfacts::kSmServerR2);
}

// The rows of the naming table for the systems Wine can show (winecfg's
// version list), on x64: the names of a full identification.
struct NamingRow {
  uint32_t major, minor;
  bool workstation;
  const char* productName;  // lower-cased
  const char* versionCode;
  const char* familyName;
  const char* versionName;
  const char* presetEdition;  // "" for Windows 8; nullptr: none (Vista)
};
const NamingRow kRows[] = {
    {10, 0, true, "windows1064", "windows10064", "Windows10", "Windows100", "Standard"},
    {6, 3, true, "windows8.164", "windows6364", "Windows8.1", "Windows63", "Standard"},
    {6, 3, false, "windows2012r264", "windows6364", "Windows2012R2", "Windows63", "Standard"},
    {6, 2, true, "windows864", "windows6264", "Windows8", "Windows62", ""},
    {6, 2, false, "windows201264", "windows6264", "Windows2012", "Windows62", "Standard"},
    {6, 1, true, "windows764", "windows6164", "Windows7", "Windows61", "Standard"},
    {6, 1, false, "windows2008r264", "windows6164", "Windows2008R2", "Windows61", "Standard"},
    {6, 0, true, "windowsvista64", "windows6064", "WindowsVista", "Windows60", nullptr},
    {6, 0, false, "windows200864", "windows6064", "Windows2008", "Windows60", "Standard"},
};

TEST(Win32OSFacts, IdentifiesThePrefixAsTheTablesSay) {
  Win32Platform platform;
  CaptureLog log(platform);
  CWin32OSFacts facts;
  const OSFacts reported = ReadOSFacts(facts);
  ASSERT_TRUE(reported.versionQuerySucceeds);
  const OSVersionInfo& v = reported.version;
  std::printf("reported: %u.%u.%u platform %u, type %u, suite 0x%X, \"%s\" (SP %u.%u), sku %u, arch %u\n",
              v.majorVersion, v.minorVersion, v.buildNumber, v.platformId, v.productType, v.suiteMask,
              U8(v.csdVersion).c_str(), v.servicePackMajor, v.servicePackMinor, reported.productType,
              reported.nativeArchitecture);
  ASSERT_EQ(v.platformId, osfacts::kPlatformNT);
  ASSERT_TRUE(reported.hasProductInfo);

  const bool workstation = v.productType == osfacts::kWorkstation;
  const bool server2019 = !workstation && v.majorVersion == 10 && v.buildNumber >= 17623;
  const NamingRow* row = nullptr;
  for (const NamingRow& r : kRows)
    if (r.major == v.majorVersion && r.minor == v.minorVersion && r.workstation == workstation) row = &r;
  const bool server2016 = !workstation && v.majorVersion == 10;
  ASSERT_TRUE(row || server2016) << "a system this test has no row for";

  COSValidator os(platform, log, facts);
  EXPECT_EQ(os.OSVersion(1), -1);
  const std::vector<std::string> versionLines = {
      "OSVersion|8|OS Version : " + std::to_string(v.majorVersion) + "." + std::to_string(v.minorVersion) + "." +
          std::to_string(v.buildNumber) + "." + std::to_string(v.platformId),
      "OSVersion|8|Major Version : " + std::to_string(v.majorVersion),
      "OSVersion|8|Minor Version : " + std::to_string(v.minorVersion),
      "OSVersion|8|Product Type : " + std::to_string(v.productType),
  };
  EXPECT_EQ(log.lines, versionLines);

  log.lines.clear();
  EXPECT_EQ(os.OSVersion(0), OSCHECK_ERROR);  // no settings file: no [OS] osallowed

  if (row) {
    EXPECT_EQ(U8(os.ProductName), row->productName);
    EXPECT_EQ(U8(os.VersionCode), row->versionCode);
    EXPECT_EQ(U8(os.FamilyName), row->familyName);
    EXPECT_EQ(U8(os.VersionName), row->versionName);
  } else {
    const std::string family = server2019 ? "Windows2019" : "Windows2016";
    EXPECT_EQ(U8(os.FamilyName), family);
    EXPECT_EQ(U8(os.ProductName), ToUtf8(ToLower(FromUtf8(family))) + "64");
    EXPECT_EQ(U8(os.VersionCode), "windows10064");
  }
  EXPECT_EQ(os.Is64Bit, 1);
  EXPECT_EQ(ToUtf8(ToLower(os.OSName)), U8(os.ProductName));

  // The edition: the product type's entry of the edition tables, else the
  // row's preset.
  Text code = u"none", edition = u"none";
  const int generation = v.majorVersion == 10 ? 5 : static_cast<int>(v.minorVersion) + 1;
  os.SetEditionFromProductType(reported.productType, generation, code, edition);
  if (code != u"none") {
    EXPECT_EQ(U8(os.EditionCode), "SKU" + std::to_string(reported.productType));
    EXPECT_EQ(U8(os.Edition), U8(edition));
  } else if (row && !row->presetEdition) {
    EXPECT_EQ(U8(os.EditionCode), "Basic");
    EXPECT_EQ(U8(os.Edition), "Unknown Product");
  } else {
    const std::string preset = row ? row->presetEdition : "Standard";
    EXPECT_EQ(U8(os.EditionCode), preset);
    EXPECT_EQ(U8(os.Edition), preset);
  }

  // Service pack: the reported string, its number as digits.
  EXPECT_EQ(U8(os.ServicePackText), U8(v.csdVersion));
  if (v.servicePackMajor != 0) {
    EXPECT_EQ(U8(os.ServicePack), std::to_string(v.servicePackMajor));
  }

  const std::vector<std::string> fullLines = {
      "OSVersion|8|Operating System : " + U8(os.OSName),
      "OSVersion|8|Operating System Edition : " + U8(os.Edition),
      "OSVersion|8|Operating System ServicePack : " + U8(v.csdVersion),
      "OSVersion|8|No OSes are supported",
  };
  EXPECT_EQ(log.lines, fullLines);
}

// A fresh prefix shows programs without a manifest Windows 7 SP1; the
// names of that system, spelled out.
TEST(Win32OSFacts, FreshPrefixIsWindows7ServicePack1) {
  CWin32OSFacts facts;
  OSVersionInfo v;
  ASSERT_TRUE(facts.QueryVersionEx(v));
  if (!(v.majorVersion == 6 && v.minorVersion == 1 && v.productType == osfacts::kWorkstation))
    GTEST_SKIP() << "the prefix reports " << v.majorVersion << "." << v.minorVersion << ", not Windows 7";
  Win32Platform platform;
  CaptureLog log(platform);
  COSValidator os(platform, log, facts);
  os.OSVersion(0);
  EXPECT_EQ(U8(os.OSName), "Windows764");
  EXPECT_EQ(U8(os.ProductName), "windows764");
  EXPECT_EQ(U8(os.VersionCode), "windows6164");
  EXPECT_EQ(U8(os.FamilyName), "Windows7");
  EXPECT_EQ(U8(os.VersionName), "Windows61");
  EXPECT_EQ(U8(os.ProductTypeWord), "prod1");
  EXPECT_EQ(os.MajorVersion, 6u);
  EXPECT_EQ(os.MinorVersion, 1u);
  if (v.buildNumber == 7601) {
    EXPECT_EQ(U8(os.ServicePackText), "Service Pack 1");
    EXPECT_EQ(U8(os.ServicePack), "1");
  }
}

// The [OS] section through the profile reader equals what
// GetPrivateProfileSectionW puts into a 2,000-character buffer, split by
// the same rule.
TEST(Win32OSFacts, OSSectionAsThePlatformReadsIt) {
  wchar_t tempDir[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, tempDir), 0u);
  const Text file = FromW(tempDir) + u"tovu_os_section_test.ini";
  std::string body = "[OS]\r\nOSAllowed=Windows7+;WindowsXP\r\nWindows764Exclude=Home Basic\r\n"
                     "dup=first\r\nDUP=second\r\nno equals\r\n=empty key\r\n spaced = value \r\n"
                     "long=" + std::string(1900, 'v') + "\r\ncut=this entry passes 2000\r\nlast=1\r\n";
  HANDLE h = ::CreateFileW(W(file), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(h, body.data(), static_cast<DWORD>(body.size()), &written, nullptr);
  ::CloseHandle(h);

  std::vector<wchar_t> buffer(2000, 0);
  ::GetPrivateProfileSectionW(L"OS", buffer.data(), 2000, W(file));
  std::map<Text, Text> want;
  std::vector<Text> entries;
  for (size_t i = 0; i < buffer.size() && buffer[i] != 0;) {
    Text entry = FromW(&buffer[i]);
    i += entry.size() + 1;
    entries.push_back(entry);
  }
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    const size_t eq = it->find(u'=');
    if (eq == Text::npos) want[Text()] = *it;
    else want[ToLower(TextView(*it).substr(0, eq))] = it->substr(eq + 1);
  }
  EXPECT_EQ(want.count(u"last"), 0u);  // the buffer is full before it

  Win32Platform platform;
  CaptureLog log(platform);
  CWin32OSFacts facts;
  COSValidator os(platform, log, facts);
  os.SetSettingsFile(file);
  os.ReadOSSection();
  EXPECT_EQ(os.OSSection.size(), want.size());
  for (const auto& [key, value] : want) EXPECT_EQ(U8(os.OSSection[key]), U8(value)) << U8(key);
  ::DeleteFileW(W(file));
}

}  // namespace
}  // namespace tovu
