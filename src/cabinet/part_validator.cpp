#include "cabinet/part_validator.h"

#include "settings/package_settings.h"
#include "util/format.h"

namespace tovu {

CPartValidator::CPartValidator(IPlatform& platform, CUtil& util, CTovuInitalizer& init, ICabinetProbe& probe)
    : platform_(platform), util_(util), init_(init), probe_(probe), profile_(platform) {}

Text CPartValidator::FormatPartName(const Text& pattern, int number) {
  size_t dot = pattern.rfind(u'.');
  if (dot == Text::npos) return Format(pattern, number);
  return pattern.substr(0, dot + 1) + Format(TextView(pattern).substr(dot + 1), number);
}

Text CPartValidator::ModuleFolder() {
  Text folder = util_.GetModuleFolder();
  CUtil::AddTrailingBackslash(folder);
  return folder;
}

bool CPartValidator::IsFile(const Text& path) {
  uint32_t error = 0;
  uint32_t a = platform_.FileAttributes(path, &error);
  return a != fileattr::kInvalid && (a & fileattr::kDirectory) == 0;
}

Text CPartValidator::GetValidPartName(Text& failedPath, TextList& messages) {
  const Text folder = ModuleFolder();
  const Text base = pkg::ReadText(profile_, init_.GetSettingsPath(), pkg::section::kPackage, partsec::kMultipartFileName);
  const uint16_t setId = init_.GetCabinetSetId();

  Text first = Format(u"%s.%s", base, u"%03d");
  Text firstCandidate = folder + FormatPartName(first, 1);
  Text chosen;
  if (IsFile(firstCandidate) && probe_.GetCabinetSetId(firstCandidate) == setId) {
    chosen = first;
  } else {
    Text exe = util_.GetModuleName();
    Text stem = exe.size() > 4 ? exe.substr(0, exe.size() - 4) : Text();
    Text second = Format(u"%s.%s", stem, u"%03d");
    if (IsFile(folder + FormatPartName(second, 1)) && setId != 0) chosen = second;
  }
  if (chosen.empty()) {
    failedPath = firstCandidate;
    pattern_.clear();
    firstPart_.clear();
    messages.push_front(Format(u"Multi part File not found : %s", firstCandidate));
    return Text();
  }
  pattern_ = chosen;
  firstPart_ = FormatPartName(chosen, 1);
  return folder + firstPart_;
}

int CPartValidator::ValidateParts(Text& failedPath, int /*overwriteAll*/, TextList& messages) {
  const Text folder = ModuleFolder();
  if (GetValidPartName(failedPath, messages).empty()) return -2;
  const Text& settings = init_.GetSettingsPath();
  int result = 0;
  for (int n = 1;; ++n) {
    Text key = Format(u"%03d", n);
    if (pkg::ReadText(profile_, settings, partsec::kPartFileInfo, key).empty()) break;
    const Text name = FormatPartName(pattern_, n);
    const Text path = folder + name;
    messages.push_front(Format(u"Validating cabinet : %s", path));
    if (!IsFile(path)) {
      failedPath = path;
      result = -2;
      messages.push_front(Format(u"Multi part File not found : %s", path));
      continue;
    }
    Text hash, errorText;
    if (uint32_t e = probe_.HashFile(path, hash, errorText)) {
      messages.push_front(Format(u"%s : Return Code : %d", errorText, e));
    } else {
      size_t dot = name.rfind(u'.');
      Text number = ToUpper(dot == Text::npos ? Text() : name.substr(dot + 1));
      Text expected = pkg::ReadText(profile_, settings, partsec::kHashCode, number);
      messages.push_front(Format(u"Hash code for : %s is :%s", path, expected));
      if (hash != expected) {
        failedPath = path;
        result = -5;
        messages.push_front(Format(u"File is corrupt  : %s", path));
        continue;
      }
    }
    if (probe_.ValidateCabinetFile(path) == 0) {
      failedPath = path;
      result = -3;
      messages.push_front(Format(u"Could not get the file status of the file : %s", path));
    }
  }
  return result;
}

}  // namespace tovu
