#include "osrules/os_validator.h"

#include <vector>

#include "osrules/os_variant_rules.h"
#include "settings/package_settings.h"
#include "settings/profile.h"

namespace tovu {
namespace {

constexpr char16_t kFunction[] = u"OSVersion";
constexpr char16_t kUnknownProduct[] = u"Unknown Product";
// The [OS] section is read into a buffer of this many characters.
constexpr size_t kOSSectionChars = 2000;

Text Decimal(uint32_t n) { return Format(u"%u", n); }

// Product types 1-25, known to every generation.
constexpr const char16_t* kEditions1To25[] = {
    u"Ultimate",                 // 1
    u"Home Basic",               // 2
    u"Home Premium",             // 3
    u"Enterprise",               // 4
    u"Home Basic(N)",            // 5
    u"Business",                 // 6
    u"Standard Server",          // 7
    u"DataCenter Server",        // 8
    u"Small Business Server",    // 9
    u"Enterprise Server",        // 10
    u"Starter",                  // 11
    u"DataCenter Server Core",   // 12
    u"Standard Server Core",     // 13
    u"Enterprise Server Core",   // 14
    u"Enterprise Server IA64",   // 15
    u"Business(N)",              // 16
    u"Web Server",               // 17
    u"Cluster Server",           // 18
    u"Home Server",              // 19
    u"Storage Express Server",   // 20
    u"Storage Standard Server",  // 21
    u"Storage Workgroup Server", // 22
    u"Storage Enterprise Server",// 23
    u"Server for SmallBusiness", // 24
    u"Small Business Server Premium",  // 25
};

// Product types known from Windows 7 (generation 2) on.
struct LaterEdition {
  uint32_t type;
  const char16_t* name;
};
constexpr LaterEdition kEditionsFrom7[] = {
    {28, u"Ultimate(N)"},     {47, u"Starter(N)"},      {48, u"Professional"},
    {49, u"Professional(N)"}, {66, u"Starter(E)"},      {67, u"Home Basic(E)"},
    {68, u"Home Premium(E)"}, {69, u"Professional(E)"}, {70, u"Enterprise(E)"},
    {71, u"Ultimate(E)"},
};

// The 10.0 servers from this build on are Windows Server 2019.
constexpr uint32_t kServer2019Build = 17623;

// The characters stripped from the start of a service-pack string.
constexpr char16_t kServicePackPrefix[] = u"Service Pack ";

}  // namespace

COSValidator::COSValidator(IPlatform& platform, CLogFile& log, IOSFacts& facts)
    : platform_(platform), log_(log), facts_(facts) {}

void COSValidator::SetSettingsFile(const Text& path) { SettingsFile = path; }

int COSValidator::OSVersion(int versionOnly) {
  try {
    return Identify(versionOnly);
  } catch (...) {
    // A system that cannot be identified is allowed.
    return OSCHECK_SUPPORTED;
  }
}

int COSValidator::Identify(int versionOnly) {
  EditionCode = kUnknownProduct;
  Edition = kUnknownProduct;
  OSVersionInfo info;
  int verdict = -1;

  if (!facts_.QueryVersionEx(info)) {
    log_.WriteLog(LOG_ERROR, kFunction, u"GetVersionEx() failed");
    return OSCHECK_SUPPORTED;
  }

  ReadOSSection();

  EditionCode = u"Basic";
  uint16_t architecture = 0;
  if (!facts_.QueryNativeSystemInfo(architecture)) architecture = facts_.QuerySystemInfo();
  MajorVersion = info.majorVersion;
  MinorVersion = info.minorVersion;
  is64_ = architecture == osfacts::kArchAmd64 || architecture == osfacts::kArchIA64;
  isX86_ = architecture == osfacts::kArchIntel;

  const uint32_t major = info.majorVersion, minor = info.minorVersion;
  if (info.platformId == osfacts::kPlatformNT && major > 4) {
    if (major == 10 || major == 6) {
      if (!NameModernSystem(info)) return OSCHECK_SUPPORTED;
    } else if (major == 5 && minor == 2) {
      NameServer2003Family(info);
    } else if (major == 5 && minor == 1) {
      VersionName = u"Windows51";
      SetNames(u"WindowsXP", NameMode::kAlwaysPlus64);
      EditionCode = (info.suiteMask & osfacts::kSuitePersonal) ? u"Home" : u"Professional";
      Edition = EditionCode;
    } else if (major == 5 && minor == 0) {
      VersionName = u"Windows50";
      SetNames(u"Windows2000", NameMode::kNo64);
      if (info.productType == osfacts::kWorkstation) EditionCode = u"Professional";
      else if (info.suiteMask & osfacts::kSuiteDatacenter) EditionCode = u"DataCenter";
      else if (info.suiteMask & osfacts::kSuiteEnterprise) EditionCode = u"Enterprise";
      else EditionCode = u"Server";
      Edition = EditionCode;
    }
  } else if (major == 4 && (minor == 0 || minor == 10 || minor == 90)) {
    const char16_t* family = minor == 0 ? u"WindowsNT" : minor == 10 ? u"Windows95" : u"Windows98";
    VersionName = u"Windows4" + Decimal(minor);
    SetNames(family, NameMode::kNo64);
    Edition = EditionCode;  // "Basic"
  }

  if (VersionCode.empty()) {
    VersionName = u"Windows" + Decimal(major) + Decimal(minor);
    VersionCode = VersionName;
    if (is64_) {
      VersionCode += u"64";
      Is64Bit = 1;
    }
  }

  if (versionOnly) {
    const Text version = Format(u"%u.%u.%u.%u", major, minor, info.buildNumber, info.platformId);
    log_.WriteLog(LOG_INFO, kFunction, u"OS Version : %s", version);
    log_.WriteLog(LOG_INFO, kFunction, u"Major Version : %u", major);
    log_.WriteLog(LOG_INFO, kFunction, u"Minor Version : %u", minor);
    log_.WriteLog(LOG_INFO, kFunction, u"Product Type : %u", static_cast<uint32_t>(info.productType));
    return -1;
  }

  if (!info.csdVersion.empty()) {
    ServicePack = info.csdVersion;
    ServicePackText = info.csdVersion;
    const size_t start = ServicePack.find_first_not_of(kServicePackPrefix);
    ServicePack.erase(0, start == Text::npos ? ServicePack.size() : start);
  }
  if (info.servicePackMajor != 0) ServicePack = Decimal(info.servicePackMajor);

  OSName = ProductName;
  log_.WriteLog(LOG_INFO, kFunction, u"Operating System : %s", OSName);
  log_.WriteLog(LOG_INFO, kFunction, u"Operating System Edition : %s", Edition);
  log_.WriteLog(LOG_INFO, kFunction, u"Operating System ServicePack : %s", ServicePackText);

  ProductName = ToLower(ProductName);
  VersionCode = ToLower(VersionCode);

  switch (info.productType) {
    case osfacts::kWorkstation: ProductTypeWord = u"prod1"; break;
    case osfacts::kDomainController: ProductTypeWord = u"prod2"; break;
    case osfacts::kServer: ProductTypeWord = u"prod3"; break;
    default: break;
  }

  const auto allowed = OSSection.find(pkg::key::kOsAllowed);
  if (allowed == OSSection.end() || allowed->second.empty()) {
    log_.WriteLog(LOG_INFO, kFunction, u"No OSes are supported");
    verdict = OSCHECK_ERROR;
  } else {
    log_.WriteLog(LOG_INFO, kFunction, u"Supported OSes : %s", allowed->second);
    verdict = CheckAllowedOSVariants();
  }
  if (verdict == -1) verdict = OSCHECK_SUPPORTED;
  return verdict;
}

void COSValidator::SetNames(TextView family, NameMode mode) {
  FamilyName = Text(family);
  const bool set64 = is64_ && mode != NameMode::kNo64;
  const bool set32 = mode != NameMode::k64OrX86 || isX86_;
  if (set32) {
    ProductName = FamilyName;
    VersionCode = VersionName;
  }
  if (set64) {
    ProductName = FamilyName + u"64";
    VersionCode = VersionName + u"64";
    Is64Bit = 1;
  }
}

bool COSValidator::NameModernSystem(const OSVersionInfo& info) {
  struct Row {
    uint32_t major, minor;
    int generation;
    const char16_t* versionName;
    const char16_t* workstation;  // product type 1
    NameMode workstationMode;
    const char16_t* workstationPreset;  // nullptr: no preset, nothing copied
    const char16_t* server;             // any other product type
  };
  static constexpr Row kRows[] = {
      {10, 0, 5, u"Windows100", u"Windows10", NameMode::kAlwaysPlus64, u"Standard", u"Windows2016"},
      {6, 3, 4, u"Windows63", u"Windows8.1", NameMode::kAlwaysPlus64, u"Standard", u"Windows2012R2"},
      {6, 2, 3, u"Windows62", u"Windows8", NameMode::kAlwaysPlus64, u"", u"Windows2012"},
      {6, 1, 2, u"Windows61", u"Windows7", NameMode::kAlwaysPlus64, u"Standard", u"Windows2008R2"},
      {6, 0, 1, u"Windows60", u"WindowsVista", NameMode::k64OrX86, nullptr, u"Windows2008"},
  };
  const Row* row = nullptr;
  for (const Row& r : kRows)
    if (r.major == info.majorVersion && r.minor == info.minorVersion) row = &r;
  if (!row) return true;  // a version no row names

  VersionName = row->versionName;
  const char16_t* preset = nullptr;
  if (info.productType == osfacts::kWorkstation) {
    SetNames(row->workstation, row->workstationMode);
    preset = row->workstationPreset;
  } else {
    const bool server2019 = row->major == 10 && info.buildNumber >= kServer2019Build;
    SetNames(server2019 ? u"Windows2019" : row->server, NameMode::k64OrX86);
    preset = u"Standard";
  }
  if (preset) {
    EditionCode = preset;
    Edition = EditionCode;
  }

  uint32_t productType = 0;
  if (!facts_.QueryProductInfo(info.majorVersion, info.minorVersion, 0, 0, productType)) {
    log_.WriteLog(LOG_ERROR, u"GetProcAddress", u"Failed to get the OS information");
    return false;
  }
  SetEditionFromProductType(productType, row->generation, EditionCode, Edition);
  return true;
}

void COSValidator::NameServer2003Family(const OSVersionInfo& info) {
  VersionName = u"Windows52";
  bool suiteRule = true;
  if (facts_.QuerySystemMetrics(osfacts::kSmServerR2) != 0) {
    SetNames(u"Windows2003R2", NameMode::k64OrX86);
  } else if (info.suiteMask == osfacts::kSuiteStorageServer) {
    FamilyName = u"Windows2003R2";
    EditionCode = u"StorageServer";
  } else if (info.suiteMask == osfacts::kSuiteWHServer) {
    FamilyName = u"Windows2003R2";
    EditionCode = u"Home";
  } else if (info.productType == osfacts::kWorkstation) {
    SetNames(u"WindowsXP", NameMode::k64OrX86);
    suiteRule = false;
  } else {
    SetNames(u"Windows2003", NameMode::k64OrX86);
  }
  if (suiteRule && info.productType != osfacts::kWorkstation) {
    if (info.suiteMask & osfacts::kSuiteDatacenter) EditionCode = u"Datacenter";
    else if (info.suiteMask & osfacts::kSuiteEnterprise) EditionCode = u"Enterprise";
    else if (info.suiteMask & osfacts::kSuiteBlade) EditionCode = u"WebEdition";
    else EditionCode = u"Standard";
  }
  Edition = EditionCode;
}

void COSValidator::SetEditionFromProductType(uint32_t productType, int generation, Text& editionCode,
                                             Text& edition) {
  const char16_t* name = nullptr;
  if (productType >= 1 && productType <= 25) {
    name = kEditions1To25[productType - 1];
  } else if (generation >= 2 && generation <= 5) {
    for (const LaterEdition& e : kEditionsFrom7)
      if (e.type == productType) name = e.name;
  }
  if (!name) return;
  editionCode = u"SKU" + Decimal(productType);
  edition = name;
}

int COSValidator::ReadOSSection() {
  try {
    CProfile profile(platform_);
    const std::vector<Text> entries = profile.GetSection(SettingsFile, pkg::section::kOS, kOSSectionChars);
    int count = 0;
    // From the last entry to the first, so that the first of two entries
    // with the same key is the one left in the map.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      const Text& entry = *it;
      if (entry.empty()) continue;
      const size_t eq = entry.find(u'=');
      if (eq == Text::npos) OSSection[Text()] = entry;
      else OSSection[ToLower(TextView(entry).substr(0, eq))] = entry.substr(eq + 1);
      ++count;
    }
    return count;
  } catch (...) {
    return 0;
  }
}

