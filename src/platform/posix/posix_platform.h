// POSIX implementation of the platform interface, for the native tools
// (the packager). Paths are the host's paths (UTF-8 on disk, '/' between
// folders); error codes are mapped to the Windows codes the core expects.
#pragma once

#include "platform/platform.h"

namespace tovu {

class PosixPlatform : public IPlatform {
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
  uint32_t MakeDirectory(const Text& path) override;
  uint32_t RemoveFolder(const Text& path) override;
  uint32_t CreateDirectoryTree(const Text& path) override;
  uint32_t FullPathName(const Text& path, Text& out) override;
  // One drive: the root folder, reported as fixed.
  uint32_t LogicalDrives() override;
  uint32_t DriveType(const Text& root) override;
  uint32_t DiskFree(const Text& root, DiskFreeSpace& out) override;
  bool GetEnv(const Text& name, Text& value) override;
  LocalTime Now() override;
  Text UserName() override;
  Text ModulePath() override;
  Text ErrorText(uint32_t code) override;
};

// The Windows error code for an errno value.
uint32_t WinErrorFromErrno(int err);

}  // namespace tovu
