#include "standard/StandardBuild.h"

#include <array>
#include <fstream>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <system_error>

#include "lzss/Lzss.h"
#include "lzss/StreamEncoder.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "personality/ShapeLibraryReader.h"
#include "standard/CacheIndexTable.h"
#include "standard/CompiledPersonality.h"
#include "standard/CompressIntermediate.h"
#include "standard/InfoPersonality.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardCacheLayout.h"
#include "support/DirectoryText.h"
#include "support/EmbeddedResources.h"
#include "support/OrderedWork.h"
#include "support/Platform.h"
#include "support/TemporaryDirectory.h"

namespace hoardwright::standard {
namespace {

constexpr const char* kIntermediateFileName = "QPFCOMP.DAT";
constexpr const char* kCompressedFileName = "OMK01PER.TMP";
// The progress bar's range while compressing, per index record.
constexpr std::uint32_t kCompressionStepsPerRecord = 530;

std::string Text(const std::filesystem::path& path) {
  return support::PathText(path);
}

std::string NotEnoughMemoryMessage() { return "Not enough memory to complete build!"; }
std::string CannotOpenIntermediateMessage(const std::string& path) {
  return "Unable to open output file " + path + ", cache file cannot be built!";
}
std::string CannotCreateMessage(const std::string& path) {
  return "Unable to create " + path + ", cache cannot be built!";
}
std::string CannotOpenMessage(const std::string& path) {
  return "Unable to open " + path + ", cache cannot be built!";
}
std::string CannotCreateOutputMessage(const std::string& path) {
  return "Unable to create output file " + path + ", cache file could not be created!";
}
// A write that failed on the way (disk full, say): the build never reports success then.
std::string WriteErrorMessage(const std::string& path, const std::string& reason) {
  return "Unable to write " + path + " (" + reason + "), cache file could not be created!";
}

// The working storage of one build.
struct WorkingBuffers {
  standard::CacheIndexTable indexTable;
  std::vector<std::uint8_t> blockBuffer;
};

class StandardBuild {
 public:
  StandardBuild(const catalogue::BuildRequest& request, BuildHost& host,
                const StandardBuildOptions& options)
      : request_(request), host_(host), options_(options) {}

  StandardBuildResult Run() {
    Build();
    // Whatever ended the build, the main window goes back to its idle look; the private
    // directory and every file still open go with this object.
    host_.SetStatusText(" ");
    host_.ShowProgress(false);
    return std::move(result_);
  }

 private:
  void Build() {
    const std::size_t entryCount = request_.entries.size();
    if (entryCount == 0) {
      host_.ShowMessage(NoPersonalitiesMessage());
      return;
    }
    const support::CalendarTime time =
        options_.buildTime ? *options_.buildTime : support::BuildTimeFromEnvironment();

    BuildDetails details;
    details.cacheDate = support::FormatCacheDate(time);
    details.fileCount = static_cast<std::int32_t>(entryCount);
    details.createdBy = request_.createdBy;
    details.outputDir = request_.outputDir;
    details.outputFileName = options_.outputFileName;
    if (request_.unattended) {
      details.notes = request_.notes;
    } else {
      details.outputFileName = catalogue::kDefaultCacheFileName;
      if (host_.ShowBuildDetails(details) != DialogResult::Ok) {
        result_.cancelled = true;
        return;
      }
      host_.StoreBuildDetails(details);
    }

    if (auto directory = support::TemporaryDirectory::Create(&temporaryError_)) {
      temporary_.emplace(std::move(*directory));
    }
    if (!WriteInfo(details, entryCount)) return;
    if (!Allocate()) return;
    const std::filesystem::path outputPath =
        support::ToPath(support::JoinPath(details.outputDir, details.outputFileName));
    host_.RepaintNow();

    if (!OpenIntermediate()) return;
    if (!CompileShapeLibrary()) return;

    host_.SetProgressRange(static_cast<std::uint32_t>(entryCount));
    host_.SetProgressPosition(0);
    host_.ShowProgress(true);
    if (entryCount > standard::kMaxEntries) {
      host_.ShowMessage(TooManyPersonalitiesMessage(entryCount));
      return;
    }

    // The info personality first, when it was written, then the cache list in order.
    const std::size_t first = infoPath_.empty() ? 1 : 0;
    const auto path = [&](std::size_t item) {
      return item == 0 ? Text(infoPath_) : request_.entries[item - 1];
    };
    const TableOptions tables{request_.includePresetFocus, request_.includeRangeTables,
                              request_.includeMacros};
    const unsigned threads = support::EffectiveJobs(options_.jobs);
    // Compiled possibly on another thread; shown and taken in list order.
    const bool completed = support::RunInOrder<CompiledPersonality>(
        entryCount + 1 - first, threads - 1, 64 * static_cast<std::size_t>(threads),
        [&](std::size_t item) { return CompilePersonalityFile(path(item + first), tables); },
        [&](std::size_t item, CompiledPersonality& compiled) {
          const std::size_t index = item + first;
          return ProcessItem(path(index), index == 0 ? 0 : index - 1, index == 0, compiled);
        });
    if (!completed) return;

    if (!CloseIntermediate()) return;
    WriteCache(outputPath);
  }

