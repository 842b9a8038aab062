#include "lzss/BitFile.h"

namespace hoardwright::lzss {
namespace {

constexpr std::uint64_t kDotInterval = 0x7FF;

}  // namespace

BitFile::BitFile(ByteSink& sink, std::ostream* console) : sink_(&sink), console_(console) {}

BitFile::BitFile(ByteSource& source, std::ostream* console) : source_(&source), console_(console) {}

void BitFile::ReportError(const char* text) {
  if (console_ != nullptr) *console_ << "ERROR : " << text;
}

void BitFile::CountByte() {
  if ((byteCount_ & kDotInterval) == 0 && console_ != nullptr) *console_ << '.';
  ++byteCount_;
}

void BitFile::CompleteOutputByte() {
  if (!writeFailed_) {
    if (sink_ == nullptr || !sink_->Put(static_cast<std::uint8_t>(pending_))) {
      // Reported once: a full disk would otherwise print a line for every later byte.
      writeFailed_ = true;
      ReportError("Fatal error in OutputBit!\n");
    } else {
      CountByte();
    }
  }
  pending_ = 0;
  mask_ = 0x80;
}

void BitFile::OutputBit(bool bit) {
  if (bit) pending_ |= mask_;
  mask_ >>= 1;
  if (mask_ == 0) CompleteOutputByte();
}

void BitFile::OutputBits(std::uint32_t value, int count) {
  for (int bit = count - 1; bit >= 0; --bit) OutputBit(((value >> bit) & 1U) != 0);
}

bool BitFile::CloseBitFile() {
  if (mask_ != 0x80 && !writeFailed_) {
    if (sink_ == nullptr || !sink_->Put(static_cast<std::uint8_t>(pending_))) {
      writeFailed_ = true;
      ReportError("Fatal error in CloseBitFile!\n");
    }
  }
  pending_ = 0;
  mask_ = 0x80;
  return !writeFailed_;
}

void BitFile::FetchInputByte() {
  pending_ = source_ != nullptr ? source_->Get() : kEndOfInput;
  if (pending_ == kEndOfInput) ReportError("Fatal error in InputBit!\n");
  CountByte();
}

int BitFile::InputBit() {
  if (mask_ == 0x80) FetchInputByte();
  // Past the end pending is -1, so every bit reads as 1.
  const int bit = (pending_ & mask_) != 0 ? 1 : 0;
  mask_ >>= 1;
  if (mask_ == 0) mask_ = 0x80;
  return bit;
}

std::uint32_t BitFile::InputBits(int count) {
  std::uint32_t value = 0;
  for (int bit = 0; bit < count; ++bit)
    value = (value << 1) | static_cast<std::uint32_t>(InputBit());
  return value;
}

}  // namespace hoardwright::lzss
