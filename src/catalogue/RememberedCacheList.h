#pragma once
// The cache list kept between two runs of the desktop, in a file of its own: one personality
// path per line, as the file system names it (UTF-8 on the usual systems), written whole or not
// at all. On the next start every path is read again as the scan reads it; rows whose files are
// gone, or no longer give a row, are dropped and named once.
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ManufacturerTable.h"
#include "catalogue/PersonalityListModel.h"

namespace hoardwright::catalogue {

// The file's name below the user's data directory.
inline constexpr std::string_view kCacheListFileName = "cache-list";
// A longer file, or more lines, is not a list this program wrote; what fits is read.
inline constexpr std::size_t kMaxCacheListFileSize = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxRememberedRows = 20000;

// The file's text for these paths. A path with a line break cannot be kept and is left out.
std::string CacheListFileText(const std::vector<std::string>& paths);
// The paths of a file's text: one a line, CR LF or LF, empty lines skipped, at most
// kMaxRememberedRows.
std::vector<std::string> ParseCacheListFile(std::string_view text);

// Writes the list to `file` (its directory made when missing), replacing the earlier list only
// when the new one is complete. False, with the reason in `error`, when it cannot.
bool SaveCacheList(const std::filesystem::path& file, const std::vector<std::string>& paths,
                   std::string* error = nullptr);

struct RestoredCacheList {
  std::vector<PersonalityEntry> rows;  // as Add All would add them, in the file's order
  std::vector<std::string> dropped;    // paths that no longer give a row
  std::string error;                   // why an existing file could not be read
};

// Reads the list back; a missing file gives an empty list and no error.
RestoredCacheList LoadCacheList(const std::filesystem::path& file,
                                const ManufacturerMap& manufacturers);

// The one notice for rows that were dropped ("2 personalities of the remembered cache list are
// gone and were left out:" and their paths, at most 20 of them); empty when none was.
std::string DroppedRowsNotice(const std::vector<std::string>& dropped);

}  // namespace hoardwright::catalogue
