#include "personality/KeywordReaders.h"
#include "personality/NumberConversion.h"

namespace hoardwright {
namespace {

// Lines this short cannot hold a channel (the newline counts).
constexpr std::size_t kShortestChannelLine = 9;
constexpr std::size_t kChannelNameLimit = 12;

// Encodes one channel line: 12 bytes, then the name. False when the line ends before a column or
// the encoding does not fit.
bool EncodeChannelLine(std::string_view line, OutputCursor& cursor) {
  std::size_t position = 0;
  const auto byteColumn = [&](bool store) {
    const ByteValue read = ReadByteValue(line, position);
    position = read.next;
    if (read.endOfLine) return false;
    return !store || cursor.PutByte(read.value);
  };
  const auto characterColumn = [&] {
    while (position < line.size() && IsBlankOrTab(line[position])) ++position;
    if (position >= line.size() || line[position] == '\n') return false;
    return cursor.PutByte(static_cast<std::uint8_t>(line[position++]));
  };
  const auto wordColumn = [&] {
    const WordValue read = ReadWordValue(line, position);
    position = read.next;
    return cursor.PutWord(read.value);
  };

  if (!byteColumn(true) || !byteColumn(true) || !characterColumn() || !byteColumn(true)) {
    return false;
  }
  // Columns 5 and 6 must be present but are not stored.
  if (!byteColumn(false) || !byteColumn(false)) return false;
  if (!characterColumn() || !characterColumn() || !byteColumn(true)) return false;
  const Token name = CopyToken(line, position, kChannelNameLimit);
  if (!name.next) return false;
  position = *name.next;
  if (!byteColumn(true) || !wordColumn() || !wordColumn()) return false;
  return cursor.PutString(name.text);
}

}  // namespace

bool ReadDmxTable(LineStream& stream, OutputCursor& cursor, Reporter& reporter) {
  const std::size_t countAt = cursor.Position();
  if (!cursor.PutByte(0)) return false;
  if (!FindKeyword(stream, "DMX", KeywordSearch::Reported, reporter)) return false;
  std::uint8_t count = 0;
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, "END")) break;
    if (line.size() < kShortestChannelLine || line.front() == ';') continue;
    cursor.SetByteAt(countAt, ++count);
    if (!EncodeChannelLine(line, cursor)) return false;
  }
  return true;
}

}  // namespace hoardwright
