#pragma once
// Decimal and hexadecimal conversion over a bounded line, as the C library's strtol reads numbers:
// leading white space, an optional sign, digits ("0x" allowed before hexadecimal digits). Never
// reads past the end of the text. Overflow wraps, so the low bits that the encodings keep are
// those of the full value.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace hoardwright::personality {

struct Conversion {
  std::uint64_t value = 0;  // two's complement of the signed result; take the low bits
  std::size_t end = 0;      // position after the number; the start position when nothing converted
  bool converted = false;
};

Conversion ConvertDecimal(std::string_view text, std::size_t position);
Conversion ConvertHex(std::string_view text, std::size_t position);

inline bool IsDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}
// A blank in the readers' sense: the space and the tab.
inline bool IsBlankOrTab(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace hoardwright::personality
