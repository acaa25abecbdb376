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
#include <vector>

#include "util/text.h"

namespace tovu {

namespace winerr {
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kFileNotFound = 2;
constexpr uint32_t kPathNotFound = 3;
constexpr uint32_t kAccessDenied = 5;
constexpr uint32_t kInvalidHandle = 6;
constexpr uint32_t kNotReady = 21;
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
};

// The process-wide platform. The frame installs the Win32 implementation at
// start; tests install a fake. Never null after SetPlatform.
IPlatform& Platform();
void SetPlatform(IPlatform* platform);

}  // namespace tovu
