// Win32 implementation of the platform interface, used by the frame and by
// the Windows test binaries.
#pragma once

#include "platform/platform.h"

namespace tovu {

class Win32Platform : public IPlatform {
 public:
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
  uint32_t FileSize(const Text& path, uint64_t* size) override;
  // GetFileVersionInfoW from version.dll, loaded from the system folder
  // only (never from the executable's folder or the current directory).
  bool SystemFileSubtype(const Text& path, uint32_t* subtype) override;
  uint32_t MakeDirectory(const Text& path) override;
  uint32_t RemoveFolder(const Text& path) override;
  uint32_t CreateDirectoryTree(const Text& path) override;
  uint32_t FullPathName(const Text& path, Text& out) override;
  uint32_t LogicalDrives() override;
  uint32_t DriveType(const Text& root) override;
  uint32_t DiskFree(const Text& root, DiskFreeSpace& out) override;
  bool GetEnv(const Text& name, Text& value) override;
  LocalTime Now() override;
  Text UserName() override;
  Text ModulePath() override;
  Text ErrorText(uint32_t code) override;
  uint32_t NewGuid(Text& out) override;
  uint32_t FileModifiedTime(const Text& path, LocalTime& out) override;
  uint32_t ProbeReadWrite(const Text& path) override;
  uint32_t WindowsMajorVersion() override;
  uint64_t TotalPhysicalMemory() override;
  Text ComputerName() override;
  uint32_t VolumeFileSystemName(const Text& root, Text& out) override;
  uint32_t DiskFreeEx(const Text& root, DiskFreeSpaceEx& out) override;
  int UserUILanguage() override;
  uint32_t SystemDefaultLocale() override;
  Text LocaleEnglishLanguageName(uint32_t lcid) override;
  uint32_t OpenRegistryKey(RegRoot root, const Text& key, RegView view) override;
  uint32_t ReadRegistryValue(RegRoot root, const Text& key, const Text& name, RegView view, RegistryValue& out,
                             size_t maxBytes = 0) override;
  // GetFileVersionInfoW and VerQueryValueW from version.dll of the system
  // folder.
  uint32_t FileVersion(const Text& path, uint16_t parts[4]) override;
};

// Conversions between the core's text type and the Win32 wide strings.
inline const wchar_t* W(const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); }
inline Text FromW(const wchar_t* s) {
  return s ? Text(reinterpret_cast<const char16_t*>(s)) : Text();
}
inline Text FromW(const wchar_t* s, size_t n) { return Text(reinterpret_cast<const char16_t*>(s), n); }

}  // namespace tovu
