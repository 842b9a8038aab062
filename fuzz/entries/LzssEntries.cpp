// The LZSS decoder over arbitrary units, and the coder's round trip, its units checked against
// the reference encoder's.
#include <vector>

#include "FuzzEntries.h"
#include "lzss/Lzss.h"

namespace hoardwright::fuzz {

void LzssDecode(Bytes data) {
  const lzss::DecodedUnit decoded = lzss::DecompressUnit(data, nullptr);
  Check(decoded.actualSum == lzss::ByteSum(decoded.data), "the reported sum is the data's sum");
  if (decoded.sumMatches) Check(data.size() >= 4, "a matching sum needs the four sum bytes");
  // Every token takes at least 9 bits and yields at most 17 bytes.
  Check(decoded.data.size() <= (data.size() * 8 / 9 + 1) * 17, "output bounded by the input");
}

namespace {

// Grows a short input into one well past the window's wrap-around, made of literals and copies
// of its own earlier pieces, so the encoders meet long matches, replaced strings and the writes
// through node 0 that short inputs never reach.
std::vector<std::uint8_t> Expand(Bytes data) {
  constexpr std::size_t kExpandedSize = 12000;
  if (data.size() < 4) return {};
  std::vector<std::uint8_t> out(data.begin(), data.end());
  out.reserve(kExpandedSize + 64);
  for (std::size_t i = 0; out.size() < kExpandedSize; i += 2) {
    const std::uint8_t op = data[i % data.size()];
    const std::uint8_t arg = data[(i + 1) % data.size()];
    if ((op & 3) == 0) {
      out.push_back(arg);
      continue;
    }
    const std::size_t start = (op * 131u + arg * 7u + i) % out.size();
    const std::size_t length = 3 + arg % 40;
    for (std::size_t k = 0; k < length; ++k) out.push_back(out[start + k]);
  }
  return out;
}

}  // namespace

void LzssRoundTrip(Bytes data) {
  const std::vector<std::uint8_t> unit = lzss::CompressUnit(data, nullptr);
  const lzss::DecodedUnit back = lzss::DecompressUnit(unit, nullptr);
  Check(back.complete, "the end-of-stream token is there");
  Check(back.sumMatches, "the stored sum matches");
  Check(back.data.size() == data.size() &&
            std::equal(data.begin(), data.end(), back.data.begin()),
        "decode(encode(x)) == x");
  // The coder is deterministic: a second run gives the same unit.
  Check(lzss::CompressUnit(data, nullptr) == unit, "compressing twice gives the same unit");
  // The production encoder takes shortcuts of its own; the reference follows the coder's steps.
  Check(lzss::ReferenceCompressUnit(data) == unit, "the fast encoder's unit is the reference's");
  const std::vector<std::uint8_t> expanded = Expand(data);
  Check(lzss::ReferenceCompressUnit(expanded) == lzss::CompressUnit(expanded, nullptr),
        "the encoders agree past the window's wrap-around");
}

}  // namespace hoardwright::fuzz
