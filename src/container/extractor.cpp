#include "container/extractor.h"

#include <memory>
#include <new>

#include "container/pe_file.h"

namespace tovu {

std::atomic<int> g_bAbortExtraction = 0;

namespace {

constexpr char16_t kFunction[] = u"ExtractFile";
constexpr uint32_t kMarkerBytes = 76;
constexpr uint32_t kNameArea = 1024;

// An entry name must name a file directly inside the target folder.
bool IsPlainFileName(TextView name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  for (char16_t c : name)
    if (c < 0x20 || c == u'\\' || c == u'/' || c == u':') return false;
  return true;
}

// Reads exactly `size` bytes unless the file ends first; `got` tells how many.
uint32_t ReadFully(IFileReader& f, void* buffer, uint32_t size, uint32_t* got) {
  *got = 0;
  uint8_t* p = static_cast<uint8_t*>(buffer);
  while (*got < size) {
    uint32_t n = 0;
    if (uint32_t e = f.Read(p + *got, size - *got, &n)) return e;
    if (n == 0) break;
    *got += n;
  }
  return 0;
}

// Raised inside ExtractFile for a failed read, write or allocation; carries
// the system error code.
struct IoFailure {
  uint32_t code;
};

}  // namespace

CExtractor::CExtractor(IPlatform& platform, CLogFile& log) : platform_(platform), log_(log) {}

CExtractor::CExtractor(IPlatform& platform, CLogFile& log, IProgressWindow* window, int32_t total)
    : platform_(platform), log_(log), window_(window), total_(total) {}

void CExtractor::LogLine(int level, const Text& line) {
  if (mode_ == EXTRACT_MODE_SETTINGS) {
    log_.WriteLogText(level, kFunction, line);
    return;
  }
  if (!window_ || !window_->Exists()) return;
  // The window formats the text with the (empty) argument: a percent sign of
  // the line (a path may hold one) must reach the log as it is.
  Text text;
  text.reserve(line.size());
  for (char16_t c : line) {
    text += c;
    if (c == u'%') text += u'%';
  }
  record_.level = level;
  record_.function = kFunction;
  record_.text = std::move(text);
  record_.argument.clear();
  window_->SendLog(record_);
}

int CExtractor::Damaged(const Text& source, uint64_t offset, TextView reason) {
  Log(LOG_ERROR, u"Damaged attached file entry in %s at offset %I64u : %s", source, offset, reason);
  return -1;
}

int CExtractor::ExtractFile(const Text& source, const Text& targetFolder, int mode, int32_t startOffset,
                            uint32_t chunkSize) {
  mode_ = mode;
  std::unique_ptr<IFileReader> in;
  std::unique_ptr<uint8_t[]> buffer;
  try {
    uint32_t e = platform_.OpenRead(source, in);
    if (e) {
      Log(LOG_ERROR, u"Error opening file : %s Error code : %d ", source, e);
      return -1;
    }
    uint64_t reached = 0;
    e = startOffset < 0 ? winerr::kNegativeSeek : in->Seek(static_cast<uint64_t>(startOffset), &reached);
    if (e || reached != static_cast<uint64_t>(startOffset)) {
      Log(LOG_ERROR, u"Error seeking file : %s  to : %d Error code : %d", source, startOffset, e);
      return -1;
    }
    total_ = static_cast<int32_t>(static_cast<int64_t>(total_) - startOffset);

    // One buffer for the whole call. A pass never reads more than the
    // container holds, so a buffer of the container's size does the same
    // work as a larger one.
    uint64_t fileSize = 0;
    if (in->Size(&fileSize)) fileSize = 0;
    uint64_t containerBytes = fileSize > static_cast<uint64_t>(startOffset) ? fileSize - startOffset : 0;
    uint32_t chunk = chunkSize ? chunkSize : 0x500000u;
    uint32_t bufferSize = chunk;
    if (bufferSize > containerBytes) bufferSize = static_cast<uint32_t>(containerBytes ? containerBytes : 1);
    if (bufferSize > kMaxBuffer) bufferSize = kMaxBuffer;
    if (chunk > bufferSize) chunk = bufferSize;
    buffer.reset(new (std::nothrow) uint8_t[bufferSize]);
    if (!buffer) throw IoFailure{8};  // ERROR_NOT_ENOUGH_MEMORY
    int64_t progress = 0;
    uint64_t position = static_cast<uint64_t>(startOffset);

    for (;;) {
      // ---- entry header --------------------------------------------------
      Log(LOG_DETAIL, u"Reading footer information");
      uint8_t area[kNameArea] = {};
      uint32_t got = 0;
      if ((e = ReadFully(*in, area, kMarkerBytes, &got))) throw IoFailure{e};
      if (got < kMarkerBytes) {
        Log(LOG_DETAIL, u"Reached EOF : %s \n FileSize : %d, ActualRead : %d Last Return code : %d", source,
            kMarkerBytes, got, e);
        return 0;
      }
      Text marker;
      for (uint32_t i = 0; i + 1 < kMarkerBytes; i += 2) {
        char16_t c = static_cast<char16_t>(Le16(area + i));
        if (c == 0) break;
        marker += c;
      }
      if (marker.find(kEntryMarker) == Text::npos) {
        Log(LOG_INFO, u"Attached files are extracted");
        return 0;
      }
      uint64_t entryAt = position;
      position += kMarkerBytes;

      uint8_t word[4];
      if ((e = ReadFully(*in, word, 4, &got))) throw IoFailure{e};
      if (got < 4) return Damaged(source, entryAt, u"the header is cut off");
      uint32_t nameBytes = Le32(word);
      if (nameBytes >= kNameArea) return Damaged(source, entryAt, Format(u"name length %u", nameBytes));
      if (nameBytes == 0 || nameBytes % 2) return Damaged(source, entryAt, Format(u"name length %u", nameBytes));
      std::fill(area, area + kNameArea, 0);
      if ((e = ReadFully(*in, area, nameBytes, &got))) throw IoFailure{e};
      if (got < nameBytes) return Damaged(source, entryAt, u"the header is cut off");
      Text name;
      for (uint32_t i = 0; i < nameBytes; i += 2) name += static_cast<char16_t>(Le16(area + i));
      if (!IsPlainFileName(name)) return Damaged(source, entryAt, u"the name is not a plain file name");
      uint8_t tail[6];
      if ((e = ReadFully(*in, tail, 6, &got))) throw IoFailure{e};
      if (got < 6) return Damaged(source, entryAt, u"the header is cut off");
      uint32_t dataSize = Le32(tail);
      uint16_t type = Le16(tail + 4);
      position += 4 + nameBytes + 6;

      // ---- by mode and type ------------------------------------------------
      if (mode == EXTRACT_MODE_SETTINGS && type == ENTRY_TYPE_CABINET) return 0;
      if (mode == EXTRACT_MODE_CABINET && type != ENTRY_TYPE_CABINET) {
        position += dataSize;
        if ((e = in->Seek(position, &reached)) || reached != position) throw IoFailure{e ? e : winerr::kReadFault};
        continue;
      }

      // ---- one entry -------------------------------------------------------
      Text outPath = targetFolder + name;
      Log(LOG_INFO, u"Extracting file : %s", outPath);
      std::unique_ptr<IFileWriter> out;
      if ((e = platform_.CreateWrite(outPath, out))) {
        Log(LOG_ERROR, u"Error creating file : %s Error code : %d ", outPath, e);
        return -1;
      }
      uint64_t copied = 0;
      bool last = false;
      do {
        uint64_t rest = dataSize - copied;
        uint32_t want = chunk;
        if (chunk > rest) {
          want = static_cast<uint32_t>(rest);
          last = true;
        }
        if ((e = ReadFully(*in, buffer.get(), want, &got))) throw IoFailure{e};
        position += got;
        if (!last) copied += got;
        progress += got;
        if (g_bAbortExtraction) {
          out->Close();
          out.reset();
          in.reset();
          buffer.reset();
          g_bAbortExtraction = 0;
          Log(LOG_INFO, u"Closing file : %s", outPath);
          return -1;
        }
        if (got && (e = out->Write(buffer.get(), got))) throw IoFailure{e};
        if ((e = out->Flush())) throw IoFailure{e};
        if (last) {
          g_bAbortExtraction = 0;
          break;
        }
        if (total_ > 0 && progress >= total_ / 100) {
          progress = 0;
          if (window_) window_->PostProgress(1, 0);
        }
      } while (got > 0);
      Log(LOG_INFO, u"Closing file : %s", outPath);
      if ((e = out->Close())) throw IoFailure{e};
    }
  } catch (const IoFailure& failure) {
    Log(LOG_ERROR, u"%s", TrimRight(platform_.ErrorText(failure.code)));
  } catch (...) {
    Log(LOG_ERROR, u"%s", TrimRight(platform_.ErrorText(8)));
  }
  return -1;
}

uint32_t CTovuVersionInfoUpdater::ReadFileSubtype(const Text& path) {
  IPlatform& platform = Platform();
  uint32_t subtype = 0;
  if (platform.SystemFileSubtype(path, &subtype)) return subtype;
  return ReadPeFileSubtype(platform, path);
}

}  // namespace tovu
