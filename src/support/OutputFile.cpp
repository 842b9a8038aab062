#include "support/OutputFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/Platform.h"

namespace hoardwright::support {

std::optional<OutputFile> OutputFile::Create(const std::filesystem::path& path, std::string* error,
                                             WriteFaults* faults) {
  std::FILE* file = support::OpenFile(path, "wb");
  if (file == nullptr) {
    if (error) *error = std::strerror(errno);
    return std::nullopt;
  }
  return OutputFile(path, file, faults);
}

void OutputFile::Fail(std::string reason) {
  if (!failed_) error_ = std::move(reason);
  failed_ = true;
}

bool OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (failed_ || !file_) return false;
  if (faults_ && faults_->NextWriteFails()) {
    Fail("injected write failure");
    return false;
  }
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size()) {
    Fail(std::strerror(errno));
    return false;
  }
  written_ += bytes.size();
  return true;
}

bool OutputFile::WriteAt(std::uint64_t offset, std::span<const std::uint8_t> bytes) {
  if (failed_ || !file_) return false;
  if (faults_ && faults_->NextWriteFails()) {
    Fail("injected write failure");
    return false;
  }
  std::FILE* file = file_.get();
  if (!support::SeekFile(file, offset) ||
      (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) ||
      !support::SeekFileEnd(file)) {
    Fail(std::strerror(errno));
    return false;
  }
  return true;
}

bool OutputFile::Write(std::string_view text) {
  return Write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

bool OutputFile::Close() {
  if (!file_) return !failed_;
  std::FILE* file = file_.release();
  const bool injected = faults_ && faults_->NextCloseFails();
  const bool flushed = std::fflush(file) == 0;
  const int flushErrno = errno;
  const bool closed = std::fclose(file) == 0;
  if (injected) Fail("injected close failure");
  if (!flushed) Fail(std::strerror(flushErrno));
  if (!closed) Fail(std::strerror(errno));
  return !failed_;
}

std::optional<AtomicOutputFile> AtomicOutputFile::Create(const std::filesystem::path& target,
                                                         std::string* error, WriteFaults* faults) {
  // A device or a pipe (/dev/full, /dev/stdout) is written in place: renaming over it would
  // replace the node itself with a plain file, and a write error would go unseen.
  std::error_code statusError;
  const auto status = std::filesystem::status(target, statusError);
  if (!statusError && std::filesystem::exists(status) &&
      !std::filesystem::is_regular_file(status)) {
    auto file = OutputFile::Create(target, error, faults);
    if (!file) return std::nullopt;
    return AtomicOutputFile(target, {}, std::move(*file), faults);
  }
  const std::filesystem::path directory =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  // The working name tells whose it is; where that is longer than the file system takes (a
  // target name near its length limit), a short one does.
  // Appended piece by piece: g++ 12 at -O3 reports a false -Wrestrict inside the operator+ chain.
  std::string workingName = ".";
  workingName += support::PathText(target.filename());
  workingName += ".XXXXXX";
  std::error_code made;
  auto temporary =
      support::CreateUniqueFile(support::PathText(directory / support::ToPath(workingName)), made);
  if (!temporary && made == std::errc::filename_too_long) {
    temporary =
        support::CreateUniqueFile(support::PathText(directory / ".hoardwright.XXXXXX"), made);
  }
  if (!temporary) {
    if (error) *error = made.message();
    return std::nullopt;
  }
  auto file = OutputFile::Create(*temporary, error, faults);
  if (!file) {
    std::error_code ignored;
    std::filesystem::remove(*temporary, ignored);
    return std::nullopt;
  }
  return AtomicOutputFile(target, *temporary, std::move(*file), faults);
}

AtomicOutputFile::AtomicOutputFile(AtomicOutputFile&& other) noexcept
    : target_(std::move(other.target_)), temporary_(std::move(other.temporary_)),
      file_(std::move(other.file_)), faults_(other.faults_), done_(other.done_) {
  other.done_ = true;
}

AtomicOutputFile::~AtomicOutputFile() {
  if (done_) return;
  if (file_) file_->Close();
  if (temporary_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

bool AtomicOutputFile::Commit(std::string* error) {
  if (done_) return false;
  done_ = true;
  std::error_code ec;
  const bool closed = file_->Close();
  if (!closed) {
    if (error) *error = file_->Error();
    if (!temporary_.empty()) std::filesystem::remove(temporary_, ec);
    return false;
  }
  if (temporary_.empty()) return true;  // written in place
  if (faults_ && faults_->RenameFails()) {
    if (error) *error = "injected rename failure";
    std::filesystem::remove(temporary_, ec);
    return false;
  }
  // The working file is made private (mode 0600); a cache is an ordinary user file.
  std::filesystem::permissions(
      temporary_,
      std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
          std::filesystem::perms::group_read | std::filesystem::perms::others_read,
      ec);
  if (!support::RenameOver(temporary_, target_, ec)) {
    if (error) *error = ec.message();
    std::filesystem::remove(temporary_, ec);
    return false;
  }
  return true;
}

}  // namespace hoardwright::support
