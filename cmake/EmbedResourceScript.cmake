# Script mode: INPUT, OUTPUT, SYMBOL. Writes the bytes of INPUT as a std::span-returning function.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}
"// Generated from ${INPUT}; do not edit.\n"
"#include <cstddef>\n#include <cstdint>\n#include <span>\n\n"
"namespace hoardwright::support {\n"
"namespace {\nconst std::uint8_t kBytes[${size} + 1] = {\n${bytes}\n0};\n}  // namespace\n"
"std::span<const std::uint8_t> ${SYMBOL}() { return {kBytes, ${size}}; }\n"
"}  // namespace hoardwright::support\n")
