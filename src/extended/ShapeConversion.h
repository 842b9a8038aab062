#pragma once
// The shape library text compiled into the form the extended cache stores in its shape block:
// pattern records (0xFE), shape records (0xFD), then 0xFF.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "personality/LineStream.h"

namespace hoardwright::extended {

inline constexpr std::size_t kShapeWorkBufferSize = 1'000'000;

// Reads the library from `input` (opened in binary mode, so every line ends in CR LF) and appends
// the compiled library to `output`. False, with nothing appended, when a step line holds fewer
// than eight numbers, when the compiled library would outgrow its work buffer, or when the work
// buffer cannot be had.
bool CompileShapeLibrary(personality::LineStream& input, std::vector<std::uint8_t>& output);

}  // namespace hoardwright::extended
