// An in-memory platform for native unit tests: drives with types and free
// space, a case-insensitive file system of folders and files, an
// environment, a settable clock, user name and module path, and failure
// injection per path.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/platform.h"

namespace tovu::test {

class FakePlatform : public IPlatform {
 public:
  FakePlatform();

  // ---- shaping the machine ----------------------------------------------
  // Adds drive `letter` (A-Z) with its type and free bytes (reported as
  // 512-byte sectors, 8 sectors per cluster). Read-only drives refuse every
  // write with error 5. Drive C: (fixed) exists from the start.
  void AddDrive(char letter, uint32_t type, uint64_t freeBytes = 1ull << 34, bool readOnly = false);
  void RemoveDrive(char letter);
  void AddFolder(const Text& path);                    // with all parents
  void AddFile(const Text& path, const std::string& bytes, uint32_t attributes = fileattr::kArchive);
  void AddFile(const Text& path, const std::vector<uint8_t>& bytes, uint32_t attributes = fileattr::kArchive);
  // A folder link (symbolic link or junction) at `path` to the folder
  // `target`: paths through it reach the target's entries; the link itself
  // reports the directory and reparse-point attributes, and removing it
  // removes only the link, as RemoveDirectoryW does.
  void AddFolderLink(const Text& path, const Text& target);
  // Every write operation on exactly this path (create, delete, write,
  // remove) fails with `error`.
  void FailPath(const Text& path, uint32_t error);
  void SetEnv(const Text& name, const Text& value);
  void UnsetEnv(const Text& name);
  void SetTime(const LocalTime& t) { time_ = t; }
  void SetUserName(const Text& u) { user_ = u; }
  void SetModulePath(const Text& p) { module_ = p; }
  void SetCurrentDirectory(const Text& p) { cwd_ = p; }
  // The GUIDs NewGuid hands out next, in order; after them it counts up
  // from {00000000-0000-0000-0000-000000000001}. A GUID of "" fails with 5.
  void QueueGuid(const Text& guid) { guids_.push_back(guid); }
  void SetWindowsMajorVersion(uint32_t major) { windowsMajor_ = major; }
  // The last-write time FileModifiedTime reports for a path (default: the
  // fake's clock).
  void SetModifiedTime(const Text& path, const LocalTime& t) { modified_[Key(Normalize(path))] = t; }

  // System information. At start: 2 GiB of memory, computer name
  // "TESTPC", UI language and system locale 1033 (English); every drive
  // reports the file system "NTFS" and, from GetDiskFreeSpaceExW, its free
  // bytes as total, total free and caller's free bytes.
  void SetTotalPhysicalMemory(uint64_t bytes) { memory_ = bytes; }
  void SetComputerName(const Text& name) { computer_ = name; }
  // The volume's file system name; "" makes GetVolumeInformationW fail.
  void SetVolumeFileSystem(char letter, const Text& name);
  // Total bytes GetDiskFreeSpaceExW reports (free bytes stay as added).
  void SetDriveTotal(char letter, uint64_t totalBytes);
  // GetDiskFreeSpaceExW of the drive fails with `error` (0: works again).
  void FailDiskFreeEx(char letter, uint32_t error);
  // GetDiskFreeSpaceW of the drive fails with `error` (0: works again).
  void FailDiskFree(char letter, uint32_t error);
  // What GetDiskFreeSpaceW reports for the drive, instead of the clusters
  // derived from its free bytes.
  void SetDiskFreeGeometry(char letter, const DiskFreeSpace& space);
  void SetUserUILanguage(int id) { uiLanguage_ = id; }  // -1: function missing
  void SetSystemDefaultLocale(uint32_t lcid) { systemLocale_ = lcid; }
  // LOCALE_SENGLANGUAGE of a locale (1033 "English" and 1031 "German" are
  // known from the start; others are empty until set).
  void SetLocaleEnglishName(uint32_t lcid, const Text& name) { localeNames_[lcid] = name; }

