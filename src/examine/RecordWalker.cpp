#include "examine/RecordWalker.h"

#include <array>

#include "examine/ByteReader.h"
#include "examine/TextFormat.h"
#include "personality/CompiledLayout.h"

namespace hoardwright::examine {
namespace {

std::string Hex(std::uint8_t byte) { return HexByte(byte); }

class Walk {
 public:
  explicit Walk(std::span<const std::uint8_t> bytes) : bytes_(bytes), reader_(bytes) {
    result_.record.size = bytes.size();
  }

  RecordWalk Run() {
    (void)(Type() && Mirror() && Strings("device address lines", result_.record.deviceAddress) &&
           Limits() && Channels() && Strings("text lines", result_.record.text) && TableIndex() &&
           Blocks());
    return std::move(result_);
  }

 private:
  WalkedRecord& Record() { return result_.record; }

  bool Fail(std::string field, std::string message) { return FailAt(reader_.Position(), std::move(field), std::move(message)); }
  bool FailAt(std::size_t offset, std::string field, std::string message) {
    result_.fault = RecordFault{offset, std::move(field), std::move(message)};
    return false;
  }
  bool Ends(const std::string& field, const std::string& what) {
    return Fail(field, "the record ends inside " + what);
  }

  bool Type() {
    const auto type = reader_.Byte();
    if (!type) return Fail("type", "the record is empty");
    Record().type = *type;
    return true;
  }

  bool Mirror() {
    const auto mode = reader_.Byte();
    const auto first = reader_.Word();
    const auto second = reader_.Word();
    if (!mode || !first || !second) return Ends("mirror", "the mirror field");
    Record().mirror = MirrorField{*mode, *first, *second};
    return true;
  }

  // A count byte, then that many NUL-terminated strings.
  bool Strings(const std::string& field, std::vector<std::string>& into) {
    const auto count = reader_.Byte();
    if (!count) return Ends(field, "the " + field);
    for (int i = 0; i < *count; ++i) {
      auto text = reader_.String();
      if (!text) {
        return Ends(field, "line " + std::to_string(i + 1) + " of " + std::to_string(*count) +
                               " of the " + field);
      }
      into.push_back(std::move(*text));
    }
    return true;
  }

  bool Limits() {
    const auto minimum = reader_.Word();
    const auto maximum = reader_.Word();
    const auto divideBy = reader_.Word();
    if (!minimum || !maximum || !divideBy) return Ends("DMX limits", "the DMX limits");
    Record().limits = DmxLimitsField{*minimum, *maximum, *divideBy};
    return true;
  }

  bool Channels() {
    const std::string field = "DMX channel table";
    const auto count = reader_.Byte();
    if (!count) return Ends(field, "the DMX channel table");
    for (int i = 0; i < *count; ++i) {
      const std::string what = "channel entry " + std::to_string(i + 1) + " of " +
                               std::to_string(*count) + " of the DMX channel table";
      const auto fixed = reader_.Bytes(compiled::kChannelFixedSize);
      if (!fixed) return Ends(field, what);
      auto name = reader_.String();
      if (!name) return Ends(field, what);
      const auto& b = *fixed;
      ChannelEntry entry;
      entry.column1 = b[0];
      entry.column2 = b[1];
      entry.column3 = static_cast<char>(b[2]);
      entry.column4 = b[3];
      entry.column7 = static_cast<char>(b[4]);
      entry.column8 = static_cast<char>(b[5]);
      entry.column9 = b[6];
      entry.column11 = b[7];
      entry.column12 = static_cast<std::uint16_t>((b[8] << 8) | b[9]);
      entry.column13 = static_cast<std::uint16_t>((b[10] << 8) | b[11]);
      entry.name = std::move(*name);
      Record().channels.push_back(std::move(entry));
    }
    return true;
  }

  bool TableIndex() {
    const std::string field = "table index";
    for (;;) {
      const auto tag = reader_.Peek();
      if (!tag) return Ends(field, "the table index");
      if (*tag == compiled::kTableIndexEnd) {
        reader_.Byte();
        Record().tableIndexEnded = true;
        return true;
      }
      if (*tag != compiled::kPresetFocusTag && *tag != compiled::kMacroTag) {
        // After a preset focus entry, a row name without its quote ends the index.
        if (!Record().tableIndex.empty() &&
            Record().tableIndex.back().kind == TableKind::PresetFocus) {
          auto cut = reader_.String();
          if (!cut) return Ends(field, "a preset focus row name of the table index");
          Record().tableIndex.back().cutRowName = std::move(*cut);
          return true;
        }
        return Fail(field, "byte " + Hex(*tag) + " where an entry (" +
                               Hex(compiled::kPresetFocusTag) + " or " +
                               Hex(compiled::kMacroTag) + ") or the index's end byte " +
                               Hex(compiled::kTableIndexEnd) + " belongs");
      }
      if (!Entry()) return false;
    }
  }

