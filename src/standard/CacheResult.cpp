#include "standard/CacheResult.h"

#include <algorithm>

namespace hoardwright::standard {
namespace {

struct ConsoleLimit {
  std::string_view name;
  std::string_view label;
  std::int64_t kilobytes;
};

constexpr std::array<ConsoleLimit, 3> kConsoleLimits{{
    {"Tiber", "(limit 91k)", 91},
    {"Ostra Mk1", "(limit 96k)", 96},
    {"Verdane Mk1", "(limit 96k)", 96},
}};

}  // namespace

CacheResult DecideCacheResult(std::int64_t cacheSize, std::int64_t personalityCount) {
  CacheResult result{};
  result.kilobytes = cacheSize / 1024;
  result.sizeText = personalityCount > kMaxStandardPersonalities
                        ? "Error: This file contains more than 1000 personalities!"
                        : "Cache File Size: " + std::to_string(result.kilobytes) + "k";
  for (std::size_t i = 0; i < kConsoleLimits.size(); ++i) {
    const ConsoleLimit& limit = kConsoleLimits[i];
    result.consoles[i] = {limit.name, limit.label, limit.kilobytes,
                          result.kilobytes < limit.kilobytes,
                          limit.kilobytes * 1024 - 1 - cacheSize};
  }
  const bool fitsAny = std::ranges::any_of(result.consoles, &ConsoleFit::fits);
  result.introText = fitsAny ? kFitsSomeText : kFitsNoneText;
  return result;
}

}  // namespace hoardwright::standard
