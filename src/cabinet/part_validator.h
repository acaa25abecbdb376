// The part files of a multipart package: finding the first part beside
// the executable (GetValidPartName) and checking every listed part by
// existence, digest and cabinet identity (ValidateParts). These are
// operations of the extraction validator; they write no log lines but
// collect their messages, newest first.
#pragma once

#include "cabinet/cab_decompressor.h"
#include "settings/initializer.h"
#include "settings/profile.h"
#include "util/cutil.h"

namespace tovu {

namespace partsec {
constexpr const char16_t* kPartFileInfo = u"PartFileIno";  // spelt so
constexpr const char16_t* kHashCode = u"HashCode";
constexpr const char16_t* kMultipartFileName = u"MultipartFileName";
}  // namespace partsec

class CPartValidator {
 public:
  CPartValidator(IPlatform& platform, CUtil& util, CTovuInitalizer& init, ICabinetProbe& probe);

  // The name of part n: the pattern's text before its last point followed
  // by the extension formatted with n ("Name.%03d", 2 -> "Name.002").
  static Text FormatPartName(const Text& pattern, int number);

  // The full path of part 1, or "" when none is found (then `failedPath`
  // is the first candidate and a message is added). Sets the pattern.
  Text GetValidPartName(Text& failedPath, TextList& messages);
  // 0, or the last failure met: -2 (missing), -5 (digest), -3 (identity).
  int ValidateParts(Text& failedPath, int overwriteAll, TextList& messages);

  const Text& GetPartNamePattern() const { return pattern_; }
  const Text& GetFirstPartName() const { return firstPart_; }

 private:
  Text ModuleFolder();
  bool IsFile(const Text& path);

  IPlatform& platform_;
  CUtil& util_;
  CTovuInitalizer& init_;
  ICabinetProbe& probe_;
  CProfile profile_;
  Text pattern_;
  Text firstPart_;
};

}  // namespace tovu
