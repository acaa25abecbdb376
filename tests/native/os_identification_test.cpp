// The identification of the running Windows system: what the system
// reports in, the names of the [OS] rules out, with the log lines of both
// modes, the failures of the system queries, and the reading of the [OS]
// section and the OS-specific extraction path from a settings file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "osrules/os_facts.h"
#include "osrules/os_validator.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::CaptureLog;
using test::FakePlatform;
using namespace osfacts;

std::string U8(const Text& t) { return ToUtf8(t); }

// One system as it answers the version query, the architecture query and
// GetProductInfo.
OSFacts System(uint32_t major, uint32_t minor, uint32_t build, uint8_t type, uint16_t arch, uint32_t sku,
               uint16_t suite = 0, int serverR2 = 0, uint32_t platform = kPlatformNT) {
  OSFacts f;
  f.version.majorVersion = major;
  f.version.minorVersion = minor;
  f.version.buildNumber = build;
  f.version.platformId = platform;
  f.version.productType = type;
  f.version.suiteMask = suite;
  f.nativeArchitecture = arch;
  f.processArchitecture = arch == kArchAmd64 ? kArchIntel : arch;  // as a 32-bit process sees it
  f.productType = sku;
  f.serverR2 = serverR2;
  return f;
}

constexpr uint8_t kWs = kWorkstation;
constexpr uint8_t kDc = kDomainController;
constexpr uint8_t kSrv = kServer;
constexpr uint16_t kX86 = kArchIntel;
constexpr uint16_t kX64 = kArchAmd64;

const Text kSettings = u"C:\\Tovu\\{GUID}\\Properties_Tovu.ini";

class OSIdentification : public ::testing::Test {
 protected:
  void Settings(const std::string& text) { fake.AddFile(kSettings, text); }
  COSValidator& Validator(const OSFacts& f) {
    facts = std::make_unique<CFixedOSFacts>(f);
    validator = std::make_unique<COSValidator>(fake, log, *facts);
    validator->SetSettingsFile(kSettings);
    return *validator;
  }

  FakePlatform fake;
  CaptureLog log{fake};
  std::unique_ptr<CFixedOSFacts> facts;
  std::unique_ptr<COSValidator> validator;
};

// ---- the naming and edition tables -------------------------------------------

struct NamingCase {
  const char* system;
  OSFacts facts;
  // After a full identification (ProductName and VersionCode lower-cased).
  const char16_t* osName;
  const char16_t* productName;
  const char16_t* versionCode;
  const char16_t* familyName;
  const char16_t* versionName;
  const char16_t* editionCode;
  const char16_t* edition;
  int is64;
  const char16_t* productTypeWord;
};

