#include "catalogue/BuildDetails.h"

#include "support/DirectoryText.h"

namespace hoardwright::catalogue {
namespace {

constexpr std::size_t kMaxNoteLines = 10;
// A line keeps its first 20 characters and its final one (the CR before the line feed).
constexpr std::size_t kKeptLineStart = 20;
constexpr std::size_t kMaxLineLength = kKeptLineStart + 1;

}  // namespace

std::string CutNotes(std::string notes) {
  std::size_t lineStart = 0;
  std::size_t lineFeeds = 0;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    if (notes[i] != '\n') continue;
    const std::size_t lineLength = i - lineStart;
    if (lineLength > kMaxLineLength) {
      notes.erase(lineStart + kKeptLineStart, lineLength - kMaxLineLength);
      i = lineStart + kMaxLineLength;  // the same line feed, in the shortened text
    }
    if (++lineFeeds == kMaxNoteLines) {
      notes.erase(i);
      return notes;
    }
    lineStart = i + 1;
  }
  if (notes.size() - lineStart > kMaxLineLength) notes.erase(lineStart + kMaxLineLength);
  return notes;
}

std::string ApplyBrowsedOutputDir(std::string current, std::string chosen) {
  if (chosen.empty()) return current;
  return support::WithTrailingSeparator(std::move(chosen));
}

}  // namespace hoardwright::catalogue
