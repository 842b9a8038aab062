#include "inspect/RecordWalker.h"

#include <array>

#include "inspect/ByteReader.h"
#include "inspect/TextFormat.h"
#include "personality/CompiledLayout.h"

namespace hoardwright::inspect {
namespace {

std::string Hex(std::uint8_t byte) { return HexByte(byte); }

// Walks a record; with `keep` false it keeps only what a summary needs (counts, the fault), so
// an inspection can check every record without holding its lines.
class Walk {
 public:
  Walk(std::span<const std::uint8_t> bytes, bool keep)
      : bytes_(bytes), reader_(bytes), keep_(keep) {
    result_.record.size = bytes.size();
    summary_.size = bytes.size();
  }

  RecordWalk Run() {
    Steps();
    return std::move(result_);
  }
  RecordSummary RunSummary() {
    Steps();
    summary_.fault = std::move(result_.fault);
    return std::move(summary_);
  }

 private:
  void Steps() {
    (void)(Type() && Mirror() && Strings("device address lines", result_.record.deviceAddress) &&
           Limits() && Channels() && Strings("text lines", result_.record.text) && TableIndex() &&
           Blocks());
  }

  WalkedRecord& Record() { return result_.record; }

  bool Fail(std::string field, std::string message) {
    return FailAt(reader_.Position(), std::move(field), std::move(message));
  }
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

  // A count byte, then that many NUL-terminated strings. `field` names the strings only for a
  // fault: a record may hold thousands of blocks, and their names are made when needed.
  template <typename Field>
  bool Lines(const Field& field, std::vector<std::string>& into,
             std::string_view* first = nullptr) {
    const auto count = reader_.Byte();
    if (!count) return Ends(field(), "the " + field());
    if (keep_) into.reserve(*count);
    for (int i = 0; i < *count; ++i) {
      const auto text = reader_.Text();
      if (!text) {
        return Ends(field(), "line " + std::to_string(i + 1) + " of " + std::to_string(*count) +
                                 " of the " + field());
      }
      if (i == 0 && first != nullptr) *first = *text;
      if (keep_) into.emplace_back(*text);
    }
    lineCount_ = *count;
    return true;
  }
  bool Strings(const std::string& field, std::vector<std::string>& into) {
    return Lines([&] { return field; }, into);
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
    if (keep_) Record().channels.reserve(*count);
    for (int i = 0; i < *count; ++i) {
      const auto ends = [&] {
        return Ends(field, "channel entry " + std::to_string(i + 1) + " of " +
                               std::to_string(*count) + " of the DMX channel table");
      };
      const auto fixed = reader_.Bytes(personality::compiled::kChannelFixedSize);
      if (!fixed) return ends();
      const auto name = reader_.Text();
      if (!name) return ends();
      ++summary_.channels;
      if (!keep_) continue;
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
      entry.name = std::string(*name);
      Record().channels.push_back(std::move(entry));
    }
    return true;
  }

  bool TableIndex() {
    const std::string field = "table index";
    for (;;) {
      const auto tag = reader_.Peek();
      if (!tag) return Ends(field, "the table index");
      if (*tag == personality::compiled::kTableIndexEnd) {
        reader_.Byte();
        Record().tableIndexEnded = true;
        return true;
      }
      if (*tag != personality::compiled::kPresetFocusTag &&
          *tag != personality::compiled::kMacroTag) {
        // After a preset focus entry, a row name without its quote ends the index.
        if (lastEntry_ == TableKind::PresetFocus) {
          const auto cut = reader_.Text();
          if (!cut) return Ends(field, "a preset focus row name of the table index");
          if (keep_) Record().tableIndex.back().cutRowName = std::string(*cut);
          return true;
        }
        return Fail(field, "byte " + Hex(*tag) + " where an entry (" +
                               Hex(personality::compiled::kPresetFocusTag) + " or " +
                               Hex(personality::compiled::kMacroTag) +
                               ") or the index's end byte " +
                               Hex(personality::compiled::kTableIndexEnd) + " belongs");
      }
      if (!Entry()) return false;
    }
  }

