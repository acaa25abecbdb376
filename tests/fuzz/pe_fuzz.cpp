// The PE reader over an arbitrary file: the offsets it reports (which the
// packager patches in place) lie inside the file, the chosen record's
// subtype is the value stored at its offset, and the header checksum does
// not depend on how the bytes are fed to it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "container/pe_file.h"
#include "fakes/fake_platform.h"
#include "fuzz_support.h"

using namespace tovu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Text path = u"C:\\t\\a.exe";
  test::FakePlatform fake;
  fake.AddFolder(u"C:\\t");
  fake.AddFile(path, fuzz::Bytes(data, size));

  std::unique_ptr<IFileReader> reader;
  FUZZ_CHECK(fake.OpenRead(path, reader) == 0, "the fake cannot open its own file");
  PeInfo info;
  const std::string problem = ReadPeInfo(*reader, info);
  if (problem.empty()) {
    FUZZ_CHECK(info.checksumOffset + 4 <= size, "checksum field at " + std::to_string(info.checksumOffset));
    if (info.securityEntryOffset != 0)
      FUZZ_CHECK(info.securityEntryOffset + 8 <= size,
                 "certificate-table entry at " + std::to_string(info.securityEntryOffset));
    for (const PeVersionRecord& r : info.versions) {
      if (!r.valid) continue;
      FUZZ_CHECK(r.subtypeOffset + 4 <= size, "subtype field at " + std::to_string(r.subtypeOffset));
      FUZZ_CHECK(r.subtypeOffset >= r.fileOffset, "subtype field before its record");
      FUZZ_CHECK(Le32(data + r.subtypeOffset) == r.fileSubtype, "subtype differs from the bytes at its offset");
    }
    const int chosen = ChooseVersionRecord(info);
    FUZZ_CHECK(chosen >= -1 && chosen < static_cast<int>(info.versions.size()), "chosen record out of range");
    const uint32_t subtype = ReadPeFileSubtype(fake, path);
    FUZZ_CHECK(subtype == (chosen < 0 ? 0 : info.versions[static_cast<size_t>(chosen)].fileSubtype),
               "ReadPeFileSubtype disagrees with the chosen record");
  }
  uint16_t parts[4];
  ReadPeFileVersion(fake, path, parts);

  PeChecksum whole, pieces;
  whole.Add(data, size);
  const uint32_t h = fuzz::Mix(data, size);
  for (size_t at = 0, step = 1 + h % 7; at < size; at += step, step = 1 + (step * 5 + 3) % 13)
    pieces.Add(data + at, std::min(step, size - at));
  FUZZ_CHECK(whole.Finish(size) == pieces.Finish(size), "checksum depends on the pieces");
  return 0;
}
