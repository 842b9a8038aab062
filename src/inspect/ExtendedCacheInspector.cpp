// The extended cache: header, offset table, info record, manufacturer and personality tables,
// the shape block and the group blocks, each located through the offset table and checked
// against the layout the writer follows.
#include <algorithm>
#include <map>

#include "extended/ByteOrder.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "inspect/CacheInspector.h"
#include "inspect/DisjointExtents.h"
#include "inspect/TextFormat.h"

namespace hoardwright::inspect {
namespace {

using namespace extended;

std::string Bytes(std::uint64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

class ExtendedInspection {
 public:
  ExtendedInspection(std::span<const std::uint8_t> file, InspectReport& report)
      : file_(file), report_(report), cache_(report.extended.emplace()) {}

  void Run() {
    if (!Header() || !Offsets() || !Info() || !Manufacturers() || !PersonalityTable()) return;
    LayoutOfBlocks();
    ShapeBlock();
    GroupBlocks();
    Personalities();
  }

 private:
  void Add(std::string section, std::optional<std::size_t> record, std::uint64_t offset,
           std::string message, OffsetSpace space = OffsetSpace::File, int group = 0) {
    report_.problems.push_back(
        Problem{std::move(section), record, space, group, offset, std::move(message)});
  }
  void Warn(std::string section, std::size_t record, std::uint64_t fieldAt,
            std::span<const std::uint8_t> field, std::size_t longest, std::string_view name) {
    if (const auto warning = TextFieldWarning(field, longest, name)) {
      report_.warnings.push_back(Problem{std::move(section), record, OffsetSpace::File, 0,
                                         fieldAt + warning->offset, warning->message});
    }
  }
  std::string FileEnd() const { return "the file ends after " + Bytes(file_.size()); }
  bool Fits(std::uint64_t at, std::uint64_t size) const {
    return at <= file_.size() && size <= file_.size() - at;
  }
  std::uint32_t Slot(std::size_t slot) const { return (*cache_.offsets)[slot]; }
  std::uint64_t SlotAt(std::size_t slot) const { return kOffsetTableOffset + 4 * slot; }

  bool Header() {
    if (!Fits(0, kHeaderSize)) {
      Add("header", std::nullopt, file_.size(),
          FileEnd() + ", inside the " + std::to_string(kHeaderSize) + "-byte header");
      return false;
    }
    const auto version = DecodeHeader(file_.first<kHeaderSize>());
    cache_.version = version.value_or(0);
    for (std::size_t at = kMagic.size(); at < kVersionOffset; ++at) {
      if (file_[at] != 0) {
        Add("header", std::nullopt, at,
            "byte " + HexByte(file_[at]) + " where the header holds zeros");
        break;
      }
    }
    if (cache_.version != kFormatVersion) {
      Add("header", std::nullopt, kVersionOffset,
          "format version " + std::to_string(cache_.version) + "; only version " +
              std::to_string(kFormatVersion) + " is known");
    }
    return true;
  }

  bool Offsets() {
    if (!Fits(kOffsetTableOffset, kOffsetTableSize)) {
      Add("offset table", std::nullopt, file_.size(), FileEnd() + ", inside the offset table");
      return false;
    }
    cache_.offsets = DecodeOffsetTable(file_.subspan(kOffsetTableOffset).first<kOffsetTableSize>());
    const std::pair<std::size_t, std::size_t> fixed[] = {
        {kInfoSlot, kInfoRecordOffset}, {kManufacturerSlot, kManufacturerTableOffset}};
    for (const auto& [slot, expected] : fixed) {
      if (Slot(slot) != expected) {
        Add("offset table", slot, SlotAt(slot),
            "slot " + std::to_string(slot) + " holds " + std::to_string(Slot(slot)) +
                " instead of " + std::to_string(expected));
      }
    }
    return true;
  }

  bool Info() {
    if (!Fits(kInfoRecordOffset, kInfoRecordSize)) {
      Add("info record", std::nullopt, file_.size(), FileEnd() + ", inside the info record");
      return false;
    }
    const CacheInfoRecord info =
        DecodeInfoRecord(file_.subspan(kInfoRecordOffset).first<kInfoRecordSize>());
    cache_.info = info;
    const CacheInfoRecord expected = MakeInfoRecord(0, 0, 0, 0);
    if (info.author != expected.author) {
      Add("info record", std::nullopt, kInfoRecordOffset,
          "the author field does not hold \"" + std::string(kAuthorText) + "\"");
    }
    if (info.constantA != kInfoConstantA || info.constantB != kInfoConstantB) {
      Add("info record", std::nullopt, kInfoRecordOffset,
          "the constants are " + std::to_string(info.constantA) + " and " +
              std::to_string(info.constantB) + " instead of " + std::to_string(kInfoConstantA) +
              " and " + std::to_string(kInfoConstantB));
    }
    const int month = (info.date >> 5) & 0xF;
    const int day = info.date & 0x1F;
    const int hour = info.time >> 11;
    const int minute = (info.time >> 5) & 0x3F;
    const int seconds = 2 * (info.time & 0x1F);
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || seconds > 59) {
      Add("info record", std::nullopt, kInfoRecordOffset,
          "date " + HexWord32(info.date) + " and time " + HexWord32(info.time) +
              " are not a valid date and time");
    }
    bool fits = true;
    if (info.manufacturerCount > kMaxManufacturers) {
      Add("info record", std::nullopt, kInfoRecordOffset,
          "manufacturer count " + std::to_string(info.manufacturerCount) + " is over the " +
              std::to_string(kMaxManufacturers) + " the table holds");
      fits = false;
    }
    if (info.personalityCount > kMaxExtendedPersonalities) {
      Add("info record", std::nullopt, kInfoRecordOffset,
          "personality count " + std::to_string(info.personalityCount) + " is over the " +
              std::to_string(kMaxExtendedPersonalities) + " the table holds");
      fits = false;
    }
    return fits;
  }

  bool Manufacturers() {
    const std::size_t count = cache_.info->manufacturerCount;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = kManufacturerTableOffset + i * kManufacturerRecordSize;
      if (!Fits(at, kManufacturerRecordSize)) {
        Add("manufacturer table", i, file_.size(),
            FileEnd() + ", inside manufacturer record " + std::to_string(i) + " of " +
                std::to_string(count));
        return false;
      }
      const ManufacturerRecord record =
          DecodeManufacturerRecord(file_.subspan(at).first<kManufacturerRecordSize>());
      cache_.manufacturers.push_back(TextField(record.name));
      Warn("manufacturer table", i, at, record.name, kManufacturerNameLength, "name");
    }
    const std::size_t padAt = kManufacturerTableOffset + count * kManufacturerRecordSize;
    if (count % 2 != 0 && Fits(padAt, 1) && file_[padAt] != kPadByte) {
      Add("manufacturer table", std::nullopt, padAt,
          "pad byte " + HexByte(file_[padAt]) + " instead of " + HexByte(kPadByte));
    }
    return true;
  }

