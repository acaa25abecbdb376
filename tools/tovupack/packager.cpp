#include "tovupack/packager.h"

#include <cstring>
#include <memory>

#include "container/extractor.h"
#include "container/pe_file.h"
#include "tovupack/package_payload.h"
#include "util/format.h"

namespace tovu::pack {

namespace {

constexpr uint32_t kMarkerBytes = 76;
constexpr uint32_t kCopyBuffer = 1u << 20;

std::string U8(const Text& t) { return ToUtf8(t); }

std::string SystemMessage(IPlatform& platform, uint32_t code) {
  std::string text = ToUtf8(TrimRight(platform.ErrorText(code)));
  if (text.empty()) text = "error " + std::to_string(code);
  return text;
}

// An IFileReader over bytes in memory.
class MemoryReader : public IFileReader {
 public:
  explicit MemoryReader(const std::vector<uint8_t>& data) : data_(data) {}
  uint32_t Seek(uint64_t position, uint64_t* reached) override {
    pos_ = position;
    if (reached) *reached = pos_;
    return 0;
  }
  uint32_t Read(void* buffer, uint32_t size, uint32_t* got) override {
    uint64_t left = pos_ < data_.size() ? data_.size() - pos_ : 0;
    *got = static_cast<uint32_t>(left < size ? left : size);
    if (*got) std::memcpy(buffer, data_.data() + pos_, *got);
    pos_ += *got;
    return 0;
  }
  uint32_t Size(uint64_t* size) override {
    *size = data_.size();
    return 0;
  }

 private:
  const std::vector<uint8_t>& data_;
  uint64_t pos_ = 0;
};

void AppendLe32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

std::vector<uint8_t> EntryHeader(const Text& name, uint32_t size, uint16_t type) {
  std::vector<uint8_t> h;
  for (const char16_t* p = kEntryMarker; *p; ++p) {
    h.push_back(static_cast<uint8_t>(*p));
    h.push_back(static_cast<uint8_t>(*p >> 8));
  }
  AppendLe32(h, static_cast<uint32_t>(name.size() * 2));
  for (char16_t c : name) {
    h.push_back(static_cast<uint8_t>(c));
    h.push_back(static_cast<uint8_t>(c >> 8));
  }
  AppendLe32(h, size);
  h.push_back(static_cast<uint8_t>(type));
  h.push_back(static_cast<uint8_t>(type >> 8));
  return h;
}

// One entry of the package being built.
struct PlannedEntry {
  Text name;
  uint16_t type = ENTRY_TYPE_SETTINGS;
  Text source;                 // file copied as it is
  std::vector<uint8_t> bytes;  // or bytes prepared in memory
  bool inMemory = false;
  uint64_t size = 0;
  bool cabinet = false;        // the first four bytes become "TOVU"
  bool written = false;        // the packager writes it before the package
};

// Writes the package to `out`, feeding the checksum as it goes.
class PackageWriter {
 public:
  PackageWriter(IPlatform& platform, IFileWriter& out) : platform_(platform), out_(out) {}

  std::string Write(const void* data, size_t size) {
    checksum_.Add(static_cast<const uint8_t*>(data), size);
    written_ += size;
    if (uint32_t e = out_.Write(data, static_cast<uint32_t>(size))) return "cannot write: " + SystemMessage(platform_, e);
    return "";
  }

  std::string CopyFile(const PlannedEntry& entry, std::vector<uint8_t>& buffer) {
    std::unique_ptr<IFileReader> in;
    if (uint32_t e = platform_.OpenRead(entry.source, in))
      return "cannot open " + U8(entry.source) + ": " + SystemMessage(platform_, e);
    uint64_t left = entry.size;
    bool first = true;
    while (left > 0) {
      uint32_t want = static_cast<uint32_t>(left < buffer.size() ? left : buffer.size());
      uint32_t got = 0;
      if (uint32_t e = in->Read(buffer.data(), want, &got))
        return "cannot read " + U8(entry.source) + ": " + SystemMessage(platform_, e);
      if (got == 0) return U8(entry.source) + " became shorter while it was packed";
      if (first && entry.cabinet && got >= 4) std::memcpy(buffer.data(), "TOVU", 4);
      first = false;
      if (std::string error = Write(buffer.data(), got); !error.empty()) return error;
      left -= got;
    }
    return "";
  }

