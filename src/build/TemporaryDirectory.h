#pragma once
// A private directory for one build's working files inside the user's temporary directory (which
// honours TMPDIR), removed with everything in it when the build ends. Two builds running at once
// never share a working file.
#include <filesystem>
#include <optional>
#include <string>

namespace hoardwright {

class TemporaryDirectory {
 public:
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

}  // namespace hoardwright
