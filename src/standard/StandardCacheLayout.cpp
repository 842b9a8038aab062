#include "standard/StandardCacheLayout.h"

#include <algorithm>

#include "support/DirectoryText.h"

namespace hoardwright::standard {
namespace {

void PutBigEndian(std::span<std::uint8_t> out, std::uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    out[i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
  }
}

std::uint32_t GetBigEndian(std::span<const std::uint8_t> in, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < width; ++i) value = (value << 8) | in[i];
  return value;
}

}  // namespace

HeaderBytes EncodeHeader(const Header& header) {
  HeaderBytes bytes{};
  PutBigEndian(std::span(bytes).subspan(kStreamLengthOffset), header.streamLengthMinus1, 4);
  PutBigEndian(std::span(bytes).subspan(kShapeLengthOffset), header.shapeLengthMinus1, 2);
  PutBigEndian(std::span(bytes).subspan(kRecordCountOffset), header.recordCount, 2);
  return bytes;
}

std::optional<Header> DecodeHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kHeaderSize) return std::nullopt;
  Header header;
  header.streamLengthMinus1 = GetBigEndian(bytes.subspan(kStreamLengthOffset), 4);
  header.shapeLengthMinus1 =
      static_cast<std::uint16_t>(GetBigEndian(bytes.subspan(kShapeLengthOffset), 2));
  header.recordCount =
      static_cast<std::uint16_t>(GetBigEndian(bytes.subspan(kRecordCountOffset), 2));
  return header;
}

IndexRecordBytes EncodeIndexRecord(const IndexRecord& record) {
  IndexRecordBytes bytes{};
  const std::size_t codeLength = std::min(record.code.size(), kCodeSize);
  std::copy_n(record.code.begin(), codeLength, bytes.begin() + kCodeOffset);
  // The NUL and the rest of the field stay 0.
  const std::size_t deviceLength = std::min(record.deviceText.size(), kMaxDeviceTextLength);
  std::copy_n(record.deviceText.begin(), deviceLength, bytes.begin() + kDeviceOffset);
  PutBigEndian(std::span(bytes).subspan(kBlockOffsetOffset), record.blockOffset, 4);
  PutBigEndian(std::span(bytes).subspan(kBlockLengthOffset), record.blockLength, 2);
  return bytes;
}

std::optional<IndexRecord> DecodeIndexRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kIndexRecordSize) return std::nullopt;
  IndexRecord record;
  const auto code = bytes.subspan(kCodeOffset, kCodeSize);
  const auto codeEnd = std::ranges::find(code, std::uint8_t{0});
  record.code.assign(code.begin(), codeEnd);
  const auto device = bytes.subspan(kDeviceOffset, kDeviceFieldSize);
  const auto deviceEnd = std::ranges::find(device, std::uint8_t{0});
  record.deviceText.assign(device.begin(), deviceEnd);
  record.blockOffset = GetBigEndian(bytes.subspan(kBlockOffsetOffset), 4);
  record.blockLength =
      static_cast<std::uint16_t>(GetBigEndian(bytes.subspan(kBlockLengthOffset), 2));
  return record;
}

std::string CodeForPath(std::string_view path) {
  const std::size_t slash = path.find_last_of(support::kDirectorySeparators);
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  return std::string(name.substr(0, kCodeSize));
}

}  // namespace hoardwright::standard
