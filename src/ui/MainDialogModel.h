#pragma once
// The main dialog without its widgets: both lists, the options, the fields that outlive a build,
// and the operations behind its buttons. The widgets only present this state.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalogue/BuildRequest.h"
#include "catalogue/ManufacturerTable.h"
#include "catalogue/PersonalityEntry.h"
#include "catalogue/PersonalityListModel.h"
#include "support/Reporter.h"
#include "ui/PreviewTexts.h"

namespace hoardwright::ui {

// "Cache File (%d Files)".
std::string CacheLabelText(std::size_t fileCount);

// More files than this without a DEVICE line in one scan are reported in one message box that
// lists them, instead of a box per file; the list names at most kListedScanMessages of them.
inline constexpr std::size_t kSeparateScanMessages = 3;
inline constexpr std::size_t kListedScanMessages = 20;

// The message boxes for a scan's messages, each given with its file's path as caption: a box per
// file, captioned with the path, or one box listing them all.
std::vector<support::ReportedMessage> ScanNotices(
    const std::vector<support::ReportedMessage>& messages);

// What was dropped onto the window from a file manager: a folder to list, personality files to
// add to the cache list, and the rest, which is left alone.
struct DroppedPaths {
  std::string directory;                      // the first folder dropped; empty when none was
  std::vector<std::string> personalityFiles;  // *.QPF, in the order dropped
  std::vector<std::string> ignored;           // further folders and other files
};
DroppedPaths SortDroppedPaths(const std::vector<std::string>& paths);

class MainDialogModel {
 public:
  explicit MainDialogModel(
      catalogue::ManufacturerMap manufacturers = catalogue::LoadManufacturerMap());

  catalogue::PersonalityListModel& PersonalityList() { return personalityList_; }
  const catalogue::PersonalityListModel& PersonalityList() const { return personalityList_; }
  catalogue::PersonalityListModel& CacheList() { return cacheList_; }
  const catalogue::PersonalityListModel& CacheList() const { return cacheList_; }
  const catalogue::ManufacturerMap& Manufacturers() const { return manufacturers_; }

  // Refills the personality list from PersonalityDir, which gains a trailing "/" when it lacks
  // one (the text the current-directory field shows). ReadDevice's messages go to `reporter`.
  void ScanPersonalityDirectory(support::Reporter& reporter);
  // The same, keeping ReadDevice's messages for the caller to show once the window can own
  // them; each comes with its file's path as caption. A rescan of the same directory keeps the
  // selection of the rows still listed, and the list's sort state and filter.
  std::vector<support::ReportedMessage> ScanPersonalityDirectory();

  // A scan after the directory changed by itself: the messages of files not already reported by
  // the scan before, so an unchanged bad file is not reported again every time another changes.
  // Every scan remembers which files it reported.
  std::vector<support::ReportedMessage> NewScanMessages(
      const std::vector<support::ReportedMessage>& messages);

  // Personality files dropped onto the window go into the cache list as Add puts rows there;
  // the messages of files that give no row come back, each with its path as caption.
  std::vector<support::ReportedMessage> AddFiles(const std::vector<std::string>& paths);

  // The list buttons. Add does nothing at all when no personality row is selected; Add All and
  // Remove All take the rows their list's filter shows (all rows without a filter). Add, Add All
  // and AddFiles refuse a file whose mark says the chosen cache would leave it out; the refused
  // files wait in TakeRefused. A file not checked yet is added.
  bool CopyToCacheList(std::size_t personalityRow);
  void Add();
  void AddAll();
  void Remove();
  void RemoveAll();
  void UpdateCacheLabel();
  // The files of an opened cache that the directory has become the cache list, as dropped files
  // are added; messages as AddFiles gives them.
  std::vector<support::ReportedMessage> LoadIntoCacheList(const std::vector<std::string>& paths);
  // The files the last Add, Add All, AddFiles or LoadIntoCacheList refused, with their marks.
  std::vector<RefusedFile> TakeRefused();

  // The problem marks of the rows, by file path.
  void SetMark(const std::string& path, RowMark mark);
  const RowMark* RowMarkOf(const std::string& path) const;
  // Rows remembered from an earlier run become the cache list, sorted by its state.
  void RestoreCacheList(std::vector<catalogue::PersonalityEntry> rows);
  // The cache list's caption as last updated.
  const std::string& CacheLabel() const { return cacheLabel_; }

  // A folder picked for the personality directory; an empty choice (cancelled) changes nothing.
  // Returns whether PersonalityDir changed; the caller then saves the settings and scans.
  bool ChoosePersonalityDir(std::string chosen);

  // The last step of the dialog's initialisation: the three table options and Normal checked.
  void FinishInitialisation();
  // The unattended run checks the table options before it builds, but not the Normal choice.
  void CheckTableOptions();

  bool IncludePresetFocus() const { return includePresetFocus_; }
  bool IncludeRangeTables() const { return includeRangeTables_; }
  bool IncludeMacros() const { return includeMacros_; }
  void SetIncludePresetFocus(bool on) { includePresetFocus_ = on; }
  void SetIncludeRangeTables(bool on) { includeRangeTables_ = on; }
  void SetIncludeMacros(bool on) { includeMacros_ = on; }
  bool NormalChecked() const { return normalChecked_; }
  void SetNormalChecked(bool on) { normalChecked_ = on; }
  // The cache-type choice: standard when Normal is checked.
  catalogue::CacheType CacheKind() const {
    return normalChecked_ ? catalogue::CacheType::Standard : catalogue::CacheType::Extended;
  }
  void SetCacheKind(catalogue::CacheType kind) {
    normalChecked_ = kind == catalogue::CacheType::Standard;
  }

  const std::string& PersonalityDir() const { return personalityDir_; }
  void SetPersonalityDir(std::string dir) { personalityDir_ = std::move(dir); }
  const std::string& OutputDir() const { return outputDir_; }
  void SetOutputDir(std::string dir) { outputDir_ = std::move(dir); }
  const std::string& CreatedBy() const { return createdBy_; }
  void SetCreatedBy(std::string text) { createdBy_ = std::move(text); }
  const std::string& Notes() const { return notes_; }
  void SetNotes(std::string text) { notes_ = std::move(text); }
  bool CommandLineMode() const { return commandLineMode_; }
  void SetCommandLineMode(bool on) { commandLineMode_ = on; }

  // What Build Cache hands to a build: standard when Normal is checked, else extended.
  catalogue::BuildRequest MakeBuildRequest() const;
  // What the size gauge works out: the build of Build Cache with its details dialog confirmed as
  // it opens (the stored created-by text, no notes).
  catalogue::BuildRequest GaugeRequest() const;

 private:
  // Whether the chosen cache would leave the file out; a refused file is noted for TakeRefused.
  bool Refused(const std::string& path);

  catalogue::ManufacturerMap manufacturers_;
  catalogue::PersonalityListModel personalityList_;
  catalogue::PersonalityListModel cacheList_;
  std::string cacheLabel_;
  bool includePresetFocus_ = false;
  bool includeRangeTables_ = false;
  bool includeMacros_ = false;
  bool normalChecked_ = false;
  bool commandLineMode_ = false;
  std::string createdBy_;
  std::string personalityDir_;
  std::string outputDir_;
  std::string notes_;
  std::vector<std::string> reportedScanPaths_;  // sorted
  std::unordered_map<std::string, RowMark> marks_;
  std::vector<RefusedFile> refused_;
};

}  // namespace hoardwright::ui
