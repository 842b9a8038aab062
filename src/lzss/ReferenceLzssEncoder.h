#pragma once
// The reference encoder: the search-tree coder whose output every cache relies on bit for bit.
// It owns its window and match tree and clears both at the start of every run, so each run is
// independent and separate encoders can run at the same time on different threads.
#include <array>
#include <cstdint>

#include "lzss/BitFile.h"
#include "lzss/ByteStream.h"
#include "lzss/LzssFormat.h"
#include "lzss/MatchTree.h"

namespace hoardwright::lzss {

class ReferenceLzssEncoder {
 public:
  // Codes every byte of `input` (from its current position to its end) as tokens on `output`
  // and ends with the end-of-stream token; the caller closes `output`. Stops early once
  // `output` has failed a write, since such a stream is unusable anyway.
  void Encode(ByteSource& input, BitFile& output);

  // State after the last run, for examination.
  const MatchTree& Tree() const { return tree_; }
  const std::array<std::uint8_t, kWindowSize>& Window() const { return window_; }

 private:
  std::array<std::uint8_t, kWindowSize> window_{};
  MatchTree tree_;
};

}  // namespace hoardwright::lzss
