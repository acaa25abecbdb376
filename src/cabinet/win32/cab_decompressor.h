// CCabDecompressor: extracts a package cabinet into a folder through the
// File Decompression Interface of Cabinet.dll, loaded at run time. Adds
// the package signature rule ("TOVU" where a cabinet starts with "MSCF"),
// per-file logging and progress through the progress window, the
// overwrite question, the lists of written files and created folders,
// time stamps and attributes, the refusal of member names that lead
// outside the target folder, the stop at a write that fails or stores fewer
// bytes than asked, and readable error texts (CError).
#pragma once

#include <atomic>

#include <windows.h>
#include <fdi.h>

#include <cstdint>
#include <map>

#include "cabinet/cab_decompressor.h"
#include "cabinet/cab_error.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "util/cutil.h"

namespace tovu {

// The process-wide objects a decompressor works with.
struct CabinetServices {
  IPlatform& platform;
  CLogFile& log;
  CUtil& util;
  CTovuInitalizer& init;
};

// What the before-copy hook is told about a file.
struct CabCopyFile {
  Text fileName;      // "a.txt"
  Text subFolder;     // "\Data\"
  Text fullName;      // "\Data\a.txt" as in the cabinet
  Text outputFolder;  // where the file goes
  Text outputPath;
  int32_t size = 0;
  uint16_t attributes = 0;
  FILETIME time{};  // the cabinet's time stamp (local time)
};

class CCabDecompressor : public ICabDecompressor {
 public:
  // `window` may be null (the part checks); `overwriteAll` 1 replaces
  // existing files without asking.
  CCabDecompressor(CabinetServices services, IExtractionWindow* window, int overwriteAll);
  virtual ~CCabDecompressor();
  CCabDecompressor(const CCabDecompressor&) = delete;
  CCabDecompressor& operator=(const CCabDecompressor&) = delete;

  // The next notification fails; the library stops with code 11.
  virtual void Abort() { abort_ = 1; }

  // File operations of the library's callbacks (C runtime descriptors).
  virtual void* Alloc(ULONG size);
  virtual void Free(void* p);
  virtual UINT Read(INT_PTR fd, void* buffer, UINT size);
  virtual UINT Write(INT_PTR fd, void* buffer, UINT size);
  virtual int Close(INT_PTR fd);
  virtual long Seek(INT_PTR fd, long distance, int origin);
  // With _O_CREAT the file's attributes are set to normal first.
  virtual INT_PTR Open(const wchar_t* name, int flags, int mode);

  // Makes this decompressor the target of the library's callbacks and
  // creates the library context: nonzero on success, 0 when a context
  // exists already or the library is unavailable (error 1000).
  BOOL Initialize();
  // Nonzero when the library recognises the file (after the signature rule).
  BOOL IsCabinet(const Text& path, CabinetInfo& info);

  int ExtractCabinet(const Text& cabinetPath, const Text& targetFolder) override;
  int ValidateCabinetFile(const Text& partPath) override;
  uint32_t GetCabinetSetId(const Text& path) override;
  uint32_t HashFile(const Text& path, Text& hash, Text& errorText) override;
  int GetErrorCode() const override { return error_.GetErrorCode(); }
  uint32_t GetLastOpenError() const override { return lastOpenError_; }
  uint32_t GetLastWriteError() const override { return lastWriteError_; }
  Text GetErrorMessage() const override { return error_.GetErrorMessage(); }
  void SetPartNamePattern(const Text& pattern) override { partPattern_ = pattern; }
  const Text& GetTargetFolder() const { return target_; }
  const CError& GetError() const { return error_; }

 protected:
  // Hooks: before each file (0 skips it), on cabinet information, on the
  // next cabinet.
  virtual int OnBeforeCopy(const CabCopyFile& file) { return 1; }
  virtual void OnCabinetInfo(const Text& nextCabinet, const Text& nextDisk, const Text& cabinetPath, uint16_t setId,
                             uint16_t index) {}
  virtual void OnNextCabinet(const Text& nextCabinet, const Text& nextDisk, const Text& cabinetPath) {}

 private:
  enum class Answer { Descriptor, Cancel };
  INT_PTR FdiCallback(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n);
  INT_PTR OnCopyFile(PFDINOTIFICATION n);
  INT_PTR OnCloseFile(PFDINOTIFICATION n);
  void RewriteNextCabinet(PFDINOTIFICATION n);
  INT_PTR FileOverwrite(const Text& path, Answer& answer);
  INT_PTR OpenOutput(const Text& path, bool truncate);
  uint32_t CreateFolderTree(const Text& folder);
  bool StaysInTarget(const Text& outputPath);
  void Refuse(int code, const Text& detail);
  void SyncError();
  void LogWindow(int level, const char16_t* function, const char16_t* format, const Text& argument);
  void LogWindowNumber(int level, const char16_t* function, const char16_t* format, int value);

  static void* DIAMONDAPI CbAlloc(ULONG cb);
  static void DIAMONDAPI CbFree(void* pv);
  static INT_PTR DIAMONDAPI CbOpen(char* file, int flags, int mode);
  static UINT DIAMONDAPI CbRead(INT_PTR fd, void* pv, UINT cb);
  static UINT DIAMONDAPI CbWrite(INT_PTR fd, void* pv, UINT cb);
  static int DIAMONDAPI CbClose(INT_PTR fd);
  static long DIAMONDAPI CbSeek(INT_PTR fd, long distance, int origin);
  static INT_PTR DIAMONDAPI CbNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION n);
  INT_PTR OpenForLibrary(const char* file, int flags, int mode);
  UINT WriteForLibrary(INT_PTR fd, void* buffer, UINT size);
  // A file of the package could not be written (or, on a full disk, not
  // created, nor its folder): error 1015 with the system error and the
  // path; every later notification and write fails, and the file is
  // deleted when the library stops.
  void WriteFailed(uint32_t systemError, const Text& path, bool isFile = true);

  CabinetServices services_;
  Text target_;
  Text cabinetName_;
  Text nextCabinetName_;
  CError error_;
  ERF erf_{};
  Text lastWrittenName_;
  INT_PTR lastWrittenFd_ = 0;
  uint32_t lastOpenError_ = 0;
  uint32_t lastWriteError_ = 0;
  Text failedWriteName_;
  bool writeFailed_ = false;
  std::map<INT_PTR, long> handles_;
  HMODULE module_ = nullptr;
  decltype(&::FDICreate) fdiCreate_ = nullptr;
  decltype(&::FDICopy) fdiCopy_ = nullptr;
  decltype(&::FDIIsCabinet) fdiIsCabinet_ = nullptr;
  decltype(&::FDIDestroy) fdiDestroy_ = nullptr;
  HFDI context_ = nullptr;
  std::atomic<int> abort_{0};
  int overwriteAll_ = 0;
  int keepTime_ = 0;
  IExtractionWindow* window_ = nullptr;
  LogRelayRecord record_;
  Text partPattern_;
};

}  // namespace tovu
