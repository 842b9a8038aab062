#include "personality/NumberConversion.h"

namespace hoardwright::personality {
namespace {

// White space as the C locale's isspace sees it.
bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c, int base) {
  int digit = -1;
  if (c >= '0' && c <= '9') {
    digit = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    digit = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    digit = c - 'A' + 10;
  }
  return digit < base ? digit : -1;
}

Conversion Convert(std::string_view text, std::size_t position, int base) {
  Conversion result;
  result.end = position;
  std::size_t i = position;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // "0x" counts as a prefix only when a hexadecimal digit follows; otherwise the "0" is the number.
  if (base == 16 && i + 2 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2], 16) >= 0) {
    i += 2;
  }
  std::uint64_t value = 0;
  const std::size_t digitsStart = i;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
  }
  if (i == digitsStart) return result;
  result.value = negative ? 0 - value : value;
  result.end = i;
  result.converted = true;
  return result;
}

}  // namespace

Conversion ConvertDecimal(std::string_view text, std::size_t position) {
  return Convert(text, position, 10);
}

Conversion ConvertHex(std::string_view text, std::size_t position) {
  return Convert(text, position, 16);
}

}  // namespace hoardwright::personality
