#include "extended/ExtendedCache.h"

#include <algorithm>
#include <sstream>

#include "extended/ByteOrder.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "lzss/Lzss.h"
#include "personality/LineStream.h"
#include "support/InputFile.h"
#include "support/OrderedWork.h"
#include "support/Platform.h"

namespace hoardwright::extended {
namespace {

void Append(std::vector<std::uint8_t>& file, std::span<const std::uint8_t> bytes) {
  file.insert(file.end(), bytes.begin(), bytes.end());
}

}  // namespace

void AppendConvertedForm(const std::string& path, std::vector<std::uint8_t>& bytes,
                         support::Reporter& reporter) {
  auto input = personality::LineStream::Open(support::ToPath(path), personality::LineMode::Binary);
  if (input) AppendConvertedForm(*input, path, bytes, reporter);
}

void AppendConvertedForm(personality::LineStream& binary, const std::string& path,
                         std::vector<std::uint8_t>& bytes, support::Reporter& reporter) {
  personality::RecordRefusal refusal;
  if (!ConvertPersonality(binary, bytes, reporter, &refusal) && !refusal.reason.empty()) {
    reporter.ShowMessage("Error in file " + path + ": " + refusal.reason, path);
  }
}

CExtendedCache::CExtendedCache(std::ostream* console) : header_(EncodeHeader()), console_(console) {
  manufacturers_.reserve(kMaxManufacturers);
  personalities_.reserve(kMaxExtendedPersonalities);
}

CExtendedCache::~CExtendedCache() = default;

bool CExtendedCache::SetShapeFile(std::filesystem::path path) {
  shapeFile_ = std::move(path);
  return true;
}

bool CExtendedCache::AddPersonality(std::string_view manufacturer, std::string_view fixtureName,
                                    std::string_view deviceName, const std::string& path) {
  if (manufacturer.empty() || fixtureName.empty() || path.empty()) return false;
  if (PersonalityCount() >= kMaxExtendedPersonalities) return false;
  // Checked only to make sure it can be read when its group block is written; opening it would
  // hang on a FIFO.
  if (!support::InputFileRefusal(support::ToPath(path)).empty()) return false;

  PersonalityRecord record;
  const int index = FindOrAddManufacturer(manufacturer);
  record.manufacturerIndex = index < 0 ? kNoManufacturer : static_cast<std::uint16_t>(index);
  SetTextField(record.fixtureName, fixtureName);
  SetTextField(record.deviceName, deviceName);
  paths_[PersonalityCount()] = path;
  personalities_.push_back(record);
  return true;
}

int CExtendedCache::FindOrAddManufacturer(std::string_view name) {
  ManufacturerRecord candidate;
  SetTextField(candidate.name, name);
  const auto found = std::ranges::find(manufacturers_, candidate);
  if (found != manufacturers_.end()) {
    return static_cast<int>(found - manufacturers_.begin());
  }
  if (ManufacturerCount() >= kMaxManufacturers) return -1;
  manufacturers_.push_back(candidate);
  return ManufacturerCount() - 1;
}

void CExtendedCache::AssignGroups() {
  int group = kFirstGroup;
  int fill = 0;
  for (PersonalityRecord& record : personalities_) {
    record.group = static_cast<std::uint8_t>(group);
    if (++fill == kGroupSize) {
      ++group;
      fill = 0;
    }
  }
  groupCounter_ = group;
}

void CExtendedCache::WriteShapeBlock(std::vector<std::uint8_t>& file) {
  Append(file, ShapeBlock(console_));
}

std::vector<std::uint8_t> CExtendedCache::ShapeBlock(std::ostream* console) const {
  std::vector<std::uint8_t> block;
  std::optional<personality::LineStream> text;
  if (shapeText_) {
    text.emplace(*shapeText_, personality::LineMode::Binary);
  } else if (!shapeFile_.empty()) {
    text = personality::LineStream::Open(shapeFile_, personality::LineMode::Binary);
  }
  if (!text) return block;
  // A library that does not compile leaves the block with an empty compiled library.
  std::vector<std::uint8_t> compiled;
  CompileShapeLibrary(*text, compiled);
  std::array<std::uint8_t, kShapeLengthSize> length{};
  StoreBigEndian32(length, static_cast<std::uint32_t>(compiled.size()));
  Append(block, length);
  Append(block, lzss::CompressUnit(compiled, console));
  return block;
}

GroupData CExtendedCache::CollectGroupData(int group, support::Reporter& reporter) const {
  GroupData data;
  for (int i = 0; i < PersonalityCount(); ++i) {
    if (personalities_[i].group != group) continue;
    const auto start = static_cast<std::uint32_t>(data.bytes.size());
    // A file that can no longer be read, like one that does not convert, adds nothing and gets
    // length 0 where the next personality starts.
    const auto path = paths_.find(i);
    if (path != paths_.end()) {
      if (formSource_) {
        formSource_(path->second, data.bytes, reporter);
      } else {
        AppendConvertedForm(path->second, data.bytes, reporter);
      }
    }
    data.placements.push_back({i, start, static_cast<std::uint32_t>(data.bytes.size()) - start});
  }
  return data;
}

void CExtendedCache::PlaceGroup(const GroupData& data) {
  for (const GroupData::Placement& placement : data.placements) {
    personalities_.at(placement.record).offset = placement.offset;
    personalities_.at(placement.record).length = placement.length;
  }
}

void CExtendedCache::WriteGroupBlock(std::vector<std::uint8_t>& file, int group,
                                     support::Reporter& reporter) {
  const GroupData data = CollectGroupData(group, reporter);
  PlaceGroup(data);
  Append(file, lzss::CompressUnit(data.bytes, console_));
}

namespace {

// One block made on a worker thread, with what it would have shown while being made.
struct MadeBlock {
  std::vector<std::uint8_t> bytes;
  GroupData placements;  // group blocks only; its bytes are dropped once compressed
  std::vector<support::ReportedMessage> messages;
  std::string dots;
  bool cancelled = false;
};

}  // namespace

std::vector<std::uint8_t> CExtendedCache::ComposeCacheFile(const support::CalendarTime& time,
                                                           support::Reporter& reporter,
                                                           unsigned jobs) {
  std::vector<std::uint8_t> file;
  CacheSink sink(file);
  Compose(sink, time, reporter, jobs);
  return file;
}

std::optional<std::uint64_t> CExtendedCache::MeasureCacheFile(const support::CalendarTime& time,
                                                              support::Reporter& reporter,
                                                              unsigned jobs) {
  CacheSink counter;
  Compose(counter, time, reporter, jobs);
  if (support::Cancelled(cancel_)) return std::nullopt;
  return counter.Size();
}

bool CExtendedCache::Compose(CacheSink& file, const support::CalendarTime& time,
                             support::Reporter& reporter, unsigned jobs) {
  AssignGroups();
  offsets_ = {};
  bool written = file.Append(header_);
  // The offset table and the personality table are placeholders until the blocks are placed.
  written = written && file.Append(EncodeOffsetTable(offsets_));

  info_ = MakeInfoRecord(support::MsDosDate(time), support::MsDosTime(time), ManufacturerCount(),
                         PersonalityCount());
  offsets_[kInfoSlot] = file.Position();
  written = written && file.Append(EncodeInfoRecord(info_));

  offsets_[kManufacturerSlot] = file.Position();
  for (const ManufacturerRecord& record : manufacturers_) {
    written = written && file.Append(EncodeManufacturerRecord(record));
  }
  if (ManufacturerCount() % 2 != 0) {
    const std::uint8_t pad = kPadByte;
    written = written && file.Append(std::span(&pad, 1));
  }

  offsets_[kPersonalitySlot] = file.Position();
  std::vector<std::uint8_t> records(kPersonalityRecordSize * personalities_.size());
  written = written && file.Append(records);
  if (!written) return false;

  // Item 0 is the shape block, item k the group block of group kFirstGroup + k - 1. Each is
  // converted and compressed apart; they are placed, and their messages and dots shown, in order.
  const auto produce = [&](std::size_t item) {
    MadeBlock made;
    if (support::Cancelled(cancel_)) {
      made.cancelled = true;
      return made;
    }
    std::ostringstream dots;
    std::ostream* console = console_ != nullptr ? &dots : nullptr;
    if (item == 0) {
      made.bytes = ShapeBlock(console);
    } else {
      support::CollectingReporter messages;
      made.placements = CollectGroupData(kFirstGroup + static_cast<int>(item) - 1, messages);
      if (cancel_ == nullptr) {
        made.bytes = lzss::CompressUnit(made.placements.bytes, console);
      } else if (auto unit = lzss::CompressUnit(made.placements.bytes, console, *cancel_)) {
        made.bytes = std::move(*unit);
      } else {
        made.cancelled = true;
      }
      made.placements.bytes = {};
      made.messages = std::move(messages.messages);
    }
    made.dots = dots.str();
    return made;
  };
  const auto consume = [&](std::size_t item, MadeBlock& made) {
    if (made.cancelled || support::Cancelled(cancel_)) return false;
    for (const support::ReportedMessage& message : made.messages) {
      reporter.ShowMessage(message.text, message.caption);
    }
    if (console_ != nullptr) *console_ << made.dots;
    if (item == 0) {
      offsets_[kShapeSlot] = file.Position();
      if (!file.Append(made.bytes)) return false;
      offsets_[kGroupsStartSlot] = file.Position();
    } else {
      offsets_[static_cast<std::size_t>(kFirstGroup) + item - 1] = file.Position();
      PlaceGroup(made.placements);
      if (!file.Append(made.bytes)) return false;
    }
    return true;
  };
  const unsigned threads = support::EffectiveJobs(jobs);
  if (!support::RunInOrder<MadeBlock>(static_cast<std::size_t>(groupCounter_) + 1,
                             threads > 1 ? threads : 0, 2 * static_cast<std::size_t>(threads),
                             produce, consume)) {
    return false;
  }
  offsets_[FileLengthSlot(groupCounter_)] = file.Position();

  auto record = records.begin();
  for (const PersonalityRecord& personality : personalities_) {
    record = std::ranges::copy(EncodePersonalityRecord(personality), record).out;
  }
  return file.Overwrite(offsets_[kPersonalitySlot], records) &&
         file.Overwrite(kOffsetTableOffset, EncodeOffsetTable(offsets_));
}

CacheFileOutcome CExtendedCache::WriteCacheFile(const std::filesystem::path& path,
                                                const support::CalendarTime& time,
                                                support::Reporter& reporter, std::string* error,
                                                support::WriteFaults* faults, unsigned jobs) {
  // An output that cannot be created is found before any personality is converted.
  auto output = support::AtomicOutputFile::Create(path, error, faults);
  if (!output) return CacheFileOutcome::NotCreated;
  // The file is composed straight into the output, the tables filled in at the end; a device
  // written in place cannot be written over, so its file is composed in memory first.
  bool written;
  if (output->Seekable()) {
    CacheSink sink(output->File());
    written = Compose(sink, time, reporter, jobs);
  } else {
    const std::vector<std::uint8_t> file = ComposeCacheFile(time, reporter, jobs);
    if (support::Cancelled(cancel_)) return CacheFileOutcome::Cancelled;
    written = output->Write(file);
  }
  // Until the commit, the earlier file is untouched; a partial one goes with `output`.
  if (support::Cancelled(cancel_)) return CacheFileOutcome::Cancelled;
  if (!written) {
    if (error) *error = output->File().Error();
    return CacheFileOutcome::NotWritten;
  }
  return output->Commit(error) ? CacheFileOutcome::Written : CacheFileOutcome::NotWritten;
}

}  // namespace hoardwright::extended
