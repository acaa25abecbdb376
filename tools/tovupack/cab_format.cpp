#include "tovupack/cab_format.h"

namespace tovu::pack::cab {

uint32_t Checksum(const uint8_t* data, size_t size, uint32_t seed) {
  uint32_t sum = seed;
  size_t words = size / 4;
  for (size_t i = 0; i < words; ++i, data += 4)
    sum ^= static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  uint32_t tail = 0;
  switch (size & 3) {
    case 3: tail |= static_cast<uint32_t>(*data++) << 16; [[fallthrough]];
    case 2: tail |= static_cast<uint32_t>(*data++) << 8; [[fallthrough]];
    case 1: tail |= *data;
  }
  return sum ^ tail;
}

uint32_t DataChecksum(const uint8_t* data, uint16_t compressedSize, uint16_t uncompressedSize) {
  const uint8_t sizes[4] = {static_cast<uint8_t>(compressedSize), static_cast<uint8_t>(compressedSize >> 8),
                            static_cast<uint8_t>(uncompressedSize), static_cast<uint8_t>(uncompressedSize >> 8)};
  return Checksum(sizes, 4, Checksum(data, compressedSize, 0));
}

DosTime ToDosTime(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1980) return DosTime{};
  if (year > 2107) return DosTime{static_cast<uint16_t>((127 << 9) | (12 << 5) | 31),
                                  static_cast<uint16_t>((23 << 11) | (59 << 5) | 29)};
  DosTime t;
  t.date = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
  t.time = static_cast<uint16_t>((hour << 11) | (minute << 5) | (second / 2));
  return t;
}

size_t HeaderSize(const std::string& prevCabinet, const std::string& nextCabinet) {
  size_t n = kHeaderBytes;
  if (!prevCabinet.empty()) n += prevCabinet.size() + 2;
  if (!nextCabinet.empty()) n += nextCabinet.size() + 2;
  return n;
}

std::vector<uint8_t> Header(const HeaderFields& h) {
  std::vector<uint8_t> v{'M', 'S', 'C', 'F'};
  v.reserve(HeaderSize(h.prevCabinet, h.nextCabinet));
  Put32(v, 0);
  Put32(v, h.cabinetBytes);
  Put32(v, 0);
  Put32(v, h.filesOffset);
  Put32(v, 0);
  v.push_back(3);  // version 1.3
  v.push_back(1);
  Put16(v, h.folders);
  Put16(v, h.files);
  Put16(v, static_cast<uint16_t>((h.prevCabinet.empty() ? 0 : kFlagPrevCabinet) |
                                 (h.nextCabinet.empty() ? 0 : kFlagNextCabinet)));
  Put16(v, h.setId);
  Put16(v, h.index);
  if (!h.prevCabinet.empty()) {
    PutZ(v, h.prevCabinet);
    PutZ(v, "");
  }
  if (!h.nextCabinet.empty()) {
    PutZ(v, h.nextCabinet);
    PutZ(v, "");
  }
  return v;
}

void AppendFolder(std::vector<uint8_t>& out, uint32_t dataOffset, uint16_t blocks, uint16_t compression) {
  Put32(out, dataOffset);
  Put16(out, blocks);
  Put16(out, compression);
}

void AppendFile(std::vector<uint8_t>& out, uint32_t size, uint32_t folderOffset, uint16_t folder, DosTime time,
                uint16_t attributes, const std::string& name) {
  Put32(out, size);
  Put32(out, folderOffset);
  Put16(out, folder);
  Put16(out, time.date);
  Put16(out, time.time);
  Put16(out, attributes);
  PutZ(out, name);
}

void AppendDataHeader(std::vector<uint8_t>& out, uint32_t checksum, uint16_t compressedSize, uint16_t uncompressedSize) {
  Put32(out, checksum);
  Put16(out, compressedSize);
  Put16(out, uncompressedSize);
}

}  // namespace tovu::pack::cab
