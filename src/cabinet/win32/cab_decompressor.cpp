#include "cabinet/win32/cab_decompressor.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cabinet/file_hash.h"
#include "cabinet/member_path.h"
#include "cabinet/part_validator.h"
#include "platform/win32/win32_platform.h"
#include "util/format.h"

namespace tovu {

std::atomic<int> g_nOverwriteAnswer = -1;
std::atomic<int> g_bContinueLaunching = 1;

namespace {

constexpr char16_t kFdiCallback[] = u"FdiCallback";
constexpr char16_t kFileOverwrite[] = u"FileOverwrite";
constexpr char16_t kValidateCabinetFile[] = u"ValidateCabinetFile";
constexpr size_t kMaxOutputPath = 260;
constexpr int kWriteFlags = _O_BINARY | _O_CREAT | _O_WRONLY | _O_SEQUENTIAL;
constexpr int kReadWritePermission = _S_IREAD | _S_IWRITE;

// The decompressor the library's static callbacks forward to. Only one
// extraction runs at a time.
CCabDecompressor* g_current = nullptr;
// Multipart naming: the part whose successor the next cabinet information
// names, and whether a next-cabinet notification came before it.
int g_partCounter = 1;
int g_nextCabinetFlag = 0;

bool Exists(const Text& path) { return ::GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }

bool IsDiskFull(uint32_t error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// Whether the volume of `file` has fewer than `bytes` bytes free for the caller.
bool VolumeLacks(const Text& file, uint64_t bytes) {
  Text folder, name;
  CCabFile::SplitPath(file, folder, name);
  ULARGE_INTEGER available{};
  if (folder.empty() || !::GetDiskFreeSpaceExW(W(folder), &available, nullptr, nullptr)) return false;
  return available.QuadPart < bytes;
}

void Forget(TextList& list, const Text& path) {
  list.remove_if([&path](const Text& entry) { return EqualsNoCase(entry, path); });
}

Text WithoutBackslash(const Text& path) {
  if (path.size() > 1 && path.back() == u'\\') return path.substr(0, path.size() - 1);
  return path;
}

Text FullPath(const Text& path) {
  DWORD n = ::GetFullPathNameW(W(path), 0, nullptr, nullptr);
  if (n == 0) return Text();
  std::wstring buffer(n, L'\0');
  DWORD got = ::GetFullPathNameW(W(path), n, buffer.data(), nullptr);
  if (got == 0 || got >= n) return Text();
  return FromW(buffer.c_str(), got);
}

// A cabinet's local time stamp to UTC with the daylight-saving rule of its
// own date, as the packager and other cabinet readers convert it: a file
// stamped in summer keeps its time when the package runs in winter.
// LocalFileTimeToFileTime would apply the bias of the moment of extraction.
void LocalToUtc(const FILETIME& local, FILETIME& utc) {
  SYSTEMTIME localTime{}, utcTime{};
  if (::FileTimeToSystemTime(&local, &localTime) && ::TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime) &&
      ::SystemTimeToFileTime(&utcTime, &utc))
    return;
  ::LocalFileTimeToFileTime(&local, &utc);
}

}  // namespace

CCabDecompressor::CCabDecompressor(CabinetServices services, IExtractionWindow* window, int overwriteAll)
    : services_(services), overwriteAll_(overwriteAll), window_(window) {}

CCabDecompressor::~CCabDecompressor() {
  if (context_ && fdiDestroy_) fdiDestroy_(context_);
  context_ = nullptr;
  if (module_) ::FreeLibrary(module_);
  handles_.clear();
  if (g_current == this) g_current = nullptr;
}

// ---- file operations ----------------------------------------------------------

void* CCabDecompressor::Alloc(ULONG size) { return std::malloc(size); }
void CCabDecompressor::Free(void* p) { std::free(p); }
UINT CCabDecompressor::Read(INT_PTR fd, void* buffer, UINT size) {
  return static_cast<UINT>(_read(static_cast<int>(fd), buffer, size));
}
UINT CCabDecompressor::Write(INT_PTR fd, void* buffer, UINT size) {
  return static_cast<UINT>(_write(static_cast<int>(fd), buffer, size));
}
int CCabDecompressor::Close(INT_PTR fd) { return _close(static_cast<int>(fd)); }
long CCabDecompressor::Seek(INT_PTR fd, long distance, int origin) {
  return _lseek(static_cast<int>(fd), distance, origin);
}
INT_PTR CCabDecompressor::Open(const wchar_t* name, int flags, int mode) {
  if (flags & _O_CREAT) ::SetFileAttributesW(name, FILE_ATTRIBUTE_NORMAL);
  return _wopen(name, flags, mode);
}

// ---- static callbacks -----------------------------------------------------------

void* DIAMONDAPI CCabDecompressor::CbAlloc(ULONG cb) { return g_current ? g_current->Alloc(cb) : nullptr; }
void DIAMONDAPI CCabDecompressor::CbFree(void* pv) {
  if (g_current) g_current->Free(pv);
  else std::free(pv);
}
INT_PTR DIAMONDAPI CCabDecompressor::CbOpen(char* file, int flags, int mode) {
  return g_current ? g_current->OpenForLibrary(file, flags, mode) : -1;
}

INT_PTR CCabDecompressor::OpenForLibrary(const char* file, int flags, int /*mode*/) {
  try {
    Text name = FromUtf8(file ? file : "");
    INT_PTR fd = Open(W(name), flags, _S_IREAD);
    if (fd == -1) {
      lastOpenError_ = static_cast<uint32_t>(_doserrno);
      return -1;
    }
    if (flags & (_O_WRONLY | _O_RDWR)) {
      lastWrittenFd_ = fd;
      lastWrittenName_ = name;
    } else {
      handles_[fd] = 0;
    }
    return fd;
  } catch (const std::bad_alloc&) {
    error_.SetCustom(caberr::kOutOfMemory);
    return -1;
  }
}

// The signature rule: the first bytes of every cabinet are "TOVU" and are
// handed to the library as "MSCF"; a cabinet starting otherwise (a plain
// "MSCF" cabinet too) is no cabinet of a package. The tracked position
// follows both seeks and reads, so only a read at the start of the file is
// examined.
UINT DIAMONDAPI CCabDecompressor::CbRead(INT_PTR fd, void* pv, UINT cb) {
  CCabDecompressor* self = g_current;
  if (!self) return static_cast<UINT>(-1);
  UINT got = self->Read(fd, pv, cb);
  auto it = self->handles_.find(fd);
  if (it == self->handles_.end() || got == static_cast<UINT>(-1)) return got;
  if (it->second == 0 && got >= 4) {
    char* bytes = static_cast<char*>(pv);
    if (std::memcmp(bytes, "TOVU", 4) != 0) {
      self->error_.SetCustom(caberr::kNotACabinet);
      return static_cast<UINT>(-1);
    }
    std::memcpy(bytes, "MSCF", 4);
  }
  it->second += static_cast<long>(got);
  return got;
}
UINT DIAMONDAPI CCabDecompressor::CbWrite(INT_PTR fd, void* pv, UINT cb) {
  return g_current ? g_current->WriteForLibrary(fd, pv, cb) : static_cast<UINT>(-1);
}

// The library is handed the whole count or -1. A write that stores fewer
// bytes is continued with the rest; when that stores nothing either (the
// disk is full) or fails, the extraction stops with the system's error.
UINT CCabDecompressor::WriteForLibrary(INT_PTR fd, void* buffer, UINT size) {
  if (writeFailed_) return static_cast<UINT>(-1);
  const char* p = static_cast<const char*>(buffer);
  UINT done = 0;
  uint32_t error = 0;
  while (done < size) {
    _doserrno = 0;
    errno = 0;
    ::SetLastError(0);
    UINT n = Write(fd, const_cast<char*>(p + done), size - done);
    if (n == 0 || n > size - done) {
      // The C runtime fails a write that stored only part of its bytes
      // with ENOSPC and no system error.
      error = static_cast<uint32_t>(_doserrno);
      if (error == 0 && errno == ENOSPC) error = ERROR_DISK_FULL;
      if (error == 0) error = ::GetLastError();
      // Without a reason from the runtime: a volume with less room than
      // the rest of the write is full.
      if (error == 0 && fd == lastWrittenFd_ && VolumeLacks(lastWrittenName_, size - done)) error = ERROR_DISK_FULL;
      if (error == 0) error = n == 0 ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
      break;
    }
    done += n;
  }
  if (done == size) return size;
  WriteFailed(error, fd == lastWrittenFd_ ? lastWrittenName_ : Text());
  return static_cast<UINT>(-1);
}

void CCabDecompressor::WriteFailed(uint32_t systemError, const Text& path, bool isFile) {
  if (writeFailed_) return;
  writeFailed_ = true;
  lastWriteError_ = systemError;
  if (isFile) failedWriteName_ = path;
  Refuse(caberr::kWriteFailed, path);
}
int DIAMONDAPI CCabDecompressor::CbClose(INT_PTR fd) {
  if (!g_current) return -1;
  g_current->handles_.erase(fd);
  if (fd == g_current->lastWrittenFd_) g_current->lastWrittenFd_ = 0;
  return g_current->Close(fd);
}
long DIAMONDAPI CCabDecompressor::CbSeek(INT_PTR fd, long distance, int origin) {
  if (!g_current) return -1;
  long at = g_current->Seek(fd, distance, origin);
  auto it = g_current->handles_.find(fd);
  if (it != g_current->handles_.end()) it->second = at;
  return at;
}
INT_PTR DIAMONDAPI CCabDecompressor::CbNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n) {
  if (!g_current) return -1;
  try {
    return g_current->FdiCallback(type, n);
  } catch (const std::bad_alloc&) {
    g_current->error_.SetCustom(caberr::kOutOfMemory);
    return -1;
  } catch (...) {
    g_current->error_.SetCustom(caberr::kOutOfMemory);
    return -1;
  }
}

