#pragma once
// Bit-level output and input over a byte stream, most significant bit of each byte first. A value
// of N bits goes out from its bit N-1 down to bit 0, so 0xABC written at a byte boundary gives the
// byte 0xAB and the high half of the next byte 0xC.
//
// Progress and trouble go to the console stream (standard output in the tools; null for none):
// one "." before the 1st, 2049th, 4097th ... byte moved, and the lines
// "ERROR : Fatal error in OutputBit!", "... in CloseBitFile!" and "... in InputBit!".
//
// A BitFile is either a writer (built over a ByteSink) or a reader (built over a ByteSource),
// never both; the stream stays the caller's. A writer must be finished with CloseBitFile, which
// writes a partly filled last byte.
#include <cstdint>
#include <ostream>

#include "lzss/ByteStream.h"

namespace hoardwright::lzss {

class BitFile {
 public:
  BitFile(ByteSink& sink, std::ostream* console);
  BitFile(ByteSource& source, std::ostream* console);
  BitFile(const BitFile&) = delete;
  BitFile& operator=(const BitFile&) = delete;

  // Writing. After the first byte that could not be stored the writer reports it once and
  // drops every later byte, so the caller can stop and fail (see WriteFailed).
  void OutputBit(bool bit);
  void OutputBits(std::uint32_t value, int count);
  // Writes a partly filled byte (its unused low bits 0). False when that byte, or any byte
  // before it, was not stored.
  bool CloseBitFile();
  bool WriteFailed() const { return writeFailed_; }

  // Reading. Once the source is exhausted every further bit reads as 1 and AtEnd() holds;
  // each byte fetched past the end prints the InputBit error again.
  int InputBit();
  std::uint32_t InputBits(int count);
  bool AtEnd() const { return pending_ == -1; }

  // Bytes moved so far (drives the progress dots).
  std::uint64_t ByteCount() const { return byteCount_; }

 private:
  void CompleteOutputByte();
  void FetchInputByte();
  void CountByte();
  void ReportError(const char* text);

  ByteSink* sink_ = nullptr;
  ByteSource* source_ = nullptr;
  std::ostream* console_;
  std::uint8_t mask_ = 0x80;
  std::int32_t pending_ = 0;
  std::uint64_t byteCount_ = 0;
  bool writeFailed_ = false;
};

}  // namespace hoardwright::lzss
