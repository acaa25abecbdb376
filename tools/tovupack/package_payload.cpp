#include "tovupack/package_payload.h"

#include <cstdio>

#include "tovupack/cab_writer.h"
#include "tovupack/settings_edit.h"

namespace tovu::pack {

namespace {

std::string U8(const Text& t) { return ToUtf8(t); }

Text FromUtf16Le(const std::vector<uint8_t>& bytes) {
  Text t;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) t += static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
  return t;
}

std::vector<uint8_t> ToUtf16Le(const Text& t) {
  std::vector<uint8_t> out = {0xFF, 0xFE};
  for (char16_t c : t) {
    out.push_back(static_cast<uint8_t>(c));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

// The INI integer reader: leading decimal digits, else 0.
uint64_t LeadingNumber(const Text& v) {
  uint64_t n = 0;
  for (char16_t c : v) {
    if (c < u'0' || c > u'9') break;
    n = n * 10 + (c - u'0');
    if (n > 0xFFFFFFFFFFull) break;
  }
  return n;
}

Text Decimal(uint64_t n) { return FromUtf8(std::to_string(n)); }

}  // namespace

std::string PreparePayload(const BuildRequest& request, const std::vector<uint8_t>& settings, PayloadJob& job) {
  job = PayloadJob{};
  SettingsText text(FromUtf16Le(settings));
  const Text guid = Trim(text.Get(u"Tovu", u"GUID2").value_or(Text()));
  if (!guid.empty()) {
    bool digits = guid.size() <= 5;
    for (char16_t c : guid) digits = digits && c >= u'0' && c <= u'9';
    if (!digits || LeadingNumber(guid) > 0xFFFF)
      return "[Tovu] GUID2 is \"" + U8(guid) + "\"; the cabinet set ID is a decimal number from 0 to 65535";
    job.setId = static_cast<uint16_t>(LeadingNumber(guid));
  }
  job.multipart = LeadingNumber(text.Get(u"Package", u"MultiPartDownload").value_or(Text())) == 1;
  const size_t cut = request.output.find_last_of(u"/\\");
  job.partFolder = cut == Text::npos ? Text() : request.output.substr(0, cut + 1);
  if (job.multipart) {
    job.partSize = request.partSize ? request.partSize : LeadingNumber(text.Get(u"Package", u"PartSize").value_or(Text()));
    if (job.partSize == 0)
      return "a multipart package needs a part size: give --part-size or [Package] PartSize in the settings";
    if (job.partSize < kMinPartSize || job.partSize > cab::kMaxCabinetBytes)
      return "the part size " + std::to_string(job.partSize) + " is outside " + std::to_string(kMinPartSize) +
             " to " + std::to_string(cab::kMaxCabinetBytes) + " bytes";
    const Text base = text.Get(u"Package", u"MultipartFileName").value_or(Text());
    if (base.empty()) return "a multipart package needs [Package] MultipartFileName in the settings";
    if (std::string problem = CheckEntryName(base + u".001"); !problem.empty())
      return "[Package] MultipartFileName: " + problem;
    job.partBaseName = U8(base);
    if (job.partBaseName.size() + 4 > cab::kMaxCabinetNameBytes)
      return "[Package] MultipartFileName is too long for the part names a cabinet records";
  } else if (request.partSize) {
    return "--part-size needs a multipart package ([Package] MultiPartDownload=1 in the settings)";
  }
  return ScanPayload(request.payload, job.files);
}

std::string WritePayload(IPlatform& platform, const BuildRequest& request, PayloadJob& job,
                         std::vector<uint8_t>& settings, BuildResult& result) {
  CabinetOptions options;
  options.compression = request.compression;
  options.setId = job.setId;
  options.threads = request.threads;
  options.progress = request.progress;
  CabinetResult cabinet;
  SettingsText text(FromUtf16Le(settings));
  if (!job.multipart) {
    job.tempCabinet = request.output + u".tovupack-cab";
    if (std::string e = WriteCabinet(platform, job.files, job.tempCabinet, options, cabinet); !e.empty()) return e;
  } else {
    auto partName = [&](int n) {
      char ext[8];
      std::snprintf(ext, sizeof ext, ".%03d", n);
      return job.partBaseName + ext;
    };
    auto partPath = [&](int n) {
      const Text final = job.partFolder + FromUtf8(partName(n));
      const Text temp = final + u".tovupack-part";
      if (job.parts.size() < static_cast<size_t>(n)) {
        job.parts.push_back(final);
        job.tempParts.push_back(temp);
      }
      return temp;
    };
    job.tempBlocks = request.output + u".tovupack-blocks";
    if (std::string e = WriteCabinetSet(platform, job.files, job.partSize, partPath, partName, job.tempBlocks, options,
                                        cabinet);
        !e.empty())
      return e;
    std::vector<std::pair<Text, Text>> names, digests;
    for (size_t i = 0; i < cabinet.parts.size(); ++i) {
      char key[8];
      std::snprintf(key, sizeof key, "%03d", static_cast<int>(i + 1));
      names.emplace_back(FromUtf8(key), FromUtf8(partName(static_cast<int>(i + 1))));
      digests.emplace_back(FromUtf8(key), FromUtf8(cabinet.parts[i].digest));
    }
    text.ReplaceSection(u"PartFileIno", names);
    text.ReplaceSection(u"HashCode", digests);
    result.parts = job.parts;
  }
  text.Set(u"Size", u"CabSize", Decimal(cabinet.cabinetBytes));
  text.Set(u"Size", u"PackageSize", Decimal(cabinet.payloadBytes));
  text.Set(u"FileCount", u"Count", Decimal(job.files.size()));
  settings = ToUtf16Le(text.Str());
  result.cabinetBytes = cabinet.cabinetBytes;
  result.payloadBytes = cabinet.payloadBytes;
  result.fileCount = job.files.size();
  return "";
}

std::string FinishPayload(IPlatform& platform, PayloadJob& job, bool keepParts) {
  std::string problem;
  if (!job.tempCabinet.empty()) platform.RemoveFile(job.tempCabinet);
  if (!job.tempBlocks.empty()) platform.RemoveFile(job.tempBlocks);
  for (size_t i = 0; i < job.tempParts.size(); ++i) {
    if (keepParts && problem.empty()) {
      if (uint32_t e = platform.MoveReplace(job.tempParts[i], job.parts[i]))
        problem = "cannot put the part " + U8(job.parts[i]) + " in place: " + ToUtf8(TrimRight(platform.ErrorText(e)));
      else
        continue;
    }
    platform.RemoveFile(job.tempParts[i]);
  }
  return problem;
}

}  // namespace tovu::pack
