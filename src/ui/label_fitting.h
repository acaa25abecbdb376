// Fitting a text to a static label: a text too wide for the label is cut
// and marked with "..." (at its end, or at its start for paths and file
// names), and the sheet's title is filled with blanks when it is very
// short. The measuring is the caller's: the Win32 label setters
// (ui/win32/label_text.h) measure in the label's own font.
#pragma once

#include <functional>

#include "util/text.h"

namespace tovu {

// The extent of a text written on one line, in pixels.
struct TextExtent {
  int width = 0;
  int height = 0;
};
using MeasureText = std::function<TextExtent(const Text&)>;

enum class FitMode { Trailing, Leading };

// The variants differ in the blank filling and in the number of lines
// the budget assumes.
enum class FitVariant {
  TitleLabel,  // the sheet's title: blanks for a short text; lines at least 1
  FinishPage,  // lines at least 1
  LicensePage, // always two lines
  Pages,       // language, requirements, folder, progress pages: lines may be 0
  Dialogs,     // overwrite and folder-contents dialogs: lines may be 0
};

// FitTextToLabel: `text` for a label of width x height pixels.
// A text of width `w` wider than the label is shortened to a prefix (or
// suffix) narrower than the budget width x lines - (6 x lines + width of
// "..."), where lines is height / text height (per variant); a budget
// below zero keeps the text whole. Cuts never split a surrogate pair.
Text FitTextToLabel(const Text& text, int width, int height, FitVariant variant, FitMode mode,
                    const MeasureText& measure);

// The text with its first two-character sequence backslash + "n" turned
// into a line break (the text unchanged when it has none).
Text BreakAtFirstBackslashN(const Text& text);

}  // namespace tovu
