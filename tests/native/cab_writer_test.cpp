// The packager's cabinet writer: the format pieces (data-block checksum,
// DOS time stamps, MSZIP blocks that zlib inflates), cabinets and sets of
// parts read back by cabextract (an independent reader) into the input
// tree byte for byte with its time stamps, the header fields a package
// needs (signature, set ID, part indices and names, the UTF-8 flag), the
// layout of sets over a range of part sizes, and the payloads the format
// cannot hold.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "platform/posix/posix_platform.h"
#include "tovupack/cab_format.h"
#include "tovupack/cab_writer.h"
#include "tovupack/mszip.h"
#include "tovupack/payload.h"

namespace tovu::pack {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void Spit(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}
uint16_t Le16(const std::string& s, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(s[at]) | static_cast<uint8_t>(s[at + 1]) << 8);
}
uint32_t Le32(const std::string& s, size_t at) { return Le16(s, at) | static_cast<uint32_t>(Le16(s, at + 2)) << 16; }

bool HaveCabextract() { return std::system("command -v cabextract >/dev/null 2>&1") == 0; }

// Deterministic bytes: text-like (compresses) or random (does not).
std::string TextBytes(size_t n, unsigned seed) {
  static const char* words[] = {"setup ", "install ", "library ", "version ", "\r\n", "data ", "file ", "Tovu "};
  std::mt19937 r(seed);
  std::string s;
  while (s.size() < n) s += words[r() % 8];
  s.resize(n);
  return s;
}
std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 r(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(r());
  return s;
}

class CabWriterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/cab_writer_test.XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    payload_ = dir_ + "/payload";
    mkdir(payload_.c_str(), 0755);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  // Adds a payload file with a time stamp on an even second.
  void Add(const std::string& relative, const std::string& bytes, time_t mtime = 1700000000) {
    std::string path = payload_ + "/" + relative;
    for (size_t cut = relative.find('/'); cut != std::string::npos; cut = relative.find('/', cut + 1))
      mkdir((payload_ + "/" + relative.substr(0, cut)).c_str(), 0755);
    Spit(path, bytes);
    struct timeval tv[2] = {{mtime, 0}, {mtime, 0}};
    utimes(path.c_str(), tv);
    expected_[relative] = bytes;
    times_[relative] = mtime;
  }

  // The standard tree: empty files, sub-folders, non-ASCII names, files
  // of 32 KiB and 32 KiB + 1, text and random data.
  void AddStandardTree() {
    Add("setup.exe", RandomBytes(70000, 1), 1700000000);
    Add("empty.txt", "", 1600000002);
    Add("Data/a32k.bin", RandomBytes(32768, 2), 1500000004);
    Add("Data/b32k1.bin", TextBytes(32769, 3));
    Add("Data/Sub/deep/readme.txt", TextBytes(100000, 4), 1234567890);
    Add("Data/Sub/zero", "");
    Add("Daten/Größe ä.txt", TextBytes(5000, 5), 1400000000);
    Add("日本語/ファイル.dat", RandomBytes(1000, 6));
    Add("last.txt", "x");
  }

  std::vector<PayloadFile> Scan() {
    std::vector<PayloadFile> files;
    EXPECT_EQ(ScanPayload(FromUtf8(payload_), files), "");
    return files;
  }

  // cabextract reads the cabinet (after "MSCF" is put back) into a fresh
  // folder; the tree must equal the input, bytes and time stamps.
  void ExpectCabextractGivesPayload(const std::vector<std::string>& cabinets) {
    const std::string readable = dir_ + "/readable", out = dir_ + "/out";
    std::system(("rm -rf '" + readable + "' '" + out + "' && mkdir -p '" + readable + "' '" + out + "'").c_str());
    for (const std::string& c : cabinets) {
      std::string bytes = Slurp(c);
      ASSERT_EQ(bytes.substr(0, 4), "TOVU") << c;
      bytes.replace(0, 4, "MSCF");
      Spit(readable + "/" + c.substr(c.find_last_of('/') + 1), bytes);
    }
    const std::string first = readable + "/" + cabinets[0].substr(cabinets[0].find_last_of('/') + 1);
    const std::string log = dir_ + "/cabextract.log";
    ASSERT_EQ(std::system(("cabextract -d '" + out + "' '" + first + "' >'" + log + "' 2>&1").c_str()), 0)
        << Slurp(log);
    EXPECT_EQ(Slurp(log).find("WARNING"), std::string::npos) << Slurp(log);
    size_t found = 0;
    for (const auto& [relative, bytes] : expected_) {
      const std::string path = out + "/" + relative;
      struct stat st;
      ASSERT_EQ(stat(path.c_str(), &st), 0) << relative << "\n" << Slurp(log);
      EXPECT_EQ(Slurp(path), bytes) << relative;
      EXPECT_EQ(st.st_mtime, times_[relative]) << relative;
      ++found;
    }
    const std::string count = dir_ + "/count";
    std::system(("find '" + out + "' -type f | wc -l >'" + count + "'").c_str());
    EXPECT_EQ(std::stoul(Slurp(count)), found);
  }

  std::string dir_, payload_;
  std::map<std::string, std::string> expected_;
  std::map<std::string, time_t> times_;
  PosixPlatform platform_;
};