  // Registry. Keys and value names compare without regard to case; setting
  // a value creates its key. `view` k32 or k64 writes into that view only;
  // kDefault writes into both (a key the views share, as HKLM\HARDWARE).
  // Reads in the default view go to the process view (k32 at start, as for
  // the 32-bit frame).
  void AddRegistryKey(RegRoot root, const Text& key, RegView view = RegView::kDefault);
  void SetRegistryValue(RegRoot root, const Text& key, const Text& name, const RegistryValue& value,
                        RegView view = RegView::kDefault);
  // Stored as REG_SZ with its terminating zero, as RegSetValueExW callers
  // usually store strings.
  void SetRegistryString(RegRoot root, const Text& key, const Text& name, const Text& value,
                         RegView view = RegView::kDefault);
  void SetRegistryDword(RegRoot root, const Text& key, const Text& name, uint32_t value,
                        RegView view = RegView::kDefault);
  void SetRegistryQword(RegRoot root, const Text& key, const Text& name, uint64_t value,
                        RegView view = RegView::kDefault);
  void SetProcessRegistryView(RegView view) { processView_ = view; }
  int registryKeyOpens = 0;  // OpenRegistryKey and ReadRegistryValue calls

  // ---- looking at it -----------------------------------------------------
  bool IsFolder(const Text& path) const;
  bool IsFile(const Text& path) const;
  std::string FileBytes(const Text& path) const;  // "" when missing
  // All paths (folders end with "\") below and including `root`, sorted.
  std::vector<Text> ListAll(const Text& root = u"") const;
  int createDirectoryCalls = 0;

  // ---- IPlatform ---------------------------------------------------------
  uint32_t ReadWholeFile(const Text& path, std::vector<uint8_t>& out) override;
  uint32_t WriteWholeFile(const Text& path, const std::vector<uint8_t>& data) override;
  uint32_t AppendToFile(const Text& path, const void* data, size_t size) override;
  uint32_t CreateEmptyFile(const Text& path) override;
  uint32_t RemoveFile(const Text& path) override;
  uint32_t FileAttributes(const Text& path, uint32_t* error) override;
  uint32_t SetAttributes(const Text& path, uint32_t attributes) override;
  bool FindFirstExists(const Text& path) override;
  uint32_t ListFolder(const Text& folder, std::vector<DirEntry>& out) override;
  uint32_t MakeTempFile(const Text& folder, const Text& prefix, Text& out) override;
  uint32_t OpenRead(const Text& path, std::unique_ptr<IFileReader>& out) override;
  uint32_t CreateWrite(const Text& path, std::unique_ptr<IFileWriter>& out) override;
  uint32_t MoveReplace(const Text& from, const Text& to) override;
  // Reads of open streams fail with this error after `afterBytes` bytes
  // have been read through them (0 = off).
  void FailReadsAfter(uint64_t afterBytes, uint32_t error) { failReadAfter_ = afterBytes; failReadError_ = error; }
  // Called after each stream read (tests use it to act between chunks).
  std::function<void(uint32_t got)> onRead;
  int streamReads = 0;
  int wholeFileReads = 0;  // calls of ReadWholeFile
  int streamWrites = 0;
  int streamFlushes = 0;
  int streamSeeks = 0;
  uint32_t MakeDirectory(const Text& path) override;
  uint32_t RemoveFolder(const Text& path) override;
  uint32_t CreateDirectoryTree(const Text& path) override;
  uint32_t FullPathName(const Text& path, Text& out) override;
  uint32_t LogicalDrives() override;
  uint32_t DriveType(const Text& root) override;
  uint32_t DiskFree(const Text& root, DiskFreeSpace& out) override;
  bool GetEnv(const Text& name, Text& value) override;
  LocalTime Now() override { return time_; }
  Text UserName() override { return user_; }
  Text ModulePath() override { return module_; }
  Text ErrorText(uint32_t code) override;
  uint32_t NewGuid(Text& out) override;
  uint32_t WindowsMajorVersion() override { return windowsMajor_; }
  uint32_t FileModifiedTime(const Text& path, LocalTime& out) override;
  // 0 for an existing file that is neither read-only nor failing (FailPath).
  uint32_t ProbeReadWrite(const Text& path) override;
  uint64_t TotalPhysicalMemory() override { return memory_; }
  Text ComputerName() override { return computer_; }
  uint32_t VolumeFileSystemName(const Text& root, Text& out) override;
  uint32_t DiskFreeEx(const Text& root, DiskFreeSpaceEx& out) override;
  int UserUILanguage() override { return uiLanguage_; }
  uint32_t SystemDefaultLocale() override { return systemLocale_; }
  Text LocaleEnglishLanguageName(uint32_t lcid) override;
  uint32_t OpenRegistryKey(RegRoot root, const Text& key, RegView view) override;
  uint32_t ReadRegistryValue(RegRoot root, const Text& key, const Text& name, RegView view, RegistryValue& out,
                             size_t maxBytes = 0) override;

