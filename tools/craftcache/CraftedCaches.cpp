#include "CraftedCaches.h"

#include <algorithm>
#include <string>

#include "standard/StandardCacheLayout.h"
#include "extended/ByteOrder.h"
#include "extended/ExtendedCacheLayout.h"
#include "lzss/Lzss.h"
#include "personality/CompiledLayout.h"

namespace hoardwright::crafted {
namespace {

void Append(Bytes& out, std::span<const std::uint8_t> bytes) { out.insert(out.end(), bytes.begin(), bytes.end()); }
void Append(Bytes& out, std::string_view text) { out.insert(out.end(), text.begin(), text.end()); }

// Type, no mirror, no device address lines, DMX limits 1 2 1, no channels, no text lines.
Bytes RecordStart() {
  return {1, personality::compiled::kNoMirror, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 1, 0, 0};
}

// An empty shape library: its end byte alone.
const Bytes kShapeLibrary{personality::compiled::kLibraryEnd};

// The file around `stream` (the shape library, then the blocks), with one index record per
// (offset, length).
Bytes StandardFile(const Bytes& stream, std::size_t shapeLength,
                   const std::vector<std::pair<std::size_t, std::size_t>>& blocks) {
  Bytes file;
  Append(file, standard::EncodeHeader({static_cast<std::uint32_t>(stream.size() - 1),
                                     static_cast<std::uint16_t>(shapeLength - 1),
                                     static_cast<std::uint16_t>(blocks.size())}));
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    Append(file, standard::EncodeIndexRecord({"CC", "CC.Crafted" + std::to_string(i),
                                            static_cast<std::uint32_t>(blocks[i].first),
                                            static_cast<std::uint16_t>(blocks[i].second)}));
  }
  Append(file, lzss::CompressUnit(stream, nullptr));
  return file;
}

struct ExtendedParts {
  std::vector<extended::PersonalityRecord> records;
  std::vector<Bytes> groups;  // the data of groups 5, 6, ...; missing ones are empty
  Bytes shapeLibrary = kShapeLibrary;
};

Bytes ExtendedFile(const ExtendedParts& parts, bool shareGroupFive) {
  using namespace extended;
  const int groupCounter = GroupCounter(static_cast<int>(parts.records.size()));
  OffsetTable offsets{};
  Bytes file;
  Append(file, EncodeHeader());
  Append(file, EncodeOffsetTable(offsets));
  offsets[kInfoSlot] = static_cast<std::uint32_t>(file.size());
  const std::uint16_t date = (46 << 9) | (12 << 5) | 5;
  const std::uint16_t time = (14 << 11) | (32 << 5) | 5;
  Append(file, EncodeInfoRecord(MakeInfoRecord(date, time, 1, static_cast<int>(parts.records.size()))));
  offsets[kManufacturerSlot] = static_cast<std::uint32_t>(file.size());
  ManufacturerRecord manufacturer;
  SetTextField(manufacturer.name, "Crafted");
  Append(file, EncodeManufacturerRecord(manufacturer));
  file.push_back(kPadByte);
  offsets[kPersonalitySlot] = static_cast<std::uint32_t>(file.size());
  for (const PersonalityRecord& record : parts.records) Append(file, EncodePersonalityRecord(record));

  offsets[kShapeSlot] = static_cast<std::uint32_t>(file.size());
  const std::size_t lengthAt = file.size();
  file.resize(file.size() + kShapeLengthSize);
  StoreBigEndian32At(file, lengthAt, static_cast<std::uint32_t>(parts.shapeLibrary.size()));
  Append(file, lzss::CompressUnit(parts.shapeLibrary, nullptr));
  offsets[kGroupsStartSlot] = static_cast<std::uint32_t>(file.size());
  for (int group = 0; group < groupCounter; ++group) {
    offsets[static_cast<std::size_t>(kFirstGroup + group)] = static_cast<std::uint32_t>(file.size());
    const auto index = static_cast<std::size_t>(group);
    Append(file, lzss::CompressUnit(index < parts.groups.size() ? parts.groups[index] : Bytes(), nullptr));
  }
  const std::size_t lengthSlot = FileLengthSlot(groupCounter);
  offsets[lengthSlot] = static_cast<std::uint32_t>(file.size());
  if (shareGroupFive) {
    // Groups 7, 9, ... begin where group 5 does, and groups 6, 8, ... where it ends.
    const std::uint32_t start = offsets[kFirstGroup];
    const std::uint32_t end = offsets[kFirstGroup + 1];
    for (std::size_t slot = kFirstGroup + 1; slot < lengthSlot; ++slot) {
      offsets[slot] = (slot - kFirstGroup) % 2 == 0 ? start : end;
    }
  }
  const Bytes table = [&] {
    const auto encoded = EncodeOffsetTable(offsets);
    return Bytes(encoded.begin(), encoded.end());
  }();
  std::ranges::copy(table, file.begin() + kOffsetTableOffset);
  return file;
}

extended::PersonalityRecord Personality(std::size_t i, int group, std::size_t offset,
                                        std::size_t length) {
  extended::PersonalityRecord record;
  record.manufacturerIndex = 0;
  extended::SetTextField(record.fixtureName, "Fixture " + std::to_string(i));
  extended::SetTextField(record.deviceName, "CC." + std::to_string(i));
  record.group = static_cast<std::uint8_t>(group);
  record.offset = static_cast<std::uint32_t>(offset);
  record.length = static_cast<std::uint32_t>(length);
  return record;
}

int GroupOf(std::size_t i) { return extended::kFirstGroup + static_cast<int>(i) / extended::kGroupSize; }

}  // namespace

