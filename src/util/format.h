// printf-style formatting of UTF-16 text, producing the same characters on
// every platform (the C libraries' wide printf families differ).
//
// Supported: %s %d %i %u %x %X %c %f %% with the flags '-', '0', '+', ' ',
// a width, a precision (".45", ".02") and the size prefixes "I64", "ll",
// "l" and "h". %d/%i/%u/%x take 32-bit values unless "I64" or "ll" is
// given, as on Windows. A missing argument formats as nothing; a number
// given for %s formats as its decimal text; text given for a number
// formats as 0. A double given for %d/%i/%u/%x/%c is truncated toward zero
// and clamped to the range of the conversion (NaN gives 0): 1e300 under %d
// prints 2147483647, under %I64d 9223372036854775807, -5.0 under %u 0.
// (The C libraries' printf, handed a double for %d, prints bits of its
// representation; nothing here relies on that.) Widths and precisions are
// clamped at 100,000.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <type_traits>

#include "util/text.h"

namespace tovu {

class FmtArg {
 public:
  enum class Kind { Text, Signed, Unsigned, Double };

  FmtArg(const char16_t* s) : kind_(Kind::Text), text_(s ? TextView(s) : TextView(u"(null)")) {}
  FmtArg(const Text& s) : kind_(Kind::Text), text_(s) {}
  FmtArg(TextView s) : kind_(Kind::Text), text_(s) {}
  FmtArg(double d) : kind_(Kind::Double), d_(d) {}
  FmtArg(float d) : kind_(Kind::Double), d_(d) {}
  FmtArg(char16_t c) : kind_(Kind::Unsigned), u_(c) {}
  FmtArg(bool b) : kind_(Kind::Signed), i_(b ? 1 : 0) {}
  template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
  FmtArg(T v) {
    if constexpr (std::is_signed_v<T>) {
      kind_ = Kind::Signed;
      i_ = static_cast<int64_t>(v);
    } else {
      kind_ = Kind::Unsigned;
      u_ = static_cast<uint64_t>(v);
    }
  }

  Kind kind() const { return kind_; }
  TextView text() const { return text_; }
  int64_t AsSigned() const;
  uint64_t AsUnsigned() const;
  double AsDouble() const;

 private:
  Kind kind_ = Kind::Signed;
  TextView text_;
  union {
    int64_t i_ = 0;
    uint64_t u_;
    double d_;
  };
};

Text FormatArgs(TextView format, std::initializer_list<FmtArg> args);

template <typename... A>
Text Format(TextView format, const A&... args) {
  return FormatArgs(format, {FmtArg(args)...});
}

}  // namespace tovu
