#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "support/Platform.h"

namespace hoardwright::support {

namespace fs = std::filesystem;

fs::path ToPath(std::string_view text) {
  return fs::path(std::string(text));
}

std::string PathText(const fs::path& path) {
  return path.string();
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  if (argc < 1) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

void UseBinaryStandardStreams() {}

void WriteToStandardError(std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::FILE* OpenFile(const fs::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

bool SeekFileEnd(std::FILE* file) {
  return fseeko(file, 0, SEEK_END) == 0;
}

std::optional<fs::path> CreateUniqueFile(const std::string& pattern, std::error_code& error) {
  std::string name = pattern;
  const int descriptor = mkstemp(name.data());
  if (descriptor < 0) {
    error.assign(errno, std::generic_category());
    return std::nullopt;
  }
  ::close(descriptor);
  error.clear();
  return fs::path(name);
}

std::optional<fs::path> CreateUniqueDirectory(const std::string& pattern, std::error_code& error) {
  std::string name = pattern;
  if (mkdtemp(name.data()) == nullptr) {
    error.assign(errno, std::generic_category());
    return std::nullopt;
  }
  error.clear();
  return fs::path(name);
}

bool CreateNewFile(const fs::path& path, std::error_code& error) {
  const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    error.assign(errno, std::generic_category());
    return false;
  }
  ::close(descriptor);
  error.clear();
  return true;
}

bool DirectoryTakesNewFiles(const fs::path& directory) {
  std::error_code ec;
  return fs::is_directory(directory, ec) && ::access(directory.c_str(), W_OK | X_OK) == 0;
}

bool RenameOver(const fs::path& from, const fs::path& to, std::error_code& error) {
  fs::rename(from, to, error);
  return !error;
}

bool IsLink(const fs::path& path) {
  std::error_code ec;
  return fs::is_symlink(fs::symlink_status(path, ec));
}

bool RegularFileStamp(const fs::path& path, std::uint64_t& size, std::int64_t& modified) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return false;
  size = fs::file_size(path, error);
  if (error) return false;
  const auto written = fs::last_write_time(path, error);
  if (error) return false;
  modified = static_cast<std::int64_t>(written.time_since_epoch().count());
  return true;
}

bool UtcTime(std::time_t time, std::tm& calendar) {
  return gmtime_r(&time, &calendar) != nullptr;
}

bool LocalTime(std::time_t time, std::tm& calendar) {
  return localtime_r(&time, &calendar) != nullptr;
}

}  // namespace hoardwright::support

#endif
