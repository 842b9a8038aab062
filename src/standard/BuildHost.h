#pragma once
// What a standard build needs from whoever started it: the desktop's main dialog (details and
// result dialogs, message boxes, progress bar, status line) or the command line (standard error
// and a printed summary). Messages arrive through Reporter::ShowMessage.
#include <cstdint>
#include <string>
#include <string_view>

#include "support/Reporter.h"

namespace hoardwright::standard {

// The values of the build details dialog.
struct BuildDetails {
  std::string cacheDate;  // read-only in the dialog
  std::int32_t fileCount = 0;  // read-only in the dialog
  std::string createdBy;
  std::string outputDir;  // ends with "/" when chosen with Browse
  std::string notes;      // already cut to ten short lines when the dialog returns OK
  std::string outputFileName;
  // The cache keeps created-by text and notes (the extended cache keeps neither).
  bool keepsCreatedByAndNotes = true;
};

enum class DialogResult { Ok, Cancel };

class BuildHost : public support::Reporter {
 public:
  // Shows the details dialog modally with `details` as its starting values; on OK `details`
  // holds the edited values.
  virtual DialogResult ShowBuildDetails(BuildDetails& details) = 0;
  // After OK: takes created-by, output directory and notes back into the main dialog and saves
  // the settings.
  virtual void StoreBuildDetails(const BuildDetails& details) = 0;

  // Repaints the main window at once (the area of the closed details dialog).
  virtual void RepaintNow() = 0;
  // Lets the main window paint and take input between two personalities.
  virtual void DispatchPendingMessages() = 0;

  // The progress bar runs from 0 to `maximum`.
  virtual void SetProgressRange(std::uint32_t maximum) = 0;
  virtual void SetProgressPosition(std::uint32_t position) = 0;
  virtual void ShowProgress(bool visible) = 0;
  virtual void SetStatusText(std::string_view text) = 0;

  // The result dialog: the written file's size and the number of cache-list entries. Returns
  // when it has been dismissed.
  virtual void ShowResult(std::int64_t cacheSize, std::int32_t personalityCount) = 0;
};

// A host without a window (the command line, tests, benchmarks): no details dialog, nothing
// stored, no progress display and no result dialog. Where messages go is the derived class's.
class WindowlessBuildHost : public BuildHost {
 public:
  DialogResult ShowBuildDetails(BuildDetails&) override { return DialogResult::Cancel; }
  void StoreBuildDetails(const BuildDetails&) override {}
  void RepaintNow() override {}
  void DispatchPendingMessages() override {}
  void SetProgressRange(std::uint32_t) override {}
  void SetProgressPosition(std::uint32_t) override {}
  void ShowProgress(bool) override {}
  void SetStatusText(std::string_view) override {}
  void ShowResult(std::int64_t, std::int32_t) override {}
};

}  // namespace hoardwright::standard
