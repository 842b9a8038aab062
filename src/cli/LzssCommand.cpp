// `hoardwright lzss compress IN OUT` and `hoardwright lzss decompress IN OUT`: one compressed
// unit per file, as the caches store it. Progress dots go to standard output, problems to
// standard error; OUT appears only once it is complete.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Subcommands.h"
#include "lzss/Lzss.h"
#include "support/CancelToken.h"
#include "support/FileAccess.h"
#include "support/OutputFile.h"
#include "support/Platform.h"

namespace hoardwright::cli {
namespace {

namespace fs = std::filesystem;

std::string Reason(int error) {
  return std::error_code(error != 0 ? error : EIO, std::generic_category()).message();
}

std::string Quoted(const fs::path& path) {
  return "\"" + support::PathText(path) + "\"";
}

void Complain(const std::string& message) {
  std::cerr << "hoardwright lzss: " << message << '\n';
}

// The largest input either command reads, and the most `decompress` writes. A cache's largest
// unit, the standard stream, decodes to at most 328 MB (5,001 blocks of 65,535 bytes).
constexpr std::uint64_t kMaxInputSize = std::uint64_t{512} << 20;
constexpr std::uint64_t kMaxDecodedSize = std::uint64_t{512} << 20;

std::optional<std::vector<std::uint8_t>> ReadInput(const fs::path& path) {
  std::string reason;
  auto bytes = support::ReadRegularFile(path, kMaxInputSize, &reason);
  if (!bytes) Complain("cannot read " + Quoted(path) + ": " + reason);
  return bytes;
}

// Hands the coder's bytes on to OUT in large writes, and refuses any past `limit`, and any
// once `cancel` is cancelled (looked at every 64 KiB), which ends the coding.
class OutputSink final : public lzss::ByteSink {
 public:
  OutputSink(support::AtomicOutputFile& output, std::uint64_t limit,
             const support::CancelToken* cancel)
      : output_(output), limit_(limit), cancel_(cancel) {
    buffer_.reserve(kChunk);
  }
  bool Put(std::uint8_t byte) override {
    if (written_ + buffer_.size() >= limit_) {
      overLimit_ = true;
      return false;
    }
    buffer_.push_back(byte);
    return buffer_.size() < kChunk || (Flush() && !support::Cancelled(cancel_));
  }
  bool Flush() {
    const bool ok = output_.Write(buffer_);
    written_ += buffer_.size();
    buffer_.clear();
    return ok;
  }
  bool OverLimit() const { return overLimit_; }
  std::uint64_t Written() const { return written_ + buffer_.size(); }

