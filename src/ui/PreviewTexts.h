#pragma once
// What the main window says about a cache before it is built, and about one already built, as
// texts and states without widgets: the remembered cache kind, the size gauge, the problem marks
// of the list rows, the extended build's result, and the view of an opened cache.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/BuildRequest.h"
#include "catalogue/ManufacturerTable.h"
#include "check/PersonalityCheck.h"
#include "inspect/InspectReport.h"
#include "preview/CacheComparison.h"
#include "preview/CachePreview.h"
#include "support/CancelToken.h"

namespace hoardwright::ui {

// The cache kind as the settings keep it: "standard" or "extended". Anything else read back is
// no kind at all, and the window starts with the standard cache.
std::string_view CacheKindSetting(catalogue::CacheType kind);
std::optional<catalogue::CacheType> CacheKindFromSetting(std::string_view text);

// "98,577": thousands grouped, as the gauge and the views show byte counts.
std::string GroupedNumber(std::int64_t value);

// The gauge under the cache list: one line for the whole cache and, for the standard cache, a
// line per console.
struct GaugeConsole {
  std::string name;  // "Tiber"
  bool fits = false;
  std::string text;  // "Tiber (91k): fits, 1,234 bytes left" / "... over by 5,393 bytes"
};
struct GaugeView {
  std::string sizeLine;
  // Something a build would say against this list (over 1000 personalities, files left out);
  // empty when there is nothing.
  std::string warning;
  std::vector<GaugeConsole> consoles;  // empty for the extended cache and for no cache
};
GaugeView DescribePreview(const preview::CachePreview& preview);
// What the gauge says while it works out a new figure.
inline constexpr std::string_view kGaugeWorkingText = "Working out the cache size...";

// The mark of a list row: what check says of its file for the cache kind that is chosen. A file
// left out of that cache is marked as left out; one left out only of the other kind, or with
// warnings, is marked with a warning.
enum class RowMarkKind { None, Warning, LeftOut };
struct RowMark {
  RowMarkKind kind = RowMarkKind::None;
  // Each finding on a line of its own, with line and column: "LEFT OUT, line 17, column 7: ...".
  std::vector<std::string> reasons;
  std::string ToolTip() const;
};
RowMark MarkOf(const check::FileCheck& check, catalogue::CacheType kind);

// The message of an Add that was refused because files would be left out, with their reasons.
struct RefusedFile {
  std::string path;
  RowMark mark;
};
std::string RefusalText(const std::vector<RefusedFile>& refused);

// The extended build's result dialog: "Extended cache with 12 personalities".
std::string ExtendedResultText(std::size_t personalities);
// "Cache File Size: 813k", also for the extended cache.
std::string CacheSizeText(std::int64_t bytes);

// An opened cache as the Open Cache view shows it.
struct CacheOverviewRow {
  std::string device;
  std::string manufacturer;
  std::uint64_t size = 0;  // bytes of its record
  std::string state;       // "unchanged", "changed", "missing", "new"; empty without comparison
  std::string path;        // the directory's file, when it has one
  std::size_t number = 0;  // the cache's record; 0 for a new one
};
struct CacheOverview {
  std::string kind;  // "standard cache", "extended cache"
  std::string date;
  std::string createdBy;
  std::vector<std::string> notes;
  bool intact = false;
  std::vector<std::string> problems;  // where and what, when it is not intact
  // Every personality of the cache in its order, then the directory's new ones.
  std::vector<CacheOverviewRow> rows;
  std::string comparisonLine;  // "10 unchanged, 1 changed, 1 missing, 2 new in DIR"
  // The directory's files of the cache's personalities: what Load into cache list takes.
  std::vector<std::string> loadable;
};
CacheOverview DescribeCache(const inspect::InspectReport& report,
                            const preview::CacheComparison* comparison,
                            const catalogue::ManufacturerMap& manufacturers);

// File -> Open Cache: the cache at `path` read and inspected, and compared with the personality
// directory `directory` (its files compiled through `store`). `error` says why the file could
// not be read; the overview is empty then. A cancelled comparison leaves the overview empty too.
struct OpenedCache {
  std::string error;
  CacheOverview overview;
  bool cancelled = false;
};
OpenedCache OpenCacheFile(const std::string& path, const std::string& directory,
                          preview::PersonalityStore& store,
                          const support::CancelToken* cancel = nullptr);

// Whether a dropped file is a cache to open: a ".CMP" name (any case), or an extended cache's
// magic at its start.
bool LooksLikeCache(const std::string& path);

}  // namespace hoardwright::ui
