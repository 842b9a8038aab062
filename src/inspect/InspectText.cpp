#include "inspect/InspectText.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>

#include "inspect/TextFormat.h"
#include "catalogue/PersonalityEntry.h"

namespace hoardwright::inspect {
namespace {

constexpr std::size_t kLabelWidth = 18;

std::string Count(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// Appended piece by piece: g++ 12 at -O3 reports a false -Wrestrict inside "\"" + std::string.
std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  quoted += Escaped(text);
  quoted += '"';
  return quoted;
}

void Field(std::ostream& out, std::string_view label, const std::string& value, int indent = 2) {
  out << std::string(static_cast<std::size_t>(indent), ' ') << std::left
      << std::setw(static_cast<int>(kLabelWidth)) << label << value << '\n';
}

std::string RecordNoun(std::string_view section) {
  if (section == "offset table") return "slot";
  if (section == "group block") return "";
  if (section == "personality record") return "";
  return "record";
}

// Decimal values separated by spaces.
void AppendValues(std::string& out, const std::vector<std::uint8_t>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ' ';
    out += std::to_string(values[i]);
  }
}

std::string ChannelText(const ChannelEntry& c) {
  return std::to_string(c.column1) + " " + std::to_string(c.column2) + " " +
         Escaped(std::string(1, c.column3)) + " " + std::to_string(c.column4) + " " +
         Escaped(std::string(1, c.column7)) + " " + Escaped(std::string(1, c.column8)) + " " +
         std::to_string(c.column9) + " " + Quoted(c.name) + " " + std::to_string(c.column11) + " " +
         std::to_string(c.column12) + " " + std::to_string(c.column13);
}

// A record's lines are built in one string and written at once: a record may hold tens of
// thousands of short lines, and a stream write for each costs more than the rest of inspect.
void Field(std::string& out, std::string_view label, std::string_view value, int indent) {
  out.append(static_cast<std::size_t>(indent), ' ');
  out += label;
  if (label.size() < kLabelWidth) out.append(kLabelWidth - label.size(), ' ');
  out += value;
  out += '\n';
}

void Lines(std::string& out, const std::vector<std::string>& lines) {
  // A bar, not quotes: the lines themselves are full of quotes.
  for (const std::string& line : lines) {
    out += "      | ";
    AppendEscaped(out, line);
    out += '\n';
  }
}

// Appends to `out`, which the caller keeps from record to record: its room, once grown, serves
// every record after.
void RecordText(const RecordWalk& walk, std::string& out) {
  const WalkedRecord& r = walk.record;
  Field(out, "type", std::to_string(r.type), 4);
  if (r.mirror.Present()) {
    Field(out, "mirror",
          std::to_string(r.mirror.mode) + " " + std::to_string(r.mirror.first) + " " +
              std::to_string(r.mirror.second),
          4);
  } else {
    Field(out, "mirror", "none (0xFF)", 4);
  }
  Field(out, "device address", Count(r.deviceAddress.size(), "line", "lines"), 4);
  Lines(out, r.deviceAddress);
  Field(out, "DMX limits",
        "min " + std::to_string(r.limits.minimum) + ", max " + std::to_string(r.limits.maximum) +
            ", divide by " + std::to_string(r.limits.divideBy), 4);
  Field(out, "DMX channels", std::to_string(r.channels.size()), 4);
  for (const ChannelEntry& channel : r.channels) out += "      " + ChannelText(channel) + '\n';
  Field(out, "text", Count(r.text.size(), "line", "lines"), 4);
  Lines(out, r.text);
  Field(out, "table index",
        Count(r.tableIndex.size(), "entry", "entries") +
            (r.tableIndexEnded ? ", end byte 0xFF" : ", no end byte"), 4);
  for (const TableIndexEntry& entry : r.tableIndex) {
    const bool presetFocus = entry.kind == TableKind::PresetFocus;
    out += presetFocus ? "      preset focus \"" : "      macro \"";
    AppendEscaped(out, entry.name);
    out += "\": header ";
    AppendValues(out, entry.headerValues);
    out += ", ";
    out += std::to_string(entry.rowCount);
    out += entry.rowCount == 1 ? " row" : " rows";
    if (entry.rows.size() < entry.rowCount) out += " without values";
    out += '\n';
    for (const TableIndexRow& row : entry.rows) {
      out += "        ";
      if (presetFocus) {
        out += '"';
        AppendEscaped(out, row.name);
        out += "\" ";
      }
      AppendValues(out, row.values);
      out += '\n';
    }
    if (entry.cutRowName) {
      out += "        " + Quoted(*entry.cutRowName) +
             " (row name without closing quote; the index stops here)\n";
    }
  }
  for (std::size_t i = 0; i < r.blocks.size(); ++i) {
    const RecordBlock& block = r.blocks[i];
    Field(out, "block " + std::to_string(i + 1),
          std::string(FamilyName(block.family)) + ", " + Count(block.lines.size(), "line", "lines"),
          4);
    Lines(out, block.lines);
  }
  if (r.endByte) Field(out, "end byte", "0xFC", 4);
  if (walk.fault) {
    Field(out, "DAMAGED", "at record byte " + std::to_string(walk.fault->offset) + ": " +
                              walk.fault->field + ": " + walk.fault->message, 4);
  }
}

void WriteShapeLibrary(std::ostream& out, const ShapeLibraryWalk& walk) {
  const WalkedShapeLibrary& library = walk.library;
  out << "  " << Count(library.patterns.size(), "pattern", "patterns") << ", "
      << Count(library.shapes.size(), "shape", "shapes") << ", "
      << (library.endByte ? "end byte 0xFF" : "no end byte") << ", "
      << Count(library.size, "byte", "bytes") << '\n';
  for (const PatternEntry& pattern : library.patterns) {
    out << "    pattern " << Quoted(pattern.name) << ": " << static_cast<int>(pattern.columns)
        << " columns, " << Count(pattern.values.size(), "value", "values") << ", "
        << (!pattern.endKind ? "no end line" : *pattern.endKind == 0 ? "PEND" : "PEND16") << '\n';
  }
  for (const ShapeEntry& shape : library.shapes) {
    out << "    shape " << Quoted(shape.name) << ": pattern " << Quoted(shape.pattern) << ", "
        << Count(shape.steps.size(), "step", "steps") << '\n';
  }
}

void WritePersonalities(std::ostream& out, const InspectReport& report,
                        const std::vector<PersonalityView>& personalities, bool extended) {
  out << "\nPersonalities\n";
  for (const PersonalityView& view : personalities) {
    out << "  " << std::right << std::setw(4) << view.number << "  " << SummaryLine(view) << '\n';
  }
  std::string text;
  for (const PersonalityView& view : personalities) {
    out << "\nPersonality " << view.number << " " << Quoted(view.device);
    if (extended) {
      out << " (" << Quoted(view.manufacturer) << " " << Quoted(view.fixture) << ", group "
          << view.group << " offset " << view.offset << ", " << Count(view.length, "byte", "bytes")
          << ")\n";
    } else {
      out << " (code " << Quoted(view.code) << ", stream offset " << view.offset << ", "
          << Count(view.length, "byte", "bytes") << ")\n";
    }
    // One record walked at a time: the report keeps summaries, not walks.
    if (const auto bytes = RecordBytes(report, view)) {
      text.clear();
      RecordText(WalkPersonalityRecord(*bytes), text);
      out << text;
    } else if (view.access == RecordAccess::NoForm) {
      out << "    no binary form (it did not convert when the cache was built)\n";
    } else if (view.access == RecordAccess::Overlapping) {
      out << "    not read: its bytes overlap the shape library or another personality's\n";
    } else if (view.access == RecordAccess::TooLong) {
      out << "    not read: it is longer than any binary form a build writes\n";
    } else {
      out << "    not readable: its bytes lie outside the decoded data\n";
    }
  }
}

void WriteUnit(std::ostream& out, const UnitCheck& unit, int indent = 2) {
  Field(out, "sum", HexWord32(unit.storedSum) + " stored, " + HexWord32(unit.actualSum) +
                        " decoded" + (unit.sumMatches ? " (match)" : " (MISMATCH)"), indent);
  Field(out, "end token", unit.complete ? "found after " + Count(unit.used, "byte", "bytes") +
                                              " of " + std::to_string(unit.unitSize)
                                        : "MISSING", indent);
  Field(out, "decoded", Count(unit.data.size(), "byte", "bytes"), indent);
}

void WriteStandard(std::ostream& out, const InspectReport& report) {
  const StandardReport& cache = *report.standard;
  out << "Standard cache " << PathText(report.path) << " ("
      << Count(report.fileSize, "byte", "bytes") << ")\n";
  if (!cache.header) return;
  const auto& header = *cache.header;
  out << "\nHeader\n";
  Field(out, "stream length", std::to_string(std::uint64_t{header.streamLengthMinus1} + 1) +
                                  " (stored as " + std::to_string(header.streamLengthMinus1) + ")");
  Field(out, "shape block", std::to_string(std::uint64_t{header.shapeLengthMinus1} + 1) +
                                " (stored as " + std::to_string(header.shapeLengthMinus1) + ")");
  Field(out, "index records", std::to_string(header.recordCount));

  out << "\nIndex\n";
  out << "     #  code    offset  length  device\n";
  for (std::size_t i = 0; i < cache.index.size(); ++i) {
    const auto& record = cache.index[i];
    out << "  " << std::right << std::setw(4) << i << "  " << std::left << std::setw(4)
        << Escaped(record.code) << std::right << std::setw(10) << record.blockOffset
        << std::setw(8) << record.blockLength << "  " << Quoted(record.deviceText) << '\n';
  }
  if (cache.stream) {
    out << "\nCompressed stream (file offset " << cache.stream->fileOffset << ")\n";
    WriteUnit(out, *cache.stream);
  }
  if (cache.shapeLibrary) {
    out << "\nShape library (stream offset 0)\n";
    WriteShapeLibrary(out, *cache.shapeLibrary);
  }
  if (cache.stream) WritePersonalities(out, report, cache.personalities, false);
}

void WriteExtended(std::ostream& out, const InspectReport& report) {
  const ExtendedReport& cache = *report.extended;
  out << "Extended cache " << PathText(report.path) << " ("
      << Count(report.fileSize, "byte", "bytes") << ")\n";
  out << "\nHeader\n";
  Field(out, "magic", std::string(extended::kMagic));
  Field(out, "version", std::to_string(cache.version));
  if (cache.offsets) {
    const std::size_t lengthSlot = extended::FileLengthSlot(cache.groupCounter);
    out << "\nOffset table\n";
    for (std::size_t slot = 0; slot < extended::kOffsetSlotCount; ++slot) {
      std::string role;
      if (slot == extended::kInfoSlot) role = "info record";
      else if (slot == extended::kManufacturerSlot) role = "manufacturer table";
      else if (slot == extended::kPersonalitySlot) role = "personality table";
      else if (slot == extended::kShapeSlot) role = "shape block";
      else if (slot == extended::kGroupsStartSlot) role = "end of the shape block";
      else if (slot < lengthSlot) role = "group " + std::to_string(slot) + " block";
      else if (slot == lengthSlot) role = "file length";
      else if ((*cache.offsets)[slot] == 0) continue;
      else role = "unused";
      out << "  slot " << std::right << std::setw(2) << slot << std::setw(10)
          << (*cache.offsets)[slot] << "  " << role << '\n';
    }
  }
  if (cache.info) {
    const auto& info = *cache.info;
    out << "\nInfo record\n";
    Field(out, "written", InfoDateTimeText(info));
    Field(out, "author", Quoted(extended::TextField(info.author)));
    Field(out, "manufacturers", std::to_string(info.manufacturerCount));
    Field(out, "personalities", std::to_string(info.personalityCount));
    Field(out, "constants", std::to_string(info.constantA) + " " + std::to_string(info.constantB));
  }
  if (!cache.manufacturers.empty()) {
    out << "\nManufacturers\n";
    for (std::size_t i = 0; i < cache.manufacturers.size(); ++i) {
      out << "  " << std::right << std::setw(4) << i << "  " << Quoted(cache.manufacturers[i])
          << '\n';
    }
  }
  if (!cache.records.empty()) {
    out << "\nPersonality table\n";
    out << "     #  mfr  group    offset  length  device         fixture\n";
    for (std::size_t i = 0; i < cache.records.size(); ++i) {
      const auto& record = cache.records[i];
      const std::string manufacturer = record.manufacturerIndex == extended::kNoManufacturer
                                           ? "none"
                                           : std::to_string(record.manufacturerIndex);
      out << "  " << std::right << std::setw(4) << i << std::setw(5) << manufacturer
          << std::setw(7) << static_cast<int>(record.group) << std::setw(10) << record.offset
          << std::setw(8) << record.length << "  " << std::left << std::setw(13)
          << Quoted(extended::TextField(record.deviceName)) << "  "
          << Quoted(extended::TextField(record.fixtureName)) << '\n';
    }
  }
  if (cache.shapeUnit) {
    out << "\nShape block (file offset "
        << (cache.shapeUnit->fileOffset - extended::kShapeLengthSize) << ")\n";
    Field(out, "stored length", std::to_string(cache.shapeLength.value_or(0)));
    WriteUnit(out, *cache.shapeUnit);
  } else if (cache.offsets) {
    out << "\nShape block: none\n";
  }
  if (cache.shapeLibrary) {
    out << "\nShape library\n";
    WriteShapeLibrary(out, *cache.shapeLibrary);
  }
  if (!cache.groups.empty()) out << "\nGroup blocks\n";
  for (const GroupBlock& group : cache.groups) {
    const auto members = std::ranges::count_if(
        cache.records, [&](const auto& record) { return record.group == group.number; });
    out << "  group " << group.number << " (file offset " << group.start << " to " << group.end
        << ", " << Count(static_cast<std::size_t>(members), "personality", "personalities")
        << ")\n";
    if (group.unit) WriteUnit(out, *group.unit, 4);
  }
  if (!cache.personalities.empty()) WritePersonalities(out, report, cache.personalities, true);
}

}  // namespace

