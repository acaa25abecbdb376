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
constexpr uint32_t kMoreData = 234;
constexpr uint32_t kUnsupportedType = 1630;
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

// GetDiskFreeSpaceExW: bytes free to the caller, total bytes, total free
// bytes.
struct DiskFreeSpaceEx {
  uint64_t freeToCaller = 0;
  uint64_t totalBytes = 0;
  uint64_t totalFreeBytes = 0;
};

// Registry roots, numbered as the package settings number them.
enum class RegRoot : int {
  kClassesRoot = 0,
  kCurrentUser = 1,
  kLocalMachine = 2,
  kUsers = 3,
};

// The registry view a read goes to. kDefault is the process's own view (no
// view flag: the 32-bit view for the 32-bit frame, the 64-bit view for a
// 64-bit build); k32 and k64 name a view explicitly (KEY_WOW64_32KEY,
// KEY_WOW64_64KEY), whatever the bitness of the process.
enum class RegView : int {
  kDefault = 0,
  k32 = 32,
  k64 = 64,
};

// Registry value types (the REG_* numbers).
namespace regtype {
constexpr uint32_t kNone = 0;
constexpr uint32_t kString = 1;        // REG_SZ
constexpr uint32_t kExpandString = 2;  // REG_EXPAND_SZ
constexpr uint32_t kBinary = 3;        // REG_BINARY
constexpr uint32_t kDword = 4;         // REG_DWORD
constexpr uint32_t kMultiString = 7;   // REG_MULTI_SZ
constexpr uint32_t kQword = 11;        // REG_QWORD
}  // namespace regtype

// One registry value as stored: its type and its bytes (strings as UTF-16LE
// code units, with whatever terminating zeros the writer stored).
struct RegistryValue {
  uint32_t type = regtype::kNone;
  std::vector<uint8_t> data;
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

  // ---- system information (defaults: nothing known) -----------------------
  // dwTotalPhys of GlobalMemoryStatus as this process is told it (a 32-bit
  // process never sees more than 4 GiB - 1; a 64-bit one may). 0 when
  // unknown.
  virtual uint64_t TotalPhysicalMemory() { return 0; }
  // GetComputerNameW (1,024 characters); empty when it fails.
  virtual Text ComputerName() { return Text(); }
  // The file system name of a volume (GetVolumeInformationW, 1,024
  // characters), such as "NTFS". Returns 0 or the error (out is then empty).
  virtual uint32_t VolumeFileSystemName(const Text& root, Text& out) {
    out.clear();
    return winerr::kNotSupported;
  }
  // GetDiskFreeSpaceExW of a drive root. Returns 0 or the error.
  virtual uint32_t DiskFreeEx(const Text& root, DiskFreeSpaceEx& out) {
    out = DiskFreeSpaceEx{};
    return winerr::kNotSupported;
  }
  // GetUserDefaultUILanguage looked up in kernel32.dll at run time; -1 when
  // the library or the function is missing.
  virtual int UserUILanguage() { return -1; }
  // GetSystemDefaultLCID; 0 when unknown.
  virtual uint32_t SystemDefaultLocale() { return 0; }
  // GetLocaleInfoW with LOCALE_SENGLANGUAGE, at most 85 characters (with the
  // terminating zero); empty when it fails.
  virtual Text LocaleEnglishLanguageName(uint32_t lcid) { return Text(); }

  // ---- file times and probes ---------------------------------------------
  // The last-write time of a file in local time. Returns 0 or the error.
  virtual uint32_t FileModifiedTime(const Text& path, LocalTime& out) { return winerr::kNotSupported; }
  // Opens an existing file for reading and writing (sharing both) and
  // closes it again: 0, or why it cannot be opened so.
  virtual uint32_t ProbeReadWrite(const Text& path) { return winerr::kNotSupported; }

