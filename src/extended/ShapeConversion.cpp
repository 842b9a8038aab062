#include "extended/ShapeConversion.h"

#include <new>
#include <string_view>

#include "personality/CompiledLayout.h"
#include "personality/LineHelpers.h"
#include "personality/OutputCursor.h"

namespace hoardwright::extended {
namespace {

using personality::compiled::kEndedByPend;
using personality::compiled::kEndedByPend16;
using personality::compiled::kLibraryEnd;
using personality::compiled::kPatternTag;
using personality::compiled::kShapeTag;
constexpr std::size_t kPatternNameLimit = 12;
constexpr std::size_t kShapeNameLimit = 34;
using personality::compiled::kStepValues;

enum class Outcome { Done, TextEnded, Failed };

// The lines after a PATTERN line up to PEND16 or PEND: rows of hexadecimal words.
Outcome CompilePattern(personality::LineStream& input, std::string_view header,
                       personality::OutputCursor& cursor) {
  const std::size_t countsAt = cursor.Position() + 1;
  if (!cursor.PutByte(kPatternTag) || !cursor.PutByte(0) || !cursor.PutByte(0)) {
    return Outcome::Failed;
  }
  if (!cursor.PutString(personality::CopyToken(header, 7, kPatternNameLimit).text))
    return Outcome::Failed;

  std::uint8_t columns = 0;
  std::uint8_t values = 0;
  bool firstRow = true;
  std::string_view line;
  while (input.ReadLine(line)) {
    // A line starting with PEND ends the pattern; PEND16 marks it as 16-bit.
    if (personality::StartsWith(line, "PEND")) {
      const bool pend16 = personality::StartsWith(line, "PEND16");
      return cursor.PutByte(pend16 ? kEndedByPend16 : kEndedByPend) ? Outcome::Done
                                                                    : Outcome::Failed;
    }
    std::size_t position = 0;
    for (;;) {
      const personality::WordValue word = personality::ReadHexWord(line, position);
      if (word.endOfLine) break;
      if (!cursor.PutWord(word.value)) return Outcome::Failed;
      ++values;
      if (firstRow) ++columns;
      cursor.SetByteAt(countsAt, columns);
      cursor.SetByteAt(countsAt + 1, values);
      position = word.next;
    }
    firstRow = false;
  }
  // No end line: the record stays without its end-kind byte.
  return Outcome::TextEnded;
}

// The step lines after a SHAPE line up to SEND: eight numbers each, stored as bytes.
Outcome CompileShape(personality::LineStream& input, std::string_view header,
                     personality::OutputCursor& cursor) {
  const std::size_t countAt = cursor.Position() + 1;
  if (!cursor.PutByte(kShapeTag) || !cursor.PutByte(0)) return Outcome::Failed;
  const personality::Token shapeName = personality::CopyToken(header, 5, kShapeNameLimit);
  // A shape name that runs to the end of its line leaves no pattern name: it is stored empty.
  const std::string patternName =
      shapeName.next ? personality::CopyToken(header, *shapeName.next, kPatternNameLimit).text
                     : std::string();
  if (!cursor.PutString(shapeName.text) || !cursor.PutString(patternName)) return Outcome::Failed;

  std::uint8_t steps = 0;
  std::string_view line;
  while (input.ReadLine(line)) {
    if (personality::StartsWith(line, "SEND")) return Outcome::Done;
    std::size_t position = 0;
    for (int i = 0; i < kStepValues; ++i) {
      const personality::ByteValue value = personality::ReadByteValue(line, position);
      if (value.endOfLine || !cursor.PutByte(value.value)) return Outcome::Failed;
      position = value.next;
    }
    cursor.SetByteAt(countAt, ++steps);
  }
  return Outcome::TextEnded;
}

}  // namespace

bool CompileShapeLibrary(personality::LineStream& input, std::vector<std::uint8_t>& output) {
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(kShapeWorkBufferSize);
  } catch (const std::bad_alloc&) {
    return false;
  }
  personality::OutputCursor cursor(buffer);

  std::string_view line;
  while (input.ReadLine(line)) {
    Outcome outcome = Outcome::Done;
    if (personality::StartsWith(line, "PATTERN")) {
      outcome = CompilePattern(input, line, cursor);
    } else if (personality::StartsWith(line, "SHAPE")) {
      outcome = CompileShape(input, line, cursor);
    }
    if (outcome == Outcome::Failed) return false;
    if (outcome == Outcome::TextEnded) break;
  }
  if (!cursor.PutByte(kLibraryEnd)) return false;
  const auto compiled = cursor.Written();
  output.insert(output.end(), compiled.begin(), compiled.end());
  return true;
}

}  // namespace hoardwright::extended