Text COSValidator::GetOSExtractPath() {
  try {
    CProfile profile(platform_);
    Text key = FamilyName + u"ExtractPath";
    Text value = pkg::ReadText(profile, SettingsFile, pkg::section::kOS, key);
    log_.WriteLog(LOG_INFO, u"", u"%s : %s", key, value);
    if (value.empty()) {
      key = VersionName + u"ExtractPath";
      value = pkg::ReadText(profile, SettingsFile, pkg::section::kOS, key);
      log_.WriteLog(LOG_INFO, u"", u"%s : %s", key, value);
    }
    return value;
  } catch (...) {
    return Text();
  }
}

int COSValidator::CheckAllowedOSVariants() {
  const int exclusion = CheckOSVariantsForExclusion();
  if (exclusion == OSCHECK_SUPPORTED) {
    const int warning = CheckOSVariantsForWarning();
    if (warning == OSCHECK_WARNING) log_.WriteLog(LOG_INFO, kFunction, u"Show Warning for OS");
    return warning;
  }
  log_.WriteLog(LOG_INFO, kFunction, u"Show Error for OS");
  return OSCHECK_ERROR;
}

int COSValidator::CheckOSVariantsForExclusion() { return CheckOSVariants(u"exclude", OSCHECK_ERROR); }

