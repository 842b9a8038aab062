#pragma once
// A private directory for one build's working files inside the user's temporary directory,
// removed with everything in it when the build ends. Two builds running at once never share a
// working file.
//
// Where it goes, as the C library does it: TMPDIR when it is set, not empty and a directory the
// private one can be made in; otherwise /tmp. (On Windows: the system's temporary directory.)
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hoardwright::support {

class TemporaryDirectory {
 public:
  // nullopt when no private directory can be made; `error` then says where it was tried and why
  // each place failed.
  static std::optional<TemporaryDirectory> Create(std::string* error = nullptr);
  TemporaryDirectory(TemporaryDirectory&& other) noexcept : path_(std::move(other.path_)) {
    other.path_.clear();
  }
  TemporaryDirectory& operator=(TemporaryDirectory&&) = delete;
  ~TemporaryDirectory();

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  explicit TemporaryDirectory(std::filesystem::path path) : path_(std::move(path)) {}
  std::filesystem::path path_;
};

// The places a private directory is tried in, in order (the first is the one messages name).
std::vector<std::filesystem::path> TemporaryBases();

}  // namespace hoardwright::support
