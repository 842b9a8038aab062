#include "standard/CacheIndexTable.h"

namespace hoardwright::standard {

CacheIndexTable::CacheIndexTable() { records_.reserve(kMaxIndexRecords); }

void CacheIndexTable::StartStream(std::size_t shapeLength) {
  shapeLength_ = shapeLength;
  runningOffset_ = static_cast<std::uint32_t>(shapeLength);
  records_.clear();
}

void CacheIndexTable::Add(std::string code, std::string deviceText, std::uint16_t length) {
  records_.push_back({std::move(code), std::move(deviceText), runningOffset_, length});
  runningOffset_ += length;
}

Header CacheIndexTable::MakeHeader() const {
  return {runningOffset_ - 1, static_cast<std::uint16_t>(shapeLength_ - 1),
          static_cast<std::uint16_t>(records_.size())};
}

}  // namespace hoardwright::standard
