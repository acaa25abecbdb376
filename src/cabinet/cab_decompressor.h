// What the cabinet extraction shares with the windows and the worker: the
// window messages of the decompressor and the package extraction, the
// overwrite answers, the process-wide flags, the window a worker reports
// to, and the decompressor as the package extraction sees it. The
// decompressor itself (CCabDecompressor over Cabinet.dll) is in
// cabinet/win32.
#pragma once

#include <atomic>

#include <cstdint>

#include "container/extractor.h"
#include "util/text.h"

namespace tovu {

constexpr uint32_t WM_ASK_OVERWRITE = 1124;   // WM_USER + 100, sent
constexpr uint32_t WM_EXTRACT_DONE = 1224;    // WM_USER + 200, posted
constexpr uint32_t WM_EXTRACT_FAILED = 1324;  // WM_USER + 300, posted

// Sub-codes (wParam) of WM_EXTRACT_PROGRESS.
constexpr uintptr_t PROGRESS_STEP = 1;          // one step (a chunk or a file)
constexpr uintptr_t PROGRESS_CABINET_READY = 2;  // lParam 100
constexpr uintptr_t PROGRESS_FILE_COUNT = 3;     // lParam = files of the package
constexpr uintptr_t PROGRESS_EMPTYING = 4;       // the extraction folder is emptied

// Answers of the overwrite question.
constexpr int OVERWRITE_YES = 1000;
constexpr int OVERWRITE_YES_TO_ALL = 1001;
constexpr int OVERWRITE_NO = 1002;
constexpr int OVERWRITE_NO_TO_ALL = 1003;
constexpr int OVERWRITE_CANCEL = 1004;

// The answer of the last overwrite question (-1 before the first); the
// window's thread stores it before its WM_ASK_OVERWRITE handler returns.
extern std::atomic<int> g_nOverwriteAnswer;
// The copy of the application's continue-launching flag that the
// extraction reads: 0 stops the decompressor at the next file.
extern std::atomic<int> g_bContinueLaunching;

// The window a worker reports to (extraction page or unattended dialog).
class IExtractionWindow : public IProgressWindow {
 public:
  // SendMessageW(WM_EXTRACT_PROGRESS, wParam, lParam).
  virtual void SendProgress(uintptr_t wParam, intptr_t lParam) = 0;
  // SendMessageW(WM_ASK_OVERWRITE, 0, 0); the answer is in g_nOverwriteAnswer.
  virtual void AskOverwrite() = 0;
  virtual void PostDone() = 0;    // PostMessageW(WM_EXTRACT_DONE, 0, 0)
  virtual void PostFailed() = 0;  // PostMessageW(WM_EXTRACT_FAILED, 0, 0)
};

// What the cabinet library tells about a cabinet file.
struct CabinetInfo {
  int32_t cabinetSize = 0;
  uint16_t folderCount = 0;
  uint16_t fileCount = 0;
  uint16_t setId = 0;
  uint16_t cabinetIndex = 0;
  int reserve = 0;
  int hasPrevious = 0;
  int hasNext = 0;
};

// The part checks of a multipart package.
class ICabinetProbe {
 public:
  virtual ~ICabinetProbe() = default;
  // The set ID in the low 16 bits, 0xFFFF for no cabinet.
  virtual uint32_t GetCabinetSetId(const Text& path) = 0;
  // 1 when the part belongs to the package and has the right number.
  virtual int ValidateCabinetFile(const Text& path) = 0;
  // The part's digest (ComputeFileHash of the platform in use).
  virtual uint32_t HashFile(const Text& path, Text& hash, Text& errorText) = 0;
};

class ICabDecompressor : public ICabinetProbe {
 public:
  // 0 or the error code.
  virtual int ExtractCabinet(const Text& cabinetPath, const Text& targetFolder) = 0;
  virtual int GetErrorCode() const = 0;
  virtual uint32_t GetLastOpenError() const = 0;
  // The system error of the write that stopped the extraction (error 1015;
  // 0 when none).
  virtual uint32_t GetLastWriteError() const = 0;
  virtual Text GetErrorMessage() const = 0;
  // Multipart mode: the part name pattern ("Name.%03d") by which the
  // successor of each part is named. Empty: single cabinet.
  virtual void SetPartNamePattern(const Text& pattern) = 0;
};

}  // namespace tovu
