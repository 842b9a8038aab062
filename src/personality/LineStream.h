#pragma once
// A personality (or shape library) file held in memory and read line by line the way the readers
// see it: through a 300-byte line buffer, so one read returns at most 299 characters and a longer
// physical line arrives as several lines. Only the newline ends a line; it stays part of the line.
// In text mode a CR LF pair arrives as one newline; in binary mode CR is an ordinary character.
// A NUL byte inside a line ends that line's text.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace hoardwright::personality {

enum class LineMode { Text, Binary };

class LineStream {
 public:
  static constexpr std::size_t kLineBufferSize = 300;
  static constexpr std::size_t kMaxLineLength = kLineBufferSize - 1;

  LineStream(std::string bytes, LineMode mode);

  // Reads the whole file through ReadInputFile (a regular file of at most
  // kMaxPersonalityFileSize bytes); nullopt, with the reason in `error`, when it is refused.
  static std::optional<LineStream> Open(const std::filesystem::path& path, LineMode mode,
                                        std::string* error = nullptr);

  // Reads the next line (newline included when the line has one). Returns false, with `line`
  // empty, once the stream is exhausted.
  bool ReadLine(std::string_view& line);
  bool AtEnd() const { return position_ >= content_.size(); }

  std::size_t Tell() const { return position_; }
  void Seek(std::size_t position) { position_ = position < content_.size() ? position : content_.size(); }
  void Rewind() { position_ = 0; }

  // The 1-based line, counted by newlines as an editor counts them, that holds the byte at
  // `position` (the last line for positions past the end).
  std::size_t LineNumberAt(std::size_t position) const;

  // The content as the lines see it (after CR LF folding in text mode).
  std::string_view Content() const { return content_; }
  LineMode Mode() const { return mode_; }

 private:
  std::string content_;
  LineMode mode_;
  std::size_t position_ = 0;
};

}  // namespace hoardwright::personality
