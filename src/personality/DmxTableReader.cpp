#include <array>

#include "personality/CompiledLayout.h"
#include "personality/KeywordReaders.h"
#include "personality/NumberConversion.h"

namespace hoardwright::personality {
namespace {

// Lines this short cannot hold a channel (the newline counts).
constexpr std::size_t kShortestChannelLine = 9;
constexpr std::size_t kChannelNameLimit = 12;

// Encodes one channel line: 12 bytes, then the name. Returns 0, or the column (1 .. 13) at which
// the line ends too early or the encoding no longer fits.
int EncodeChannelLine(std::string_view line, OutputCursor& cursor) {
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

  if (!byteColumn(true)) return 1;
  if (!byteColumn(true)) return 2;
  if (!characterColumn()) return 3;
  if (!byteColumn(true)) return 4;
  // Columns 5 and 6 must be present but are not stored.
  if (!byteColumn(false)) return 5;
  if (!byteColumn(false)) return 6;
  if (!characterColumn()) return 7;
  if (!characterColumn()) return 8;
  if (!byteColumn(true)) return 9;
  const Token name = CopyToken(line, position, kChannelNameLimit);
  if (!name.next) return 10;
  position = *name.next;
  if (!byteColumn(true)) return 11;
  if (!wordColumn()) return 12;
  if (!wordColumn()) return 13;
  return cursor.PutString(name.text) ? 0 : 10;
}

}  // namespace

bool ReadDmxTable(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter) {
  const std::size_t countAt = cursor.Position();
  if (!cursor.PutByte(0)) return false;
  if (!FindKeyword(stream, "DMX", KeywordSearch::Reported, reporter)) return false;
  const std::size_t keywordLine = LineJustRead(stream);
  std::uint8_t count = 0;
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, "END")) break;
    if (line.size() < kShortestChannelLine || line.front() == ';') continue;
    if (count == personality::compiled::kMaxCount) {
      return cursor.RefuseRecord(TooManyReason("DMX section", keywordLine, "channel lines"),
                                 keywordLine);
    }
    cursor.SetByteAt(countAt, ++count);
    if (EncodeChannelLine(line, cursor) != 0) return false;
  }
  return true;
}

int ChannelLineFaultColumn(std::string_view line) {
  // Room for the largest entry: 12 bytes and a 12-character name with its NUL.
  std::array<std::uint8_t, 32> scratch{};
  OutputCursor cursor(scratch);
  return EncodeChannelLine(line, cursor);
}

}  // namespace hoardwright::personality
