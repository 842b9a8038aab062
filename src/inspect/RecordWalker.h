#pragma once
// Takes a compiled personality record apart field by field: a block of the standard cache and a
// binary form of the extended cache have the same layout (personality/CompiledLayout.h). The walk
// never reads outside the given bytes; the first thing that does not fit the layout stops it with
// the field and the byte offset within the record.
#include <array>
#include <cstddef>
#include <iterator>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hoardwright::inspect {

struct MirrorField {
  std::uint8_t mode = 0;  // 0xFF when the personality has no MIRROR line
  std::uint16_t first = 0;
  std::uint16_t second = 0;
  bool Present() const;
};

struct DmxLimitsField {
  std::uint16_t minimum = 0;
  std::uint16_t maximum = 0;
  std::uint16_t divideBy = 0;
};

// One channel entry: the stored columns of its DMX line (columns 5 and 6 are not stored).
struct ChannelEntry {
  std::uint8_t column1 = 0;
  std::uint8_t column2 = 0;
  char column3 = 0;
  std::uint8_t column4 = 0;
  char column7 = 0;
  char column8 = 0;
  std::uint8_t column9 = 0;
  std::string name;  // column 10
  std::uint8_t column11 = 0;
  std::uint16_t column12 = 0;
  std::uint16_t column13 = 0;
};

enum class TableKind { PresetFocus, Macro };

struct TableIndexRow {
  std::string name;  // preset focus rows only
  std::vector<std::uint8_t> values;
};

struct TableIndexEntry {
  TableKind kind = TableKind::PresetFocus;
  std::string name;
  std::vector<std::uint8_t> headerValues;
  std::size_t rowCount = 0;
  // Every row, except for a macro entry without columns: its rows take no bytes and are kept as
  // their count alone, so a record's walk stays in proportion to its size.
  std::vector<TableIndexRow> rows;
  // A preset focus row whose name has no closing quote: its name is stored and the index stops
  // there, without its end byte.
  std::optional<std::string> cutRowName;
};

enum class BlockFamily { Attribute, Range, PresetFocus, Macro };
inline constexpr BlockFamily kBlockFamilies[] = {BlockFamily::Attribute, BlockFamily::Range,
                                                 BlockFamily::PresetFocus, BlockFamily::Macro};

// "attribute", "range", "preset focus", "macro".
std::string_view FamilyName(BlockFamily family);
// The keyword its first line starts with: "ATTR", "RANGE", "PFTABLE", "MACRO".
std::string_view FamilyKeyword(BlockFamily family);

struct RecordBlock {
  BlockFamily family = BlockFamily::Attribute;
  std::size_t offset = 0;  // of its count byte, within the record
  std::vector<std::string> lines;  // the first line, the body lines and the last line
};

struct WalkedRecord {
  std::uint8_t type = 0;
  MirrorField mirror;
  std::vector<std::string> deviceAddress;
  DmxLimitsField limits;
  std::vector<ChannelEntry> channels;
  std::vector<std::string> text;
  std::vector<TableIndexEntry> tableIndex;
  bool tableIndexEnded = false;  // the index closed with its end byte
  std::vector<RecordBlock> blocks;
  bool endByte = false;  // 0xFC seen as the record's last byte
  std::size_t size = 0;

  std::size_t BlockCount(BlockFamily family) const;
};

struct RecordFault {
  std::size_t offset = 0;  // within the record
  std::string field;       // "type", "mirror", "DMX channel table", ...
  std::string message;
};

struct RecordWalk {
  WalkedRecord record;  // what was read before a fault
  std::optional<RecordFault> fault;
};

RecordWalk WalkPersonalityRecord(std::span<const std::uint8_t> bytes);

// What the one-line summary of a personality needs from its walk.
struct RecordSummary {
  std::size_t size = 0;
  std::size_t channels = 0;
  std::array<std::size_t, std::size(kBlockFamilies)> blocks{};  // per family, in family order
  std::optional<RecordFault> fault;

  std::size_t BlockCount(BlockFamily family) const {
    return blocks[static_cast<std::size_t>(family)];
  }
};

// The same walk keeping only the summary: the same counts and the same fault, without holding
// a single line.
RecordSummary SummarizePersonalityRecord(std::span<const std::uint8_t> bytes);

}  // namespace hoardwright::inspect
