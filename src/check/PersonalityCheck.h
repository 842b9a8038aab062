#pragma once
// `check`: what the builds would do with each personality file. Every file goes through the same
// listing and gate, readers and compilers as the builds (the command line's cache listing with
// the directory scan's device reading, CompilePersonality with every table included, the NAME
// readers and ConvertPersonality), each file read once and every step run on those bytes; the
// record diagnosis then says, by line, why a file would be left out and what a section took.
#include <string>
#include <vector>

#include "check/RecordDiagnosis.h"
#include "support/InputFile.h"
#include "catalogue/ManufacturerTable.h"
#include "catalogue/PersonalityEntry.h"

namespace hoardwright::check {

struct CheckItem {
  Finding finding;
  // The caches it concerns; neither for what only the personality list shows.
  bool standard = false;
  bool extended = false;
};

struct FileCheck {
  std::string path;
  std::string device;        // the listed device name; empty when the file has no DEVICE line
  std::string manufacturer;  // the list's manufacturer column
  std::size_t deviceLine = 0;  // the line the device name comes from
  bool standard = false;     // would be built into the standard cache
  bool extended = false;     // would be built into the extended cache, with its binary form
  std::vector<CheckItem> items;

  bool LeftOut() const { return !standard || !extended; }
};

// What a list row shows of a file's check: left out of a cache (with the reasons), warned about
// (with line and column), or fine.
enum class RowVerdict { Fine, Warnings, LeftOut };
RowVerdict VerdictOf(const FileCheck& check);

// One file on its own (no collisions), read already through the gate (or refused): `entry` is
// the row the scan made of its bytes, null without a DEVICE line.
FileCheck CheckPersonalityFile(const std::string& path, const support::InputFile& file,
                               const catalogue::PersonalityEntry* entry,
                               const catalogue::ManufacturerMap& manufacturers);

// The files the given directories and files list, as `hoardwright build` lists them (directories
// scanned, then every row added as Add All does), each checked; a file whose device name another
// file takes in the cache list is left out, naming the file that is kept; a directory that cannot
// be listed is left out with its reason; a cache list longer than a build takes leaves every
// file out of that cache.
std::vector<FileCheck> CheckPaths(const std::vector<std::string>& paths);

}  // namespace hoardwright::check
