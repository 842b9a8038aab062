#include "personality/CompiledLayout.h"
#include "personality/KeywordReaders.h"
#include "personality/NumberConversion.h"

namespace hoardwright::personality {
namespace {

using personality::compiled::kBlockSeparator;

enum class LineForm { Verbatim, Compacted };

bool ReadSection(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter,
                 std::string_view start, std::string_view end, std::size_t limit, SectionMode mode,
                 LineForm form) {
  const bool block = mode == SectionMode::Block;
  const auto startLine =
      FindKeyword(stream, start, block ? KeywordSearch::Silent : KeywordSearch::Reported, reporter);
  if (!startLine) return false;
  const std::size_t startLineNumber = LineJustRead(stream);
  // Blocks of a family are separated, but not from a table index that already ends in 0xFF.
  // At the buffer's start there is nothing to separate from.
  if (block) {
    const auto before = cursor.ByteBefore();
    if (before && *before != kBlockSeparator && !cursor.PutByte(kBlockSeparator)) return false;
  }
  const std::size_t countAt = cursor.Position();
  if (!cursor.PutByte(0)) return false;
  std::uint8_t count = 0;
  const auto append = [&](std::string_view text) {
    if (count == personality::compiled::kMaxCount) {
      // A block's count includes its first and last lines.
      const std::string part = std::string(start) + (block ? " block" : " section");
      return cursor.RefuseRecord(TooManyReason(part, startLineNumber, "lines"), startLineNumber);
    }
    if (!cursor.PutString(text)) return false;
    cursor.SetByteAt(countAt, ++count);
    return true;
  };

  if (block && !append(form == LineForm::Compacted ? CompactLine(*startLine) : *startLine)) {
    return false;
  }
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, end)) return !block || append(line);
    std::string_view body = limit < line.size() ? line.substr(0, limit + 1) : line;
    if (!body.empty() && body.back() == '\n') body.remove_suffix(1);
    if (!append(form == LineForm::Compacted ? CompactLine(body) : std::string(body))) return false;
  }
  return true;
}

}  // namespace

std::string CompactLine(std::string_view line) {
  std::string compact;
  compact.reserve(line.size());
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    // A ";" in the first column is text, not a comment.
    if (i > 0 && c == ';') break;
    if (i > 0 && IsBlankOrTab(c) && IsBlankOrTab(compact.back())) {
      compact.back() = c;
    } else {
      compact.push_back(c);
    }
  }
  return compact;
}

bool ReadTextSection(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter,
                     std::string_view start, std::string_view end, std::size_t limit,
                     SectionMode mode) {
  return ReadSection(stream, cursor, reporter, start, end, limit, mode, LineForm::Verbatim);
}

bool ReadCompactBlock(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter,
                      std::string_view start, std::string_view end, std::size_t limit,
                      SectionMode mode) {
  return ReadSection(stream, cursor, reporter, start, end, limit, mode, LineForm::Compacted);
}

}  // namespace hoardwright::personality