int COSValidator::CheckOSVariantsForWarning() { return CheckOSVariants(u"warning", OSCHECK_WARNING); }

int COSValidator::CheckOSVariants(TextView suffix, int hit) {
  int result = -1;
  ProductName = ToLower(ProductName);
  const auto allowed = OSSection.find(pkg::key::kOsAllowed);
  if (allowed == OSSection.end()) return -1;
  const Text list = ToLower(allowed->second);
  const std::vector<Text> entries = osrules::SplitList(list);

  // Walks the entries from the system's own name: a minimum-version entry
  // takes over the key of the entries after it.
  auto walk = [&](const Text& start) {
    Text n = start;
    for (const Text& entry : entries) {
      if (EndsWith(entry, u"+")) n = entry;
      if (CheckOSVariant(n + Text(suffix)) == 0) {
        result = hit;
        return;
      }
      result = OSCHECK_SUPPORTED;
    }
  };
  if (IsOSInAllowedList(list, ProductName) == 1) walk(ProductName);
  if (IsOSInAllowedList(list, VersionCode) == 1 && (result == OSCHECK_SUPPORTED || result == -1)) walk(VersionCode);
  return result;
}

int COSValidator::IsOSInAllowedList(const Text& list, const Text& name) {
  for (const Text& entry : osrules::SplitList(list)) {
    if (EqualsNoCase(entry, name)) return 1;
    if (!EndsWith(entry, u"+")) continue;
    Text plain = ToLower(entry);
    ReplaceAll(plain, u"+", u"");
    Text digits = VersionCodeOf(plain);
    if (digits.empty()) {
      digits = plain;
      ReplaceAll(digits, u"windows", u"");
    }
    const osrules::MinimumVersion min = osrules::ParseMinimumVersion(digits);
    if (min.only64 && Is64Bit != 1) continue;
    if (MajorVersion > min.major || (MajorVersion == min.major && MinorVersion >= min.minor)) return 1;
  }
  return 0;
}

