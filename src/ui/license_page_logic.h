// The decisions of the license page that need no window: which documents
// the list shows and in which order, which entry a check box belongs to,
// when Next may be pressed, how a document is shown, and the names of the
// list's entries for languages whose texts come from a language file.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "util/text.h"

namespace tovu::license {

// Message numbers of the page.
constexpr int kMsgLicenseTerms = 300;     // label 1056
constexpr int kMsgAcceptLicense = 302;    // check box 1020
constexpr int kMsgConfirmSecurity = 303;  // check box 1021
constexpr int kMsgLicenseEntry = 304;     // list entry and label 1060
constexpr int kMsgSecurityEntry = 305;

// The documents of the page: the license and the security information,
// each a path ("" when the package has no usable one), and their places in
// the list (-1 when not listed).
struct DocumentList {
  Text licensePath;
  Text securityPath;
  int licenseIndex = -1;
  int securityIndex = -1;
  // The document shown first ("" when none).
  Text current;
  // The message number naming each entry, in list order.
  std::vector<int> entries;
};
DocumentList ListDocuments(const Text& licensePath, const Text& securityPath);

// The document of a selected entry, and the message number naming it in
// label 1060; nullopt for an index that holds no document.
struct Selection {
  Text path;
  int message = 0;
};
std::optional<Selection> SelectEntry(const DocumentList& list, int index);

// The entry whose picture follows check box 1021: the second when the list
// holds two entries, else the first.
int SecurityEntryIndex(const DocumentList& list);

// Next may be pressed when every listed document is accepted by its box.
bool NextAllowed(const DocumentList& list, bool licenseChecked, bool securityChecked);

// How a document is shown: by the last three characters of its path,
// without regard to case.
enum class DocumentType { Rtf, PlainText, Other };
DocumentType TypeOf(const Text& path);

// The languages whose entry names are the message texts themselves.
bool HasBuiltInEntryNames(int lcid);

// The entry name of message `number` in a language file's bytes (UTF-16LE,
// with or without byte-order mark): the first line starting with the
// number's digits (and no further digit), with every occurrence of the number removed and
// "=" trimmed from both ends; "" when no line has it.
Text EntryNameFromLanguageFile(const std::vector<uint8_t>& bytes, int number);

}  // namespace tovu::license
