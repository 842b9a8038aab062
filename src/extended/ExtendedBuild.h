#pragma once
// The extended build: every personality of the cache list becomes one record of an extended cache
// written to OutputDir + "OMK01PER.CMP" (or the file name the options give). It shows no dialog; its messages go to the reporter.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/BuildClock.h"
#include "support/OutputFile.h"
#include "support/CancelToken.h"
#include "support/Reporter.h"
#include "catalogue/BuildDetails.h"
#include "catalogue/BuildRequest.h"
#include "extended/ExtendedCache.h"
#include "personality/LineStream.h"

namespace hoardwright::extended {

inline constexpr std::string_view kShapeLibraryFileName = "SG.DAT";

enum class ExtendedBuildStatus {
  Written,
  NoPersonalities,       // the cache list is empty
  TooManyPersonalities,  // more rows than the personality table holds
  ShapeLibraryFailed,    // the working copy of the shape library could not be written
  OutputFailed,          // the cache file could not be created or written
  Cancelled,             // the cancel token stopped the build; nothing was written
};

struct ExtendedBuildResult {
  ExtendedBuildStatus status = ExtendedBuildStatus::OutputFailed;
  std::filesystem::path outputPath;
  int personalityCount = 0;  // records in the written file
  std::uint64_t cacheSize = 0;  // bytes of the written (or measured) file
  // Cache-list files without a binary form in the file: not added (unreadable, no manufacturer
  // or fixture name) or added without one (the conversion failed). In list order.
  std::vector<std::string> leftOut;
  bool Written() const { return status == ExtendedBuildStatus::Written; }
};

struct ExtendedBuildOptions {
  // The time stamped into the file; the build time (SOURCE_DATE_EPOCH or the clock) when unset.
  std::optional<support::CalendarTime> time;
  // The file written in the request's output directory.
  std::string outputFileName = std::string(catalogue::kDefaultCacheFileName);
  support::WriteFaults* faults = nullptr;  // tests make a write (working copy or cache file) fail
  std::ostream* console = nullptr;  // the coder's progress dots
  // Threads that convert and compress the group blocks; 0: the machine's hardware threads. The
  // file and the messages are the same for any number.
  unsigned jobs = 0;
  // Looked at before each personality and between and within the blocks: once it is cancelled
  // the build stops without a message, writes no cache and removes its working files.
  const support::CancelToken* cancel = nullptr;
};

// What the build takes from a personality's NAME and DEVICE lines.
struct PersonalityNames {
  std::string manufacturer;
  std::string fixtureName;
  std::string deviceName;  // cut to the record's 11 characters
};

// One cache-list row as the build reads it before any block is made: whether its file could be
// read, its names, and what the readers reported on the way.
struct NamedRow {
  bool readable = false;
  PersonalityNames names;
  std::vector<support::ReportedMessage> messages;
};

// The NAME fields and the DEVICE text, each searched from the start of `text` (the file read in
// text mode). A missing keyword leaves its text empty and its reader's message in the row.
NamedRow ReadNamedRow(personality::LineStream& text);
// The same for the file at `path`, read through the personality gate.
NamedRow ReadNamedRow(const std::string& path);

// What a build has read before, handed back so that nothing is read again: each row's names
// (by cache-list row) and each file's binary form. Both are called on several threads at once.
struct HeldPersonalities {
  std::function<NamedRow(std::size_t row)> names;
  CExtendedCache::FormSource forms;
};

// Reads the NAME and DEVICE lines of each cache-list file in list order, adds the personalities
// and writes the file atomically. A row whose file cannot be read or that lacks a manufacturer or
// fixture name is left out; the readers report missing keywords.
ExtendedBuildResult BuildExtendedCache(const catalogue::BuildRequest& request,
                                       support::Reporter& reporter,
                                       const ExtendedBuildOptions& options = {});

// The same steps, messages and result, with the names and forms from `held`, the shape library
// taken from memory and the file only counted: nothing is read, written or left behind. The
// result says Written for a file that would be written, with its size in `cacheSize`.
ExtendedBuildResult MeasureExtendedCache(const catalogue::BuildRequest& request,
                                         support::Reporter& reporter,
                                         const ExtendedBuildOptions& options,
                                         const HeldPersonalities& held);

}  // namespace hoardwright::extended
