// Texts of static labels, measured in the label's own font and fitted to
// its client rectangle (ui/label_fitting.h) before they are set.
#pragma once

#include <windows.h>

#include "ui/label_fitting.h"
#include "util/text.h"

namespace tovu {

class CMessageCatalog;

// The extent of the text on one line in the label's font (the system font
// when the label has none).
TextExtent MeasureLabelText(HWND label, const Text& text);

// The text fitted to the label's client rectangle.
Text FitLabelText(HWND label, const Text& text, FitVariant variant, FitMode mode = FitMode::Trailing);

// Fits the text to control `id` of `parent` and sets it; false when the
// control does not exist.
bool SetFittedLabel(HWND parent, int id, const Text& text, FitVariant variant, FitMode mode = FitMode::Trailing);
// The same with the text of a message number.
bool SetFittedLabelMessage(HWND parent, int id, const CMessageCatalog& messages, int number, FitVariant variant);

}  // namespace tovu
