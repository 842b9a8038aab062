#include "extended/ExtendedBuild.h"

#include <array>
#include <string>

#include "support/OrderedWork.h"
#include "support/TemporaryDirectory.h"
#include "extended/ExtendedCache.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/EmbeddedResources.h"
#include "support/DirectoryText.h"

namespace hoardwright::extended {
namespace {

// ReadDevice stores at most 80 characters and a NUL.
constexpr std::size_t kDeviceTextBufferSize = 81;

struct PersonalityNames {
  std::string manufacturer;
  std::string fixtureName;
  std::string deviceName;
};

// The NAME fields and the DEVICE text, each searched from the file's start. A missing keyword
// leaves its text empty (the reader reports it).
PersonalityNames ReadNames(personality::LineStream& file, support::Reporter& reporter) {
  PersonalityNames names;
  names.manufacturer = personality::ReadNameFirst(file, reporter).value_or(std::string());
  file.Rewind();
  names.fixtureName = personality::ReadNameSecond(file, reporter).value_or(std::string());
  file.Rewind();
  std::array<std::uint8_t, kDeviceTextBufferSize> device{};
  personality::OutputCursor cursor(device);
  if (personality::ReadDevice(file, cursor, reporter)) {
    names.deviceName = TextField(device);
    if (names.deviceName.size() > kRecordDeviceNameLength) names.deviceName.resize(kRecordDeviceNameLength);
  }
  return names;
}

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

// The fixed text of a message, then why the system refused, on the same line so that the
// command line prints it as one line too.
std::string WithReason(std::string message, const std::string& reason) {
  if (!reason.empty()) message += " " + reason;
  return message;
}

}  // namespace

ExtendedBuildResult BuildExtendedCache(const catalogue::BuildRequest& request, support::Reporter& reporter,
                                       const ExtendedBuildOptions& options) {
  ExtendedBuildResult result;
  result.outputPath = support::JoinPath(request.outputDir, options.outputFileName);
  if (request.entries.empty()) {
    reporter.ShowMessage(
        "No personalities to build! Personalities need to be added to the cache listbox first!");
    result.status = ExtendedBuildStatus::NoPersonalities;
    return result;
  }
  if (request.entries.size() > static_cast<std::size_t>(kMaxExtendedPersonalities)) {
    reporter.ShowMessage("Too many personalities (" + std::to_string(request.entries.size()) +
                         "), Max: " + std::to_string(kMaxExtendedPersonalities) +
                         ". Cache file not created!");
    result.status = ExtendedBuildStatus::TooManyPersonalities;
    return result;
  }

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
    reporter.ShowMessage(
        WithReason("Unable to create " + shapeFile.string() + ", cache cannot be built!", error));
    result.status = ExtendedBuildStatus::ShapeLibraryFailed;
    return result;
  }

  CExtendedCache cache(options.console);
  cache.SetShapeFile(shapeFile);
  cache.SetCancelToken(options.cancel);
  // Per cache-list row, whether it ends up with a binary form in the file.
  std::vector<bool> rowLeftOut(request.entries.size(), true);
  std::vector<std::size_t> recordRows;
  // The names are read on the build's threads and added in list order, their readers' messages
  // with them.
  struct RowNames {
    bool readable = false;
    PersonalityNames names;
    std::vector<support::ReportedMessage> messages;
  };
  const unsigned threads = support::EffectiveJobs(options.jobs);
  support::RunInOrder<RowNames>(
      request.entries.size(), threads > 1 ? threads : 0, 64 * static_cast<std::size_t>(threads),
      [&](std::size_t row) {
        RowNames read;
        auto file = personality::LineStream::Open(request.entries[row], personality::LineMode::Text);
        if (!file) return read;
        support::CollectingReporter messages;
        read.readable = true;
        read.names = ReadNames(*file, messages);
        read.messages = std::move(messages.messages);
        return read;
      },
      [&](std::size_t row, RowNames& read) {
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

  const support::CalendarTime time = options.time ? *options.time : support::BuildTimeFromEnvironment();
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
      reporter.ShowMessage(WithReason("Unable to create output file " +
                                          result.outputPath.string() +
                                          ", cache file could not be created!",
                                      error));
      result.status = ExtendedBuildStatus::OutputFailed;
      return result;
    case CacheFileOutcome::NotWritten:
      // As the standard build says it: the file could be created, but not filled.
      reporter.ShowMessage("Unable to write " + result.outputPath.string() + " (" + error +
                           "), cache file could not be created!");
      result.status = ExtendedBuildStatus::OutputFailed;
      return result;
  }
  result.status = ExtendedBuildStatus::Written;
  result.personalityCount = cache.PersonalityCount();
  for (int i = 0; i < cache.PersonalityCount(); ++i) {
    if (cache.Personality(i).length > 0) rowLeftOut[recordRows[static_cast<std::size_t>(i)]] = false;
  }
  for (std::size_t row = 0; row < request.entries.size(); ++row) {
    if (rowLeftOut[row]) result.leftOut.push_back(request.entries[row]);
  }
  return result;
}

}  // namespace hoardwright::extended
