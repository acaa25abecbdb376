#include "ui/label_fitting.h"

#include <cmath>
#include <cstdint>

namespace tovu {

namespace {

constexpr char16_t kEllipsis[] = u"...";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Widths compared with the label width or the budget are unsigned, so a
// negative budget is larger than every width.
bool Below(int width, int budget) { return static_cast<uint32_t>(width) < static_cast<uint32_t>(budget); }

int LinesOf(FitVariant variant, int height, int lineHeight) {
  if (variant == FitVariant::LicensePage) return 2;
  int lines = lineHeight > 0 ? height / lineHeight : 0;
  if (lines == 0 && (variant == FitVariant::TitleLabel || variant == FitVariant::FinishPage)) lines = 1;
  return lines;
}

Text Shortened(const Text& text, int budget, FitMode mode, const MeasureText& measure) {
  const size_t n = text.size();
  size_t kept = 0;  // code units of the longest fitting part
  size_t take = 0;
  while (take < n) {
    // One more character; a surrogate pair is one character.
    size_t next = take + 1;
    if (mode == FitMode::Trailing) {
      if (next < n && IsHighSurrogate(text[take]) && IsLowSurrogate(text[next])) ++next;
    } else {
      const size_t at = n - next;  // index of the new first unit
      if (at > 0 && IsLowSurrogate(text[at]) && IsHighSurrogate(text[at - 1])) ++next;
    }
    const Text part = mode == FitMode::Trailing ? text.substr(0, next) : text.substr(n - next);
    if (!Below(measure(part).width, budget)) break;
    kept = next;
    take = next;
  }
  if (kept == n) return text;
  if (mode == FitMode::Trailing) return text.substr(0, kept) + kEllipsis;
  return Text(kEllipsis) + text.substr(n - kept);
}

}  // namespace

Text FitTextToLabel(const Text& text, int width, int height, FitVariant variant, FitMode mode,
                    const MeasureText& measure) {
  Text result = text;
  const TextExtent extent = measure(text);
  const int w = extent.width;

  if (variant == FitVariant::TitleLabel && width > 0) {
    // Single precision, as the title's layout was made with it.
    const float labelWidth = static_cast<float>(width);
    if (std::trunc(labelWidth * 0.2f) > static_cast<float>(w)) {
      const float share = std::trunc(static_cast<float>(w) * 100.0f / labelWidth);
      const int blanks = static_cast<int>(std::trunc((20.0f - share) / 100.0f * labelWidth));
      if (blanks > 0) result.append(static_cast<size_t>(blanks), u' ');
    }
  }

  if (static_cast<uint32_t>(w) > static_cast<uint32_t>(width)) {
    const int lines = LinesOf(variant, height, extent.height);
    const int reserve = static_cast<int>(std::trunc(lines * 6.0 + measure(kEllipsis).width));
    const int budget = static_cast<int>(std::trunc(static_cast<double>(width) * lines)) - reserve;
    return Shortened(text, budget, mode, measure);
  }
  return result;
}

Text BreakAtFirstBackslashN(const Text& text) {
  const size_t at = text.find(u"\\n");
  if (at == Text::npos) return text;
  return text.substr(0, at) + u"\n" + text.substr(at + 2);
}

}  // namespace tovu
