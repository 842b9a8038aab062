#include "preview/CachePreview.h"

#include "extended/ExtendedBuild.h"
#include "standard/StandardMeasure.h"
#include "support/Platform.h"

namespace hoardwright::preview {
namespace {

CachePreview PreviewStandard(const catalogue::BuildRequest& request, PersonalityStore& store,
                             const PreviewOptions& options, support::CollectingReporter& reporter) {
  CachePreview preview;
  standard::StandardBuildOptions measureOptions;
  measureOptions.buildTime = options.time;
  measureOptions.outputFileName = options.outputFileName;
  measureOptions.jobs = options.jobs;
  measureOptions.cancel = options.cancel;
  const standard::StandardBuildResult measured = standard::MeasureStandardCache(
      request, reporter, measureOptions,
      [&store](const std::string& path, const standard::TableOptions& tables) {
        return store.Standard(path, tables);
      });
  preview.outputPath = support::PathText(measured.outputPath);
  if (measured.cancelled) {
    preview.outcome = CachePreview::Outcome::Cancelled;
    return preview;
  }
  if (!measured.cacheWritten) return preview;
  preview.outcome = CachePreview::Outcome::WouldWrite;
  preview.cacheSize = measured.cacheSize;
  preview.recordCount = measured.recordCount;
  for (const standard::LeftOutPersonality& leftOut : measured.leftOut) {
    preview.leftOut.push_back(leftOut.path);
  }
  preview.consoles = standard::DecideCacheResult(measured.cacheSize,
                                                 static_cast<std::int64_t>(request.entries.size()));
  return preview;
}

CachePreview PreviewExtended(const catalogue::BuildRequest& request, PersonalityStore& store,
                             const PreviewOptions& options, support::CollectingReporter& reporter) {
  CachePreview preview;
  extended::ExtendedBuildOptions measureOptions;
  measureOptions.time = options.time;
  measureOptions.outputFileName = options.outputFileName;
  measureOptions.jobs = options.jobs;
  measureOptions.cancel = options.cancel;
  extended::HeldPersonalities held;
  held.names = [&](std::size_t row) { return store.Extended(request.entries[row])->row; };
  held.forms = [&](const std::string& path, std::vector<std::uint8_t>& bytes,
                   support::Reporter& messages) {
    const auto kept = store.Extended(path);
    for (const support::ReportedMessage& message : kept->formMessages) {
      messages.ShowMessage(message.text, message.caption);
    }
    bytes.insert(bytes.end(), kept->form.begin(), kept->form.end());
  };
  const extended::ExtendedBuildResult measured =
      extended::MeasureExtendedCache(request, reporter, measureOptions, held);
  preview.outputPath = support::PathText(measured.outputPath);
  if (measured.status == extended::ExtendedBuildStatus::Cancelled) {
    preview.outcome = CachePreview::Outcome::Cancelled;
    return preview;
  }
  if (!measured.Written()) return preview;
  preview.outcome = CachePreview::Outcome::WouldWrite;
  preview.cacheSize = static_cast<std::int64_t>(measured.cacheSize);
  preview.recordCount = static_cast<std::size_t>(measured.personalityCount);
  preview.leftOut = measured.leftOut;
  return preview;
}

}  // namespace

CachePreview PreviewCache(const catalogue::BuildRequest& request, PersonalityStore& store,
                          const PreviewOptions& options) {
  support::CollectingReporter reporter;
  CachePreview preview = request.cacheType == catalogue::CacheType::Extended
                             ? PreviewExtended(request, store, options, reporter)
                             : PreviewStandard(request, store, options, reporter);
  preview.cacheType = request.cacheType;
  preview.listCount = request.entries.size();
  if (preview.outcome != CachePreview::Outcome::Cancelled) preview.messages = std::move(reporter.messages);
  return preview;
}

}  // namespace hoardwright::preview