// ---- set-up ---------------------------------------------------------------------

BOOL CCabDecompressor::Initialize() {
  if (context_) return FALSE;
  g_current = this;
  error_.Clear();
  erf_ = ERF{};
  if (!module_) {
    module_ = ::LoadLibraryW(L"Cabinet.dll");
    if (module_) {
      fdiCreate_ = reinterpret_cast<decltype(fdiCreate_)>(reinterpret_cast<void*>(::GetProcAddress(module_, "FDICreate")));
      fdiCopy_ = reinterpret_cast<decltype(fdiCopy_)>(reinterpret_cast<void*>(::GetProcAddress(module_, "FDICopy")));
      fdiIsCabinet_ = reinterpret_cast<decltype(fdiIsCabinet_)>(reinterpret_cast<void*>(::GetProcAddress(module_, "FDIIsCabinet")));
      fdiDestroy_ = reinterpret_cast<decltype(fdiDestroy_)>(reinterpret_cast<void*>(::GetProcAddress(module_, "FDIDestroy")));
    }
    if (!module_ || !fdiCreate_ || !fdiCopy_ || !fdiIsCabinet_ || !fdiDestroy_) {
      if (module_) ::FreeLibrary(module_);
      module_ = nullptr;
      error_.SetCustom(caberr::kLoadCabinetDll);
      return FALSE;
    }
  }
  context_ = fdiCreate_(CbAlloc, CbFree, CbOpen, CbRead, CbWrite, CbClose, CbSeek, cpu80386, &erf_);
  SyncError();
  return context_ != nullptr;
}

