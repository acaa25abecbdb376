// The part-file digest: the first 16 bytes of the SHA-1 digest as 32
// lower-case hexadecimal digits, the form the package's [HashCode] section
// holds. OpenSSL natively, CryptoAPI on Windows.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace tovu::pack {

class Sha1 {
 public:
  Sha1();
  ~Sha1();
  Sha1(const Sha1&) = delete;
  Sha1& operator=(const Sha1&) = delete;

  // False when the digest could not be set up (then Update does nothing
  // and Digest16Hex returns "").
  bool Ok() const;
  void Update(const void* data, size_t size);
  // Ends the digest.
  std::string Digest16Hex();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace tovu::pack