 private:
  struct Node {
    Text name;  // full path as first written, without trailing backslash
    bool folder = false;
    std::vector<uint8_t> data;
    uint32_t attributes = 0;
    Text linkTarget;  // normalized; non-empty for a folder link
  };
  struct Drive {
    Drive() = default;
    Drive(uint32_t t, uint64_t free, bool ro) : type(t), freeBytes(free), readOnly(ro) {}
    uint32_t type = drivetype::kFixed;
    uint64_t freeBytes = 0;
    bool readOnly = false;
    Text fileSystem = u"NTFS";
    bool totalSet = false;
    uint64_t totalBytes = 0;
    uint32_t diskFreeExError = 0;
    uint32_t diskFreeError = 0;
    bool geometrySet = false;
    DiskFreeSpace geometry;
  };
  Drive* FindDrive(char letter);
  // Registry keys by view (32 or 64), root and upper-case key path; values
  // by upper-case name.
  using RegKeyMap = std::map<std::pair<int, Text>, std::map<Text, RegistryValue>>;
  std::map<int, RegKeyMap>::iterator RegViewOf(RegView view);
  const std::map<Text, RegistryValue>* FindRegKey(RegRoot root, const Text& key, RegView view);
  std::vector<int> RegWriteViews(RegView view) const;

  // Normalises to an absolute path without trailing backslash (the drive
  // root keeps it: "C:\"); empty when the path cannot be resolved.
  Text Normalize(const Text& path) const;
  static Text Key(const Text& normalized);
  static Text Parent(const Text& normalized);
  const Drive* DriveOf(const Text& normalized) const;
  uint32_t WriteCheck(const Text& normalized) const;  // 0 or error
  bool ParentIsFolder(const Text& normalized) const;
  // Replaces a leading part of the path that is a folder link by the link's
  // target (the path itself, when it is a link, stays).
  Text ResolveLinks(Text normalized) const;

  std::map<Text, Node> nodes_;  // by Key()
  std::map<char, Drive> drives_;
  std::map<Text, uint32_t> failures_;  // by Key()
  std::map<Text, LocalTime> modified_;  // by Key()
  std::map<Text, Text> env_;           // by upper-case name
  LocalTime time_;
  Text user_ = u"tester";
  Text module_ = u"C:\\Package\\Package.exe";
  Text cwd_ = u"C:\\";
  unsigned tempCounter_ = 0x1A2B;
  uint64_t failReadAfter_ = 0;
  uint32_t failReadError_ = 0;
  uint64_t streamBytesRead_ = 0;
  friend class FakeReader;
  friend class FakeWriter;
  int linkCount_ = 0;
  std::vector<Text> guids_;
  uint32_t guidCounter_ = 0;
  uint32_t windowsMajor_ = 6;
  uint64_t memory_ = 2147483648ull;
  Text computer_ = u"TESTPC";
  int uiLanguage_ = 1033;
  uint32_t systemLocale_ = 1033;
  std::map<uint32_t, Text> localeNames_ = {{1033, u"English"}, {1031, u"German"}};
  std::map<int, RegKeyMap> registry_;
  RegView processView_ = RegView::k32;
 public:
  // File versions. SetFileVersion gives the path a version resource with
  // these four parts; FailFileVersion makes FileVersion answer `error`
  // (1813: no version resource, 8: no memory). For other paths FileVersion
  // answers 50 (no version API), so callers read the fake file's bytes as a
  // PE image, as on a platform without the API.
  void SetFileVersion(const Text& path, uint16_t a, uint16_t b, uint16_t c, uint16_t d);
  void FailFileVersion(const Text& path, uint32_t error);
  uint32_t FileVersion(const Text& path, uint16_t parts[4]) override;

 private:
  struct FileVersionEntry {
    uint32_t error = 0;
    uint16_t parts[4] = {0, 0, 0, 0};
  };
  std::map<Text, FileVersionEntry> fileVersions_;  // by Key()
};

}  // namespace tovu::test
