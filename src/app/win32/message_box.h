// The application's message-box routine, through which every message box
// of the program passes. It maps the requested style (an exclamation or a
// question icon, the safer button as default), puts the button captions of
// the run's language on the box through a computer-based-training hook for
// the calling thread, and returns the button pressed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

#include "util/text.h"

namespace tovu {

class CMessageCatalog;

// Button identifier (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7) -> caption.
using MessageBoxButtonMap = std::map<int, Text>;

// The style shown for a requested style, and the captions the box gets
// from the message texts (messages 405 OK, 406 Cancel, 702 Yes, 704 No;
// built-in English texts when `messages` is null):
//   0    -> 0x30  OK = 405               3    -> 0x223  (none)
//   1    -> 0x131 OK = 405, Cancel = 406 4    -> 0x124  Yes = 702, No = 704
//   0x10 -> 0x10  OK = 405               0x11 -> 0x111  OK = 405, Cancel = 406
//   0x34 -> 0x134 Yes = 702, No = 704    any other: unchanged, none
uint32_t MapMessageBoxStyle(uint32_t requested, const CMessageCatalog* messages, MessageBoxButtonMap& captions);

// The caption a button gets when the map has none: the frame's string
// table (Yes 702, OK 405, No 704, Cancel 406), or the compiled-in English
// text when the executable carries no string table.
Text BuiltInButtonCaption(int buttonId);

// Shows the box with the mapped style and the caption (the executable's
// path when `caption` is empty); owner may be null. Returns the button
// pressed, 0 when no box could be shown.
int ShowTovuMessageBox(const Text& text, uint32_t style, const Text& caption, const CMessageCatalog* messages,
                       HWND owner = nullptr);

}  // namespace tovu
