#include "inspect/UnitCheck.h"

#include <algorithm>

#include "lzss/Lzss.h"
#include "lzss/LzssFormat.h"

namespace hoardwright::inspect {

UnitCheck CheckUnit(std::span<const std::uint8_t> unit, std::uint64_t fileOffset,
                    std::size_t limit) {
  UnitCheck check;
  check.fileOffset = fileOffset;
  check.unitSize = unit.size();
  lzss::MemorySource source(unit);
  // Each token of at least 17 bits yields at most 17 bytes: room for all the unit can give, in
  // one allocation (pages never written are never touched).
  check.data.reserve(std::min<std::size_t>(
      limit, 8 * unit.size() + static_cast<std::size_t>(lzss::kLookAheadSize)));
  lzss::BoundedMemorySink sink(check.data, limit);
  // No console: a broken unit is reported by the caller, not as "ERROR" lines.
  const lzss::UnitDecodeResult result = lzss::DecompressUnit(source, sink, nullptr);
  check.used = source.Position();
  check.storedSum = result.storedSum;
  check.actualSum = result.actualSum;
  check.sumPresent = result.sumPresent;
  check.sumMatches = result.sumMatches;
  check.complete = result.complete;
  check.overLimit = result.writeFailed;
  return check;
}

}  // namespace hoardwright::inspect
