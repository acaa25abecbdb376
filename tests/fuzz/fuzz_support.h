// Helpers of the libFuzzer harnesses: a log that formats every line and
// keeps none, texts cut from the input, and a check that ends the run with
// a message when a property does not hold (libFuzzer keeps the input).
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "log/log_file.h"
#include "util/text.h"

namespace tovu::fuzz {

// Formats each line (so the formatter sees every argument) and drops it.
class NullLog : public CBuildLogFile {
 public:
  explicit NullLog(IPlatform& p) : CBuildLogFile(p) {}
  int WriteLogText(int level, TextView function, const Text& message) override {
    chars += function.size() + message.size();
    return 0;
  }
  int WriteLogNoFunctionText(int level, const Text& message) override {
    chars += message.size();
    return 0;
  }
  int WriteRawText(const Text& text) override {
    chars += text.size();
    return 0;
  }
  size_t chars = 0;
};

[[noreturn]] inline void Fail(const char* file, int line, const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s:%d: property failed: %s\n%s\n", file, line, what, detail.c_str());
  std::abort();
}

#define FUZZ_CHECK(cond, detail)                                          \
  do {                                                                    \
    if (!(cond)) ::tovu::fuzz::Fail(__FILE__, __LINE__, #cond, (detail)); \
  } while (0)

// The bytes as UTF-16LE code units (an odd last byte is dropped): any
// sequence of code units, unpaired surrogates and zeros included.
inline Text Utf16Units(const uint8_t* data, size_t size) {
  Text t;
  t.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) t.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  return t;
}

inline std::vector<uint8_t> Bytes(const uint8_t* data, size_t size) { return std::vector<uint8_t>(data, data + size); }

// A small, stable mix of the input's bytes for choices that should follow
// the input (buffer sizes, which name to write).
inline uint32_t Mix(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
  return h;
}

// Printable form of a text for failure messages.
inline std::string Show(const Text& t) {
  std::string out = "\"";
  for (char16_t c : t) {
    if (c >= 0x20 && c < 0x7F && c != u'\\' && c != u'"') {
      out += static_cast<char>(c);
    } else {
      char buf[12];
      std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
      out += buf;
    }
  }
  return out + "\"";
}

}  // namespace tovu::fuzz
