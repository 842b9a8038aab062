#pragma once
// Small text helpers for what inspect and check print.
#include <cstdint>
#include <string>
#include <string_view>

namespace hoardwright::examine {

// "0x1F", "0x0012AB34".
std::string HexByte(std::uint8_t value);
std::string HexWord32(std::uint32_t value);

// The text with control characters and bytes above 0x7E shown as escapes (\r, \n, \t, \xHH), so
// that a line of a record prints on one line and a damaged byte is visible.
std::string Escaped(std::string_view text);

// Text from personalities and caches is 8-bit and need not be UTF-8; for a JSON document each
// byte becomes one code point (Latin-1), so the document is always valid and the bytes can be
// recovered.
std::string Latin1(std::string_view text);

}  // namespace hoardwright::examine