const NamingCase kNamingCases[] = {
    // 10.0
    {"Windows 10 Pro x64", System(10, 0, 19045, kWs, kX64, 48),
     u"Windows1064", u"windows1064", u"windows10064", u"Windows10", u"Windows100", u"SKU48", u"Professional", 1, u"prod1"},
    {"Windows 10 Home x86 (type 101)", System(10, 0, 19045, kWs, kX86, 101),
     u"Windows10", u"windows10", u"windows100", u"Windows10", u"Windows100", u"Standard", u"Standard", 0, u"prod1"},
    {"Windows 11 Enterprise x64", System(10, 0, 22631, kWs, kX64, 4),
     u"Windows1064", u"windows1064", u"windows10064", u"Windows10", u"Windows100", u"SKU4", u"Enterprise", 1, u"prod1"},
    {"Server 2016 build 17622 x64", System(10, 0, 17622, kSrv, kX64, 7),
     u"Windows201664", u"windows201664", u"windows10064", u"Windows2016", u"Windows100", u"SKU7", u"Standard Server", 1, u"prod3"},
    {"Server 2019 build 17623 x64", System(10, 0, 17623, kSrv, kX64, 8),
     u"Windows201964", u"windows201964", u"windows10064", u"Windows2019", u"Windows100", u"SKU8", u"DataCenter Server", 1, u"prod3"},
    {"Server 2016 x86 domain controller", System(10, 0, 14393, kDc, kX86, 12),
     u"Windows2016", u"windows2016", u"windows100", u"Windows2016", u"Windows100", u"SKU12", u"DataCenter Server Core", 0, u"prod2"},
    {"Server 2019 x86", System(10, 0, 17763, kSrv, kX86, 0),
     u"Windows2019", u"windows2019", u"windows100", u"Windows2019", u"Windows100", u"Standard", u"Standard", 0, u"prod3"},
    // 6.3
    {"Windows 8.1 x64 Pro(N)", System(6, 3, 9600, kWs, kX64, 49),
     u"Windows8.164", u"windows8.164", u"windows6364", u"Windows8.1", u"Windows63", u"SKU49", u"Professional(N)", 1, u"prod1"},
    {"Windows 8.1 x86", System(6, 3, 9600, kWs, kX86, 101),
     u"Windows8.1", u"windows8.1", u"windows63", u"Windows8.1", u"Windows63", u"Standard", u"Standard", 0, u"prod1"},
    {"Server 2012 R2 x64", System(6, 3, 9600, kSrv, kX64, 10),
     u"Windows2012R264", u"windows2012r264", u"windows6364", u"Windows2012R2", u"Windows63", u"SKU10", u"Enterprise Server", 1, u"prod3"},
    {"Server 2012 R2 x86", System(6, 3, 9600, kSrv, kX86, 999),
     u"Windows2012R2", u"windows2012r2", u"windows63", u"Windows2012R2", u"Windows63", u"Standard", u"Standard", 0, u"prod3"},
    // 6.2
    {"Windows 8 x64 Home Premium", System(6, 2, 9200, kWs, kX64, 3),
     u"Windows864", u"windows864", u"windows6264", u"Windows8", u"Windows62", u"SKU3", u"Home Premium", 1, u"prod1"},
    {"Windows 8 x86, type in no table", System(6, 2, 9200, kWs, kX86, 101),
     u"Windows8", u"windows8", u"windows62", u"Windows8", u"Windows62", u"", u"", 0, u"prod1"},
    {"Server 2012 x64", System(6, 2, 9200, kSrv, kX64, 7),
     u"Windows201264", u"windows201264", u"windows6264", u"Windows2012", u"Windows62", u"SKU7", u"Standard Server", 1, u"prod3"},
    {"Server 2012 x86", System(6, 2, 9200, kSrv, kX86, 0),
     u"Windows2012", u"windows2012", u"windows62", u"Windows2012", u"Windows62", u"Standard", u"Standard", 0, u"prod3"},
    // 6.1
    {"Windows 7 Ultimate x64", System(6, 1, 7601, kWs, kX64, 1),
     u"Windows764", u"windows764", u"windows6164", u"Windows7", u"Windows61", u"SKU1", u"Ultimate", 1, u"prod1"},
    {"Windows 7 Ultimate(E) x86", System(6, 1, 7601, kWs, kX86, 71),
     u"Windows7", u"windows7", u"windows61", u"Windows7", u"Windows61", u"SKU71", u"Ultimate(E)", 0, u"prod1"},
    {"Server 2008 R2 x64", System(6, 1, 7601, kSrv, kX64, 10),
     u"Windows2008R264", u"windows2008r264", u"windows6164", u"Windows2008R2", u"Windows61", u"SKU10", u"Enterprise Server", 1, u"prod3"},
    {"Server 2008 R2 x86 domain controller", System(6, 1, 7601, kDc, kX86, 66),
     u"Windows2008R2", u"windows2008r2", u"windows61", u"Windows2008R2", u"Windows61", u"SKU66", u"Starter(E)", 0, u"prod2"},
    // 6.0: the workstation row has no preset edition and copies nothing
    {"Windows Vista Business x86", System(6, 0, 6002, kWs, kX86, 6),
     u"WindowsVista", u"windowsvista", u"windows60", u"WindowsVista", u"Windows60", u"SKU6", u"Business", 0, u"prod1"},
    {"Windows Vista x64, type 48 unknown to Vista", System(6, 0, 6002, kWs, kX64, 48),
     u"WindowsVista64", u"windowsvista64", u"windows6064", u"WindowsVista", u"Windows60", u"Basic", u"Unknown Product", 1, u"prod1"},
    {"Windows Vista x64, type in no table", System(6, 0, 6002, kWs, kX64, 101),
     u"WindowsVista64", u"windowsvista64", u"windows6064", u"WindowsVista", u"Windows60", u"Basic", u"Unknown Product", 1, u"prod1"},
    {"Server 2008 x64, type 48 unknown to 6.0", System(6, 0, 6002, kSrv, kX64, 48),
     u"Windows200864", u"windows200864", u"windows6064", u"Windows2008", u"Windows60", u"Standard", u"Standard", 1, u"prod3"},
    {"Server 2008 x86 SBS Premium", System(6, 0, 6002, kSrv, kX86, 25),
     u"Windows2008", u"windows2008", u"windows60", u"Windows2008", u"Windows60", u"SKU25", u"Small Business Server Premium", 0, u"prod3"},
    // 5.2
    {"Server 2003 R2 x86 Datacenter", System(5, 2, 3790, kSrv, kX86, 0, kSuiteDatacenter, 1),
     u"Windows2003R2", u"windows2003r2", u"windows52", u"Windows2003R2", u"Windows52", u"Datacenter", u"Datacenter", 0, u"prod3"},
    {"Server 2003 R2 x64 Enterprise", System(5, 2, 3790, kSrv, kX64, 0, kSuiteEnterprise, 1),
     u"Windows2003R264", u"windows2003r264", u"windows5264", u"Windows2003R2", u"Windows52", u"Enterprise", u"Enterprise", 1, u"prod3"},
    {"Storage Server 2003 R2 x86 (suite 0x2000)", System(5, 2, 3790, kSrv, kX86, 0, kSuiteStorageServer),
     u"", u"", u"windows52", u"Windows2003R2", u"Windows52", u"Standard", u"Standard", 0, u"prod3"},
    {"Home Server x64 (suite 0x8000)", System(5, 2, 3790, kSrv, kX64, 0, kSuiteWHServer),
     u"", u"", u"windows5264", u"Windows2003R2", u"Windows52", u"Standard", u"Standard", 1, u"prod3"},
    {"Storage Server suite on a workstation keeps StorageServer", System(5, 2, 3790, kWs, kX86, 0, kSuiteStorageServer),
     u"", u"", u"windows52", u"Windows2003R2", u"Windows52", u"StorageServer", u"StorageServer", 0, u"prod1"},
    {"Windows XP x64", System(5, 2, 3790, kWs, kX64, 0, kSuiteDatacenter),
     u"WindowsXP64", u"windowsxp64", u"windows5264", u"WindowsXP", u"Windows52", u"Basic", u"Basic", 1, u"prod1"},
    {"Server 2003 x86 Web Edition", System(5, 2, 3790, kSrv, kX86, 0, kSuiteBlade),
     u"Windows2003", u"windows2003", u"windows52", u"Windows2003", u"Windows52", u"WebEdition", u"WebEdition", 0, u"prod3"},
    {"Server 2003 x64 Standard", System(5, 2, 3790, kSrv, kX64, 0, 0x0010),
     u"Windows200364", u"windows200364", u"windows5264", u"Windows2003", u"Windows52", u"Standard", u"Standard", 1, u"prod3"},
    {"Server 2003 Datacenter before Enterprise", System(5, 2, 3790, kDc, kX86, 0, kSuiteDatacenter | kSuiteEnterprise | kSuiteBlade),
     u"Windows2003", u"windows2003", u"windows52", u"Windows2003", u"Windows52", u"Datacenter", u"Datacenter", 0, u"prod2"},
    // 5.1, 5.0
    {"Windows XP Home", System(5, 1, 2600, kWs, kX86, 0, kSuitePersonal),
     u"WindowsXP", u"windowsxp", u"windows51", u"WindowsXP", u"Windows51", u"Home", u"Home", 0, u"prod1"},
    {"Windows XP Professional", System(5, 1, 2600, kWs, kX86, 0, 0x0100),
     u"WindowsXP", u"windowsxp", u"windows51", u"WindowsXP", u"Windows51", u"Professional", u"Professional", 0, u"prod1"},
    {"Windows 2000 Professional", System(5, 0, 2195, kWs, kX86, 0, kSuiteDatacenter),
     u"Windows2000", u"windows2000", u"windows50", u"Windows2000", u"Windows50", u"Professional", u"Professional", 0, u"prod1"},
    {"Windows 2000 Datacenter Server", System(5, 0, 2195, kSrv, kX86, 0, kSuiteDatacenter | kSuiteEnterprise),
     u"Windows2000", u"windows2000", u"windows50", u"Windows2000", u"Windows50", u"DataCenter", u"DataCenter", 0, u"prod3"},
    {"Windows 2000 Advanced Server", System(5, 0, 2195, kSrv, kX86, 0, kSuiteEnterprise),
     u"Windows2000", u"windows2000", u"windows50", u"Windows2000", u"Windows50", u"Enterprise", u"Enterprise", 0, u"prod3"},
    {"Windows 2000 Server", System(5, 0, 2195, kDc, kX86, 0),
     u"Windows2000", u"windows2000", u"windows50", u"Windows2000", u"Windows50", u"Server", u"Server", 0, u"prod2"},
    // 4.x: not NT, or NT up to 4
    {"Windows NT 4.0", System(4, 0, 1381, kWs, kX86, 0),
     u"WindowsNT", u"windowsnt", u"windows40", u"WindowsNT", u"Windows40", u"Basic", u"Basic", 0, u"prod1"},
    {"4.0 on the Windows platform", System(4, 0, 950, 0, kX86, 0, 0, 0, kPlatformWindows),
     u"WindowsNT", u"windowsnt", u"windows40", u"WindowsNT", u"Windows40", u"Basic", u"Basic", 0, u""},
    {"4.10 on the Windows platform", System(4, 10, 2222, 0, kX86, 0, 0, 0, kPlatformWindows),
     u"Windows95", u"windows95", u"windows410", u"Windows95", u"Windows410", u"Basic", u"Basic", 0, u""},
    {"4.90 on the Windows platform", System(4, 90, 3000, 0, kX86, 0, 0, 0, kPlatformWindows),
     u"Windows98", u"windows98", u"windows490", u"Windows98", u"Windows490", u"Basic", u"Basic", 0, u""},
    // Architectures other than x86, x64 and Itanium
    {"Windows 10 Pro on Arm64", System(10, 0, 19045, kWs, kArchArm64, 48),
     u"Windows10", u"windows10", u"windows100", u"Windows10", u"Windows100", u"SKU48", u"Professional", 0, u"prod1"},
    {"10.0 server on Arm64", System(10, 0, 20348, kSrv, kArchArm64, 7),
     u"", u"", u"windows100", u"Windows2019", u"Windows100", u"SKU7", u"Standard Server", 0, u"prod3"},
    {"Windows Vista on Arm (no 32-bit names)", System(6, 0, 6002, kWs, kArchArm, 6),
     u"", u"", u"windows60", u"WindowsVista", u"Windows60", u"SKU6", u"Business", 0, u"prod1"},
    {"Server 2008 R2 on Itanium", System(6, 1, 7601, kSrv, kArchIA64, 15),
     u"Windows2008R264", u"windows2008r264", u"windows6164", u"Windows2008R2", u"Windows61", u"SKU15", u"Enterprise Server IA64", 1, u"prod3"},
    // Versions no row names
    {"a future 11.0 x64", System(11, 0, 30000, kWs, kX64, 48),
     u"", u"", u"windows11064", u"", u"Windows110", u"Basic", u"Unknown Product", 1, u"prod1"},
    {"a future 6.4 x86", System(6, 4, 9800, kSrv, kX86, 7),
     u"", u"", u"windows64", u"", u"Windows64", u"Basic", u"Unknown Product", 0, u"prod3"},
    {"NT 3.51", System(3, 51, 1057, kWs, kX86, 0),
     u"", u"", u"windows351", u"", u"Windows351", u"Basic", u"Unknown Product", 0, u"prod1"},
    {"5.3 on the NT platform", System(5, 3, 1, kSrv, kX64, 0),
     u"", u"", u"windows5364", u"", u"Windows53", u"Basic", u"Unknown Product", 1, u"prod3"},
    {"5.2 on the Windows platform", System(5, 2, 1, kWs, kX86, 0, 0, 1, kPlatformWindows),
     u"", u"", u"windows52", u"", u"Windows52", u"Basic", u"Unknown Product", 0, u"prod1"},
};