 private:
  static constexpr std::size_t kChunk = 1 << 16;
  support::AtomicOutputFile& output_;
  std::uint64_t limit_;
  const support::CancelToken* cancel_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t written_ = 0;
  bool overLimit_ = false;
};

std::optional<support::AtomicOutputFile> CreateOutput(const fs::path& outputPath) {
  std::string reason;
  auto output = support::AtomicOutputFile::Create(outputPath, &reason);
  if (!output) Complain("cannot create " + Quoted(outputPath) + ": " + reason);
  return output;
}

// OUT appears only once complete (written beside it and renamed into place); a device such as
// /dev/null is written in place. False, with the message given, when it could not be written.
bool CommitOutput(support::AtomicOutputFile& output, OutputSink& sink, const fs::path& outputPath) {
  std::string reason;
  if (!sink.Flush() || !output.Commit(&reason)) {
    if (reason.empty()) reason = output.File().Error();
    Complain("cannot write " + Quoted(outputPath) + ": " + reason);
    return false;
  }
  return true;
}

int RunCompress(const fs::path& inputPath, const fs::path& outputPath,
                const support::CancelToken* cancel) {
  const auto data = ReadInput(inputPath);
  if (!data) return 1;
  auto output = CreateOutput(outputPath);
  if (!output) return 1;
  // A unit is at most 9/8 of its input and a few bytes: no limit of its own.
  OutputSink sink(*output, std::numeric_limits<std::uint64_t>::max(), cancel);
  const bool coded = lzss::CompressUnit(*data, sink, &std::cout, cancel);
  std::cout << std::endl;
  // Given up: the partial OUT goes with `output`.
  if (support::Cancelled(cancel)) return 1;
  if (!coded) {
    std::string reason = output->File().Error();
    Complain("cannot write " + Quoted(outputPath) + ": " + (reason.empty() ? Reason(EIO) : reason));
    return 1;
  }
  return CommitOutput(*output, sink, outputPath) ? 0 : 1;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

int RunDecompress(const fs::path& inputPath, const fs::path& outputPath,
                  const support::CancelToken* cancel) {
  const auto unit = ReadInput(inputPath);
  if (!unit) return 1;
  auto output = CreateOutput(outputPath);
  if (!output) return 1;
  // Decoded straight into OUT: memory holds the unit, never its output.
  OutputSink sink(*output, kMaxDecodedSize, cancel);
  lzss::MemorySource source(*unit);
  const lzss::UnitDecodeResult decoded = lzss::DecompressUnit(source, sink, &std::cout);
  std::cout << std::endl;
  if (support::Cancelled(cancel)) return 1;
  if (decoded.writeFailed && !sink.OverLimit()) {
    Complain("cannot write " + Quoted(outputPath) + ": " + output->File().Error());
    return 1;
  }
  // What was decoded is kept even when the unit turns out to be broken.
  if (!CommitOutput(*output, sink, outputPath)) return 1;

  if (unit->size() < lzss::kUnitSumSize) {
    Complain(Quoted(inputPath) + " is too short to hold the 4-byte sum of a compressed unit");
    return 1;
  }
  if (sink.OverLimit()) {
    Complain(Quoted(inputPath) + " decodes to more than " + std::to_string(kMaxDecodedSize) +
             " bytes; the first " + std::to_string(kMaxDecodedSize) + " are in " +
             Quoted(outputPath));
    return 1;
  }
  int status = 0;
  if (!decoded.complete) {
    Complain(Quoted(inputPath) + ": the compressed stream ends before its end-of-stream token (" +
             std::to_string(sink.Written()) + " bytes decoded)");
    status = 1;
  }
  if (!decoded.sumMatches) {
    Complain(Quoted(inputPath) + ": sum mismatch: stored " + Hex(decoded.storedSum) +
             ", decoded data sums to " + Hex(decoded.actualSum));
    status = 1;
  }
  return status;
}

using RunFile = int (*)(const fs::path&, const fs::path&, const support::CancelToken*);

struct LzssPaths {
  std::string input;
  std::string output;
};

void AddFileCommand(CLI::App& parent, const char* name, const char* description, int& exitStatus,
                    const support::CancelToken* cancel, RunFile run) {
  auto paths = std::make_shared<LzssPaths>();
  auto* command = parent.add_subcommand(name, description);
  command->add_option("IN", paths->input, "Input file")->required();
  command->add_option("OUT", paths->output, "Output file (replaced only when complete)")
      ->required();
  command->callback([paths, run, cancel, &exitStatus] {
    exitStatus = run(support::ToPath(paths->input), support::ToPath(paths->output), cancel);
  });
}

}  // namespace

void RegisterLzssCommand(CLI::App& app, int& exitStatus, const support::CancelToken* cancel) {
  auto* lzss = app.add_subcommand(
      "lzss",
      "Compress or decompress one file with the cache coder. IN must be a regular file of at "
      "most 512 MiB; decompress writes at most 512 MiB.");
  lzss->require_subcommand(1);
  AddFileCommand(*lzss, "compress", "Write the compressed unit (sum and bit stream) of IN to OUT",
                 exitStatus, cancel, RunCompress);
  AddFileCommand(*lzss, "decompress",
                 "Decode the compressed unit IN into OUT; fails on a bad sum or a cut-off stream",
                 exitStatus, cancel, RunDecompress);
}

}  // namespace hoardwright::cli
