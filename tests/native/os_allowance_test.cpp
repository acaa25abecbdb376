// The allowance check of the [OS] rules: the pure text rules (digit texts
// of system names, the reduction of one- and two-atom variants, the chain
// rules of longer variants) as tables, and the whole verdict of the
// identification for systems and rules, with the worked example of a
// Windows 10 Pro x64 excluded by "SKU48&&!SP1".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "log/log_file.h"
#include "osrules/os_facts.h"
#include "osrules/os_validator.h"
#include "osrules/os_variant_rules.h"
#include "support/captured_log.h"

namespace tovu {
namespace {

using test::CaptureLog;
using test::FakePlatform;
using namespace osfacts;

std::string U8(const Text& t) { return ToUtf8(t); }
Text U16(const std::string& s) { return FromUtf8(s); }

// ---- pure rules ---------------------------------------------------------------------

TEST(OSVariantRules, VersionCodeOfTheNamesTable) {
  const std::pair<const char*, const char*> cases[] = {
      {"windows10", "100"},       {"Windows2016", "100"},       {"WINDOWS2019", "100"},
      {"windows1064", "10064"},   {"windows201964", "10064"},   {"windows7", "61"},
      {"windows2008r2", "61"},    {"windows764", "6164"},       {"windows2008r264", "6164"},
      {"windowsvista", "60"},     {"windows2008", "60"},        {"windowsvista64", "6064"},
      {"windows200864", "6064"},  {"windows2003r2", "52"},      {"windows2003", "52"},
      {"windowsxp", "51"},        {"windowsxp64", "5264"},      {"windows2003r264", "5264"},
      {"windows200364", "5264"},  {"windows2000", "50"},        {"windowsnt", "40"},
      {"windows95", "410"},       {"windows98", "490"},
      // Not in the table: the digits are then taken from the entry itself.
      {"windows8", ""},           {"windows8.1", ""},           {"windows2012", ""},
      {"windows62", ""},          {"windows7 ", ""},            {"", ""},
  };
  for (auto [entry, digits] : cases) {
    SCOPED_TRACE(entry);
    EXPECT_EQ(U8(osrules::VersionCodeOf(U16(entry))), digits);
    EXPECT_EQ(U8(COSValidator::VersionCodeOf(U16(entry))), digits);
  }
}

TEST(OSVariantRules, MinimumVersionFromDigitText) {
  struct Case {
    const char* digits;
    uint32_t major, minor;
    bool only64;
  } cases[] = {
      {"61", 6, 1, false},    {"6164", 6, 1, true},   {"100", 10, 0, false}, {"10064", 10, 0, true},
      {"6364", 6, 3, true},   {"410", 4, 1, false},   {"490", 4, 9, false},  {"62", 6, 2, false},
      // Names read literally: "8" is 8.0, "2012" is 2.0, "8.1" is 8.0.
      {"8", 8, 0, false},     {"2012", 2, 0, false},  {"8.1", 8, 0, false},  {"", 0, 0, false},
      {"1", 1, 0, false},     {"64", 6, 4, true},     {"x7", 0, 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    const osrules::MinimumVersion v = osrules::ParseMinimumVersion(U16(c.digits));
    EXPECT_EQ(v.major, c.major);
    EXPECT_EQ(v.minor, c.minor);
    EXPECT_EQ(v.only64, c.only64);
  }
}

TEST(OSVariantRules, ReductionOfOneAndTwoAtoms) {
  const std::pair<const char*, const char*> cases[] = {
      {"T", "T"},           {"F", "F"},
      {"T&&!F", "T"},       {"T&&!T", "F"},       {"F&&!F", "F"},       {"F&&!T", "F"},
      {"T&&T", "T"},        {"T&&F", "F"},        {"F&&T", "F"},        {"F&&F", "F"},
      {"T||F", "T"},        {"F||T", "T"},        {"F||F", "F"},        {"T||T", "T"},
      // A leading "&&!" negates the first atom.
      {"&&!T", "F"},        {"&&!F", "T"},        {"&&!F&&T", "T"},     {"&&!T||F", "F"},
      {"&&!F||F", "T"},     {"&&!T&&!F", "F"},
      // Leading "&&" and "||" are dropped.
      {"&&T", "T"},         {"||F", "F"},         {"&&F||T", "T"},
      // "||" before a trailing "&&!" atom: the last four characters are
      // reduced first; nothing is left to reduce with the "||".
      {"||&&!F", "||T"},    {"||&&!T", "||F"},
      // What the replacements do not reach stays.
      {"&&", "&&"},         {"", ""},             {"T&&!", "T&&!"},     {"X&&!F", "X&&!F"},
      {"T&&", "T&&"},       {"&&!", "&&!"},
  };
  for (auto [in, out] : cases) {
    SCOPED_TRACE(in);
    EXPECT_EQ(U8(osrules::ReduceVariantExpression(U16(in))), out);
  }
}

TEST(OSVariantRules, ClampedPositions) {
  EXPECT_EQ(U8(osrules::ClampedMid(u"T&&!F", -1, 2)), "T&");
  EXPECT_EQ(U8(osrules::ClampedMid(u"T&&!F", 1, 3)), "&&!");
  EXPECT_EQ(U8(osrules::ClampedMid(u"T&&!F", 3, 10)), "!F");
  EXPECT_EQ(U8(osrules::ClampedMid(u"T", 5, 2)), "");
  EXPECT_EQ(U8(osrules::ClampedMid(u"T", -3, 2)), "T");
}

TEST(OSVariantRules, ChainOperators) {
  struct Case {
    const char* expression;
    const char* first;  // GetFirstVariantOperator
    int singleChain;    // IsSingleOperatorChain with that operator
  } cases[] = {
      {"T||F||T", "||", 1},       {"T&&T&&F", "&&", 1},       {"T&&!F&&!F", "&&!", 1},
      {"&&!F&&!F&&!T", "&&!", 1}, {"T||F&&T", "&&", 0},       {"T&&!F&&T", "&&!", 0},
      {"T&&T&&!F", "&&", 0},      {"T|F||T", "", 0},        {"T&F||T", "||", 1},
      {"TFT", "", 1},             {"T|F|T", "", 1},           {"T||F&&!T", "&&!", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expression);
    const Text op = osrules::GetFirstVariantOperator(U16(c.expression));
    EXPECT_EQ(U8(op), c.first);
    EXPECT_EQ(osrules::IsSingleOperatorChain(U16(c.expression), op), c.singleChain);
  }
  // "&&" and "&&!" are different operators.
  EXPECT_EQ(osrules::IsSingleOperatorChain(u"T&&!F&&!F", u"&&"), 0);
  EXPECT_EQ(osrules::IsSingleOperatorChain(u"T&&F&&F", u"&&!"), 0);
}

TEST(OSVariantRules, ChainResults) {
  struct Case {
    const char* expression;
    const char* op;
    int result;
  } cases[] = {
      {"F||F||T", "||", 1},   {"F||F||F", "||", 0},
      {"T&&T&&T", "&&", 1},   {"T&&F&&T", "&&", 0},
      {"TFT", "", 1},         {"FFF", "", 1},
      // "&&!" chains: the first atom and none of the others.
      {"T&&!F&&!F", "&&!", 1},        {"T&&!F&&!F&&!F&&!F", "&&!", 1},
      {"T&&!F&&!T", "&&!", 0},        {"T&&!T&&!F", "&&!", 0},
      {"F&&!F&&!F", "&&!", 0},
      // A leading "&&!" negates the first atom too: no atom may hold.
      {"&&!F&&!F&&!F", "&&!", 1},     {"&&!T&&!F&&!F", "&&!", 0},
      {"&&!F&&!F&&!T", "&&!", 0},
      // A piece that is no atom value never holds.
      {"T&&!&&!F", "&&!", 0},
      {"T||T", "&", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.expression) + " / " + c.op);
    EXPECT_EQ(osrules::GetChainResult(U16(c.expression), U16(c.op)), c.result);
    EXPECT_EQ(COSValidator::GetChainResult(U16(c.expression), U16(c.op)), c.result);
  }
}

TEST(OSVariantRules, ListSplitting) {
  const std::vector<Text> parts = osrules::SplitList(u" Windows7+ ;;WindowsXP; ;Home Basic ");
  ASSERT_EQ(parts.size(), 3u);
  EXPECT_EQ(U8(parts[0]), "Windows7+");
  EXPECT_EQ(U8(parts[1]), "WindowsXP");
  EXPECT_EQ(U8(parts[2]), "Home Basic");
  EXPECT_TRUE(osrules::SplitList(u";").empty());
}

// ---- the verdict of a system under [OS] rules --------------------------------------------

OSFacts System(uint32_t major, uint32_t minor, uint32_t build, uint8_t type, uint16_t arch, uint32_t sku) {
  OSFacts f;
  f.version.majorVersion = major;
  f.version.minorVersion = minor;
  f.version.buildNumber = build;
  f.version.platformId = kPlatformNT;
  f.version.productType = type;
  f.nativeArchitecture = arch;
  f.processArchitecture = arch;
  f.productType = sku;
  return f;
}

OSFacts WithServicePack(OSFacts f, uint16_t sp) {
  f.version.servicePackMajor = sp;
  f.version.csdVersion = Format(u"Service Pack %u", static_cast<uint32_t>(sp));
  return f;
}

const OSFacts kWin10ProX64 = System(10, 0, 19045, kWorkstation, kArchAmd64, 48);  // SKU48, Professional
const OSFacts kWin10ProX86 = System(10, 0, 19045, kWorkstation, kArchIntel, 48);
const OSFacts kWin10HomeX64 = System(10, 0, 19045, kWorkstation, kArchAmd64, 101);  // "Standard"
const OSFacts kWin81X64 = System(6, 3, 9600, kWorkstation, kArchAmd64, 48);
const OSFacts kWin7UltimateX64Sp1 = WithServicePack(System(6, 1, 7601, kWorkstation, kArchAmd64, 1), 1);
const OSFacts kServer2019 = System(10, 0, 17763, kServer, kArchAmd64, 8);

const Text kSettings = u"C:\\Tovu\\{GUID}\\Properties_Tovu.ini";

class OSAllowance : public ::testing::Test {
 protected:
  // The verdict of a full identification with these [OS] lines.
  int Verdict(const OSFacts& f, const std::string& osLines) {
    fake.RemoveFile(kSettings);
    fake.AddFile(kSettings, "[OS]\r\n" + osLines);
    log.lines.clear();
    facts = std::make_unique<CFixedOSFacts>(f);
    validator = std::make_unique<COSValidator>(fake, log, *facts);
    validator->SetSettingsFile(kSettings);
    return validator->OSVersion(0);
  }

