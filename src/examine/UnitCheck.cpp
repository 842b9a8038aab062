#include "examine/UnitCheck.h"

#include "lzss/Lzss.h"

namespace hoardwright::examine {

UnitCheck CheckUnit(std::span<const std::uint8_t> unit, std::uint64_t fileOffset,
                    std::size_t limit) {
  UnitCheck check;
  check.fileOffset = fileOffset;
  check.unitSize = unit.size();
  lzss::MemorySource source(unit);
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

}  // namespace hoardwright::examine