// ---- format pieces ----------------------------------------------------------

TEST(CabFormatTest, ChecksumFoldsWordsAndTrailingBytes) {
  struct Case {
    std::string bytes;
    uint32_t seed, sum;
  } cases[] = {
      {"", 0, 0},
      {"", 0x12345678, 0x12345678},
      {std::string("\x01\x02\x03\x04", 4), 0, 0x04030201},
      {std::string("\x01\x02\x03\x04\x05", 5), 0, 0x04030204},           // one trailing byte: lowest
      {std::string("\x01\x02\x03\x04\x05\x06", 6), 0, 0x04030201 ^ 0x0506},  // first of two: higher
      {std::string("\x01\x02\x03", 3), 0, 0x010203},                    // first of three: highest
      {std::string("\xFF\xFF\xFF\xFF\x01\x00\x00\x00", 8), 1, 0xFFFFFFFF},
  };
  for (const Case& c : cases)
    EXPECT_EQ(cab::Checksum(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), c.seed), c.sum)
        << c.bytes.size() << " bytes";
  // The stored checksum covers the data, then the two size fields.
  const uint8_t data[5] = {1, 2, 3, 4, 5};
  const uint8_t sizes[4] = {5, 0, 9, 0};
  EXPECT_EQ(cab::DataChecksum(data, 5, 9), cab::Checksum(sizes, 4, cab::Checksum(data, 5, 0)));
}

TEST(CabFormatTest, DosTimeFromLocalTime) {
  struct Case {
    int y, mo, d, h, mi, s;
    uint16_t date, time;
  } cases[] = {
      {1980, 1, 1, 0, 0, 0, 0x0021, 0x0000},
      {2023, 11, 14, 22, 13, 21, static_cast<uint16_t>((43 << 9) | (11 << 5) | 14),
       static_cast<uint16_t>((22 << 11) | (13 << 5) | 10)},  // odd seconds round down
      {1975, 6, 1, 12, 0, 0, 0x0021, 0x0000},                // before 1980: the first DOS day
      {2107, 12, 31, 23, 59, 59, static_cast<uint16_t>((127 << 9) | (12 << 5) | 31),
       static_cast<uint16_t>((23 << 11) | (59 << 5) | 29)},
      {2200, 1, 1, 0, 0, 0, static_cast<uint16_t>((127 << 9) | (12 << 5) | 31),
       static_cast<uint16_t>((23 << 11) | (59 << 5) | 29)},
  };
  for (const Case& c : cases) {
    const cab::DosTime t = cab::ToDosTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
    EXPECT_EQ(t.date, c.date) << c.y;
    EXPECT_EQ(t.time, c.time) << c.y;
  }
}

