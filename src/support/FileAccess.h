#pragma once
// The two file operations that must not be fooled by what is at a path: reading an input that
// turns out to be a device, a pipe or a huge file, and writing into a directory someone has
// planted links in. The system calls live in FileAccess.cpp; everything else stays portable.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace hoardwright::support {

// Reads a whole regular file of at most `limit` bytes through ReadInputFile, the one reader of a
// file the user named. nullopt with the reason in `error`: the system's text, "not a regular
// file", or "larger than N bytes".
std::optional<std::vector<std::uint8_t>> ReadRegularFile(const std::filesystem::path& path,
                                                         std::uint64_t limit, std::string* error);

// A directory that files are extracted into. Opened (and created when missing) without
// following a link in its last component: a link named as the directory is refused. Each file
// is written to a new temporary name and renamed over its final name, so a file or a link
// already there is replaced as a whole and never written through.
class ExtractDirectory {
 public:
  static std::optional<ExtractDirectory> Open(const std::filesystem::path& directory,
                                              std::string* error);
  ExtractDirectory(ExtractDirectory&& other) noexcept;
  ExtractDirectory& operator=(ExtractDirectory&&) = delete;
  ~ExtractDirectory();

  // `name` is one plain file name (no separator, not "." or ".."). False with the reason in
  // `error`; no temporary file is left behind.
  bool Write(std::string_view name, std::span<const std::uint8_t> bytes, std::string* error);

 private:
#ifdef _WIN32
  explicit ExtractDirectory(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
#else
  explicit ExtractDirectory(int descriptor) : descriptor_(descriptor) {}
  int descriptor_ = -1;
#endif
  unsigned attempts_ = 0;  // makes each temporary name new
};

}  // namespace hoardwright::support
