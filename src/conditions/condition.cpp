#include "conditions/condition.h"

#include <algorithm>

#include "conditions/condition_rules.h"
#include "container/pe_file.h"
#include "settings/package_settings.h"
#include "util/format.h"

namespace tovu {

namespace {

constexpr const char16_t* kAction1Condition = u"Action1Condition";
constexpr const char16_t* kAction1 = u"Action1";
constexpr const char16_t* kAction1Message = u"Action1Message";
constexpr const char16_t* kExtractAction = u"Extract";
// Registry text values are held in a buffer of this many characters.
constexpr size_t kRegistryTextChars = 1024;

Text Decimal(int n) {
  const std::string s = std::to_string(n);
  return Text(s.begin(), s.end());
}

// UTF-16LE code units of registry data up to the first zero (an odd last
// byte is ignored), at most `limit` of them.
Text RegistryText(const std::vector<uint8_t>& data, size_t start, size_t limit, size_t* end = nullptr) {
  Text out;
  size_t i = start;
  for (; i + 1 < data.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (c == 0) break;
    if (out.size() < limit) out.push_back(c);
  }
  if (end) *end = i;
  return out;
}

// A settings value as pkg::ReadText reads it, from a reading already made.
Text SettingsText(const CParsedProfile& settings, const Text& section, const Text& key) {
  return settings.GetString(section, key, Text(), pkg::kValueBufferChars);
}

}  // namespace

// ---- CConditionValidator ----------------------------------------------------------

void CConditionValidator::GetConditionNames(const Text& settingsFile, std::vector<Text>& names) {
  const Text expression = pkg::ReadText(profile_, settingsFile, pkg::section::kConditions, kAction1Condition);
  if (expression.empty()) return;
  for (Text& n : ConditionNamesOf(expression)) names.push_back(std::move(n));
}

void CConditionValidator::GetConditionNames(const CParsedProfile& settings, std::vector<Text>& names) {
  const Text expression = SettingsText(settings, pkg::section::kConditions, kAction1Condition);
  if (expression.empty()) return;
  for (Text& n : ConditionNamesOf(expression)) names.push_back(std::move(n));
}

// ---- CCondition: reading ------------------------------------------------------------

CCondition::CCondition(IPlatform& platform, CLogFile& log, const Text& settingsFile)
    : platform_(platform), log_(log), settingsFile_(settingsFile) {}

void CCondition::ReadConditions(int languageId) {
  const CParsedProfile settings = ReadSettings();
  std::vector<Text> names;
  CConditionValidator::GetConditionNames(settings, names);
  for (const Text& name : names) {
    const Text value = SettingsText(settings, pkg::section::kConditions, name);
    if (value.empty()) break;
    log_.WriteLog(LOG_INFO, u"CCondition::ReadConditions", u"%s : %s", name, value);
    CConditionParts c;
    c.Number = static_cast<uint16_t>(DecimalPrefix(TextView(name).substr(9)));  // after "condition"
    const std::vector<Text> fields = SplitFields(value, u';');
    Text* slots[] = {&c.Type, &c.Path, &c.Operator, &c.Value, &c.MessageKey};
    for (size_t i = 0; i < fields.size() && i < 5; ++i) *slots[i] = fields[i];
    c.MessageText = KeyMessageText(settings, languageId, c.MessageKey);
    conditions_.push_back(std::move(c));
  }
}

void CCondition::ReadActions() {
  const CParsedProfile settings = ReadSettings();
  const Text expression = SettingsText(settings, pkg::section::kConditions, kAction1Condition);
  if (expression.empty()) return;
  CAction a;
  a.Condition = expression;
  a.Name = SettingsText(settings, pkg::section::kConditions, kAction1);
  a.MessageKey = SettingsText(settings, pkg::section::kConditions, kAction1Message);
  actions_.push_back(std::move(a));
}

void CCondition::ReadRegEntries(int is64) {
  const Text section = is64 ? pkg::section::kReadRegEntries64 : pkg::section::kReadRegEntries;
  const CParsedProfile settings = ReadSettings();
  for (int n = 1;; ++n) {
    const int root = settings.GetInt(section, pkg::NumberedKey(u"Root", n), -1);
    if (root == -1) break;
    RegEntryRecord r;
    r.Root = root;
    r.Key = SettingsText(settings, section, pkg::NumberedKey(u"Key", n));
    r.Entry = SettingsText(settings, section, pkg::NumberedKey(u"Entry", n));
    r.Property = SettingsText(settings, section, pkg::NumberedKey(u"Property", n));
    r.Is64 = is64 != 0;
    regEntries_.push_back(std::move(r));
  }
}

Text CCondition::GetKeyMessageText(int languageId, const Text& key) {
  return KeyMessageText(ReadSettings(), languageId, key);
}

Text CCondition::KeyMessageText(const CParsedProfile& settings, int languageId, const Text& key) {
  size_t start = 0, end = key.size();
  while (start < end && key[start] == u'{') ++start;
  while (start < end && key[end - 1] == u'}') --end;
  return SettingsText(settings, Decimal(languageId), key.substr(start, end - start));
}

// ---- CCondition: machine queries ----------------------------------------------------

int CCondition::ReadRegistryValue(int root, const Text& key, const Text& valueName, Text& value, bool is64) {
  value.clear();
  if (root < 0 || root > 3) return kRegValueNotFound;
  RegistryValue v;
  if (platform_.ReadRegistryValue(static_cast<RegRoot>(root), key, valueName, is64 ? RegView::k64 : RegView::k32,
                                  v) != 0)
    return kRegValueNotFound;
  switch (v.type) {
    case regtype::kDword: {
      uint32_t d = 0;
      for (size_t i = std::min<size_t>(v.data.size(), 4); i > 0; --i) d = (d << 8) | v.data[i - 1];
      value = Decimal(static_cast<int32_t>(d));
      break;
    }
    case regtype::kBinary: break;
    default:  // REG_MULTI_SZ: its first string; the others: the data as text
      value = RegistryText(v.data, 0, kRegistryTextChars - 1);
      break;
  }
  return kRegValueFound;
}

Text CCondition::ReadRegistryPath(const Text& path, int& status, bool is64) {
  const std::vector<Text> parts = SplitFields(StripBraces(path), u'\\');
  if (parts.empty()) {
    status = kRegValueNotFound;
    return Text();
  }
  int root = -1;
  if (parts.front() == u"HKEY_CLASSES_ROOT") root = 0;
  else if (parts.front() == u"HKEY_CURRENT_USER") root = 1;
  else if (parts.front() == u"HKEY_LOCAL_MACHINE") root = 2;
  else if (parts.front() == u"HKEY_USERS") root = 3;
  Text key;
  for (size_t i = 1; i + 1 < parts.size(); ++i) {
    if (!key.empty()) key += u'\\';
    key += parts[i];
  }
  Text value;
  status = ReadRegistryValue(root, key, parts.back(), value, is64);
  return value;
}

Text CCondition::ExpandPath(const Text& path) {
  Text p = TrimBracesAndBlanks(path);
  if (p.size() <= 4) return p;
  const size_t open = p.find(u"[%");
  if (open == Text::npos) return p;
  const size_t close = p.find(u"%]", open + 2);
  if (close == Text::npos) return p;
  const Text name = p.substr(open + 2, close - open - 2);
  Text value;
  if (name.empty() || !platform_.GetEnv(name, value)) return p;
  if (!value.empty() && value.back() != u'\\') value += u'\\';
  p.replace(open, close + 2 - open, value);
  return p;
}

bool CCondition::FileExists(const Text& path) {
  if (path.size() >= 256) return false;
  std::unique_ptr<IFileReader> f;
  return platform_.OpenRead(path, f) == 0;
}

Text CCondition::GetFileVersion(const Text& path) {
  uint16_t parts[4] = {0, 0, 0, 0};
  uint32_t e = platform_.FileVersion(path, parts);
  if (e == winerr::kNotSupported) e = ReadPeFileVersion(platform_, path, parts) ? 0 : winerr::kResourceTypeNotFound;
  if (e == winerr::kNotEnoughMemory) {
    log_.WriteLog(LOG_ERROR, u"CInstallFile::GetFileVersion()", u"Not enought memory!");
    return Text();
  }
  if (e != 0) return Text();
  return Format(u"%d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]);
}

// ---- CCondition: evaluation ---------------------------------------------------------

void CCondition::EvaluateReadRegEntries() {
  for (RegEntryRecord& r : regEntries_) {
    log_.WriteLog(LOG_INFO, u"EvaluateReadRegEntries", u"Reading Registry : %s",
                  Format(u"Root = %d Key = %s Entry = %s", r.Root, r.Key, r.Entry));
    ReadRegistryValue(r.Root, r.Key, r.Entry, r.ReadValue, r.Is64);
    log_.WriteLog(LOG_INFO, u"EvaluateReadRegEntries", u"Registry Value : %s", r.ReadValue);
    log_.WriteLog(LOG_INFO, u"EvaluateReadRegEntries", u"Property : %s = %s", r.Property, r.ReadValue);
  }
}

void CCondition::ApplyProperties() {
  for (const RegEntryRecord& r : regEntries_) {
    const Text reference = u"[" + r.Property + u"]";
    Text value = r.ReadValue;
    for (CConditionParts& c : conditions_) {
      // From the first file condition on, the value is a folder.
      if (EqualsNoCase(c.Type, condtype::kFile) && !value.empty() && value.back() != u'\\') value += u'\\';
      ReplaceAll(c.Path, reference, value);
    }
  }
}

void CCondition::EvaluateConditions() {
  constexpr const char16_t* kFn = u"CCondition::EvaluateConditions";
  for (CConditionParts& c : conditions_) {
    Text op = c.Operator;
    op.erase(std::remove_if(op.begin(), op.end(), IsBlank), op.end());
    log_.WriteLog(LOG_INFO, kFn, u"Operator : %s", op);
    int result = 0;
    if (EqualsNoCase(c.Type, condtype::kFile)) {
      const Text p = ExpandPath(c.Path);
      log_.WriteLog(LOG_INFO, kFn, u"Finding file : %s", p);
      const bool exists = FileExists(p);
      if (EqualsNoCase(op, condop::kNotExist)) {
        result = exists ? 0 : 1;
      } else if (EqualsNoCase(op, condop::kExist)) {
        result = exists ? 1 : 0;
      } else if (op == condop::kExists) {
        result = exists ? 1 : 0;
      } else {
        const Text version = GetFileVersion(p);
        const Text expected = TrimBracesAndBlanks(c.Value);
        log_.WriteLog(LOG_INFO, kFn, u"Compare Versions : %s and %s ", version, expected);
        if (!version.empty()) result = EvaluateRelation(op, CompareVersions(version, expected)) ? 1 : 0;
        if (op == condop::kEqual && version.empty() && expected.empty()) result = 1;
      }
    } else if (EqualsNoCase(c.Type, condtype::kRegistry) || EqualsNoCase(c.Type, condtype::kRegistry64)) {
      const Text expected = StripBraces(c.Value);
      int status = kRegValueNotFound;
      const Text value = ReadRegistryPath(c.Path, status, EqualsNoCase(c.Type, condtype::kRegistry64));
      if (EqualsNoCase(op, condop::kNotExist)) {
        result = status == kRegValueNotFound ? 1 : 0;
      } else if (EqualsNoCase(op, condop::kExist)) {
        result = status == kRegValueFound ? 1 : 0;
      } else if (op == condop::kEqual) {
        log_.WriteLog(LOG_INFO, kFn, u"Compare Values : %s and %s ", value, expected);
        if (status != kRegValueNotFound)
          result = ((value.empty() && expected.empty()) || EqualsNoCase(value, expected)) ? 1 : 0;
      } else if (op == condop::kExists) {
        result = status == kRegValueFound ? 1 : 0;
      } else {
        log_.WriteLog(LOG_INFO, kFn, u"Compare Values : %s and %s ", value, expected);
        if (status == kRegValueFound && !value.empty()) {
          if (IsVersionText(expected))
            result = EvaluateRelation(op, CompareVersions(value, expected)) ? 1 : 0;
          else
            result = CompareStrings(value, expected, op) ? 1 : 0;
        }
      }
      if (op == condop::kNotEqual && status == kRegValueFound && (value.empty() != expected.empty())) result = 1;
    }
    c.Result = result;
    log_.WriteLog(LOG_INFO, kFn, u"Condition%d = %d", static_cast<unsigned>(c.Number), result);
  }
}

void CCondition::StoreResults() {
  for (const CConditionParts& c : conditions_) results_[c.Number] = c.Result;
}

void CCondition::EvaluateActionConditions() {
  constexpr const char16_t* kFn = u"CCondition::EvaluateActionConditions";
  for (CAction& a : actions_) {
    CTovuConditionParser parser;
    if (parser.Evaluate(a.Condition, results_, nameList_) == kConditionTrue) {
      log_.WriteLog(LOG_INFO, kFn, u"Action condition is satisfied");
      a.Satisfied = 1;
    } else {
      log_.WriteLog(LOG_WARNING, kFn, u"Action condition is not satisfied");
    }
  }
}

int CCondition::IsExtractAllowed() {
  for (const CAction& a : actions_)
    if (EqualsNoCase(a.Name, kExtractAction) && a.Satisfied == 1) return 1;
  return 0;
}

Text CCondition::BuildConditionMessageKeys(int languageId) {
  Text text;
  Text actionKey, expression;
  if (!actions_.empty()) {
    const CAction& a = actions_.back();
    actionKey = a.MessageKey;
    expression = a.Condition;
    text = u"{" + actionKey + u"};";
    listedKeys_.push_back(actionKey);
  }
  const Text bracedActionKey = u"{" + actionKey + u"}";
  for (const CConditionParts& c : conditions_) {
    if (c.Result != 0 || c.MessageKey == u"{}") continue;
    const Text name = Format(u"Condition%d", static_cast<unsigned>(c.Number));
    const bool named = std::any_of(nameList_.begin(), nameList_.end(),
                                   [&](const Text& n) { return EqualsNoCase(n, name); });
    if (!named) continue;
    if (EqualsNoCase(c.MessageKey, bracedActionKey)) continue;
    if (std::any_of(listedKeys_.begin(), listedKeys_.end(),
                    [&](const Text& k) { return EqualsNoCase(k, c.MessageKey); }))
      continue;
    if (IsConditionNegated(expression, name)) continue;
    text += c.MessageKey + u";";
    listedKeys_.push_back(c.MessageKey);
  }
  return text;
}

}  // namespace tovu