  bool Entry() {
    const std::string field = "table index";
    const std::string number = std::to_string(Record().tableIndex.size() + 1);
    const std::string what = "entry " + number + " of the table index";
    TableIndexEntry entry;
    entry.kind = *reader_.Byte() == compiled::kPresetFocusTag ? TableKind::PresetFocus
                                                               : TableKind::Macro;
    const auto columns = reader_.Byte();
    const auto rows = reader_.Byte();
    if (!columns || !rows) return Ends(field, what);
    auto name = reader_.String();
    auto header = reader_.Bytes(*columns);
    if (!name || !header) return Ends(field, what);
    entry.name = std::move(*name);
    entry.headerValues.assign(header->begin(), header->end());
    for (int row = 0; row < *rows; ++row) {
      TableIndexRow indexRow;
      if (entry.kind == TableKind::PresetFocus) {
        auto rowName = reader_.String();
        if (!rowName) return Ends(field, "row " + std::to_string(row + 1) + " of " + what);
        indexRow.name = std::move(*rowName);
      }
      const auto values = reader_.Bytes(*columns);
      if (!values) return Ends(field, "row " + std::to_string(row + 1) + " of " + what);
      indexRow.values.assign(values->begin(), values->end());
      entry.rows.push_back(std::move(indexRow));
    }
    Record().tableIndex.push_back(std::move(entry));
    return true;
  }

  bool Blocks() {
    for (;;) {
      if (reader_.Remaining() == 1 && *reader_.Peek() == compiled::kEndOfRecord) {
        reader_.Byte();
        Record().endByte = true;
        return true;
      }
      if (reader_.AtEnd()) {
        return Fail("end byte", "the record ends without its end byte " +
                                    Hex(compiled::kEndOfRecord));
      }
      if (!Block()) return false;
    }
  }

  bool Block() {
    const std::string number = std::to_string(Record().blocks.size() + 1);
    const std::string field = "block " + number;
    // Blocks are separated unless the byte before already is 0xFF (the index's end byte).
    const std::size_t at = reader_.Position();
    if (at > 0 && bytes_[at - 1] != compiled::kBlockSeparator) {
      const auto separator = reader_.Byte();
      if (*separator != compiled::kBlockSeparator) {
        return FailAt(at, field,
                      "byte " + Hex(*separator) + " where the block separator " +
                          Hex(compiled::kBlockSeparator) + " or the end byte " +
                          Hex(compiled::kEndOfRecord) + " belongs");
      }
    }
    RecordBlock block;
    block.offset = reader_.Position();
    if (!Strings("lines of block " + number, block.lines)) return false;
    if (block.lines.empty()) return FailAt(block.offset, field, "a block without lines");
    const std::string& first = block.lines.front();
    bool known = false;
    for (const BlockFamily family : kBlockFamilies) {
      if (first.starts_with(FamilyKeyword(family))) {
        block.family = family;
        known = true;
        break;
      }
    }
    if (!known) {
      return FailAt(block.offset, field,
                    "the block's first line starts with none of ATTR, RANGE, PFTABLE, MACRO");
    }
    // The compilers write the families in this order.
    if (!Record().blocks.empty() && Record().blocks.back().family > block.family) {
      return FailAt(block.offset, field,
                    "a " + std::string(FamilyName(block.family)) + " block after a " +
                        std::string(FamilyName(Record().blocks.back().family)) + " block");
    }
    Record().blocks.push_back(std::move(block));
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  ByteReader reader_;
  RecordWalk result_;
};

}  // namespace

bool MirrorField::Present() const { return mode != compiled::kNoMirror; }

std::string_view FamilyName(BlockFamily family) {
  switch (family) {
    case BlockFamily::Attribute: return "attribute";
    case BlockFamily::Range: return "range";
    case BlockFamily::PresetFocus: return "preset focus";
    case BlockFamily::Macro: return "macro";
  }
  return "";
}

std::string_view FamilyKeyword(BlockFamily family) {
  switch (family) {
    case BlockFamily::Attribute: return "ATTR";
    case BlockFamily::Range: return "RANGE";
    case BlockFamily::PresetFocus: return "PFTABLE";
    case BlockFamily::Macro: return "MACRO";
  }
  return "";
}

std::size_t WalkedRecord::BlockCount(BlockFamily family) const {
  std::size_t count = 0;
  for (const RecordBlock& block : blocks) count += block.family == family ? 1 : 0;
  return count;
}

RecordWalk WalkPersonalityRecord(std::span<const std::uint8_t> bytes) {
  return Walk(bytes).Run();
}

}  // namespace hoardwright::examine
