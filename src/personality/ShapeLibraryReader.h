#pragma once
// Compiles the shape library text: each PATTERN block becomes 0xFE, the first row's value count,
// the value count of all rows, the name, the values as 16-bit big-endian words and 0x00 ("PEND")
// or 0x01 ("PEND16"); each SHAPE block becomes 0xFD, the step line count, the shape name, the
// pattern name and eight bytes per step line; 0xFF ends the library.
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright::personality {

// Appends the compiled library at the cursor. A step line with fewer than eight numbers shows
// "error reading shape file" and returns false, leaving the library without its end byte; a
// library that does not fit the cursor's buffer returns false without a message.
bool ReadShapeLibrary(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter);

}  // namespace hoardwright::personality
