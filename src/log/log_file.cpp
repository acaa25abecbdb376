#include "log/log_file.h"

#include <array>
#include <new>
#include <string>

namespace tovu {

namespace {

// One process-wide table of per-level counters; off until the first
// InitLogFile of the process.
struct LevelCounters {
  bool on = false;
  std::array<uint16_t, 12> count{};
};

LevelCounters& Counters() {
  static LevelCounters counters;
  return counters;
}

void CountLevel(int level) {
  LevelCounters& c = Counters();
  if (!c.on || level < 0 || level >= static_cast<int>(c.count.size())) return;
  c.count[static_cast<size_t>(level)] = static_cast<uint16_t>(c.count[static_cast<size_t>(level)] + 1);
}

// Text-mode bytes of a text: one byte per character (characters above
// U+00FF, which the file cannot hold, become '?'), LF written as CR LF.
std::string ToFileBytes(const Text& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32 + 2);
  for (char16_t c : text) {
    if (c == u'\n') {
      out.push_back('\r');
      out.push_back('\n');
    } else if (c > 0xFF) {
      out.push_back('?');
    } else {
      out.push_back(static_cast<char>(static_cast<unsigned char>(c)));
    }
  }
  return out;
}

Text TimeOfDay(const LocalTime& t) { return Format(u"%02d:%02d:%02d", t.hour, t.minute, t.second); }

Text FolderPart(const Text& path) {
  size_t pos = path.find_last_of(u'\\');
  if (pos == Text::npos) return Text();
  return path.substr(0, pos + 1);
}

const char16_t kBanner30[] = u"##############################";

}  // namespace

void ResetLogCountersForTest() { Counters() = LevelCounters{}; }

CLogFile::CLogFile(IPlatform& platform) : platform_(platform) {}

int CLogFile::DeleteLogFile() {
  try {
    if (path_.empty()) return -1;
    return platform_.RemoveFile(path_) == 0 ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

int CLogFile::InitLogFile(const Text& path, int threshold) {
  try {
    path_ = path;
  } catch (...) {
    path_.clear();
  }
  threshold_ = threshold;
  Counters().on = true;
  return 0;
}

Text CLogFile::GetLevelText(int level) const {
  if (level == 0) return u"ERROR     ";
  if (level >= 1 && level <= 6) return u"WARNING   ";
  return u"          ";
}

int CLogFile::WriteLogText(int level, TextView function, const Text& message) {
  if (!Accepts(level)) return 0;
  try {
    Text line = TimeOfDay(platform_.Now());
    line += u'|';
    line += GetLevelText(level);
    line += u'|';
    line += Format(u"%-35.45s", function);
    line += u" |";
    line += message;
    line += u'\n';
    CountLevel(level);
    if (path_.empty()) return 0;
    const std::string bytes = ToFileBytes(line);
    platform_.AppendToFile(path_, bytes.data(), bytes.size());
  } catch (...) {
    // The log never lets a failure reach its caller.
  }
  return 0;
}

int CLogFile::WriteLogNoFunctionText(int level, const Text& message) {
  if (!Accepts(level)) return 0;
  try {
    Text body = message;
    for (auto& c : body)
      if (c == u',') c = u'|';
    Text line = TimeOfDay(platform_.Now());
    line += u'|';
    line += GetLevelText(level);
    line += u'|';
    line += Format(u"%-35.45s", u"NonameFunction");
    line += u'|';
    line += body;
    line += u'\n';
    CountLevel(level);
    if (path_.empty()) return 0;
    const std::string bytes = ToFileBytes(line);
    if (platform_.AppendToFile(path_, bytes.data(), bytes.size()) != 0) {
      CreateLogFolder(platform_, FolderPart(path_));
      platform_.AppendToFile(path_, bytes.data(), bytes.size());
    }
  } catch (...) {
  }
  return 0;
}

int CLogFile::WriteRawText(const Text& text) {
  try {
    if (path_.empty()) return 0;
    const std::string bytes = ToFileBytes(text);
    if (platform_.AppendToFile(path_, bytes.data(), bytes.size()) != 0) {
      Text folder = FolderPart(path_);
      if (!folder.empty()) {
        uint32_t err = 0;
        uint32_t attrs = platform_.FileAttributes(folder, &err);
        if (attrs == fileattr::kInvalid || !(attrs & fileattr::kDirectory)) platform_.MakeDirectory(folder);
      }
      platform_.AppendToFile(path_, bytes.data(), bytes.size());
    }
  } catch (...) {
  }
  return 0;
}

int CreateLogFolder(IPlatform& platform, const Text& path) {
  try {
    size_t cut = path.find_last_of(u'\\');
    Text folder = cut == Text::npos ? path : path.substr(0, cut);
    if (folder.empty()) return -1;
    // Each leading part that ends in front of a backslash, from the root
    // down, starting after the drive part "X:\".
    for (size_t pos = folder.find(u'\\', 3); pos != Text::npos; pos = folder.find(u'\\', pos + 1)) {
      uint32_t err = platform.MakeDirectory(folder.substr(0, pos));
      if (err != 0 && err != winerr::kAlreadyExists) return -1;
    }
    uint32_t err = platform.MakeDirectory(folder);
    if (err != 0 && err != winerr::kAlreadyExists) return -1;
    return 0;
  } catch (...) {
    return -1;
  }
}

int CBuildLogFile::WriteStart() {
  try {
    LocalTime t = platform_.Now();
    start_ = Format(u"%04d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    WriteRaw(u"%s --------- START%s --------- %s\n", kBanner30, start_, kBanner30);
  } catch (...) {
  }
  return 0;
}

int CBuildLogFile::GetErrorCount() const {
  const LevelCounters& c = Counters();
  return c.on ? c.count[0] : 0;
}

int CBuildLogFile::GetWarningCount() const {
  const LevelCounters& c = Counters();
  if (!c.on) return 0;
  int sum = 0;
  for (size_t level = 1; level <= 6; ++level) sum += c.count[level];
  return sum;
}

int CBuildLogFile::WriteSummary() {
  try {
    const Text t = TimeOfDay(platform_.Now());
    const int errors = GetErrorCount();
    const int warnings = GetWarningCount();
    const int level1 = Counters().on ? Counters().count[1] : 0;
    const bool success = Counters().on && errors == 0;
    Text s;
    s += u"\n";
    s += Format(u"\n######## --------- %-39.45s%s\n", Text(u"START SUMMARY ") + start_, kBanner30);
    s += Format(u"%s|RETURN    |%-37.45s |%s\n", t, u"STATUS", success ? u"Success" : u"Fail");
    s += Format(u"%s|RETURN    |%-37.45s |%d\n", t, u"ERRORS", errors);
    s += Format(u"%s|RETURN    |%-37.45s |%d  \n", t, u"WARNINGS", warnings);
    s += Format(u"%d Errors found and %d Warnings found\n", errors, level1);
    s += Format(u"######## --------- %-39.45s%s\n\n", Text(u"END SUMMARY ") + start_, kBanner30);
    WriteRawText(s);
  } catch (...) {
  }
  return 0;
}

}  // namespace tovu
