#include "support/FileAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

#include "support/InputFile.h"
#include "support/Platform.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace hoardwright::support {
namespace {

namespace fs = std::filesystem;

std::string TooLarge(std::uint64_t limit) {
  return "larger than " + std::to_string(limit) + " bytes";
}

// A single plain name: nothing that could lead out of the directory.
bool PlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

}  // namespace

// The one reader of a file the user named (ReadInputFile), with the shorter reasons the inspect
// and lzss commands print.
std::optional<std::vector<std::uint8_t>> ReadRegularFile(const fs::path& path, std::uint64_t limit,
                                                         std::string* error) {
  const std::size_t maxSize = static_cast<std::size_t>(
      std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max()));
  InputFile file = ReadInputFile(path, maxSize);
  if (file.Read()) return std::vector<std::uint8_t>(file.bytes.begin(), file.bytes.end());
  if (error) {
    switch (file.fault) {
      case InputFault::NotRegular: *error = "not a regular file"; break;
      case InputFault::TooLarge: *error = TooLarge(limit); break;
      default: *error = file.systemText; break;
    }
  }
  return std::nullopt;
}

#ifdef _WIN32

// Without descriptors relative to a directory, a link or a junction at the directory's name is
// refused by looking first; each file is made under a new name (never opened through what is
// there) and moved over its final name, which replaces a link there rather than following it.
std::optional<ExtractDirectory> ExtractDirectory::Open(const fs::path& directory,
                                                       std::string* error) {
  const auto fail = [&](const std::string& reason) {
    if (error) *error = PathText(directory) + ": " + reason;
    return std::nullopt;
  };
  fs::path path = directory;
  while (path.has_relative_path() && !path.has_filename()) path = path.parent_path();
  if (IsLink(path)) return fail("a symbolic link; extract writes only into a real directory");
  std::error_code ec;
  fs::create_directories(path, ec);
  if (IsLink(path)) return fail("a symbolic link; extract writes only into a real directory");
  if (!fs::is_directory(path, ec)) return fail(ec ? ec.message() : "not a directory");
  return ExtractDirectory(path);
}

ExtractDirectory::ExtractDirectory(ExtractDirectory&& other) noexcept
    : path_(std::move(other.path_)), attempts_(other.attempts_) {}

ExtractDirectory::~ExtractDirectory() = default;

namespace {

// Names that Windows turns into something else: a device (CON, NUL.TXT, COM1, ...), a stream of
// another file ("a:b"), or a shorter name (trailing dots and blanks are dropped).
bool NameWindowsAlters(std::string_view name) {
  if (name.find_first_of(":*?\"<>|") != std::string_view::npos) return true;
  if (name.back() == '.' || name.back() == ' ') return true;
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

bool ExtractDirectory::Write(std::string_view name, std::span<const std::uint8_t> bytes,
                             std::string* error) {
  const std::string target(name);
  const auto fail = [&](const std::string& reason) {
    if (error) *error = target + ": " + reason;
    return false;
  };
  if (!PlainName(name) || NameWindowsAlters(name)) return fail("not a plain file name");
  std::error_code ec;
  const auto temporary = CreateUniqueFile(PathText(path_ / ToPath("." + target + ".XXXXXX")), ec);
  if (!temporary) return fail(ec.message());
  std::FILE* file = OpenFile(*temporary, "wb");
  bool written = file != nullptr;
  if (written && !bytes.empty()) {
    written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  }
  const int writeError = errno;
  if (file != nullptr && std::fclose(file) != 0) written = false;
  if (!written) {
    fs::remove(*temporary, ec);
    return fail(std::strerror(writeError != 0 ? writeError : EIO));
  }
  if (!RenameOver(*temporary, path_ / ToPath(target), ec)) {
    const std::string reason = ec.message();
    fs::remove(*temporary, ec);
    return fail(reason);
  }
  return true;
}

#else

namespace {

std::string SystemText(int error) { return std::strerror(error != 0 ? error : EIO); }

class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  int Get() const { return descriptor_; }
  int Release() { return std::exchange(descriptor_, -1); }

 private:
  int descriptor_;
};

bool WriteAll(int descriptor, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

std::optional<ExtractDirectory> ExtractDirectory::Open(const fs::path& directory,
                                                       std::string* error) {
  const auto fail = [&](const std::string& reason) {
    if (error) *error = directory.string() + ": " + reason;
    return std::nullopt;
  };
  std::string text = directory.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  if (text.empty()) return fail("no directory named");
  const fs::path path(text);
  const std::string name = path.filename().string();
  if (name.empty() || name == "." || name == "..") {
    // "/", "." and ".." name a directory itself, never a link.
    Descriptor opened(::open(text.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (opened.Get() < 0) return fail(SystemText(errno));
    return ExtractDirectory(opened.Release());
  }
  // The path above the directory is the user's to name, links included; it is made when missing.
  const fs::path parent = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::error_code ec;
  fs::create_directories(parent, ec);
  Descriptor above(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (above.Get() < 0) return fail(SystemText(errno));
  if (::mkdirat(above.Get(), name.c_str(), 0777) != 0 && errno != EEXIST) {
    return fail(SystemText(errno));
  }
  Descriptor opened(
      ::openat(above.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (opened.Get() < 0) {
    const int openError = errno;
    struct stat status {};
    if (::fstatat(above.Get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
      if (S_ISLNK(status.st_mode)) {
        return fail("a symbolic link; extract writes only into a real directory");
      }
      if (!S_ISDIR(status.st_mode)) return fail("not a directory");
    }
    return fail(SystemText(openError));
  }
  return ExtractDirectory(opened.Release());
}

ExtractDirectory::ExtractDirectory(ExtractDirectory&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), attempts_(other.attempts_) {}

ExtractDirectory::~ExtractDirectory() {
  if (descriptor_ >= 0) ::close(descriptor_);
}

bool ExtractDirectory::Write(std::string_view name, std::span<const std::uint8_t> bytes,
                             std::string* error) {
  const std::string target(name);
  const auto fail = [&](const std::string& reason) {
    if (error) *error = target + ": " + reason;
    return false;
  };
  if (!PlainName(name)) return fail("not a plain file name");

  // A new name made with O_EXCL: whatever already sits at a name tried (a planted link too) is
  // skipped, never opened.
  std::string temporary;
  int descriptor = -1;
  for (int tries = 0; descriptor < 0 && tries < 100; ++tries) {
    temporary = "." + target + "." + std::to_string(::getpid()) + "-" +
                std::to_string(attempts_++) + ".part";
    descriptor = ::openat(descriptor_, temporary.c_str(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (descriptor < 0 && errno != EEXIST) return fail(SystemText(errno));
  }
  if (descriptor < 0) return fail("no free temporary name");
  Descriptor file(descriptor);
  const bool written = WriteAll(file.Get(), bytes);
  const int writeError = errno;
  const bool closed = ::close(file.Release()) == 0;
  const int closeError = errno;
  // rename replaces a file or a link at the name; it never follows the link.
  if (!written || !closed ||
      ::renameat(descriptor_, temporary.c_str(), descriptor_, target.c_str()) != 0) {
    const int reason = !written ? writeError : !closed ? closeError : errno;
    ::unlinkat(descriptor_, temporary.c_str(), 0);
    return fail(SystemText(reason));
  }
  return true;
}

#endif

}  // namespace hoardwright::support