  bool PersonalityTable() {
    const std::size_t count = cache_.info->personalityCount;
    const std::size_t expected = PersonalityTableOffset(cache_.info->manufacturerCount);
    if (Slot(kPersonalitySlot) != expected) {
      Add("offset table", kPersonalitySlot, SlotAt(kPersonalitySlot),
          "slot 2 holds " + std::to_string(Slot(kPersonalitySlot)) +
              "; the personality table follows the manufacturer table at " +
              std::to_string(expected));
    }
    const std::uint64_t start = Slot(kPersonalitySlot);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint64_t at = start + i * kPersonalityRecordSize;
      if (!Fits(at, kPersonalityRecordSize)) {
        Add("personality table", i, file_.size(),
            FileEnd() + ", inside personality record " + std::to_string(i) + " of " +
                std::to_string(count));
        return false;
      }
      const PersonalityRecord& record = cache_.records.emplace_back(
          DecodePersonalityRecord(file_.subspan(at).first<kPersonalityRecordSize>()));
      Warn("personality table", i, at + kFixtureNameOffset, record.fixtureName, kFixtureNameLength,
           "fixture name");
      Warn("personality table", i, at + kDeviceNameOffset, record.deviceName,
           kRecordDeviceNameLength, "device name");
    }
    cache_.groupCounter = GroupCounter(static_cast<int>(count));
    return true;
  }

