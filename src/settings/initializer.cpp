#include "settings/initializer.h"

#include <memory>

#include "container/extractor.h"
#include "settings/builtin_messages.h"
#include "util/format.h"

namespace tovu {

namespace {

constexpr char16_t kSetAppFileSize[] = u"SetAppFileSize";
constexpr char16_t kSetTovuTempDir[] = u"SetTovuTempDir";
constexpr char16_t kCretaeAndValidateTovuTempDir[] = u"CretaeAndValidateTovuTempDir";
constexpr char16_t kExtractIntermediateFiles[] = u"ExtractIntermediateFiles";

constexpr char16_t kNoVolumeWithSpace[] = u"Unable to find a volume with enough disk space for file extraction.";
constexpr char16_t kExtractionBanner[] =
    u"------------------------------------------ Extraction ------------------------------------------";

}  // namespace

CTovuInitalizer::CTovuInitalizer(IPlatform& platform, CBuildLogFile& log, CUtil& util)
    : platform_(platform), log_(log), util_(util) {}

void CTovuInitalizer::ShowMessage(const Text& text, uint32_t style) {
  if (messageBox_ != nullptr) messageBox_->ShowMessageBox(text, style);
}

Text CTovuInitalizer::GetMasterLogPathForThisSystem() {
  const uint32_t major = platform_.WindowsMajorVersion();
  const Text folder = major >= 6 ? kLogFolderVista : kLogFolderBeforeVista;
  return util_.ExpandEnvPath(folder + kMasterLogName);
}

void CTovuInitalizer::OpenMasterLog() {
  masterLogPath_ = GetMasterLogPathForThisSystem();
  util_.CreateFolderLevels(masterLogPath_);
  log_.InitLogFile(masterLogPath_, 9);
  if (util_.FileExists(masterLogPath_) == 1 && log_.DeleteLogFile() == -1) {
    // The log of another user's run is still there and stays; this run
    // writes its own.
    masterLogPath_ = util_.AppendUserName(masterLogPath_);
    util_.CreateFolderLevels(masterLogPath_);
    log_.InitLogFile(masterLogPath_, 9);
    log_.DeleteLogFile();
  }
  log_.WriteStart();
}

uint64_t CTovuInitalizer::SetAppFileSize() {
  const Text path = util_.GetModulePath();
  log_.WriteLog(LOG_INFO, kSetAppFileSize, u"Opening file : %s", path);
  uint64_t size = 0;
  std::unique_ptr<IFileReader> file;
  uint32_t error = path.empty() ? winerr::kFileNotFound : platform_.OpenRead(path, file);
  if (error == 0 && file) error = file->Size(&size);
  if (error == 0 && file) {
    file.reset();
    log_.WriteLog(LOG_INFO, kSetAppFileSize, u"File closed successfully");
  } else {
    file.reset();
    log_.WriteLog(LOG_ERROR, kSetAppFileSize, u"Error in opening the file");
    size = kUnknownAppFileSize;
  }
  double value = 0;
  Text unit;
  CUtil::FormatSize(size, value, unit);
  log_.WriteLog(LOG_INFO, kSetAppFileSize, u"Space required for Extraction of Setting files: %s",
                Format(u"%.02f %s", value, unit));
  return size;
}

uint32_t CTovuInitalizer::SetTovuTempDir() {
  const uint64_t required = SetAppFileSize();
  log_.WriteLog(LOG_INFO, kSetTovuTempDir, u"Searching space for extraction of Setting files");

  TextList drives;
  util_.FindDrives(drives, static_cast<int>(drivetype::kFixed), required);
  if (drives.empty()) {
    log_.WriteLog(LOG_ERROR, kSetTovuTempDir, kNoVolumeWithSpace);
    return kErrorHandleDiskFull;
  }

  uint32_t lastError = 0;
  for (const Text& root : drives) {
    Text guid;
    if (uint32_t e = platform_.NewGuid(guid)) {
      lastError = e;
      continue;
    }
    const Text folder = root + guid + u"\\";
    // A folder of that name that is already there belongs to someone else:
    // it is never taken (the run deletes its temp folder at the end).
    const uint32_t e = platform_.MakeDirectory(root + guid);
    if (e != 0) {
      lastError = e;
      continue;
    }
    log_.WriteLog(LOG_INFO, kSetTovuTempDir, u"Required Space found in Drive : %s", root);
    log_.WriteLog(LOG_INFO, kSetTovuTempDir, u"Directory created : %s", folder);
    tovuTempDir_ = folder;
    return 0;
  }
  return lastError;
}

Text CTovuInitalizer::CretaeAndValidateTovuTempDir() {
  const uint32_t code = SetTovuTempDir();
  switch (code) {
    case 0:
      return Text();
    case kErrorHandleDiskFull:
      log_.WriteLog(LOG_ERROR, kCretaeAndValidateTovuTempDir, kNoVolumeWithSpace);
      return GetBuiltInMessageText(MSG_NO_VOLUME_WITH_SPACE);
    case winerr::kAccessDenied:
      log_.WriteLog(LOG_ERROR, kCretaeAndValidateTovuTempDir,
                    u"Unable to find a volume for file extraction.Please verify that you have proper permissions.");
      return GetBuiltInMessageText(MSG_NO_VOLUME_PERMISSION);
    default: {
      // The system text ends with a line break, which neither the log line
      // nor the message box wants.
      Text text = TrimRight(util_.GetErrorText(code));
      if (text.empty()) text = Format(u"Error %u", code);
      log_.WriteLog(LOG_ERROR, kCretaeAndValidateTovuTempDir, u"Error : %s", text);
      return text;
    }
  }
}

int32_t CTovuInitalizer::GetAttachedFileOffset() {
  const Text path = util_.GetModulePath();
  if (path.empty()) return 0;
  CTovuVersionInfoUpdater version;
  return static_cast<int32_t>(version.ReadFileSubtype(path));
}

int CTovuInitalizer::ExtractIntermediateFiles() {
  log_.WriteRaw(u"%s\n", kExtractionBanner);
  CExtractor extractor(platform_, log_);
  const int32_t offset = GetAttachedFileOffset();
  const int result = extractor.ExtractFile(util_.GetModulePath(), tovuTempDir_, EXTRACT_MODE_SETTINGS, offset,
                                           bufferSize_);
  if (result == 0) {
    log_.WriteLog(LOG_INFO, kExtractIntermediateFiles, u"Extracted Setting files to %s", tovuTempDir_);
  } else {
    log_.WriteLog(LOG_ERROR, kExtractIntermediateFiles, u"An error occured during extraction of Setting files");
    if (runMode_ == RUNMODE_GUI)
      ShowMessage(GetBuiltInMessageText(MSG_AN_ERROR_OCCURRED), mbstyle::kOk | mbstyle::kIconError);
  }
  return result;
}

}  // namespace tovu
