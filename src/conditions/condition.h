// The package's extraction requirements: the [Conditions] section of the
// package settings, the registry values read into properties beforehand
// (sections ReadRegEntries and ReadRegEntries64), the evaluation of each
// registry, file and file-version condition against the machine, the
// reduction of Action1Condition (CTovuConditionParser) and the message keys
// of the requirements that are not met.
//
// A CCondition is made on the stack for one check and discarded after it;
// every registry and file query is repeated on every check. Each reading
// step (ReadConditions, ReadActions, ReadRegEntries) reads the settings
// file once. The whole
// sequence is CheckConditions (conditions/check_conditions.h); the single
// steps are public for the wizard page and for tests.
//
// Settings format (values at most 1,023 characters, key names ignore case):
//   [Conditions] Action1Condition = (Condition1 and not Condition2)
//                Action1 = Extract, Action1Message = MsgRequirements
//                Condition<n> = type;path;operator;value;message key
//                  e.g. {Registry};HKEY_LOCAL_MACHINE\SOFTWARE\Tool\Version;{>=};{2.0};{MsgToolVersion}
//   [ReadRegEntries] / [ReadRegEntries64]  Root<n>, Key<n>, Entry<n>, Property<n>
//   [<language id>] <message key> = text
#pragma once

#include <cstdint>
#include <vector>

#include "conditions/condition_parser.h"
#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/profile.h"
#include "util/text.h"

namespace tovu {

// Registry and value results of ReadRegistryValue.
constexpr int kRegValueFound = 1;
constexpr int kRegValueNotFound = -2;

// One Condition<n> as read.
class CConditionParts {
 public:
  virtual ~CConditionParts() = default;
  Text Type;         // field 1: {Registry}, {Registry64} or {File}
  Text Path;         // field 2; property references are replaced in place
  Text Operator;     // field 3
  Text MessageKey;   // field 5 as written, with braces
  Text MessageText;  // the text of MessageKey in the language section
  Text Value;        // field 4 as written
  uint16_t Number = 0;
  int Result = 0;
};

// The action guarded by Action1Condition.
class CAction {
 public:
  virtual ~CAction() = default;
  Text Condition;   // Action1Condition as written
  Text Name;        // Action1; only "Extract" has an effect
  Text MessageKey;  // Action1Message
  uint16_t Number = 0;
  int Satisfied = 0;
};

// One registry value read into a property before the evaluation.
struct RegEntryRecord {
  Text Property;
  Text Entry;
  Text Key;
  Text ReadValue;
  bool Is64 = false;
  int Root = -1;  // 0 HKCR, 1 HKCU, 2 HKLM, 3 HKU; any other number: no root
};

// Contributes the condition names of Action1Condition to the reading.
class CConditionValidator {
 public:
  explicit CConditionValidator(IPlatform& platform) : profile_(platform) {}
  virtual ~CConditionValidator() = default;
  // Adds the lower-cased names used by Action1Condition to `names`, in order
  // of appearance; nothing when the expression is empty or missing.
  void GetConditionNames(const Text& settingsFile, std::vector<Text>& names);
  // The same from a reading of the settings file already made.
  static void GetConditionNames(const CParsedProfile& settings, std::vector<Text>& names);

 private:
  CProfile profile_;
};

class CCondition {
 public:
  CCondition(IPlatform& platform, CLogFile& log, const Text& settingsFile);
  virtual ~CCondition() = default;

  // ---- reading ---------------------------------------------------------------
  // Reads the conditions named by Action1Condition, in order, stopping at
  // the first name without a value; each gets its message text from the
  // language section.
  void ReadConditions(int languageId);
  // One CAction when Action1Condition is not empty.
  void ReadActions();
  // Section ReadRegEntries (is64 0) or ReadRegEntries64 (is64 1), entries
  // 1, 2, ... until Root<n> is missing.
  void ReadRegEntries(int is64);
  // The text of a message key (braces removed) in the section named by the
  // language id in decimal; empty when missing.
  Text GetKeyMessageText(int languageId, const Text& key);

  // ---- evaluation ------------------------------------------------------------
  // Reads every registry entry's value.
  void EvaluateReadRegEntries();
  // Replaces each "[Property]" in the condition paths by its value (with a
  // "\" added from the first file condition on).
  void ApplyProperties();
  // Sets every condition's Result.
  void EvaluateConditions();
  // condition number -> result.
  void StoreResults();
  // Reduces each action's expression; Satisfied is 1 when it is true.
  void EvaluateActionConditions();
  // "{<action key>};" followed by "<key>;" for each unmet, named, not
  // negated condition whose message key is not listed yet.
  Text BuildConditionMessageKeys(int languageId);
  // 1 when an action named "Extract" (ignoring case) is satisfied.
  int IsExtractAllowed();

  // ---- machine queries -------------------------------------------------------
  // 1 and the value as text (REG_DWORD in signed decimal, REG_MULTI_SZ its
  // first string, REG_BINARY empty, other types the data as text cut at
  // 1,023 characters), or -2 and empty. The 32-bit view, or the 64-bit view
  // with is64, named explicitly.
  int ReadRegistryValue(int root, const Text& key, const Text& valueName, Text& value, bool is64);
  // "HKEY_...\key\...\value name" (braces stripped): the value, with the
  // status of ReadRegistryValue.
  Text ReadRegistryPath(const Text& path, int& status, bool is64);
  // Braces and blanks removed at both ends; the first "[%NAME%]" replaced
  // by NAME's value with a trailing "\" when NAME is set.
  Text ExpandPath(const Text& path);
  // The file can be opened for reading (paths under 256 characters only).
  bool FileExists(const Text& path);
  // "a.b.c.d" of the file's version resource, or empty.
  Text GetFileVersion(const Text& path);

  // ---- state -----------------------------------------------------------------
  const Text& GetSettingsFile() const { return settingsFile_; }
  std::vector<CConditionParts>& GetConditions() { return conditions_; }
  std::vector<CAction>& GetActions() { return actions_; }
  std::vector<RegEntryRecord>& GetRegEntries() { return regEntries_; }
  const ConditionResultMap& GetResults() const { return results_; }
  const ConditionNameList& GetNameList() const { return nameList_; }
  const std::vector<Text>& GetListedKeys() const { return listedKeys_; }

 private:
  IPlatform& platform_;
  CLogFile& log_;
  Text settingsFile_;
  std::vector<CConditionParts> conditions_;
  std::vector<CAction> actions_;
  std::vector<RegEntryRecord> regEntries_;  // 32-bit entries first, then 64-bit ones
  ConditionResultMap results_;
  ConditionNameList nameList_;    // condition tokens found by the parser
  std::vector<Text> listedKeys_;  // message keys already listed

  // Each reading step reads the settings file once and answers all its
  // questions from that reading.
  CParsedProfile ReadSettings() const { return CParsedProfile(platform_, settingsFile_); }
  static Text KeyMessageText(const CParsedProfile& settings, int languageId, const Text& key);
};

}  // namespace tovu
