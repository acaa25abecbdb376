#include "tovupack/settings_edit.h"

namespace tovu::pack {

SettingsText::SettingsText(const Text& text) {
  if (text.find(u"\r\n") == Text::npos && text.find(u'\n') != Text::npos) newline_ = u"\n";
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(u'\n', at);
    if (end == Text::npos) {
      lines_.push_back(text.substr(at));
      endsWithNewline_ = false;
      return;
    }
    size_t cut = end > at && text[end - 1] == u'\r' ? end - 1 : end;
    lines_.push_back(text.substr(at, cut - at));
    at = end + 1;
  }
  endsWithNewline_ = true;
}

bool SettingsText::IsSectionLine(const Text& line, Text* name) {
  Text t = Trim(line);
  if (t.size() < 2 || t[0] != u'[') return false;
  size_t close = t.find(u']');
  if (close == Text::npos) return false;
  if (name) *name = Trim(t.substr(1, close - 1));
  return true;
}

bool SettingsText::IsKeyLine(const Text& line, Text* key, Text* value) {
  Text t = TrimLeft(line);
  if (t.empty() || t[0] == u';' || StartsWith(t, u"//") || t[0] == u'[') return false;
  size_t eq = t.find(u'=');
  if (eq == Text::npos) return false;
  if (key) *key = Trim(t.substr(0, eq));
  if (value) {
    Text v = Trim(t.substr(eq + 1));
    if (v.size() >= 2 && v.front() == u'"' && v.back() == u'"') v = v.substr(1, v.size() - 2);
    *value = v;
  }
  return true;
}

long SettingsText::FindSection(const Text& section) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    Text name;
    if (IsSectionLine(lines_[i], &name) && EqualsNoCase(name, section)) return static_cast<long>(i);
  }
  return -1;
}

std::optional<Text> SettingsText::Get(const Text& section, const Text& key) const {
  long s = FindSection(section);
  if (s < 0) return std::nullopt;
  for (size_t i = static_cast<size_t>(s) + 1; i < lines_.size() && !IsSectionLine(lines_[i], nullptr); ++i) {
    Text k, v;
    if (IsKeyLine(lines_[i], &k, &v) && EqualsNoCase(k, key)) return v;
  }
  return std::nullopt;
}

void SettingsText::Set(const Text& section, const Text& key, const Text& value) {
  long s = FindSection(section);
  if (s < 0) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back(Text());
    lines_.push_back(u"[" + section + u"]");
    lines_.push_back(key + u"=" + value);
    return;
  }
  size_t last = static_cast<size_t>(s);  // last non-blank line of the section
  size_t i = last + 1;
  for (; i < lines_.size() && !IsSectionLine(lines_[i], nullptr); ++i) {
    Text k;
    if (IsKeyLine(lines_[i], &k, nullptr) && EqualsNoCase(k, key)) {
      lines_[i] = k + u"=" + value;
      return;
    }
    if (!Trim(lines_[i]).empty()) last = i;
  }
  lines_.insert(lines_.begin() + static_cast<long>(last) + 1, key + u"=" + value);
}

void SettingsText::ReplaceSection(const Text& section, const std::vector<std::pair<Text, Text>>& keys) {
  bool inside = false;
  for (size_t i = 0; i < lines_.size();) {
    Text name;
    if (IsSectionLine(lines_[i], &name)) {
      inside = EqualsNoCase(name, section);
    } else if (inside && IsKeyLine(lines_[i], nullptr, nullptr)) {
      lines_.erase(lines_.begin() + static_cast<long>(i));
      continue;
    }
    ++i;
  }
  for (const auto& [k, v] : keys) Set(section, k, v);
  if (keys.empty() && FindSection(section) < 0) {
    if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.push_back(Text());
    lines_.push_back(u"[" + section + u"]");
  }
}

Text SettingsText::Str() const {
  Text out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || endsWithNewline_) out += newline_;
  }
  return out;
}

}  // namespace tovu::pack
