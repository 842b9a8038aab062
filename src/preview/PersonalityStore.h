#pragma once
// What the builds and `check` make of each personality file, kept per file so that a preview
// recomputed after a change reads and compiles only the files that changed. A file's results are
// kept while its size and modification time stay as they were when it was read; a watcher that
// sees a file change calls Invalidate, and a file whose stamp differs is read again anyway.
// Safe to use from several threads at once.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "catalogue/ManufacturerTable.h"
#include "check/PersonalityCheck.h"
#include "extended/ExtendedBuild.h"
#include "standard/CompiledPersonality.h"
#include "support/Reporter.h"

namespace hoardwright::preview {

// A regular file as it is now: its size and modification time.
struct FileStamp {
  std::uintmax_t size = 0;
  std::int64_t modified = 0;  // in the file system clock's ticks
  bool operator==(const FileStamp&) const = default;
};
// Nothing for what is not a regular file (a link is followed) or cannot be looked at.
std::optional<FileStamp> StampOf(const std::string& path);

// What the extended build makes of a file: its row's names, its binary form (empty when it does
// not convert) and what the conversion reported.
struct ExtendedPersonality {
  extended::NamedRow row;
  std::vector<std::uint8_t> form;
  std::vector<support::ReportedMessage> formMessages;
};

class PersonalityStore {
 public:
  PersonalityStore();
  explicit PersonalityStore(catalogue::ManufacturerMap manufacturers);

  // The standard build's compiled form with the given tables (CompilePersonalityFile).
  std::shared_ptr<const standard::CompiledPersonality> Standard(const std::string& path,
                                                                const standard::TableOptions& tables);
  // The extended build's names and binary form (ReadNamedRow, AppendConvertedForm).
  std::shared_ptr<const ExtendedPersonality> Extended(const std::string& path);
  // What `check` says of the file on its own (CheckPersonalityFile with the scan's entry).
  std::shared_ptr<const check::FileCheck> Check(const std::string& path);

  // Forgets what was kept of one file, or of every file.
  void Invalidate(const std::string& path);
  void Clear();
  // Forgets every file but these: after a rescan, what was kept of files gone from the lists
  // and the directory is only memory.
  void RetainOnly(const std::vector<std::string>& paths);

  // How many times a file was read: what a recompute after a change costs.
  std::size_t FilesRead() const { return filesRead_.load(std::memory_order_relaxed); }
  const catalogue::ManufacturerMap& Manufacturers() const { return manufacturers_; }

 private:
  // Eight table settings: preset focus, range tables, macros each kept or left out.
  static constexpr std::size_t kTableSettings = 8;
  struct Kept {
    FileStamp stamp;
    std::array<std::shared_ptr<const standard::CompiledPersonality>, kTableSettings> standard;
    std::shared_ptr<const ExtendedPersonality> extended;
    std::shared_ptr<const check::FileCheck> check;
  };
  // The kept result `pick` chooses, or `make` run on the file's bytes (read through the
  // personality gate) and kept under the stamp taken before the read.
  template <typename Result, typename Pick, typename Make>
  std::shared_ptr<const Result> Get(const std::string& path, Pick pick, Make make);

  catalogue::ManufacturerMap manufacturers_;
  std::mutex mutex_;
  std::unordered_map<std::string, Kept> kept_;
  std::atomic<std::size_t> filesRead_{0};
};

}  // namespace hoardwright::preview
