#pragma once
// The coder's bit stream written to a ByteSink as the input is pushed in, block by block, with
// the progress dots and error lines a BitFile writer prints: a "." before the 1st, 2049th, ...
// completed byte, "ERROR : Fatal error in OutputBit!" for the first completed byte that was not
// stored and "... in CloseBitFile!" for a last, partly filled byte that was not stored. After a
// failed write nothing more is written and further input is ignored.
//
// The sum that starts a compressed unit is not written here (it must precede the stream but is
// known only at its end); Sum() gives it for the bytes fed so far.
//
//   lzss::StreamEncoder encoder(sink, console);
//   for (each block in order) encoder.Feed(block);
//   bool ok = encoder.Finish();
#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <vector>

#include "lzss/ByteStream.h"
#include "lzss/FastLzssEncoder.h"

namespace hoardwright::lzss {

class StreamEncoder {
 public:
  StreamEncoder(ByteSink& output, std::ostream* console);

  // False once a write has failed.
  bool Feed(std::span<const std::uint8_t> input);
  // Ends the stream; false when any byte of it could not be written.
  bool Finish();

  std::uint32_t Sum() const { return sum_; }
  std::uint64_t InputSize() const { return inputSize_; }
  bool WriteFailed() const { return writeFailed_; }

 private:
  void Drain(std::size_t completeBytes);
  void Report(const char* text);

  ByteSink& output_;
  std::ostream* console_;
  std::vector<std::uint8_t> pending_;
  // Heap-held: the window and tree are too big to want on a small thread stack.
  std::unique_ptr<FastLzssEncoder> encoder_;
  std::uint32_t sum_ = 0;
  std::uint64_t inputSize_ = 0;
  std::uint64_t byteCount_ = 0;
  bool writeFailed_ = false;
  bool finished_ = false;
};

// Input is handed to the coder in blocks of this size, which bounds the output held between
// two drains and keeps the progress dots coming.
inline constexpr std::size_t kEncoderBlockSize = 64 * 1024;

}  // namespace hoardwright::lzss
