#pragma once
// Explains, line by line, what the record compilers make of a personality: the keyword readers
// are called in the compilers' order on the same stream, and the stream's position before and
// after each call tells which lines a reader took. The compilers themselves decide whether a
// personality is built; this walk says why not, and what it took that the author may not expect.
#include <cstddef>
#include <string>
#include <vector>

#include "personality/LineStream.h"

namespace hoardwright::check {

struct Finding {
  enum class Severity { LeftOut, Warning };
  Severity severity = Severity::Warning;
  std::size_t line = 0;    // 1-based; 0 when the finding concerns no single line
  std::size_t column = 0;  // the DMX column (1 .. 13) of a malformed channel line, else 0
  std::string message;
  bool operator==(const Finding&) const = default;
};

// The message that names a missing keyword: "missing keyword TYPE".
std::string MissingKeywordMessage(std::string_view keyword);

// Walks the record from `start` (the standard build starts after the DEVICE line, the extended
// build at the file's start). `tableIndexEntries` is whether the table index holds preset focus
// and macro entries (the standard build's; the extended build writes none).
std::vector<Finding> DiagnoseRecord(personality::LineStream& stream, std::size_t start,
                                    bool tableIndexEntries);

}  // namespace hoardwright::check
