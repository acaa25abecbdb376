// The portable PE reader: minimal PE32 and PE32+ images are built in the
// test (headers, one .rsrc section with RT_VERSION / 1 / language records,
// an optional certificate table) and read back; damaged images must give
// an error or 0, never a crash.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "container/extractor.h"
#include "container/pe_file.h"
#include "fakes/fake_platform.h"
#include "tovupack/packager.h"

namespace tovu {
namespace {

using test::FakePlatform;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kPeOffset = 0x80;
constexpr uint32_t kOptOffset = kPeOffset + 24;
constexpr uint32_t kHeadersSize = 0x400;
constexpr uint32_t kRsrcRva = 0x1000;
constexpr uint32_t kBlockSize = 92;  // VS_VERSIONINFO header, key, padding, VS_FIXEDFILEINFO

struct VersionRecordLayout {
  uint16_t language;
  uint32_t subtype;
};

struct PeLayout {
  bool pe32plus = false;
  std::vector<VersionRecordLayout> versions;
  uint32_t dirCount = 16;
  uint32_t certSize = 0;  // above 0: a certificate table behind the image
};

// A built image and where its parts lie in the file.
struct PeImage {
  Bytes bytes;
  uint32_t optSize = 0;
  uint32_t dirsAt = 0;       // file offset of the data directory
  uint32_t sectionTable = 0;
  uint32_t rsrcAt = 0;       // file offset of the resource section
  uint32_t rsrcRawSize = 0;
  uint32_t nameDirAt = 0, langDirAt = 0;
  std::vector<uint32_t> dataEntryAt, blockAt;
  uint32_t certAt = 0;
};

void Put16(Bytes& b, size_t at, uint16_t v) { PutLe16(&b[at], v); }
void Put32(Bytes& b, size_t at, uint32_t v) { PutLe32(&b[at], v); }

PeImage BuildPe(const PeLayout& layout) {
  PeImage img;
  const uint32_t n = static_cast<uint32_t>(layout.versions.size());
  const uint32_t dirsRel = layout.pe32plus ? 112 : 96;
  img.optSize = dirsRel + layout.dirCount * 8;
  img.dirsAt = kOptOffset + dirsRel;
  img.sectionTable = kOptOffset + img.optSize;

  // Resource section: root (type 16) -> names (1) -> languages -> data
  // entries -> blocks.
  const uint32_t nameRel = 0x18, langRel = 0x30;
  const uint32_t entriesRel = langRel + 16 + 8 * n;
  const uint32_t blocksRel = entriesRel + 16 * n;
  const uint32_t used = blocksRel + kBlockSize * n;
  img.rsrcRawSize = (used + 0x1FF) & ~0x1FFu;
  img.rsrcAt = kHeadersSize;
  img.bytes.assign(kHeadersSize + img.rsrcRawSize, 0);
  Bytes& b = img.bytes;

  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 60, kPeOffset);
  b[kPeOffset] = 'P';
  b[kPeOffset + 1] = 'E';
  Put16(b, kPeOffset + 4, layout.pe32plus ? 0x8664 : 0x14C);
  Put16(b, kPeOffset + 6, 1);  // one section
  Put16(b, kPeOffset + 20, static_cast<uint16_t>(img.optSize));
  Put16(b, kPeOffset + 22, 0x0102);
  Put16(b, kOptOffset, layout.pe32plus ? 0x20B : 0x10B);
  Put32(b, kOptOffset + 32, 0x1000);  // SectionAlignment
  Put32(b, kOptOffset + 36, 0x200);   // FileAlignment
  Put32(b, kOptOffset + 56, kRsrcRva + 0x1000);
  Put32(b, kOptOffset + 60, kHeadersSize);
  Put32(b, kOptOffset + 64, 0x12345678);  // CheckSum
  Put32(b, kOptOffset + (layout.pe32plus ? 108 : 92), layout.dirCount);
  if (layout.dirCount > 2) {
    Put32(b, img.dirsAt + 16, kRsrcRva);
    Put32(b, img.dirsAt + 20, used);
  }

