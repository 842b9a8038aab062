#include "ui/WindowBuild.h"

#include <cstdint>
#include <memory>

#include "extended/ExtendedCacheLayout.h"
#include "support/BuildClock.h"

namespace hoardwright::ui {

WindowExtendedBuild BuildExtendedFromWindow(const catalogue::BuildRequest& request,
                                            standard::BuildHost& host,
                                            extended::ExtendedBuildOptions options) {
  WindowExtendedBuild build;
  catalogue::BuildRequest chosen = request;
  // A list the build refuses is reported by it, without asking for details first.
  const bool listBuildable =
      !request.entries.empty() &&
      request.entries.size() <= static_cast<std::size_t>(extended::kMaxExtendedPersonalities);
  if (listBuildable && !request.unattended) {
    // The dialog shows the date the file is stamped with.
    const support::CalendarTime time =
        options.time ? *options.time : support::BuildTimeFromEnvironment();
    options.time = time;
    standard::BuildDetails details;
    details.cacheDate = support::FormatCacheDate(time);
    details.fileCount = static_cast<std::int32_t>(request.entries.size());
    details.createdBy = request.createdBy;
    details.outputDir = request.outputDir;
    details.outputFileName = std::string(catalogue::kDefaultCacheFileName);
    details.keepsCreatedByAndNotes = false;
    if (host.ShowBuildDetails(details) != standard::DialogResult::Ok) {
      build.cancelled = true;
      return build;
    }
    host.StoreBuildDetails(details);
    chosen.outputDir = details.outputDir;
    options.outputFileName = details.outputFileName;
  }
  build.result = extended::BuildExtendedCache(chosen, host, options);
  build.cancelled = build.result.status == extended::ExtendedBuildStatus::Cancelled;
  return build;
}

std::vector<check::LeftOutLine> DescribeExtendedLeftOut(const std::vector<std::string>& paths,
                                                        preview::PersonalityStore& store) {
  std::vector<check::LeftOutLine> lines;
  for (const std::string& path : paths) {
    check::LeftOutLine line{path, "not built into the extended cache"};
    const std::shared_ptr<const check::FileCheck> found = store.Check(path);
    for (const check::CheckItem& item : found ? found->items : std::vector<check::CheckItem>{}) {
      const check::Finding& finding = item.finding;
      if (!item.extended || finding.severity != check::Finding::Severity::LeftOut) continue;
      line.reason.clear();
      if (finding.line > 0) line.reason = "line " + std::to_string(finding.line);
      if (finding.column > 0) line.reason += ", column " + std::to_string(finding.column);
      line.reason += (line.reason.empty() ? "" : ": ") + finding.message;
      break;
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace hoardwright::ui
