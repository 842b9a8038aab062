#include "inspect/TextFormat.h"

#include <algorithm>

namespace hoardwright::inspect {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

std::string HexDigits(std::uint32_t value, int digits) {
  std::string text = "0x";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    text.push_back(kDigits[(value >> shift) & 0xF]);
  return text;
}

void AppendHex(std::string& out, std::string_view prefix, unsigned char byte) {
  out += prefix;
  out.push_back(kDigits[byte >> 4]);
  out.push_back(kDigits[byte & 0xF]);
}

// The length of the well-formed UTF-8 character at `at` (no overlong forms, no surrogates,
// nothing past U+10FFFF), or 0 when the bytes there are not one.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string HexByte(std::uint8_t value) { return HexDigits(value, 2); }
std::string HexWord32(std::uint32_t value) { return HexDigits(value, 8); }

void AppendEscaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (byte < 0x20 || byte > 0x7E) {
      AppendHex(out, "\\x", byte);
    } else {
      out.push_back(c);
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendEscaped(out, text);
  return out;
}

std::string EscapedPath(std::string_view text) {
#ifdef _WIN32
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0;;) {
    const std::size_t separator = text.find('\\', at);
    AppendEscaped(out, text.substr(at, separator - at));
    if (separator == std::string_view::npos) return out;
    out.push_back('\\');
    at = separator + 1;
  }
#else
  return Escaped(text);
#endif
}

std::string Latin1(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return out;
}

std::string PathJson(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t length = Utf8Length(path, at);
    if (length == 0 || path[at] == '%') {
      AppendHex(out, "%", static_cast<unsigned char>(path[at]));
      ++at;
    } else {
      out.append(path.substr(at, length));
      at += length;
    }
  }
  return out;
}

std::string PathText(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t length = Utf8Length(path, at);
    const auto lead = static_cast<unsigned char>(path[at]);
    // C1 controls (U+0080 .. U+009F) act on a terminal as much as the C0 ones.
    const bool control =
        lead < 0x20 || lead == 0x7F ||
        (length == 2 && lead == 0xC2 && static_cast<unsigned char>(path[at + 1]) < 0xA0);
    if (length == 0 || control) {
      for (std::size_t i = 0; i < std::max<std::size_t>(length, 1); ++i) {
        AppendHex(out, "\\x", static_cast<unsigned char>(path[at + i]));
      }
      at += std::max<std::size_t>(length, 1);
    } else {
      out.append(path.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace hoardwright::inspect
