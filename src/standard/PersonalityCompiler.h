#pragma once
// The compiled personality record of the standard cache: the keyword readers' encodings in a
// fixed order, with the optional table families kept or dropped by the three table options.
#include <cstddef>

#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright::standard {

// The "Tables Included in Cache" check boxes.
struct TableOptions {
  bool includePresetFocus = true;
  bool includeRangeTables = true;
  bool includeMacros = true;
};

// Compiles the personality whose DEVICE line has just been read from `stream` into a record at
// `cursor`. Returns false when a required section is missing or malformed (the reader has shown
// its message, if it has one), or when the record cannot be represented: a count past its byte,
// a record that does not fit the cursor's buffer or is longer than the 65,535 bytes an index
// record can describe (cursor.Refusal() then says why). The bytes already written are then to be
// discarded. The stream is left just after the TYPE line.
bool CompilePersonality(personality::LineStream& stream, personality::OutputCursor& cursor,
                        const TableOptions& options, support::Reporter& reporter);

}  // namespace hoardwright::standard
