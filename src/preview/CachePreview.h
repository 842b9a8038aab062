#pragma once
// What Build Cache would write for a cache list, worked out in memory: the exact size of the file
// (the info personality, the shape library and every block, compressed as the build compresses
// them), the three consoles' limits against it (standard cache), the personalities that would be
// left out and the messages the build would show. Nothing is written, no working file is made;
// compiled records come from a PersonalityStore, so a recompute after a change compiles only the
// changed files. The size is the one a build of the same list then writes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/BuildRequest.h"
#include "preview/PersonalityStore.h"
#include "standard/CacheResult.h"
#include "support/BuildClock.h"
#include "support/CancelToken.h"
#include "support/Reporter.h"

namespace hoardwright::preview {

struct PreviewOptions {
  // The date in the info personality; unset: SOURCE_DATE_EPOCH or the local clock, as a build.
  std::optional<support::CalendarTime> time;
  // The cache file's name in the request's output directory (it is named, never opened).
  std::string outputFileName = std::string(catalogue::kDefaultCacheFileName);
  unsigned jobs = 0;  // threads; 0: the machine's hardware threads
  const support::CancelToken* cancel = nullptr;
};

struct CachePreview {
  enum class Outcome {
    WouldWrite,  // a build would write the file described here
    NotWritten,  // a build would write no cache (an empty or too long list); see `messages`
    Cancelled,   // the token stopped the preview; nothing else is set
  };
  Outcome outcome = Outcome::NotWritten;
  catalogue::CacheType cacheType = catalogue::CacheType::Standard;
  std::string outputPath;
  std::int64_t cacheSize = 0;  // bytes
  // Records in the file: the standard cache's index records (the info personality included),
  // the extended cache's personality records.
  std::size_t recordCount = 0;
  std::size_t listCount = 0;  // cache-list rows
  // Cache-list files the cache would not hold (in list order).
  std::vector<std::string> leftOut;
  // What the build would show, in its order: readers' messages, left-out files, list limits.
  std::vector<support::ReportedMessage> messages;
  // The standard cache's result dialog: size text and each console's fit and margin in bytes.
  // The consoles' limits do not apply to the extended cache, which leaves it unset.
  std::optional<standard::CacheResult> consoles;
};

// The preview of the cache `request` describes (its cache type, entries, table options,
// created-by text and notes, as an unattended build takes them).
CachePreview PreviewCache(const catalogue::BuildRequest& request, PersonalityStore& store,
                          const PreviewOptions& options = {});

}  // namespace hoardwright::preview
