#include "tovupack/payload.h"

#include <algorithm>
#include <functional>
#include <set>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <time.h>
#endif

namespace tovu::pack {

namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

struct Found {
  Text name;
  bool folder = false;
  uint64_t size = 0;
  uint16_t attributes = cab::kAttrArchive;
  cab::DosTime time;
};

#ifdef _WIN32
const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }

std::string ListOne(const Text& folder, std::vector<Found>& out) {
  WIN32_FIND_DATAW data;
  const Text pattern = folder + u"\\*";
  HANDLE h = FindFirstFileW(W(pattern), &data);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND) return "";
    return "cannot read the folder " + U8(folder) + " (error " + std::to_string(e) + ")";
  }
  do {
    Found f;
    f.name = Text(reinterpret_cast<const char16_t*>(data.cFileName));
    if (f.name == u"." || f.name == u"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT && data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      FindClose(h);
      return U8(folder + u"\\" + f.name) + " is a link to a folder, which a cabinet cannot hold";
    }
    f.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    f.size = (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    f.attributes = static_cast<uint16_t>((data.dwFileAttributes & 0x27) | cab::kAttrArchive);
    FILETIME local;
    WORD date = 0x21, time = 0;
    if (FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) && FileTimeToDosDateTime(&local, &date, &time)) {
      f.time.date = date;
      f.time.time = time;
    }
    out.push_back(std::move(f));
  } while (FindNextFileW(h, &data));
  FindClose(h);
  return "";
}
#else
std::string ListOne(const Text& folder, std::vector<Found>& out) {
  const std::string path = U8(folder);
  DIR* dir = opendir(path.c_str());
  if (!dir) return "cannot read the folder " + path;
  std::string problem;
  while (dirent* e = readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    Found f;
    f.name = FromUtf8(name);
    if (ToUtf8(f.name) != name) {
      problem = path + "/" + name + ": the name is not valid UTF-8";
      break;
    }
    const std::string full = path + "/" + name;
    struct stat st;
    if (lstat(full.c_str(), &st) != 0) {
      problem = "cannot read " + full;
      break;
    }
    if (S_ISLNK(st.st_mode)) {
      if (stat(full.c_str(), &st) != 0) {
        problem = full + " is a link that leads nowhere";
        break;
      }
      if (S_ISDIR(st.st_mode)) {
        problem = full + " is a link to a folder, which a cabinet cannot hold";
        break;
      }
    }
    if (!S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode)) {
      problem = full + " is neither a file nor a folder";
      break;
    }
    f.folder = S_ISDIR(st.st_mode);
    f.size = static_cast<uint64_t>(st.st_size);
    f.attributes = cab::kAttrArchive | ((st.st_mode & S_IWUSR) ? 0 : cab::kAttrReadOnly);
    struct tm t;
    time_t secs = st.st_mtime;
    if (localtime_r(&secs, &t))
      f.time = cab::ToDosTime(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    out.push_back(std::move(f));
  }
  closedir(dir);
  return problem;
}
#endif

}  // namespace

std::string CheckNameComponent(const Text& c) {
  for (char16_t ch : c) {
    if (ch < 0x20 || ch == 0x7F) return "holds a control character";
    if (Text(u"\\/:*?\"<>|").find(ch) != Text::npos) return std::string("holds '") + static_cast<char>(ch) + "', which Windows does not allow in names";
  }
  if (!c.empty() && (c.back() == u' ' || c.back() == u'.')) return "ends with a blank or a point, which Windows drops";
  return "";
}

std::string MemberName(const Text& relative, std::string& name, uint16_t& attributes) {
  const Text full = u"\\" + relative;
  bool ascii = std::all_of(full.begin(), full.end(), [](char16_t c) { return c < 0x80; });
  name = ToUtf8(full);
  if (ascii)
    attributes = static_cast<uint16_t>(attributes & ~cab::kAttrNameIsUtf8);
  else
    attributes = static_cast<uint16_t>(attributes | cab::kAttrNameIsUtf8);
  if (name.size() > cab::kMaxNameBytes)
    return "the member name " + name.substr(0, 60) + "... has " + std::to_string(name.size()) +
           " bytes; a cabinet member name holds at most " + std::to_string(cab::kMaxNameBytes);
  return "";
}

std::string ScanPayload(const Text& folder, std::vector<PayloadFile>& files) {
  files.clear();
  std::set<Text> folded;
  std::function<std::string(const Text&, const Text&)> walk = [&](const Text& dir, const Text& rel) -> std::string {
    std::vector<Found> found;
    if (std::string problem = ListOne(dir, found); !problem.empty()) return problem;
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.name < b.name; });
    for (Found& f : found) {
      const Text relative = rel.empty() ? f.name : rel + u"\\" + f.name;
      const Text source = dir + u"/" + f.name;
      if (std::string why = CheckNameComponent(f.name); !why.empty())
        return "the payload name " + U8(source) + " " + why;
      if (!folded.insert(ToLower(relative)).second)
        return "the payload holds two names that differ only in case (" + U8(relative) +
               "); Windows keeps them in one file";
      if (f.folder) {
        if (std::string problem = walk(source, relative); !problem.empty()) return problem;
        continue;
      }
      PayloadFile p;
      p.source = source;
      p.relative = relative;
      p.attributes = f.attributes;
      p.time = f.time;
      p.size = f.size;
      if (p.size > cab::kMaxFileBytes)
        return U8(source) + " has " + std::to_string(p.size) +
               " bytes; a cabinet holds files of less than 2 GiB (at most " + std::to_string(cab::kMaxFileBytes) +
               " bytes)";
      if (std::string problem = MemberName(relative, p.name, p.attributes); !problem.empty())
        return problem + " (" + U8(source) + ")";
      if (files.size() >= cab::kMaxFiles)
        return "the payload holds more than " + std::to_string(cab::kMaxFiles) +
               " files, more than a cabinet folder can count";
      files.push_back(std::move(p));
    }
    return "";
  };
  Text root = folder;
  while (root.size() > 1 && (root.back() == u'/' || root.back() == u'\\')) root.pop_back();
  if (std::string problem = walk(root, Text()); !problem.empty()) return problem;
  if (files.empty()) return "the payload folder " + U8(folder) + " holds no files";
  return "";
}

}  // namespace tovu::pack
