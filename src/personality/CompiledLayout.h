#pragma once
// The marker bytes of the two compiled forms the readers write and every reader of a cache walks:
//
// Compiled personality record (both caches):
//   type (1) · mirror (5: a byte and two words, or kNoMirror and 4 filler bytes) ·
//   device address lines (count, strings) · MINDMX, MAXDMX, DIVBY (3 words) ·
//   DMX channel table (count, per channel kChannelFixedSize bytes and the name) ·
//   text lines (count, strings) · table index (entries tagged kPresetFocusTag or kMacroTag, then
//   kTableIndexEnd) · attribute, range, preset focus and macro blocks (kBlockSeparator unless the
//   byte before is already 0xFF, count, lines) · kEndOfRecord
//
// Compiled shape library:
//   pattern entries (kPatternTag, columns, value count, name, words, kEndedByPend or
//   kEndedByPend16) and shape entries (kShapeTag, step count, name, pattern name, kStepValues
//   bytes per step) in text order, then kLibraryEnd
#include <cstddef>
#include <cstdint>

namespace hoardwright::personality::compiled {

// Every count inside a record (lines of a section or block, channels, table index columns and
// rows) is one byte.
inline constexpr std::size_t kMaxCount = 0xFF;

// Personality record.
inline constexpr std::uint8_t kNoMirror = 0xFF;
inline constexpr std::size_t kMirrorFillerBytes = 4;
inline constexpr std::size_t kChannelFixedSize = 12;
inline constexpr std::uint8_t kPresetFocusTag = 0xFE;
inline constexpr std::uint8_t kMacroTag = 0xFD;
inline constexpr std::uint8_t kTableIndexEnd = 0xFF;
inline constexpr std::uint8_t kBlockSeparator = 0xFF;
inline constexpr std::uint8_t kEndOfRecord = 0xFC;

// Shape library.
inline constexpr std::uint8_t kPatternTag = 0xFE;
inline constexpr std::uint8_t kShapeTag = 0xFD;
inline constexpr std::uint8_t kLibraryEnd = 0xFF;
inline constexpr std::uint8_t kEndedByPend = 0x00;
inline constexpr std::uint8_t kEndedByPend16 = 0x01;
inline constexpr int kStepValues = 8;

}  // namespace hoardwright::personality::compiled
