#pragma once
// Small text helpers for what inspect and check print.
#include <cstdint>
#include <string>
#include <string_view>

namespace hoardwright::inspect {

// "0x1F", "0x0012AB34".
std::string HexByte(std::uint8_t value);
std::string HexWord32(std::uint32_t value);

// The text with control characters and bytes above 0x7E shown as escapes (\r, \n, \t, \xHH), so
// that a line of a record prints on one line and a damaged byte is visible.
std::string Escaped(std::string_view text);
void AppendEscaped(std::string& out, std::string_view text);
// The same for a path or a message naming one: on Windows a backslash is the separator (no file
// name holds one), so it stays single there and a path reads as the user typed it.
std::string EscapedPath(std::string_view text);

// Text from personalities and caches is 8-bit and need not be UTF-8; for a JSON document each
// byte becomes one code point (Latin-1), so the document is always valid and the bytes can be
// recovered.
std::string Latin1(std::string_view text);

// Paths are bytes from the file system, not personality text. For a JSON document a path's UTF-8
// characters stay as they are; each byte that is not part of a UTF-8 character, and each "%",
// becomes "%XX" (two upper-case hex digits), so the bytes come back by undoing every %XX.
std::string PathJson(std::string_view path);

// A path for a line of text on a terminal: its UTF-8 characters as they are, control characters
// and bytes that are not UTF-8 as \xHH.
std::string PathText(std::string_view path);

}  // namespace hoardwright::inspect
