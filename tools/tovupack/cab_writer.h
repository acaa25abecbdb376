// The cabinet writer: makes the package's cabinet, or its set of part
// files, from a scanned payload.
//
// The payload's files are laid end to end in folders (a new folder only
// when one would pass the format's 65,535 data blocks) and cut into data
// blocks of 32 KiB. One thread reads the files, one per core compresses
// blocks, the calling thread writes them in order: a ring of a few blocks
// per core bounds the memory whatever the payload's size.
//
// A single cabinet is written in one pass; its header, whose size is known
// beforehand, is patched with the data offsets at the end. A set of parts
// needs the compressed block sizes to decide which files each part lists,
// so the blocks go to a temporary file first and the parts are laid out
// and written from it. Parts are filled to the part size exactly: a data
// block cut at a part's end continues in the next part, as is the format's
// rule, and a folder continues into the next part only when a file does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tovupack/mszip.h"
#include "tovupack/payload.h"

namespace tovu::pack {

struct CabinetOptions {
  cab::Compression compression = cab::Compression::kMszip;
  uint16_t setId = 0;
  unsigned threads = 0;  // compressing threads; 0: one per core
  // Called on the writing thread after each block: payload bytes done, all.
  std::function<void(uint64_t, uint64_t)> progress;
};

struct CabinetPart {
  Text path;
  uint64_t size = 0;
  std::string digest;  // first 16 bytes of SHA-1, lower-case hexadecimal
};

struct CabinetResult {
  uint64_t cabinetBytes = 0;  // the cabinet, or all parts together
  uint64_t payloadBytes = 0;
  std::vector<CabinetPart> parts;  // a set only
};

// Writes one cabinet (signature "TOVU") to `path`. Returns "" or a message.
std::string WriteCabinet(IPlatform& platform, const std::vector<PayloadFile>& files, const Text& path,
                         const CabinetOptions& options, CabinetResult& result);

// Writes a set of parts of at most `partSize` bytes each (signature
// "TOVU"); part n (from 1) goes to partPath(n) and is named partName(n) in
// its neighbours' headers. `tempPath` holds the compressed blocks for the
// time of the build. Returns "" or a message; on failure the caller
// removes what partPath names.
std::string WriteCabinetSet(IPlatform& platform, const std::vector<PayloadFile>& files, uint64_t partSize,
                            const std::function<Text(int)>& partPath, const std::function<std::string(int)>& partName,
                            const Text& tempPath, const CabinetOptions& options, CabinetResult& result);

constexpr uint64_t kMinPartSize = 65536;
constexpr int kMaxParts = 999;  // part names carry three digits

// ---- the layout of a set (exposed for the tests) ------------------------
struct LayoutBlock {
  uint32_t folder = 0;
  uint64_t start = 0;  // uncompressed offset in its folder
  uint32_t size = 0;   // uncompressed bytes
  uint32_t packed = 0; // compressed bytes
};
struct LayoutFile {
  uint32_t folder = 0;
  uint64_t offset = 0;  // in its folder
  uint64_t size = 0;
  uint32_t nameBytes = 0;
};
struct LayoutPiece {
  size_t block = 0;
  uint32_t from = 0;  // first compressed byte of the block in this piece
  uint32_t length = 0;
  bool last = false;  // the block's last piece: carries its uncompressed size
};
struct LayoutFolder {
  uint32_t folder = 0;
  uint64_t start = 0;  // folder offset of this cabinet's first byte of it
  uint16_t pieces = 0;
  size_t firstPiece = 0;
};
struct LayoutEntry {
  size_t file = 0;
  uint16_t folderField = 0;  // a folder index or one of the continuation values
  uint64_t offset = 0;       // uncompressed offset in the cabinet's folder
};
struct LayoutCabinet {
  std::vector<LayoutPiece> pieces;
  std::vector<LayoutFolder> folders;
  std::vector<LayoutEntry> files;
  uint64_t bytes = 0;  // size of the cabinet as written
};
// Lays out the set. `names(n)` gives the stored name of part n (from 1).
std::string LayoutSet(const std::vector<LayoutBlock>& blocks, const std::vector<LayoutFile>& files, uint64_t partSize,
                      const std::function<std::string(int)>& names, std::vector<LayoutCabinet>& out);

}  // namespace tovu::pack
