#include "check/LineNumbers.h"

#include <algorithm>

#include "personality/LineHelpers.h"

namespace hoardwright::check {

LineNumbers::LineNumbers(std::string_view content) : size_(content.size()) {
  for (std::size_t i = 0; i < content.size(); ++i) {
    if (content[i] == '\n') newlines_.push_back(i);
  }
}

std::size_t LineNumbers::LineAt(std::size_t offset) const {
  if (size_ > 0) offset = std::min(offset, size_ - 1);
  // Newlines before the offset, plus one.
  return static_cast<std::size_t>(std::ranges::lower_bound(newlines_, offset) - newlines_.begin()) +
         1;
}

std::size_t LineNumbers::LineBefore(std::size_t offset) const {
  return offset == 0 ? 0 : LineAt(offset - 1);
}

std::optional<std::size_t> LocateKeyword(personality::LineStream& stream, std::size_t from,
                                         std::string_view keyword) {
  const std::size_t saved = stream.Tell();
  stream.Seek(from);
  std::optional<std::size_t> found;
  std::string_view line;
  for (std::size_t start = stream.Tell(); stream.ReadLine(line); start = stream.Tell()) {
    if (personality::StartsWith(line, keyword)) {
      found = start;
      break;
    }
  }
  stream.Seek(saved);
  return found;
}

std::string_view LineEndingAt(personality::LineStream& stream, std::size_t end) {
  // Lines are read from the start so that a split overlong line comes out as the reader saw it.
  const std::size_t saved = stream.Tell();
  stream.Rewind();
  std::string_view line;
  std::string_view last;
  while (stream.Tell() < end && stream.ReadLine(line)) last = line;
  stream.Seek(saved);
  return last;
}

}  // namespace hoardwright::check
