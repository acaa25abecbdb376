#include "tovupack/mszip.h"

#include <zlib.h>

#include <cstring>

namespace tovu::pack::cab {

struct BlockCompressor::State {
  z_stream stream{};
  bool ready = false;
};

BlockCompressor::BlockCompressor(Compression compression, int level)
    : compression_(compression), state_(std::make_unique<State>()) {
  if (compression_ == Compression::kMszip)
    state_->ready = deflateInit2(&state_->stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
}

BlockCompressor::~BlockCompressor() {
  if (state_->ready) deflateEnd(&state_->stream);
}

size_t BlockCompressor::Compress(const uint8_t* data, size_t size, uint8_t* out) {
  if (compression_ == Compression::kNone) {
    std::memcpy(out, data, size);
    return size;
  }
  if (!state_->ready || size > 32768) return 0;
  z_stream& s = state_->stream;
  if (deflateReset(&s) != Z_OK) return 0;
  out[0] = 'C';
  out[1] = 'K';
  s.next_in = const_cast<Bytef*>(data);
  s.avail_in = static_cast<uInt>(size);
  s.next_out = out + 2;
  s.avail_out = static_cast<uInt>(kMaxCompressedBlock - 2);
  if (deflate(&s, Z_FINISH) != Z_STREAM_END) return 0;
  return 2 + (kMaxCompressedBlock - 2 - s.avail_out);
}

}  // namespace tovu::pack::cab
