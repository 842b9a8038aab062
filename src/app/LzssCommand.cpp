// `hoardwright lzss compress IN OUT` and `hoardwright lzss decompress IN OUT`: one compressed
// unit per file, as the caches store it. Progress dots go to standard output, problems to
// standard error; OUT appears only once it is complete.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "app/Subcommands.h"
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

// Writes beside the final path and renames into place on Commit, so a failed run leaves no
// partial file. A path that exists but is not a regular file (a device such as /dev/null) is
// written directly, since replacing it would be wrong.
class ReplacingOutput {
 public:
  explicit ReplacingOutput(fs::path path) : path_(std::move(path)) {}
  ReplacingOutput(const ReplacingOutput&) = delete;
  ReplacingOutput& operator=(const ReplacingOutput&) = delete;
  ~ReplacingOutput() { Discard(); }

  bool Open(std::string& reason) {
    std::error_code error;
    const fs::file_status status = fs::status(path_, error);
    if (fs::is_directory(status)) {
      reason = Reason(EISDIR);
      return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
      errno = 0;
      file_.reset(std::fopen(path_.c_str(), "wb"));
      if (!file_) reason = Reason(errno);
      return static_cast<bool>(file_);
    }
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(random()));
      temporary_ = path_.parent_path() / ("." + path_.filename().string() + suffix);
      errno = 0;
      // "x": never reuse a file someone else created meanwhile.
      file_.reset(std::fopen(temporary_.c_str(), "wbx"));
      if (file_) return true;
      if (errno != EEXIST) break;
    }
    reason = Reason(errno);
    temporary_.clear();
    return false;
  }

  std::FILE* File() const { return file_.get(); }

  bool Commit(std::string& reason) {
    errno = 0;
    const bool flushed = std::fflush(file_.get()) == 0 && std::ferror(file_.get()) == 0;
    const int flushError = errno;
    const bool closed = std::fclose(file_.release()) == 0;
    if (!flushed || !closed) {
      reason = Reason(flushError != 0 ? flushError : errno);
      Discard();
      return false;
    }
    if (temporary_.empty()) return true;
    std::error_code error;
    fs::rename(temporary_, path_, error);
    if (error) {
      reason = error.message();
      Discard();
      return false;
    }
    temporary_.clear();
    return true;
  }

 private:
  void Discard() {
    file_.reset();
    if (!temporary_.empty()) {
      std::error_code ignored;
      fs::remove(temporary_, ignored);
      temporary_.clear();
    }
  }

  fs::path path_;
  fs::path temporary_;
  FilePointer file_;
};

int RunCompress(const fs::path& inputPath, const fs::path& outputPath) {
  std::vector<std::uint8_t> data;
  std::string reason;
  if (!ReadWholeFile(inputPath, data, reason)) {
    Complain("cannot read " + Quoted(inputPath) + ": " + reason);
    return 1;
  }
  ReplacingOutput output(outputPath);
  if (!output.Open(reason)) {
    Complain("cannot create " + Quoted(outputPath) + ": " + reason);
    return 1;
  }
  lzss::FileSink sink(output.File());
  const bool written = lzss::CompressUnit(data, sink, &std::cout);
  std::cout << std::endl;
  if (!written) {
    Complain("cannot write " + Quoted(outputPath) + ": " + Reason(sink.Error()));
    return 1;
  }
  if (!output.Commit(reason)) {
    Complain("cannot write " + Quoted(outputPath) + ": " + reason);
    return 1;
  }
  return 0;
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
  return text;
}

int RunDecompress(const fs::path& inputPath, const fs::path& outputPath) {
  std::vector<std::uint8_t> unit;
  std::string reason;
  if (!ReadWholeFile(inputPath, unit, reason)) {
    Complain("cannot read " + Quoted(inputPath) + ": " + reason);
    return 1;
  }
  ReplacingOutput output(outputPath);
  if (!output.Open(reason)) {
    Complain("cannot create " + Quoted(outputPath) + ": " + reason);
    return 1;
  }
  const lzss::DecodedUnit decoded = lzss::DecompressUnit(unit, &std::cout);
  std::cout << std::endl;
  // What was decoded is kept even when the unit turns out to be broken.
  errno = 0;
  if (!decoded.data.empty() && std::fwrite(decoded.data.data(), 1, decoded.data.size(),
                                           output.File()) != decoded.data.size()) {
    Complain("cannot write " + Quoted(outputPath) + ": " + Reason(errno));
    return 1;
  }
  if (!output.Commit(reason)) {
    Complain("cannot write " + Quoted(outputPath) + ": " + reason);
    return 1;
  }

  int status = 0;
  if (unit.size() < lzss::kUnitSumSize) {
    Complain(Quoted(inputPath) + " is too short to hold the 4-byte sum of a compressed unit");
    return 1;
  }
  if (!decoded.complete) {
    Complain(Quoted(inputPath) + ": the compressed stream ends before its end-of-stream token (" +
             std::to_string(decoded.data.size()) + " bytes decoded)");
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
                    int (*run)(const fs::path&, const fs::path&)) {
  auto paths = std::make_shared<LzssPaths>();
  auto* command = parent.add_subcommand(name, description);
  command->add_option("IN", paths->input, "Input file")->required();
  command->add_option("OUT", paths->output, "Output file (replaced only when complete)")
      ->required();
  command->callback([paths, run, &exitStatus] { exitStatus = run(paths->input, paths->output); });
}

}  // namespace

void RegisterLzssCommand(CLI::App& app, int& exitStatus) {
  auto* lzss = app.add_subcommand("lzss", "Compress or decompress one file with the cache coder");
  lzss->require_subcommand(1);
  AddFileCommand(*lzss, "compress", "Write the compressed unit (sum and bit stream) of IN to OUT",
                 exitStatus, RunCompress);
  AddFileCommand(*lzss, "decompress",
                 "Decode the compressed unit IN into OUT; fails on a bad sum or a cut-off stream",
                 exitStatus, RunDecompress);
}

}  // namespace hoardwright::app