Text COSValidator::VersionCodeOf(const Text& entry) { return osrules::VersionCodeOf(entry); }

int COSValidator::CheckOSVariant(const Text& key) {
  constexpr char16_t kCheckOSVariant[] = u"CheckOSVariant";
  const auto it = OSSection.find(key);
  if (it == OSSection.end()) return 1;
  const Text& value = it->second;
  log_.WriteLog(LOG_INFO, kCheckOSVariant, u"%s  : %s", key, value);
  if (value == u";") {
    log_.WriteLog(LOG_INFO, kCheckOSVariant, u"All variants of %s are supported", ProductName);
    return 0;
  }
  for (const Text& variant : osrules::SplitList(value))
    if (GetOSVariantConditionResult(variant) == 1) return 0;
  return 1;
}

int COSValidator::GetOSVariantConditionResult(const Text& variant) {
  Text separated = variant;
  ReplaceAll(separated, osrules::kAndNot, u";");
  ReplaceAll(separated, osrules::kAnd, u";");
  ReplaceAll(separated, osrules::kOr, u";");
  const std::vector<Text> atoms = osrules::SplitList(separated);

  Text expression = variant;
  for (const Text& atom : atoms) expression = ValiodateOSVariants(atom, expression);

  if (atoms.empty()) return 0;
  if (atoms.size() <= 2) return ReduceVariantExpression(expression) == u"T" ? 1 : 0;
  const Text op = osrules::GetFirstVariantOperator(expression);
  if (osrules::IsSingleOperatorChain(expression, op) == 0) {
    log_.WriteLog(LOG_INFO, u"GetOSVariantConditionResult", u"Invalid variant combination. Current OS will be included");
    return 0;
  }
  return GetChainResult(expression, op);
}

