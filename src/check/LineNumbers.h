#pragma once
// Physical line numbers for positions of a LineStream, so that what the readers did can be told
// by line. The readers see a line longer than 299 characters as several lines; the numbers here
// count newlines, as an editor does.
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "personality/LineStream.h"

namespace hoardwright::check {

class LineNumbers {
 public:
  explicit LineNumbers(std::string_view content);

  // The 1-based line that holds the byte at `offset` (the last line for offsets past the end).
  std::size_t LineAt(std::size_t offset) const;
  // The line of the last byte before `offset`: the line a reader consumed last when the stream
  // stands at `offset`. 0 at the start of the content.
  std::size_t LineBefore(std::size_t offset) const;

 private:
  std::vector<std::size_t> newlines_;
  std::size_t size_ = 0;
};

// The offset at which the first line starting with `keyword` begins, searching the stream's lines
// from `from` as the keyword search does; nullopt when there is none. The stream's position is
// restored.
std::optional<std::size_t> LocateKeyword(personality::LineStream& stream, std::size_t from,
                                         std::string_view keyword);

// The text of the reader's line that ends at `end` (the last line read when the stream stands
// there), as ReadLine delivered it.
std::string_view LineEndingAt(personality::LineStream& stream, std::size_t end);

}  // namespace hoardwright::check
