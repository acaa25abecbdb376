// Reading and patching the parts of a Windows executable (PE) file that the
// container relies on: the version records (resource type RT_VERSION,
// name 1) and their VS_FIXEDFILEINFO, the certificate-table entry of the
// data directory and the header checksum. Portable: works on any platform
// through IFileReader, reading only the headers and the resource directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "util/text.h"

namespace tovu {

struct PeVersionRecord {
  uint16_t language = 0;        // resource language id (0 = neutral)
  uint64_t fileOffset = 0;      // where the VS_VERSIONINFO block lies in the file
  uint32_t size = 0;            // the block's size from the resource data entry
  uint64_t subtypeOffset = 0;   // file offset of VS_FIXEDFILEINFO.dwFileSubtype
  uint32_t fileSubtype = 0;
  bool valid = false;           // key "VS_VERSION_INFO" and the fixed-info signature found
};

struct PeInfo {
  bool pe32plus = false;
  uint64_t checksumOffset = 0;        // file offset of the optional header's CheckSum
  uint64_t securityEntryOffset = 0;   // file offset of the certificate-table entry (0: none)
  uint32_t securityAddress = 0;       // its file offset and size
  uint32_t securitySize = 0;
  uint64_t imageEnd = 0;              // end of the headers and the last section's raw data
  std::vector<PeVersionRecord> versions;  // RT_VERSION / 1, every language, in file order
};

// Parses the headers and the version records. Returns "" on success or a
// short description of the problem ("not a PE file: ..."). Whatever the
// file holds, the work stays bounded: each resource directory is read at
// most once (a directory reached again adds nothing), more than 64
// directories on the way or more than 256 version records are a damaged
// resource directory, and a record of 64 KiB or more, or larger than the
// file, is kept as not valid.
std::string ReadPeInfo(IFileReader& file, PeInfo& info);

// The record that GetFileVersionInfoW returns: the language-neutral (0)
// one when present, else US English (1033), else the first. -1 when there
// is no valid record.
int ChooseVersionRecord(const PeInfo& info);

// dwFileSubtype of the chosen version record of the file at `path`, read
// from the file itself; 0 when it has none or it cannot be read.
uint32_t ReadPeFileSubtype(IPlatform& platform, const Text& path);

// The PE header checksum (as CheckSumMappedFile computes it): the 16-bit
// one's-complement-style sum of the file's words with the CheckSum field
// counted as 0, plus the file length. Bytes are fed in order, in pieces of
// any size.
class PeChecksum {
 public:
  void Add(const uint8_t* data, size_t size);
  uint32_t Finish(uint64_t fileLength) const;

 private:
  uint64_t sum_ = 0;
  bool odd_ = false;
  uint8_t pending_ = 0;
};

// Little-endian helpers.
inline uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// The file version of the chosen version record of the file at `path`,
// read from the file itself: parts[0], parts[1] the high and low word of
// VS_FIXEDFILEINFO.dwFileVersionMS, parts[2], parts[3] those of
// dwFileVersionLS. False (parts 0) when the file has no valid record or it
// cannot be read.
bool ReadPeFileVersion(IPlatform& platform, const Text& path, uint16_t parts[4]);

}  // namespace tovu
