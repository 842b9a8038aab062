#pragma once
// What the result dialog shows for a written cache: its size in whole kilobytes and, for each of
// the three console models, whether the file fits in its memory.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace hoardwright::standard {

inline constexpr std::int64_t kMaxStandardPersonalities = 1000;

inline constexpr std::string_view kFitsSomeText =
    "This cache file will work with the following desks :-";
// Above three crosses the sentence above would say the opposite of what they show.
inline constexpr std::string_view kFitsNoneText =
    "This cache file will not work with any of these desks:";

struct ConsoleFit {
  std::string_view consoleName;  // "Tiber", "Ostra Mk1", "Verdane Mk1"
  std::string_view limitLabel;   // "(limit 91k)", "(limit 96k)"
  std::int64_t limitKilobytes;
  bool fits;  // the tick shows; otherwise the cross
  // How many bytes the file could still grow and fit (0 or more when it fits), or by how many
  // bytes it is too large (negative): it fits while its whole kilobytes stay below the limit.
  std::int64_t marginBytes;
};

struct CacheResult {
  std::int64_t kilobytes;  // size / 1024, remainder discarded
  // "Cache File Size: %dk", or the more-than-1000-personalities error text.
  std::string sizeText;
  // The rows are decided by size alone, also when the error text replaces the size.
  std::array<ConsoleFit, 3> consoles;
  // The sentence above the rows: kFitsSomeText, or kFitsNoneText when no row has a tick.
  std::string_view introText;
};

// `cacheSize` in bytes; `personalityCount` is the number of cache-list rows.
CacheResult DecideCacheResult(std::int64_t cacheSize, std::int64_t personalityCount);

}  // namespace hoardwright::standard
