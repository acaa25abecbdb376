#include "cabinet/file_hash.h"

namespace tovu {

Text DigestToHex(const uint8_t* digest, size_t size) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  Text out;
  for (size_t i = 0; i < size && i < 16; ++i) {
    out += kDigits[digest[i] >> 4];
    out += kDigits[digest[i] & 0x0F];
  }
  return out;
}

}  // namespace tovu
