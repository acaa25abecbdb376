// The narrow interface through which the portable core reaches the
// operating system. The frame uses the Win32 implementation
// (platform/win32); native unit tests use the fakes under tests/fakes.
//
// Results follow the Win32 conventions the core relies on: error codes are
// Windows error codes (0 = success, 2 = file not found, 3 = path not found,
// 5 = access denied, 80 = file exists, 183 = already exists, ...), drive
// types are the GetDriveTypeW values, attributes are FILE_ATTRIBUTE_* bits.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "util/text.h"

namespace tovu {

namespace winerr {
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidFunction = 1;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNotReady = 21;
constexpr uint32_t kWriteFault = 29;
constexpr uint32_t kReadFault = 30;
constexpr uint32_t kSharingViolation = 32;
constexpr uint32_t kFileExists = 80;
constexpr uint32_t kCannotMake = 82;
constexpr uint32_t kInvalidParameter = 87;
constexpr uint32_t kDiskFull = 112;
constexpr uint32_t kInvalidName = 123;
constexpr uint32_t kDirNotEmpty = 145;
constexpr uint32_t kBadPathName = 161;
constexpr uint32_t kAlreadyExists = 183;
constexpr uint32_t kFilenameExcedRange = 206;
constexpr uint32_t kDirectory = 267;
constexpr uint32_t kNegativeSeek = 131;
constexpr uint32_t kHandleEof = 38;
constexpr uint32_t kNotSupported = 50;
}  // namespace winerr

namespace drivetype {
constexpr uint32_t kUnknown = 0;
constexpr uint32_t kNoRootDir = 1;
constexpr uint32_t kRemovable = 2;
constexpr uint32_t kFixed = 3;
constexpr uint32_t kRemote = 4;
constexpr uint32_t kCdrom = 5;
constexpr uint32_t kRamdisk = 6;
}  // namespace drivetype

namespace fileattr {
constexpr uint32_t kReadOnly = 0x1;
constexpr uint32_t kHidden = 0x2;
constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
// Symbolic links, junctions and mount points: a folder with this bit is
// an entry to remove, never a folder to descend into.
constexpr uint32_t kReparsePoint = 0x400;
constexpr uint32_t kInvalid = 0xFFFFFFFFu;
}  // namespace fileattr

struct LocalTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  int dayOfWeek = 4;  // 0 = Sunday
};

struct DirEntry {
  Text name;            // file name only, never "." or ".."
  uint32_t attributes;  // fileattr bits
  uint64_t size;
};

struct DiskFreeSpace {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;
  uint32_t totalClusters = 0;
};

// A file opened for reading (binary, others may read but not write).
class IFileReader {
 public:
  virtual ~IFileReader() = default;
  // Moves to an absolute position; `reached` receives the position the
  // file is at afterwards. Returns 0 or the error.
  virtual uint32_t Seek(uint64_t position, uint64_t* reached) = 0;
  // Reads up to `size` bytes; `got` receives the count (0 at the end of
  // the file). Returns 0 or the error.
  virtual uint32_t Read(void* buffer, uint32_t size, uint32_t* got) = 0;
  // The file's length in bytes; 0 or the error.
  virtual uint32_t Size(uint64_t* size) = 0;
};

// A file created (or replaced) for binary writing, without sharing.
class IFileWriter {
 public:
  virtual ~IFileWriter() = default;
  // Writes all bytes. Returns 0 or the error.
  virtual uint32_t Write(const void* data, uint32_t size) = 0;
  // Hands the written bytes to the system (FlushFileBuffers / fsync is not
  // implied). Returns 0 or the error.
  virtual uint32_t Flush() = 0;
  // Moves to an absolute position for the next write. Returns 0 or the error.
  virtual uint32_t Seek(uint64_t position) = 0;
  // Flushes and closes; later calls fail. Returns 0 or the error of the
  // last flush. The destructor closes too, ignoring errors.
  virtual uint32_t Close() = 0;
};

class IPlatform {
 public:
  virtual ~IPlatform() = default;

