#pragma once
// The byte layout of a standard cache file, in one place for the writer and for every reader:
//
//   0            4  uncompressed stream length - 1   (big-endian)
//   4            2  shape block length - 1           (big-endian)
//   6            2  N, the number of index records   (big-endian)
//   8       90 x N  index records
//   8 + 90N      4  byte sum of the uncompressed stream (little-endian)
//   12 + 90N   ...  LZSS bit stream of the uncompressed stream
//
// The uncompressed stream is the shape block followed by the personality blocks in index order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hoardwright::standard {

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kIndexRecordSize = 90;
inline constexpr std::size_t kSumSize = 4;

// Offsets inside the header.
inline constexpr std::size_t kStreamLengthOffset = 0;
inline constexpr std::size_t kShapeLengthOffset = 4;
inline constexpr std::size_t kRecordCountOffset = 6;

// Offsets inside an index record.
inline constexpr std::size_t kCodeOffset = 0;
inline constexpr std::size_t kCodeSize = 2;
inline constexpr std::size_t kDeviceOffset = 2;
inline constexpr std::size_t kDeviceFieldSize = 82;  // at most 80 characters, a NUL, then zeros
inline constexpr std::size_t kMaxDeviceTextLength = 80;
inline constexpr std::size_t kBlockOffsetOffset = 84;
inline constexpr std::size_t kBlockLengthOffset = 88;

// A build takes at most this many cache-list entries (plus the info personality).
inline constexpr std::size_t kMaxEntries = 5000;
inline constexpr std::size_t kMaxIndexRecords = kMaxEntries + 1;
// The header counts the index records in 16 bits.
static_assert(kMaxIndexRecords <= 0xFFFF);
// Every compiled block is built in a buffer of this size.
inline constexpr std::size_t kBlockBufferSize = 100'000;
// What the 16-bit length fields can describe.
inline constexpr std::size_t kMaxBlockLength = 0xFFFF;
// The stream's length and every block's offset fit their 32-bit fields: a shape block of at most
// 65,536 bytes and at most kMaxIndexRecords blocks of at most kMaxBlockLength bytes.
static_assert((kMaxBlockLength + 1) * (kMaxIndexRecords + 1) <= 0xFFFFFFFF);

struct Header {
  std::uint32_t streamLengthMinus1 = 0;
  std::uint16_t shapeLengthMinus1 = 0;
  std::uint16_t recordCount = 0;
  bool operator==(const Header&) const = default;
};

struct IndexRecord {
  std::string code;        // the first (at most) two characters of the file's name
  std::string deviceText;  // at most 80 characters
  std::uint32_t blockOffset = 0;
  std::uint16_t blockLength = 0;
  bool operator==(const IndexRecord&) const = default;
};

using HeaderBytes = std::array<std::uint8_t, kHeaderSize>;
using IndexRecordBytes = std::array<std::uint8_t, kIndexRecordSize>;

HeaderBytes EncodeHeader(const Header& header);
// nullopt when fewer than kHeaderSize bytes are given.
std::optional<Header> DecodeHeader(std::span<const std::uint8_t> bytes);

// Unused bytes of the code and device fields are 0.
IndexRecordBytes EncodeIndexRecord(const IndexRecord& record);
// nullopt when fewer than kIndexRecordSize bytes are given. The device text ends at its NUL (or
// after 82 bytes when there is none).
std::optional<IndexRecord> DecodeIndexRecord(std::span<const std::uint8_t> bytes);

// The first two characters of the name after the last separator of a path (the whole path when it
// has none); fewer when the name is shorter.
std::string CodeForPath(std::string_view path);

// Where the sum and the compressed stream begin in a file with `recordCount` records.
constexpr std::size_t SumOffset(std::size_t recordCount) {
  return kHeaderSize + kIndexRecordSize * recordCount;
}
constexpr std::size_t CompressedStreamOffset(std::size_t recordCount) {
  return SumOffset(recordCount) + kSumSize;
}

}  // namespace hoardwright::standard
