#pragma once
// Inspects a cache file held in memory: a file that starts with the magic "QenCache" is an
// extended cache, any other a standard cache. The inspectors decode every section they can reach
// with the layouts' own decoders and never read outside the file's bytes.
//
// What an inspection holds is bounded by the file: the decoded data (at most 17 bytes per 17-bit
// token of a stream, and no more than the headers give), the index and table entries, one summary
// per personality and the problems found. Records are views into the decoded data; no two
// personalities share a byte, so neither a report nor an extraction grows with repeated records.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "inspect/InspectReport.h"

namespace hoardwright::inspect {

// The largest cache file inspect reads. A build writes at most 5,001 index records of blocks of
// at most 65,535 bytes (a stream of 328 MB before compression) or 2,000 personalities.
inline constexpr std::uint64_t kMaxCacheFileSize = std::uint64_t{512} << 20;
// The most a standard cache's stream is decoded to (the 328 MB above fit).
inline constexpr std::uint64_t kMaxStreamSize = std::uint64_t{512} << 20;

bool IsExtendedCache(std::span<const std::uint8_t> file);

InspectReport InspectCache(std::span<const std::uint8_t> file, std::string path);

void InspectStandardCache(std::span<const std::uint8_t> file, InspectReport& report);
void InspectExtendedCache(std::span<const std::uint8_t> file, InspectReport& report);

// A fixed-width text field as the builds write it holds at most `longest` characters, then zeros
// to its end (a NUL included when the text is shorter than the field). Otherwise the offset
// within the field of the first byte that differs, and what is wrong.
struct FieldWarning {
  std::size_t offset = 0;
  std::string message;
};
std::optional<FieldWarning> TextFieldWarning(std::span<const std::uint8_t> field,
                                             std::size_t longest, std::string_view name);

}  // namespace hoardwright::inspect