void CCabDecompressor::SyncError() {
  error_.record.oper = erf_.erfOper;
  error_.record.type = erf_.erfType;
  error_.record.error = erf_.fError;
}

void CCabDecompressor::Refuse(int code, const Text& detail) {
  if (error_.customCode == 0) error_.SetCustom(code, detail);
}

BOOL CCabDecompressor::IsCabinet(const Text& path, CabinetInfo& info) {
  if (!context_) return FALSE;
  g_current = this;
  error_.Clear();
  erf_ = ERF{};
  handles_.clear();
  std::string narrow;
  if (!NarrowCabText(path, narrow)) {
    error_.SetCustom(caberr::kCannotNarrow, path);
    return FALSE;
  }
  INT_PTR fd = CbOpen(narrow.data(), _O_RDONLY | _O_BINARY | _O_SEQUENTIAL, 0);
  if (fd == -1) return FALSE;
  FDICABINETINFO ci{};
  BOOL ok = fdiIsCabinet_(context_, fd, &ci);
  CbClose(fd);
  SyncError();
  if (ok) {
    info.cabinetSize = ci.cbCabinet;
    info.folderCount = ci.cFolders;
    info.fileCount = ci.cFiles;
    info.setId = ci.setID;
    info.cabinetIndex = ci.iCabinet;
    info.reserve = ci.fReserve;
    info.hasPrevious = ci.hasprev;
    info.hasNext = ci.hasnext;
  }
  return ok;
}

