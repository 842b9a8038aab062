#pragma once
// The directory scan behind the personality list: one row per usable *.QPF file, read through
// its DEVICE line, with the manufacturer taken from the file's name.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/InputFile.h"
#include "catalogue/ManufacturerTable.h"
#include "support/Reporter.h"
#include "catalogue/ListOrder.h"
#include "catalogue/PersonalityEntry.h"

namespace hoardwright::catalogue {

// Sees each personality file as it is read: its bytes or why they could not be read, and the
// entry made of them (null without a DEVICE line), whether or not the scan then lists it, so that
// whoever looks further at a file works on the very bytes its row was made of.
using FileObserver = std::function<void(const std::string& path, const support::InputFile& file,
                                        const PersonalityEntry* entry)>;

struct PersonalityScan {
  std::string personalityDir;  // the directory text as given, ending with "/"
  std::vector<PersonalityEntry> entries;  // sorted by the given sort state
  std::string error;  // why the directory could not be read; empty when it was
};

// Lists the personalities of one directory. A directory that cannot be read gives no rows;
// files that cannot be read (not a regular file, too large, no permission: see ReadInputFile)
// are skipped silently, files without a DEVICE line after ReadDevice's message to `reporter`,
// and later files repeating a device name silently. The process's current directory is not
// touched.
PersonalityScan ScanPersonalityDirectory(std::string_view personalityDir,
                                         const ManufacturerMap& manufacturers,
                                         support::Reporter& reporter, SortState sort,
                                         const FileObserver& observe = {});

// The names of a directory's entries whose extension is "QPF" in any letter case, whatever they
// are (a directory, a FIFO or a dangling link named so is refused when it is read), ordered by
// their names with ASCII letters upper-cased (ties: the names as given), so that a result never
// depends on the file system's order. Empty, with the reason in `error`, when the directory
// cannot be read.
std::vector<std::string> ListPersonalityFiles(std::string_view directory,
                                              std::string* error = nullptr);

// True for a file name ending in ".QPF" in any letter case.
bool HasPersonalityExtension(std::string_view fileName);

// The entry for one personality file: its path as given, its device name, and the manufacturer
// for the file's own name. nullopt when the file cannot be read (the reason in `readError`, if
// given; nothing reported) or has no DEVICE line (ReadDevice reports it to `reporter`).
std::optional<PersonalityEntry> ReadPersonalityEntry(const std::string& filePath,
                                                     const ManufacturerMap& manufacturers,
                                                     support::Reporter& reporter,
                                                     std::string* readError = nullptr,
                                                     const FileObserver& observe = {});

// The entry the scan makes of a file's bytes, read already; nullopt without a DEVICE line.
std::optional<PersonalityEntry> EntryFromBytes(const std::string& filePath, std::string_view bytes,
                                               const ManufacturerMap& manufacturers,
                                               support::Reporter& reporter);

}  // namespace hoardwright::catalogue