  bool Entry() {
    const std::string field = "table index";
    const auto what = [&] {
      return "entry " + std::to_string(entries_ + 1) + " of the table index";
    };
    TableIndexEntry entry;
    entry.kind = *reader_.Byte() == personality::compiled::kPresetFocusTag ? TableKind::PresetFocus
                                                               : TableKind::Macro;
    const auto columns = reader_.Byte();
    const auto rows = reader_.Byte();
    if (!columns || !rows) return Ends(field, what());
    const auto name = reader_.Text();
    const auto header = reader_.Bytes(*columns);
    if (!name || !header) return Ends(field, what());
    if (keep_) {
      entry.name = std::string(*name);
      entry.headerValues.assign(header->begin(), header->end());
    }
    entry.rowCount = *rows;
    // Macro rows without columns take no bytes: nothing to keep but their count.
    const bool presetFocus = entry.kind == TableKind::PresetFocus;
    const bool rowBytes = presetFocus || *columns > 0;
    if (keep_ && rowBytes) entry.rows.reserve(*rows);
    for (int row = 0; rowBytes && row < *rows; ++row) {
      TableIndexRow indexRow;
      if (presetFocus) {
        const auto rowName = reader_.Text();
        if (!rowName) return Ends(field, "row " + std::to_string(row + 1) + " of " + what());
        if (keep_) indexRow.name = std::string(*rowName);
      }
      const auto values = reader_.Bytes(*columns);
      if (!values) return Ends(field, "row " + std::to_string(row + 1) + " of " + what());
      if (!keep_) continue;
      indexRow.values.assign(values->begin(), values->end());
      entry.rows.push_back(std::move(indexRow));
    }
    ++entries_;
    lastEntry_ = entry.kind;
    if (keep_) Record().tableIndex.push_back(std::move(entry));
    return true;
  }

  bool Blocks() {
    for (;;) {
      if (reader_.Remaining() == 1 && *reader_.Peek() == personality::compiled::kEndOfRecord) {
        reader_.Byte();
        Record().endByte = true;
        return true;
      }
      if (reader_.AtEnd()) {
        return Fail("end byte", "the record ends without its end byte " +
                                    Hex(personality::compiled::kEndOfRecord));
      }
      if (!Block()) return false;
    }
  }

  bool Block() {
    const auto number = [&] { return std::to_string(blocks_ + 1); };
    const auto field = [&] { return "block " + number(); };
    // Blocks are separated unless the byte before already is 0xFF (the index's end byte).
    const std::size_t at = reader_.Position();
    if (at > 0 && bytes_[at - 1] != personality::compiled::kBlockSeparator) {
      const auto separator = reader_.Byte();
      if (*separator != personality::compiled::kBlockSeparator) {
        return FailAt(at, field(),
                      "byte " + Hex(*separator) + " where the block separator " +
                          Hex(personality::compiled::kBlockSeparator) + " or the end byte " +
                          Hex(personality::compiled::kEndOfRecord) + " belongs");
      }
    }
    RecordBlock block;
    block.offset = reader_.Position();
    std::string_view first;
    if (!Lines([&] { return "lines of block " + number(); }, block.lines, &first)) return false;
    if (lineCount_ == 0) return FailAt(block.offset, field(), "a block without lines");
    bool known = false;
    for (const BlockFamily family : kBlockFamilies) {
      if (first.starts_with(FamilyKeyword(family))) {
        block.family = family;
        known = true;
        break;
      }
    }
    if (!known) {
      return FailAt(block.offset, field(),
                    "the block's first line starts with none of ATTR, RANGE, PFTABLE, MACRO");
    }
    // The compilers write the families in this order.
    if (lastFamily_ && *lastFamily_ > block.family) {
      return FailAt(block.offset, field(),
                    "a " + std::string(FamilyName(block.family)) + " block after a " +
                        std::string(FamilyName(*lastFamily_)) + " block");
    }
    ++blocks_;
    lastFamily_ = block.family;
    ++summary_.blocks[static_cast<std::size_t>(block.family)];
    if (keep_) Record().blocks.push_back(std::move(block));
    return true;
  }

  std::span<const std::uint8_t> bytes_;
  ByteReader reader_;
  bool keep_;
  RecordWalk result_;
  RecordSummary summary_;
  std::size_t lineCount_ = 0;  // of the last list of lines read
  std::size_t entries_ = 0;    // table index entries read
  std::size_t blocks_ = 0;
  std::optional<TableKind> lastEntry_;
  std::optional<BlockFamily> lastFamily_;
};

}  // namespace

bool MirrorField::Present() const { return mode != personality::compiled::kNoMirror; }

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
  return Walk(bytes, true).Run();
}

RecordSummary SummarizePersonalityRecord(std::span<const std::uint8_t> bytes) {
  return Walk(bytes, false).RunSummary();
}

}  // namespace hoardwright::inspect
