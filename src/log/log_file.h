// The structured text log: timed lines with a level word and the name of
// the operation that wrote them, raw blocks, a START banner and a summary.
// Each write opens the file, appends and closes it again, so the log is
// complete on disk after every line.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "util/format.h"
#include "util/text.h"

namespace tovu {

// Log levels used by the system.
constexpr int LOG_ERROR = 0;
constexpr int LOG_WARNING = 1;
constexpr int LOG_INFO = 8;
constexpr int LOG_DETAIL = 11;

class CLogFile {
 public:
  explicit CLogFile(IPlatform& platform);
  virtual ~CLogFile() = default;

  // Deletes the file at the path: 0, or -1 when the deletion fails.
  virtual int DeleteLogFile();
  // Sets the path and the level threshold; the first call in the process
  // switches the per-level counters on. Returns 0; does not touch the file.
  virtual int InitLogFile(const Text& path, int threshold);

  // One timed line. `function` is the name of the calling operation.
  template <typename... A>
  int WriteLog(int level, TextView function, TextView format, const A&... args) {
    if (!Accepts(level)) return 0;
    return WriteLogText(level, function, Format(format, args...));
  }
  // One timed line under the function column "NonameFunction"; commas in
  // the message become vertical bars.
  template <typename... A>
  int WriteLogNoFunction(int level, TextView format, const A&... args) {
    if (!Accepts(level)) return 0;
    return WriteLogNoFunctionText(level, Format(format, args...));
  }
  // Appends the formatted text as it is; the caller supplies line feeds.
  template <typename... A>
  int WriteRaw(TextView format, const A&... args) {
    return WriteRawText(Format(format, args...));
  }

  // Already formatted forms of the three writes above.
  // (WriteLogText and WriteLogNoFunctionText apply the level filter too.)
  virtual int WriteLogText(int level, TextView function, const Text& message);
  virtual int WriteLogNoFunctionText(int level, const Text& message);
  virtual int WriteRawText(const Text& text);

  virtual Text GetLevelText(int level) const;

  const Text& GetPath() const { return path_; }
  int GetThreshold() const { return threshold_; }
  // Whether a line of this level passes the threshold.
  bool Accepts(int level) const { return level <= 6 || level <= threshold_; }

 protected:
  IPlatform& platform_;

 private:
  Text path_;
  int threshold_ = 9;
};

class CBuildLogFile : public CLogFile {
 public:
  explicit CBuildLogFile(IPlatform& platform) : CLogFile(platform) {}
  ~CBuildLogFile() override = default;

  // Remembers the start time stamp and writes the START banner.
  int WriteStart();
  // Writes the summary block.
  int WriteSummary();
  int GetErrorCount() const;
  int GetWarningCount() const;
  const Text& GetStartTimeStamp() const { return start_; }

 private:
  Text start_;
};

// The end banner that closes each log file (written by the application
// and the initialiser, with or without a final line feed).
inline constexpr char16_t kLogEndBanner[] =
    u"############################## --------- End --------- ##############################";

// Creates a log folder level by level from the root down (the path is cut
// at its last backslash first). 0, or -1 when a level cannot be made.
int CreateLogFolder(IPlatform& platform, const Text& path);

// The per-level counters are process-wide (they count the lines of both log
// files of a run). Tests reset them to start from a clean process state.
void ResetLogCountersForTest();

}  // namespace tovu
