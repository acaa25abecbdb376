#include "cabinet/member_path.h"

#include <array>

namespace tovu {

bool NarrowCabText(TextView text, std::string& out) {
  out.clear();
  std::string s;
  s.reserve(text.size());
  for (char16_t c : text) {
    if (c > 0xFF) return false;
    s.push_back(static_cast<char>(c));
  }
  out.swap(s);
  return true;
}

Text WidenMemberName(const char* name, bool isUtf8) {
  if (name == nullptr) return Text();
  std::string_view s(name);
  return isUtf8 ? FromUtf8(s) : Widen(s);
}

void CCabFile::SplitPath(TextView path, Text& folder, Text& name) {
  size_t at = path.rfind(u'\\');
  if (at == TextView::npos) {
    folder.clear();
    name = Text(path);
  } else {
    folder = Text(path.substr(0, at + 1));
    name = Text(path.substr(at + 1));
  }
}

Text CCabFile::RemoveTrailingBackslash(TextView path) {
  if (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  return Text(path);
}

MemberPlacement PlaceMember(TextView targetFolder, TextView memberName) {
  MemberPlacement p;
  CCabFile::SplitPath(memberName, p.folderPart, p.fileName);
  p.outputFolder = CCabFile::RemoveTrailingBackslash(targetFolder);
  if (p.folderPart.empty() || p.folderPart.front() != u'\\') p.outputFolder += u'\\';
  p.outputFolder += p.folderPart;
  p.outputPath = p.outputFolder + p.fileName;
  return p;
}

namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsDeviceName(TextView component) {
  // The device is named by the text before the first point, blanks at its
  // end not counting ("nul .txt" is NUL too).
  TextView base = component.substr(0, component.find(u'.'));
  while (!base.empty() && base.back() == u' ') base.remove_suffix(1);
  static constexpr std::array<const char16_t*, 6> kFixed = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
  for (const char16_t* d : kFixed)
    if (EqualsNoCase(base, d)) return true;
  if (base.size() == 4 && (EqualsNoCase(base.substr(0, 3), u"COM") || EqualsNoCase(base.substr(0, 3), u"LPT"))) {
    char16_t n = base[3];
    // Digits 1-9 and the superscript digits the system also takes.
    if ((n >= u'1' && n <= u'9') || n == 0xB9 || n == 0xB2 || n == 0xB3) return true;
  }
  return false;
}

bool IsDotsAndBlanks(TextView component) {
  return component.find(u'.') != TextView::npos && component.find_first_not_of(u". ") == TextView::npos;
}

}  // namespace

bool IsSafeMemberName(TextView name) {
  if (name.empty() || IsSeparator(name.back())) return false;
  if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) return false;
  for (char16_t c : name)
    if (c < 0x20 || c == u':') return false;
  size_t from = 0;
  while (from <= name.size()) {
    size_t to = from;
    while (to < name.size() && !IsSeparator(name[to])) ++to;
    TextView component = name.substr(from, to - from);
    if (!component.empty() && (IsDotsAndBlanks(component) || IsDeviceName(component))) return false;
    from = to + 1;
  }
  return true;
}

}  // namespace tovu