  bool WriteInfo(const BuildDetails& details, std::size_t entryCount) {
    // Without a private directory there is no info personality; the intermediate file reports
    // the problem below.
    if (!temporary_) return true;
    const InfoPersonalityFile info = WriteInfoPersonality(
        temporary_->Path(),
        {details.cacheDate, details.createdBy, entryCount, details.notes}, options_.faults);
    if (!info.writeError.empty()) {
      host_.ShowMessage(WriteErrorMessage(Text(*temporary_ / kInfoPersonalityFileName),
                                          info.writeError));
      return false;
    }
    infoPath_ = info.path;
    return true;
  }

  bool Allocate() {
    try {
      buffers_ = std::make_unique<WorkingBuffers>();
      buffers_->blockBuffer.assign(standard::kBlockBufferSize, 0);
    } catch (const std::bad_alloc&) {
      buffers_.reset();
      host_.ShowMessage(NotEnoughMemoryMessage());
      return false;
    }
    return true;
  }

  // Without a private directory, the place it would have been made in.
  std::filesystem::path TemporaryPath(const char* name) const {
    if (temporary_) return *temporary_ / name;
    return support::TemporaryBases().front() / name;
  }

  bool OpenIntermediate() {
    intermediatePath_ = TemporaryPath(kIntermediateFileName);
    std::string error = temporaryError_;
    if (temporary_)
      intermediate_ = support::OutputFile::Create(intermediatePath_, &error, options_.faults);
    if (!intermediate_) {
      host_.ShowMessage(
          support::WithReason(CannotOpenIntermediateMessage(Text(intermediatePath_)), error));
      return false;
    }
    // The blocks are compressed as they are appended, so the stream is coded while later
    // personalities are still being compiled.
    compressedPath_ = TemporaryPath(kCompressedFileName);
    compressed_ = support::OutputFile::Create(compressedPath_, &error, options_.faults);
    if (!compressed_) {
      host_.ShowMessage(WriteErrorMessage(Text(compressedPath_), error));
      return false;
    }
    encoder_ = std::make_unique<lzss::StreamEncoder>(encodedSink_, nullptr);
    return true;
  }

  // Appends one compiled block to the intermediate file and to the compressed stream.
  bool AppendBlock(std::span<const std::uint8_t> block) {
    if (!intermediate_->Write(block)) {
      host_.ShowMessage(WriteErrorMessage(Text(intermediatePath_), intermediate_->Error()));
      return false;
    }
    if (options_.referenceEncoder) return true;
    encoder_->Feed(block);
    streamSum_ = encoder_->Sum();
    return WriteEncoded();
  }

  // The whole intermediate file coded by the reference encoder into the compressed file.
  bool EncodeWithReference() {
    const auto stream = ReadWholeFile(intermediatePath_);
    if (!stream) {
      host_.ShowMessage(CannotOpenMessage(Text(intermediatePath_)));
      return false;
    }
    const std::vector<std::uint8_t> unit = lzss::ReferenceCompressUnit(*stream);
    streamSum_ = lzss::ByteSum(*stream);
    encoded_.assign(unit.begin() + lzss::kUnitSumSize, unit.end());
    return WriteEncoded();
  }

  // Moves the stream bytes the encoder has finished into the compressed file.
  bool WriteEncoded() {
    const bool written = encoded_.empty() || compressed_->Write(encoded_);
    encoded_.clear();
    if (written) return true;
    host_.ShowMessage(WriteErrorMessage(Text(compressedPath_), compressed_->Error()));
    return false;
  }

