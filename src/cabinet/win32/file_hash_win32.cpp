// The file digest in the frame: SHA-1 through CryptoAPI.
#include <windows.h>
#include <wincrypt.h>

#include "cabinet/file_hash.h"
#include "platform/win32/win32_platform.h"
#include "util/format.h"

namespace tovu {

uint32_t ComputeFileHash(const Text& path, Text& hash, Text& errorText) {
  hash.clear();
  errorText.clear();
  HANDLE file = ::CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD e = ::GetLastError();
    errorText = Format(u"Error opening file %s", path);
    return e;
  }
  HCRYPTPROV provider = 0;
  HCRYPTHASH digest = 0;
  DWORD result = 0;
  if (!::CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
    result = ::GetLastError();
    errorText = u"CryptAcquireContext failed";
  } else if (!::CryptCreateHash(provider, CALG_SHA1, 0, 0, &digest)) {
    result = ::GetLastError();
    errorText = u"CryptAcquireContext failed";
  } else {
    BYTE block[1024];
    for (;;) {
      DWORD got = 0;
      if (!::ReadFile(file, block, sizeof block, &got, nullptr)) {
        result = ::GetLastError();
        errorText = u"ReadFile failed";
        break;
      }
      if (got == 0) break;
      if (!::CryptHashData(digest, block, got, 0)) {
        result = ::GetLastError();
        errorText = u"CryptHashData failed";
        break;
      }
    }
    if (result == 0) {
      BYTE value[256];
      DWORD size = sizeof value;
      if (!::CryptGetHashParam(digest, HP_HASHVAL, value, &size, 0)) {
        result = ::GetLastError();
        errorText = u"CryptGetHashParam failed";
      } else {
        hash = DigestToHex(value, size);
      }
    }
  }
  if (digest) ::CryptDestroyHash(digest);
  if (provider) ::CryptReleaseContext(provider, 0);
  ::CloseHandle(file);
  return result;
}

}  // namespace tovu
