// The packager: makes a package from a frame executable and its files, and
// lists the container of a package. Works through the platform interface,
// so the same code runs natively (POSIX) and on Windows.
//
// A package is the frame executable with the attached-file container behind
// its image. The frame carries a language-neutral version record whose
// dwFileSubtype is 0; the packager writes the container start offset into
// that field in place, clears the certificate-table entry, appends the
// entries (the settings file, the further settings entries in the order
// given, then the cabinet entry "WebCab1") and recomputes the header
// checksum. The package is written to a temporary file beside the output
// and renamed over it only when complete.
//
// Instead of a ready cabinet the packager can take a payload folder and
// write the cabinet itself (cab_writer.h), with the set ID from the
// settings' [Tovu] GUID2. A multipart package ([Package]
// MultiPartDownload=1) gets a set of part files MultipartFileName.001, ...
// beside the output instead of a cabinet entry, and its settings entry the
// parts' [PartFileIno] and [HashCode] sections. Either way the settings
// entry gets [Size] CabSize and PackageSize and [FileCount] Count; the
// author's settings file stays as it is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tovupack/mszip.h"

#include "platform/platform.h"
#include "util/text.h"

namespace tovu::pack {

// The name the settings entry always gets: the frame looks for it.
inline constexpr char16_t kSettingsEntryName[] = u"Properties_Tovu.ini";
inline constexpr char16_t kCabinetEntryName[] = u"WebCab1";
// Entry names are read into a 1,024-byte area with a terminating zero
// character: at most 511 characters.
constexpr size_t kMaxEntryNameLength = 511;
// The frame reads the start offset as a signed 32-bit value.
constexpr uint64_t kMaxStartOffset = 0x7FFFFFFFull;

struct BuildRequest {
  Text frame;
  Text settings;
  std::vector<Text> entries;
  Text cabinet;
  Text output;
  // The cabinet written from a folder (in place of `cabinet`).
  Text payload;
  cab::Compression compression = cab::Compression::kMszip;
  uint64_t partSize = 0;  // multipart: bytes per part; 0: [Package] PartSize
  unsigned threads = 0;   // 0: one per core
  std::function<void(uint64_t, uint64_t)> progress;  // payload bytes done, all
};

struct BuildResult {
  uint64_t startOffset = 0;
  uint64_t packageSize = 0;
  size_t entryCount = 0;
  // With a payload:
  uint64_t cabinetBytes = 0;  // the cabinet or all parts
  uint64_t payloadBytes = 0;
  size_t fileCount = 0;
  std::vector<Text> parts;    // the part files written (multipart)
};

// Builds the package. Returns "" on success or a message naming the
// problem; on failure nothing is left at the output path that was not
// there before.
std::string BuildPackage(IPlatform& platform, const BuildRequest& request, BuildResult& result);

struct ListedEntry {
  Text name;
  uint16_t type = 0;
  uint32_t size = 0;
  uint64_t offset = 0;      // where the entry's header begins
  uint64_t dataOffset = 0;  // where its bytes begin
};

struct Listing {
  uint32_t startOffset = 0;
  std::vector<ListedEntry> entries;
  uint64_t fileSize = 0;
  uint64_t endOffset = 0;   // where the list ended
  std::string endNote;      // why it ended, when not at the end of the file
};

// Reads the package's start offset and its entries. Returns "" or a
// message naming the problem (not a PE file, no container, a damaged
// entry).
std::string ListPackage(IPlatform& platform, const Text& package, Listing& listing);

// The final component of a path ('/' or '\' separates folders).
Text FileNameOf(const Text& path);

// "" when `name` can be an entry name, else why not.
std::string CheckEntryName(const Text& name);

// The settings file as the frame wants it: UTF-16LE with a byte-order
// mark. Accepts UTF-16LE/BE with a byte-order mark and UTF-8 with or
// without one. Returns "" or why the bytes cannot be taken.
std::string SettingsToUtf16(const std::vector<uint8_t>& in, std::vector<uint8_t>& out);

}  // namespace tovu::pack
