#include "util/format.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tovu {

namespace {

// A double as an integer of [lo, hi]: truncated toward zero, the ends of
// the range where it lies beyond them, 0 for NaN. (Converting it directly
// is undefined where it does not fit.)
int64_t ClampSigned(double d, int64_t lo, int64_t hi) {
  if (std::isnan(d)) return 0;
  if (d <= static_cast<double>(lo)) return lo;
  if (d >= static_cast<double>(hi)) return hi;  // hi as a double may round up: the test is >=
  return static_cast<int64_t>(d);
}

uint64_t ClampUnsigned(double d, uint64_t hi) {
  if (std::isnan(d) || d <= 0) return 0;
  if (d >= static_cast<double>(hi)) return hi;
  return static_cast<uint64_t>(d);
}

}  // namespace

int64_t FmtArg::AsSigned() const {
  switch (kind_) {
    case Kind::Signed: return i_;
    case Kind::Unsigned: return static_cast<int64_t>(u_);
    case Kind::Double: return ClampSigned(d_, INT64_MIN, INT64_MAX);
    default: return 0;
  }
}

uint64_t FmtArg::AsUnsigned() const {
  switch (kind_) {
    case Kind::Signed: return static_cast<uint64_t>(i_);
    case Kind::Unsigned: return u_;
    case Kind::Double: return ClampUnsigned(d_, UINT64_MAX);
    default: return 0;
  }
}

double FmtArg::AsDouble() const {
  switch (kind_) {
    case Kind::Signed: return static_cast<double>(i_);
    case Kind::Unsigned: return static_cast<double>(u_);
    case Kind::Double: return d_;
    default: return 0.0;
  }
}

namespace {

// Widths and precisions beyond this are clamped (a hostile format must not
// ask for gigabytes of padding).
constexpr int kMaxWidth = 100000;

struct ConvSpec {
  bool left = false;
  bool zero = false;
  bool plus = false;
  bool space = false;
  int width = 0;
  int precision = -1;
  bool wide64 = false;
};

void Pad(Text& out, const Text& body, const ConvSpec& sp, bool numeric) {
  const int len = static_cast<int>(body.size());
  if (len >= sp.width) {
    out += body;
    return;
  }
  const size_t fill = static_cast<size_t>(sp.width - len);
  if (sp.left) {
    out += body;
    out.append(fill, u' ');
  } else if (sp.zero && numeric) {
    // Zeros go after a sign.
    size_t signLen = (!body.empty() && (body[0] == u'-' || body[0] == u'+' || body[0] == u' ')) ? 1 : 0;
    out.append(body, 0, signLen);
    out.append(fill, u'0');
    out.append(body, signLen, Text::npos);
  } else {
    out.append(fill, u' ');
    out += body;
  }
}

Text Digits(uint64_t v, unsigned base, bool upper) {
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  char buf[24];
  int n = 0;
  do {
    buf[n++] = set[v % base];
    v /= base;
  } while (v);
  Text out;
  while (n) out.push_back(static_cast<char16_t>(buf[--n]));
  return out;
}

Text FormatInteger(const FmtArg& a, char16_t conv, const ConvSpec& sp) {
  Text sign;
  uint64_t mag;
  unsigned base = 10;
  bool upper = false;
  const bool real = a.kind() == FmtArg::Kind::Double;
  if (conv == u'd' || conv == u'i') {
    // Integers are cut to 32 bits as the platform's printf reads them; a
    // double is clamped to the range of the conversion.
    int64_t v = a.AsSigned();
    if (!sp.wide64) v = real ? ClampSigned(a.AsDouble(), INT32_MIN, INT32_MAX) : static_cast<int32_t>(v);
    if (v < 0) {
      sign = u"-";
      mag = static_cast<uint64_t>(0) - static_cast<uint64_t>(v);
    } else {
      if (sp.plus) sign = u"+";
      else if (sp.space) sign = u" ";
      mag = static_cast<uint64_t>(v);
    }
  } else {
    uint64_t v = a.AsUnsigned();
    if (!sp.wide64) v = real ? ClampUnsigned(a.AsDouble(), UINT32_MAX) : static_cast<uint32_t>(v);
    mag = v;
    if (conv == u'x' || conv == u'X') {
      base = 16;
      upper = conv == u'X';
    }
  }
  Text digits = Digits(mag, base, upper);
  if (sp.precision >= 0) {
    if (sp.precision == 0 && mag == 0) digits.clear();
    if (static_cast<int>(digits.size()) < sp.precision)
      digits.insert(0, static_cast<size_t>(sp.precision) - digits.size(), u'0');
  }
  return sign + digits;
}

Text FormatDouble(double v, const ConvSpec& sp) {
  // %f through the narrow C library: its output for %f is the same on both
  // platforms for finite values (only wide printf and exotic flags differ).
  if (std::isnan(v)) return u"nan";
  if (std::isinf(v)) return v < 0 ? u"-inf" : (sp.plus ? u"+inf" : u"inf");
  const int prec = sp.precision < 0 ? 6 : (sp.precision > 40 ? 40 : sp.precision);
  char buf[400];
  std::snprintf(buf, sizeof buf, sp.plus ? "%+.*f" : (sp.space ? "% .*f" : "%.*f"), prec, v);
  return Widen(buf);
}

}  // namespace

