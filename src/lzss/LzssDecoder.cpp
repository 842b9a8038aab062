#include "lzss/LzssDecoder.h"

namespace hoardwright::lzss {
namespace {

// Reads `count` bits; false as soon as a byte fetch meets the end of the data, so a cut-off
// token is dropped rather than decoded from the 1 bits read past the end.
bool ReadBits(BitFile& input, int count, std::uint32_t& value) {
  value = 0;
  for (int bit = 0; bit < count; ++bit) {
    value = (value << 1) | static_cast<std::uint32_t>(input.InputBit());
    if (input.AtEnd()) return false;
  }
  return true;
}

}  // namespace

DecodeResult LzssDecoder::Decode(BitFile& input, ByteSink& output) {
  window_.fill(0);
  DecodeResult result;
  int current = kStartPosition;

  auto emit = [&](std::uint8_t byte) {
    if (!output.Put(byte)) {
      result.writeFailed = true;
      return false;
    }
    result.sum += byte;
    ++result.size;
    window_[current] = byte;
    current = WrapPosition(current + 1);
    return true;
  };

  std::uint32_t flag = 0;
  while (ReadBits(input, 1, flag)) {
    std::uint32_t value = 0;
    if (flag != 0) {
      if (!ReadBits(input, 8, value) || !emit(static_cast<std::uint8_t>(value))) break;
      continue;
    }
    if (!ReadBits(input, kPositionBits, value)) break;
    if (value == kEndOfStream) {
      result.complete = true;
      break;
    }
    const int position = static_cast<int>(value);
    std::uint32_t length = 0;
    if (!ReadBits(input, kLengthBits, length)) break;
    // One byte at a time: a copy may overlap the bytes it is producing.
    bool written = true;
    for (int i = 0; written && i < static_cast<int>(length) + kBreakEven + 1; ++i) {
      written = emit(window_[WrapPosition(position + i)]);
    }
    if (!written) break;
  }
  return result;
}

}  // namespace hoardwright::lzss
