#include "util/cutil.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "settings/profile.h"
#include "util/format.h"

namespace tovu {

namespace {

constexpr const char16_t* kSupportedPlaceholders[] = {
    u"%temp%",         u"%tmp%",         u"%windir%",   u"%allusersprofile%",    u"%userprofile%",
    u"%systemroot%",   u"%appdata%",     u"%systemdrive%", u"%commonprogramfiles%", u"%homedrive%",
    u"%homepath%",     u"%localappdata%", u"%programdata%", u"%programfiles%",     u"%public%",
};

constexpr const char16_t* kReservedDeviceNames[] = {
    u"PRN",  u"AUX",  u"NUL",  u"COM1", u"COM2", u"COM3", u"COM4", u"COM5", u"COM6", u"COM7", u"COM8",
    u"COM9", u"CON",  u"LPT1", u"LPT2", u"LPT3", u"LPT4", u"LPT5", u"LPT6", u"LPT7", u"LPT8", u"LPT9",
};

constexpr TextView kRefusedPathChars = u"\"/*?><|";

// Longest path a target folder may have (with its trailing backslash).
constexpr size_t kMaxTargetPath = 255;
// Deepest folder nesting the deletion descends into; paths of that depth
// cannot exist below the platform's path limit, so reaching it means a
// cycle or a hostile tree.
constexpr size_t kMaxDeleteDepth = 512;

bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool IsDrivePath(const Text& p) { return p.size() > 2 && IsAsciiLetter(p[0]) && p[1] == u':' && p[2] == u'\\'; }
bool IsSharePath(const Text& p) { return p.size() > 2 && p[0] == u'\\' && p[1] == u'\\'; }
bool IsRelativeStart(const Text& p) { return StartsWith(p, u"..\\") || StartsWith(p, u"\\..\\"); }

// "C:", "C:\", "\\server\share" and "\\server\share\" (and shorter share
// texts): places whose content DeleteFolder never removes as a whole.
bool IsRootPath(const Text& p) {
  if (p.size() <= 3 && p.size() >= 2 && p[1] == u':') return true;
  if (p.size() >= 2 && p[0] == u'\\' && p[1] == u'\\') {
    size_t server = p.find(u'\\', 2);
    if (server == Text::npos) return true;
    size_t share = p.find(u'\\', server + 1);
    return share == Text::npos || share + 1 >= p.size();
  }
  return false;
}

Text JoinPath(const Text& folder, const Text& name) {
  if (!folder.empty() && folder.back() == u'\\') return folder + name;
  return folder + u'\\' + name;
}

// The folder without its trailing backslash (a drive root keeps it).
Text WithoutTrailingBackslash(Text p) {
  while (p.size() > 1 && p.back() == u'\\' && !(p.size() == 3 && p[1] == u':')) p.pop_back();
  return p;
}

}  // namespace

CUtil::CUtil(IPlatform& platform, CLogFile& log) : platform_(platform), log_(log) {}

// ---- environment -------------------------------------------------------------

Text CUtil::ExpandEnvPath(const Text& text) {
  try {
    if (text.empty() || text[0] != u'%') return text;
    size_t close = text.find(u'%', 1);
    Text name = text.substr(1, close == Text::npos ? Text::npos : close - 1);
    Text rest = close == Text::npos ? Text() : text.substr(close + 1);
    Text value;
    if (name.empty() || !platform_.GetEnv(name, value)) return Text();
    return value + rest;
  } catch (...) {
    return Text();
  }
}

int CUtil::IsEnvVarPresent(const Text& text) {
  try {
    if (scanPosition_ >= text.size()) return -1;
    size_t open = text.find(u'%', scanPosition_);
    if (open == Text::npos || open > static_cast<size_t>(INT_MAX)) return -1;
    size_t close = text.find(u'%', open + 1);
    if (close == Text::npos) return -1;
    size_t after = close + 1;
    if (after >= text.size()) return -1;
    char16_t next = text[after];
    if (next != u'\\' && next != u' ' && next != u'"') return -1;
    TextView token(text.data() + open, after - open);
    bool supported = false;
    for (const char16_t* name : kSupportedPlaceholders) {
      if (EqualsNoCase(token, name)) {
        supported = true;
        break;
      }
    }
    if (!supported) log_.WriteLog(LOG_WARNING, u"IsEnvVarPresent", u"Env variable not supported..");
    scanPosition_ = after;
    return static_cast<int>(open);
  } catch (...) {
    return -1;
  }
}

int CUtil::ExpandEnvVars(Text& text) {
  try {
    size_t percents = static_cast<size_t>(std::count(text.begin(), text.end(), u'%'));
    scanPosition_ = 0;
    int expanded = 0;
    while (percents >= 2) {
      int found = IsEnvVarPresent(text);
      if (found < 0) break;
      size_t start = static_cast<size_t>(found);
      size_t close = text.find(u'%', start + 1);
      if (close == Text::npos) break;
      Text token = text.substr(start, close - start + 1);
      Text unquoted;
      for (char16_t c : token)
        if (c != u'"') unquoted.push_back(c);
      Text value = ExpandEnvPath(unquoted);
      if (!value.empty()) {
        // Replace every occurrence; the scan goes on behind the value that
        // took the place of the token just found, so a value shorter than
        // its token skips no later token and a value holding "%" is never
        // scanned again.
        Text out;
        out.reserve(text.size() + value.size());
        size_t resume = scanPosition_;
        size_t from = 0;
        for (size_t at = text.find(token); at != Text::npos; at = text.find(token, from)) {
          out.append(text, from, at - from);
          out += value;
          if (at == start) resume = out.size();
          from = at + token.size();
        }
        out.append(text, from, Text::npos);
        text.swap(out);
        scanPosition_ = resume;
        ++expanded;
      }
      percents -= 2;
    }
    return expanded;
  } catch (...) {
    return 0;
  }
}

// ---- path texts --------------------------------------------------------------

void CUtil::AddTrailingBackslash(Text& path) {
  try {
    if (!path.empty() && path.back() != u'\\') path.push_back(u'\\');
  } catch (...) {
  }
}

Text CUtil::AppendUserName(const Text& path) {
  try {
    Text user = platform_.UserName();
    if (user.size() > 256) user.resize(256);
    size_t slash = path.rfind(u'\\');
    Text name = slash == Text::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind(u'.');
    Text withUser = dot == Text::npos ? name + u"_" + user : name.substr(0, dot) + u"_" + user + name.substr(dot);
    if (slash == Text::npos) return withUser;
    return Format(u"%s\\%s", path.substr(0, slash), withUser);
  } catch (...) {
    return path;
  }
}

Text CUtil::GetModulePath() {
  try {
    return platform_.ModulePath();
  } catch (...) {
    return Text();
  }
}

Text CUtil::GetModuleFolder() {
  try {
    Text p = platform_.ModulePath();
    size_t slash = p.rfind(u'\\');
    return slash == Text::npos ? Text() : p.substr(0, slash);
  } catch (...) {
    return Text();
  }
}

Text CUtil::GetModuleName() {
  try {
    Text p = platform_.ModulePath();
    size_t slash = p.rfind(u'\\');
    return slash == Text::npos ? p : p.substr(slash + 1);
  } catch (...) {
    return Text();
  }
}

int CUtil::IsValidPathComponent(TextView component) {
  if (component == u"..") return 1;
  for (const char16_t* name : kReservedDeviceNames)
    if (EqualsNoCase(component, name)) return 0;
  if (!component.empty() && component.find_first_not_of(u'.') == TextView::npos) return 0;
  return 1;
}

// ---- target folders ----------------------------------------------------------

int CUtil::ValidatePath(Text& path, Text& root) {
  try {
    AddTrailingBackslash(path);
    if (path.find_first_of(kRefusedPathChars) != Text::npos) return static_cast<int>(winerr::kBadPathName);
    for (size_t from = 0; from <= path.size();) {
      size_t to = path.find(u'\\', from);
      if (to == Text::npos) to = path.size();
      if (to > from && !IsValidPathComponent(TextView(path).substr(from, to - from)))
        return static_cast<int>(winerr::kBadPathName);
      from = to + 1;
    }
    if (path.size() > kMaxTargetPath) return static_cast<int>(winerr::kFilenameExcedRange);

    // Makes the path full; a full path beyond the target limit (a relative
    // path below a deep current folder) is too long, not silently cut.
    auto makeFull = [&](Text& p) -> int {
      Text full;
      uint32_t e = platform_.FullPathName(p, full);
      if (e == winerr::kFilenameExcedRange) return static_cast<int>(winerr::kFilenameExcedRange);
      if (e || full.empty()) return static_cast<int>(winerr::kBadPathName);
      AddTrailingBackslash(full);
      if (full.size() > kMaxTargetPath) return static_cast<int>(winerr::kFilenameExcedRange);
      p.swap(full);
      return 0;
    };

    if (IsRelativeStart(path)) {
      if (int e = makeFull(path)) return e;
    }

    bool remote = false;
    Text remainder;
    if (IsSharePath(path)) {
      size_t serverEnd = path.find(u'\\', 2);
      size_t shareEnd = serverEnd == Text::npos ? Text::npos : path.find(u'\\', serverEnd + 1);
      if (serverEnd == Text::npos || shareEnd == Text::npos || shareEnd == serverEnd + 1)
        return static_cast<int>(winerr::kBadPathName);
      char16_t first = path[2];
      if (!(IsAsciiLetter(first) || IsAsciiDigit(first) || first == u'.')) return static_cast<int>(winerr::kBadPathName);
      Text shareRoot = path.substr(0, shareEnd + 1);
      if (int e = makeFull(path)) return e;
      if (path.size() < shareRoot.size() || !EqualsNoCase(TextView(path).substr(0, shareRoot.size()), shareRoot))
        return static_cast<int>(winerr::kBadPathName);
      root = path.substr(0, shareRoot.size());
      remainder = path.substr(shareRoot.size());
      remote = true;
    } else if (IsDrivePath(path)) {
      if (int e = makeFull(path)) return e;
      if (!IsDrivePath(path)) return static_cast<int>(winerr::kBadPathName);
      root = path.substr(0, 2);
      remainder = path.substr(2);
    } else {
      return static_cast<int>(winerr::kBadPathName);
    }
    // A colon has its one place in the drive part; behind the root it would
    // name a stream, not a folder.
    if (remainder.find(u':') != Text::npos) return static_cast<int>(winerr::kBadPathName);

    if (!remote) {
      uint32_t kind = platform_.DriveType(root + u"\\");
      if (kind == drivetype::kRemote) remote = true;
      else if (kind != drivetype::kRemovable && kind != drivetype::kFixed) return static_cast<int>(winerr::kBadPathName);
    }
    const int refused = static_cast<int>(remote ? winerr::kCannotMake : winerr::kAccessDenied);

    Text createdHere;
    if (!remainder.empty() && CreateFolderPathImpl(root, remainder, &createdHere) != 0) return refused;
    int writable = IsFolderWritable(path, Text());
    // Only what this call created is taken away again: the first-created
    // folder of an earlier call may by now hold the user's files.
    if (!createdHere.empty()) DeleteTree(createdHere, nullptr);
    return writable ? 0 : refused;
  } catch (...) {
    return static_cast<int>(winerr::kBadPathName);
  }
}

int CUtil::CreateFolderPath(const Text& root, const Text& remainder) {
  return CreateFolderPathImpl(root, remainder, nullptr);
}

int CUtil::CreateFolderPathImpl(const Text& root, const Text& remainder, Text* createdHere) {
  try {
    Text rest = remainder;
    AddTrailingBackslash(rest);
    bool created = false;
    for (size_t at = rest.find(u'\\', 1); at != Text::npos; at = rest.find(u'\\', at + 1)) {
      Text prefix = rest.substr(0, at);
      if (prefix.find_first_not_of(u'\\') == Text::npos) continue;
      Text folder = root + prefix;
      uint32_t e = platform_.MakeDirectory(folder);
      if (e == 0) {
        if (!created) {
          created = true;
          firstCreatedFolder_ = folder;
          if (createdHere) *createdHere = folder;
        }
      } else if (e != winerr::kAlreadyExists) {
        return -1;
      }
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

int CUtil::IsFolderWritable(const Text& folder, const Text& prefix) {
  try {
    Text temp;
    if (platform_.MakeTempFile(folder, prefix, temp) != 0 || temp.empty()) return 0;
    bool opened = platform_.CreateEmptyFile(temp) == 0;
    platform_.RemoveFile(temp);
    return opened ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int CUtil::CreateFolder(const Text& path, Text& message) {
  try {
    uint32_t result = platform_.CreateDirectoryTree(path);
    switch (result) {
      case 0: message = Format(u"Folder Created:\t\t %s", path); break;
      case winerr::kPathNotFound: message = Format(u"Path Not Found:\t\t %s", path); break;
      case winerr::kFileExists:
      case winerr::kAlreadyExists: message = Format(u"Folder exists:\t\t %s", path); break;
      case winerr::kBadPathName: message = Format(u"Bad Path Name:\t\t\t %s", path); break;
      case winerr::kFilenameExcedRange: message = Format(u"Exceeds Range:\t\t\t %s", path); break;
      default: break;
    }
  } catch (...) {
  }
  return 1;
}

int CUtil::CreateFolderLevels(const Text& path) {
  try {
    size_t last = path.rfind(u'\\');
    Text folder = last == Text::npos ? path : path.substr(0, last);
    for (size_t at = folder.find(u'\\', 3); at != Text::npos && at < folder.size(); at = folder.find(u'\\', at + 1)) {
      uint32_t e = platform_.MakeDirectory(folder.substr(0, at));
      if (e != 0 && e != winerr::kAlreadyExists) return -1;
    }
    uint32_t e = platform_.MakeDirectory(folder);
    if (e != 0 && e != winerr::kAlreadyExists) return -1;
    return 0;
  } catch (...) {
    return -1;
  }
}

int CUtil::DeleteFolder(const Text& path) { return DeleteTree(path, nullptr); }

int CUtil::DeleteFolderReport(const Text& path, TextList& leftovers) { return DeleteTree(path, &leftovers); }

// One walk for both deletions, with its own stack in place of recursion.
// Without a report it stops at the first entry that cannot be deleted (each
// folder above it then fails its own removal); with a report it goes on and
// lists every such entry.
int CUtil::DeleteTree(const Text& path, TextList* leftovers) {
  try {
    uint32_t error = 0;
    uint32_t attributes = platform_.FileAttributes(path, &error);
    if (attributes == fileattr::kInvalid || !(attributes & fileattr::kDirectory)) return -1;
    Text top = WithoutTrailingBackslash(path);
    if (IsRootPath(top)) return 0;
    if (attributes & fileattr::kReparsePoint) return platform_.RemoveFolder(top) == 0 ? 1 : 0;

    struct Level {
      Text folder;
      std::vector<DirEntry> entries;
      size_t next = 0;
      bool failed = false;
    };
    std::vector<Level> stack;
    stack.push_back(Level{top, {}, 0, false});
    platform_.ListFolder(top, stack.back().entries);

    auto report = [&](const Text& p) {
      if (leftovers) leftovers->push_front(p);
    };

    while (!stack.empty()) {
      Level& level = stack.back();
      bool goOn = level.next < level.entries.size() && (leftovers || !level.failed);
      if (goOn) {
        const DirEntry& entry = level.entries[level.next++];
        Text child = JoinPath(level.folder, entry.name);
        bool isFolder = (entry.attributes & fileattr::kDirectory) != 0;
        bool isLink = (entry.attributes & fileattr::kReparsePoint) != 0;
        if (isFolder && !isLink) {
          if (stack.size() >= kMaxDeleteDepth) {
            level.failed = true;
            report(child);
            continue;
          }
          Level sub{child, {}, 0, false};
          platform_.ListFolder(child, sub.entries);
          stack.push_back(std::move(sub));  // `level` is not used after this
          continue;
        }
        bool deleted;
        if (isFolder) {
          deleted = platform_.RemoveFolder(child) == 0;
        } else {
          if (entry.attributes & fileattr::kReadOnly) ClearReadOnly(child);
          deleted = platform_.RemoveFile(child) == 0;
        }
        if (!deleted) {
          level.failed = true;
          report(child);
        }
        continue;
      }
      bool removed = platform_.RemoveFolder(level.folder) == 0;
      stack.pop_back();
      if (stack.empty()) return removed ? 1 : 0;
      if (!removed) stack.back().failed = true;
    }
    return 0;
  } catch (...) {
    return 0;
  }
}

uint32_t CUtil::ClearReadOnly(const Text& file) {
  try {
    uint32_t error = 0;
    uint32_t attributes = platform_.FileAttributes(file, &error);
    if (attributes == fileattr::kInvalid) return error ? error : winerr::kFileNotFound;
    if (attributes & fileattr::kReadOnly) return platform_.SetAttributes(file, fileattr::kNormal);
    return 0;
  } catch (...) {
    return winerr::kInvalidParameter;
  }
}

// ---- other -------------------------------------------------------------------

void CUtil::SplitText(TextView text, TextView separator, TextList& out) {
  try {
    auto add = [&](TextView piece) {
      Text t = Trim(piece);
      if (!t.empty()) out.push_front(std::move(t));
    };
    if (separator.empty()) {
      add(text);
      return;
    }
    size_t from = 0;
    for (size_t at = text.find(separator); at != TextView::npos; at = text.find(separator, from)) {
      add(text.substr(from, at - from));
      from = at + separator.size();
    }
    add(text.substr(from));
  } catch (...) {
  }
}

int CUtil::FileExists(const Text& path) {
  try {
    if (path.size() >= 256) return 0;
    return platform_.FindFirstExists(path) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

int CUtil::FindDrives(TextList& drives, int kind, uint64_t requiredBytes) {
  try {
    uint32_t mask = platform_.LogicalDrives();
    if (mask == 0) return -1;
    for (int i = 0; i < 26; ++i) {
      if (!(mask & (1u << i))) continue;
      Text root = Format(u"%c:\\", static_cast<char16_t>(u'A' + i));
      uint32_t type = platform_.DriveType(root);
      // The type is asked first: a free-space query would wake removable
      // and CD-ROM drives that kind 3 never takes.
      if (kind == static_cast<int>(drivetype::kFixed)) {
        if (type == drivetype::kFixed && GetDiskFree(root) >= requiredBytes) drives.push_front(root);
      } else if (kind == static_cast<int>(drivetype::kCdrom)) {
        if (type == drivetype::kCdrom) drives.push_front(root);
      }
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

uint64_t CUtil::GetDiskFree(const Text& root) {
  try {
    DiskFreeSpace space;
    if (platform_.DiskFree(root, space) != 0) return 0;
    uint64_t clusterBytes = static_cast<uint64_t>(space.sectorsPerCluster) * space.bytesPerSector;
    uint64_t clusters = space.freeClusters;
    if (clusterBytes != 0 && clusters > UINT64_MAX / clusterBytes) return UINT64_MAX;
    return clusterBytes * clusters;
  } catch (...) {
    return 0;
  }
}

void CUtil::FormatSize(uint64_t bytes, double& value, Text& unit) {
  try {
    if (bytes > 1073741824ull) {
      unit = u"GB";
      value = static_cast<double>(bytes) / 1073741824.0;
    } else if (bytes > 1048576ull) {
      unit = u"MB";
      value = static_cast<double>(bytes) / 1048576.0;
    } else {
      unit = u"KB";
      value = static_cast<double>(bytes) / 1024.0;
    }
  } catch (...) {
  }
}

Text CUtil::GetErrorText(uint32_t code) {
  try {
    return platform_.ErrorText(code);
  } catch (...) {
    return Text();
  }
}

int CUtil::ReadIniSection(const Text& file, const Text& section, TextMap& out, size_t bufferChars) {
  try {
    size_t chars = bufferChars == 0 ? 2048 : bufferChars;
    // The read is limited to 2,000 characters, and never to more than the
    // buffer the caller asked for.
    size_t limit = std::min<size_t>(chars, 2000);
    CProfile profile(platform_);
    std::vector<Text> raw = profile.GetSection(file, section, limit);
    TextList lines;
    for (Text& line : raw)
      if (!line.empty()) lines.push_front(std::move(line));
    int count = 0;
    // From the last line to the first: the first line of a key is stored last.
    for (const Text& line : lines) {
      size_t eq = line.find(u'=');
      if (eq == Text::npos) out[Text()] = line;
      else out[ToLower(TextView(line).substr(0, eq))] = line.substr(eq + 1);
      ++count;
    }
    return count;
  } catch (...) {
    return -1;
  }
}

// ---- system information --------------------------------------------------------

namespace {

constexpr char16_t kProcessorKeyBase[] = u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\";
// The name buffer: 1,024 characters, its size passed in bytes.
constexpr size_t kProcessorNameBytes = 1024 * sizeof(char16_t);
// Far above any machine; ends the walk should a registry report keys
// without end.
constexpr int kMaxProcessorKeys = 4096;

struct LanguageEntry {
  int id;
  const char16_t* name;
};

constexpr LanguageEntry kLanguageNames[] = {
    {0, u"Language Independent"},
    {1025, u"Arabic (Saudi Arabia)"},
    {1026, u"Bulgarian"},
    {1027, u"Catalan"},
    {1028, u"Chinese (Traditional)"},
    {1029, u"Czech"},
    {1030, u"Danish"},
    {1031, u"German"},
    {1032, u"Greek"},
    {1033, u"English"},
    {1034, u"Spanish (Traditional Sort)"},
    {1035, u"Finnish"},
    {1036, u"French(France)"},
    {1037, u"Hebrew"},
    {1038, u"Hungarian"},
    {1040, u"Italian"},
    {1041, u"Japanese"},
    {1042, u"Korean"},
    {1043, u"Dutch"},
    {1044, u"Norwegian (Bokmal)"},
    {1045, u"Polish"},
    {1046, u"Portuguese (Brazil)"},
    {1048, u"Romanian"},
    {1049, u"Russian"},
    {1050, u"Croatian"},
    {1051, u"Slovak"},
    {1053, u"Swedish"},
    {1054, u"Thai"},
    {1055, u"Turkish"},
    {1057, u"Indonesian"},
    {1060, u"Slovenian"},
    {1069, u"Basque"},
    {2052, u"Chinese (Simplified)"},
    {2070, u"Portuguese (Portugal)"},
    {3082, u"Spanish - Modern Sort"},
    {3084, u"French(Canada)"},
    {3098, u"Serbian (Cyrillic)"},
};

}  // namespace

LocalTime CUtil::GetLocalTime() {
  try {
    return platform_.Now();
  } catch (...) {
    return LocalTime{};
  }
}

uint32_t CUtil::GetTotalPhysicalMemory() {
  try {
    uint64_t bytes = platform_.TotalPhysicalMemory();
    return bytes > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(bytes);
  } catch (...) {
    return 0;
  }
}

Text CUtil::FormatMemorySize(uint32_t totalPhys) {
  try {
    uint32_t kilobytes = totalPhys / 1024;
    double gigabytes = static_cast<double>(kilobytes) / 1024.0 / 1024.0;
    return Format(u"%.02lf", std::ceil(gigabytes));
  } catch (...) {
    return Text();
  }
}

int CUtil::GetProcessorNames(TextList& names) {
  int added = 0;
  try {
    for (int n = 0; n < kMaxProcessorKeys; ++n) {
      Text key = Format(u"%s%d", kProcessorKeyBase, n);
      if (platform_.OpenRegistryKey(RegRoot::kLocalMachine, key, RegView::kDefault) != 0) break;
      Text name;
      if (platform_.ReadRegistryString(RegRoot::kLocalMachine, key, u"ProcessorNameString", RegView::kDefault, name,
                                       kProcessorNameBytes) != 0)
        name.clear();
      names.push_front(name);
      ++added;
      if (name.empty()) break;
    }
  } catch (...) {
  }
  return added;
}

Text CUtil::GetComputerNameText() {
  try {
    return platform_.ComputerName();
  } catch (...) {
    return Text();
  }
}

int CUtil::ListDrives(TextList& drives, int kind) {
  try {
    uint32_t mask = platform_.LogicalDrives();
    if (mask == 0) return -1;
    for (int i = 0; i < 26; ++i) {
      if (!(mask & (1u << i))) continue;
      Text root = Format(u"%c:\\", static_cast<char16_t>(u'A' + i));
      if (platform_.DriveType(root) == static_cast<uint32_t>(kind)) drives.push_front(root);
    }
    return 0;
  } catch (...) {
    return -1;
  }
}

int CUtil::GetSpaceInfo(const Text& root, Text& text) {
  try {
    uint64_t total = 0, free = 0;
    DiskFreeSpaceEx ex;
    DiskFreeSpace space;
    if (platform_.DiskFreeEx(root, ex) == 0) {
      total = ex.totalBytes;
      free = ex.totalFreeBytes;
    } else if (platform_.DiskFree(root, space) == 0) {
      // The older call's figures are multiplied in 32 bits, as the call's
      // own types are; drives above 4 GiB wrap.
      uint32_t clusterBytes = space.sectorsPerCluster * space.bytesPerSector;
      total = static_cast<uint32_t>(space.totalClusters * clusterBytes);
      free = static_cast<uint32_t>(space.freeClusters * clusterBytes);
    } else {
      text = u"No Information";
      return -1;
    }
    uint64_t used = total - free;
    double totalValue = 0, usedValue = 0, freeValue = 0;
    Text totalUnit, usedUnit, freeUnit;
    FormatSize(total, totalValue, totalUnit);
    FormatSize(used, usedValue, usedUnit);
    FormatSize(free, freeValue, freeUnit);
    text = Format(u"Total Space: %.02lf %s\tUsed space: %.02lf %s\tFree space: %.02lf %s", totalValue, totalUnit,
                  usedValue, usedUnit, freeValue, freeUnit);
    return 0;
  } catch (...) {
    text = u"No Information";
    return -1;
  }
}

Text CUtil::GetFileSystemName(const Text& root) {
  try {
    Text name;
    if (platform_.VolumeFileSystemName(root, name) != 0) return Text();
    return name;
  } catch (...) {
    return Text();
  }
}

int CUtil::GetUILanguage() {
  try {
    return platform_.UserUILanguage();
  } catch (...) {
    return -1;
  }
}

Text CUtil::GetLanguageName(int identifier) {
  for (const LanguageEntry& e : kLanguageNames)
    if (e.id == identifier) return e.name;
  return u"Unknown";
}

uint32_t CUtil::GetSystemLanguage(Text& englishName) {
  try {
    uint32_t lcid = platform_.SystemDefaultLocale();
    englishName = platform_.LocaleEnglishLanguageName(lcid);
    return lcid;
  } catch (...) {
    englishName.clear();
    return 0;
  }
}

}  // namespace tovu
