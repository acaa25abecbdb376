// The body of the extraction worker: brings the package's cabinet into
// reach (copied out of the attached-file container, or the part files
// beside the executable), checks the parts, empties the extraction folder,
// extracts the cabinet and reports the outcome to the window by messages
// and the initialiser's extraction result.
#pragma once

#include <functional>
#include <memory>

#include "cabinet/cab_decompressor.h"
#include "log/log_file.h"
#include "settings/initializer.h"
#include "util/cutil.h"

namespace tovu {

// The chunk size of the cabinet copy.
constexpr uint32_t kCabinetCopyChunk = 5242880;

struct PackageExtractionEnv {
  IPlatform& platform;
  CLogFile& log;
  CUtil& util;
  CTovuInitalizer& init;
  IExtractionWindow* window = nullptr;
  // Whether the worker slot's stop event is signalled.
  std::function<bool()> stopSignalled;
  // A decompressor for the window (none for the part checks) with the
  // overwrite-all setting.
  std::function<std::unique_ptr<ICabDecompressor>(IExtractionWindow* window, int overwriteAll)> makeDecompressor;
};

// ExtractPackage: no result; the outcome goes to the window and the
// initialiser. Logs through the window under "ExtractPackage".
void RunExtractPackage(PackageExtractionEnv& env);

// The user-facing text for an extraction result or error code: -5
// message 615, -3 message 608, -2 and 1 message 607, 5 message 510, 32
// message 509, others the system's text for the code; [FILENAME] is
// replaced by `fileName`.
Text GetMessageForCode(CUtil& util, int code, const Text& fileName);

}  // namespace tovu
