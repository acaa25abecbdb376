#include "tovupack/digest.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#include <wincrypt.h>
#else
#include <openssl/evp.h>
#endif

namespace tovu::pack {

namespace {
std::string Hex16(const uint8_t* digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s;
  for (int i = 0; i < 16; ++i) {
    s += kDigits[digest[i] >> 4];
    s += kDigits[digest[i] & 15];
  }
  return s;
}
}  // namespace

#ifdef _WIN32
struct Sha1::State {
  HCRYPTPROV provider = 0;
  HCRYPTHASH hash = 0;
  bool ok = false;
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
  if (CryptAcquireContextW(&state_->provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT) &&
      CryptCreateHash(state_->provider, CALG_SHA1, 0, 0, &state_->hash))
    state_->ok = true;
}

Sha1::~Sha1() {
  if (state_->hash) CryptDestroyHash(state_->hash);
  if (state_->provider) CryptReleaseContext(state_->provider, 0);
}

void Sha1::Update(const void* data, size_t size) {
  const BYTE* p = static_cast<const BYTE*>(data);
  while (state_->ok && size > 0) {
    DWORD n = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    if (!CryptHashData(state_->hash, p, n, 0)) state_->ok = false;
    p += n;
    size -= n;
  }
}

std::string Sha1::Digest16Hex() {
  BYTE digest[64];
  DWORD length = sizeof digest;
  if (!state_->ok || !CryptGetHashParam(state_->hash, HP_HASHVAL, digest, &length, 0) || length < 16) return "";
  state_->ok = false;
  return Hex16(digest);
}
#else
struct Sha1::State {
  EVP_MD_CTX* context = nullptr;
  bool ok = false;
};

Sha1::Sha1() : state_(std::make_unique<State>()) {
  state_->context = EVP_MD_CTX_new();
  state_->ok = state_->context && EVP_DigestInit_ex(state_->context, EVP_sha1(), nullptr) == 1;
}

Sha1::~Sha1() { EVP_MD_CTX_free(state_->context); }

void Sha1::Update(const void* data, size_t size) {
  if (state_->ok && EVP_DigestUpdate(state_->context, data, size) != 1) state_->ok = false;
}

std::string Sha1::Digest16Hex() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!state_->ok || EVP_DigestFinal_ex(state_->context, digest, &length) != 1 || length < 16) return "";
  state_->ok = false;
  return Hex16(digest);
}
#endif

bool Sha1::Ok() const { return state_->ok; }

}  // namespace tovu::pack
