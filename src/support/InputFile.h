#pragma once
// The one way a file the user named is read whole: it must be a regular file (a link to one is
// followed), it is opened once without blocking and checked through the opened descriptor before
// a byte is read, and no more than a stated size is read. A FIFO, a device or a directory is
// refused before it can hang the program or feed it without end. The platform's calls live in
// InputFile.cpp alone.
#include <cstddef>
#include <filesystem>
#include <string>

namespace hoardwright::support {

// The largest personality file the program reads: far beyond any real personality, whose
// compiled record must fit in 65,535 bytes.
inline constexpr std::size_t kMaxPersonalityFileSize = 16 * 1024 * 1024;

// What kind of refusal, for callers that word the reason their own way.
enum class InputFault { None, CannotOpen, NotRegular, TooLarge, CannotRead };

struct InputFile {
  std::string bytes;
  // Empty when the file was read; otherwise why not: "not a regular file (a FIFO or pipe)",
  // "larger than 16 MB (16,777,216 bytes), the most read from one file", "cannot be opened:
  // Permission denied", ...
  std::string refusal;
  InputFault fault = InputFault::None;
  std::string systemText = {};  // the system's words for a CannotOpen or CannotRead fault


  bool Read() const { return refusal.empty(); }
};

// The whole file at `path`, or why it is refused.
InputFile ReadInputFile(const std::filesystem::path& path, std::size_t maxSize);

// Empty when `path` names a regular file that can be opened for reading (nothing is read);
// otherwise why not, as ReadInputFile says it.
std::string InputFileRefusal(const std::filesystem::path& path);

}  // namespace hoardwright::support
