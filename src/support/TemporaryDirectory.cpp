#include "support/TemporaryDirectory.h"

#include <cstdlib>
#include <system_error>

#include "support/Platform.h"

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
    std::error_code made;
    if (auto path =
            support::CreateUniqueDirectory(support::PathText(base / "hoardwright-XXXXXX"), made)) {
      return TemporaryDirectory(std::move(*path));
    }
    failures += (failures.empty() ? "" : " nor in ") + support::PathText(base) + " (" +
                made.message() + ")";
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