  const PeChecksum& Checksum() const { return checksum_; }
  uint64_t Written() const { return written_; }

 private:
  IPlatform& platform_;
  IFileWriter& out_;
  PeChecksum checksum_;
  uint64_t written_ = 0;
};

}  // namespace

Text FileNameOf(const Text& path) {
  size_t cut = path.find_last_of(u"/\\");
  return cut == Text::npos ? path : path.substr(cut + 1);
}

std::string CheckEntryName(const Text& name) {
  if (name.empty()) return "the entry name is empty";
  if (name == u"." || name == u"..") return "\"" + U8(name) + "\" is not a file name";
  if (name.size() > kMaxEntryNameLength)
    return "the entry name " + U8(name.substr(0, 40)) + "... has " + std::to_string(name.size()) +
           " characters; at most " + std::to_string(kMaxEntryNameLength) + " fit";
  for (char16_t c : name) {
    if (c < 0x20 || c == 0x7F) return "the entry name \"" + U8(name) + "\" holds a control character";
    if (Text(u"\\/:*?\"<>|").find(c) != Text::npos)
      return "the entry name \"" + U8(name) + "\" is not a plain file name (it holds '" + U8(Text(1, c)) + "')";
  }
  if (name.back() == u' ' || name.back() == u'.')
    return "the entry name \"" + U8(name) + "\" ends with a blank or a point, which Windows drops";
  return "";
}

std::string SettingsToUtf16(const std::vector<uint8_t>& in, std::vector<uint8_t>& out) {
  out.clear();
  if (in.size() >= 2 && in[0] == 0xFF && in[1] == 0xFE) {
    if (in.size() % 2) return "the settings file is UTF-16 but has an odd number of bytes";
    out = in;
    return "";
  }
  if (in.size() >= 2 && in[0] == 0xFE && in[1] == 0xFF) {
    if (in.size() % 2) return "the settings file is UTF-16 but has an odd number of bytes";
    out.reserve(in.size());
    for (size_t i = 0; i < in.size(); i += 2) {
      out.push_back(in[i + 1]);
      out.push_back(in[i]);
    }
    return "";
  }
  std::string_view bytes(reinterpret_cast<const char*>(in.data()), in.size());
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  if (bytes.find('\0') != std::string_view::npos)
    return "the settings file holds zero bytes but has no UTF-16 byte-order mark";
  Text text = FromUtf8(bytes);
  if (ToUtf8(text) != bytes) return "the settings file is neither UTF-16 with a byte-order mark nor valid UTF-8";
  out = {0xFF, 0xFE};
  out.reserve(2 + text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return "";
}

std::string BuildPackage(IPlatform& platform, const BuildRequest& request, BuildResult& result) {
  result = BuildResult{};
  if (request.frame.empty()) return "no frame given (--frame)";
  if (request.settings.empty()) return "no settings file given (--settings)";
  if (request.cabinet.empty() && request.payload.empty()) return "no cabinet given (--cabinet or --payload)";
  if (!request.cabinet.empty() && !request.payload.empty()) return "give a cabinet or a payload, not both";
  if (request.output.empty()) return "no output given (--output)";

  // ---- the frame ------------------------------------------------------------
  uint64_t frameSize = 0;
  if (uint32_t e = platform.FileSize(request.frame, &frameSize))
    return "cannot read the frame " + U8(request.frame) + ": " + SystemMessage(platform, e);
  if (frameSize > kMaxStartOffset)
    return "the frame " + U8(request.frame) + " has " + std::to_string(frameSize) +
           " bytes: the container would start at or beyond 2 GiB, where the frame cannot find it";
  std::vector<uint8_t> frame;
  if (uint32_t e = platform.ReadWholeFile(request.frame, frame))
    return "cannot read the frame " + U8(request.frame) + ": " + SystemMessage(platform, e);
  PeInfo pe;
  {
    MemoryReader reader(frame);
    if (std::string problem = ReadPeInfo(reader, pe); !problem.empty())
      return "the frame " + U8(request.frame) + " is " + (problem.rfind("not a PE", 0) == 0 ? "" : "damaged: ") +
             problem;
  }
  const PeVersionRecord* neutral = nullptr;
  for (const PeVersionRecord& r : pe.versions)
    if (r.language == 0 && r.valid) neutral = &r;
  if (neutral == nullptr)
    return "the frame " + U8(request.frame) +
           " has no language-neutral version record to carry the container start offset";
  if (neutral->fileSubtype != 0)
    return "the frame " + U8(request.frame) + " is already a package (its container starts at offset " +
           std::to_string(neutral->fileSubtype) + "); build from the bare frame";
  // A signature block at the end of the frame no longer fits the changed
  // file: it is dropped, and its table entry cleared.
  if (pe.securitySize != 0 && pe.securityEntryOffset != 0) {
    const uint64_t blockEnd = static_cast<uint64_t>(pe.securityAddress) + pe.securitySize;
    if (blockEnd == frame.size() && pe.securityAddress >= pe.imageEnd) frame.resize(pe.securityAddress);
    PutLe32(&frame[pe.securityEntryOffset], 0);
    PutLe32(&frame[pe.securityEntryOffset + 4], 0);
  }
  const uint64_t startOffset = frame.size();
  if (startOffset > kMaxStartOffset)
    return "the container would start at offset " + std::to_string(startOffset) +
           ", at or beyond 2 GiB, where the frame cannot find it";

  // ---- the entries ----------------------------------------------------------
  std::vector<PlannedEntry> plan;
  {
    PlannedEntry settings;
    settings.name = kSettingsEntryName;
    std::vector<uint8_t> raw;
    if (uint32_t e = platform.ReadWholeFile(request.settings, raw))
      return "cannot read the settings file " + U8(request.settings) + ": " + SystemMessage(platform, e);
    if (std::string problem = SettingsToUtf16(raw, settings.bytes); !problem.empty())
      return problem + ": " + U8(request.settings);
    settings.inMemory = true;
    settings.size = settings.bytes.size();
    plan.push_back(std::move(settings));
  }
  PayloadJob job;
  if (!request.payload.empty())
    if (std::string problem = PreparePayload(request, plan[0].bytes, job); !problem.empty()) return problem;
  for (const Text& path : request.entries) {
    PlannedEntry entry;
    entry.name = FileNameOf(path);
    entry.source = path;
    plan.push_back(std::move(entry));
  }
  if (!job.multipart) {
    PlannedEntry cabinet;
    cabinet.name = kCabinetEntryName;
    cabinet.type = ENTRY_TYPE_CABINET;
    cabinet.source = request.cabinet;
    cabinet.cabinet = true;
    cabinet.written = !request.payload.empty();
    plan.push_back(std::move(cabinet));
  }
  for (size_t i = 0; i < plan.size(); ++i) {
    PlannedEntry& entry = plan[i];
    if (std::string problem = CheckEntryName(entry.name); !problem.empty())
      return problem + (entry.source.empty() ? "" : " (from " + U8(entry.source) + ")");
    for (size_t j = 0; j < i; ++j)
      if (EqualsNoCase(plan[j].name, entry.name))
        return "two entries would be named \"" + U8(entry.name) + "\"" +
               (entry.source.empty() ? "" : " (" + U8(entry.source) + ")") +
               "; names must differ, also in case, since the frame writes them into one folder";
    if (entry.inMemory || entry.written) continue;
    std::unique_ptr<IFileReader> in;
    if (uint32_t e = platform.OpenRead(entry.source, in))
      return "cannot open " + U8(entry.source) + ": " + SystemMessage(platform, e);
    if (uint32_t e = in->Size(&entry.size))
      return "cannot measure " + U8(entry.source) + ": " + SystemMessage(platform, e);
    if (entry.size > 0xFFFFFFFFull)
      return U8(entry.source) + " has " + std::to_string(entry.size) + " bytes; an entry holds less than 4 GiB";
    if (entry.cabinet) {
      uint8_t head[4] = {};
      uint32_t got = 0;
      if (entry.size < 4 || in->Read(head, 4, &got) || got != 4 ||
          (std::memcmp(head, "MSCF", 4) != 0 && std::memcmp(head, "TOVU", 4) != 0))
        return "the cabinet " + U8(entry.source) + " is not a cabinet file (it starts with neither MSCF nor TOVU)";
    }
  }

  // ---- the cabinet from the payload -------------------------------------------
  if (!request.payload.empty()) {
    if (std::string error = WritePayload(platform, request, job, plan[0].bytes, result); !error.empty()) {
      FinishPayload(platform, job, false);
      return error;
    }
    plan[0].size = plan[0].bytes.size();
    if (!job.multipart) {
      plan.back().source = job.tempCabinet;
      plan.back().size = result.cabinetBytes;
    }
  }

  // ---- writing ----------------------------------------------------------------
  // The start offset goes into the neutral record; the checksum field is
  // counted as 0 and written at the end.
  PutLe32(&frame[neutral->subtypeOffset], static_cast<uint32_t>(startOffset));
  PutLe32(&frame[pe.checksumOffset], 0);

  const Text temp = request.output + u".tovupack-part";
  std::unique_ptr<IFileWriter> out;
  if (uint32_t e = platform.CreateWrite(temp, out)) {
    FinishPayload(platform, job, false);
    return "cannot create " + U8(temp) + ": " + SystemMessage(platform, e);
  }
  auto fail = [&](const std::string& message) {
    out.reset();
    platform.RemoveFile(temp);
    FinishPayload(platform, job, false);
    return message;
  };
  PackageWriter writer(platform, *out);
  if (std::string error = writer.Write(frame.data(), frame.size()); !error.empty()) return fail(error);
  std::vector<uint8_t> buffer(kCopyBuffer);
  for (const PlannedEntry& entry : plan) {
    const std::vector<uint8_t> header = EntryHeader(entry.name, static_cast<uint32_t>(entry.size), entry.type);
    if (std::string error = writer.Write(header.data(), header.size()); !error.empty()) return fail(error);
    std::string error =
        entry.inMemory ? writer.Write(entry.bytes.data(), entry.bytes.size()) : writer.CopyFile(entry, buffer);
    if (!error.empty()) return fail(error);
  }
  uint8_t sum[4];
  PutLe32(sum, writer.Checksum().Finish(writer.Written()));
  if (uint32_t e = out->Seek(pe.checksumOffset)) return fail("cannot write: " + SystemMessage(platform, e));
  if (uint32_t e = out->Write(sum, 4)) return fail("cannot write: " + SystemMessage(platform, e));
  if (uint32_t e = out->Close()) return fail("cannot write " + U8(temp) + ": " + SystemMessage(platform, e));
  out.reset();
  if (uint32_t e = platform.MoveReplace(temp, request.output))
    return fail("cannot put the package in place at " + U8(request.output) + ": " + SystemMessage(platform, e));

  if (std::string problem = FinishPayload(platform, job, true); !problem.empty()) return problem;

  result.startOffset = startOffset;
  result.packageSize = writer.Written();
  result.entryCount = plan.size();
  return "";
}

std::string ListPackage(IPlatform& platform, const Text& package, Listing& listing) {
  listing = Listing{};
  std::unique_ptr<IFileReader> in;
  if (uint32_t e = platform.OpenRead(package, in)) return "cannot open " + U8(package) + ": " + SystemMessage(platform, e);
  PeInfo pe;
  if (std::string problem = ReadPeInfo(*in, pe); !problem.empty()) return U8(package) + " is " + problem;
  const int chosen = ChooseVersionRecord(pe);
  if (chosen < 0) return U8(package) + " has no version record, so no container";
  listing.startOffset = pe.versions[static_cast<size_t>(chosen)].fileSubtype;
  in->Size(&listing.fileSize);
  if (listing.startOffset == 0) return U8(package) + " is a bare frame: its version record holds no container offset";
  if (listing.startOffset > kMaxStartOffset)
    return U8(package) + ": the start offset " + std::to_string(listing.startOffset) +
           " lies beyond 2 GiB, where the frame cannot read it";

  // A signed package carries its certificate table (the Authenticode
  // signature) behind the container, where the certificate-table entry of
  // the header points; the container ends there. Signing tools align the
  // table to 8 bytes, so up to 7 bytes of padding may lie between.
  uint64_t end = listing.fileSize;
  if (pe.securityAddress != 0 && pe.securitySize != 0 && pe.securityAddress >= listing.startOffset &&
      static_cast<uint64_t>(pe.securityAddress) + pe.securitySize <= listing.fileSize)
    end = pe.securityAddress;
  auto certificateNote = [&]() {
    return "the certificate table of " + std::to_string(pe.securitySize) + " bytes follows at offset " +
           std::to_string(pe.securityAddress);
  };

  uint64_t at = listing.startOffset;
  for (;;) {
    uint8_t head[kMarkerBytes + 4];
    uint64_t reached = 0;
    uint32_t got = 0;
    listing.endOffset = at;
    if (end < listing.fileSize && at <= end && end - at < 8) {
      listing.endNote = certificateNote();
      break;
    }
    if (in->Seek(at, &reached) || reached != at) break;
    uint32_t total = 0;
    while (total < sizeof head && !in->Read(head + total, sizeof head - total, &got) && got) total += got;
    if (total < kMarkerBytes) {
      if (total > 0) listing.endNote = std::to_string(total) + " bytes too few for an entry follow";
      break;
    }
    bool marker = true;
    for (uint32_t i = 0; i < kMarkerBytes / 2 && marker; ++i) marker = Le16(head + 2 * i) == kEntryMarker[i];
    if (!marker) {
      listing.endNote = std::to_string(end - at) + " bytes that are not an entry follow";
      if (end < listing.fileSize) listing.endNote += ", then " + certificateNote();
      break;
    }
    auto damaged = [&](const std::string& why) {
      return U8(package) + ": the entry at offset " + std::to_string(at) + " is damaged: " + why;
    };
    if (total < sizeof head) return damaged("its header is cut off");
    const uint32_t nameBytes = Le32(head + kMarkerBytes);
    if (nameBytes == 0 || nameBytes % 2 || nameBytes >= 1024)
      return damaged("name length " + std::to_string(nameBytes));
    std::vector<uint8_t> rest(nameBytes + 6);
    total = 0;
    while (total < rest.size() && !in->Read(rest.data() + total, static_cast<uint32_t>(rest.size() - total), &got) && got)
      total += got;
    if (total < rest.size()) return damaged("its header is cut off");
    ListedEntry entry;
    for (uint32_t i = 0; i < nameBytes; i += 2) entry.name += static_cast<char16_t>(Le16(&rest[i]));
    entry.size = Le32(&rest[nameBytes]);
    entry.type = Le16(&rest[nameBytes + 4]);
    entry.offset = at;
    entry.dataOffset = at + kMarkerBytes + 4 + nameBytes + 6;
    if (entry.dataOffset + entry.size > end)
      return damaged("its " + std::to_string(entry.size) + " bytes of data run " +
                     (end < listing.fileSize ? "into the certificate table at offset " + std::to_string(end)
                                             : std::string("past the end of the file")));
    at = entry.dataOffset + entry.size;
    listing.entries.push_back(std::move(entry));
  }
  return "";
}

}  // namespace tovu::pack
