#include "build/TemporaryDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace hoardwright {

std::optional<TemporaryDirectory> TemporaryDirectory::Create(std::string* error) {
  std::error_code ec;
  const std::filesystem::path base = std::filesystem::temp_directory_path(ec);
  if (ec) {
    if (error) *error = ec.message();
    return std::nullopt;
  }
  std::string pattern = (base / "hoardwright-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    if (error) *error = std::strerror(errno);
    return std::nullopt;
  }
  return TemporaryDirectory(pattern);
}

TemporaryDirectory::~TemporaryDirectory() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace hoardwright
