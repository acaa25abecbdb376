// The container reader over an arbitrary package file on the fake
// platform: the start offset from the file's version record (as the frame
// finds it), else where the first entry marker lies; both modes, with
// chunk sizes chosen by the input. Where the packager's lister reads the
// same container without complaint, the files the reader writes must be
// exactly the listed entries of the mode, byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "container/extractor.h"
#include "container/pe_file.h"
#include "fakes/fake_platform.h"
#include "fuzz_support.h"
#include "tovupack/packager.h"

namespace {

using namespace tovu;

const Text kExe = u"C:\\Package\\Package.exe";

class QuietWindow : public IProgressWindow {
 public:
  bool Exists() override { return true; }
  void PostProgress(uintptr_t, intptr_t) override { ++posts; }
  void SendLog(const LogRelayRecord& r) override { chars += r.text.size() + r.argument.size(); }
  int posts = 0;
  size_t chars = 0;
};

int32_t FirstMarker(const uint8_t* data, size_t size) {
  std::string marker;
  for (const char16_t* p = kEntryMarker; *p; ++p) {
    marker.push_back(static_cast<char>(*p & 0xFF));
    marker.push_back(static_cast<char>(*p >> 8));
  }
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const size_t at = all.find(marker);
  return at == std::string_view::npos ? 0 : static_cast<int32_t>(at);
}

// The files below `folder`, by upper-case name.
std::map<Text, std::string> Written(test::FakePlatform& fake, const Text& folder) {
  std::map<Text, std::string> out;
  for (const Text& p : fake.ListAll(folder))
    if (!p.empty() && p.back() != u'\\') out[ToUpper(p.substr(p.rfind(u'\\') + 1))] = fake.FileBytes(p);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_bAbortExtraction = 0;
  test::FakePlatform fake;
  fake.AddFolder(u"C:\\S");
  fake.AddFolder(u"C:\\C");
  fake.AddFile(kExe, fuzz::Bytes(data, size));
  fuzz::NullLog log(fake);
  const uint32_t h = fuzz::Mix(data, size);
  // Byte by byte only through small files: it slows the search down.
  const uint32_t chunks[] = {size < 1024 ? 1u : 3u, 7, 512, 4096, 0x500000};
  const uint32_t chunk = chunks[h % 5];

  const uint32_t subtype = ReadPeFileSubtype(fake, kExe);
  const int32_t start = subtype != 0 ? static_cast<int32_t>(subtype) : FirstMarker(data, size);

  CExtractor settingsReader(fake, log);
  const int settings = settingsReader.ExtractFile(kExe, u"C:\\S\\", EXTRACT_MODE_SETTINGS, start, chunk);
  QuietWindow window;
  CExtractor cabinetReader(fake, log, &window, static_cast<int32_t>(size));
  const int cabinet = cabinetReader.ExtractFile(kExe, u"C:\\C\\", EXTRACT_MODE_CABINET, start, chunk);
  FUZZ_CHECK(settings == 0 || settings == -1, "settings mode returned " + std::to_string(settings));
  FUZZ_CHECK(cabinet == 0 || cabinet == -1, "cabinet mode returned " + std::to_string(cabinet));

  // The lister's view of the same container.
  if (subtype == 0) return 0;
  pack::Listing listing;
  if (!pack::ListPackage(fake, kExe, listing).empty()) return 0;
  std::map<Text, std::string> settingsEntries, cabinetEntries;
  std::set<Text> seen;
  bool beforeCabinet = true;
  for (const pack::ListedEntry& e : listing.entries) {
    if (e.type != ENTRY_TYPE_SETTINGS && e.type != ENTRY_TYPE_CABINET) return 0;
    if (!pack::CheckEntryName(e.name).empty()) return 0;
    if (!seen.insert(ToUpper(e.name)).second) return 0;  // one file would overwrite the other
    const std::string bytes(reinterpret_cast<const char*>(data) + e.dataOffset, e.size);
    if (e.type == ENTRY_TYPE_CABINET) {
      beforeCabinet = false;
      cabinetEntries[ToUpper(e.name)] = bytes;
    } else if (beforeCabinet) {
      settingsEntries[ToUpper(e.name)] = bytes;
    }
  }
  // A container the lister reads without complaint, with names the packager
  // would write, is one the frame reads to its end.
  FUZZ_CHECK(settings == 0 && cabinet == 0, "a sound container of " + std::to_string(listing.entries.size()) +
                                                " entries read with " + std::to_string(settings) + " / " +
                                                std::to_string(cabinet));
  if (settings == 0) {
    FUZZ_CHECK(Written(fake, u"C:\\S") == settingsEntries,
               "the settings entries written differ from the listed ones (" + std::to_string(listing.entries.size()) +
                   " entries)");
  }
  if (cabinet == 0) {
    FUZZ_CHECK(Written(fake, u"C:\\C") == cabinetEntries,
               "the cabinet entries written differ from the listed ones (" + std::to_string(listing.entries.size()) +
                   " entries)");
  }
  return 0;
}
