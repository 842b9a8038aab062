#pragma once
// One compressed unit of a cache decoded with the project's decoder, with what a reader needs to
// judge it: the stored and the actual sum, whether the end-of-stream token came, how many bytes
// of the unit the decoder used, and the decoded bytes.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace hoardwright::inspect {

struct UnitCheck {
  std::uint64_t fileOffset = 0;  // where the unit starts in the file
  std::uint64_t unitSize = 0;    // bytes the unit has in the file (sum and bit stream)
  std::uint64_t used = 0;        // bytes the decoder read, up to the end-of-stream token
  std::uint32_t storedSum = 0;
  std::uint32_t actualSum = 0;
  bool sumPresent = false;
  bool sumMatches = false;
  bool complete = false;   // the end-of-stream token was read
  bool overLimit = false;  // decoding stopped at `limit` bytes
  std::vector<std::uint8_t> data;

  std::uint64_t TrailingBytes() const { return complete && unitSize > used ? unitSize - used : 0; }
};

// Decodes `unit` (which starts at `fileOffset` in the file), keeping at most `limit` bytes.
UnitCheck CheckUnit(std::span<const std::uint8_t> unit, std::uint64_t fileOffset,
                    std::size_t limit);

}  // namespace hoardwright::inspect
