// The packager's listing of an arbitrary package file: a listing it takes
// for sound has its entries one after the other from the start offset,
// each inside the file.
#include <cstddef>
#include <cstdint>

#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "tovupack/packager.h"

using namespace tovu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text path = u"C:\\t\\Package.exe";
  test::FakePlatform fake;
  fake.AddFolder(u"C:\\t");
  fake.AddFile(path, fuzz::Bytes(data, size));
  pack::Listing listing;
  const std::string problem = pack::ListPackage(fake, path, listing);
  if (!problem.empty()) return 0;
  FUZZ_CHECK(listing.fileSize == size, "file size " + std::to_string(listing.fileSize));
  uint64_t at = listing.startOffset;
  for (const pack::ListedEntry& e : listing.entries) {
    FUZZ_CHECK(e.offset == at, "entry at " + std::to_string(e.offset) + ", expected at " + std::to_string(at));
    FUZZ_CHECK(e.dataOffset > e.offset && e.dataOffset + e.size <= size, "entry data outside the file");
    FUZZ_CHECK(!e.name.empty(), "an entry without a name");
    at = e.dataOffset + e.size;
  }
  FUZZ_CHECK(listing.endOffset == at, "the list ends at " + std::to_string(listing.endOffset));
  for (const pack::ListedEntry& e : listing.entries) pack::CheckEntryName(e.name);
  return 0;
}
