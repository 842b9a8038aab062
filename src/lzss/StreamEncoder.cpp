#include "lzss/StreamEncoder.h"

#include <algorithm>

namespace hoardwright::lzss {
namespace {

constexpr std::uint64_t kDotInterval = 0x7FF;

}  // namespace

StreamEncoder::StreamEncoder(ByteSink& output, std::ostream* console)
    : output_(output), console_(console), encoder_(std::make_unique<FastLzssEncoder>(pending_)) {
  pending_.reserve(kEncoderBlockSize + 64);
}

void StreamEncoder::Report(const char* text) {
  if (console_ != nullptr) *console_ << "ERROR : " << text;
}

bool StreamEncoder::Feed(std::span<const std::uint8_t> input) {
  while (!input.empty() && !writeFailed_ && !finished_) {
    const auto block = input.first(std::min(input.size(), kEncoderBlockSize));
    input = input.subspan(block.size());
    for (const std::uint8_t byte : block) sum_ += byte;
    inputSize_ += block.size();
    encoder_->Feed(block);
    Drain(pending_.size());
  }
  return !writeFailed_;
}

bool StreamEncoder::Finish() {
  if (finished_) return !writeFailed_;
  finished_ = true;
  if (writeFailed_) return false;
  const int lastBits = encoder_->Finish();
  Drain(pending_.size() - (lastBits > 0 ? 1 : 0));
  if (lastBits > 0 && !writeFailed_) {
    if (!output_.Put(pending_.front())) {
      writeFailed_ = true;
      Report("Fatal error in CloseBitFile!\n");
    }
  }
  pending_.clear();
  return !writeFailed_;
}

void StreamEncoder::Drain(std::size_t completeBytes) {
  std::size_t written = 0;
  for (; written < completeBytes && !writeFailed_; ++written) {
    if (!output_.Put(pending_[written])) {
      writeFailed_ = true;
      Report("Fatal error in OutputBit!\n");
      break;
    }
    if ((byteCount_ & kDotInterval) == 0 && console_ != nullptr) *console_ << '.';
    ++byteCount_;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(completeBytes));
}

}  // namespace hoardwright::lzss
