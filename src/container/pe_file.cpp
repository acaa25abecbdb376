#include "container/pe_file.h"

#include <algorithm>

namespace tovu {

namespace {

constexpr uint16_t kRtVersion = 16;
constexpr uint32_t kMaxResourceEntries = 4096;  // per directory; real files hold a handful
// Directories read on the way to the version records: the root, and one
// name and one language directory per RT_VERSION entry in a real file.
constexpr uint32_t kMaxResourceDirectories = 64;
// Version records kept (real files hold one per language they ship).
constexpr size_t kMaxVersionRecords = 256;
// VS_VERSIONINFO's length is a 16-bit field.
constexpr uint32_t kMaxVersionRecordSize = 0xFFFF;

bool ReadAt(IFileReader& f, uint64_t offset, void* buffer, uint32_t size) {
  uint64_t reached = 0;
  if (f.Seek(offset, &reached) || reached != offset) return false;
  uint8_t* p = static_cast<uint8_t*>(buffer);
  while (size > 0) {
    uint32_t got = 0;
    if (f.Read(p, size, &got) || got == 0) return false;
    p += got;
    size -= got;
  }
  return true;
}

struct Section {
  uint32_t virtualAddress, virtualSize, rawSize, rawPointer;
};

// File offset of an RVA range lying inside one section's raw data.
bool RvaToOffset(const std::vector<Section>& sections, uint32_t rva, uint32_t length, uint64_t* offset) {
  for (const auto& s : sections) {
    uint64_t span = s.rawSize;
    if (s.virtualSize && s.virtualSize < span) span = s.virtualSize;
    if (rva >= s.virtualAddress && static_cast<uint64_t>(rva) + length <= static_cast<uint64_t>(s.virtualAddress) + span) {
      *offset = static_cast<uint64_t>(s.rawPointer) + (rva - s.virtualAddress);
      return true;
    }
  }
  return false;
}

struct DirEntryRaw {
  uint32_t name;
  uint32_t data;
};

// Reads one resource directory's entries (ids only are needed here).
bool ReadResourceDir(IFileReader& f, uint64_t offset, std::vector<DirEntryRaw>& out) {
  uint8_t head[16];
  if (!ReadAt(f, offset, head, 16)) return false;
  uint32_t count = static_cast<uint32_t>(Le16(head + 12)) + Le16(head + 14);
  if (count > kMaxResourceEntries) return false;
  out.resize(count);
  if (count == 0) return true;
  std::vector<uint8_t> raw(count * 8u);
  if (!ReadAt(f, offset + 16, raw.data(), static_cast<uint32_t>(raw.size()))) return false;
  for (uint32_t i = 0; i < count; ++i) out[i] = {Le32(&raw[i * 8]), Le32(&raw[i * 8 + 4])};
  return true;
}

}  // namespace

std::string ReadPeInfo(IFileReader& f, PeInfo& info) {
  info = PeInfo{};
  uint64_t fileSize = 0;
  if (f.Size(&fileSize)) return "cannot read the file size";
  uint8_t dos[64];
  if (fileSize < 64 || !ReadAt(f, 0, dos, 64) || dos[0] != 'M' || dos[1] != 'Z') return "not a PE file: no MZ header";
  uint32_t peOffset = Le32(dos + 60);
  uint8_t coff[24];
  if (static_cast<uint64_t>(peOffset) + 24 > fileSize || !ReadAt(f, peOffset, coff, 24) ||
      Le32(coff) != 0x00004550u)
    return "not a PE file: no PE signature";
  uint32_t sectionCount = Le16(coff + 6);
  uint32_t optSize = Le16(coff + 20);
  uint64_t optOffset = static_cast<uint64_t>(peOffset) + 24;
  if (optSize < 96 || optSize > 4096 || optOffset + optSize > fileSize) return "not a PE file: bad optional header";
  std::vector<uint8_t> opt(optSize);
  if (!ReadAt(f, optOffset, opt.data(), optSize)) return "not a PE file: bad optional header";
  uint16_t magic = Le16(opt.data());
  if (magic == 0x20B) info.pe32plus = true;
  else if (magic != 0x10B) return "not a PE file: unknown optional header magic";
  uint32_t dirCountAt = info.pe32plus ? 108 : 92;
  uint32_t dirsAt = info.pe32plus ? 112 : 96;
  if (optSize < dirsAt) return "not a PE file: bad optional header";
  uint32_t dirCount = Le32(&opt[dirCountAt]);
  if (dirCount > (optSize - dirsAt) / 8) dirCount = (optSize - dirsAt) / 8;
  info.checksumOffset = optOffset + 64;
  uint32_t sizeOfHeaders = Le32(&opt[60]);
  info.imageEnd = sizeOfHeaders;
  if (dirCount > 4) {
    info.securityEntryOffset = optOffset + dirsAt + 4 * 8;
    info.securityAddress = Le32(&opt[dirsAt + 32]);
    info.securitySize = Le32(&opt[dirsAt + 36]);
  }
  uint32_t rsrcRva = 0, rsrcSize = 0;
  if (dirCount > 2) {
    rsrcRva = Le32(&opt[dirsAt + 16]);
    rsrcSize = Le32(&opt[dirsAt + 20]);
  }

  if (sectionCount > 96) return "not a PE file: too many sections";
  std::vector<Section> sections(sectionCount);
  if (sectionCount) {
    std::vector<uint8_t> raw(sectionCount * 40u);
    if (!ReadAt(f, optOffset + optSize, raw.data(), static_cast<uint32_t>(raw.size())))
      return "not a PE file: section table cut off";
    for (uint32_t i = 0; i < sectionCount; ++i) {
      const uint8_t* s = &raw[i * 40];
      sections[i] = {Le32(s + 12), Le32(s + 8), Le32(s + 16), Le32(s + 20)};
      if (sections[i].rawSize) {
        uint64_t end = static_cast<uint64_t>(sections[i].rawPointer) + sections[i].rawSize;
        if (end > fileSize) return "not a PE file: a section runs past the end of the file";
        if (end > info.imageEnd) info.imageEnd = end;
      }
    }
  }
  if (rsrcRva == 0 || rsrcSize == 0) return "";
  uint64_t rsrcOffset = 0;
  if (!RvaToOffset(sections, rsrcRva, 16, &rsrcOffset)) return "";

  // The three levels of the tree: types, names, languages. Only RT_VERSION
  // / 1 is followed, each directory at most once (a directory that refers
  // back to one already read, or a second way to the same one, adds
  // nothing), and the work stays bounded by the limits above whatever the
  // entries say.
  uint32_t directoriesRead = 0;
  std::vector<uint64_t> visited;
  std::vector<DirEntryRaw> types, names, langs;
  enum class Dir { kRead, kSkipped, kDamaged, kTooMany };
  auto readDir = [&](uint32_t entryData, std::vector<DirEntryRaw>& out) {
    uint64_t at = 0;
    if (!RvaToOffset(sections, rsrcRva + (entryData & 0x7FFFFFFFu), 16, &at)) return Dir::kDamaged;
    if (std::find(visited.begin(), visited.end(), at) != visited.end()) return Dir::kSkipped;
    if (++directoriesRead > kMaxResourceDirectories) return Dir::kTooMany;
    visited.push_back(at);
    return ReadResourceDir(f, at, out) ? Dir::kRead : Dir::kDamaged;
  };
  const std::string tooManyDirectories =
      "damaged resource directory: more than " + std::to_string(kMaxResourceDirectories) + " version directories";
  switch (readDir(0, types)) {
    case Dir::kRead: break;
    case Dir::kSkipped: return "";
    case Dir::kDamaged: return "damaged resource directory";
    case Dir::kTooMany: return tooManyDirectories;
  }
  for (const auto& t : types) {
    if (t.name != kRtVersion || !(t.data & 0x80000000u)) continue;
    switch (readDir(t.data, names)) {
      case Dir::kRead: break;
      case Dir::kSkipped: continue;
      case Dir::kDamaged: return "damaged resource directory";
      case Dir::kTooMany: return tooManyDirectories;
    }
    for (const auto& n : names) {
      if (n.name != 1 || !(n.data & 0x80000000u)) continue;
      switch (readDir(n.data, langs)) {
        case Dir::kRead: break;
        case Dir::kSkipped: continue;
        case Dir::kDamaged: return "damaged resource directory";
        case Dir::kTooMany: return tooManyDirectories;
      }
      for (const auto& l : langs) {
        if (l.data & 0x80000000u) continue;  // no fourth level
        uint64_t entryAt = 0;
        uint8_t entry[16];
        if (!RvaToOffset(sections, rsrcRva + l.data, 16, &entryAt) || !ReadAt(f, entryAt, entry, 16)) continue;
        if (info.versions.size() >= kMaxVersionRecords)
          return "damaged resource directory: more than " + std::to_string(kMaxVersionRecords) + " version records";
        PeVersionRecord rec;
        rec.language = static_cast<uint16_t>(l.name & 0xFFFF);
        rec.size = Le32(entry + 4);
        // A version record holds a 16-bit length; a larger one, or one
        // larger than the file, is no record.
        if (rec.size > kMaxVersionRecordSize || rec.size > fileSize ||
            !RvaToOffset(sections, Le32(entry), rec.size, &rec.fileOffset)) {
          rec.fileOffset = 0;
          info.versions.push_back(rec);
          continue;
        }
        uint8_t block[92];
        if (rec.size >= 92 && ReadAt(f, rec.fileOffset, block, 92)) {
          static const char key[] = "VS_VERSION_INFO";
          bool keyOk = Le16(block + 2) >= 52;
          for (int i = 0; i < 16 && keyOk; ++i) keyOk = Le16(block + 6 + 2 * i) == static_cast<uint8_t>(key[i]);
          if (keyOk && Le32(block + 40) == 0xFEEF04BDu) {
            rec.valid = true;
            rec.subtypeOffset = rec.fileOffset + 80;
            rec.fileSubtype = Le32(block + 80);
          }
        }
        info.versions.push_back(rec);
      }
    }
  }
  return "";
}

int ChooseVersionRecord(const PeInfo& info) {
  static const uint16_t order[] = {0x0000, 0x0409};
  for (uint16_t lang : order)
    for (size_t i = 0; i < info.versions.size(); ++i)
      if (info.versions[i].language == lang) return info.versions[i].valid ? static_cast<int>(i) : -1;
  if (!info.versions.empty() && info.versions[0].valid) return 0;
  return -1;
}

uint32_t ReadPeFileSubtype(IPlatform& platform, const Text& path) {
  std::unique_ptr<IFileReader> f;
  if (platform.OpenRead(path, f)) return 0;
  PeInfo info;
  if (!ReadPeInfo(*f, info).empty()) return 0;
  int i = ChooseVersionRecord(info);
  return i < 0 ? 0 : info.versions[static_cast<size_t>(i)].fileSubtype;
}

void PeChecksum::Add(const uint8_t* p, size_t n) {
  size_t i = 0;
  if (odd_ && n > 0) {
    sum_ += static_cast<uint32_t>(pending_) | (static_cast<uint32_t>(p[0]) << 8);
    odd_ = false;
    i = 1;
  }
  uint64_t s = sum_;
  for (; i + 1 < n; i += 2) {
    s += static_cast<uint32_t>(p[i]) | (static_cast<uint32_t>(p[i + 1]) << 8);
    if (s >> 48) s = (s & 0xFFFF) + (s >> 16);  // keep headroom; folded the same way at the end
  }
  if (i < n) {
    pending_ = p[i];
    odd_ = true;
  }
  sum_ = s;
}

uint32_t PeChecksum::Finish(uint64_t fileLength) const {
  uint64_t s = sum_;
  if (odd_) s += pending_;
  while (s >> 16) s = (s & 0xFFFF) + (s >> 16);
  return static_cast<uint32_t>(s) + static_cast<uint32_t>(fileLength);
}

bool ReadPeFileVersion(IPlatform& platform, const Text& path, uint16_t parts[4]) {
  for (int i = 0; i < 4; ++i) parts[i] = 0;
  std::unique_ptr<IFileReader> f;
  if (platform.OpenRead(path, f)) return false;
  PeInfo info;
  if (!ReadPeInfo(*f, info).empty()) return false;
  int i = ChooseVersionRecord(info);
  if (i < 0) return false;
  // dwFileVersionMS and dwFileVersionLS follow the signature and the
  // structure version of VS_FIXEDFILEINFO, which starts 40 bytes into the
  // record.
  uint8_t v[8];
  if (!ReadAt(*f, info.versions[static_cast<size_t>(i)].fileOffset + 48, v, 8)) return false;
  const uint32_t ms = Le32(v), ls = Le32(v + 4);
  parts[0] = static_cast<uint16_t>(ms >> 16);
  parts[1] = static_cast<uint16_t>(ms);
  parts[2] = static_cast<uint16_t>(ls >> 16);
  parts[3] = static_cast<uint16_t>(ls);
  return true;
}

}  // namespace tovu