  // Slots 3 .. G + 5 must rise through the file, the first right after the personality table
  // and the last at its end; the rest are zero.
  void LayoutOfBlocks() {
    const int groups = cache_.groupCounter;
    const std::size_t lengthSlot = FileLengthSlot(groups);
    const std::uint64_t tableEnd =
        std::uint64_t{Slot(kPersonalitySlot)} + cache_.records.size() * kPersonalityRecordSize;
    if (Slot(kShapeSlot) != tableEnd) {
      Add("offset table", kShapeSlot, SlotAt(kShapeSlot),
          "slot 3 holds " + std::to_string(Slot(kShapeSlot)) +
              "; the shape block follows the personality table at " + std::to_string(tableEnd));
    }
    if (Slot(kFirstGroup) != Slot(kGroupsStartSlot)) {
      Add("offset table", kFirstGroup, SlotAt(kFirstGroup),
          "slot 5 holds " + std::to_string(Slot(kFirstGroup)) + "; slot 4 holds " +
              std::to_string(Slot(kGroupsStartSlot)));
    }
    std::uint64_t previous = Slot(kShapeSlot);
    for (std::size_t slot = kShapeSlot; slot <= lengthSlot; ++slot) {
      if (Slot(slot) > file_.size()) {
        Add("offset table", slot, SlotAt(slot),
            "slot " + std::to_string(slot) + " points to " + std::to_string(Slot(slot)) +
                ", past the end of the file (" + Bytes(file_.size()) + ")");
      } else if (Slot(slot) < previous) {
        Add("offset table", slot, SlotAt(slot),
            "slot " + std::to_string(slot) + " points to " + std::to_string(Slot(slot)) +
                ", before slot " + std::to_string(slot - 1) + " (" + std::to_string(previous) +
                ")");
      }
      previous = std::max<std::uint64_t>(previous, Slot(slot));
    }
    if (Slot(lengthSlot) < file_.size()) {
      Add("offset table", lengthSlot, Slot(lengthSlot),
          Bytes(file_.size() - Slot(lengthSlot)) + " follow the last group block, which ends at " +
              std::to_string(Slot(lengthSlot)));
    }
    for (std::size_t slot = lengthSlot + 1; slot < kOffsetSlotCount; ++slot) {
      if (Slot(slot) != 0) {
        Add("offset table", slot, SlotAt(slot),
            "slot " + std::to_string(slot) + " holds " + std::to_string(Slot(slot)) +
                " after the file-length slot " + std::to_string(lengthSlot));
      }
    }
  }

  // The bytes from slot `from` to slot `to`, when both lie inside the file in that order.
  std::optional<std::span<const std::uint8_t>> Extent(std::size_t from, std::size_t to) const {
    const std::uint64_t start = Slot(from);
    const std::uint64_t end = Slot(to);
    if (start > end || end > file_.size()) return std::nullopt;
    return file_.subspan(start, end - start);
  }

  // The problems of one decoded unit; true when its data can be used.
  bool JudgeUnit(const UnitCheck& unit, const std::string& section,
                 std::optional<std::size_t> record, std::optional<std::uint64_t> expected) {
    if (!unit.sumPresent) {
      Add(section, record, unit.fileOffset + unit.unitSize, "the block ends inside its 4-byte sum");
      return false;
    }
    if (unit.overLimit) {
      Add(section, record, unit.fileOffset,
          expected ? "the block decodes to more than the " + Bytes(*expected) + " stored"
                   : "the block decodes to more data than a group can hold");
      return false;
    }
    if (!unit.complete) {
      Add(section, record, unit.fileOffset + unit.unitSize,
          "the block ends before its end-of-stream token (" + Bytes(unit.data.size()) +
              " decoded)");
      return false;
    }
    bool usable = true;
    if (!unit.sumMatches) {
      Add(section, record, unit.fileOffset,
          "stored sum " + HexWord32(unit.storedSum) +
              " differs from the sum of the decoded bytes " + HexWord32(unit.actualSum));
      usable = false;
    }
    if (expected && unit.data.size() != *expected) {
      Add(section, record, unit.fileOffset,
          "the block stores a length of " + Bytes(*expected) + " but decodes to " +
              Bytes(unit.data.size()));
    }
    if (unit.TrailingBytes() > 0) {
      Add(section, record, unit.fileOffset + unit.used,
          Bytes(unit.TrailingBytes()) + " follow the end-of-stream token inside the block");
    }
    return usable;
  }

