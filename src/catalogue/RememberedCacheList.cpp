#include "catalogue/RememberedCacheList.h"

#include <algorithm>
#include <system_error>

#include "catalogue/PersonalityScan.h"
#include "support/InputFile.h"
#include "support/OutputFile.h"
#include "support/Reporter.h"

namespace hoardwright::catalogue {
namespace {

constexpr std::size_t kListedDroppedRows = 20;

}  // namespace

std::string CacheListFileText(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) {
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos) continue;
    text += path;
    text += '\n';
  }
  return text;
}

std::vector<std::string> ParseCacheListFile(std::string_view text) {
  std::vector<std::string> paths;
  while (!text.empty() && paths.size() < kMaxRememberedRows) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) paths.emplace_back(line);
  }
  return paths;
}

bool SaveCacheList(const std::filesystem::path& file, const std::vector<std::string>& paths,
                   std::string* error) {
  std::error_code made;
  std::filesystem::create_directories(file.parent_path(), made);
  std::string reason;
  auto output = support::AtomicOutputFile::Create(file, &reason);
  const std::string text = CacheListFileText(paths);
  const bool saved =
      output && output->File().Write(std::string_view(text)) && output->Commit(&reason);
  if (!saved && error != nullptr) {
    *error = !reason.empty() ? reason : output ? output->File().Error() : made.message();
  }
  return saved;
}

RestoredCacheList LoadCacheList(const std::filesystem::path& file,
                                const ManufacturerMap& manufacturers) {
  RestoredCacheList restored;
  std::error_code missing;
  if (!std::filesystem::exists(file, missing)) return restored;
  const support::InputFile input = support::ReadInputFile(file, kMaxCacheListFileSize);
  if (!input.Read()) {
    restored.error = input.refusal;
    return restored;
  }
  PersonalityListModel list;
  // Files that lost their DEVICE line are dropped with the rest; their reader says nothing.
  support::SilentReporter silent;
  for (const std::string& path : ParseCacheListFile(input.bytes)) {
    if (auto entry = ReadPersonalityEntry(path, manufacturers, silent)) {
      CopyToCacheList(*entry, list);
    } else {
      restored.dropped.push_back(path);
    }
  }
  restored.rows = list.Entries();
  return restored;
}

std::string DroppedRowsNotice(const std::vector<std::string>& dropped) {
  if (dropped.empty()) return {};
  std::string text = dropped.size() == 1
                         ? "1 personality of the remembered cache list is gone and was left out:\n"
                         : std::to_string(dropped.size()) +
                               " personalities of the remembered cache list are gone and were "
                               "left out:\n";
  const std::size_t listed = std::min(dropped.size(), kListedDroppedRows);
  for (std::size_t i = 0; i < listed; ++i) text += "\n" + dropped[i];
  if (listed < dropped.size()) {
    text += "\n... and " + std::to_string(dropped.size() - listed) + " more.";
  }
  return text;
}

}  // namespace hoardwright::catalogue
