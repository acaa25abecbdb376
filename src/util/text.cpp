#include "util/text.h"

namespace tovu {

Text Widen(std::string_view s) {
  Text out;
  out.reserve(s.size());
  for (unsigned char c : s) out.push_back(static_cast<char16_t>(c));
  return out;
}

Text FromUtf8(std::string_view s) {
  Text out;
  out.reserve(s.size());
  size_t i = 0;
  const size_t n = s.size();
  auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  while (i < n) {
    unsigned char c = byte(i);
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (c < 0x80) {
      cp = c;
    } else if ((c & 0xE0) == 0xC0 && i + 1 < n && (byte(i + 1) & 0xC0) == 0x80) {
      cp = ((c & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
      len = 2;
      if (cp < 0x80) cp = 0xFFFD;
    } else if ((c & 0xF0) == 0xE0 && i + 2 < n && (byte(i + 1) & 0xC0) == 0x80 &&
               (byte(i + 2) & 0xC0) == 0x80) {
      cp = ((c & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
      len = 3;
      if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    } else if ((c & 0xF8) == 0xF0 && i + 3 < n && (byte(i + 1) & 0xC0) == 0x80 &&
               (byte(i + 2) & 0xC0) == 0x80 && (byte(i + 3) & 0xC0) == 0x80) {
      cp = ((c & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12) | ((byte(i + 2) & 0x3Fu) << 6) |
           (byte(i + 3) & 0x3Fu);
      len = 4;
      if (cp < 0x10000 || cp > 0x10FFFF) cp = 0xFFFD;
    }
    i += len;
    AppendCodePoint(out, cp);
  }
  return out;
}

void AppendCodePoint(Text& out, uint32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(cp));
  }
}

std::string ToUtf8(TextView t) {
  std::string out;
  out.reserve(t.size());
  for (size_t i = 0; i < t.size(); ++i) {
    uint32_t cp = t[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < t.size() && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (t[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

char16_t ToLowerChar(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

char16_t ToUpperChar(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  return c;
}

Text ToLower(TextView t) {
  Text out(t);
  for (auto& c : out) c = ToLowerChar(c);
  return out;
}

Text ToUpper(TextView t) {
  Text out(t);
  for (auto& c : out) c = ToUpperChar(c);
  return out;
}

int CompareNoCase(TextView a, TextView b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = ToLowerChar(a[i]);
    char16_t y = ToLowerChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(TextView a, TextView b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

Text TrimLeft(TextView t) {
  size_t b = 0;
  while (b < t.size() && IsBlank(t[b])) ++b;
  return Text(t.substr(b));
}

Text TrimRight(TextView t) {
  size_t e = t.size();
  while (e > 0 && IsBlank(t[e - 1])) --e;
  return Text(t.substr(0, e));
}

Text Trim(TextView t) {
  size_t b = 0, e = t.size();
  while (b < e && IsBlank(t[b])) ++b;
  while (e > b && IsBlank(t[e - 1])) --e;
  return Text(t.substr(b, e - b));
}

bool StartsWith(TextView t, TextView prefix) {
  return t.size() >= prefix.size() && t.substr(0, prefix.size()) == prefix;
}

bool EndsWith(TextView t, TextView suffix) {
  return t.size() >= suffix.size() && t.substr(t.size() - suffix.size()) == suffix;
}

int ReplaceAll(Text& t, TextView from, TextView to) {
  if (from.empty()) return 0;
  int count = 0;
  size_t pos = 0;
  while ((pos = t.find(from, pos)) != Text::npos) {
    t.replace(pos, from.size(), to);
    pos += to.size();
    ++count;
  }
  return count;
}

size_t Length(const char16_t* s) {
  if (!s) return 0;
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

}  // namespace tovu
