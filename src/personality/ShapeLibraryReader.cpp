#include "personality/ShapeLibraryReader.h"

#include "personality/CompiledLayout.h"
#include "personality/LineHelpers.h"
#include "personality/NumberConversion.h"

namespace hoardwright::personality {
namespace {

using personality::compiled::kLibraryEnd;
using personality::compiled::kPatternTag;
using personality::compiled::kShapeTag;
constexpr std::uint8_t kPatternEnd = personality::compiled::kEndedByPend;
constexpr std::uint8_t kPattern16End = personality::compiled::kEndedByPend16;
constexpr std::size_t kPatternNameLimit = 12;
constexpr std::size_t kShapeNameLimit = 34;
using personality::compiled::kStepValues;

enum class Outcome { Done, StepLineShort, CursorFull };

// Writes the row's hexadecimal values; returns how many, or nullopt when the cursor is full. Text
// that is not a hexadecimal number ends the row.
std::optional<std::size_t> WriteRow(std::string_view line, OutputCursor& cursor) {
  std::size_t values = 0;
  std::size_t position = 0;
  while (true) {
    while (position < line.size() && line[position] == ' ') ++position;
    if (position >= line.size() || line[position] == '\n') break;
    const Conversion value = ConvertHex(line, position);
    if (!value.converted) break;
    if (!cursor.PutWord(static_cast<std::uint16_t>(value.value))) return std::nullopt;
    position = value.end;
    ++values;
  }
  return values;
}

Outcome CompilePattern(LineStream& stream, OutputCursor& cursor, std::string_view header) {
  if (!cursor.PutByte(kPatternTag)) return Outcome::CursorFull;
  const std::size_t firstRowCountAt = cursor.Position();
  const std::size_t valueCountAt = firstRowCountAt + 1;
  if (!cursor.PutByte(0) || !cursor.PutByte(0)) return Outcome::CursorFull;
  const Token name = CopyToken(header, std::string_view("PATTERN").size(), kPatternNameLimit);
  if (!cursor.PutString(name.text)) return Outcome::CursorFull;

  std::uint8_t valueCount = 0;
  bool firstRow = true;
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, "PEND")) {
      const std::uint8_t end = StartsWith(line, "PEND16") ? kPattern16End : kPatternEnd;
      return cursor.PutByte(end) ? Outcome::Done : Outcome::CursorFull;
    }
    const auto values = WriteRow(line, cursor);
    if (!values) return Outcome::CursorFull;
    valueCount = static_cast<std::uint8_t>(valueCount + *values);
    cursor.SetByteAt(valueCountAt, valueCount);
    if (firstRow) cursor.SetByteAt(firstRowCountAt, static_cast<std::uint8_t>(*values));
    firstRow = false;
  }
  // A block without its end line runs to the end of the text, without an end byte.
  return Outcome::Done;
}

Outcome CompileShape(LineStream& stream, OutputCursor& cursor, std::string_view header) {
  if (!cursor.PutByte(kShapeTag)) return Outcome::CursorFull;
  const std::size_t stepCountAt = cursor.Position();
  if (!cursor.PutByte(0)) return Outcome::CursorFull;
  const Token shapeName = CopyToken(header, std::string_view("SHAPE").size(), kShapeNameLimit);
  // A shape name that runs to the end of the line leaves no pattern name.
  const std::string patternName =
      shapeName.next ? CopyToken(header, *shapeName.next, kPatternNameLimit).text : std::string();
  if (!cursor.PutString(shapeName.text) || !cursor.PutString(patternName)) {
    return Outcome::CursorFull;
  }

  std::uint8_t steps = 0;
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, "SEND")) break;
    std::size_t position = 0;
    for (int i = 0; i < kStepValues; ++i) {
      const ByteValue value = ReadByteValue(line, position);
      if (value.endOfLine) return Outcome::StepLineShort;
      if (!cursor.PutByte(value.value)) return Outcome::CursorFull;
      position = value.next;
    }
    cursor.SetByteAt(stepCountAt, ++steps);
  }
  return Outcome::Done;
}

}  // namespace

bool ReadShapeLibrary(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter) {
  std::string_view line;
  while (stream.ReadLine(line)) {
    Outcome outcome = Outcome::Done;
    if (StartsWith(line, "PATTERN")) {
      outcome = CompilePattern(stream, cursor, line);
    } else if (StartsWith(line, "SHAPE")) {
      outcome = CompileShape(stream, cursor, line);
    }
    if (outcome == Outcome::StepLineShort) {
      reporter.ShowMessage("error reading shape file", support::kApplicationName);
      return false;
    }
    if (outcome == Outcome::CursorFull) return false;
  }
  return cursor.PutByte(kLibraryEnd);
}

}  // namespace hoardwright::personality