  bool CompileShapeLibrary() {
    const std::filesystem::path shapePath = *temporary_ / kShapeFileName;
    {
      std::string error;
      auto shapeFile = support::OutputFile::Create(shapePath, &error, options_.faults);
      if (!shapeFile) {
        host_.ShowMessage(support::WithReason(CannotCreateMessage(Text(shapePath)), error));
        return false;
      }
      if (!shapeFile->Write(support::ShapeLibraryText()) || !shapeFile->Close()) {
        host_.ShowMessage(WriteErrorMessage(Text(shapePath), shapeFile->Error()));
        return false;
      }
    }
    auto shapeText = personality::LineStream::Open(shapePath, personality::LineMode::Text);
    if (!shapeText) {
      host_.ShowMessage(CannotOpenMessage(Text(shapePath)));
      return false;
    }
    personality::OutputCursor cursor(buffers_->blockBuffer);
    // A library with errors still gives the block that was read up to the error.
    personality::ReadShapeLibrary(*shapeText, cursor, host_);
    std::error_code ignored;
    std::filesystem::remove(shapePath, ignored);
    // The header holds the block's length minus 1 in 16 bits.
    if (cursor.Overflowed() || cursor.Position() == 0 ||
        cursor.Position() > standard::kMaxBlockLength + 1) {
      host_.ShowMessage(ShapeLibraryTooLargeMessage(Text(shapePath)));
      return false;
    }
    buffers_->indexTable.StartStream(cursor.Position());
    return AppendBlock(cursor.Written());
  }

  // One compiled personality taken in list order: what its reading showed, its index record
  // and its block. False only when the whole build must end.
  bool ProcessItem(const std::string& path, std::size_t listIndex, bool isInfo,
                   CompiledPersonality& item) {
    host_.DispatchPendingMessages();
    // The window may have been closed meanwhile.
    if (CancelRequested()) return false;
    host_.SetProgressPosition(static_cast<std::uint32_t>(listIndex));
    host_.SetStatusText(path);
    if (!ReportCompiledPersonality(path, item, host_)) {
      switch (item.outcome) {
        case CompiledPersonality::Outcome::NoDevice:
          LeaveOut(path, LeftOutReason::NoDevice, isInfo);
          break;
        case CompiledPersonality::Outcome::CompileFailed:
          LeaveOut(path, LeftOutReason::CompileFailed, isInfo);
          break;
        default:
          LeaveOut(path, LeftOutReason::Unreadable, isInfo);
          break;
      }
      return true;
    }
    buffers_->indexTable.Add(standard::CodeForPath(path), std::move(item.deviceText),
                             static_cast<std::uint16_t>(item.block.size()));
    if (isInfo) result_.infoIncluded = true;
    return AppendBlock(item.block);
  }

  // True, and the build counted as cancelled, once the token is cancelled.
  bool CancelRequested() {
    if (!support::Cancelled(options_.cancel)) return false;
    result_.cancelled = true;
    return true;
  }

  void LeaveOut(const std::string& path, LeftOutReason reason, bool isInfo) {
    if (!isInfo) result_.leftOut.push_back({path, reason});
  }

  bool CloseIntermediate() {
    if (intermediate_->Close()) return true;
    host_.ShowMessage(WriteErrorMessage(Text(intermediatePath_), intermediate_->Error()));
    return false;
  }

