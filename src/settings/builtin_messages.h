// The built-in English message texts the frame shows before a language
// file is loaded. Numbers are the message identifiers of the catalogue;
// "\n" in a text is a line break.
#pragma once

#include "util/text.h"

namespace tovu {

constexpr int MSG_EXTRACTION_FAILED = 103;
constexpr int MSG_NO_VOLUME_WITH_SPACE = 104;
constexpr int MSG_ANOTHER_INSTANCE = 105;
constexpr int MSG_NO_VOLUME_PERMISSION = 106;
constexpr int MSG_AN_ERROR_OCCURRED = 602;
constexpr int MSG_OLE_INIT_FAILED = 901;

// The English text of a message, or "" for a number the table lacks.
Text GetBuiltInMessageText(int id);

}  // namespace tovu