uint32_t CCabDecompressor::GetCabinetSetId(const Text& path) {
  if (!context_) Initialize();
  if (!context_) return 0xFFFF;
  CabinetInfo info;
  if (!IsCabinet(path, info)) return 0xFFFF;
  return info.setId;
}

uint32_t CCabDecompressor::HashFile(const Text& path, Text& hash, Text& errorText) {
  return ComputeFileHash(path, hash, errorText);
}

int CCabDecompressor::ValidateCabinetFile(const Text& partPath) {
  CLogFile& log = services_.log;
  int result = 1;
  if (!context_) Initialize();
  if (!context_) return 0;
  CabinetInfo info;
  IsCabinet(partPath, info);
  const Text digits = partPath.size() >= 3 ? partPath.substr(partPath.size() - 3) : partPath;
  int number = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') break;
    number = number * 10 + (c - u'0');
  }
  if (number < 1) {
    log.WriteLog(LOG_DETAIL, kValidateCabinetFile, u"Could not get cab number for cabinet.");
    return 0;
  }
  if (info.setId != services_.init.GetCabinetSetId()) {
    log.WriteLog(LOG_DETAIL, kValidateCabinetFile, u"Cabinet GUID not matching");
    result = 0;
  } else if (info.cabinetIndex != number - 1) {
    log.WriteLog(LOG_DETAIL, kValidateCabinetFile, u"Cabinet number from Name : %s", digits);
    log.WriteLog(LOG_DETAIL, kValidateCabinetFile, u"Cabinet number from Cabinet information : %s",
                 Format(u"%d", info.cabinetIndex));
    log.WriteLog(LOG_DETAIL, kValidateCabinetFile, u"Cabinet ID not correct");
    result = 0;
  }
  return result;
}

// ---- extraction -------------------------------------------------------------------

int CCabDecompressor::ExtractCabinet(const Text& cabinetPath, const Text& targetFolder) {
  if (!Initialize()) return error_.GetErrorCode();
  try {
    abort_ = 0;
    lastWrittenFd_ = 0;
    lastWrittenName_.clear();
    writeFailed_ = false;
    lastWriteError_ = 0;
    failedWriteName_.clear();
    error_.Clear();
    erf_ = ERF{};
    handles_.clear();
    g_partCounter = 1;
    g_nextCabinetFlag = 0;
    target_ = targetFolder;
    if (target_.size() > 1 && target_.back() != u'\\') target_ += u'\\';

    Text folder, name;
    CCabFile::SplitPath(cabinetPath, folder, name);
    if (target_.size() < 3 || folder.size() < 2 || name.size() < 2) {
      error_.SetCustom(caberr::kInvalidParameters);
      return error_.GetErrorCode();
    }
    cabinetName_ = name;
    nextCabinetName_ = name;
    for (;;) {
      std::string narrowName, narrowFolder;
      if (!NarrowCabText(cabinetName_, narrowName) || !NarrowCabText(folder, narrowFolder)) {
        error_.SetCustom(caberr::kCannotNarrow, folder + cabinetName_);
        break;
      }
      erf_ = ERF{};
      BOOL ok = fdiCopy_(context_, narrowName.data(), narrowFolder.data(), 0, CbNotify, nullptr, nullptr);
      SyncError();
      if (!ok) {
        // The library's record may stay unset when a callback refused.
        if (!error_.IsError()) error_.record.error = 1;
        break;
      }
      // A library that goes on after a failed write does not make it a
      // success.
      if (writeFailed_) break;
      if (nextCabinetName_.empty() || nextCabinetName_ == cabinetName_) break;
      cabinetName_ = nextCabinetName_;
    }
  } catch (const std::bad_alloc&) {
    error_.SetCustom(caberr::kOutOfMemory);
  }
  // A file still open (the library stopped in its middle) is closed; after
  // an abort it is deleted, since it is incomplete.
  if (lastWrittenFd_ != 0) {
    Close(lastWrittenFd_);
    lastWrittenFd_ = 0;
    if (abort_ && !lastWrittenName_.empty()) ::DeleteFileW(W(lastWrittenName_));
  }
  // The file whose write failed is incomplete: it goes, and leaves the
  // lists, so that the clean-up does not look for it.
  if (writeFailed_ && !failedWriteName_.empty()) {
    ::SetFileAttributesW(W(failedWriteName_), FILE_ATTRIBUTE_NORMAL);
    if (::DeleteFileW(W(failedWriteName_)) || !Exists(failedWriteName_)) {
      Forget(services_.init.GetWrittenFiles(), failedWriteName_);
      Forget(services_.init.GetPackageFiles(), failedWriteName_);
    }
  }
  return error_.IsError() ? error_.GetErrorCode() : 0;
}