TEST(CabFormatTest, MszipBlocksInflateWithZlibAndStoredBlocksAreCopies) {
  const std::string inputs[] = {"", "a", TextBytes(32768, 7), RandomBytes(32768, 8), std::string(32768, '\0'),
                                TextBytes(12345, 9)};
  cab::BlockCompressor mszip(cab::Compression::kMszip), none(cab::Compression::kNone);
  std::vector<uint8_t> out(cab::kMaxCompressedBlock);
  for (const std::string& in : inputs) {
    const uint8_t* data = reinterpret_cast<const uint8_t*>(in.data());
    size_t n = mszip.Compress(data, in.size(), out.data());
    ASSERT_GT(n, 2u);
    ASSERT_LE(n, cab::kMaxCompressedBlock);
    EXPECT_EQ(out[0], 'C');
    EXPECT_EQ(out[1], 'K');
    z_stream s{};
    ASSERT_EQ(inflateInit2(&s, -MAX_WBITS), Z_OK);
    std::string back(32768 + 1, '\0');
    s.next_in = out.data() + 2;
    s.avail_in = static_cast<uInt>(n - 2);
    s.next_out = reinterpret_cast<Bytef*>(back.data());
    s.avail_out = static_cast<uInt>(back.size());
    EXPECT_EQ(inflate(&s, Z_FINISH), Z_STREAM_END) << in.size();  // a complete stream per block
    EXPECT_EQ(s.avail_in, 0u);
    back.resize(s.total_out);
    inflateEnd(&s);
    EXPECT_EQ(back, in);
    n = none.Compress(data, in.size(), out.data());
    EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(n)), in);
  }
  // Random data does not grow past the stored-block overhead.
  const std::string noise = RandomBytes(32768, 10);
  EXPECT_LE(mszip.Compress(reinterpret_cast<const uint8_t*>(noise.data()), noise.size(), out.data()), 32768u + 2 + 10);
}

// ---- cabinets read back ----------------------------------------------------

TEST_F(CabWriterTest, CabinetHeaderAndMembersAsThePackageNeedsThem) {
  AddStandardTree();
  const std::vector<PayloadFile> files = Scan();
  ASSERT_EQ(files.size(), expected_.size());
  CabinetOptions options;
  options.setId = 38629;
  CabinetResult result;
  const std::string cab = dir_ + "/WebCab1";
  ASSERT_EQ(WriteCabinet(platform_, files, FromUtf8(cab), options, result), "");
  const std::string bytes = Slurp(cab);
  EXPECT_EQ(bytes.substr(0, 4), "TOVU");
  EXPECT_EQ(Le32(bytes, 8), bytes.size());
  EXPECT_EQ(result.cabinetBytes, bytes.size());
  EXPECT_EQ(bytes[24], 3);  // version 1.3
  EXPECT_EQ(bytes[25], 1);
  EXPECT_EQ(Le16(bytes, 26), 1);             // one folder
  EXPECT_EQ(Le16(bytes, 28), files.size());  // every file
  EXPECT_EQ(Le16(bytes, 30), 0);             // no neighbours
  EXPECT_EQ(Le16(bytes, 32), 38629);         // set ID
  EXPECT_EQ(Le16(bytes, 34), 0);
  EXPECT_EQ(Le16(bytes, 36 + 6), cab::kCompressMszip);
  uint64_t total = 0;
  for (const auto& [r, b] : expected_) total += b.size();
  EXPECT_EQ(result.payloadBytes, total);
  EXPECT_EQ(Le16(bytes, 36 + 4), (total + 32767) / 32768);  // data blocks of the folder

  // Member records: a leading backslash, backslashes between folders, the
  // UTF-8 flag exactly on the names that need it, the archive attribute.
  std::map<std::string, uint16_t> attributes;
  size_t at = Le32(bytes, 16);
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string name = bytes.c_str() + at + 16;
    attributes[name] = Le16(bytes, at + 14);
    at += 16 + name.size() + 1;
  }
  EXPECT_EQ(attributes.count("\\Data\\Sub\\deep\\readme.txt"), 1u);
  EXPECT_EQ(attributes["\\setup.exe"], cab::kAttrArchive);
  EXPECT_EQ(attributes["\\Daten\\Größe ä.txt"], cab::kAttrArchive | cab::kAttrNameIsUtf8);
  EXPECT_EQ(attributes["\\日本語\\ファイル.dat"], cab::kAttrArchive | cab::kAttrNameIsUtf8);
  // The first data block: its checksum as the format computes it.
  const size_t data = Le32(bytes, 36);
  const uint16_t packed = Le16(bytes, data + 4), size = Le16(bytes, data + 6);
  EXPECT_EQ(size, 32768);
  EXPECT_EQ(Le32(bytes, data), cab::DataChecksum(reinterpret_cast<const uint8_t*>(bytes.data() + data + 8), packed, size));
  if (!HaveCabextract()) GTEST_SKIP() << "cabextract is not installed";
  ExpectCabextractGivesPayload({cab});
}

