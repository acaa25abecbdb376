// COSValidator: identifies the running Windows system and turns what it
// reports (version numbers, build, product type, suite mask, processor
// architecture, edition product type, service pack) into the names the
// package's [OS] rules are written in. The names are keys of the [OS]
// section, entries of the allowed-systems list and its variant rules, the
// keys of the OS-specific extraction path and the words of the OS
// messages shown to the user.
//
// One object lives for the whole process. The application creates it at
// start with the process-wide platform, the log writer and the system's
// facts (CWin32OSFacts in the frame):
//
//   COSValidator os(Platform(), log, win32Facts);
//   os.SetSettingsFile(tovuTemp + u"Properties_Tovu.ini");
//   os.OSVersion(1);            // system-information block: raw numbers
//   ...
//   int verdict = os.OSVersion(0);  // full identification + allowance verdict
//   Text path = os.GetOSExtractPath();
//
// The fields below are the results; other parts read them directly (the
// allowance check also sets ServicePack to "0"). A second identification
// overwrites the fields it sets and leaves the others; OSSection is never
// cleared.
#pragma once

#include <cstdint>
#include <map>

#include "log/log_file.h"
#include "osrules/os_facts.h"
#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

// Allowance verdicts.
constexpr int OSCHECK_SUPPORTED = 300;  // allowed (also when the system cannot be identified)
constexpr int OSCHECK_WARNING = 301;    // allowed, a warning variant applies
constexpr int OSCHECK_ERROR = 302;      // not allowed

class COSValidator {
 public:
  // `platform` reads the settings file, `log` receives the lines of every
  // operation, `facts` answers the questions about the system. All three
  // must outlive the object.
  COSValidator(IPlatform& platform, CLogFile& log, IOSFacts& facts);
  virtual ~COSValidator() = default;

  // Remembers the full path of the unpacked package settings file.
  void SetSettingsFile(const Text& path);
  // Identifies the system. versionOnly nonzero: logs the raw version
  // numbers and returns -1. Zero: completes the names, logs them and
  // returns the allowance verdict (300, 301 or 302). 300 when the version
  // query fails or GetProductInfo is missing on a 6.0-10.0 system.
  int OSVersion(int versionOnly);
  // Reads the [OS] section of SettingsFile (at most 2,000 characters) into
  // OSSection: keys lower-cased, the first of duplicate keys kept, keys of
  // earlier reads left in place. Returns the number of entries read.
  int ReadOSSection();
  // The edition tables: sets editionCode ("SKU<type>") and edition from a
  // GetProductInfo product type; generation 1 (6.0) to 5 (10.0). A type in
  // no table for that generation leaves both as they are.
  void SetEditionFromProductType(uint32_t productType, int generation, Text& editionCode, Text& edition);
  // [OS] FamilyName+"ExtractPath", or when that is empty
  // VersionName+"ExtractPath" (key case ignored); each read is logged.
  // Empty when neither is set.
  Text GetOSExtractPath();

  // ---- the allowance check against the package's [OS] rules ---------------
  // Every operation below reads the names of the last identification and
  // OSSection; OSVersion(0) runs them. The keys they build are lower-case:
  // the allowed-systems entry (or the system's name) followed by "exclude"
  // or "warning".

  // The exclusion variants of the entries that list this system: 302 when
  // one applies, 300 when the system is listed and none applies, -1 when
  // the system is on the list in neither form (or there is no list).
  int CheckOSVariantsForExclusion();
  // The same with the warning variants: 301, 300 or -1.
  int CheckOSVariantsForWarning();
  // 1 when `name` (compared ignoring case) or, for a minimum-version entry
  // ("Windows7+", "Windows6164+"), this system's version is on the
  // ";"-separated list, else 0.
  int IsOSInAllowedList(const Text& list, const Text& name);
  // The digit text of a system name ("windows7" -> "61"); empty when the
  // name is not in the table.
  static Text VersionCodeOf(const Text& entry);
  // 1 when no variant of the [OS] key applies to this system (also when the
  // key is missing), 0 when one does (a value of ";" alone: every variant).
  int CheckOSVariant(const Text& key);
  // 1 when the variant ("SKU48&&!SP1", "Professional||Home", ...) applies.
  // A variant of more than two atoms must join them with one operator only;
  // a mix is logged and does not apply.
  int GetOSVariantConditionResult(const Text& variant);
  // Replaces the atom in the expression by "T" when it names a property of
  // this system (edition code, edition, service pack, product type word,
  // "Unknown Product"), else by "F"; the operators stay. An atom "0" or
  // "SP0" on a system without service pack sets ServicePack to "0".
  Text ValiodateOSVariants(const Text& atom, const Text& expression);
  // The reduction of a one- or two-atom expression ("T" when it applies).
  static Text ReduceVariantExpression(const Text& expression);
  // The result of a chain of more than two atoms joined by `op` only; a
  // chain of "&&!" means "the first atom and none of the others" (see
  // osrules::GetChainResult).
  static int GetChainResult(const Text& expression, const Text& op);

  // ---- results ---------------------------------------------------------
  Text OSName;           // ProductName before lower-casing, e.g. "Windows1064" (full mode only)
  Text Edition;          // e.g. "Professional", "Standard", "Unknown Product"
  Text ProductName;      // e.g. "Windows1064"; lower-cased by a full identification
  Text VersionCode;      // "Windows"+major+minor[+"64"]; lower-cased by a full identification
  Text EditionCode;      // "SKU<type>" or an edition word ("Basic", "Standard", ...)
  Text ServicePack;      // decimal digits ("3") or empty (full mode only)
  Text ProductTypeWord;  // "prod1", "prod2", "prod3"
  uint32_t MajorVersion = 0;
  uint32_t MinorVersion = 0;
  int Is64Bit = 0;  // 1 once 64-bit names were chosen (x64 or Itanium)
  Text SettingsFile;
  std::map<Text, Text> OSSection;  // [OS] entries, keys lower-cased
  Text ServicePackText;            // the service-pack string as reported (full mode only)
  Text FamilyName;                 // e.g. "Windows10", "Windows2016", "Windows8.1"
  Text VersionName;                // "Windows"+major+minor, e.g. "Windows100"

 private:
  enum class NameMode { kAlwaysPlus64, k64OrX86, kNo64 };

  int Identify(int versionOnly);
  // Sets FamilyName and, by the mode, ProductName and VersionCode (the
  // 64-bit forms add "64" to FamilyName and VersionName).
  void SetNames(TextView family, NameMode mode);
  // Rows 6.0 to 10.0: names, preset edition and the edition table.
  // false when GetProductInfo is missing (already logged).
  bool NameModernSystem(const OSVersionInfo& info);
  void NameServer2003Family(const OSVersionInfo& info);
  // The allowance verdict of a full identification: the exclusion
  // variants, and when none excludes the system its warning variants.
  int CheckAllowedOSVariants();
  // The walk of CheckOSVariantsForExclusion and ...ForWarning: `suffix`
  // "exclude" or "warning", `hit` 302 or 301.
  int CheckOSVariants(TextView suffix, int hit);

  IPlatform& platform_;
  CLogFile& log_;
  IOSFacts& facts_;
  bool is64_ = false;  // architecture of the current identification
  bool isX86_ = false;
};

}  // namespace tovu