TEST_F(OSIdentification, NamesEverySystemOfTheTables) {
  // "Windows7+" allows 6.1 and every later version; the systems before it
  // are not allowed.
  Settings("[OS]\r\nosallowed=Windows7+\r\n");
  for (const NamingCase& c : kNamingCases) {
    SCOPED_TRACE(c.system);
    COSValidator& v = Validator(c.facts);
    const uint32_t major = c.facts.version.majorVersion, minor = c.facts.version.minorVersion;
    const bool from7 = major > 6 || (major == 6 && minor >= 1);
    EXPECT_EQ(v.OSVersion(0), from7 ? OSCHECK_SUPPORTED : OSCHECK_ERROR);
    EXPECT_EQ(U8(v.OSName), U8(c.osName));
    EXPECT_EQ(U8(v.ProductName), U8(c.productName));
    EXPECT_EQ(U8(v.VersionCode), U8(c.versionCode));
    EXPECT_EQ(U8(v.FamilyName), U8(c.familyName));
    EXPECT_EQ(U8(v.VersionName), U8(c.versionName));
    EXPECT_EQ(U8(v.EditionCode), U8(c.editionCode));
    EXPECT_EQ(U8(v.Edition), U8(c.edition));
    EXPECT_EQ(v.Is64Bit, c.is64);
    EXPECT_EQ(U8(v.ProductTypeWord), U8(c.productTypeWord));
    EXPECT_EQ(v.MajorVersion, c.facts.version.majorVersion);
    EXPECT_EQ(v.MinorVersion, c.facts.version.minorVersion);
    // GetProductInfo is asked on 6.0 to 10.0 only, with the version and 0, 0.
    const uint32_t mj = c.facts.version.majorVersion, mn = c.facts.version.minorVersion;
    const bool modern = c.facts.version.platformId == kPlatformNT && ((mj == 6 && mn <= 3) || (mj == 10 && mn == 0));
    EXPECT_EQ(facts->productInfoCalls, modern ? 1 : 0);
    if (modern) {
      EXPECT_EQ(facts->askedMajor, mj);
      EXPECT_EQ(facts->askedMinor, mn);
      EXPECT_EQ(facts->askedSpMajor, 0u);
      EXPECT_EQ(facts->askedSpMinor, 0u);
    }
    // SM_SERVERR2 matters on 5.2 only.
    const bool is52 = c.facts.version.platformId == kPlatformNT && mj == 5 && mn == 2;
    EXPECT_EQ(facts->metricsCalls, is52 ? 1 : 0);
    // Only errors are written at level 0; none here.
    for (const auto& line : log.lines) EXPECT_NE(line.level, LOG_ERROR) << line;
  }
}

