// CTovuInitalizer: prepares what the run needs before any window shows
// (the master log, the Tovu temp folder on a fixed drive with room, the
// settings entries unpacked from the attached-file container) and keeps
// the run-wide package state that the other subsystems read and update.
#pragma once

#include <cstdint>

#include "cmdline/run_mode.h"
#include "log/log_file.h"
#include "platform/platform.h"
#include "util/cutil.h"
#include "util/text.h"

namespace tovu {

class COSValidator;
class CMessageCatalog;
class CExtractorValidator;

// Message-box styles (the MB_* values of Windows) used by the core.
namespace mbstyle {
constexpr uint32_t kOk = 0x0;
constexpr uint32_t kOkCancel = 0x1;
constexpr uint32_t kYesNoCancel = 0x3;
constexpr uint32_t kYesNo = 0x4;
constexpr uint32_t kIconError = 0x10;
constexpr uint32_t kIconQuestion = 0x20;
constexpr uint32_t kIconExclamation = 0x30;
}  // namespace mbstyle

// The application's message-box routine, through which every message box
// of the program passes. The caption is the application's display name.
class IMessageBoxRoutine {
 public:
  virtual ~IMessageBoxRoutine() = default;
  // Shows the text; returns the button pressed (IDOK 1, ...).
  virtual int ShowMessageBox(const Text& text, uint32_t style) = 0;
};

// Machine-wide log folder: Windows Vista and later, and before.
inline constexpr char16_t kLogFolderVista[] = u"%ALLUSERSPROFILE%\\Maravel\\Automation\\Logfiles\\";
inline constexpr char16_t kLogFolderBeforeVista[] =
    u"%ALLUSERSPROFILE%\\Application Data\\Maravel\\Automation\\Logfiles\\";
inline constexpr char16_t kMasterLogName[] = u"Tovu.log";

// The extraction buffer size before the package settings set it.
constexpr uint32_t kDefaultBufferSize = 5242880;
// The space assumed for the settings entries when the executable cannot
// be measured.
constexpr uint64_t kUnknownAppFileSize = 0x100000000ull;

// Windows error codes the Tovu temp folder search reports.
constexpr uint32_t kErrorHandleDiskFull = 39;

class CTovuInitalizer {
 public:
  CTovuInitalizer(IPlatform& platform, CBuildLogFile& log, CUtil& util);

  // The routine that shows messages (none: messages are only logged).
  void SetMessageBoxRoutine(IMessageBoxRoutine* routine) { messageBox_ = routine; }

  // Recreates the machine-wide master log (or, when the old one cannot be
  // deleted, the per-user one) and writes its START banner.
  void OpenMasterLog();
  // The master log path for this Windows version, placeholders expanded.
  Text GetMasterLogPathForThisSystem();

  // Places the Tovu temp folder on the fixed drive with the highest letter
  // that has room for the executable: 0, 39 when no drive has room, or the
  // Windows error of the last folder creation that failed.
  uint32_t SetTovuTempDir();
  // SetTovuTempDir with its outcome as the text to show: "" on success.
  Text CretaeAndValidateTovuTempDir();
  // The size of the executable in bytes (4 GiB when it cannot be opened).
  uint64_t SetAppFileSize();
  // The container start offset from the executable's version record.
  int32_t GetAttachedFileOffset();
  // Unpacks the settings entries of the container into the Tovu temp
  // folder: 0, or the reader's error code.
  int ExtractIntermediateFiles();

  // The process-wide objects Init works with; they outlive the initialiser.
  void SetServices(COSValidator* os, CMessageCatalog* messages, CExtractorValidator* validator) {
    os_ = os;
    messages_ = messages;
    validator_ = validator;
  }

