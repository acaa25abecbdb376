#include "support/test_support.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace tovu::test {

std::string TestDataPath(const std::string& relative) {
  std::string base = TOVU_TEST_DATA_DIR;
#ifdef _WIN32
  std::string path = "Z:" + base + "/" + relative;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
#else
  return base + "/" + relative;
#endif
}

std::string ReadTestData(const std::string& relative) {
  std::ifstream in(TestDataPath(relative), std::ios::binary);
  if (!in) return std::string();
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string Escape(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n\n";
    else if (c == '\\') out += "\\\\";
    else if (c < 0x20 || c >= 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    } else out.push_back(static_cast<char>(c));
  }
  return out;
}

std::string Utf16Le(const Text& text, bool bom) {
  std::string out = bom ? std::string("\xFF\xFE") : std::string();
  out.reserve(out.size() + text.size() * 2);
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string Le32Bytes(uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
  return out;
}

}  // namespace tovu::test
