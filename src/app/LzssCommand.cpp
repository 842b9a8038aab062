// `hoardwright lzss compress IN OUT` and `hoardwright lzss decompress IN OUT`: one compressed
// unit per file, as the caches store it. Progress dots go to standard output, problems to
// standard error; OUT appears only once it is complete.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "app/Subcommands.h"
#include "build/OutputFile.h"
#include "lzss/Lzss.h"

namespace hoardwright::app {
namespace {

namespace fs = std::filesystem;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

std::string Reason(int error) {
  return std::error_code(error != 0 ? error : EIO, std::generic_category()).message();
}

std::string Quoted(const fs::path& path) {
  return "\"" + path.string() + "\"";
}

void Complain(const std::string& message) {
  std::cerr << "hoardwright lzss: " << message << '\n';
}

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>& bytes, std::string& reason) {
  errno = 0;
  FilePointer file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    reason = Reason(errno);
    return false;
  }
  std::uint8_t chunk[65536];
  std::size_t count = 0;
  while ((count = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + count);
  }
  if (std::ferror(file.get())) {
    reason = Reason(errno);  // a directory fails here with "Is a directory"
    return false;
  }
  return true;
}

// Appends to a vector, and refuses the next byte once `cancel` is cancelled (looked at every
// 64 KiB), which ends the decoding.
class CancellableSink final : public lzss::ByteSink {
 public:
  CancellableSink(std::vector<std::uint8_t>& bytes, const CancelToken* cancel)
      : bytes_(bytes), cancel_(cancel) {}
  bool Put(std::uint8_t byte) override {
    if ((bytes_.size() & 0xFFFF) == 0 && Cancelled(cancel_)) return false;
    bytes_.push_back(byte);
    return true;
  }

 private:
  std::vector<std::uint8_t>& bytes_;
  const CancelToken* cancel_;
};

// OUT appears only once complete (written beside it and renamed into place); a device such as
// /dev/null is written in place. False, with the message given, when it could not be written;
// false without one when `cancel` was cancelled, the partial file removed.
bool WriteOutput(const fs::path& outputPath, std::span<const std::uint8_t> bytes,
                 const CancelToken* cancel) {
  std::string reason;
  auto output = AtomicOutputFile::Create(outputPath, &reason);
  if (!output) {
    Complain("cannot create " + Quoted(outputPath) + ": " + reason);
    return false;
  }
  const bool written = output->Write(bytes);
  if (Cancelled(cancel)) return false;
  if (!written || !output->Commit(&reason)) {
    if (reason.empty()) reason = output->File().Error();
    Complain("cannot write " + Quoted(outputPath) + ": " + reason);
    return false;
  }
  return true;
}

int RunCompress(const fs::path& inputPath, const fs::path& outputPath,
                const CancelToken* cancel) {
  std::vector<std::uint8_t> data;
  std::string reason;
  if (!ReadWholeFile(inputPath, data, reason)) {
    Complain("cannot read " + Quoted(inputPath) + ": " + reason);
    return 1;
  }
  const CancelToken never;
  const auto compressed = lzss::CompressUnit(data, &std::cout, cancel ? *cancel : never);
  std::cout << std::endl;
  if (!compressed || !WriteOutput(outputPath, *compressed, cancel)) return 1;
  return 0;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

int RunDecompress(const fs::path& inputPath, const fs::path& outputPath,
                  const CancelToken* cancel) {
  std::vector<std::uint8_t> unit;
  std::string reason;
  if (!ReadWholeFile(inputPath, unit, reason)) {
    Complain("cannot read " + Quoted(inputPath) + ": " + reason);
    return 1;
  }
  std::vector<std::uint8_t> data;
  lzss::MemorySource source(unit);
  CancellableSink sink(data, cancel);
  const lzss::UnitDecodeResult decoded = lzss::DecompressUnit(source, sink, &std::cout);
  std::cout << std::endl;
  if (Cancelled(cancel)) return 1;
  // What was decoded is kept even when the unit turns out to be broken.
  if (!WriteOutput(outputPath, data, cancel)) return 1;

  int status = 0;
  if (unit.size() < lzss::kUnitSumSize) {
    Complain(Quoted(inputPath) + " is too short to hold the 4-byte sum of a compressed unit");
    return 1;
  }
  if (!decoded.complete) {
    Complain(Quoted(inputPath) + ": the compressed stream ends before its end-of-stream token (" +
             std::to_string(data.size()) + " bytes decoded)");
    status = 1;
  }
  if (!decoded.sumMatches) {
    Complain(Quoted(inputPath) + ": sum mismatch: stored " + Hex(decoded.storedSum) +
             ", decoded data sums to " + Hex(decoded.actualSum));
    status = 1;
  }
  return status;
}

struct LzssPaths {
  std::string input;
  std::string output;
};

void AddFileCommand(CLI::App& parent, const char* name, const char* description, int& exitStatus,
                    const CancelToken* cancel,
                    int (*run)(const fs::path&, const fs::path&, const CancelToken*)) {
  auto paths = std::make_shared<LzssPaths>();
  auto* command = parent.add_subcommand(name, description);
  command->add_option("IN", paths->input, "Input file")->required();
  command->add_option("OUT", paths->output, "Output file (replaced only when complete)")
      ->required();
  command->callback([paths, run, cancel, &exitStatus] {
    exitStatus = run(paths->input, paths->output, cancel);
  });
}

}  // namespace

void RegisterLzssCommand(CLI::App& app, int& exitStatus, const CancelToken* cancel) {
  auto* lzss = app.add_subcommand("lzss", "Compress or decompress one file with the cache coder");
  lzss->require_subcommand(1);
  AddFileCommand(*lzss, "compress", "Write the compressed unit (sum and bit stream) of IN to OUT",
                 exitStatus, cancel, RunCompress);
  AddFileCommand(*lzss, "decompress",
                 "Decode the compressed unit IN into OUT; fails on a bad sum or a cut-off stream",
                 exitStatus, cancel, RunDecompress);
}

}  // namespace hoardwright::app
