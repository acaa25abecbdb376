#include "app/cleanup.h"

#include <chrono>
#include <set>
#include <thread>

#include "cabinet/cab_error.h"
#include "container/extractor.h"

namespace tovu {

namespace {

constexpr char16_t kWriteToDeletetxt[] = u"WriteToDeletetxt";
constexpr char16_t kDeleteExtractedFilesAndFolders[] = u"DeleteExtractedFilesAndFolders";
constexpr char16_t kDeleteDirectory[] = u"DeleteDirectory";
constexpr char16_t kDeleteExtractedContents[] = u"DeleteExtractedContents";

// Deeper trees than this are not looked into (a folder that deep counts
// as holding something foreign).
constexpr int kMaxDepth = 256;

Text WithoutTrailingBackslash(Text path) {
  while (path.size() > 3 && path.back() == u'\\') path.pop_back();
  return path;
}

// The form in which paths are compared: lower case, no trailing backslash.
Text Key(const Text& path) { return ToLower(WithoutTrailingBackslash(path)); }

Text Join(const Text& folder, const Text& name) {
  Text out = folder;
  if (!out.empty() && out.back() != u'\\') out.push_back(u'\\');
  return out + name;
}

std::set<Text> KeySet(const TextList& list) {
  std::set<Text> out;
  for (const Text& p : list) out.insert(Key(p));
  return out;
}

bool IsFolder(IPlatform& platform, const Text& path) {
  uint32_t error = 0;
  const uint32_t a = platform.FileAttributes(path, &error);
  return a != fileattr::kInvalid && (a & fileattr::kDirectory) != 0;
}

void AppendUtf8Line(std::string& out, const Text& line) {
  out += ToUtf8(line);
  out += "\r\n";
}

}  // namespace

CExtractedFilesCleanup::CExtractedFilesCleanup(IPlatform& platform, CLogFile& log, CUtil& util,
                                               CTovuInitalizer& init)
    : platform_(platform), log_(log), util_(util), init_(init) {}

void CExtractedFilesCleanup::Wait(int milliseconds) {
  if (wait_) wait_(milliseconds);
  else std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

Text CExtractedFilesCleanup::GetListFilePath() const {
  Text folder = init_.GetExtractionFolder();
  CUtil::AddTrailingBackslash(folder);
  return folder + kDeleteListFileName;
}

bool CExtractedFilesCleanup::ExtractionFolderLiesIn(const Text& folder) const {
  // Whole path components only: "C:\Temp\Demo" holds "C:\Temp\Demo\Sub\",
  // not "C:\Temp\Demo2\".
  const Text outer = Key(folder);
  const Text target = Key(init_.GetExtractionFolder());
  if (outer.empty() || target.size() < outer.size()) return false;
  if (target.compare(0, outer.size(), outer) != 0) return false;
  return target.size() == outer.size() || outer.back() == u'\\' || target[outer.size()] == u'\\';
}

bool CExtractedFilesCleanup::FrameDeletesAtExit(int deleteOnExitFlag, const CTovuInitalizer& init) {
  return deleteOnExitFlag == 1 && init.GetWaitForAutolaunchFinishFlag() == 1 && init.GetFrameDeletesFlag() == 1;
}

std::string CExtractedFilesCleanup::EncodeDeleteList(const TextList& lines) {
  std::string out = "\xEF\xBB\xBF";
  for (const Text& line : lines) AppendUtf8Line(out, line);
  return out;
}

bool CExtractedFilesCleanup::ReadDeleteList(IPlatform& platform, const Text& path, TextList& entries) {
  entries.clear();
  std::vector<uint8_t> bytes;
  if (platform.ReadWholeFile(path, bytes) != 0) return false;
  std::string text(bytes.begin(), bytes.end());
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  bool header = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = end + 1;
    if (!header) {
      if (line != "[FilesToDelete]") return false;
      header = true;
      continue;
    }
    if (!line.empty()) entries.push_back(FromUtf8(line));
  }
  return header;
}

int CExtractedFilesCleanup::IsContentListed(const Text& folder) {
  const std::set<Text> files = KeySet(init_.GetPackageFiles());
  const std::set<Text> folders = KeySet(init_.GetPackageFolders());
  // Depth-first over the tree; the first foreign entry ends the check.
  struct Pending {
    Text path;
    int depth;
  };
  std::vector<Pending> stack{{WithoutTrailingBackslash(folder), 0}};
  while (!stack.empty()) {
    Pending p = std::move(stack.back());
    stack.pop_back();
    std::vector<DirEntry> entries;
    if (platform_.ListFolder(p.path, entries) != 0) return 0;
    for (const DirEntry& e : entries) {
      const Text child = Join(p.path, e.name);
      const bool isFolder = (e.attributes & fileattr::kDirectory) != 0;
      if (!isFolder) {
        if (!files.count(Key(child))) return 0;
        continue;
      }
      if (!folders.count(Key(child))) return 0;
      // A link is an entry of its own; what it points to is not ours.
      if (e.attributes & fileattr::kReparsePoint) continue;
      if (p.depth + 1 >= kMaxDepth) return 0;
      stack.push_back({child, p.depth + 1});
    }
  }
  return 1;
}

bool CExtractedFilesCleanup::WriteToDeletetxt() {
  // 1. The list file deletes itself last among the files (once, however
  //    often the list is written for the setups of a run).
  const Text listPath = GetListFilePath();
  TextList& files = init_.GetPackageFiles();
  files.remove_if([&](const Text& p) { return EqualsNoCase(p, listPath); });
  files.push_front(listPath);

  // 2.
  std::unique_ptr<IFileWriter> out;
  if (platform_.CreateWrite(listPath, out) != 0 || !out) return false;
  auto writeLine = [&](const Text& line, bool first) {
    std::string bytes = first ? "\xEF\xBB\xBF" : "";
    AppendUtf8Line(bytes, line);
    out->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    out->Flush();
  };

  // 3.
  writeLine(kDeleteListHeader, true);

  // 4. Exit files, oldest first.
  for (auto it = files.rbegin(); it != files.rend(); ++it) {
    log_.WriteLog(LOG_INFO, kWriteToDeletetxt, u"writing file name to ExtractedFilesToDelete.txt: %s", *it);
    writeLine(*it, false);
  }

  // 5. Exit folders, oldest first, when nothing foreign is in them.
  const TextList& folders = init_.GetPackageFolders();
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    log_.WriteLog(LOG_INFO, kWriteToDeletetxt, u"writing folder name to ExtractedFilesToDelete.txt: %s", *it);
    if (IsContentListed(*it) == 1) writeLine(*it, false);
  }