  // Switches the log to the extraction log, writes the system information,
  // reads the package settings and returns InitDisplay's answer.
  int Init(int debug, int noConditionCheck, int noOSCheck, const Text& extractPath, const Text& autolaunch,
           const Text& setupLanguage, int runMode);
  // Creates the extraction log (an older one of the same name is renamed
  // with its date and time) and switches the log writer to it.
  void CreateExtractionLogFile(int debug);
  // The system information block (memory, processors, drives, operating
  // system, languages).
  void LogSystemInformation();
  // The extraction buffer: [Size] 128MB per 128 MiB of memory.
  void SetBufferSize();
  void InitAutolaunch();
  void SetWaitForAutoLaunchParam();
  void InitCommandLineForNoOSCheck(int noOSCheck);
  void SetMultiPart();
  // 510: ValidateAndCheckExtractPath. 520 and 530: the conditions and the
  // extraction folder.
  int InitDisplay(int debug, int noConditionCheck, int noOSCheck, const Text& extractPath, const Text& autolaunch,
                  const Text& setupLanguage, int runMode);
  // The default extraction folder of a GUI run: 1 valid with room, 0 not.
  int ValidateAndCheckExtractPath();
  // [Size] PackageSize, plus [Size] CabSize when the cabinet is first
  // copied beside the settings on the extraction folder's drive.
  uint64_t GetRequiredSpace(const Text& tovuTempDir, const Text& extractionFolder, int multipart);

  // ---- run-wide package state ---------------------------------------------
  int GetRunMode() const { return runMode_; }
  void SetRunMode(int v) { runMode_ = v; }
  const Text& GetTovuTempDir() const { return tovuTempDir_; }
  void SetTovuTempDirPath(const Text& v) { tovuTempDir_ = v; }
  const Text& GetSettingsPath() const { return settingsPath_; }
  void SetSettingsPath(const Text& v) { settingsPath_ = v; }
  const Text& GetMasterLogPath() const { return masterLogPath_; }
  const Text& GetExtractionFolder() const { return extractionFolder_; }
  void SetExtractionFolder(const Text& v) { extractionFolder_ = v; }
  const Text& GetPackageName() const { return packageName_; }
  void SetPackageName(const Text& v) { packageName_ = v; }
  const Text& GetDisplayName() const { return displayName_; }
  void SetDisplayName(const Text& v) { displayName_ = v; }
  int GetFileCount() const { return fileCount_; }
  void SetFileCount(int v) { fileCount_ = v; }
  int GetChangeTargetFlag() const { return changeTarget_; }
  void SetChangeTargetFlag(int v) { changeTarget_ = v; }
  int GetAutolaunchFlag() const { return autolaunch_; }
  void SetAutolaunchFlag(int v) { autolaunch_ = v; }
  int GetRunStatus() const { return runStatus_; }
  void SetRunStatus(int v) { runStatus_ = v; }
  uint16_t GetCabinetSetId() const { return cabinetSetId_; }
  void SetCabinetSetId(uint16_t v) { cabinetSetId_ = v; }
  uint32_t GetBufferSize() const { return bufferSize_; }
  void SetBufferSizeValue(uint32_t v) { bufferSize_ = v; }
  int GetSetupLanguage() const { return setupLanguage_; }
  void SetSetupLanguage(int v) { setupLanguage_ = v; }
  int GetMultipartFlag() const { return multipart_; }
  void SetMultipartFlag(int v) { multipart_ = v; }
  int GetNoConditionCheckFlag() const { return noConditionCheck_; }
  void SetNoConditionCheckFlag(int v) { noConditionCheck_ = v; }
  int GetNoOSCheckFlag() const { return noOSCheck_; }
  void SetNoOSCheckFlag(int v) { noOSCheck_ = v; }
  int GetWaitForAutolaunchFinishFlag() const { return waitForAutolaunchFinish_; }
  void SetWaitForAutolaunchFinishFlag(int v) { waitForAutolaunchFinish_ = v; }
  int GetExitOnAutolaunchFailureFlag() const { return exitOnAutolaunchFailure_; }
  void SetExitOnAutolaunchFailureFlag(int v) { exitOnAutolaunchFailure_ = v; }
  int GetLaunchStoppedFlag() const { return launchStopped_; }
  void SetLaunchStoppedFlag(int v) { launchStopped_ = v; }
  int GetFrameDeletesFlag() const { return frameDeletes_; }
  void SetFrameDeletesFlag(int v) { frameDeletes_ = v; }
  const Text& GetExtractionLogPath() const { return extractionLogPath_; }
  int GetDebugFlag() const { return debug_; }

