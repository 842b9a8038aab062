#pragma once
// The byte layout of the extended cache file: one place for every offset, size, record layout and
// constant, with an encoder and a decoder for each part, so that the writer and anything that
// reads a file back agree by construction. All multi-byte numbers are big-endian; text fields are
// fixed-width, NUL-terminated and NUL-filled.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hoardwright::extended {

// Header: the magic, twelve zero bytes, the format version.
inline constexpr std::string_view kMagic = "QenCache";
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kHeaderSize = 22;
inline constexpr std::size_t kVersionOffset = 20;

// Offset table: 30 absolute file offsets right after the header.
inline constexpr std::size_t kOffsetSlotCount = 30;
inline constexpr std::size_t kOffsetTableOffset = kHeaderSize;
inline constexpr std::size_t kOffsetTableSize = 4 * kOffsetSlotCount;
inline constexpr std::size_t kInfoSlot = 0;
inline constexpr std::size_t kManufacturerSlot = 1;
inline constexpr std::size_t kPersonalitySlot = 2;
inline constexpr std::size_t kShapeSlot = 3;
// Slot 4 points just past the shape block, where the first group block starts; slot g holds the
// block of group g; slot G + 5 holds the file length.
inline constexpr std::size_t kGroupsStartSlot = 4;

// Info record.
inline constexpr std::size_t kInfoRecordOffset = kOffsetTableOffset + kOffsetTableSize;  // 142
inline constexpr std::size_t kInfoRecordSize = 62;
inline constexpr std::size_t kAuthorFieldSize = 50;
inline constexpr std::string_view kAuthorText = "Pellorin Vax";
inline constexpr std::uint16_t kInfoConstantA = 4;
inline constexpr std::uint16_t kInfoConstantB = 12;

// Manufacturer table, then a pad byte when the count is odd so the personality table is even.
inline constexpr std::size_t kManufacturerTableOffset = kInfoRecordOffset + kInfoRecordSize;  // 204
inline constexpr std::size_t kManufacturerRecordSize = 21;
inline constexpr std::size_t kManufacturerNameLength = kManufacturerRecordSize - 1;
inline constexpr int kMaxManufacturers = 300;
inline constexpr std::uint8_t kPadByte = 0x30;

// Personality table.
inline constexpr std::size_t kPersonalityRecordSize = 54;
inline constexpr std::size_t kFixtureNameFieldSize = 31;
inline constexpr std::size_t kDeviceNameFieldSize = 12;
inline constexpr std::size_t kFixtureNameLength = kFixtureNameFieldSize - 1;
inline constexpr std::size_t kRecordDeviceNameLength = kDeviceNameFieldSize - 1;
// Where the two text fields lie in a personality record (after the manufacturer index).
inline constexpr std::size_t kFixtureNameOffset = 2;
inline constexpr std::size_t kDeviceNameOffset = kFixtureNameOffset + kFixtureNameFieldSize;
inline constexpr int kMaxExtendedPersonalities = 2000;
inline constexpr std::uint16_t kNoManufacturer = 0xFFFF;

// Groups: 101 personalities per compressed block, numbered from 5.
inline constexpr int kFirstGroup = 5;
inline constexpr int kGroupSize = 101;

// Shape block: the uncompressed length, then the compressed unit.
inline constexpr std::size_t kShapeLengthSize = 4;

using OffsetTable = std::array<std::uint32_t, kOffsetSlotCount>;

struct CacheInfoRecord {
  std::uint16_t date = 0;  // MS-DOS date
  std::uint16_t time = 0;  // MS-DOS time
  std::array<std::uint8_t, kAuthorFieldSize> author{};
  std::uint16_t manufacturerCount = 0;
  std::uint16_t personalityCount = 0;
  std::uint16_t constantA = 0;
  std::uint16_t constantB = 0;
  bool operator==(const CacheInfoRecord&) const = default;
};

struct ManufacturerRecord {
  std::array<std::uint8_t, kManufacturerRecordSize> name{};
  bool operator==(const ManufacturerRecord&) const = default;
};

struct PersonalityRecord {
  std::uint16_t manufacturerIndex = 0;
  std::array<std::uint8_t, kFixtureNameFieldSize> fixtureName{};
  std::array<std::uint8_t, kDeviceNameFieldSize> deviceName{};
  std::uint8_t group = 0;
  std::uint32_t offset = 0;  // within the uncompressed data of its group block
  std::uint32_t length = 0;  // 0 when the personality has no binary form
  bool operator==(const PersonalityRecord&) const = default;
};

// Fixed-width text fields: at most (width - 1) characters, then NUL up to the width.
void SetTextField(std::span<std::uint8_t> field, std::string_view text);
// The text up to the first NUL (or the whole field when it has none).
std::string TextField(std::span<const std::uint8_t> field);

// G: the group counter after assigning n personalities, 5 + n / 101.
constexpr int GroupCounter(int personalityCount) {
  return kFirstGroup + personalityCount / kGroupSize;
}
// The slot that holds the file length.
constexpr std::size_t FileLengthSlot(int groupCounter) {
  return static_cast<std::size_t>(groupCounter) + 5;
}
// Offset of the personality table for a manufacturer count (pad byte included).
constexpr std::size_t PersonalityTableOffset(int manufacturerCount) {
  const auto count = static_cast<std::size_t>(manufacturerCount);
  return kManufacturerTableOffset + kManufacturerRecordSize * count + (count % 2);
}

std::array<std::uint8_t, kHeaderSize> EncodeHeader();
// The version when the bytes start with the magic, nullopt otherwise.
std::optional<std::uint16_t> DecodeHeader(std::span<const std::uint8_t, kHeaderSize> bytes);

std::array<std::uint8_t, kOffsetTableSize> EncodeOffsetTable(const OffsetTable& table);
OffsetTable DecodeOffsetTable(std::span<const std::uint8_t, kOffsetTableSize> bytes);

// A filled info record with the author text and the two constants.
CacheInfoRecord MakeInfoRecord(std::uint16_t msDosDate, std::uint16_t msDosTime,
                               int manufacturerCount, int personalityCount);
std::array<std::uint8_t, kInfoRecordSize> EncodeInfoRecord(const CacheInfoRecord& record);
CacheInfoRecord DecodeInfoRecord(std::span<const std::uint8_t, kInfoRecordSize> bytes);

std::array<std::uint8_t, kManufacturerRecordSize> EncodeManufacturerRecord(
    const ManufacturerRecord& record);
ManufacturerRecord DecodeManufacturerRecord(
    std::span<const std::uint8_t, kManufacturerRecordSize> bytes);

std::array<std::uint8_t, kPersonalityRecordSize> EncodePersonalityRecord(
    const PersonalityRecord& record);
PersonalityRecord DecodePersonalityRecord(
    std::span<const std::uint8_t, kPersonalityRecordSize> bytes);

}  // namespace hoardwright::extended
