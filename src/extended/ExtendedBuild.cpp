#include "extended/ExtendedBuild.h"

#include <array>
#include <string>

#include "extended/ExtendedCache.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/DirectoryText.h"
#include "support/EmbeddedResources.h"
#include "support/OrderedWork.h"
#include "support/Platform.h"
#include "support/TemporaryDirectory.h"

namespace hoardwright::extended {
namespace {

// ReadDevice stores at most 80 characters and a NUL.
constexpr std::size_t kDeviceTextBufferSize = 81;

// The embedded shape library, byte for byte, as the file the cache compiles its shapes from.
// False, with the reason in `error`, when it could not be written.
bool WriteShapeLibrary(const std::filesystem::path& path, support::WriteFaults* faults,
                       std::string& error) {
  auto file = support::OutputFile::Create(path, &error, faults);
  if (!file) return false;
  if (file->Write(support::ShapeLibraryText()) && file->Close()) return true;
  error = file->Error();
  return false;
}

// The checks on the cache list as a whole; false, with the message shown, when no cache can be
// made of it.
bool ListAccepted(const catalogue::BuildRequest& request, support::Reporter& reporter,
                  ExtendedBuildResult& result) {
  if (request.entries.empty()) {
    reporter.ShowMessage(
        "No personalities to build! Personalities need to be added to the cache listbox first!");
    result.status = ExtendedBuildStatus::NoPersonalities;
    return false;
  }
  if (request.entries.size() > static_cast<std::size_t>(kMaxExtendedPersonalities)) {
    reporter.ShowMessage("Too many personalities (" + std::to_string(request.entries.size()) +
                         "), Max: " + std::to_string(kMaxExtendedPersonalities) +
                         ". Cache file not created!");
    result.status = ExtendedBuildStatus::TooManyPersonalities;
    return false;
  }
  return true;
}

// Adds every row whose names were read, in list order, with its readers' messages. Returns the
// cache-list row of each record.
std::vector<std::size_t> AddRows(const catalogue::BuildRequest& request, support::Reporter& reporter,
                                 const ExtendedBuildOptions& options,
                                 const std::function<NamedRow(std::size_t)>& names,
                                 CExtendedCache& cache) {
  std::vector<std::size_t> recordRows;
  // The names are read on the build's threads and added in list order.
  const unsigned threads = support::EffectiveJobs(options.jobs);
  support::RunInOrder<NamedRow>(
      request.entries.size(), threads > 1 ? threads : 0, 64 * static_cast<std::size_t>(threads),
      names, [&](std::size_t row, NamedRow& read) {
        if (support::Cancelled(options.cancel)) return false;
        for (const support::ReportedMessage& message : read.messages) {
          reporter.ShowMessage(message.text, message.caption);
        }
        if (read.readable && cache.AddPersonality(read.names.manufacturer, read.names.fixtureName,
                                                  read.names.deviceName, request.entries[row])) {
          recordRows.push_back(row);
        }
        return true;
      });
  return recordRows;
}

// The written cache's count, size and the rows without a binary form in it.
void Conclude(const catalogue::BuildRequest& request, const CExtendedCache& cache,
              const std::vector<std::size_t>& recordRows, ExtendedBuildResult& result) {
  result.status = ExtendedBuildStatus::Written;
  result.personalityCount = cache.PersonalityCount();
  result.cacheSize = cache.Offsets()[FileLengthSlot(cache.GroupCounter())];
  std::vector<bool> rowLeftOut(request.entries.size(), true);
  for (int i = 0; i < cache.PersonalityCount(); ++i) {
    if (cache.Personality(i).length > 0) rowLeftOut[recordRows[static_cast<std::size_t>(i)]] = false;
  }
  for (std::size_t row = 0; row < request.entries.size(); ++row) {
    if (rowLeftOut[row]) result.leftOut.push_back(request.entries[row]);
  }
}

}  // namespace

NamedRow ReadNamedRow(personality::LineStream& file) {
  NamedRow row;
  row.readable = true;
  support::CollectingReporter reporter;
  PersonalityNames& names = row.names;
  file.Rewind();
  names.manufacturer = personality::ReadNameFirst(file, reporter).value_or(std::string());
  file.Rewind();
  names.fixtureName = personality::ReadNameSecond(file, reporter).value_or(std::string());
  file.Rewind();
  std::array<std::uint8_t, kDeviceTextBufferSize> device{};
  personality::OutputCursor cursor(device);
  if (personality::ReadDevice(file, cursor, reporter)) {
    names.deviceName = TextField(device);
    if (names.deviceName.size() > kRecordDeviceNameLength)
      names.deviceName.resize(kRecordDeviceNameLength);
  }
  row.messages = std::move(reporter.messages);
  return row;
}

NamedRow ReadNamedRow(const std::string& path) {
  auto file = personality::LineStream::Open(support::ToPath(path), personality::LineMode::Text);
  if (!file) return {};
  return ReadNamedRow(*file);
}

ExtendedBuildResult BuildExtendedCache(const catalogue::BuildRequest& request,
                                       support::Reporter& reporter,
                                       const ExtendedBuildOptions& options) {
  ExtendedBuildResult result;
  result.outputPath = support::ToPath(support::JoinPath(request.outputDir, options.outputFileName));
  if (!ListAccepted(request, reporter, result)) return result;

  // A cache without its shape library would look complete to the console, so a working copy
  // that cannot be written ends the build.
  std::string error;
  const auto workDir = support::TemporaryDirectory::Create(&error);
  std::filesystem::path shapeFile;
  if (workDir) {
    shapeFile = *workDir / std::string(kShapeLibraryFileName);
  } else {
    // Where the private directory would have been.
    shapeFile = support::TemporaryBases().front() / std::string(kShapeLibraryFileName);
  }
  if (!workDir || !WriteShapeLibrary(shapeFile, options.faults, error)) {
    reporter.ShowMessage(support::WithReason(
        "Unable to create " + support::PathText(shapeFile) + ", cache cannot be built!", error));
    result.status = ExtendedBuildStatus::ShapeLibraryFailed;
    return result;
  }

  CExtendedCache cache(options.console);
  cache.SetShapeFile(shapeFile);
  cache.SetCancelToken(options.cancel);
  const std::vector<std::size_t> recordRows = AddRows(
      request, reporter, options,
      [&](std::size_t row) { return ReadNamedRow(request.entries[row]); }, cache);

  const support::CalendarTime time =
      options.time ? *options.time : support::BuildTimeFromEnvironment();
  const CacheFileOutcome outcome =
      support::Cancelled(options.cancel)
          ? CacheFileOutcome::Cancelled
          : cache.WriteCacheFile(result.outputPath, time, reporter, &error, options.faults,
                                 options.jobs);
  switch (outcome) {
    case CacheFileOutcome::Written:
      break;
    case CacheFileOutcome::Cancelled:
      result.status = ExtendedBuildStatus::Cancelled;
      return result;
    case CacheFileOutcome::NotCreated:
      reporter.ShowMessage(support::WithReason("Unable to create output file " +
                                                   support::PathText(result.outputPath) +
                                                   ", cache file could not be created!",
                                               error));
      result.status = ExtendedBuildStatus::OutputFailed;
      return result;
    case CacheFileOutcome::NotWritten:
      // As the standard build says it: the file could be created, but not filled.
      reporter.ShowMessage("Unable to write " + support::PathText(result.outputPath) + " (" +
                           error + "), cache file could not be created!");
      result.status = ExtendedBuildStatus::OutputFailed;
      return result;
  }
  Conclude(request, cache, recordRows, result);
  return result;
}

ExtendedBuildResult MeasureExtendedCache(const catalogue::BuildRequest& request,
                                         support::Reporter& reporter,
                                         const ExtendedBuildOptions& options,
                                         const HeldPersonalities& held) {
  ExtendedBuildResult result;
  result.outputPath = support::ToPath(support::JoinPath(request.outputDir, options.outputFileName));
  if (!ListAccepted(request, reporter, result)) return result;

  CExtendedCache cache(nullptr);
  cache.SetShapeText(std::string(support::ShapeLibraryText().begin(), support::ShapeLibraryText().end()));
  cache.SetCancelToken(options.cancel);
  cache.SetFormSource(held.forms);
  const std::vector<std::size_t> recordRows = AddRows(request, reporter, options, held.names, cache);
  const support::CalendarTime time =
      options.time ? *options.time : support::BuildTimeFromEnvironment();
  if (support::Cancelled(options.cancel) || !cache.MeasureCacheFile(time, reporter, options.jobs)) {
    result.status = ExtendedBuildStatus::Cancelled;
    return result;
  }
  Conclude(request, cache, recordRows, result);
  return result;
}

}  // namespace hoardwright::extended
