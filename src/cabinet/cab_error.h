// CError: the error record of a cabinet extraction. It holds the record
// the cabinet library fills (operation code, type code, error flag) and
// the decompressor's own code and type, which replace the library's when
// set. Texts for every code the decompressor reports.
#pragma once

#include "util/text.h"

namespace tovu {

namespace caberr {
// Codes of the cabinet library (FDIERROR_*).
constexpr int kSuccess = 0;
constexpr int kCabinetNotFound = 1;
constexpr int kNotACabinet = 2;
constexpr int kUnknownCabinetVersion = 3;
constexpr int kCorruptCabinet = 4;
constexpr int kAllocFail = 5;
constexpr int kBadCompressionType = 6;
constexpr int kMdiFail = 7;
constexpr int kTargetFile = 8;
constexpr int kReserveMismatch = 9;
constexpr int kWrongCabinet = 10;
constexpr int kUserAbort = 11;
// The decompressor's own codes.
constexpr int kLoadCabinetDll = 1000;
constexpr int kLoadWininetDll = 1001;
constexpr int kInvalidParameters = 1002;
constexpr int kReadCabFile = 1003;
constexpr int kOpenResource = 1004;
constexpr int kPathTooLong = 1005;
constexpr int kInternetError = 1006;
constexpr int kNotEncrypted = 1007;
constexpr int kEncrypted = 1008;
constexpr int kFileLongerThanDeclared = 1009;
constexpr int kOfflineMode = 1010;
constexpr int kRemoveAttributes = 1011;
// A path or name that cannot be narrowed to 8-bit characters.
constexpr int kCannotNarrow = 1012;
// A string that could not grow.
constexpr int kOutOfMemory = 1013;
// A member name that would put a file outside the target folder.
constexpr int kMemberOutsideTarget = 1014;
// An extracted file that could not be written whole (a full disk, a write
// that stored fewer bytes than asked or failed).
constexpr int kWriteFailed = 1015;
}  // namespace caberr

class CError {
 public:
  // The cabinet library's record (the layout of its ERF).
  struct Record {
    int oper = 0;
    int type = 0;
    int error = 0;
  };

  void Clear();
  // An error exists when the error flag, the own code or the own type is set.
  bool IsError() const { return record.error != 0 || customCode != 0 || customType != 0; }
  // The operation code (the own code when set).
  int GetErrorCode() const { return customCode != 0 ? customCode : record.oper; }
  // The type code (the own type when set).
  int GetErrorType() const { return customType != 0 ? customType : record.type; }
  // Sets the own code; `detail` (a path or member name) is added to the text.
  void SetCustom(int code, const Text& detail = Text());
  // "Success" without an error; else the code's text, or "Error %s: %d"
  // with the text and the type code when a type code is set. A detail is
  // appended as " : " and the detail.
  Text GetErrorMessage() const;
  // The text of one code ("Unknown error" for codes without a text).
  static Text GetErrorText(int code);

  Record record;
  int customCode = 0;
  int customType = 0;
  Text detail;
};

}  // namespace tovu