  uint8_t* s = &b[img.sectionTable];
  std::memcpy(s, ".rsrc", 5);
  PutLe32(s + 8, used);
  PutLe32(s + 12, kRsrcRva);
  PutLe32(s + 16, img.rsrcRawSize);
  PutLe32(s + 20, img.rsrcAt);
  PutLe32(s + 36, 0x40000040);

  const uint32_t r = img.rsrcAt;
  img.nameDirAt = r + nameRel;
  img.langDirAt = r + langRel;
  Put16(b, r + 14, 1);
  Put32(b, r + 16, 16);
  Put32(b, r + 20, 0x80000000u | nameRel);
  Put16(b, img.nameDirAt + 14, 1);
  Put32(b, img.nameDirAt + 16, 1);
  Put32(b, img.nameDirAt + 20, 0x80000000u | langRel);
  Put16(b, img.langDirAt + 14, static_cast<uint16_t>(n));
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t entryRel = entriesRel + 16 * i;
    const uint32_t blockRel = blocksRel + kBlockSize * i;
    Put32(b, img.langDirAt + 16 + 8 * i, layout.versions[i].language);
    Put32(b, img.langDirAt + 20 + 8 * i, entryRel);
    img.dataEntryAt.push_back(r + entryRel);
    img.blockAt.push_back(r + blockRel);
    Put32(b, r + entryRel, kRsrcRva + blockRel);
    Put32(b, r + entryRel + 4, kBlockSize);
    Put32(b, r + entryRel + 8, 1200);

    const uint32_t k = r + blockRel;
    Put16(b, k, kBlockSize);
    Put16(b, k + 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (int c = 0; c < 16; ++c) Put16(b, k + 6 + 2 * c, static_cast<uint8_t>(key[c]));
    Put32(b, k + 40, 0xFEEF04BDu);
    Put32(b, k + 44, 0x00010000);
    Put32(b, k + 48, 0x00010003);  // 1.3.0.0
    Put32(b, k + 72, 0x00040004);  // VOS_NT_WINDOWS32
    Put32(b, k + 76, 1);           // VFT_APP
    Put32(b, k + 80, layout.versions[i].subtype);
  }

  if (layout.certSize) {
    img.certAt = static_cast<uint32_t>(b.size());
    b.resize(b.size() + layout.certSize, 0xC5);
    Put32(b, img.certAt, layout.certSize);
    Put16(b, img.certAt + 4, 0x200);
    Put16(b, img.certAt + 6, 2);
    Put32(b, img.dirsAt + 32, img.certAt);
    Put32(b, img.dirsAt + 36, layout.certSize);
  }
  return img;
}

// An IFileReader over bytes in memory.
class MemoryReader : public IFileReader {
 public:
  explicit MemoryReader(const Bytes& b) : b_(b) {}
  uint32_t Seek(uint64_t position, uint64_t* reached) override {
    pos_ = position;
    if (reached) *reached = pos_;
    return 0;
  }
  uint32_t Read(void* buffer, uint32_t size, uint32_t* got) override {
    ++reads;
    bytesRead += size;
    const uint64_t left = pos_ < b_.size() ? b_.size() - pos_ : 0;
    *got = static_cast<uint32_t>(left < size ? left : size);
    if (*got) std::memcpy(buffer, b_.data() + pos_, *got);
    pos_ += *got;
    return 0;
  }
  uint32_t Size(uint64_t* size) override {
    *size = b_.size();
    return 0;
  }
  int reads = 0;
  uint64_t bytesRead = 0;

