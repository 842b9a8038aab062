#pragma once
// The standard build's compression step: the intermediate file of joined blocks becomes one
// compressed unit (byte sum, then the LZSS bit stream) in a file of its own.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/OutputFile.h"

namespace hoardwright::standard {

enum class CompressionFailure { None, CannotRead, CannotWrite };

struct CompressionOutcome {
  CompressionFailure failure = CompressionFailure::None;
  std::string failedPath;  // the file that could not be read or written
  std::string reason;      // why a write failed
};

// Writes the compressed unit of `input` to `output` (created or truncated). A failed write
// leaves no output file.
CompressionOutcome CompressIntermediate(const std::filesystem::path& input,
                                        const std::filesystem::path& output,
                                        support::WriteFaults* faults = nullptr);

// The whole file, or nullopt when it cannot be read.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);

}  // namespace hoardwright::standard
