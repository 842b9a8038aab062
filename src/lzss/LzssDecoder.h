#pragma once
// Turns a bit stream of tokens back into bytes. Safe on any input: every window access wraps,
// each token consumes at least 9 bits, and decoding stops at the end-of-stream token, at the
// first byte fetch that meets the end of the data, or at the first failed write.
#include <array>
#include <cstdint>

#include "lzss/BitFile.h"
#include "lzss/ByteStream.h"
#include "lzss/LzssFormat.h"

namespace hoardwright::lzss {

struct DecodeResult {
  bool complete = false;     // the end-of-stream token was read
  bool writeFailed = false;  // `output` refused a byte; decoding stopped there
  std::uint32_t sum = 0;     // sum of the bytes written, modulo 2^32
  std::uint64_t size = 0;    // number of bytes written
};

class LzssDecoder {
 public:
  // Clears the window and decodes from `input` (a reading BitFile) until the stream ends.
  DecodeResult Decode(BitFile& input, ByteSink& output);

 private:
  std::array<std::uint8_t, kWindowSize> window_{};
};

}  // namespace hoardwright::lzss