  // ---- files -----------------------------------------------------------
  // Reads a whole file. Returns 0 or the error.
  virtual uint32_t ReadWholeFile(const Text& path, std::vector<uint8_t>& out) = 0;
  // Creates or replaces a file with the given bytes. Returns 0 or the error.
  virtual uint32_t WriteWholeFile(const Text& path, const std::vector<uint8_t>& data) = 0;
  // Opens (creating if missing, never truncating, without sharing), seeks
  // to the end, writes, closes. Returns 0 or the error of the open/write.
  virtual uint32_t AppendToFile(const Text& path, const void* data, size_t size) = 0;
  // Creates (always) an empty file for writing with sequential-scan hint
  // and closes it again. Returns 0 or the error.
  virtual uint32_t CreateEmptyFile(const Text& path) = 0;
  virtual uint32_t RemoveFile(const Text& path) = 0;
  // FILE_ATTRIBUTE bits, or fileattr::kInvalid with `error` set.
  virtual uint32_t FileAttributes(const Text& path, uint32_t* error) = 0;
  virtual uint32_t SetAttributes(const Text& path, uint32_t attributes) = 0;
  // One find-first over the exact name: true when anything matched.
  virtual bool FindFirstExists(const Text& path) = 0;
  // The entries of a folder (a find-first/next over "folder\*" without "."
  // and ".."). Returns 0 or the error.
  virtual uint32_t ListFolder(const Text& folder, std::vector<DirEntry>& out) = 0;
  // GetTempFileNameW with unique 0: creates the file, returns its name.
  virtual uint32_t MakeTempFile(const Text& folder, const Text& prefix, Text& out) = 0;

  // ---- file streams (default: not supported) -----------------------------
  // Opens an existing file for binary reading, denying others write access.
  virtual uint32_t OpenRead(const Text& path, std::unique_ptr<IFileReader>& out) {
    out.reset();
    return winerr::kNotSupported;
  }
  // Creates a file for binary writing, replacing one of that name.
  virtual uint32_t CreateWrite(const Text& path, std::unique_ptr<IFileWriter>& out) {
    out.reset();
    return winerr::kNotSupported;
  }
  // Renames a file, replacing an existing target (MoveFileExW with
  // MOVEFILE_REPLACE_EXISTING). Returns 0 or the error.
  virtual uint32_t MoveReplace(const Text& from, const Text& to) { return winerr::kNotSupported; }
  // The length of a file in bytes. Returns 0 or the error.
  virtual uint32_t FileSize(const Text& path, uint64_t* size);
  // dwFileSubtype of the file's version record through the system's
  // version API (GetFileVersionInfoW). Returns false when this platform
  // has no such API; the caller then reads the file's resources itself.
  virtual bool SystemFileSubtype(const Text& path, uint32_t* subtype) { return false; }

  // ---- folders ---------------------------------------------------------
  // CreateDirectoryW: 0, 183 when it exists, or another error.
  virtual uint32_t MakeDirectory(const Text& path) = 0;
  virtual uint32_t RemoveFolder(const Text& path) = 0;
  // SHCreateDirectoryExW: creates every missing level. Its result code.
  virtual uint32_t CreateDirectoryTree(const Text& path) = 0;
  // GetFullPathNameW. Returns 0 or the error.
  virtual uint32_t FullPathName(const Text& path, Text& out) = 0;

  // ---- drives ----------------------------------------------------------
  virtual uint32_t LogicalDrives() = 0;
  virtual uint32_t DriveType(const Text& root) = 0;
  // GetDiskFreeSpaceW. Returns 0 or the error.
  virtual uint32_t DiskFree(const Text& root, DiskFreeSpace& out) = 0;

  // ---- process and session ---------------------------------------------
  // The process environment (names compare without regard to case).
  virtual bool GetEnv(const Text& name, Text& value) = 0;
  virtual LocalTime Now() = 0;
  // GetUserNameW; empty when it fails.
  virtual Text UserName() = 0;
  // GetModuleFileNameW of the running executable; empty when it fails.
  virtual Text ModulePath() = 0;
  // FormatMessageW from the system table in the default language.
  virtual Text ErrorText(uint32_t code) = 0;
  // A new GUID in registry format: braces and upper-case hexadecimal
  // digits ("{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}"). Returns 0 or the
  // error (out is then empty).
  virtual uint32_t NewGuid(Text& out) {
    out.clear();
    return winerr::kNotSupported;
  }
  // The major version of Windows as this program sees it (GetVersionExW:
  // 5 for XP, 6 for Vista to 8.1, 10 with a Windows 10 manifest); 0 when
  // unknown.
  virtual uint32_t WindowsMajorVersion() { return 0; }
};

// The process-wide platform. The frame installs the Win32 implementation at
// start; tests install a fake. Never null after SetPlatform.
IPlatform& Platform();
void SetPlatform(IPlatform* platform);

}  // namespace tovu