 private:
  const Bytes& b_;
  uint64_t pos_ = 0;
};

std::string Read(const Bytes& b, PeInfo& info) {
  MemoryReader r(b);
  return ReadPeInfo(r, info);
}

const PeLayout kPackaged = {false, {{1033, 0}, {0, 0x447000}}, 16, 0};

// ---- headers and version records ------------------------------------------

TEST(PeFileTest, ReadsHeadersAndVersionRecordsOfPe32AndPe32Plus) {
  for (bool plus : {false, true}) {
    for (uint32_t cert : {0u, 0x218u}) {
      const PeImage img = BuildPe({plus, {{1033, 0}, {0, 0x447000}}, 16, cert});
      PeInfo info;
      ASSERT_EQ(Read(img.bytes, info), "") << plus;
      const std::string what = std::string(plus ? "PE32+" : "PE32") + " cert " + std::to_string(cert);
      EXPECT_EQ(info.pe32plus, plus) << what;
      EXPECT_EQ(info.checksumOffset, kOptOffset + 64u) << what;
      EXPECT_EQ(info.securityEntryOffset, img.dirsAt + 32u) << what;
      EXPECT_EQ(info.securityAddress, img.certAt) << what;
      EXPECT_EQ(info.securitySize, cert) << what;
      // The certificate table lies behind the image, not in it.
      EXPECT_EQ(info.imageEnd, kHeadersSize + img.rsrcRawSize) << what;
      ASSERT_EQ(info.versions.size(), 2u) << what;
      const uint16_t languages[] = {1033, 0};
      const uint32_t subtypes[] = {0, 0x447000};
      for (size_t i = 0; i < 2; ++i) {
        const PeVersionRecord& v = info.versions[i];
        EXPECT_EQ(v.language, languages[i]) << what;
        EXPECT_TRUE(v.valid) << what;
        EXPECT_EQ(v.fileOffset, img.blockAt[i]) << what;
        EXPECT_EQ(v.size, kBlockSize) << what;
        EXPECT_EQ(v.subtypeOffset, img.blockAt[i] + 80u) << what;
        EXPECT_EQ(v.fileSubtype, subtypes[i]) << what;
        EXPECT_EQ(Le32(&img.bytes[v.subtypeOffset]), subtypes[i]) << what;
      }
      EXPECT_EQ(ChooseVersionRecord(info), 1) << what;
    }
  }
}

TEST(PeFileTest, ShortDataDirectoryHasNoCertificateEntryOrNoResources) {
  struct Case {
    uint32_t dirCount;
    bool securityEntry;
    size_t versions;
  };
  for (const Case& c : {Case{16, true, 2}, Case{5, true, 2}, Case{4, false, 2}, Case{3, false, 2},
                        Case{2, false, 0}, Case{0, false, 0}}) {
    PeLayout layout = kPackaged;
    layout.dirCount = c.dirCount;
    const PeImage img = BuildPe(layout);
    PeInfo info;
    EXPECT_EQ(Read(img.bytes, info), "") << c.dirCount;
    EXPECT_EQ(info.securityEntryOffset != 0, c.securityEntry) << c.dirCount;
    EXPECT_EQ(info.versions.size(), c.versions) << c.dirCount;
  }
}

TEST(PeFileTest, ChoosesTheNeutralRecordThenUsEnglishThenTheFirst) {
  struct Case {
    std::vector<uint16_t> languages;
    int chosen;
  };
  const Case cases[] = {
      {{1033, 0}, 1}, {{0, 1033}, 0}, {{1031, 1033, 0}, 2}, {{1031, 1033}, 1},
      {{1033}, 0},    {{1031, 1036}, 0}, {{1036}, 0},       {{}, -1},
  };
  for (const Case& c : cases) {
    PeInfo info;
    for (uint16_t l : c.languages) {
      PeVersionRecord r;
      r.language = l;
      r.valid = true;
      info.versions.push_back(r);
    }
    std::string what;
    for (uint16_t l : c.languages) what += std::to_string(l) + " ";
    EXPECT_EQ(ChooseVersionRecord(info), c.chosen) << what;
  }
  PeInfo broken;
  broken.versions.push_back(PeVersionRecord{});  // not valid
  EXPECT_EQ(ChooseVersionRecord(broken), -1);
}

TEST(PeFileTest, ReadsTheSubtypeOfTheChosenRecordThroughThePlatform) {
  struct Case {
    std::vector<VersionRecordLayout> versions;
    bool pe32plus;
    uint32_t subtype;
  };
  const Case cases[] = {
      {{{1033, 0}, {0, 0x447000}}, false, 0x447000},  // a package: the added neutral record
      {{{0, 0x447000}, {1033, 0}}, true, 0x447000},
      {{{1033, 0}}, false, 0},                         // the frame as built
      {{{1033, 0x1234}}, true, 0x1234},
      {{{1031, 7}, {1036, 9}}, false, 7},
      {{{1031, 7}, {1033, 8}}, false, 8},
      {{}, false, 0},
  };
  FakePlatform fake;
  SetPlatform(&fake);
  for (const Case& c : cases) {
    PeImage img = BuildPe({c.pe32plus, c.versions, 16, 0x100});
    // A container behind the image changes nothing.
    img.bytes.insert(img.bytes.end(), 5000, 0xAB);
    fake.AddFile(u"C:\\P\\pkg.exe", img.bytes);
    EXPECT_EQ(ReadPeFileSubtype(fake, u"C:\\P\\pkg.exe"), c.subtype) << c.versions.size();
    EXPECT_EQ(CTovuVersionInfoUpdater().ReadFileSubtype(u"C:\\P\\pkg.exe"), c.subtype) << c.versions.size();
  }
  EXPECT_EQ(ReadPeFileSubtype(fake, u"C:\\P\\missing.exe"), 0u);
  fake.AddFile(u"C:\\P\\text.exe", std::string("just text, no program"));
  EXPECT_EQ(ReadPeFileSubtype(fake, u"C:\\P\\text.exe"), 0u);
  SetPlatform(nullptr);
}

// ---- damaged images -------------------------------------------------------

TEST(PeFileTest, DamagedImagesGiveAnErrorOrZeroWithoutCrashing) {
  const PeImage good = BuildPe({false, {{0, 0x447000}}, 16, 0});
  const uint32_t coff = kPeOffset + 4;
  const uint32_t r = good.rsrcAt;
  struct Case {
    const char* what;
    std::function<void(Bytes&)> damage;
    bool error;  // ReadPeInfo reports a problem
    uint32_t subtype = 0;
  };
  const Case cases[] = {
      {"empty file", [](Bytes& b) { b.clear(); }, true},
      {"shorter than the DOS header", [](Bytes& b) { b.resize(40); }, true},
      {"no MZ", [](Bytes& b) { b[0] = 'Z'; }, true},
      {"e_lfanew past the end", [](Bytes& b) { Put32(b, 60, 0xFFFFFFF0u); }, true},
      {"e_lfanew at the end", [](Bytes& b) { Put32(b, 60, static_cast<uint32_t>(b.size()) - 10); }, true},
      {"e_lfanew at no PE signature", [](Bytes& b) { Put32(b, 60, 0x10); }, true},
      {"optional header too small", [&](Bytes& b) { Put16(b, coff + 16, 40); }, true},
      {"optional header too large", [&](Bytes& b) { Put16(b, coff + 16, 0xFFFF); }, true},
      {"unknown optional header magic", [](Bytes& b) { Put16(b, kOptOffset, 0x107); }, true},
      {"PE32+ magic on a PE32 header", [](Bytes& b) { Put16(b, kOptOffset, 0x20B); }, false},
      {"section table cut off", [&](Bytes& b) { b.resize(good.sectionTable + 20); }, true},
      {"65,535 sections", [&](Bytes& b) { Put16(b, coff + 2, 0xFFFF); }, true},
      {"section data cut off", [&](Bytes& b) { b.resize(r + 100); }, true},
      {"huge data directory count (bounded by the header size)",
       [](Bytes& b) { Put32(b, kOptOffset + 92, 0xFFFFFFFFu); }, false, 0x447000},
      {"resource RVA outside every section", [&](Bytes& b) { Put32(b, good.dirsAt + 16, 0x90000); }, false},
      {"resource RVA near the top of the address space", [&](Bytes& b) { Put32(b, good.dirsAt + 16, 0xFFFFFFF8u); },
       false},
      {"root directory with huge counts",
       [&](Bytes& b) {
         Put16(b, r + 12, 0xFFFF);
         Put16(b, r + 14, 0xFFFF);
       },
       true},
      {"language directory with a huge count", [&](Bytes& b) { Put16(b, good.langDirAt + 14, 0xFFFF); }, true},
      {"language directory running past the file", [&](Bytes& b) { Put16(b, good.langDirAt + 14, 4000); }, true},
      {"root entry pointing at the root", [&](Bytes& b) { Put32(b, r + 20, 0x80000000u); }, false},
      {"name entry pointing back at the root", [&](Bytes& b) { Put32(b, good.nameDirAt + 20, 0x80000000u); }, false},
      {"language entry pointing at a directory",
       [&](Bytes& b) { Put32(b, good.langDirAt + 20, 0x80000000u | 0x30); }, false},
      {"directory offset outside the section", [&](Bytes& b) { Put32(b, r + 20, 0x80000000u | 0x7FFF0000u); }, true},
      {"data entry outside the section", [&](Bytes& b) { Put32(b, good.langDirAt + 20, 0x7FFF0000u); }, false},
      {"block RVA outside every section", [&](Bytes& b) { Put32(b, good.dataEntryAt[0], 0x90000); }, false},
      {"block size 0xFFFFFFFF", [&](Bytes& b) { Put32(b, good.dataEntryAt[0] + 4, 0xFFFFFFFFu); }, false},
      {"block smaller than the fixed information", [&](Bytes& b) { Put32(b, good.dataEntryAt[0] + 4, 60); }, false},
      {"wrong key", [&](Bytes& b) { b[good.blockAt[0] + 6] = 'X'; }, false},
      {"wrong fixed information signature", [&](Bytes& b) { Put32(b, good.blockAt[0] + 40, 0); }, false},
  };
  for (const Case& c : cases) {
    Bytes b = good.bytes;
    c.damage(b);
    PeInfo info;
    MemoryReader reader(b);
    const std::string problem = ReadPeInfo(reader, info);
    EXPECT_EQ(!problem.empty(), c.error) << c.what << ": \"" << problem << "\"";
    // Only headers and directories are read, never the whole file.
    EXPECT_LT(reader.bytesRead, 64u * 1024) << c.what;
    const int chosen = ChooseVersionRecord(info);
    EXPECT_EQ(chosen >= 0 ? info.versions[static_cast<size_t>(chosen)].fileSubtype : 0u, c.subtype) << c.what;
    FakePlatform fake;
    fake.AddFile(u"C:\\P\\bad.exe", b);
    EXPECT_EQ(ReadPeFileSubtype(fake, u"C:\\P\\bad.exe"), c.subtype) << c.what;
  }
}

TEST(PeFileTest, EveryTruncationOfAnImageIsHandled) {
  const PeImage img = BuildPe({true, {{1033, 0}, {0, 0x447000}}, 16, 0});
  for (size_t n = 0; n <= img.bytes.size(); ++n) {
    const Bytes cut(img.bytes.begin(), img.bytes.begin() + static_cast<std::ptrdiff_t>(n));
    FakePlatform fake;
    fake.AddFile(u"C:\\P\\cut.exe", cut);
    const uint32_t expected = n >= img.bytes.size() ? 0x447000u : 0u;
    ASSERT_EQ(ReadPeFileSubtype(fake, u"C:\\P\\cut.exe"), expected) << n;
  }
}

TEST(PeFileTest, RandomDamageInTheHeadersNeverCrashes) {
  const PeImage img = BuildPe({false, {{1033, 0}, {0, 0x447000}}, 16, 0x80});
  std::mt19937 rng(1234);
  for (int round = 0; round < 3000; ++round) {
    Bytes b = img.bytes;
    const int flips = 1 + static_cast<int>(rng() % 4);
    for (int f = 0; f < flips; ++f) {
      const size_t at = rng() % (img.rsrcAt + 0x100);
      b[at] = static_cast<uint8_t>(rng());
    }
    PeInfo info;
    MemoryReader reader(b);
    ReadPeInfo(reader, info);
    EXPECT_LT(reader.bytesRead, 1u << 20) << round;
    const int chosen = ChooseVersionRecord(info);
    EXPECT_LT(chosen, static_cast<int>(info.versions.size()));
  }
}

// ---- hostile resource trees -------------------------------------------------

// A packaged image whose resource section has `extra` more bytes behind
// what it holds; `*spaceRel` is where they start, relative to the section.
Bytes WithResourceSpace(const PeImage& img, uint32_t extra, uint32_t* spaceRel) {
  Bytes b = img.bytes;
  *spaceRel = img.rsrcRawSize;
  const uint32_t raw = (img.rsrcRawSize + extra + 0x1FF) & ~0x1FFu;
  b.resize(img.rsrcAt + raw, 0);
  Put32(b, img.sectionTable + 8, raw);
  Put32(b, img.sectionTable + 16, raw);
  Put32(b, img.dirsAt + 20, raw);
  return b;
}

// A directory of id entries at `at` (file offset).
void PutDir(Bytes& b, uint32_t at, const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
  Put16(b, at + 14, static_cast<uint16_t>(entries.size()));
  for (size_t i = 0; i < entries.size(); ++i) {
    Put32(b, at + 16 + 8 * static_cast<uint32_t>(i), entries[i].first);
    Put32(b, at + 20 + 8 * static_cast<uint32_t>(i), entries[i].second);
  }
}

constexpr uint32_t kDirBit = 0x80000000u;
constexpr uint32_t kManyEntries = 4096;  // the most one directory may hold
constexpr uint32_t kDirBytes = 16 + 8 * kManyEntries;

// The root moved into the added space, so that its entries can point at it.
void MoveRoot(Bytes& b, const PeImage& img, uint32_t rootRel) { Put32(b, img.dirsAt + 16, kRsrcRva + rootRel); }

// A root of 4,096 entries, half RT_VERSION and half name 1, each pointing
// back at the root itself: followed blindly, four million directories.
Bytes SelfReferencingRoot() {
  const PeImage img = BuildPe(kPackaged);
  uint32_t rootRel = 0;
  Bytes b = WithResourceSpace(img, kDirBytes, &rootRel);
  std::vector<std::pair<uint32_t, uint32_t>> entries;
  for (uint32_t i = 0; i < kManyEntries; ++i) entries.push_back({i % 2 ? 1u : 16u, kDirBit | 0});
  PutDir(b, img.rsrcAt + rootRel, entries);
  MoveRoot(b, img, rootRel);
  return b;
}

// 4,096 RT_VERSION entries leading to one name directory of 4,096 name-1
// entries leading to one language directory of 4,096 leaves on the real
// record: followed blindly, 4,096 cubed version records.
Bytes ManyLeaves() {
  const PeImage img = BuildPe(kPackaged);
  uint32_t space = 0;
  Bytes b = WithResourceSpace(img, 3 * kDirBytes + 16, &space);
  // Offsets relative to the moved root, which starts the added space; the
  // leaves share one data entry on the neutral record's block.
  const uint32_t names = kDirBytes, langs = 2 * kDirBytes, dataEntry = 3 * kDirBytes;
  Put32(b, img.rsrcAt + space + dataEntry, kRsrcRva + (img.blockAt[1] - img.rsrcAt));
  Put32(b, img.rsrcAt + space + dataEntry + 4, kBlockSize);
  std::vector<std::pair<uint32_t, uint32_t>> t, n, l;
  for (uint32_t i = 0; i < kManyEntries; ++i) {
    t.push_back({16, kDirBit | names});
    n.push_back({1, kDirBit | langs});
    l.push_back({0, dataEntry});
  }
  PutDir(b, img.rsrcAt + space, t);
  PutDir(b, img.rsrcAt + space + names, n);
  PutDir(b, img.rsrcAt + space + langs, l);
  MoveRoot(b, img, space);
  return b;
}

// 4,096 RT_VERSION entries, each at a directory of its own (empty ones,
// eight bytes apart).
Bytes ManyDirectories() {
  const PeImage img = BuildPe(kPackaged);
  uint32_t space = 0;
  Bytes b = WithResourceSpace(img, 2 * kDirBytes, &space);
  std::vector<std::pair<uint32_t, uint32_t>> t;
  for (uint32_t i = 0; i < kManyEntries; ++i) t.push_back({16, kDirBit | (kDirBytes + 8 * i)});
  PutDir(b, img.rsrcAt + space, t);
  MoveRoot(b, img, space);
  return b;
}

TEST(PeFileTest, HostileResourceTreesEndWithBoundedWork) {
  struct Case {
    const char* what;
    Bytes bytes;
    const char* problem;  // "" : read without complaint
    size_t versions;
  };
  const Case cases[] = {
      {"self-referencing root", SelfReferencingRoot(), "", 0},
      {"4,096 ways to one language directory of 4,096 leaves", ManyLeaves(), "more than 256 version records", 256},
      {"4,096 distinct version directories", ManyDirectories(), "more than 64 version directories", 0},
  };
  for (const Case& c : cases) {
    PeInfo info;
    MemoryReader reader(c.bytes);
    const std::string problem = ReadPeInfo(reader, info);
    if (*c.problem) EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": \"" << problem << "\"";
    else EXPECT_EQ(problem, "") << c.what;
    EXPECT_EQ(info.versions.size(), c.versions) << c.what;
    // Each directory once: a few times the file, never millions of reads.
    EXPECT_LT(reader.bytesRead, 4 * c.bytes.size()) << c.what;
    EXPECT_LT(reader.reads, 2000) << c.what;

    FakePlatform fake;
    fake.AddFile(u"C:\\P\\hostile.exe", c.bytes);
    EXPECT_EQ(ReadPeFileSubtype(fake, u"C:\\P\\hostile.exe"), 0u) << c.what;
    uint16_t parts[4] = {9, 9, 9, 9};
    EXPECT_FALSE(ReadPeFileVersion(fake, u"C:\\P\\hostile.exe", parts)) << c.what;
    pack::Listing listing;
    const std::string listed = pack::ListPackage(fake, u"C:\\P\\hostile.exe", listing);
    EXPECT_NE(listed, "") << c.what;
    EXPECT_EQ(listing.startOffset, 0u) << c.what;
  }
}

TEST(PeFileTest, RecordsTooLargeForAVersionRecordAreNoRecords) {
  // A data entry inside the section that claims 64 KiB or more: no
  // VS_VERSIONINFO is that long.
  const PeImage img = BuildPe(kPackaged);
  for (uint32_t size : {0xFFFFu, 0x10000u, 0x40000u}) {
    uint32_t space = 0;
    Bytes b = WithResourceSpace(img, 0x40000, &space);
    Put32(b, img.dataEntryAt[1] + 4, size);
    PeInfo info;
    ASSERT_EQ(Read(b, info), "") << size;
    ASSERT_EQ(info.versions.size(), 2u) << size;
    EXPECT_EQ(info.versions[1].valid, size < 0x10000) << size;
    EXPECT_EQ(ChooseVersionRecord(info) == 1, size < 0x10000) << size;
  }
}

TEST(PeFileTest, TovupackListsASelfReferencingFrameWithAnError) {
  char tmpl[] = "/tmp/pe_file_test.XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl, file = dir + "/hostile.exe";
  const Bytes b = SelfReferencingRoot();
  FILE* out = std::fopen(file.c_str(), "wb");
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(std::fwrite(b.data(), 1, b.size(), out), b.size());
  std::fclose(out);

  FILE* run = popen(("'" TOVU_TOVUPACK_PATH "' list '" + file + "' 2>&1").c_str(), "r");
  ASSERT_NE(run, nullptr);
  std::string text;
  char buf[256];
  while (size_t n = std::fread(buf, 1, sizeof buf, run)) text.append(buf, n);
  const int status = pclose(run);
  std::system(("rm -rf '" + dir + "'").c_str());
  ASSERT_TRUE(WIFEXITED(status)) << text;
  EXPECT_EQ(WEXITSTATUS(status), 1) << text;
  EXPECT_NE(text.find("has no version record"), std::string::npos) << text;
}

// ---- checksum ---------------------------------------------------------------

// The sum as it is defined: 16-bit little-endian words (a last odd byte
// as the low byte), the CheckSum field as zero, the carry folded back after
// each addition, plus the file length.
uint32_t ReferenceChecksum(const Bytes& b, size_t checksumAt) {
  uint32_t sum = 0;
  for (size_t i = 0; i < b.size(); i += 2) {
    uint32_t word = b[i] | (i + 1 < b.size() ? static_cast<uint32_t>(b[i + 1]) << 8 : 0u);
    if (i == checksumAt || i == checksumAt + 2) word = 0;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  return sum + static_cast<uint32_t>(b.size());
}

uint32_t Checksum(const Bytes& b, const std::vector<size_t>& pieces) {
  PeChecksum sum;
  size_t at = 0, k = 0;
  while (at < b.size()) {
    size_t n = pieces.empty() ? b.size() : pieces[k++ % pieces.size()];
    if (n > b.size() - at) n = b.size() - at;
    sum.Add(b.data() + at, n);
    at += n;
  }
  sum.Add(b.data(), 0);
  return sum.Finish(b.size());
}

TEST(PeFileTest, ChecksumOfSmallInputsByHand) {
  struct Case {
    Bytes bytes;
    uint32_t sum;
  };
  const Case cases[] = {
      {{}, 0},
      {{0x01, 0x00, 0xFF, 0xFF}, 0x0001 + 4},      // 0x10000 folds to 1
      {{0x34, 0x12, 0x56}, 0x128A + 3},             // odd byte as the low byte
      {{0xFF, 0xFF}, 0xFFFF + 2},                   // no fold to 0
      {{0xFF, 0xFF, 0xFF, 0xFF, 0x02}, 0x0002 + 5},  // 0x1FFFE folds to 0xFFFF, + 2 folds to 2
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Checksum(c.bytes, {}), c.sum) << c.bytes.size();
    EXPECT_EQ(Checksum(c.bytes, {}), ReferenceChecksum(c.bytes, 1u << 30)) << c.bytes.size();
  }
}

TEST(PeFileTest, ChecksumMatchesTheReferenceInAnyPieces) {
  std::mt19937 rng(77);
  PeImage img = BuildPe({false, {{1033, 0}, {0, 0x447000}}, 16, 0x200});
  std::vector<Bytes> inputs;
  inputs.push_back(img.bytes);
  for (size_t size : {1u, 2u, 3u, 4095u, 65536u, 200001u}) {
    Bytes b(size);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    inputs.push_back(b);
    Bytes ff(size, 0xFF);  // carries on every word
    if (size > 1) ff[size / 2] = 0x00;
    inputs.push_back(ff);
  }
  const std::vector<std::vector<size_t>> pieceSets = {{}, {1}, {2}, {3}, {7, 1, 64}, {4095}, {5, 2, 1, 8, 13}};
  for (Bytes& b : inputs) {
    const size_t checksumAt = b.size() > kOptOffset + 68 ? kOptOffset + 64 : (1u << 30);
    const uint32_t expected = ReferenceChecksum(b, checksumAt);
    // The caller zeroes the CheckSum field before feeding the bytes.
    if (checksumAt < b.size()) PutLe32(&b[checksumAt], 0);
    for (const auto& pieces : pieceSets) EXPECT_EQ(Checksum(b, pieces), expected) << b.size() << " " << pieces.size();
  }
}

}  // namespace
}  // namespace tovu
