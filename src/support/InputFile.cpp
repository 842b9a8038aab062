#include "support/InputFile.h"

#include <cstdint>
#include <system_error>

#ifdef _WIN32
#include "support/Platform.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#endif

namespace hoardwright::support {
namespace {

InputFile Refused(InputFault fault, std::string reason, std::string systemText = {}) {
  return InputFile{{}, std::move(reason), fault, std::move(systemText)};
}

std::string WithThousands(std::size_t value) {
  const std::string digits = std::to_string(value);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text.push_back(',');
    text.push_back(digits[i]);
  }
  return text;
}

std::string TooLarge(std::size_t maxSize) {
  constexpr std::size_t kMegabyte = 1024 * 1024;
  const std::string bytes = WithThousands(maxSize) + " bytes";
  const std::string limit = maxSize % kMegabyte == 0 && maxSize > 0
                                ? std::to_string(maxSize / kMegabyte) + " MB (" + bytes + ")"
                                : bytes;
  return "larger than " + limit + ", the most read from one file";
}

}  // namespace

#ifdef _WIN32

namespace {

InputFile FromOpenedRead(OpenedFileRead read, std::size_t maxSize) {
  using Outcome = OpenedFileRead::Outcome;
  switch (read.outcome) {
    case Outcome::kRead:
      return InputFile{std::move(read.bytes), {}};
    case Outcome::kCannotOpen:
      return Refused(InputFault::CannotOpen, "cannot be opened: " + read.reason, read.reason);
    case Outcome::kCannotRead:
      return Refused(InputFault::CannotRead, "cannot be read: " + read.reason, read.reason);
    case Outcome::kTooLarge:
      return Refused(InputFault::TooLarge, TooLarge(maxSize));
    case Outcome::kNotRegular:
      break;
  }
  return Refused(InputFault::NotRegular,
                 "not a regular file" + (read.reason.empty() ? "" : " (" + read.reason + ")"));
}

}  // namespace

InputFile ReadInputFile(const std::filesystem::path& path, std::size_t maxSize) {
  return FromOpenedRead(ReadOpenedFile(path, maxSize), maxSize);
}

std::string InputFileRefusal(const std::filesystem::path& path) {
  // Only whether it can be read is asked here: any size passes.
  return FromOpenedRead(ReadOpenedFile(path, UINT64_MAX, false), 0).refusal;
}

#else

namespace {

InputFile CannotOpen(int error) {
  const std::string text = std::generic_category().message(error);
  return Refused(InputFault::CannotOpen, "cannot be opened: " + text, text);
}
InputFile CannotRead(int error) {
  const std::string text = std::generic_category().message(error);
  return Refused(InputFault::CannotRead, "cannot be read: " + text, text);
}

InputFile NotRegular(mode_t mode) {
  std::string text = "not a regular file";
  if (S_ISDIR(mode)) text += " (a directory)";
  else if (S_ISFIFO(mode)) text += " (a FIFO or pipe)";
  else if (S_ISCHR(mode)) text += " (a character device)";
  else if (S_ISBLK(mode)) text += " (a block device)";
  else if (S_ISSOCK(mode)) text += " (a socket)";
  return Refused(InputFault::NotRegular, std::move(text));
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }

 private:
  int fd_;
};

// Opens `path` for reading once it looks like a regular file, and checks what was opened: the
// path may have been replaced in between. Non-blocking, so a FIFO put there cannot hang the open.
InputFile OpenRegular(const std::filesystem::path& path, int& fd, struct stat& status) {
  // Checked before opening, so no device is ever opened.
  if (::stat(path.c_str(), &status) != 0) return CannotOpen(errno);
  if (!S_ISREG(status.st_mode)) return NotRegular(status.st_mode);
  fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return CannotOpen(errno);
  if (::fstat(fd, &status) != 0) return CannotRead(errno);
  if (!S_ISREG(status.st_mode)) return NotRegular(status.st_mode);
  return InputFile{};
}

}  // namespace

InputFile ReadInputFile(const std::filesystem::path& path, std::size_t maxSize) {
  int fd = -1;
  struct stat status {};
  InputFile opened = OpenRegular(path, fd, status);
  const Descriptor descriptor(fd);
  if (!opened.Read()) return opened;
  if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > maxSize) {
    return Refused(InputFault::TooLarge, TooLarge(maxSize));
  }

  InputFile input;
  input.bytes.reserve(static_cast<std::size_t>(status.st_size));
  // The file may grow while it is read: never more than maxSize bytes are kept.
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    const ssize_t count = ::read(descriptor.Get(), chunk.data(), chunk.size());
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return CannotRead(errno);
    }
    if (input.bytes.size() + static_cast<std::size_t>(count) > maxSize) {
      return Refused(InputFault::TooLarge, TooLarge(maxSize));
    }
    input.bytes.append(chunk.data(), static_cast<std::size_t>(count));
  }
  return input;
}

std::string InputFileRefusal(const std::filesystem::path& path) {
  int fd = -1;
  struct stat status {};
  InputFile opened = OpenRegular(path, fd, status);
  const Descriptor descriptor(fd);
  return std::move(opened.refusal);
}

#endif

}  // namespace hoardwright::support
