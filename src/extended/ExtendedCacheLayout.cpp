#include "extended/ExtendedCacheLayout.h"

#include <algorithm>

#include "extended/ByteOrder.h"

namespace hoardwright::extended {
namespace {

// Field offsets inside the info record.
constexpr std::size_t kInfoDate = 0;
constexpr std::size_t kInfoTime = 2;
constexpr std::size_t kInfoAuthor = 4;
constexpr std::size_t kInfoManufacturerCount = 54;
constexpr std::size_t kInfoPersonalityCount = 56;
constexpr std::size_t kInfoConstantAField = 58;
constexpr std::size_t kInfoConstantBField = 60;

// Field offsets inside a personality record.
constexpr std::size_t kRecordManufacturer = 0;
constexpr std::size_t kRecordFixtureName = kFixtureNameOffset;
constexpr std::size_t kRecordDeviceName = kDeviceNameOffset;  // 33
constexpr std::size_t kRecordGroup = kRecordDeviceName + kDeviceNameFieldSize;         // 45
constexpr std::size_t kRecordOffset = kRecordGroup + 1;                                // 46
constexpr std::size_t kRecordLength = kRecordOffset + 4;                               // 50
static_assert(kRecordLength + 4 == kPersonalityRecordSize);
static_assert(kInfoConstantBField + 2 == kInfoRecordSize);
static_assert(kInfoAuthor + kAuthorFieldSize == kInfoManufacturerCount);

}  // namespace

void SetTextField(std::span<std::uint8_t> field, std::string_view text) {
  std::ranges::fill(field, std::uint8_t{0});
  if (field.empty()) return;
  const std::size_t length = std::min(text.size(), field.size() - 1);
  std::copy_n(text.begin(), length, field.begin());
}

std::string TextField(std::span<const std::uint8_t> field) {
  const auto end = std::ranges::find(field, std::uint8_t{0});
  return std::string(field.begin(), end);
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader() {
  std::array<std::uint8_t, kHeaderSize> bytes{};
  std::ranges::copy(kMagic, bytes.begin());
  StoreBigEndian16At(bytes, kVersionOffset, kFormatVersion);
  return bytes;
}

std::optional<std::uint16_t> DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes) {
  if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) return std::nullopt;
  return LoadBigEndian16At(bytes, kVersionOffset);
}

std::array<std::uint8_t, kOffsetTableSize> EncodeOffsetTable(const OffsetTable& table) {
  std::array<std::uint8_t, kOffsetTableSize> bytes{};
  for (std::size_t slot = 0; slot < kOffsetSlotCount; ++slot) {
    StoreBigEndian32At(bytes, 4 * slot, table[slot]);
  }
  return bytes;
}

OffsetTable DecodeOffsetTable(std::span<const std::uint8_t, kOffsetTableSize> bytes) {
  OffsetTable table{};
  for (std::size_t slot = 0; slot < kOffsetSlotCount; ++slot) {
    table[slot] = LoadBigEndian32At(bytes, 4 * slot);
  }
  return table;
}

CacheInfoRecord MakeInfoRecord(std::uint16_t msDosDate, std::uint16_t msDosTime,
                               int manufacturerCount, int personalityCount) {
  CacheInfoRecord record;
  record.date = msDosDate;
  record.time = msDosTime;
  SetTextField(record.author, kAuthorText);
  record.manufacturerCount = static_cast<std::uint16_t>(manufacturerCount);
  record.personalityCount = static_cast<std::uint16_t>(personalityCount);
  record.constantA = kInfoConstantA;
  record.constantB = kInfoConstantB;
  return record;
}

std::array<std::uint8_t, kInfoRecordSize> EncodeInfoRecord(const CacheInfoRecord& record) {
  std::array<std::uint8_t, kInfoRecordSize> bytes{};
  StoreBigEndian16At(bytes, kInfoDate, record.date);
  StoreBigEndian16At(bytes, kInfoTime, record.time);
  std::ranges::copy(record.author, bytes.begin() + kInfoAuthor);
  StoreBigEndian16At(bytes, kInfoManufacturerCount, record.manufacturerCount);
  StoreBigEndian16At(bytes, kInfoPersonalityCount, record.personalityCount);
  StoreBigEndian16At(bytes, kInfoConstantAField, record.constantA);
  StoreBigEndian16At(bytes, kInfoConstantBField, record.constantB);
  return bytes;
}

CacheInfoRecord DecodeInfoRecord(std::span<const std::uint8_t, kInfoRecordSize> bytes) {
  CacheInfoRecord record;
  record.date = LoadBigEndian16At(bytes, kInfoDate);
  record.time = LoadBigEndian16At(bytes, kInfoTime);
  std::copy_n(bytes.begin() + kInfoAuthor, kAuthorFieldSize, record.author.begin());
  record.manufacturerCount = LoadBigEndian16At(bytes, kInfoManufacturerCount);
  record.personalityCount = LoadBigEndian16At(bytes, kInfoPersonalityCount);
  record.constantA = LoadBigEndian16At(bytes, kInfoConstantAField);
  record.constantB = LoadBigEndian16At(bytes, kInfoConstantBField);
  return record;
}

std::array<std::uint8_t, kManufacturerRecordSize> EncodeManufacturerRecord(
    const ManufacturerRecord& record) {
  return record.name;
}

ManufacturerRecord DecodeManufacturerRecord(
    std::span<const std::uint8_t, kManufacturerRecordSize> bytes) {
  ManufacturerRecord record;
  std::ranges::copy(bytes, record.name.begin());
  return record;
}

std::array<std::uint8_t, kPersonalityRecordSize> EncodePersonalityRecord(
    const PersonalityRecord& record) {
  std::array<std::uint8_t, kPersonalityRecordSize> bytes{};
  StoreBigEndian16At(bytes, kRecordManufacturer, record.manufacturerIndex);
  std::ranges::copy(record.fixtureName, bytes.begin() + kRecordFixtureName);
  std::ranges::copy(record.deviceName, bytes.begin() + kRecordDeviceName);
  bytes[kRecordGroup] = record.group;
  StoreBigEndian32At(bytes, kRecordOffset, record.offset);
  StoreBigEndian32At(bytes, kRecordLength, record.length);
  return bytes;
}

PersonalityRecord DecodePersonalityRecord(
    std::span<const std::uint8_t, kPersonalityRecordSize> bytes) {
  PersonalityRecord record;
  record.manufacturerIndex = LoadBigEndian16At(bytes, kRecordManufacturer);
  std::copy_n(bytes.begin() + kRecordFixtureName, kFixtureNameFieldSize,
              record.fixtureName.begin());
  std::copy_n(bytes.begin() + kRecordDeviceName, kDeviceNameFieldSize, record.deviceName.begin());
  record.group = bytes[kRecordGroup];
  record.offset = LoadBigEndian32At(bytes, kRecordOffset);
  record.length = LoadBigEndian32At(bytes, kRecordLength);
  return record;
}

}  // namespace hoardwright::extended