  // ---- cabinet extraction ---------------------------------------------------
  // The lists the cabinet extraction fills for the clean-up, newest entry
  // first: files written (created or replaced), every package file at the
  // target (kept ones too), folders created, every package folder below
  // the extraction folder.
  TextList& GetWrittenFiles() { return writtenFiles_; }
  TextList& GetPackageFiles() { return packageFiles_; }
  TextList& GetCreatedFolders() { return createdFolders_; }
  TextList& GetPackageFolders() { return packageFolders_; }
  // 1: existing files are replaced without asking.
  int GetOverwriteAllFlag() const { return overwriteAll_; }
  void SetOverwriteAllFlag(int v) { overwriteAll_ = v; }
  // Set when the user answered an overwrite question for all files.
  int GetApplyToAllFlag() const { return applyToAll_; }
  void SetApplyToAllFlag(int v) { applyToAll_ = v; }
  // The outcome of the extraction worker (0, -1, -2, -3, -5 or the
  // decompressor's code), the folder the files went to, the file being
  // extracted, and the user-facing text built for a failed part check.
  // The part file that failed its check (the finish page names it).
  const Text& GetFailedPartName() const { return failedPartName_; }
  void SetFailedPartName(const Text& v) { failedPartName_ = v; }
  int GetExtractionResult() const { return extractionResult_; }
  void SetExtractionResult(int v) { extractionResult_ = v; }
  const Text& GetExtractedToFolder() const { return extractedTo_; }
  void SetExtractedToFolder(const Text& v) { extractedTo_ = v; }
  const Text& GetCurrentFileName() const { return currentFileName_; }
  void SetCurrentFileName(const Text& v) { currentFileName_ = v; }
  const Text& GetExtractionMessage() const { return extractionMessage_; }
  void SetExtractionMessage(const Text& v) { extractionMessage_ = v; }

 private:
  void ShowMessage(const Text& text, uint32_t style);

  IPlatform& platform_;
  CBuildLogFile& log_;
  CUtil& util_;
  IMessageBoxRoutine* messageBox_ = nullptr;
  COSValidator* os_ = nullptr;
  CMessageCatalog* messages_ = nullptr;
  CExtractorValidator* validator_ = nullptr;
  Text extractionLogPath_;
  int debug_ = 0;

  int runMode_ = RUNMODE_GUI;
  Text tovuTempDir_;
  Text settingsPath_;
  Text masterLogPath_;
  Text extractionFolder_;
  Text packageName_;
  Text displayName_;
  int fileCount_ = 0;
  int changeTarget_ = 0;
  int autolaunch_ = 0;
  int runStatus_ = 0;
  Text failedPartName_;
  uint16_t cabinetSetId_ = 0;
  uint32_t bufferSize_ = kDefaultBufferSize;
  int setupLanguage_ = 1033;
  int multipart_ = 0;
  int noConditionCheck_ = 0;
  int noOSCheck_ = 0;
  int waitForAutolaunchFinish_ = 1;
  int exitOnAutolaunchFailure_ = 0;
  int launchStopped_ = 0;
  int frameDeletes_ = 0;
  TextList writtenFiles_;
  TextList packageFiles_;
  TextList createdFolders_;
  TextList packageFolders_;
  int overwriteAll_ = 0;
  int applyToAll_ = 0;
  int extractionResult_ = -1;
  Text extractedTo_;
  Text currentFileName_;
  Text extractionMessage_;
};

}  // namespace tovu
