// CExtractorValidator: the checks of the extraction folder, its free space,
// the setup language, the autolaunch choice and the license files. One
// process-wide object; it reads the package settings from the path the
// initialiser gives it.
#pragma once

#include <cstdint>

#include "log/log_file.h"
#include "platform/platform.h"
#include "settings/messages.h"
#include "util/text.h"

namespace tovu {

class CExtractorValidator {
 public:
  CExtractorValidator(IPlatform& platform, CLogFile& log, CMessageCatalog& messages);

  void SetSettingsPath(const Text& path) { settingsPath_ = path; }
  const Text& GetSettingsPath() const { return settingsPath_; }

  // Whether the volume of `folder` has `required` bytes free; `message`
  // receives the text to show (available and required space, or why the
  // volume could not be measured). 1 enough, 0 not.
  int CheckFreeSpace(const Text& path, const Text& folder, uint64_t required, Text& message);

 private:
  IPlatform& platform_;
  CLogFile& log_;
  CMessageCatalog& messages_;
  Text settingsPath_;
};

}  // namespace tovu
