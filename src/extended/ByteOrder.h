#pragma once
// Every multi-byte integer of the extended cache is stored most significant byte first, whatever
// the byte order of the machine. These helpers are the only way the container's numbers reach or
// leave their bytes; nothing copies a native integer into the file.
#include <cstddef>
#include <cstdint>
#include <span>

namespace hoardwright::extended {

inline void StoreBigEndian16(std::span<std::uint8_t, 2> bytes, std::uint16_t value) {
  bytes[0] = static_cast<std::uint8_t>(value >> 8);
  bytes[1] = static_cast<std::uint8_t>(value);
}

inline void StoreBigEndian32(std::span<std::uint8_t, 4> bytes, std::uint32_t value) {
  bytes[0] = static_cast<std::uint8_t>(value >> 24);
  bytes[1] = static_cast<std::uint8_t>(value >> 16);
  bytes[2] = static_cast<std::uint8_t>(value >> 8);
  bytes[3] = static_cast<std::uint8_t>(value);
}

inline std::uint16_t LoadBigEndian16(std::span<const std::uint8_t, 2> bytes) {
  return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline std::uint32_t LoadBigEndian32(std::span<const std::uint8_t, 4> bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// The same at a byte offset inside a larger record; the caller guarantees the room.
inline void StoreBigEndian16At(std::span<std::uint8_t> bytes, std::size_t offset,
                               std::uint16_t value) {
  StoreBigEndian16(bytes.subspan(offset).first<2>(), value);
}
inline void StoreBigEndian32At(std::span<std::uint8_t> bytes, std::size_t offset,
                               std::uint32_t value) {
  StoreBigEndian32(bytes.subspan(offset).first<4>(), value);
}
inline std::uint16_t LoadBigEndian16At(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return LoadBigEndian16(bytes.subspan(offset).first<2>());
}
inline std::uint32_t LoadBigEndian32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return LoadBigEndian32(bytes.subspan(offset).first<4>());
}

}  // namespace hoardwright::extended
