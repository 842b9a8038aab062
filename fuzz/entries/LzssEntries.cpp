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
}

}  // namespace hoardwright::fuzz
