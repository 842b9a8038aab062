#pragma once
// The index of a standard cache as a build fills it: each personality block is placed right after
// the previous one in the uncompressed stream, which starts with the shape block.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "standard/StandardCacheLayout.h"

namespace hoardwright::standard {

class CacheIndexTable {
 public:
  // Room for kMaxIndexRecords records is taken at once.
  CacheIndexTable();

  // The stream begins with the shape block of `shapeLength` bytes (1 .. 65,536); the first
  // personality block follows it. Clears the records.
  void StartStream(std::size_t shapeLength);

  // Appends the record of a block of `length` bytes (at most kMaxBlockLength) at the running
  // offset, and moves the running offset past it.
  void Add(std::string code, std::string deviceText, std::uint16_t length);

  const std::vector<IndexRecord>& Records() const { return records_; }
  // Where the next block would begin: the length of the stream so far.
  std::uint32_t RunningOffset() const { return runningOffset_; }
  Header MakeHeader() const;

 private:
  std::size_t shapeLength_ = 0;
  std::uint32_t runningOffset_ = 0;
  std::vector<IndexRecord> records_;
};

}  // namespace hoardwright::standard
