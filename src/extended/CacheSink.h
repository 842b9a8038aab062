#pragma once
// Where a cache file is composed: bytes are appended in file order, and tables written first as
// placeholders are written over once their contents are known. Either a vector in memory or an
// output file that can be written over, so the file need not be held whole in memory; or nowhere
// at all, only counted, to learn the size a build would write.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "support/OutputFile.h"

namespace hoardwright::extended {

class CacheSink {
 public:
  CacheSink() = default;  // counts the bytes and keeps none
  explicit CacheSink(std::vector<std::uint8_t>& memory) : memory_(&memory) {}
  explicit CacheSink(support::OutputFile& file) : file_(&file) {}

  bool Append(std::span<const std::uint8_t> bytes) {
    position_ += bytes.size();
    if (memory_ != nullptr) {
      memory_->insert(memory_->end(), bytes.begin(), bytes.end());
      return true;
    }
    return file_ == nullptr || file_->Write(bytes);
  }
  bool Overwrite(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
    if (memory_ != nullptr) {
      std::copy(bytes.begin(), bytes.end(), memory_->begin() + static_cast<std::ptrdiff_t>(offset));
      return true;
    }
    return file_ == nullptr || file_->WriteAt(offset, bytes);
  }
  std::uint32_t Position() const { return static_cast<std::uint32_t>(position_); }
  std::uint64_t Size() const { return position_; }

 private:
  std::vector<std::uint8_t>* memory_ = nullptr;
  support::OutputFile* file_ = nullptr;
  std::uint64_t position_ = 0;
};

}  // namespace hoardwright::extended
