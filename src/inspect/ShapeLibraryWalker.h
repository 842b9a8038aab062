#pragma once
// Takes a compiled shape library apart entry by entry (layout in personality/CompiledLayout.h),
// never reading outside the given bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "personality/CompiledLayout.h"

namespace hoardwright::inspect {

struct PatternEntry {
  std::size_t offset = 0;  // of its tag, within the library
  std::string name;
  std::uint8_t columns = 0;  // values on the first row
  std::vector<std::uint16_t> values;
  // 0x00 (PEND), 0x01 (PEND16), or nothing when the text ended inside the pattern.
  std::optional<std::uint8_t> endKind;
};

struct ShapeEntry {
  std::size_t offset = 0;
  std::string name;
  std::string pattern;
  std::vector<std::array<std::uint8_t, personality::compiled::kStepValues>> steps;
};

struct WalkedShapeLibrary {
  std::vector<PatternEntry> patterns;
  std::vector<ShapeEntry> shapes;
  bool endByte = false;  // 0xFF seen as the library's last byte
  std::size_t size = 0;
};

struct ShapeLibraryFault {
  std::size_t offset = 0;  // within the library
  std::string message;
};

struct ShapeLibraryWalk {
  WalkedShapeLibrary library;  // what was read before a fault
  std::optional<ShapeLibraryFault> fault;
};

ShapeLibraryWalk WalkShapeLibrary(std::span<const std::uint8_t> bytes);

}  // namespace hoardwright::inspect