std::string_view SpaceName(OffsetSpace space) {
  switch (space) {
    case OffsetSpace::File: return "file";
    case OffsetSpace::Stream: return "stream";
    case OffsetSpace::ShapeData: return "shape data";
    case OffsetSpace::GroupData: return "group data";
  }
  return "";
}

std::string LocationText(const Problem& problem) {
  std::string text = problem.section;
  if (problem.record) {
    const std::string noun = RecordNoun(problem.section);
    text += (noun.empty() ? " " : " " + noun + " ") + std::to_string(*problem.record);
  }
  text += ", ";
  if (problem.space == OffsetSpace::GroupData) {
    text += "group " + std::to_string(problem.group) + " data";
  } else {
    text += SpaceName(problem.space);
  }
  return text + " offset " + std::to_string(problem.offset);
}

std::string SummaryLine(const PersonalityView& view) {
  std::string device = view.device.substr(0, catalogue::kListDeviceNameLength);
  while (!device.empty() && device.back() == ' ') device.pop_back();
  std::string line = Escaped(device) + ": ";
  if (!view.summary) {
    return line + (view.length == 0 ? "no binary form" : "not readable") + ", " +
           Count(view.length, "byte", "bytes");
  }
  const RecordSummary& record = *view.summary;
  line += Count(record.channels, "channel", "channels") + "; blocks:";
  for (const BlockFamily family : kBlockFamilies) {
    line += (family == BlockFamily::Attribute ? " " : ", ") +
            std::to_string(record.BlockCount(family)) + " " + std::string(FamilyName(family));
  }
  line += "; " + Count(record.size, "byte", "bytes");
  if (record.fault) line += ", DAMAGED";
  return line;
}

std::string InfoDateTimeText(const extended::CacheInfoRecord& info) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (info.date >> 9),
                (info.date >> 5) & 0xF, info.date & 0x1F, info.time >> 11, (info.time >> 5) & 0x3F,
                2 * (info.time & 0x1F));
  return text;
}

void WriteInspectText(const InspectReport& report, std::ostream& out) {
  if (report.kind == CacheKind::Standard) {
    WriteStandard(out, report);
  } else {
    WriteExtended(out, report);
  }
  out << '\n';
  if (!report.Damaged()) {
    out << "Result: intact\n";
  } else {
    out << "Result: DAMAGED, " << Count(report.problems.size(), "problem", "problems") << '\n';
    for (const Problem& problem : report.problems) {
      out << "  " << LocationText(problem) << ": " << Escaped(problem.message) << '\n';
    }
  }
  if (report.warnings.empty()) return;
  out << "Warnings: " << report.warnings.size() << '\n';
  for (const Problem& warning : report.warnings) {
    out << "  " << LocationText(warning) << ": " << Escaped(warning.message) << '\n';
  }
}

}  // namespace hoardwright::inspect
