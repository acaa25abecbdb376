// The built-in English message catalogue. Its texts are listed once, in
// settings/builtin_messages.inc; the portable code compiles them into a
// table (this unit), and the frame carries the same lines as the string
// table of its resources (app/win32/messages.rc). A "\n" in a text is a
// line break; other placeholders stay as they are.
#pragma once

#include <cstddef>
#include <span>

#include "util/text.h"

namespace tovu {

constexpr int MSG_EXTRACTION_FAILED = 103;
constexpr int MSG_NO_VOLUME_WITH_SPACE = 104;
constexpr int MSG_ANOTHER_INSTANCE = 105;
constexpr int MSG_NO_VOLUME_PERMISSION = 106;
constexpr int MSG_EXTRACTION_LOCATION_NOT_FOUND = 107;
constexpr int MSG_ACCESS_DENIED = 510;
constexpr int MSG_FILE_IN_USE = 509;
constexpr int MSG_AN_ERROR_OCCURRED = 602;
constexpr int MSG_PART_FILE_NOT_FOUND = 607;
constexpr int MSG_PART_FILE_INVALID = 608;
constexpr int MSG_PART_FILE_CORRUPT = 615;
constexpr int MSG_NOT_SUFFICIENT_SPACE = 409;
constexpr int MSG_OLE_INIT_FAILED = 901;

struct BuiltInMessage {
  int id;
  const char16_t* text;
};

// Every entry of the catalogue, in ascending order of the numbers.
std::span<const BuiltInMessage> BuiltInMessages();

// The English text of a message, or "" for a number the catalogue lacks.
Text GetBuiltInMessageText(int id);

// Where a message catalogue takes its built-in English texts from: the
// compiled-in table (CompiledInMessageTexts) or, in the frame, the string
// table of the executable (settings/win32/resource_message_texts.h). Both
// give the same texts.
class IBuiltInMessageTexts {
 public:
  virtual ~IBuiltInMessageTexts() = default;
  // The text of message `id`, or "" when the catalogue has none.
  virtual Text LoadText(int id) = 0;
};

// The compiled-in table as an IBuiltInMessageTexts (one per process,
// stateless).
IBuiltInMessageTexts& CompiledInMessageTexts();

}  // namespace tovu