  FakePlatform fake;
  CaptureLog log{fake};
  std::unique_ptr<CFixedOSFacts> facts;
  std::unique_ptr<COSValidator> validator;
};

TEST_F(OSAllowance, WorkedExampleWindows10ProIsExcluded) {
  const int verdict = Verdict(kWin10ProX64,
                              "osallowed=Windows7+;WindowsXP\r\n"
                              "windows7+exclude=Home Basic;SKU48&&!SP1\r\n");
  EXPECT_EQ(verdict, OSCHECK_ERROR) << log.All();
  EXPECT_EQ(U8(validator->ProductName), "windows1064");
  EXPECT_EQ(U8(validator->VersionCode), "windows10064");
  EXPECT_EQ(U8(validator->EditionCode), "SKU48");
  EXPECT_EQ(U8(validator->Edition), "Professional");
  EXPECT_EQ(U8(validator->ServicePack), "");

  EXPECT_TRUE(log.Has("CheckOSVariant", "windows7+exclude  : Home Basic;SKU48&&!SP1")) << log.All();
  EXPECT_TRUE(log.Has("ValiodateOSVariants", "Edition : SKU48")) << log.All();
  EXPECT_TRUE(log.Has("OSVersion", "Show Error for OS")) << log.All();
  // The first variant that applies ends the walk: the exclusion key is read
  // once, and no warning key is consulted.
  EXPECT_EQ(log.Count("windows7+exclude  : Home Basic;SKU48&&!SP1"), 1);
  EXPECT_FALSE(log.Has("OSVersion", "Show Warning for OS"));

  // The steps of the example one by one.
  COSValidator& v = *validator;
  EXPECT_EQ(v.IsOSInAllowedList(u"windows7+;windowsxp", u"windows1064"), 1);
  EXPECT_EQ(U8(v.ValiodateOSVariants(u"Home Basic", u"Home Basic")), "F");
  EXPECT_EQ(v.GetOSVariantConditionResult(u"Home Basic"), 0);
  EXPECT_EQ(U8(v.ValiodateOSVariants(u"SKU48", u"SKU48&&!SP1")), "T&&!SP1");
  EXPECT_EQ(U8(v.ValiodateOSVariants(u"SP1", u"T&&!SP1")), "T&&!F");
  EXPECT_EQ(U8(COSValidator::ReduceVariantExpression(u"T&&!F")), "T");
  EXPECT_EQ(v.GetOSVariantConditionResult(u"SKU48&&!SP1"), 1);
  EXPECT_EQ(v.CheckOSVariant(u"windows7+exclude"), 0);
  EXPECT_EQ(v.CheckOSVariantsForExclusion(), OSCHECK_ERROR);
}

TEST_F(OSAllowance, VerdictsOfRulesAndSystems) {
  struct Case {
    const char* what;
    OSFacts system;
    const char* osLines;
    int verdict;
  } cases[] = {
      // The allowed-systems list.
      {"listed by VersionCode only", kWin10ProX64, "osallowed=Windows10064\r\n", OSCHECK_SUPPORTED},
      {"the VersionCode key is the one consulted", kWin10ProX64,
       "osallowed=Windows10064\r\nwindows10064exclude=Professional\r\n", OSCHECK_ERROR},
      {"the ProductName key is not consulted then", kWin10ProX64,
       "osallowed=Windows10064\r\nwindows1064exclude=;\r\n", OSCHECK_SUPPORTED},
      {"32-bit name does not list the x64 system", kWin7UltimateX64Sp1, "osallowed=Windows7\r\n", OSCHECK_ERROR},
      {"64-bit name", kWin7UltimateX64Sp1, "osallowed=WINDOWS764\r\n", OSCHECK_SUPPORTED},
      {"64-bit minimum on a 32-bit system", kWin10ProX86, "osallowed=Windows764+\r\n", OSCHECK_ERROR},
      {"64-bit minimum on a 64-bit system", kWin10ProX64, "osallowed=Windows764+\r\n", OSCHECK_SUPPORTED},
      {"Windows100+ on 8.1", kWin81X64, "osallowed=Windows100+\r\n", OSCHECK_ERROR},
      {"Windows100+ on 10", kWin10ProX64, "osallowed=Windows100+\r\n", OSCHECK_SUPPORTED},
      {"Windows8+ is read as 8.0", kWin81X64, "osallowed=Windows8+\r\n", OSCHECK_ERROR},
      {"Windows8+ allows 10", kWin10ProX64, "osallowed=Windows8+\r\n", OSCHECK_SUPPORTED},
      {"Windows62+ allows 8.1", kWin81X64, "osallowed=Windows62+\r\n", OSCHECK_SUPPORTED},
      {"Windows6364+ on 8.1 x64", kWin81X64, "osallowed=Windows6364+\r\n", OSCHECK_SUPPORTED},
      {"not on the list", kWin10ProX64, "osallowed=WindowsXP;Windows7\r\n", OSCHECK_ERROR},
      {"blanks and empty entries", kWin10ProX64, "osallowed= ; WindowsXP ;; Windows1064 ;\r\n", OSCHECK_SUPPORTED},
      {"server by its own name", kServer2019, "osallowed=Windows201964\r\n", OSCHECK_SUPPORTED},
      // Exclusion variants.
      {"every variant excluded", kWin10ProX64, "osallowed=Windows7+\r\nwindows7+exclude=;\r\n", OSCHECK_ERROR},
      {"keys in any case", kWin10ProX64, "OSAllowed=Windows7+\r\nWINDOWS7+EXCLUDE=professional\r\n", OSCHECK_ERROR},
      {"edition name", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=Professional\r\n", OSCHECK_ERROR},
      {"atom case ignored", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=sku48\r\n", OSCHECK_ERROR},
      {"32-bit server name does not list the x64 server", kServer2019, "osallowed=Windows2019\r\n", OSCHECK_ERROR},
      {"product type word (x64 name)", kServer2019, "osallowed=Windows201964\r\nwindows201964exclude=prod3\r\n",
       OSCHECK_ERROR},
      {"Unknown Product applies anywhere", kWin81X64, "osallowed=Windows63+\r\nwindows63+exclude=Unknown Product\r\n",
       OSCHECK_ERROR},
      {"service pack number", kWin7UltimateX64Sp1, "osallowed=Windows764\r\nwindows764exclude=1\r\n", OSCHECK_ERROR},
      {"service pack SPn", kWin7UltimateX64Sp1, "osallowed=Windows764\r\nwindows764exclude=SP1\r\n", OSCHECK_ERROR},
      {"other service pack", kWin7UltimateX64Sp1, "osallowed=Windows764\r\nwindows764exclude=SP2\r\n",
       OSCHECK_SUPPORTED},
      {"or of two", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SKU4||SKU48\r\n", OSCHECK_ERROR},
      {"and of two", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SKU4&&SKU48\r\n", OSCHECK_SUPPORTED},
      {"leading negation", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=&&!SKU4\r\n", OSCHECK_ERROR},
      {"leading negation of a match", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=&&!SKU48\r\n",
       OSCHECK_SUPPORTED},
      {"or chain of three", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SKU4||SKU48||SKU49\r\n",
       OSCHECK_ERROR},
      {"and chain of three", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SKU48&&prod1&&Professional\r\n",
       OSCHECK_ERROR},
      {"mixed operators of three atoms", kWin10ProX64,
       "osallowed=Windows1064\r\nwindows1064exclude=Professional||SKU4&&SP1\r\n", OSCHECK_SUPPORTED},
      // "&&!" chains: the first atom and none of the others.
      {"and-not chain holds", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SKU48&&!SP1&&!prod3\r\n",
       OSCHECK_ERROR},
      {"and-not chain, a negated atom holds", kWin10ProX64,
       "osallowed=Windows1064\r\nwindows1064exclude=SKU48&&!SP1&&!prod1\r\n", OSCHECK_SUPPORTED},
      {"and-not chain, first atom fails", kWin10ProX64,
       "osallowed=Windows1064\r\nwindows1064exclude=SKU4&&!SP1&&!prod3\r\n", OSCHECK_SUPPORTED},
      {"and-not chain with leading negation: none holds", kWin10ProX64,
       "osallowed=Windows1064\r\nwindows1064exclude=&&!SKU4&&!SP1&&!prod3\r\n", OSCHECK_ERROR},
      {"and-not chain with leading negation: one holds", kWin10ProX64,
       "osallowed=Windows1064\r\nwindows1064exclude=&&!SKU48&&!SP1&&!prod3\r\n", OSCHECK_SUPPORTED},
      // The text rules read capitals "AND"/"OR" inside an atom as operators.
      {"edition atom in its own case", kWin10HomeX64, "osallowed=Windows1064\r\nwindows1064exclude=Standard\r\n",
       OSCHECK_ERROR},
      {"edition atom in capitals is read as an operator", kWin10HomeX64,
       "osallowed=Windows1064\r\nwindows1064exclude=STANDARD\r\n", OSCHECK_SUPPORTED},
      // A minimum-version entry hands its key to the entries after it.
      {"key of an earlier minimum entry", kWin7UltimateX64Sp1,
       "osallowed=Windows100+;Windows764\r\nwindows100+exclude=Ultimate\r\n", OSCHECK_ERROR},
      {"second variant applies", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SKU4; Professional \r\n",
       OSCHECK_ERROR},
      // Warnings.
      {"warning variant", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064warning=SKU48\r\n", OSCHECK_WARNING},
      {"warning by VersionCode", kWin10ProX64, "osallowed=Windows10064\r\nwindows10064warning=prod1\r\n",
       OSCHECK_WARNING},
      {"exclusion before warning", kWin10ProX64,
       "osallowed=Windows1064\r\nwindows1064exclude=SKU48\r\nwindows1064warning=SKU48\r\n", OSCHECK_ERROR},
      {"warning not applying", kWin10ProX64, "osallowed=Windows1064\r\nwindows1064warning=SKU4\r\n",
       OSCHECK_SUPPORTED},
      {"every variant warned", kWin10ProX64, "osallowed=Windows7+\r\nwindows7+warning=;\r\n", OSCHECK_WARNING},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.what) + ": " + c.osLines);
    EXPECT_EQ(Verdict(c.system, c.osLines), c.verdict) << log.All();
    EXPECT_EQ(log.Has("OSVersion", "Show Error for OS"), c.verdict == OSCHECK_ERROR);
    EXPECT_EQ(log.Has("OSVersion", "Show Warning for OS"), c.verdict == OSCHECK_WARNING);
  }
}

TEST_F(OSAllowance, LogLinesOfTheVariantWalk) {
  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows7+\r\nwindows7+exclude=;\r\n"), OSCHECK_ERROR);
  EXPECT_TRUE(log.Has("CheckOSVariant", "windows7+exclude  : ;"));
  EXPECT_TRUE(log.Has("CheckOSVariant", "All variants of windows1064 are supported")) << log.All();

  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=Professional||SKU4&&SP1\r\n"),
            OSCHECK_SUPPORTED);
  EXPECT_TRUE(log.Has("GetOSVariantConditionResult", "Invalid variant combination. Current OS will be included"))
      << log.All();

  Verdict(kWin7UltimateX64Sp1, "osallowed=Windows764\r\nwindows764exclude=prod1||SP1||Ultimate||Unknown Product\r\n");
  EXPECT_TRUE(log.Has("ValiodateOSVariants", "Product Type : prod1")) << log.All();
  EXPECT_TRUE(log.Has("ValiodateOSVariants", "Service Pack : 1"));
  EXPECT_TRUE(log.Has("ValiodateOSVariants", "Edition : Ultimate"));
  EXPECT_TRUE(log.Has("ValiodateOSVariants", "Unknown Product"));
}

TEST_F(OSAllowance, ServicePackZeroAtom) {
  // On a system without service pack "SP0" applies and ServicePack becomes
  // "0" for the rest of the run.
  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SP0\r\n"), OSCHECK_ERROR);
  EXPECT_EQ(U8(validator->ServicePack), "0");
  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=0\r\n"), OSCHECK_ERROR);
  EXPECT_EQ(U8(validator->ServicePack), "0");
  // With a service pack the atom is only compared.
  EXPECT_EQ(Verdict(kWin7UltimateX64Sp1, "osallowed=Windows764\r\nwindows764exclude=SP0\r\n"), OSCHECK_SUPPORTED);
  EXPECT_EQ(U8(validator->ServicePack), "1");
  // A variant that never names it leaves ServicePack empty.
  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=SP1\r\n"), OSCHECK_SUPPORTED);
  EXPECT_EQ(U8(validator->ServicePack), "");
}

TEST_F(OSAllowance, AllowedListEntries) {
  struct Case {
    OSFacts system;
    const char* list;
    const char* name;
    int result;
  } cases[] = {
      {kWin10ProX64, "windows7+", "windows1064", 1},
      {kWin10ProX64, "WINDOWS1064", "windows1064", 1},
      {kWin10ProX64, "windows1064+", "", 1},       // the version decides, not the name
      {kWin10ProX64, "windows100+;windowsxp", "x", 1},
      {kWin81X64, "windows100+;windowsxp", "x", 0},
      {kWin81X64, "windows10+;windows8.164", "windows8.164", 1},  // a failing minimum goes on to the next entry
      {kWin81X64, "windows2012+", "x", 1},            // read as 2.0
      {kWin81X64, "windows+", "x", 1},                // no digits: 0.0
      {kWin10ProX86, "windows10064+", "x", 0},        // 64-bit entry on x86
      {kWin10ProX86, "windows100+", "x", 1},
      {kWin7UltimateX64Sp1, "windows61+", "x", 1},
      {kWin7UltimateX64Sp1, "windows62+", "x", 0},
      {kWin7UltimateX64Sp1, "", "windows764", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.list) + " / " + c.name);
    Verdict(c.system, "osallowed=x\r\n");
    EXPECT_EQ(validator->IsOSInAllowedList(U16(c.list), U16(c.name)), c.result);
  }
}

TEST_F(OSAllowance, WalkResultsWithoutAList) {
  Verdict(kWin10ProX64, "NoOSCheck=1\r\n");
  EXPECT_EQ(validator->CheckOSVariantsForExclusion(), -1);
  EXPECT_EQ(validator->CheckOSVariantsForWarning(), -1);
  // A missing key: nothing applies.
  EXPECT_EQ(validator->CheckOSVariant(u"windows1064exclude"), 1);
  // No atoms at all.
  EXPECT_EQ(validator->GetOSVariantConditionResult(u"&&"), 0);
  EXPECT_EQ(validator->GetOSVariantConditionResult(u""), 0);
}

TEST_F(OSAllowance, LongAndOddVariantListsNeverBreak) {
  std::string longVariant;
  for (int i = 0; i < 400; ++i) longVariant += (i ? "||" : "") + std::string("SKU") + std::to_string(i % 90);
  std::string odd = "&&!||&&;;&&!&&!;||||;!!;T&&!F;F||T;&&&&&&;|;&;";
  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=" + odd + "\r\n"), OSCHECK_SUPPORTED)
      << log.All();
  // The [OS] section is read up to 2,000 characters; the key still comes first.
  EXPECT_EQ(Verdict(kWin10ProX64, "osallowed=Windows1064\r\nwindows1064exclude=" + longVariant.substr(0, 1900) + "\r\n"),
            OSCHECK_ERROR)
      << log.All();
}

}  // namespace
}  // namespace tovu
