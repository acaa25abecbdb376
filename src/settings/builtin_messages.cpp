#include "settings/builtin_messages.h"

namespace tovu {

namespace {

struct BuiltInMessage {
  int id;
  const char16_t* text;
};

constexpr BuiltInMessage kBuiltInMessages[] = {
    {MSG_EXTRACTION_FAILED, u"Extraction failed"},
    {MSG_NO_VOLUME_WITH_SPACE, u"Unable to find a volume with enough disk space for file extraction."},
    {MSG_ANOTHER_INSTANCE, u"Another instance is already running."},
    {MSG_NO_VOLUME_PERMISSION,
     u"Unable to find a volume for file extraction.\nPlease verify that you have proper permissions."},
    {MSG_AN_ERROR_OCCURRED, u"An error occurred."},
    {MSG_OLE_INIT_FAILED, u"OLE initialization failed. Make sure that the OLE libraries are the correct version."},
};

}  // namespace

Text GetBuiltInMessageText(int id) {
  for (const BuiltInMessage& m : kBuiltInMessages)
    if (m.id == id) return m.text;
  return Text();
}

}  // namespace tovu
