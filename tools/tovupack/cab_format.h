// The pieces of the cabinet format that the packager writes: the fixed
// sizes and limits, the data-block checksum, DOS time stamps and the
// little-endian serialisation of the header records.
//
// A cabinet is a header (CFHEADER), one record per folder (CFFOLDER), one
// record per file (CFFILE) and the data blocks (CFDATA) of the folders. A
// folder is one compressed stream of its files' bytes, cut into blocks of
// at most 32 KiB of uncompressed data. In a set of cabinets a folder may
// continue from one cabinet into the next; a data block cut at a cabinet's
// end keeps uncompressed size 0 in its first piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tovu::pack::cab {

constexpr uint32_t kBlockSize = 32768;                   // uncompressed bytes per data block
constexpr uint32_t kMaxBlocksPerFolder = 0xFFFF;          // CFFOLDER.cCFData is 16 bits
constexpr uint64_t kMaxFolderBytes = uint64_t{kBlockSize} * kMaxBlocksPerFolder;  // 0x7FFF8000
constexpr uint64_t kMaxFileBytes = kMaxFolderBytes;       // a file lies in one folder
constexpr uint32_t kMaxFiles = 0xFFFF;                   // CFHEADER.cFiles is 16 bits
constexpr size_t kMaxNameBytes = 255;                     // CFFILE.szName, without its zero
constexpr size_t kMaxCabinetNameBytes = 255;              // szCabinetNext / szCabinetPrev
constexpr uint64_t kMaxCabinetBytes = 0x7FFFFFFF;         // offsets are read as signed 32-bit

constexpr uint32_t kHeaderBytes = 36;
constexpr uint32_t kFolderBytes = 8;
constexpr uint32_t kFileFixedBytes = 16;  // CFFILE without its name
constexpr uint32_t kDataHeaderBytes = 8;

constexpr uint16_t kFlagPrevCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;

constexpr uint16_t kCompressNone = 0;
constexpr uint16_t kCompressMszip = 1;

constexpr uint16_t kFolderContinuedFromPrev = 0xFFFD;
constexpr uint16_t kFolderContinuedToNext = 0xFFFE;
constexpr uint16_t kFolderContinuedPrevAndNext = 0xFFFF;

constexpr uint16_t kAttrReadOnly = 0x01;
constexpr uint16_t kAttrHidden = 0x02;
constexpr uint16_t kAttrSystem = 0x04;
constexpr uint16_t kAttrArchive = 0x20;
constexpr uint16_t kAttrNameIsUtf8 = 0x80;

// The CFDATA checksum over the block's bytes, seeded with `seed`: 32-bit
// little-endian words XORed together, the 1 to 3 trailing bytes folded in
// with the first of them highest.
uint32_t Checksum(const uint8_t* data, size_t size, uint32_t seed);
// The checksum stored in a CFDATA header: over the data, then over the
// two 16-bit size fields.
uint32_t DataChecksum(const uint8_t* data, uint16_t compressedSize, uint16_t uncompressedSize);

struct DosTime {
  uint16_t date = 0x21;  // 1980-01-01
  uint16_t time = 0;
};
// Local calendar time to DOS date and time (2-second steps, truncated).
// Years before 1980 become 1980-01-01 00:00:00, after 2107 2107-12-31
// 23:59:58.
DosTime ToDosTime(int year, int month, int day, int hour, int minute, int second);

inline void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
inline void PutZ(std::vector<uint8_t>& v, const std::string& s) {
  v.insert(v.end(), s.begin(), s.end());
  v.push_back(0);
}
inline void Set32(uint8_t* p, uint32_t x) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(x >> (8 * i));
}

struct HeaderFields {
  uint32_t cabinetBytes = 0;
  uint32_t filesOffset = 0;
  uint16_t folders = 0;
  uint16_t files = 0;
  uint16_t setId = 0;
  uint16_t index = 0;
  std::string prevCabinet;  // empty: none
  std::string nextCabinet;  // empty: none
};
// CFHEADER with its optional names (disk names are empty). Starts with
// "MSCF"; the packager puts "TOVU" in its place where the package wants it.
std::vector<uint8_t> Header(const HeaderFields& h);
size_t HeaderSize(const std::string& prevCabinet, const std::string& nextCabinet);

void AppendFolder(std::vector<uint8_t>& out, uint32_t dataOffset, uint16_t blocks, uint16_t compression);
void AppendFile(std::vector<uint8_t>& out, uint32_t size, uint32_t folderOffset, uint16_t folder, DosTime time,
                uint16_t attributes, const std::string& name);
void AppendDataHeader(std::vector<uint8_t>& out, uint32_t checksum, uint16_t compressedSize, uint16_t uncompressedSize);

}  // namespace tovu::pack::cab
