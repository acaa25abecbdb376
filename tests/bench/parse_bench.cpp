// Prints how long the readers of hostile or large input take: the PE
// resource walk over a self-referencing resource directory, a language
// file of about 60 KB in 500 sections, and the formatter's widest
// precision. Not part of ctest (other load on the machine shows in every
// figure); build the target tovu_parse_bench and run it.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "container/pe_file.h"
#include "fakes/fake_platform.h"
#include "settings/messages.h"
#include "support/test_support.h"
#include "util/format.h"

namespace {

using tovu::PutLe16;
using tovu::PutLe32;
using Bytes = std::vector<uint8_t>;

class MemoryReader : public tovu::IFileReader {
 public:
  explicit MemoryReader(const Bytes& b) : b_(b) {}
  uint32_t Seek(uint64_t position, uint64_t* reached) override {
    pos_ = position;
    if (reached) *reached = pos_;
    return 0;
  }
  uint32_t Read(void* buffer, uint32_t size, uint32_t* got) override {
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

 private:
  const Bytes& b_;
  uint64_t pos_ = 0;
};

// A PE32 image of one resource section whose root holds 4,096 entries,
// half RT_VERSION and half name 1, each pointing back at the root.
Bytes SelfReferencingPe() {
  const uint32_t pe = 0x80, opt = pe + 24, optSize = 96 + 16 * 8, rsrcAt = 0x400, rva = 0x1000;
  const uint32_t entries = 4096, used = 16 + 8 * entries, raw = (used + 0x1FF) & ~0x1FFu;
  Bytes b(rsrcAt + raw, 0);
  b[0] = 'M';
  b[1] = 'Z';
  PutLe32(&b[60], pe);
  b[pe] = 'P';
  b[pe + 1] = 'E';
  PutLe16(&b[pe + 4], 0x14C);
  PutLe16(&b[pe + 6], 1);
  PutLe16(&b[pe + 20], optSize);
  PutLe16(&b[opt], 0x10B);
  PutLe32(&b[opt + 60], rsrcAt);
  PutLe32(&b[opt + 92], 16);
  PutLe32(&b[opt + 96 + 16], rva);
  PutLe32(&b[opt + 96 + 20], used);
  uint8_t* s = &b[opt + optSize];
  std::memcpy(s, ".rsrc", 5);
  PutLe32(s + 8, raw);
  PutLe32(s + 12, rva);
  PutLe32(s + 16, raw);
  PutLe32(s + 20, rsrcAt);
  PutLe16(&b[rsrcAt + 14], entries);
  for (uint32_t i = 0; i < entries; ++i) {
    PutLe32(&b[rsrcAt + 16 + 8 * i], i % 2 ? 1 : 16);
    PutLe32(&b[rsrcAt + 20 + 8 * i], 0x80000000u);
  }
  return b;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main() {
  {
    const Bytes image = SelfReferencingPe();
    const auto start = std::chrono::steady_clock::now();
    MemoryReader reader(image);
    tovu::PeInfo info;
    const std::string problem = tovu::ReadPeInfo(reader, info);
    std::printf("PE, self-referencing resource root (%zu bytes): %.4f s, %zu version records, \"%s\"\n", image.size(),
                Seconds(start), info.versions.size(), problem.c_str());
  }
  {
    constexpr int kSections = 500;
    tovu::test::FakePlatform fake;
    tovu::Text file = u"[FileInfo]\r\nID=1049\r\n";
    for (int s = 0; s < kSections; ++s) {
      char line[96];
      std::snprintf(line, sizeof line, "[Section %04d]\r\n%d=Text of message %d in its own section\r\n", s, 5000 + s,
                    5000 + s);
      file += tovu::Widen(line);
    }
    const std::string bytes = tovu::test::Utf16Le(file);
    fake.AddFile(u"C:\\T\\Default1049.ulf", bytes);
    tovu::CMessageCatalog catalog(fake);
    const auto start = std::chrono::steady_clock::now();
    catalog.LoadLanguageFile(1049, u"C:\\T\\");
    std::printf("language file of %zu bytes in %d sections: %.4f s, %zu texts, %d file reads\n", bytes.size(),
                kSections, Seconds(start), catalog.GetMessageMap().size(), fake.wholeFileReads);
  }
  {
    const auto start = std::chrono::steady_clock::now();
    const tovu::Text wide = tovu::Format(u"%.100000d", 7);
    std::printf("%%.100000d: %.4f s, %zu characters\n", Seconds(start), wide.size());
  }
  return 0;
}
