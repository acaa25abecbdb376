// The packager's payload step: reads what the settings say about the
// cabinet ([Tovu] GUID2, [Package] MultiPartDownload, PartSize and
// MultipartFileName), scans the payload folder, writes the cabinet or the
// set of parts, and fills the sizes, the file count and the part digests
// into the settings entry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tovupack/packager.h"
#include "tovupack/payload.h"

namespace tovu::pack {

struct PayloadJob {
  std::vector<PayloadFile> files;
  uint16_t setId = 0;
  bool multipart = false;
  uint64_t partSize = 0;
  std::string partBaseName;  // MultipartFileName, UTF-8
  Text partFolder;           // the output's folder, with its separator ("" for the current folder)
  Text tempCabinet;          // single cabinet, written before the package
  Text tempBlocks;           // multipart: the compressed blocks
  std::vector<Text> tempParts, parts;  // multipart: written, and their final names
};

// Reads the settings (UTF-16LE with byte-order mark) and scans the
// payload. Returns "" or a message.
std::string PreparePayload(const BuildRequest& request, const std::vector<uint8_t>& settings, PayloadJob& job);

// Writes the cabinet (to job.tempCabinet) or the parts (to job.tempParts)
// and returns the settings entry with the filled-in values. Returns "" or
// a message.
std::string WritePayload(IPlatform& platform, const BuildRequest& request, PayloadJob& job,
                         std::vector<uint8_t>& settings, BuildResult& result);

// Removes the temporary files; with `keepParts` the parts are first moved
// to their final names. Returns "" or why a part could not be put in place.
std::string FinishPayload(IPlatform& platform, PayloadJob& job, bool keepParts);

}  // namespace tovu::pack
