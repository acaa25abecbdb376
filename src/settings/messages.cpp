#include "settings/messages.h"

#include <climits>
#include <string>

#include "cmdline/run_mode.h"
#include "settings/initializer.h"

namespace tovu {

namespace {

Text Decimal(int n) { return Widen(std::to_string(n)); }

// A section or the list of section names, read with a buffer that starts at
// kLanguageBufferChars and is doubled while the result fills it up to two
// characters.
template <typename ReadFn>
std::vector<Text> ReadGrowing(ReadFn read) {
  size_t size = kLanguageBufferChars;
  ProfileList list = read(size);
  while (list.count + 2 >= size && size < kMaxLanguageBufferChars) {
    size *= 2;
    list = read(size);
  }
  return std::move(list.items);
}

// A section line split at its first "=" (no "=": all key, empty text).
void SplitLine(const Text& line, Text& key, Text& text) {
  const size_t eq = line.find(u'=');
  if (eq == Text::npos) {
    key = line;
    text.clear();
  } else {
    key = line.substr(0, eq);
    text = line.substr(eq + 1);
  }
}

bool IsCrtBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

// ---- placeholders ----------------------------------------------------------

Text ReplacePlaceholders(TextView text, std::span<const PlaceholderValue> values) {
  Text out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const PlaceholderValue* hit = nullptr;
    if (text[i] == u'[') {
      for (const PlaceholderValue& v : values) {
        if (!v.name.empty() && text.substr(i, v.name.size()) == v.name) {
          hit = &v;
          break;
        }
      }
    }
    if (hit) {
      out.append(hit->value);
      i += hit->name.size();
    } else {
      out.push_back(text[i]);
      ++i;
    }
  }
  return out;
}

Text ReplacePlaceholders(TextView text, std::initializer_list<PlaceholderValue> values) {
  return ReplacePlaceholders(text, std::span<const PlaceholderValue>(values.begin(), values.size()));
}

Text ExpandSettingsText(TextView text) {
  return ReplacePlaceholders(text, {{placeholder::kNewline, kLineBreak}, {placeholder::kTab, kTabCharacter}});
}

// ---- helpers -------------------------------------------------------------------

Text LanguageFilePath(const Text& folder, int lcid) {
  return folder + kLanguageFileStem + Decimal(lcid) + kLanguageFileExtension;
}

int MessageNumberFromKey(TextView key) {
  size_t i = 0;
  while (i < key.size() && IsCrtBlank(key[i])) ++i;
  bool negative = false;
  if (i < key.size() && (key[i] == u'+' || key[i] == u'-')) {
    negative = key[i] == u'-';
    ++i;
  }
  long long value = 0;
  for (; i < key.size() && key[i] >= u'0' && key[i] <= u'9'; ++i) {
    value = value * 10 + (key[i] - u'0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

Text DriveOfFolder(const Text& folder) {
  if (folder.size() >= 2 && folder[1] == u':' &&
      ((folder[0] >= u'A' && folder[0] <= u'Z') || (folder[0] >= u'a' && folder[0] <= u'z')))
    return folder.substr(0, 2);
  if (folder.size() > 2 && folder[0] == u'\\' && folder[1] == u'\\') {
    const size_t server = folder.find(u'\\', 2);
    if (server == Text::npos || server == 2) return Text();
    const size_t share = folder.find(u'\\', server + 1);
    if (share == server + 1 || server + 1 == folder.size()) return Text();
    return folder.substr(0, share);
  }
  return Text();
}

// ---- the catalogue ------------------------------------------------------------

CMessageCatalog::CMessageCatalog(IPlatform& platform, IBuiltInMessageTexts& builtIn)
    : platform_(platform), builtIn_(&builtIn), profile_(platform) {}

Text CMessageCatalog::GetMessageText(int number) const {
  try {
    const auto it = map_.find(number);
    if (it != map_.end()) return it->second;
    return builtIn_->LoadText(number);
  } catch (...) {
    return Text();
  }
}

int CMessageCatalog::LoadLanguageFile(int lcid, const Text& folder) {
  if (lcid == kEnglishLcid) {
    map_.clear();
    return LANGFILE_ENGLISH;
  }
  try {
    const Text file = LanguageFilePath(folder, lcid);
    uint32_t error = 0;
    const uint32_t attributes = platform_.FileAttributes(file, &error);
    if (attributes == fileattr::kInvalid || (attributes & fileattr::kDirectory)) return LANGFILE_LOADED;

    // One reading of the file for the whole load: every section is
    // answered from it.
    const CParsedProfile reading(platform_, file);
    const Text expectedId = Decimal(lcid);
    const std::vector<Text> info =
        ReadGrowing([&](size_t size) { return reading.ReadSection(kFileInfoSection, size); });
    Text key, text;
    for (const Text& line : info) {
      SplitLine(line, key, text);
      if (key != kFileInfoIdKey) continue;
      if (!EqualsNoCase(text, expectedId)) return LANGFILE_WRONG_ID;
      break;
    }

    // Built aside and merged at the end, so that a failure part-way leaves
    // the map as it was.
    std::map<int, Text> loaded;
    const std::vector<Text> sections =
        ReadGrowing([&](size_t size) { return reading.ReadSectionNames(size); });
    for (const Text& section : sections) {
      const std::vector<Text> lines =
          ReadGrowing([&](size_t size) { return reading.ReadSection(section, size); });
      for (const Text& line : lines) {
        SplitLine(line, key, text);
        loaded[MessageNumberFromKey(key)] =
            ReplacePlaceholders(text, {{placeholder::kNewline, kLineBreak}});
      }
    }
    for (auto& [number, value] : loaded) map_[number] = std::move(value);
    return LANGFILE_LOADED;
  } catch (...) {
    return LANGFILE_LOADED;
  }
}

Text CMessageCatalog::GetLangName(int lcid, const Text& tovuTempFolder) {
  return profile_.GetString(LanguageFilePath(tovuTempFolder, lcid), kFileInfoSection, kFileInfoLangNameKey, Text());
}

Text CMessageCatalog::GetLanguageButtonText(int lcid, const Text& tovuTempFolder) {
  const Text caption =
      profile_.GetString(tovuTempFolder + kLanguageChoiceFileName, kRadioButtonSection, Decimal(lcid), Text());
  return caption.empty() ? Text(kUnknownLanguage) : caption;
}

ExtractionErrorTexts CMessageCatalog::DescribeExtractionError(int code, const Text& fileName,
                                                              const Text& extractionFolder) const {
  ExtractionErrorTexts t;
  const auto withFile = [&](int message) {
    return ReplacePlaceholders(GetMessageText(message), {{placeholder::kFileName, fileName}});
  };
  switch (code) {
    case -5:
      t.userText = withFile(MSG_PART_FILE_CORRUPT);
      t.logText = u"Part file " + fileName + u" is corrupt.";
      break;
    case -3:
      t.userText = withFile(MSG_PART_FILE_INVALID);
      t.logText = u"Part file " + fileName + u" is invalid.";
      break;
    case -2:
    case 1:
      t.userText = withFile(MSG_PART_FILE_NOT_FOUND);
      t.logText = u"Part file " + fileName + u" not found";
      break;
    case 5:
      t.userText = GetMessageText(MSG_ACCESS_DENIED);
      t.logText = u"Access is denied.";
      break;
    case 32:
      t.userText = ReplacePlaceholders(GetMessageText(MSG_FILE_IN_USE),
                                       {{placeholder::kFileName, fileName}, {placeholder::kNewline, kLineBreak}});
      t.logText = u"Cannot copy " + fileName +
                  u" It is being used by another person or program.Close any programs that might be using the "
                  u"file and try again.";
      break;
    case 8:
    case 39: {
      const Text drive = DriveOfFolder(extractionFolder);
      t.userText = ReplacePlaceholders(GetMessageText(MSG_NOT_SUFFICIENT_SPACE), {{placeholder::kDriveName, drive}});
      t.logText = u"There is not sufficient space on drive :" + drive;
      break;
    }
    default:
      t.logText = platform_.ErrorText(static_cast<uint32_t>(code));
      break;
  }
  return t;
}

Text CMessageCatalog::ReportExtractionError(int code, const Text& fileName, int runMode,
                                            const Text& extractionFolder) {
  try {
    ExtractionErrorTexts t = DescribeExtractionError(code, fileName, extractionFolder);
    if (runMode == RUNMODE_GUI && !t.userText.empty() && messageBox_)
      messageBox_->ShowMessageBox(t.userText, mbstyle::kOk | mbstyle::kIconError);
    return std::move(t.logText);
  } catch (...) {
    return Text();
  }
}

}  // namespace tovu
