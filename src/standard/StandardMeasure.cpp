#include "standard/StandardMeasure.h"

#include <memory>
#include <span>
#include <vector>

#include "lzss/ByteStream.h"
#include "lzss/StreamEncoder.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "personality/ShapeLibraryReader.h"
#include "standard/InfoPersonality.h"
#include "standard/StandardCacheLayout.h"
#include "support/DirectoryText.h"
#include "support/EmbeddedResources.h"
#include "support/OrderedWork.h"
#include "support/Platform.h"

namespace hoardwright::standard {
namespace {

// Counts the bit stream's bytes and keeps none.
class CountingSink final : public lzss::ByteSink {
 public:
  bool Put(std::uint8_t) override {
    ++count_;
    return true;
  }
  std::uint64_t Count() const { return count_; }

 private:
  std::uint64_t count_ = 0;
};

std::string Text(std::span<const std::uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

StandardBuildResult MeasureStandardCache(const catalogue::BuildRequest& request,
                                         support::Reporter& reporter,
                                         const StandardBuildOptions& options,
                                         const CompiledSource& source) {
  StandardBuildResult result;
  const std::size_t entryCount = request.entries.size();
  if (entryCount == 0) {
    reporter.ShowMessage(NoPersonalitiesMessage());
    return result;
  }
  result.outputPath = support::ToPath(support::JoinPath(request.outputDir, options.outputFileName));
  const support::CalendarTime time = options.buildTime ? *options.buildTime : support::BuildTimeFromEnvironment();

  // The info personality as the build writes it into its working directory and reads it back.
  personality::LineStream infoText(
      InfoPersonalityText(support::InfoTemplateText(),
                          {support::FormatCacheDate(time), request.createdBy, entryCount, request.notes}),
      personality::LineMode::Text);
  const TableOptions tables{request.includePresetFocus, request.includeRangeTables,
                            request.includeMacros};
  auto info = std::make_shared<const CompiledPersonality>(CompilePersonalityText(infoText, tables));

  // The shape block, compiled from the embedded library read in text mode as the build reads
  // its working copy.
  personality::LineStream shapeText(Text(support::ShapeLibraryText()), personality::LineMode::Text);
  std::vector<std::uint8_t> shapeBuffer(kBlockBufferSize);
  personality::OutputCursor shapeCursor(shapeBuffer);
  personality::ReadShapeLibrary(shapeText, shapeCursor, reporter);
  if (shapeCursor.Overflowed() || shapeCursor.Position() == 0 ||
      shapeCursor.Position() > kMaxBlockLength + 1) {
    reporter.ShowMessage(ShapeLibraryTooLargeMessage(std::string(kShapeFileName)));
    return result;
  }
  if (entryCount > kMaxEntries) {
    reporter.ShowMessage(TooManyPersonalitiesMessage(entryCount));
    return result;
  }

  CountingSink counter;
  lzss::StreamEncoder encoder(counter, nullptr);
  encoder.Feed(shapeCursor.Written());
  std::size_t records = 0;
  const unsigned threads = support::EffectiveJobs(options.jobs);
  // Item 0 is the info personality, then the cache list in order.
  const bool completed = support::RunInOrder<std::shared_ptr<const CompiledPersonality>>(
      entryCount + 1, threads - 1, 64 * static_cast<std::size_t>(threads),
      [&](std::size_t item) { return item == 0 ? info : source(request.entries[item - 1], tables); },
      [&](std::size_t item, std::shared_ptr<const CompiledPersonality>& compiled) {
        if (support::Cancelled(options.cancel)) return false;
        const std::string path = item == 0 ? std::string(kInfoPersonalityFileName) : request.entries[item - 1];
        if (!ReportCompiledPersonality(path, *compiled, reporter)) {
          if (item == 0) return true;
          const LeftOutReason reason =
              compiled->outcome == CompiledPersonality::Outcome::NoDevice      ? LeftOutReason::NoDevice
              : compiled->outcome == CompiledPersonality::Outcome::CompileFailed ? LeftOutReason::CompileFailed
                                                                                : LeftOutReason::Unreadable;
          result.leftOut.push_back({path, reason});
          return true;
        }
        if (item == 0) result.infoIncluded = true;
        ++records;
        encoder.Feed(compiled->block);
        return true;
      });
  if (!completed || support::Cancelled(options.cancel)) {
    result.cancelled = true;
    return result;
  }
  encoder.Finish();
  result.cacheWritten = true;
  result.recordCount = records;
  result.cacheSize = static_cast<std::int64_t>(kHeaderSize + records * kIndexRecordSize + kSumSize +
                                               counter.Count());
  return result;
}

}  // namespace hoardwright::standard