TEST_F(OSIdentification, VersionOnlyModeKeepsTheNamesInTheirCase) {
  COSValidator& v = Validator(System(10, 0, 19045, kWs, kX64, 48));
  EXPECT_EQ(v.OSVersion(1), -1);
  EXPECT_EQ(U8(v.ProductName), "Windows1064");
  EXPECT_EQ(U8(v.VersionCode), "Windows10064");
  EXPECT_EQ(U8(v.EditionCode), "SKU48");
  EXPECT_EQ(U8(v.Edition), "Professional");
  EXPECT_EQ(v.Is64Bit, 1);
  // Set by the full mode only.
  EXPECT_EQ(U8(v.OSName), "");
  EXPECT_EQ(U8(v.ProductTypeWord), "");
}

// The architecture comes from GetNativeSystemInfo when the system has it,
// else from GetSystemInfo (the view of the running process).
TEST_F(OSIdentification, ArchitectureFromTheNativeQueryOrItsFallback) {
  struct Case {
    bool hasNative;
    uint16_t native, process;
    const char16_t* productName;
    int is64;
    int systemInfoCalls;
  } cases[] = {
      {true, kX64, kX86, u"windows1064", 1, 0},   // 32-bit process on 64-bit Windows
      {false, kX64, kX86, u"windows10", 0, 1},    // no native query: the process view
      {false, kX86, kX64, u"windows1064", 1, 1},
      {true, kArchArm64, kX86, u"windows10", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.productName) + (c.hasNative ? " native" : " fallback"));
    OSFacts f = System(10, 0, 19045, kWs, c.native, 48);
    f.hasNativeSystemInfo = c.hasNative;
    f.processArchitecture = c.process;
    COSValidator& v = Validator(f);
    v.OSVersion(0);
    EXPECT_EQ(U8(v.ProductName), U8(c.productName));
    EXPECT_EQ(v.Is64Bit, c.is64);
    EXPECT_EQ(facts->systemInfoCalls, c.systemInfoCalls);
  }
}

