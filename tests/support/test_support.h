// Helpers shared by the native and the Windows test binaries.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/text.h"

namespace tovu::test {

// Bytes of tests/data/<relative> ("" when missing). Works natively and
// under Wine (the source tree is reached through drive Z:).
std::string ReadTestData(const std::string& relative);
// The path of tests/data/<relative> as the running platform spells it.
std::string TestDataPath(const std::string& relative);
// Bytes shown with CR, LF and bytes outside printable ASCII escaped, for
// readable failure messages when comparing files byte for byte.
std::string Escape(const std::string& bytes);
// The text as UTF-16LE bytes, with the byte-order mark unless `bom` is
// false: how settings and language files are stored.
std::string Utf16Le(const Text& text, bool bom = true);
// The value as four little-endian bytes, as the container and the PE
// headers store their counts and offsets.
std::string Le32Bytes(uint32_t value);

}  // namespace tovu::test