TEST_F(CabWriterTest, BothCompressionsAndThreadCountsReadBack) {
  AddStandardTree();
  Add("big/text.txt", TextBytes(600000, 11));
  Add("big/noise.bin", RandomBytes(300000, 12));
  const std::vector<PayloadFile> files = Scan();
  if (!HaveCabextract()) GTEST_SKIP() << "cabextract is not installed";
  std::string single;
  for (auto compression : {cab::Compression::kMszip, cab::Compression::kNone})
    for (unsigned threads : {1u, 3u}) {
      SCOPED_TRACE(std::to_string(threads) + " threads, " + (compression == cab::Compression::kNone ? "none" : "mszip"));
      CabinetOptions options;
      options.compression = compression;
      options.threads = threads;
      const std::string cab = dir_ + "/WebCab1";
      CabinetResult result;
      ASSERT_EQ(WriteCabinet(platform_, files, FromUtf8(cab), options, result), "");
      const std::string bytes = Slurp(cab);
      EXPECT_EQ(Le16(bytes, 36 + 6), compression == cab::Compression::kNone ? 0 : 1);
      if (compression == cab::Compression::kNone) {
        EXPECT_GT(bytes.size(), result.payloadBytes);
      }
      if (threads == 1) single = bytes;
      else EXPECT_EQ(bytes, single) << "the thread count changes the cabinet";
      ExpectCabextractGivesPayload({cab});
    }
}

// Sets of parts over a range of part sizes: every part but the last is
// exactly the part size, the headers link the parts, and cabextract reads
// the whole set from its first part. Files larger than a part span three
// or more parts; the odd sizes put part ends inside blocks, on block
// ends and beside empty files.
TEST_F(CabWriterTest, SetsOfPartsReadBackWhateverThePartSize) {
  AddStandardTree();
  Add("big/noise.bin", RandomBytes(300000, 13));
  Add("big/after-noise-empty", "");
  Add("big/text.txt", TextBytes(200000, 14));
  const std::vector<PayloadFile> files = Scan();
  const bool cabextract = HaveCabextract();
  for (uint64_t partSize : {65536ull, 65537ull, 70001ull, 100000ull, 250000ull, 10000000ull}) {
    SCOPED_TRACE("part size " + std::to_string(partSize));
    std::system(("rm -f '" + dir_ + "'/Demo.*").c_str());
    CabinetOptions options;
    options.setId = 4711;
    CabinetResult result;
    auto name = [](int n) {
      char b[16];
      std::snprintf(b, sizeof b, "Demo.%03d", n);
      return std::string(b);
    };
    ASSERT_EQ(WriteCabinetSet(platform_, files, partSize, [&](int n) { return FromUtf8(dir_ + "/" + name(n)); }, name,
                              FromUtf8(dir_ + "/blocks.tmp"), options, result),
              "");
    ASSERT_FALSE(result.parts.empty());
    std::vector<std::string> paths;
    uint64_t sum = 0;
    for (size_t k = 0; k < result.parts.size(); ++k) {
      const std::string path = ToUtf8(result.parts[k].path);
      const std::string bytes = Slurp(path);
      paths.push_back(path);
      sum += bytes.size();
      EXPECT_EQ(bytes.size(), result.parts[k].size);
      EXPECT_EQ(Le32(bytes, 8), bytes.size());
      // A part ends inside a block, or a byte early when a block would fill
      // it exactly, or a little early where a file ends and the next one's
      // records do not fit.
      if (k + 1 < result.parts.size()) {
        EXPECT_GE(bytes.size() + 300, partSize) << "part " << k + 1;
      }
      EXPECT_LE(bytes.size(), partSize);
      EXPECT_EQ(Le16(bytes, 32), 4711);
      EXPECT_EQ(Le16(bytes, 34), k);
      const uint16_t flags = Le16(bytes, 30);
      EXPECT_EQ((flags & cab::kFlagPrevCabinet) != 0, k > 0);
      EXPECT_EQ((flags & cab::kFlagNextCabinet) != 0, k + 1 < result.parts.size());
      size_t at = 36;
      if (k > 0) {
        EXPECT_EQ(std::string(bytes.c_str() + at), name(static_cast<int>(k)));
        at += name(1).size() + 2;
      }
      if (k + 1 < result.parts.size()) {
        EXPECT_EQ(std::string(bytes.c_str() + at), name(static_cast<int>(k + 2)));
      }
      // The digest: the first 16 bytes of SHA-1 in lower-case hexadecimal.
      const std::string sha = dir_ + "/sha";
      std::system(("sha1sum '" + path + "' | cut -c1-32 >'" + sha + "'").c_str());
      EXPECT_EQ(result.parts[k].digest + "\n", Slurp(sha));
    }
    EXPECT_EQ(result.cabinetBytes, sum);
    if (partSize == 65536) {
      EXPECT_GE(result.parts.size(), 5u);
    }
    if (partSize == 10000000) {
      EXPECT_EQ(result.parts.size(), 1u);
    }
    EXPECT_NE(access((dir_ + "/blocks.tmp").c_str(), F_OK), 0) ;
    if (cabextract) ExpectCabextractGivesPayload(paths);
  }
}