  void ShapeBlock() {
    const auto block = Extent(kShapeSlot, kGroupsStartSlot);
    if (!block) {
      Add("shape block", std::nullopt, SlotAt(kShapeSlot), "slots 3 and 4 do not bound a block");
      return;
    }
    if (block->empty()) return;  // a build without a shape library
    if (block->size() < kShapeLengthSize) {
      Add("shape block", std::nullopt, Slot(kShapeSlot),
          "the block of " + Bytes(block->size()) + " is shorter than its length field");
      return;
    }
    const std::uint32_t length = LoadBigEndian32(block->first<kShapeLengthSize>());
    cache_.shapeLength = length;
    const std::size_t limit = std::min<std::size_t>(length, kShapeWorkBufferSize) + 1;
    cache_.shapeUnit =
        CheckUnit(block->subspan(kShapeLengthSize), Slot(kShapeSlot) + kShapeLengthSize, limit);
    if (!JudgeUnit(*cache_.shapeUnit, "shape block", std::nullopt, length)) return;
    cache_.shapeLibrary = WalkShapeLibrary(cache_.shapeUnit->data);
    if (const auto& fault = cache_.shapeLibrary->fault) {
      Add("shape library", std::nullopt, fault->offset, fault->message, OffsetSpace::ShapeData);
    }
  }

  void GroupBlocks() {
    DisjointExtents claimed;
    if (Extent(kShapeSlot, kGroupsStartSlot)) {
      claimed.Claim(Slot(kShapeSlot), Slot(kGroupsStartSlot), kShapeSlot);
    }
    for (int group = kFirstGroup; group < kFirstGroup + cache_.groupCounter; ++group) {
      const auto slot = static_cast<std::size_t>(group);
      GroupBlock block;
      block.number = group;
      block.start = Slot(slot);
      block.end = Slot(slot + 1);
      const auto bytes = Extent(slot, slot + 1);
      // Each stretch of the file is decoded once: slots that point into a block already read
      // would decode its data again for every slot.
      const auto overlapped = bytes ? claimed.Claim(block.start, block.end, slot) : std::nullopt;
      if (overlapped) {
        Add("group block", slot, SlotAt(slot),
            "the block from " + std::to_string(block.start) + " to " + std::to_string(block.end) +
                " overlaps the " +
                (*overlapped == kShapeSlot ? std::string("shape block")
                                           : "block of group " + std::to_string(*overlapped)));
      } else if (bytes) {
        block.unit = CheckUnit(*bytes, block.start, GroupDataLimit(group));
        if (!JudgeUnit(*block.unit, "group block", slot, std::nullopt)) usable_[group] = false;
        else usable_[group] = true;
      } else {
        Add("group block", slot, SlotAt(slot),
            "slots " + std::to_string(slot) + " and " + std::to_string(slot + 1) +
                " do not bound a block inside the file");
      }
      cache_.groups.push_back(std::move(block));
    }
  }

  // Each binary form is built in a buffer of kPersonalityWorkBufferSize bytes.
  std::size_t GroupDataLimit(int group) const {
    const std::size_t first = static_cast<std::size_t>(group - kFirstGroup) * kGroupSize;
    const std::size_t members = std::min<std::size_t>(
        kGroupSize, cache_.records.size() > first ? cache_.records.size() - first : 0);
    return std::max<std::size_t>(members, 1) * kPersonalityWorkBufferSize;
  }

  const GroupBlock* Group(int number) const {
    for (const GroupBlock& block : cache_.groups) {
      if (block.number == number) return &block;
    }
    return nullptr;
  }