// ---- the edition tables ---------------------------------------------------------

TEST_F(OSIdentification, EditionTablesByGeneration) {
  struct Case {
    uint32_t type;
    const char16_t* name;  // nullptr: in no table
    bool fromWindows7;     // the second table: generations 2 to 5 only
  } cases[] = {
      {1, u"Ultimate", false}, {2, u"Home Basic", false}, {3, u"Home Premium", false},
      {4, u"Enterprise", false}, {5, u"Home Basic(N)", false}, {6, u"Business", false},
      {7, u"Standard Server", false}, {8, u"DataCenter Server", false},
      {9, u"Small Business Server", false}, {10, u"Enterprise Server", false}, {11, u"Starter", false},
      {12, u"DataCenter Server Core", false}, {13, u"Standard Server Core", false},
      {14, u"Enterprise Server Core", false}, {15, u"Enterprise Server IA64", false},
      {16, u"Business(N)", false}, {17, u"Web Server", false}, {18, u"Cluster Server", false},
      {19, u"Home Server", false}, {20, u"Storage Express Server", false},
      {21, u"Storage Standard Server", false}, {22, u"Storage Workgroup Server", false},
      {23, u"Storage Enterprise Server", false}, {24, u"Server for SmallBusiness", false},
      {25, u"Small Business Server Premium", false},
      {28, u"Ultimate(N)", true}, {47, u"Starter(N)", true}, {48, u"Professional", true},
      {49, u"Professional(N)", true}, {66, u"Starter(E)", true}, {67, u"Home Basic(E)", true},
      {68, u"Home Premium(E)", true}, {69, u"Professional(E)", true}, {70, u"Enterprise(E)", true},
      {71, u"Ultimate(E)", true},
      {0, nullptr, false}, {26, nullptr, false}, {27, nullptr, false}, {29, nullptr, false},
      {46, nullptr, false}, {50, nullptr, false}, {65, nullptr, false}, {72, nullptr, false},
      {101, nullptr, false}, {0xABCDABCDu, nullptr, false},
  };
  COSValidator& v = Validator(OSFacts());
  for (const Case& c : cases) {
    for (int generation = 0; generation <= 6; ++generation) {
      SCOPED_TRACE("type " + std::to_string(c.type) + ", generation " + std::to_string(generation));
      Text code = u"before", edition = u"was";
      v.SetEditionFromProductType(c.type, generation, code, edition);
      const bool known = c.name && (!c.fromWindows7 || (generation >= 2 && generation <= 5));
      EXPECT_EQ(U8(code), known ? "SKU" + std::to_string(c.type) : "before");
      EXPECT_EQ(U8(edition), known ? U8(c.name) : "was");
    }
  }
}

