#pragma once
// The keyword readers: each finds one keyword line or section of a personality, searching forward
// from the stream's position, and appends its byte encoding at the cursor. They return false when
// a reported keyword is missing, when a line is malformed, or when the encoding would not fit the
// cursor's buffer (nothing is then written past it; what was written stays for the caller to
// discard). A missing reported keyword shows "error - couldn't find keyword <keyword>".
#include <optional>
#include <string>

#include "personality/LineHelpers.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright::personality {

// The device text of the DEVICE line (at most 80 characters, to a double quote or the end of the
// line) and its NUL. "DEVICE" also matches a DEVICEADDRESS line.
bool ReadDevice(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter);

// The first and the second token of the NAME line (each at most 300 characters), or nullopt when
// there is no NAME line. The second is empty when the first reaches the end of the line. They
// return the token instead of leaving it at the cursor without moving it, which is what callers
// took from the buffer anyway.
std::optional<std::string> ReadNameFirst(LineStream& stream, support::Reporter& reporter);
std::optional<std::string> ReadNameSecond(LineStream& stream, support::Reporter& reporter);

// One byte: the second number of the TYPE line, or its first when it has one (0 when none).
bool ReadType(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter);

// Five bytes from the MIRROR line: a byte value and two word values. A missing MIRROR line is
// silent and writes nothing.
bool ReadMirror(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter);

// Three word values from the "MINDMX=", "MAXDMX=" and "DIVBY=" lines, searched in that order.
bool ReadDmxLimits(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter);

// The DMX channel table from the DMX line to a line starting with END: a count byte, then per
// channel line 12 bytes and its name (at most 12 characters) with its NUL.
bool ReadDmxTable(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter);

// For a channel line that ReadDmxTable refuses: the column (1 .. 13) at which the line ends too
// early (column 10 when the name has no closing quote), or 0 when the line reads whole.
int ChannelLineFaultColumn(std::string_view line);

enum class SectionMode {
  // One section, without its keyword lines; a missing start keyword is reported.
  Section,
  // One block of a repeated family: a separator 0xFF unless the byte before is already 0xFF, and
  // the first and last lines kept as read. A missing start keyword is silent (the family ended).
  Block,
};

// A counted list of the section's lines as strings, each body line cut to `limit` + 1 characters
// and without its newline.
bool ReadTextSection(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter,
                     std::string_view start, std::string_view end, std::size_t limit,
                     SectionMode mode);

// As ReadTextSection, with runs of blanks and tabs collapsed and ";" comments removed.
bool ReadCompactBlock(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter,
                      std::string_view start, std::string_view end, std::size_t limit,
                      SectionMode mode);

// The compacting of a block line: from the second character on, the first ";" ends the line and
// every run of blanks and tabs shrinks to its last character.
std::string CompactLine(std::string_view line);

// The index of the preset focus (0xFE) and macro (0xFD) tables in the rest of the stream, then
// 0xFF. Returns false, without the closing 0xFF, on a preset focus row whose name reaches the end
// of its line.
bool WriteTableIndex(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter,
                     bool excludePresetFocus, bool excludeMacros);

}  // namespace hoardwright::personality
