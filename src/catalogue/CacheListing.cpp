#include "catalogue/CacheListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "support/DirectoryText.h"
#include "support/Platform.h"

namespace hoardwright::catalogue {

CacheListing ListCacheEntries(const std::vector<std::string>& paths,
                              const ManufacturerMap& manufacturers, support::Reporter& reporter,
                              const FileObserver& observe) {
  CacheListing listing;
  const auto leaveOut = [&](const std::string& path, const std::string& reason) {
    const bool known = std::ranges::any_of(
        listing.unlisted, [&](const UnlistedPath& unlisted) { return unlisted.path == path; });
    if (known) return;
    if (!reason.empty()) reporter.ShowMessage(path + ": " + reason);
    listing.unlisted.push_back({path, reason});
  };
  // Every file read that gives no row is left out: with the gate's reason, or without one when
  // it has no DEVICE line. One whose device name the scan listed already has a row elsewhere.
  const FileObserver seen = [&](const std::string& path, const support::InputFile& file,
                                const PersonalityEntry* entry) {
    if (observe) observe(path, file, entry);
    if (!file.Read()) {
      leaveOut(path, file.refusal);
    } else if (entry == nullptr) {
      leaveOut(path, "");
    }
  };

  for (const std::string& path : paths) {
    std::error_code error;
    if (std::filesystem::is_directory(support::ToPath(path), error)) {
      const PersonalityScan scan = ScanPersonalityDirectory(support::WithTrailingSeparator(path),
                                                            manufacturers, reporter, {}, seen);
      if (!scan.error.empty()) {
        const support::InputFile unlisted{{},
                                          "cannot list the directory: " + scan.error,
                                          support::InputFault::CannotOpen,
                                          scan.error};
        if (observe) observe(path, unlisted, nullptr);
        leaveOut(path, unlisted.refusal);
      }
      for (const PersonalityEntry& entry : scan.entries) CopyToCacheList(entry, listing.cacheList);
    } else if (auto entry = ReadPersonalityEntry(path, manufacturers, reporter, nullptr, seen)) {
      CopyToCacheList(*entry, listing.cacheList);
    }
    listing.cacheList.SortByState();
  }
  return listing;
}

}  // namespace hoardwright::catalogue
