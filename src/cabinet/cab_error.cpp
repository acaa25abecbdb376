#include "cabinet/cab_error.h"

#include "util/format.h"

namespace tovu {

void CError::Clear() {
  record = Record();
  customCode = 0;
  customType = 0;
  detail.clear();
}

void CError::SetCustom(int code, const Text& what) {
  customCode = code;
  detail = what;
}

Text CError::GetErrorText(int code) {
  switch (code) {
    case 0: return u"Success";
    case 1: return u"Cabinet file (or part of splitted CAB) not found";
    case 2: return u"The file is not a cabinet";
    case 3: return u"Unknown cabinet version";
    case 4: return u"Corrupt cabinet";
    case 5: return u"Memory allocation failed";
    case 6: return u"Unknown compression type";
    case 7: return u"Failure decompressing data";
    case 8: return u"Failure writing to target file";
    case 9: return u"Cabinets in set have different RESERVE sizes";
    case 10: return u"Cabinet returned on fdintNEXT_CABINET is incorrect";
    case 11: return u"User aborted extraction";
    case 1000: return u"Could not load Cabinet.dll";
    case 1001: return u"Could not load Wininet.dll";
    case 1002: return u"Invalid parameters passed to extraction function";
    case 1003: return u"Could not read CAB file";
    case 1004: return u"The specified resource could not be opened.";
    case 1005: return u"The path is too long. (Max 260 characters are allowed).";
    case 1006: return u"An internet error occurred.";
    case 1007: return u"The CAB archive is not encrypted but a decryption key was set.";
    case 1008: return u"The CAB archive is encrypted but no decryption key was set.";
    case 1009: return u"Invalid CAB file: Extracted file is longer than declared in fdintCOPY_FILE";
    case 1010: return u"Internet Explorer is switched to Offline mode.";
    case 1011: return u"Could not remove attributes of the file";
    case 1012: return u"Unicode string cannot be converted to Ansi!";
    case 1013: return u"Fatal error: Out of memory!";
    case 1014: return u"Invalid CAB file: a member name leads outside the target folder";
    case 1015: return u"Could not write the extracted file";
    default: return u"Unknown error";
  }
}

Text CError::GetErrorMessage() const {
  if (!IsError()) return u"Success";
  Text text = GetErrorText(GetErrorCode());
  if (GetErrorType() != 0) text = Format(u"Error %s: %d", text, GetErrorType());
  if (!detail.empty()) text += u" : " + detail;
  return text;
}

}  // namespace tovu