  // ---- registry (read only) ----------------------------------------------
  // Opens the key for reading in the given view and closes it again.
  // Returns 0, or the error (2 when the key does not exist).
  virtual uint32_t OpenRegistryKey(RegRoot root, const Text& key, RegView view) { return winerr::kNotSupported; }
  // Reads one value (an empty name is the key's default value). With
  // `maxBytes` not 0 the value is read into a buffer of that many bytes,
  // as RegQueryValueExW is given one: longer data fails with 234
  // (kMoreData). Returns 0, or the error (2 when the key or the value does
  // not exist; out is then empty).
  virtual uint32_t ReadRegistryValue(RegRoot root, const Text& key, const Text& name, RegView view,
                                     RegistryValue& out, size_t maxBytes = 0) {
    out = RegistryValue{};
    return winerr::kNotSupported;
  }
  // A REG_SZ or REG_EXPAND_SZ value (not expanded) as text, up to its first
  // zero character. Other types give 1630 (kUnsupportedType). `maxBytes` as
  // for ReadRegistryValue. Returns 0 or the error (out is then empty).
  uint32_t ReadRegistryString(RegRoot root, const Text& key, const Text& name, RegView view, Text& out,
                              size_t maxBytes = 0) {
    out.clear();
    RegistryValue v;
    if (uint32_t e = ReadRegistryValue(root, key, name, view, v, maxBytes)) return e;
    if (v.type != regtype::kString && v.type != regtype::kExpandString) return winerr::kUnsupportedType;
    for (size_t i = 0; i + 1 < v.data.size(); i += 2) {
      char16_t c = static_cast<char16_t>(v.data[i] | (v.data[i + 1] << 8));
      if (c == 0) break;
      out.push_back(c);
    }
    return 0;
  }
  // A REG_DWORD value; other types (or a size other than 4 bytes) give 1630.
  uint32_t ReadRegistryDword(RegRoot root, const Text& key, const Text& name, RegView view, uint32_t& out) {
    out = 0;
    RegistryValue v;
    if (uint32_t e = ReadRegistryValue(root, key, name, view, v)) return e;
    if (v.type != regtype::kDword || v.data.size() != 4) return winerr::kUnsupportedType;
    for (int i = 3; i >= 0; --i) out = (out << 8) | v.data[static_cast<size_t>(i)];
    return 0;
  }
  // A REG_QWORD value; other types (or a size other than 8 bytes) give 1630.
  uint32_t ReadRegistryQword(RegRoot root, const Text& key, const Text& name, RegView view, uint64_t& out) {
    out = 0;
    RegistryValue v;
    if (uint32_t e = ReadRegistryValue(root, key, name, view, v)) return e;
    if (v.type != regtype::kQword || v.data.size() != 8) return winerr::kUnsupportedType;
    for (int i = 7; i >= 0; --i) out = (out << 8) | v.data[static_cast<size_t>(i)];
    return 0;
  }

  // ---- file version (default: no version API) ------------------------------
  // The file version of a file's version resource (GetFileVersionInfoW and
  // VerQueryValueW of "\\"): parts[0], parts[1] the high and low word of
  // VS_FIXEDFILEINFO.dwFileVersionMS, parts[2], parts[3] those of
  // dwFileVersionLS. Returns 0; 1813 (kResourceTypeNotFound) when the file
  // has no version resource or it cannot be read; 8 (kNotEnoughMemory) when
  // no memory can be had for the resource; 50 (kNotSupported) when this
  // platform has no version API, so that the caller reads the file's
  // resources itself (ReadPeFileVersion). parts are 0 unless 0 is returned.
  virtual uint32_t FileVersion(const Text& path, uint16_t parts[4]) {
    for (int i = 0; i < 4; ++i) parts[i] = 0;
    return winerr::kNotSupported;
  }
};

// The process-wide platform. The frame installs the Win32 implementation at
// start; tests install a fake. Never null after SetPlatform.
IPlatform& Platform();
void SetPlatform(IPlatform* platform);

namespace winerr {
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kResourceTypeNotFound = 1813;
}  // namespace winerr

}  // namespace tovu