void CCabDecompressor::LogWindow(int level, const char16_t* function, const char16_t* format, const Text& argument) {
  if (window_ == nullptr || !window_->Exists()) return;
  record_.level = level;
  record_.function = function;
  record_.text = format;
  record_.argument = argument;
  window_->SendLog(record_);
}

void CCabDecompressor::LogWindowNumber(int level, const char16_t* function, const char16_t* format, int value) {
  Text line = Format(format, value);
  ReplaceAll(line, u"%", u"%%");
  LogWindow(level, function, line.c_str(), Text());
}

INT_PTR CCabDecompressor::FdiCallback(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n) {
  if (abort_ || writeFailed_) return -1;
  switch (type) {
    case fdintCABINET_INFO: {
      if (!partPattern_.empty()) RewriteNextCabinet(n);
      OnCabinetInfo(nextCabinetName_, FromUtf8(n->psz2 ? n->psz2 : ""), FromUtf8(n->psz3 ? n->psz3 : ""), n->setID,
                    n->iCabinet);
      return 0;
    }
    case fdintCOPY_FILE: return OnCopyFile(n);
    case fdintCLOSE_FILE_INFO: return OnCloseFile(n);
    case fdintNEXT_CABINET: {
      g_nextCabinetFlag = 1;
      if (n->fdie != FDIERROR_NONE) {
        error_.record.oper = n->fdie;
        error_.record.error = 1;
        return -1;
      }
      nextCabinetName_ = FromUtf8(n->psz1 ? n->psz1 : "");
      OnNextCabinet(nextCabinetName_, FromUtf8(n->psz2 ? n->psz2 : ""), FromUtf8(n->psz3 ? n->psz3 : ""));
      return 0;
    }
    default: return 0;
  }
}

// In a multipart package the successor of each part is named by the part
// name pattern, with the extension the cabinet records for it.
void CCabDecompressor::RewriteNextCabinet(PFDINOTIFICATION n) {
  const bool afterNext = g_nextCabinetFlag == 1;
  if (!afterNext) ++g_partCounter;
  else g_nextCabinetFlag = 0;
  Text name = CPartValidator::FormatPartName(partPattern_, g_partCounter);
  name = name.size() > 4 ? name.substr(0, name.size() - 4) : Text();
  Text recorded = FromUtf8(n->psz1 ? n->psz1 : "");
  if (recorded.empty()) name.clear();
  else name += recorded.size() > 4 ? recorded.substr(recorded.size() - 4) : recorded;
  std::string utf8 = ToUtf8(name);
  if (n->psz1 && utf8.size() < CB_MAX_CABINET_NAME) std::memcpy(n->psz1, utf8.c_str(), utf8.size() + 1);
  if (!afterNext) nextCabinetName_ = name;
}

