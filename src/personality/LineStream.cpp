#include "personality/LineStream.h"

#include <algorithm>
#include <utility>

#include "support/InputFile.h"

namespace hoardwright::personality {
namespace {

std::string FoldCrLf(std::string bytes) {
  std::string folded;
  folded.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    folded.push_back(bytes[i]);
  }
  return folded;
}

}  // namespace

LineStream::LineStream(std::string bytes, LineMode mode)
    : content_(mode == LineMode::Text ? FoldCrLf(std::move(bytes)) : std::move(bytes)),
      mode_(mode) {}

std::optional<LineStream> LineStream::Open(const std::filesystem::path& path, LineMode mode,
                                           std::string* error) {
  support::InputFile file = support::ReadInputFile(path, support::kMaxPersonalityFileSize);
  if (!file.Read()) {
    if (error) *error = std::move(file.refusal);
    return std::nullopt;
  }
  return LineStream(std::move(file.bytes), mode);
}

std::size_t LineStream::LineNumberAt(std::size_t position) const {
  const auto end = content_.begin() + static_cast<std::ptrdiff_t>(std::min(position, content_.size()));
  return static_cast<std::size_t>(std::count(content_.begin(), end, '\n')) + 1;
}

bool LineStream::ReadLine(std::string_view& line) {
  if (AtEnd()) {
    line = {};
    return false;
  }
  const std::size_t available = std::min(kMaxLineLength, content_.size() - position_);
  std::string_view chunk(content_.data() + position_, available);
  const std::size_t newline = chunk.find('\n');
  if (newline != std::string_view::npos) chunk = chunk.substr(0, newline + 1);
  position_ += chunk.size();
  // The readers see the line as a C string: a NUL ends its text.
  const std::size_t nul = chunk.find('\0');
  line = nul == std::string_view::npos ? chunk : chunk.substr(0, nul);
  return true;
}

}  // namespace hoardwright::personality
