#include "personality/CompiledLayout.h"
#include "personality/KeywordReaders.h"
#include "personality/NumberConversion.h"

namespace hoardwright::personality {
namespace {

constexpr std::size_t kIndexNameLimit = 12;
using personality::compiled::kMacroTag;
using personality::compiled::kPresetFocusTag;
constexpr std::uint8_t kIndexEnd = personality::compiled::kTableIndexEnd;

struct TableFamily {
  std::string_view keyword;
  std::string_view endKeyword;
  std::uint8_t tag;
  bool rowsNamed;  // preset focus rows carry their name; macro rows do not
};

constexpr TableFamily kMacros{"MACRO", "MEND", kMacroTag, false};
constexpr TableFamily kPresetFocus{"PFTABLE", "PFEND", kPresetFocusTag, true};

// One decimal value, then columns - 1 hexadecimal ones, each as a byte; a missing value is 0.
bool WriteRowValues(std::string_view line, std::size_t position, std::uint8_t columns,
                    OutputCursor& cursor) {
  if (columns == 0) return true;
  const ByteValue first = ReadByteValue(line, position);
  if (!cursor.PutByte(first.value)) return false;
  position = first.next;
  for (int column = 1; column < columns; ++column) {
    while (position < line.size() && IsBlankOrTab(line[position])) ++position;
    const Conversion value = ConvertHex(line, position);
    position = value.end;
    if (!cursor.PutByte(static_cast<std::uint8_t>(value.value))) return false;
  }
  return true;
}

// False on a preset focus row without a closed name, or when the entry does not fit.
bool WriteEntry(LineStream& stream, OutputCursor& cursor, std::string_view header,
                const TableFamily& family) {
  const std::size_t headerLine = LineJustRead(stream);
  if (!cursor.PutByte(family.tag)) return false;
  const std::size_t columnsAt = cursor.Position();
  const std::size_t rowsAt = columnsAt + 1;
  if (!cursor.PutByte(0) || !cursor.PutByte(0)) return false;

  const Token name = CopyToken(header, family.keyword.size(), kIndexNameLimit);
  if (!cursor.PutString(name.text)) return false;
  // A header whose name runs to the end of the line has no numbers. A line of the stream holds
  // too few characters for more numbers than a count byte counts.
  static_assert(LineStream::kMaxLineLength / 2 < personality::compiled::kMaxCount);
  std::uint8_t columns = 0;
  if (name.next) {
    for (ByteValue value = ReadByteValue(header, *name.next); !value.endOfLine;
         value = ReadByteValue(header, value.next)) {
      if (!cursor.PutByte(value.value)) return false;
      cursor.SetByteAt(columnsAt, ++columns);
    }
  }

  std::uint8_t rows = 0;
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, family.endKeyword)) break;
    if (family.rowsNamed && line.find('"') == std::string_view::npos) continue;
    const Token rowName = CopyToken(line, 0, kIndexNameLimit);
    if (family.rowsNamed) {
      if (!cursor.PutString(rowName.text)) return false;
      // The name string stays; the index stops without its end byte.
      if (!rowName.next) return false;
    } else if (!rowName.next) {
      continue;  // a macro line without anything after its first token (a blank line, say)
    }
    if (rows == personality::compiled::kMaxCount) {
      const std::string part = std::string(family.keyword) + " table";
      return cursor.RefuseRecord(TooManyReason(part, headerLine, "rows"), headerLine);
    }
    if (!WriteRowValues(line, *rowName.next, columns, cursor)) return false;
    cursor.SetByteAt(rowsAt, ++rows);
  }
  return true;
}

}  // namespace

bool WriteTableIndex(LineStream& stream, OutputCursor& cursor, support::Reporter& /*reporter*/,
                     bool excludePresetFocus, bool excludeMacros) {
  std::string_view line;
  while (stream.ReadLine(line)) {
    const TableFamily* family = nullptr;
    if (!excludeMacros && StartsWith(line, kMacros.keyword)) {
      family = &kMacros;
    } else if (!excludePresetFocus && StartsWith(line, kPresetFocus.keyword)) {
      family = &kPresetFocus;
    }
    if (family && !WriteEntry(stream, cursor, line, *family)) return false;
  }
  return cursor.PutByte(kIndexEnd);
}

}  // namespace hoardwright::personality
