#pragma once
// Extents [start, end) claimed one at a time, each only when it overlaps none claimed before. The
// inspectors claim every record (and block) they read, so no byte is read for two records and
// whatever they keep or write out stays in proportion to the decoded data.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <utility>

namespace hoardwright::inspect {

class DisjointExtents {
 public:
  // Nothing when [start, end) was claimed for `owner`; otherwise the owner of an earlier extent
  // it overlaps. An empty extent overlaps nothing.
  std::optional<std::size_t> Claim(std::uint64_t start, std::uint64_t end, std::size_t owner) {
    if (end <= start) return std::nullopt;
    // The extents are disjoint, so the last one starting before `end` reaches furthest.
    const auto after = extents_.lower_bound(end);
    if (after != extents_.begin()) {
      const auto& [previousEnd, previousOwner] = std::prev(after)->second;
      if (previousEnd > start) return previousOwner;
    }
    extents_.emplace(start, std::pair{end, owner});
    return std::nullopt;
  }

 private:
  std::map<std::uint64_t, std::pair<std::uint64_t, std::size_t>> extents_;  // start: end, owner
};

}  // namespace hoardwright::inspect
