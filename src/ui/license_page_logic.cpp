#include "ui/license_page_logic.h"

#include <string>

namespace tovu::license {

DocumentList ListDocuments(const Text& licensePath, const Text& securityPath) {
  DocumentList list;
  list.licensePath = licensePath;
  list.securityPath = securityPath;
  if (!licensePath.empty()) {
    list.licenseIndex = 0;
    list.current = licensePath;
    list.entries.push_back(kMsgLicenseEntry);
  }
  if (!securityPath.empty()) {
    if (list.current.empty()) list.current = securityPath;
    list.securityIndex = static_cast<int>(list.entries.size());
    list.entries.push_back(kMsgSecurityEntry);
  }
  return list;
}

std::optional<Selection> SelectEntry(const DocumentList& list, int index) {
  if (index < 0) return std::nullopt;
  if (index == list.licenseIndex) return Selection{list.licensePath, kMsgLicenseEntry};
  if (index == list.securityIndex) return Selection{list.securityPath, kMsgSecurityEntry};
  return std::nullopt;
}

int SecurityEntryIndex(const DocumentList& list) { return list.entries.size() == 2 ? 1 : 0; }

bool NextAllowed(const DocumentList& list, bool licenseChecked, bool securityChecked) {
  const bool licenseOk = list.licenseIndex == -1 || (!list.licensePath.empty() && licenseChecked);
  const bool securityOk = list.securityIndex == -1 || (!list.securityPath.empty() && securityChecked);
  return licenseOk && securityOk;
}

DocumentType TypeOf(const Text& path) {
  if (path.size() < 3) return DocumentType::Other;
  const TextView ext = TextView(path).substr(path.size() - 3);
  if (EqualsNoCase(ext, u"rtf")) return DocumentType::Rtf;
  if (EqualsNoCase(ext, u"txt")) return DocumentType::PlainText;
  return DocumentType::Other;
}

bool HasBuiltInEntryNames(int lcid) {
  switch (lcid) {
    case 1031: case 1033: case 1036: case 1034: case 1040: case 3082: return true;
    default: return false;
  }
}

Text EntryNameFromLanguageFile(const std::vector<uint8_t>& bytes, int number) {
  Text content;
  content.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    content.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  if (!content.empty() && content.front() == u'\xFEFF') content.erase(0, 1);
  Text key;
  for (char c : std::to_string(number)) key.push_back(static_cast<char16_t>(c));
  size_t start = 0;
  while (start <= content.size()) {
    size_t end = content.find(u'\n', start);
    if (end == Text::npos) end = content.size();
    Text line = content.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    // "3040=" is another message than 304.
    const bool longer = line.size() > key.size() && line[key.size()] >= u'0' && line[key.size()] <= u'9';
    if (line.size() >= key.size() && line.compare(0, key.size(), key) == 0 && !longer) {
      for (size_t at = line.find(key); at != Text::npos; at = line.find(key, at)) line.erase(at, key.size());
      const size_t first = line.find_first_not_of(u'=');
      if (first == Text::npos) return Text();
      const size_t last = line.find_last_not_of(u'=');
      return line.substr(first, last - first + 1);
    }
    if (end == content.size()) break;
    start = end + 1;
  }
  return Text();
}

}  // namespace tovu::license
