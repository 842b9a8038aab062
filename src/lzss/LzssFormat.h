#pragma once
// The fixed shape of the coder's bit stream: a 4096-byte window addressed by 12-bit positions,
// copies of 2 .. 17 bytes sent as 4-bit lengths, and position 0 marking the end of the stream.
#include <cstddef>
#include <cstdint>

namespace hoardwright::lzss {

inline constexpr int kPositionBits = 12;
inline constexpr int kLengthBits = 4;
inline constexpr int kWindowSize = 1 << kPositionBits;  // 4096
inline constexpr int kWindowMask = kWindowSize - 1;
// Copies of this many bytes or fewer cost more than literals and are sent as literals.
inline constexpr int kBreakEven = 1;
inline constexpr int kLookAheadSize = (1 << kLengthBits) + kBreakEven;  // 17
inline constexpr int kEndOfStream = 0;
// Window position of the first input byte.
inline constexpr int kStartPosition = 1;
// Size of the sum that starts every compressed unit.
inline constexpr std::size_t kUnitSumSize = 4;

inline constexpr int WrapPosition(int position) {
  return position & kWindowMask;
}

}  // namespace hoardwright::lzss