  // 6. The first-created folder.
  const Text& first = util_.GetFirstCreatedFolder();
  if (!first.empty()) {
    log_.WriteLog(LOG_INFO, kWriteToDeletetxt, u"writing extraction folder name to ExtractedFilesToDelete.txt: %s",
                  first);
    if (ExtractionFolderLiesIn(first)) writeLine(first, false);
  }

  // 7.
  out->Close();
  return true;
}

void CExtractedFilesCleanup::DeleteExtractedFilesAndFolders() {
  TextList& files = init_.GetPackageFiles();
  TextList& folders = init_.GetPackageFolders();

  // 1. Exit files, oldest first.
  for (auto it = files.rbegin(); it != files.rend(); ++it) {
    log_.WriteLog(LOG_INFO, kDeleteExtractedFilesAndFolders, u"Deleting file : %s", *it);
    util_.ClearReadOnly(*it);
    if (platform_.RemoveFile(*it) != 0)
      log_.WriteLog(LOG_INFO, kDeleteExtractedFilesAndFolders, u"Could not delete file : %s", *it);
    Wait(10);
  }

  // 2. Exit folders, newest first.
  for (const Text& folder : folders) {
    if (folder.empty() || !IsFolder(platform_, folder)) continue;
    if (DeleteDirectory(folder) == 0)
      log_.WriteLog(LOG_INFO, kDeleteExtractedFilesAndFolders, u"Could not delete folder : %s", folder);
    Wait(10);
  }

  // 3. The first-created folder goes with whatever is in it.
  const Text& first = util_.GetFirstCreatedFolder();
  if (!first.empty() && ExtractionFolderLiesIn(first)) {
    log_.WriteLog(LOG_INFO, kDeleteExtractedFilesAndFolders, u"Deleting folder : %s", first);
    if (util_.DeleteFolder(first) == 0)
      log_.WriteLog(LOG_INFO, kDeleteExtractedFilesAndFolders, u"Could not delete folder : %s", first);
  }

  // 4.
  files.clear();
  folders.clear();
}

