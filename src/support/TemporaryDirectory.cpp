#include "support/TemporaryDirectory.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace hoardwright::support {

std::vector<std::filesystem::path> TemporaryBases() {
#ifdef _WIN32
  std::error_code ec;
  const std::filesystem::path system = std::filesystem::temp_directory_path(ec);
  return {ec ? std::filesystem::path(".") : system};
#else
  const std::filesystem::path fallback = "/tmp";
  const char* tmpdir = std::getenv("TMPDIR");
  // An empty TMPDIR counts as unset.
  if (tmpdir == nullptr || *tmpdir == '\0' || fallback == tmpdir) return {fallback};
  return {tmpdir, fallback};
#endif
}

std::optional<TemporaryDirectory> TemporaryDirectory::Create(std::string* error) {
  std::string failures;
  for (const std::filesystem::path& base : TemporaryBases()) {
    std::string pattern = (base / "hoardwright-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) return TemporaryDirectory(pattern);
    const std::string reason = std::strerror(errno);
    failures += (failures.empty() ? "" : " nor in ") + base.string() + " (" + reason + ")";
  }
  if (error) *error = "No working directory could be made in " + failures;
  return std::nullopt;
}

TemporaryDirectory::~TemporaryDirectory() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace hoardwright::support