bool CCabDecompressor::StaysInTarget(const Text& outputPath) {
  // The member name passed the lexical check; what the file system makes
  // of the joined path must still lie inside the target folder (its full
  // name and a backslash; a name glued to the folder's own is outside).
  Text base = FullPath(target_);
  Text full = FullPath(outputPath);
  if (base.empty() || full.empty()) return true;
  if (base.back() != u'\\') base += u'\\';
  return full.size() > base.size() && EqualsNoCase(TextView(full).substr(0, base.size()), base);
}

INT_PTR CCabDecompressor::OnCopyFile(PFDINOTIFICATION n) {
  if (g_bContinueLaunching == 0) {
    error_.SetCustom(caberr::kUserAbort);
    return -1;
  }
  const Text member = WidenMemberName(n->psz1, (n->attribs & _A_NAME_IS_UTF) != 0);
  MemberPlacement place = PlaceMember(target_, member);
  services_.init.SetCurrentFileName(place.fileName);
  if (!IsSafeMemberName(member) || !StaysInTarget(place.outputPath)) {
    error_.SetCustom(caberr::kMemberOutsideTarget, member);
    LogWindow(LOG_ERROR, kFdiCallback, u"Refusing the cabinet member %s: it leads outside the target folder", member);
    return -1;
  }

  CabCopyFile file;
  file.fileName = place.fileName;
  file.subFolder = place.folderPart;
  file.fullName = member;
  file.outputFolder = place.outputFolder;
  file.outputPath = place.outputPath;
  file.size = n->cb;
  file.attributes = n->attribs;
  ::DosDateTimeToFileTime(n->date, n->time, &file.time);
  if (OnBeforeCopy(file) == 0) return 0;

  if (place.outputPath.size() > kMaxOutputPath) {
    error_.SetCustom(caberr::kPathTooLong, place.outputPath);
    return -1;
  }
  if (uint32_t e = CreateFolderTree(WithoutBackslash(place.outputFolder))) {
    if (IsDiskFull(e)) WriteFailed(e, WithoutBackslash(place.outputFolder), false);
    else lastOpenError_ = e;
    return -1;
  }

  INT_PTR fd = -1;
  Answer answer = Answer::Descriptor;
  if (overwriteAll_) {
    if (Exists(place.outputPath)) {
      LogWindow(LOG_INFO, kFdiCallback, u"Deleting file : %s", place.outputPath);
      ::SetFileAttributesW(W(place.outputPath), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(W(place.outputPath));
    }
    services_.init.GetWrittenFiles().push_front(place.outputPath);
    services_.init.GetPackageFiles().push_front(place.outputPath);
    LogWindow(LOG_INFO, kFdiCallback, u"Extracting file : %s", place.outputPath);
    fd = OpenOutput(place.outputPath, true);
  } else {
    fd = FileOverwrite(place.outputPath, answer);
  }
  if (answer == Answer::Cancel) {
    error_.SetCustom(caberr::kUserAbort);
    return -1;
  }
  return fd;
}

INT_PTR CCabDecompressor::OpenOutput(const Text& path, bool truncate) {
  INT_PTR fd = Open(W(path), kWriteFlags | (truncate ? _O_TRUNC : 0), kReadWritePermission);
  if (fd == -1) {
    const uint32_t e = static_cast<uint32_t>(_doserrno);
    // A full disk stops the extraction as a failed write does.
    if (IsDiskFull(e)) WriteFailed(e, path);
    else lastOpenError_ = e;
    return -1;
  }
  lastWrittenFd_ = fd;
  lastWrittenName_ = path;
  return fd;
}

INT_PTR CCabDecompressor::FileOverwrite(const Text& path, Answer& answer) {
  answer = Answer::Descriptor;
  CTovuInitalizer& init = services_.init;
  if (Exists(path)) {
    int reply = g_nOverwriteAnswer;
    if (reply == OVERWRITE_YES || reply == OVERWRITE_NO || init.GetApplyToAllFlag() == 0) {
      if (window_) window_->AskOverwrite();
      reply = g_nOverwriteAnswer;
    }
    if (reply == OVERWRITE_YES_TO_ALL || reply == OVERWRITE_NO_TO_ALL) init.SetApplyToAllFlag(1);
    switch (reply) {
      case OVERWRITE_YES:
      case OVERWRITE_YES_TO_ALL: {
        keepTime_ = 1;
        LogWindow(LOG_INFO, kFileOverwrite, u"Deleting file : %s", path);
        if (uint32_t e = services_.util.ClearReadOnly(path)) {
          error_.SetCustom(caberr::kRemoveAttributes, path);
          LogWindowNumber(LOG_INFO, kFileOverwrite, u"Error Code : %d", -1);
          LogWindow(LOG_INFO, kFileOverwrite, u"Error string : %s", services_.util.GetErrorText(e));
          return -1;
        }
        if (::DeleteFileW(W(path))) {
          LogWindow(LOG_INFO, kFileOverwrite, u"Extracing file : %s", path);
          INT_PTR fd = OpenOutput(path, false);
          init.GetWrittenFiles().push_front(path);
          init.GetPackageFiles().push_front(path);
          return fd;
        }
        INT_PTR probe = Open(W(path), kWriteFlags, kReadWritePermission);
        if (probe == -1) lastOpenError_ = static_cast<uint32_t>(_doserrno);
        else Close(probe);
        return -1;
      }
      case OVERWRITE_NO:
      case OVERWRITE_NO_TO_ALL:
        LogWindow(LOG_INFO, kFileOverwrite, u"File already exists : %s. No action required.", path);
        init.GetPackageFiles().push_front(path);
        return 0;
      case OVERWRITE_CANCEL: answer = Answer::Cancel; return 0;
      default: break;
    }
  }
  LogWindow(LOG_INFO, kFileOverwrite, u"Extracing file : %s", path);
  init.GetWrittenFiles().push_front(path);
  init.GetPackageFiles().push_front(path);
  return OpenOutput(path, true);
}

INT_PTR CCabDecompressor::OnCloseFile(PFDINOTIFICATION n) {
  // The time stamp and attributes go to the file the copy notification
  // opened.
  const Text path = lastWrittenName_;
  Close(n->hf);
  if (n->hf == lastWrittenFd_) lastWrittenFd_ = 0;
  HANDLE h = ::CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    if (!keepTime_) {
      FILETIME local{}, utc{};
      if (::DosDateTimeToFileTime(n->date, n->time, &local)) {
        if (n->attribs & 0x100) utc = local;
        else LocalToUtc(local, utc);
        ::SetFileTime(h, &utc, nullptr, &utc);
      }
    }
    ::CloseHandle(h);
  }
  ::SetFileAttributesW(W(path), n->attribs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                             FILE_ATTRIBUTE_ARCHIVE));
  keepTime_ = 0;
  if (window_) window_->SendProgress(PROGRESS_STEP, 0);
  return TRUE;
}

uint32_t CCabDecompressor::CreateFolderTree(const Text& folder) {
  CTovuInitalizer& init = services_.init;
  const Text top = WithoutBackslash(target_);
  // Every package folder below the extraction folder, once.
  for (Text f = folder; f.size() > top.size() && StartsWith(f, top + u"\\");) {
    auto& known = init.GetPackageFolders();
    bool listed = false;
    for (const Text& k : known)
      if (EqualsNoCase(k, f)) listed = true;
    if (!listed) known.push_front(f);
    size_t at = f.rfind(u'\\');
    if (at == Text::npos) break;
    f.resize(at);
  }
  // Creates what is missing, from the top down.
  std::vector<Text> missing;
  for (Text f = folder; !f.empty() && !Exists(f);) {
    missing.push_back(f);
    size_t at = f.rfind(u'\\');
    if (at == Text::npos || at < 3) break;
    f.resize(at);
  }
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!::CreateDirectoryW(W(*it), nullptr)) {
      DWORD e = ::GetLastError();
      if (e != ERROR_ALREADY_EXISTS) return e;
    } else {
      init.GetCreatedFolders().push_front(*it);
    }
  }
  return 0;
}

}  // namespace tovu
