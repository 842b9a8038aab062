#pragma once
// The cache list the command line makes of the paths it is given, for `hoardwright build` and
// `hoardwright check` alike: each directory scanned as the desktop's scan does it, each file read
// on its own, every row added as Add All adds it. Each file is read once, through the same gate
// as the builds read it, and what could not be listed is kept with its reason.
#include <string>
#include <vector>

#include "catalogue/ManufacturerTable.h"
#include "support/Reporter.h"
#include "catalogue/PersonalityListModel.h"
#include "catalogue/PersonalityScan.h"

namespace hoardwright::catalogue {

// A path that gives no row.
struct UnlistedPath {
  std::string path;
  // Why: the gate's refusal ("not a regular file (a FIFO or pipe)"), "cannot list the
  // directory: ..." for a directory, or empty for a file without a DEVICE line (its reader
  // reported that).
  std::string reason;
};

struct CacheListing {
  PersonalityListModel cacheList;
  std::vector<UnlistedPath> unlisted;  // in the order met, each path once
};

// Lists `paths` in order, sorting the cache list after each as Add All does. Each refusal is
// reported as "PATH: REASON"; the readers report missing DEVICE lines. `observe` sees every file
// read, and every directory that cannot be listed (as a file refused with that reason).
CacheListing ListCacheEntries(const std::vector<std::string>& paths,
                              const ManufacturerMap& manufacturers, support::Reporter& reporter,
                              const FileObserver& observe = {});

}  // namespace hoardwright::catalogue
