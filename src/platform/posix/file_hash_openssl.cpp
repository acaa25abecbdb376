// The file digest for the native tools: SHA-1 from OpenSSL over the
// process-wide platform's file streams.
#include <openssl/evp.h>

#include <memory>

#include "cabinet/file_hash.h"
#include "platform/platform.h"
#include "util/format.h"

namespace tovu {

uint32_t ComputeFileHash(const Text& path, Text& hash, Text& errorText) {
  hash.clear();
  errorText.clear();
  std::unique_ptr<IFileReader> file;
  if (uint32_t e = Platform().OpenRead(path, file); e != 0 || !file) {
    errorText = Format(u"Error opening file %s", path);
    return e ? e : winerr::kFileNotFound;
  }
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha1(), nullptr) != 1) {
    errorText = u"CryptAcquireContext failed";
    return winerr::kInvalidFunction;
  }
  uint8_t block[1024];
  for (;;) {
    uint32_t got = 0;
    if (uint32_t e = file->Read(block, sizeof block, &got)) {
      errorText = u"ReadFile failed";
      return e;
    }
    if (got == 0) break;
    if (EVP_DigestUpdate(ctx.get(), block, got) != 1) {
      errorText = u"CryptHashData failed";
      return winerr::kInvalidFunction;
    }
  }
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (EVP_DigestFinal_ex(ctx.get(), digest, &size) != 1) {
    errorText = u"CryptGetHashParam failed";
    return winerr::kInvalidFunction;
  }
  hash = DigestToHex(digest, size);
  return 0;
}

}  // namespace tovu