// ---- what the format cannot hold ----------------------------------------------

TEST_F(CabWriterTest, PayloadsTheFormatCannotHoldAreRefused) {
  struct Case {
    const char* what;
    std::function<void(const std::string&)> make;
    const char* message;
  } cases[] = {
      {"an empty folder", [](const std::string&) {}, "holds no files"},
      {"a member name of 256 bytes",
       [](const std::string& p) {
         mkdir((p + "/" + std::string(200, 'd')).c_str(), 0755);
         Spit(p + "/" + std::string(200, 'd') + "/" + std::string(54, 'f'), "x");
       },
       "a cabinet member name holds at most 255"},
      {"a name Windows forbids", [](const std::string& p) { Spit(p + "/a:b.txt", "x"); }, "does not allow"},
      {"a name with a backslash", [](const std::string& p) { Spit(p + "/a\\b.txt", "x"); }, "does not allow"},
      {"a name ending in a point", [](const std::string& p) { Spit(p + "/setup.", "x"); }, "ends with a blank or a point"},
      {"names that differ in case only",
       [](const std::string& p) {
         Spit(p + "/Setup.exe", "x");
         Spit(p + "/setup.EXE", "y");
       },
       "differ only in case"},
      {"a file of 2 GiB",
       [](const std::string& p) {
         Spit(p + "/huge.bin", "");
         ASSERT_EQ(truncate((p + "/huge.bin").c_str(), 0x80000000ll), 0);
       },
       "a cabinet holds files of less than 2 GiB"},
      {"a link to a folder",
       [](const std::string& p) {
         Spit(p + "/x", "x");
         ASSERT_EQ(symlink(p.c_str(), (p + "/loop").c_str()), 0);
       },
       "a link to a folder"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::system(("rm -rf '" + payload_ + "' && mkdir '" + payload_ + "'").c_str());
    c.make(payload_);
    std::vector<PayloadFile> files;
    const std::string message = ScanPayload(FromUtf8(payload_), files);
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
  // The largest file that fits is not refused (a sparse file: only scanned).
  std::system(("rm -rf '" + payload_ + "' && mkdir '" + payload_ + "'").c_str());
  Spit(payload_ + "/fits.bin", "");
  ASSERT_EQ(truncate((payload_ + "/fits.bin").c_str(), static_cast<off_t>(cab::kMaxFileBytes)), 0);
  std::vector<PayloadFile> files;
  EXPECT_EQ(ScanPayload(FromUtf8(payload_), files), "");
}

TEST_F(CabWriterTest, MoreFilesThanAFolderCountsAreRefused) {
  // 65,535 files fit; one more does not. Empty files keep this quick.
  const std::string make = "cd '" + payload_ + "' && seq 1 65535 | sed 's/^/f/' | xargs touch";
  ASSERT_EQ(std::system(make.c_str()), 0);
  std::vector<PayloadFile> files;
  EXPECT_EQ(ScanPayload(FromUtf8(payload_), files), "");
  EXPECT_EQ(files.size(), 65535u);
  Spit(payload_ + "/one-more", "");
  const std::string message = ScanPayload(FromUtf8(payload_), files);
  EXPECT_NE(message.find("more than 65535 files, more than a cabinet folder can count"), std::string::npos) << message;
}

TEST(CabLayoutTest, PartTooSmallForItsFileListIsRefused) {
  // 400 files of one byte, names of 200 bytes: the list alone passes 64 KiB.
  std::vector<LayoutBlock> blocks = {{0, 0, 400, 410}};
  std::vector<LayoutFile> files;
  for (uint64_t i = 0; i < 400; ++i) files.push_back({0, i, 1, 200});
  std::vector<LayoutCabinet> out;
  const std::string message = LayoutSet(blocks, files, 65536, [](int) { return std::string("P.001"); }, out);
  EXPECT_NE(message.find("too small to hold the list of files"), std::string::npos) << message;
}

}  // namespace
}  // namespace tovu::pack