// ---- service pack and log lines ----------------------------------------------------

TEST_F(OSIdentification, ServicePackFromStringAndNumber) {
  struct Case {
    const char16_t* csd;
    uint16_t major;
    const char16_t* servicePack;
    const char16_t* text;
  } cases[] = {
      {u"Service Pack 2", 2, u"2", u"Service Pack 2"},
      {u"Service Pack 3", 0, u"3", u"Service Pack 3"},  // digits from the string alone
      {u"", 0, u"", u""},
      {u"", 1, u"1", u""},
      {u"Service Pack 1, v.1000", 1, u"1", u"Service Pack 1, v.1000"},
      {u"Update 1", 0, u"Update 1", u"Update 1"},                 // "U" is not in the stripped set
      {u"Service Pack ServicePack", 0, u"", u"Service Pack ServicePack"},  // every character stripped
      {u"Service Pack 6a", 6, u"6", u"Service Pack 6a"},
      {u"Service Pack 6a", 0, u"6a", u"Service Pack 6a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(U8(c.csd) + " / " + std::to_string(c.major));
    OSFacts f = System(5, 1, 2600, kWs, kX86, 0);
    f.version.csdVersion = c.csd;
    f.version.servicePackMajor = c.major;
    COSValidator& v = Validator(f);
    v.OSVersion(0);
    EXPECT_EQ(U8(v.ServicePack), U8(c.servicePack));
    EXPECT_EQ(U8(v.ServicePackText), U8(c.text));
  }
}

TEST_F(OSIdentification, VersionOnlyLogLines) {
  Settings("[OS]\r\nosallowed=Windows7+\r\n");
  OSFacts f = System(10, 0, 19045, kWs, kX64, 48);
  f.version.csdVersion = u"Service Pack 2";
  f.version.servicePackMajor = 2;
  COSValidator& v = Validator(f);
  EXPECT_EQ(v.OSVersion(1), -1);
  const std::vector<CaptureLog::Line> expected = {
      {LOG_INFO, u"OSVersion", u"OS Version : 10.0.19045.2"},
      {LOG_INFO, u"OSVersion", u"Major Version : 10"},
      {LOG_INFO, u"OSVersion", u"Minor Version : 0"},
      {LOG_INFO, u"OSVersion", u"Product Type : 1"},
  };
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(U8(v.ServicePack), "");
  EXPECT_EQ(U8(v.ServicePackText), "");
  // The [OS] section is read in this mode too.
  EXPECT_EQ(U8(v.OSSection[u"osallowed"]), "Windows7+");
}

TEST_F(OSIdentification, FullModeLogLinesAndVerdict) {
  struct Case {
    const char* settings;
    int verdict;
    std::vector<CaptureLog::Line> tail;  // the lines after the three name lines
  } cases[] = {
      {"[OS]\r\nOSAllowed=Windows7+;WindowsXP\r\n", OSCHECK_SUPPORTED,
       {{LOG_INFO, u"OSVersion", u"Supported OSes : Windows7+;WindowsXP"}}},
      {"[OS]\r\nosallowed=\r\n", OSCHECK_ERROR, {{LOG_INFO, u"OSVersion", u"No OSes are supported"}}},
      {"[OS]\r\nNoOSCheck=1\r\n", OSCHECK_ERROR, {{LOG_INFO, u"OSVersion", u"No OSes are supported"}}},
      {"", OSCHECK_ERROR, {{LOG_INFO, u"OSVersion", u"No OSes are supported"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    fake.RemoveFile(kSettings);
    if (*c.settings) Settings(c.settings);
    log.lines.clear();
    OSFacts f = System(6, 1, 7601, kWs, kX64, 1);
    f.version.csdVersion = u"Service Pack 1";
    f.version.servicePackMajor = 1;
    COSValidator& v = Validator(f);
    EXPECT_EQ(v.OSVersion(0), c.verdict);
    std::vector<CaptureLog::Line> expected = {
        {LOG_INFO, u"OSVersion", u"Operating System : Windows764"},
        {LOG_INFO, u"OSVersion", u"Operating System Edition : Ultimate"},
        {LOG_INFO, u"OSVersion", u"Operating System ServicePack : Service Pack 1"},
    };
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(U8(v.ServicePack), "1");
  }
}

// ---- failures of the system queries ----------------------------------------------------

TEST_F(OSIdentification, VersionQueryFailing) {
  Settings("[OS]\r\nosallowed=Windows7+\r\n");
  for (int versionOnly : {0, 1}) {
    SCOPED_TRACE(versionOnly);
    log.lines.clear();
    OSFacts f = System(10, 0, 19045, kWs, kX64, 48);
    f.versionQuerySucceeds = false;
    COSValidator& v = Validator(f);
    EXPECT_EQ(v.OSVersion(versionOnly), OSCHECK_SUPPORTED);
    const std::vector<CaptureLog::Line> expected = {{LOG_ERROR, u"OSVersion", u"GetVersionEx() failed"}};
    EXPECT_EQ(log.lines, expected);
    EXPECT_EQ(U8(v.EditionCode), "Unknown Product");
    EXPECT_EQ(U8(v.Edition), "Unknown Product");
    EXPECT_EQ(U8(v.ProductName), "");
    EXPECT_EQ(U8(v.VersionCode), "");
    EXPECT_EQ(v.MajorVersion, 0u);
    EXPECT_TRUE(v.OSSection.empty());  // the section is read after the query
  }
}

TEST_F(OSIdentification, ProductInfoMissing) {
  struct Case {
    const char* system;
    OSFacts facts;
    bool needsProductInfo;
    const char16_t* productName;  // as left behind
    const char16_t* editionCode;
    const char16_t* edition;
    int fullVerdict = OSCHECK_SUPPORTED;  // of a system that is identified
  } cases[] = {
      {"Windows 10 x64", System(10, 0, 19045, kWs, kX64, 48), true, u"Windows1064", u"Standard", u"Standard"},
      {"Windows 8 x86", System(6, 2, 9200, kWs, kX86, 3), true, u"Windows8", u"", u""},
      {"Windows Vista x64", System(6, 0, 6002, kWs, kX64, 6), true, u"WindowsVista64", u"Basic", u"Unknown Product"},
      {"Server 2008 R2 x64", System(6, 1, 7601, kSrv, kX64, 7), true, u"Windows2008R264", u"Standard", u"Standard"},
      {"Windows XP (not asked)", System(5, 1, 2600, kWs, kX86, 0, kSuitePersonal), false, u"windowsxp", u"Home", u"Home",
       OSCHECK_ERROR},  // older than Windows7+
      {"future 11.0 (not asked)", System(11, 0, 30000, kWs, kX64, 0), false, u"", u"Basic", u"Unknown Product"},
  };
  Settings("[OS]\r\nosallowed=Windows7+\r\n");
  for (const Case& c : cases) {
    for (int versionOnly : {0, 1}) {
      SCOPED_TRACE(std::string(c.system) + (versionOnly ? ", version only" : ", full"));
      log.lines.clear();
      OSFacts f = c.facts;
      f.hasProductInfo = false;
      COSValidator& v = Validator(f);
      const int result = v.OSVersion(versionOnly);
      if (c.needsProductInfo) {
        EXPECT_EQ(result, OSCHECK_SUPPORTED);
        const std::vector<CaptureLog::Line> expected = {
            {LOG_ERROR, u"GetProcAddress", u"Failed to get the OS information"}};
        EXPECT_EQ(log.lines, expected);
        EXPECT_EQ(U8(v.ProductName), U8(c.productName));
        EXPECT_EQ(U8(v.OSName), "");
      } else {
        EXPECT_EQ(result, versionOnly ? -1 : c.fullVerdict);
        ASSERT_FALSE(log.lines.empty());
        for (const auto& line : log.lines) EXPECT_NE(line.level, LOG_ERROR) << line;
        if (!versionOnly) {
          EXPECT_EQ(U8(v.ProductName), U8(c.productName));
        }
      }
      EXPECT_EQ(U8(v.EditionCode), U8(c.editionCode));
      EXPECT_EQ(U8(v.Edition), U8(c.edition));
    }
  }
}

// The process-wide object identifies twice: version only while the system
// information is written, in full before extraction.
TEST_F(OSIdentification, SecondIdentificationOverwritesWhatItSets) {
  Settings("[OS]\r\nosallowed=Windows7+\r\n");
  OSFacts f = System(10, 0, 19045, kWs, kX64, 48);
  f.version.csdVersion = u"Service Pack 1";
  COSValidator& v = Validator(f);
  EXPECT_EQ(v.OSVersion(1), -1);
  EXPECT_EQ(v.OSVersion(0), OSCHECK_SUPPORTED);
  EXPECT_EQ(U8(v.OSName), "Windows1064");
  EXPECT_EQ(U8(v.ProductName), "windows1064");
  EXPECT_EQ(U8(v.ServicePack), "1");
  // A later version-only run sets the names again in their case and keeps
  // what only the full mode sets.
  EXPECT_EQ(v.OSVersion(1), -1);
  EXPECT_EQ(U8(v.ProductName), "Windows1064");
  EXPECT_EQ(U8(v.VersionCode), "Windows10064");
  EXPECT_EQ(U8(v.OSName), "Windows1064");
  EXPECT_EQ(U8(v.ServicePack), "1");
  EXPECT_EQ(U8(v.ProductTypeWord), "prod1");
}

// ---- the [OS] section and the OS-specific extraction path --------------------------

TEST_F(OSIdentification, ReadOSSectionRules) {
  Settings(
      "[Package]\r\nName=Pkg\r\n"
      "[OS]\r\n"
      "OSAllowed=Windows7+;WindowsXP\r\n"
      "Windows1064Exclude=Home Basic;SKU48&&!SP1\r\n"
      "dup=first\r\n"
      "DUP=second\r\n"
      "no equals sign\r\n"
      "=empty key\r\n"
      "\xC4rger=Latin\r\n"
      "spaced = around \r\n"
      "[Other]\r\nosallowed=elsewhere\r\n");
  COSValidator& v = Validator(OSFacts());
  v.OSSection[u"left"] = u"from before";
  v.OSSection[u"dup"] = u"stale";
  EXPECT_EQ(v.ReadOSSection(), 8);
  const std::map<Text, Text> expected = {
      {u"osallowed", u"Windows7+;WindowsXP"},
      {u"windows1064exclude", u"Home Basic;SKU48&&!SP1"},
      {u"dup", u"first"},
      {u"", u"no equals sign"},  // the first of the two empty keys
      {u"\u00E4rger", u"Latin"},
      {u"spaced", u"around"},
      {u"left", u"from before"},
  };
  EXPECT_EQ(v.OSSection, expected);
}

TEST_F(OSIdentification, ReadOSSectionStopsAt2000Characters) {
  // "a=" + 1994 characters + zero = 1997 of the buffer: "tail=yes" finds no room.
  Settings("[OS]\r\na=" + std::string(1994, 'x') + "\r\ntail=yes\r\n");
  COSValidator& v = Validator(OSFacts());
  v.ReadOSSection();
  EXPECT_EQ(v.OSSection[u"a"].size(), 1994u);
  EXPECT_EQ(v.OSSection.count(u"tail"), 0u);

  // Shorter by ten: the tail fits.
  Settings("[OS]\r\na=" + std::string(1984, 'x') + "\r\ntail=yes\r\n");
  v.ReadOSSection();
  EXPECT_EQ(U8(v.OSSection[u"tail"]), "yes");
}

TEST_F(OSIdentification, OSExtractPathByFamilyThenVersionName) {
  struct Case {
    const char* settings;
    OSFacts facts;
    const char16_t* path;
    std::vector<CaptureLog::Line> lines;
  } cases[] = {
      {"[OS]\r\nWINDOWS10EXTRACTPATH=C:\\Ten\\\r\nWindows100ExtractPath=C:\\Hundred\r\n",
       System(10, 0, 19045, kWs, kX64, 48), u"C:\\Ten\\",
       {{LOG_INFO, u"", u"Windows10ExtractPath : C:\\Ten\\"}}},
      {"[OS]\r\nWindows10ExtractPath=\r\nwindows100extractpath=%TEMP%\\Hundred\r\n",
       System(10, 0, 19045, kWs, kX86, 48), u"%TEMP%\\Hundred",
       {{LOG_INFO, u"", u"Windows10ExtractPath : "}, {LOG_INFO, u"", u"Windows100ExtractPath : %TEMP%\\Hundred"}}},
      {"[OS]\r\nWindows2019ExtractPath=D:\\Srv\r\n", System(10, 0, 17763, kSrv, kX64, 7), u"D:\\Srv",
       {{LOG_INFO, u"", u"Windows2019ExtractPath : D:\\Srv"}}},
      {"[OS]\r\nWindows110ExtractPath=E:\\Next\r\n", System(11, 0, 30000, kWs, kX64, 0), u"E:\\Next",
       {{LOG_INFO, u"", u"ExtractPath : "}, {LOG_INFO, u"", u"Windows110ExtractPath : E:\\Next"}}},
      {"[Runtime]\r\nWindows10ExtractPath=C:\\Wrong\r\n", System(10, 0, 19045, kWs, kX64, 48), u"",
       {{LOG_INFO, u"", u"Windows10ExtractPath : "}, {LOG_INFO, u"", u"Windows100ExtractPath : "}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    Settings(c.settings);
    COSValidator& v = Validator(c.facts);
    v.OSVersion(1);
    log.lines.clear();
    EXPECT_EQ(U8(v.GetOSExtractPath()), U8(c.path));
    EXPECT_EQ(log.lines, c.lines);
  }
}

TEST_F(OSIdentification, OSExtractPathValueLimit) {
  Settings("[OS]\r\nWindows7ExtractPath=C:\\" + std::string(1100, 'p') + "\r\n");
  COSValidator& v = Validator(System(6, 1, 7601, kWs, kX86, 1));
  v.OSVersion(1);
  EXPECT_EQ(v.GetOSExtractPath().size(), 1023u);
}

}  // namespace
}  // namespace tovu
