#pragma once
// Texts the program carries inside itself, byte for byte as they stand in resources/.
#include <cstdint>
#include <span>

namespace hoardwright::support {

// The shape library, written out as "SG.DAT" by the builds.
std::span<const std::uint8_t> ShapeLibraryText();

// The template of the information personality "1_INFO.QPF".
std::span<const std::uint8_t> InfoTemplateText();

}  // namespace hoardwright::support
