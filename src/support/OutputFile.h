#pragma once
// Every file a build writes goes through OutputFile, so that a failed write or close is always
// seen (and tests can make one fail on purpose through a WriteFaults plan).
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace hoardwright::support {

// A test's plan of which file operation fails. Writes are counted across every file that shares
// the plan, so "the k-th write of the build" names one write point.
class WriteFaults {
 public:
  WriteFaults() = default;
  static WriteFaults FailAtWrite(long k) { WriteFaults f; f.failAtWrite_ = k; return f; }
  static WriteFaults FailOnClose(long k) { WriteFaults f; f.failAtClose_ = k; return f; }
  static WriteFaults FailOnRename() { WriteFaults f; f.failOnRename_ = true; return f; }

  bool NextWriteFails() { return ++writes_ == failAtWrite_; }
  bool NextCloseFails() { return ++closes_ == failAtClose_; }
  bool RenameFails() const { return failOnRename_; }
  long Writes() const { return writes_; }
  long Closes() const { return closes_; }

 private:
  long failAtWrite_ = -1;
  long failAtClose_ = -1;
  bool failOnRename_ = false;
  long writes_ = 0;
  long closes_ = 0;
};

class OutputFile {
 public:
  // Creates (truncates) the file for binary writing. nullopt with the reason in `error`.
  static std::optional<OutputFile> Create(const std::filesystem::path& path, std::string* error,
                                          WriteFaults* faults = nullptr);
  OutputFile(OutputFile&&) noexcept = default;
  OutputFile& operator=(OutputFile&&) noexcept = default;
  ~OutputFile() = default;  // closes without checking; call Close() to learn of errors

  bool Write(std::span<const std::uint8_t> bytes);
  bool Write(std::string_view text);
  // Writes over bytes already written, from `offset` on, and goes back to the end. Counts as a
  // write for a WriteFaults plan.
  bool WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes);
  // Flushes and closes; false when anything written could not reach the file.
  bool Close();

  const std::filesystem::path& Path() const { return path_; }
  std::uint64_t BytesWritten() const { return written_; }
  bool Failed() const { return failed_; }
  // The reason of the first failure ("No space left on device", ...).
  const std::string& Error() const { return error_; }

 private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  OutputFile(std::filesystem::path path, std::FILE* file, WriteFaults* faults)
      : path_(std::move(path)), file_(file), faults_(faults) {}
  void Fail(std::string reason);

  std::filesystem::path path_;
  std::unique_ptr<std::FILE, Closer> file_;
  WriteFaults* faults_ = nullptr;
  std::uint64_t written_ = 0;
  bool failed_ = false;
  std::string error_;
};

// A file that appears at its target path only when complete: written to a temporary file in the
// same directory and renamed over the target by Commit(). Destroyed uncommitted, it removes the
// temporary file and leaves any earlier target untouched. A target that exists and is not a
// regular file (a device such as /dev/full, a pipe) is written in place and never replaced.
class AtomicOutputFile {
 public:
  static std::optional<AtomicOutputFile> Create(const std::filesystem::path& target,
                                                std::string* error, WriteFaults* faults = nullptr);
  AtomicOutputFile(AtomicOutputFile&& other) noexcept;
  AtomicOutputFile& operator=(AtomicOutputFile&&) = delete;
  ~AtomicOutputFile();

  OutputFile& File() { return *file_; }
  bool Write(std::span<const std::uint8_t> bytes) { return file_->Write(bytes); }
  // Whether bytes already written can be written over (not so for a device written in place).
  bool Seekable() const { return !temporary_.empty(); }
  // Closes and renames over the target; false (temporary removed) on any failure.
  bool Commit(std::string* error);
  const std::filesystem::path& Target() const { return target_; }

 private:
  AtomicOutputFile(std::filesystem::path target, std::filesystem::path temporary, OutputFile file,
                   WriteFaults* faults)
      : target_(std::move(target)), temporary_(std::move(temporary)), file_(std::move(file)),
        faults_(faults) {}
  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::optional<OutputFile> file_;
  WriteFaults* faults_ = nullptr;
  bool done_ = false;
};

}  // namespace hoardwright::support