Bytes RecordOfEmptyLines(std::size_t length) {
  Bytes record = RecordStart();
  record.push_back(personality::compiled::kTableIndexEnd);
  for (bool first = true;; first = false) {
    // A block: its separator (the index's end byte serves the first), a count, "ATTR" and
    // count - 1 empty lines; then the end byte.
    const std::size_t separator = first ? 0 : 1;
    if (record.size() + separator + 1 + 5 + 1 > length) break;
    const std::size_t room = length - 1 - record.size() - separator - 1 - 5;
    const std::size_t lines = std::min<std::size_t>(255, room + 1);
    if (!first) record.push_back(personality::compiled::kBlockSeparator);
    record.push_back(static_cast<std::uint8_t>(lines));
    Append(record, std::string_view("ATTR", 5));
    record.resize(record.size() + lines - 1, 0);
  }
  record.push_back(personality::compiled::kEndOfRecord);
  return record;
}

Bytes RecordOfEmptyRows(std::size_t length) {
  Bytes record = RecordStart();
  while (record.size() + 4 + 2 <= length) {
    Append(record, Bytes{personality::compiled::kMacroTag, 0, 255, 0});
  }
  record.push_back(personality::compiled::kTableIndexEnd);
  record.push_back(personality::compiled::kEndOfRecord);
  return record;
}

Bytes StandardCache(const std::vector<Bytes>& records, const Bytes& shapeLibrary) {
  Bytes stream = shapeLibrary;
  std::vector<std::pair<std::size_t, std::size_t>> blocks;
  for (const Bytes& record : records) {
    blocks.emplace_back(stream.size(), record.size());
    Append(stream, record);
  }
  return StandardFile(stream, shapeLibrary.size(), blocks);
}

Bytes StandardSharedBlock(std::size_t records, const Bytes& record) {
  Bytes stream = kShapeLibrary;
  Append(stream, record);
  return StandardFile(stream, kShapeLibrary.size(),
                      std::vector(records, std::pair{kShapeLibrary.size(), record.size()}));
}

Bytes StandardRepeated(std::size_t records, const Bytes& record) {
  return StandardCache(std::vector(records, record), kShapeLibrary);
}

Bytes ExtendedSharedForm(std::size_t records, const Bytes& form) {
  ExtendedParts parts;
  for (std::size_t i = 0; i < records; ++i) {
    parts.records.push_back(Personality(i, extended::kFirstGroup, 0, form.size()));
  }
  parts.groups.push_back(form);
  return ExtendedFile(parts, false);
}

Bytes ExtendedSharedGroupBlock(std::size_t records, const Bytes& form, std::size_t copies) {
  ExtendedParts parts;
  for (std::size_t i = 0; i < records; ++i) {
    const std::size_t place = i % extended::kGroupSize % copies;
    parts.records.push_back(Personality(i, GroupOf(i), place * form.size(), form.size()));
  }
  Bytes data;
  for (std::size_t i = 0; i < copies; ++i) Append(data, form);
  parts.groups.push_back(data);
  return ExtendedFile(parts, true);
}

Bytes ExtendedCache(const std::vector<Bytes>& forms, const Bytes& shapeLibrary) {
  ExtendedParts parts;
  parts.shapeLibrary = shapeLibrary;
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const auto group = static_cast<std::size_t>(GroupOf(i) - extended::kFirstGroup);
    if (parts.groups.size() <= group) parts.groups.emplace_back();
    parts.records.push_back(Personality(i, GroupOf(i), parts.groups[group].size(), forms[i].size()));
    Append(parts.groups[group], forms[i]);
  }
  return ExtendedFile(parts, false);
}

Bytes ExtendedRepeated(std::size_t records, const Bytes& form) {
  return ExtendedCache(std::vector(records, form), kShapeLibrary);
}

}  // namespace hoardwright::crafted