  void Personalities() {
    const std::uint64_t table = Slot(kPersonalitySlot);
    std::map<int, std::uint64_t> groupEnds;
    std::map<int, DisjointExtents> claimed;
    for (std::size_t i = 0; i < cache_.records.size(); ++i) {
      const PersonalityRecord& record = cache_.records[i];
      const std::uint64_t recordAt = table + i * kPersonalityRecordSize;
      PersonalityView view;
      view.number = i;
      view.device = TextField(record.deviceName);
      view.fixture = TextField(record.fixtureName);
      view.group = record.group;
      view.offset = record.offset;
      view.length = record.length;
      if (record.manufacturerIndex < cache_.manufacturers.size()) {
        view.manufacturer = cache_.manufacturers[record.manufacturerIndex];
      } else if (record.manufacturerIndex != kNoManufacturer) {
        Add("personality table", i, recordAt,
            "manufacturer index " + std::to_string(record.manufacturerIndex) +
                " is not in the table of " + std::to_string(cache_.manufacturers.size()));
      }
      const int expectedGroup = kFirstGroup + static_cast<int>(i) / kGroupSize;
      if (record.group != expectedGroup) {
        Add("personality table", i, recordAt,
            "group " + std::to_string(record.group) + " where record " + std::to_string(i) +
                " belongs to group " + std::to_string(expectedGroup));
      }
      const GroupBlock* group = Group(record.group);
      const auto usable = usable_.find(record.group);
      if (record.length == 0) view.access = RecordAccess::NoForm;
      if (group && usable != usable_.end() && usable->second) {
        const auto& data = group->unit->data;
        std::uint64_t& end = groupEnds[record.group];
        const std::uint64_t recordEnd = std::uint64_t{record.offset} + record.length;
        const bool inside = recordEnd <= data.size();
        const auto overlapped =
            inside ? claimed[record.group].Claim(record.offset, recordEnd, i) : std::nullopt;
        if (overlapped) {
          Add("personality table", i, recordAt,
              "the binary form at " + std::to_string(record.offset) + " of " +
                  Bytes(record.length) + " overlaps the one of personality record " +
                  std::to_string(*overlapped) + " in group " + std::to_string(record.group));
        } else if (record.offset != end) {
          Add("personality table", i, recordAt,
              "the binary form starts at " + std::to_string(record.offset) + " in group " +
                  std::to_string(record.group) + "; the one before it ends at " +
                  std::to_string(end));
        }
        end = recordEnd;
        if (!inside) {
          Add("personality table", i, recordAt,
              "the binary form at " + std::to_string(record.offset) + " of " +
                  Bytes(record.length) + " runs past the " + Bytes(data.size()) + " of group " +
                  std::to_string(record.group));
        } else if (overlapped) {
          view.access = RecordAccess::Overlapping;
        } else if (record.length > kPersonalityWorkBufferSize) {
          // A walk keeps every line it reads: it is given no more than a build writes.
          Add("personality table", i, recordAt,
              "the binary form of " + Bytes(record.length) + " is longer than the " +
                  Bytes(kPersonalityWorkBufferSize) + " a binary form is built in");
          view.access = RecordAccess::TooLong;
        } else if (record.length > 0) {
          view.summary =
              SummarizePersonalityRecord(std::span(data).subspan(record.offset, record.length));
          if (const auto& fault = view.summary->fault) {
            Add("personality record", i, record.offset + fault->offset,
                fault->field + ": " + fault->message, OffsetSpace::GroupData, record.group);
          }
          view.access = RecordAccess::Walked;
        }
      }
      cache_.personalities.push_back(std::move(view));
    }
    for (const GroupBlock& block : cache_.groups) {
      const auto usable = usable_.find(block.number);
      if (usable == usable_.end() || !usable->second) continue;
      const std::uint64_t used = groupEnds[block.number];
      if (used < block.unit->data.size()) {
        Add("group block", static_cast<std::size_t>(block.number), used,
            Bytes(block.unit->data.size() - used) + " of the group's data belong to no personality",
            OffsetSpace::GroupData, block.number);
      }
    }
  }

  std::span<const std::uint8_t> file_;
  InspectReport& report_;
  ExtendedReport& cache_;
  std::map<int, bool> usable_;  // groups whose data decoded whole with a matching sum
};

}  // namespace

void InspectExtendedCache(std::span<const std::uint8_t> file, InspectReport& report) {
  ExtendedInspection(file, report).Run();
}

}  // namespace hoardwright::inspect
