#pragma once
// The standard build: the info personality, the shape library and every cache-list personality
// compiled into blocks, joined, LZSS-compressed and written as one standard cache file behind its
// header and index. Everything the user sees goes through the BuildHost.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/BuildClock.h"
#include "standard/BuildHost.h"
#include "support/OutputFile.h"
#include "support/CancelToken.h"
#include "catalogue/BuildDetails.h"
#include "catalogue/BuildRequest.h"

namespace hoardwright::standard {

// The working copy of the embedded shape library the build compiles its shape block from.
inline constexpr const char* kShapeFileName = "SG.DAT";

struct StandardBuildOptions {
  // The date stamped into the info personality; unset means the local clock, or
  // SOURCE_DATE_EPOCH when that is set.
  std::optional<support::CalendarTime> buildTime;
  // The file name an unattended build writes to in the output directory (an interactive build
  // takes it from the details dialog).
  std::string outputFileName = std::string(catalogue::kDefaultCacheFileName);
  // Tests make one of the build's writes fail through this plan.
  support::WriteFaults* faults = nullptr;
  // Threads for the build: personalities are compiled on all but one while the calling thread
  // shows their messages and feeds their blocks, in list order, to the encoder. 0: the machine's
  // hardware threads. The cache file and the messages are the same for any number.
  unsigned jobs = 0;
  // Codes the stream with the slow reference encoder after all blocks are compiled, as the
  // build once did; the bytes are the same. For benchmarks that compare the two.
  bool referenceEncoder = false;
  // Looked at before each personality and while the stream is coded and written: once it is
  // cancelled the build stops, writes no cache and removes its working files.
  const support::CancelToken* cancel = nullptr;
};

enum class LeftOutReason {
  Unreadable,     // the file could not be opened; nothing was reported
  NoDevice,       // no DEVICE line
  CompileFailed,  // a required section missing or malformed, or the record too long
};

struct LeftOutPersonality {
  std::string path;
  LeftOutReason reason;
  bool operator==(const LeftOutPersonality&) const = default;
};

struct StandardBuildResult {
  bool cacheWritten = false;
  // The details dialog was cancelled, or the cancel token stopped the build; no cache was
  // written and no message shown.
  bool cancelled = false;
  std::filesystem::path outputPath;
  std::size_t recordCount = 0;  // N, the index records written (the info personality included)
  bool infoIncluded = false;
  // Cache-list entries that are not in the cache, in list order.
  std::vector<LeftOutPersonality> leftOut;
  std::int64_t cacheSize = 0;
};

// Runs one standard build for `request`. An unattended request skips the details dialog and
// leaves the stored settings alone. The cache file appears at its path only when it is complete;
// the working files live in a private temporary directory that is removed at the end. The
// request is read once at the start: a host that keeps taking input during the build (between
// two personalities) should not let the user change the lists or start a second build meanwhile.
StandardBuildResult BuildStandardCache(const catalogue::BuildRequest& request, BuildHost& host,
                                       const StandardBuildOptions& options = {});

// The build's messages about the cache list and the shape library, which its measure shows too.
std::string NoPersonalitiesMessage();
std::string TooManyPersonalitiesMessage(std::size_t count);
std::string ShapeLibraryTooLargeMessage(const std::string& path);

}  // namespace hoardwright::standard