Text COSValidator::ValiodateOSVariants(const Text& atom, const Text& expression) {
  constexpr char16_t kValiodateOSVariants[] = u"ValiodateOSVariants";
  if ((atom == u"0" || EqualsNoCase(atom, u"SP0")) && ServicePack.empty()) ServicePack = u"0";

  const char16_t* value = u"F";
  if (EqualsNoCase(atom, EditionCode)) {
    log_.WriteLog(LOG_INFO, kValiodateOSVariants, u"Edition : %s", EditionCode);
    value = u"T";
  } else if (EqualsNoCase(atom, Edition)) {
    log_.WriteLog(LOG_INFO, kValiodateOSVariants, u"Edition : %s", Edition);
    value = u"T";
  } else if (EqualsNoCase(atom, ServicePack) || EqualsNoCase(atom, u"SP" + ServicePack)) {
    log_.WriteLog(LOG_INFO, kValiodateOSVariants, u"Service Pack : %s", ServicePack);
    value = u"T";
  } else if (EqualsNoCase(atom, ProductTypeWord)) {
    log_.WriteLog(LOG_INFO, kValiodateOSVariants, u"Product Type : %s", ProductTypeWord);
    value = u"T";
  } else if (EqualsNoCase(atom, kUnknownProduct)) {
    log_.WriteLog(LOG_INFO, kValiodateOSVariants, u"Unknown Product");
    value = u"T";
  }

  Text marked = expression;
  ReplaceAll(marked, osrules::kAndNot, u";ANDNOT;");
  ReplaceAll(marked, osrules::kAnd, u";AND;");
  ReplaceAll(marked, osrules::kOr, u";OR;");
  Text out;
  for (Text token : osrules::SplitList(marked)) {
    // The operator words are found anywhere in a token, so an atom such as
    // "STANDARD" or "WORKSTATION" is read as an operator.
    if (token.find(u"OR") != Text::npos) {
      out += osrules::kOr;
    } else if (token.find(u"ANDNOT") != Text::npos) {
      out += osrules::kAndNot;
    } else if (token.find(u"AND") != Text::npos) {
      out += osrules::kAnd;
    } else {
      // Compared ignoring case, replaced by exact text: a token that
      // differs from the atom only in case stays as it is.
      if (EqualsNoCase(token, atom)) ReplaceAll(token, atom, value);
      out += token;
    }
  }
  return out;
}

Text COSValidator::ReduceVariantExpression(const Text& expression) {
  return osrules::ReduceVariantExpression(expression);
}

int COSValidator::GetChainResult(const Text& expression, const Text& op) {
  return osrules::GetChainResult(expression, op);
}

}  // namespace tovu
