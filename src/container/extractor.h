// The attached-file container behind the package executable and its
// reader. Entries follow each other from the start offset on:
//   76 bytes  entry marker (kEntryMarker in UTF-16LE, no terminator)
//    4 bytes  name length n in bytes (little-endian)
//    n bytes  name in UTF-16LE, no terminator
//    4 bytes  data size s
//    2 bytes  type: 200 settings entry, 100 cabinet entry
//    s bytes  data
// The list ends where the next 76 bytes are not the marker or where fewer
// than 76 bytes remain.
#pragma once

#include <atomic>

#include <cstdint>

#include "log/log_file.h"
#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

inline constexpr char16_t kEntryMarker[] = u"{20726377-9F91-41b8-B514-20AE00AA235D}";
constexpr int ENTRY_TYPE_SETTINGS = 200;
constexpr int ENTRY_TYPE_CABINET = 100;
constexpr int EXTRACT_MODE_SETTINGS = 200;
constexpr int EXTRACT_MODE_CABINET = 100;

// Window messages between the extraction worker and its progress window.
constexpr uint32_t WM_EXTRACT_PROGRESS = 1066;  // WM_USER + 42
constexpr uint32_t WM_EXTRACT_LOG = 1067;       // WM_USER + 43

// A worker's log line handed to a window, which writes it.
struct LogRelayRecord {
  int32_t level = 8;
  Text function;
  Text text;
  Text argument;
};

// Set to 1 by the user interface when the user confirms cancelling an
// extraction; the reader clears it whenever it stops copying an entry.
extern std::atomic<int> g_bAbortExtraction;

// The window a worker reports to (progress page or unattended dialog).
class IProgressWindow {
 public:
  virtual ~IProgressWindow() = default;
  virtual bool Exists() = 0;                                   // IsWindow
  virtual void PostProgress(uintptr_t wParam, intptr_t lParam) = 0;  // PostMessageW(WM_EXTRACT_PROGRESS)
  virtual void SendLog(const LogRelayRecord& record) = 0;      // SendMessageW(WM_EXTRACT_LOG)
};

class CExtractor {
 public:
  // Settings reading at startup: no window, no total.
  CExtractor(IPlatform& platform, CLogFile& log);
  // Cabinet copy on the worker: the window it reports to and the size of
  // the executable file.
  CExtractor(IPlatform& platform, CLogFile& log, IProgressWindow* window, int32_t total);
  virtual ~CExtractor() = default;

  // Mode 200 writes settings entries and stops at the first cabinet entry;
  // mode 100 writes cabinet entries and skips all others. `targetFolder`
  // ends with a backslash. 0 when the list was read to its end, -1 on any
  // failure.
  //
  // Beyond the plain layout, an entry whose name is empty, 1,024 bytes or
  // longer, of odd length, or not a plain file name (folder separators,
  // drive colons, "." or "..", control characters) marks the container as
  // damaged: one level-0 line and -1, nothing written for it. A header cut
  // off by the end of the file is damaged too; data cut off by it gives a
  // short output file and the normal end. After an abort request the
  // result is -1.
  int ExtractFile(const Text& source, const Text& targetFolder, int mode, int32_t startOffset, uint32_t chunkSize);

  // The largest buffer one call allocates; a larger chunk size copies in
  // passes of this size (the output is the same).
  static constexpr uint32_t kMaxBuffer = 64u << 20;

 private:
  template <typename... A>
  void Log(int level, TextView format, const A&... args) {
    LogLine(level, Format(format, args...));
  }
  void LogLine(int level, const Text& line);
  int Damaged(const Text& source, uint64_t offset, TextView reason);

  IPlatform& platform_;
  CLogFile& log_;
  LogRelayRecord record_;
  IProgressWindow* window_ = nullptr;
  int32_t total_ = 0;
  int mode_ = EXTRACT_MODE_SETTINGS;
};

// Reads the container start offset from a file's version record.
class CTovuVersionInfoUpdater {
 public:
  virtual ~CTovuVersionInfoUpdater() = default;
  // dwFileSubtype of the file's version record; 0 when it has none or it
  // cannot be read. Uses the process-wide platform: on Windows the
  // system's version API (GetFileVersionInfoW), elsewhere the file's own
  // resource section (container/pe_file.h), which picks the same record.
  uint32_t ReadFileSubtype(const Text& path);
};

}  // namespace tovu
