// The file digest of part files and of the settings fingerprint: the
// first 16 bytes of the SHA-1 digest of a file's bytes, as 32 lower-case
// hexadecimal digits (high nibble first).
#pragma once

#include <cstddef>
#include <cstdint>

#include "util/text.h"

namespace tovu {

// Hashes the file at `path` in 1,024-byte blocks. Returns 0 with `hash`
// set, or the system error number with `errorText` set to one of
// "Error opening file %s" (with the path), "CryptAcquireContext failed",
// "ReadFile failed", "CryptHashData failed", "CryptGetHashParam failed".
// The frame's implementation uses CryptoAPI (cabinet/win32); the native
// tools' uses OpenSSL over the process-wide platform's file streams
// (platform/posix).
uint32_t ComputeFileHash(const Text& path, Text& hash, Text& errorText);

// The first 16 bytes of a digest as 32 lower-case hexadecimal digits
// (fewer bytes give fewer digits).
Text DigestToHex(const uint8_t* digest, size_t size);

}  // namespace tovu