int CExtractedFilesCleanup::DeleteDirectory(const Text& path) {
  return DeleteDirectoryImpl(path, KeySet(init_.GetPackageFolders()), 0);
}

int CExtractedFilesCleanup::DeleteDirectoryImpl(const Text& path, const std::set<Text>& known, int depth) {
  // 1.
  if (!IsFolder(platform_, path)) return -1;
  const Text folder = WithoutTrailingBackslash(path);

  // 2. A file left here is foreign or locked (the extracted ones are gone
  //    already); so is a folder the extraction does not know. The known
  //    subfolders are handled first.
  bool kept = false;
  std::vector<DirEntry> entries;
  platform_.ListFolder(folder, entries);
  for (const DirEntry& e : entries) {
    const Text child = Join(folder, e.name);
    if (!(e.attributes & fileattr::kDirectory)) {
      kept = true;
      continue;
    }
    // A folder the extraction does not know is not ours: it keeps this
    // one and is left as it is.
    if (!known.count(Key(child))) {
      kept = true;
      continue;
    }
    if (e.attributes & fileattr::kReparsePoint) continue;  // never followed
    if (depth + 1 >= kMaxDepth) {
      kept = true;
      continue;
    }
    DeleteDirectoryImpl(child, known, depth + 1);
  }

  // 3.
  if (kept) return 0;
  log_.WriteLog(LOG_INFO, kDeleteDirectory, u"Deleting folder : %s", folder);
  return platform_.RemoveFolder(folder) == 0 ? 1 : 0;
}

void CExtractedFilesCleanup::DeleteExtractedContents() {
  TextList& files = init_.GetWrittenFiles();
  TextList& folders = init_.GetCreatedFolders();

  // 1. Run files, oldest first.
  for (auto it = files.rbegin(); it != files.rend(); ++it) {
    log_.WriteLog(LOG_INFO, kDeleteExtractedContents, u"Deleting file : %s\n", *it);
    util_.ClearReadOnly(*it);
    if (platform_.RemoveFile(*it) != 0)
      log_.WriteLog(LOG_INFO, kDeleteExtractedContents, u"Could not delete file : %s", *it);
    Wait(10);
  }

  // 2. Run folders, newest first, each with its content: the extraction
  //    created them.
  for (const Text& folder : folders) {
    if (folder.empty()) continue;
    log_.WriteLog(LOG_INFO, kDeleteExtractedContents, u"Deleting folder : %s", folder);
    if (util_.DeleteFolder(folder) == 0)
      log_.WriteLog(LOG_INFO, kDeleteExtractedContents, u"Could not delete folder : %s", folder);
    Wait(10);
  }

  // 3. The first-created folder, only when the extraction went into it: a
  //    folder made for another path holds nothing this extraction wrote.
  const Text& first = util_.GetFirstCreatedFolder();
  if (!first.empty() && ExtractionFolderLiesIn(first)) {
    log_.WriteLog(LOG_INFO, kDeleteExtractedContents, u"Deleting folder : %s", first);
    if (util_.DeleteFolder(first) == 0)
      log_.WriteLog(LOG_INFO, kDeleteExtractedContents, u"Could not delete folder : %s", first);
  }

  // 4.
  files.clear();
  folders.clear();
}

bool CExtractedFilesCleanup::DeleteExtractedContentsIfAborted() {
  // An extraction stopped by a write that failed (a full disk) ended as
  // one the user cancelled: what it left is incomplete.
  if (g_bAbortExtraction != 1 && init_.GetExtractionResult() != caberr::kWriteFailed) return false;
  DeleteExtractedContents();
  return true;
}

}  // namespace tovu
