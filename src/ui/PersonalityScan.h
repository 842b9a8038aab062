#pragma once
// The directory scan behind the personality list: one row per usable *.QPF file, read through
// its DEVICE line, with the manufacturer taken from the file's name.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "personality/ManufacturerTable.h"
#include "personality/Reporter.h"
#include "ui/ListOrder.h"
#include "ui/PersonalityEntry.h"

namespace hoardwright::ui {

struct PersonalityScan {
  std::string personalityDir;  // the directory text as given, ending with "/"
  std::vector<PersonalityEntry> entries;  // sorted by the given sort state
};

// Lists the personalities of one directory. A directory that cannot be read gives no rows;
// files that cannot be opened are skipped silently, files without a DEVICE line after
// ReadDevice's message to `reporter`, and later files repeating a device name silently.
// The process's current directory is not touched.
PersonalityScan ScanPersonalityDirectory(std::string_view personalityDir,
                                         const ManufacturerMap& manufacturers, Reporter& reporter,
                                         SortState sort);

// The names of a directory's regular files whose extension is "QPF" in any letter case, ordered
// by their names with ASCII letters upper-cased (ties: the names as given), so that a result
// never depends on the file system's order. Empty when the directory cannot be read.
std::vector<std::string> ListPersonalityFiles(std::string_view directory);

// True for a file name ending in ".QPF" in any letter case.
bool HasPersonalityExtension(std::string_view fileName);

// The entry for one personality file: its path as given, its device name, and the manufacturer
// for the file's own name. nullopt when the file cannot be read (the reason in `readError`, if
// given; nothing reported) or has no DEVICE line (ReadDevice reports it to `reporter`).
std::optional<PersonalityEntry> ReadPersonalityEntry(const std::string& filePath,
                                                     const ManufacturerMap& manufacturers,
                                                     Reporter& reporter,
                                                     std::string* readError = nullptr);

}  // namespace hoardwright::ui