Text FormatArgs(TextView format, std::initializer_list<FmtArg> args) {
  Text out;
  out.reserve(format.size() + 16);
  const FmtArg* next = args.begin();
  const FmtArg* end = args.end();
  const size_t n = format.size();
  size_t i = 0;
  while (i < n) {
    char16_t c = format[i];
    if (c != u'%') {
      out.push_back(c);
      ++i;
      continue;
    }
    size_t start = i++;
    if (i >= n) {  // lone '%' at the end
      out.push_back(u'%');
      break;
    }
    if (format[i] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    ConvSpec sp;
    for (; i < n; ++i) {
      char16_t f = format[i];
      if (f == u'-') sp.left = true;
      else if (f == u'0') sp.zero = true;
      else if (f == u'+') sp.plus = true;
      else if (f == u' ') sp.space = true;
      else if (f == u'#') {}
      else break;
    }
    while (i < n && format[i] >= u'0' && format[i] <= u'9') {
      sp.width = sp.width * 10 + (format[i] - u'0');
      if (sp.width > kMaxWidth) sp.width = kMaxWidth;
      ++i;
    }
    if (i < n && format[i] == u'.') {
      ++i;
      sp.precision = 0;
      while (i < n && format[i] >= u'0' && format[i] <= u'9') {
        sp.precision = sp.precision * 10 + (format[i] - u'0');
        if (sp.precision > kMaxWidth) sp.precision = kMaxWidth;
        ++i;
      }
    }
    if (i + 2 < n && format[i] == u'I' && format[i + 1] == u'6' && format[i + 2] == u'4') {
      sp.wide64 = true;
      i += 3;
    } else if (i + 1 < n && format[i] == u'l' && format[i + 1] == u'l') {
      sp.wide64 = true;
      i += 2;
    } else if (i < n && (format[i] == u'l' || format[i] == u'h' || format[i] == u'w')) {
      ++i;
    }
    if (i >= n) {  // a conversion cut off by the end of the format: copied as it stands
      out.append(format.substr(start));
      break;
    }
    char16_t conv = format[i++];
    const FmtArg* arg = next < end ? next : nullptr;
    switch (conv) {
      case u's':
      case u'S': {
        if (arg) ++next;
        Text body;
        if (arg) {
          if (arg->kind() == FmtArg::Kind::Text) body = Text(arg->text());
          else if (arg->kind() == FmtArg::Kind::Signed) body = FormatInteger(*arg, u'd', ConvSpec{.wide64 = true});
          else if (arg->kind() == FmtArg::Kind::Unsigned) body = FormatInteger(*arg, u'u', ConvSpec{.wide64 = true});
          else body = FormatDouble(arg->AsDouble(), ConvSpec{});
        }
        if (sp.precision >= 0 && body.size() > static_cast<size_t>(sp.precision)) body.resize(sp.precision);
        Pad(out, body, sp, false);
        break;
      }
      case u'c': {
        if (arg) ++next;
        Text body;
        if (arg) body.push_back(static_cast<char16_t>(arg->AsUnsigned()));
        Pad(out, body, sp, false);
        break;
      }
      case u'd':
      case u'i':
      case u'u':
      case u'x':
      case u'X': {
        if (arg) ++next;
        Text body = arg ? FormatInteger(*arg, conv, sp) : Text();
        ConvSpec padSpec = sp;
        if (sp.precision >= 0) padSpec.zero = false;
        Pad(out, body, padSpec, true);
        break;
      }
      case u'f':
      case u'F': {
        if (arg) ++next;
        Text body = arg ? FormatDouble(arg->AsDouble(), sp) : Text();
        Pad(out, body, sp, true);
        break;
      }
      default:
        // Unknown conversion letter: the directive is copied as it stands.
        out.append(format.substr(start, i - start));
        break;
    }
  }
  return out;
}

}  // namespace tovu
