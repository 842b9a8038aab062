#pragma once
// A bounded reader over bytes that may be damaged: every read checks the room left first, and a
// read that does not fit returns nothing and leaves the position where it was. Nothing reads
// outside the span it was given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hoardwright::inspect {

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Position() const { return position_; }
  std::size_t Size() const { return bytes_.size(); }
  std::size_t Remaining() const { return bytes_.size() - position_; }
  bool AtEnd() const { return position_ >= bytes_.size(); }

  std::optional<std::uint8_t> Peek() const {
    if (AtEnd()) return std::nullopt;
    return bytes_[position_];
  }
  std::optional<std::uint8_t> Byte() {
    const auto byte = Peek();
    if (byte) ++position_;
    return byte;
  }
  // Most significant byte first.
  std::optional<std::uint16_t> Word() {
    if (Remaining() < 2) return std::nullopt;
    const auto value = static_cast<std::uint16_t>((bytes_[position_] << 8) | bytes_[position_ + 1]);
    position_ += 2;
    return value;
  }
  std::optional<std::span<const std::uint8_t>> Bytes(std::size_t count) {
    if (Remaining() < count) return std::nullopt;
    const auto bytes = bytes_.subspan(position_, count);
    position_ += count;
    return bytes;
  }
  // The characters up to a NUL, which is consumed; nothing when no NUL comes before the end.
  std::optional<std::string_view> Text() {
    if (AtEnd()) return std::nullopt;
    const auto* start = bytes_.data() + position_;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(start, 0, Remaining()));
    if (nul == nullptr) return std::nullopt;
    const auto length = static_cast<std::size_t>(nul - start);
    position_ += length + 1;
    return std::string_view(reinterpret_cast<const char*>(start), length);
  }
  std::optional<std::string> String() {
    const auto text = Text();
    if (!text) return std::nullopt;
    return std::string(*text);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

}  // namespace hoardwright::inspect
