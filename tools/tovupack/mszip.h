// Data-block compression: MSZIP (the two bytes "CK" and a complete raw
// deflate stream of the block, made by zlib) or stored bytes. Every block
// is compressed on its own, without the previous block as history, so
// blocks compress in parallel and any cabinet reader inflates them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tovu::pack::cab {

enum class Compression { kNone, kMszip };

// The largest compressed block: 32 KiB of data that does not shrink is
// stored in deflate's stored blocks, a few bytes larger than the input.
constexpr size_t kMaxCompressedBlock = 32768 + 2 + 64;

// One compressor per thread; not shared.
class BlockCompressor {
 public:
  explicit BlockCompressor(Compression compression, int level = 6);
  ~BlockCompressor();
  BlockCompressor(const BlockCompressor&) = delete;
  BlockCompressor& operator=(const BlockCompressor&) = delete;

  // Compresses `size` (at most 32 KiB) bytes into `out` (kMaxCompressedBlock
  // bytes). Returns the compressed size, 0 when the compressor failed.
  size_t Compress(const uint8_t* data, size_t size, uint8_t* out);

 private:
  struct State;
  Compression compression_;
  std::unique_ptr<State> state_;
};

}  // namespace tovu::pack::cab