  void WriteCache(const std::filesystem::path& outputPath) {
    if (CancelRequested()) return;
    std::string error;
    auto output = support::AtomicOutputFile::Create(outputPath, &error, options_.faults);
    if (!output) {
      host_.ShowMessage(support::WithReason(CannotCreateOutputMessage(Text(outputPath)), error));
      return;
    }
    const auto& records = buffers_->indexTable.Records();
    bool written = output->Write(standard::EncodeHeader(buffers_->indexTable.MakeHeader()));
    for (const auto& record : records) {
      written = written && output->Write(standard::EncodeIndexRecord(record));
    }
    if (!written) {
      host_.ShowMessage(WriteErrorMessage(Text(outputPath), output->File().Error()));
      return;
    }

    host_.SetStatusText("Compressing...");
    const auto compressionSteps =
        static_cast<std::uint32_t>(records.size()) * kCompressionStepsPerRecord;
    host_.SetProgressRange(compressionSteps);
    host_.SetProgressPosition(0);
    // Most of the stream is coded already; the end of it goes out now. The unit's sum comes
    // first in the cache and is known only here, so the file holds the bit stream alone.
    if (options_.referenceEncoder) {
      if (!EncodeWithReference()) return;
    } else {
      encoder_->Finish();
      if (!WriteEncoded()) return;
    }
    if (!compressed_->Close()) {
      host_.ShowMessage(WriteErrorMessage(Text(compressedPath_), compressed_->Error()));
      return;
    }
    std::array<std::uint8_t, lzss::kUnitSumSize> sum{};
    for (std::size_t i = 0; i < sum.size(); ++i) {
      sum[i] = static_cast<std::uint8_t>(streamSum_ >> (8 * i));
    }
    if (!output->Write(sum)) {
      host_.ShowMessage(WriteErrorMessage(Text(outputPath), output->File().Error()));
      return;
    }
    if (!AppendFile(compressedPath_, *output, compressionSteps)) return;

    // Up to here the earlier cache is untouched; the partial one goes with `output`.
    if (CancelRequested()) return;
    const auto size = static_cast<std::int64_t>(output->File().BytesWritten());
    if (!output->Commit(&error)) {
      host_.ShowMessage(WriteErrorMessage(Text(outputPath), error));
      return;
    }
    result_.cacheWritten = true;
    result_.outputPath = outputPath;
    result_.recordCount = records.size();
    result_.cacheSize = size;
    host_.ShowResult(size, static_cast<std::int32_t>(request_.entries.size()));
  }

  // Copies the file a block at a time, so memory does not grow with the cache, moving the
  // progress bar across `steps` as it goes.
  bool AppendFile(const std::filesystem::path& path, support::AtomicOutputFile& output,
                  std::uint32_t steps) {
    std::ifstream input(path, std::ios::binary);
    std::error_code sizeError;
    const std::uint64_t total = std::filesystem::file_size(path, sizeError);
    std::uint64_t copied = 0;
    std::vector<char> block(lzss::kEncoderBlockSize);
    while (input) {
      if (CancelRequested()) return false;
      input.read(block.data(), static_cast<std::streamsize>(block.size()));
      const auto read = static_cast<std::size_t>(input.gcount());
      if (read == 0) break;
      if (!output.Write(std::span(reinterpret_cast<const std::uint8_t*>(block.data()), read))) {
        host_.ShowMessage(WriteErrorMessage(Text(output.Target()), output.File().Error()));
        return false;
      }
      copied += read;
      if (!sizeError && total > 0 && copied <= total) {
        host_.SetProgressPosition(static_cast<std::uint32_t>(steps * copied / total));
      }
    }
    if (input.bad() || !input.eof()) {
      host_.ShowMessage(CannotOpenMessage(Text(path)));
      return false;
    }
    return true;
  }

  const catalogue::BuildRequest& request_;
  BuildHost& host_;
  const StandardBuildOptions& options_;
  StandardBuildResult result_;

  std::optional<support::TemporaryDirectory> temporary_;
  std::string temporaryError_;  // why there is no private directory
  std::unique_ptr<WorkingBuffers> buffers_;
  std::filesystem::path infoPath_;
  std::filesystem::path intermediatePath_;
  std::optional<support::OutputFile> intermediate_;
  std::filesystem::path compressedPath_;
  std::optional<support::OutputFile> compressed_;
  std::vector<std::uint8_t> encoded_;
  lzss::MemorySink encodedSink_{encoded_};
  std::unique_ptr<lzss::StreamEncoder> encoder_;
  std::uint32_t streamSum_ = 0;
};

}  // namespace

std::string NoPersonalitiesMessage() {
  return "No personalities to build! Personalities need to be added to the cache listbox first!";
}
std::string TooManyPersonalitiesMessage(std::size_t count) {
  return "Too many personalities (" + std::to_string(count) +
         "), Max: " + std::to_string(standard::kMaxEntries) + ". Cache file not created!";
}
std::string ShapeLibraryTooLargeMessage(const std::string& path) {
  return "The shape library " + path + " is too large, cache cannot be built!";
}

StandardBuildResult BuildStandardCache(const catalogue::BuildRequest& request, BuildHost& host,
                                       const StandardBuildOptions& options) {
  return StandardBuild(request, host, options).Run();
}

}  // namespace hoardwright::standard
