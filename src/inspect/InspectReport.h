#pragma once
// What `inspect` found in a cache file: every section it could read, decoded, and every problem
// with the section, the record and the byte offset it concerns. Built by the cache inspectors,
// shown as text or JSON, and written out by --extract.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "standard/StandardCacheLayout.h"
#include "extended/ExtendedCacheLayout.h"
#include "inspect/RecordWalker.h"
#include "inspect/ShapeLibraryWalker.h"
#include "inspect/UnitCheck.h"

namespace hoardwright::inspect {

enum class CacheKind { Standard, Extended };

// Where a problem's offset counts from.
enum class OffsetSpace {
  File,       // the cache file
  Stream,     // the standard cache's decoded stream
  ShapeData,  // the extended cache's decoded shape library
  GroupData,  // the decoded data of one extended group block
};

struct Problem {
  std::string section;                // "header", "index", "personality record", ...
  std::optional<std::size_t> record;  // the record (or slot, or group) within the section
  OffsetSpace space = OffsetSpace::File;
  int group = 0;  // for OffsetSpace::GroupData
  std::uint64_t offset = 0;
  std::string message;
};

// Whether a personality's record could be walked, and why not.
enum class RecordAccess {
  Walked,       // its bytes lie inside the decoded data, apart from every other record's
  Outside,      // its bytes do not lie inside usable decoded data
  Overlapping,  // its bytes overlap the shape library or another record's
  TooLong,      // extended: longer than any binary form a build writes
  NoForm,       // extended: a length of 0, no binary form
};

// One personality as the cache holds it.
struct PersonalityView {
  std::size_t number = 0;  // index record or personality table record
  std::string device;
  std::string code;          // standard: the file-name code
  std::string manufacturer;  // extended: the manufacturer's name
  std::string fixture;       // extended
  int group = 0;             // extended
  std::uint64_t offset = 0;  // within the decoded stream or group data
  std::uint64_t length = 0;
  RecordAccess access = RecordAccess::Outside;
  // Set when walked. The record itself is walked again where it is shown (RecordBytes): a
  // report keeps no copy of any record, so its size follows the decoded data, not the records.
  std::optional<RecordSummary> summary;
};

struct StandardReport {
  std::optional<standard::Header> header;
  std::vector<standard::IndexRecord> index;  // the records the file holds
  std::optional<UnitCheck> stream;
  std::uint64_t shapeLength = 0;
  std::optional<ShapeLibraryWalk> shapeLibrary;
  std::vector<PersonalityView> personalities;
};

struct GroupBlock {
  int number = 0;
  std::uint64_t start = 0;  // file offsets
  std::uint64_t end = 0;
  std::optional<UnitCheck> unit;
};

struct ExtendedReport {
  std::uint16_t version = 0;
  std::optional<extended::OffsetTable> offsets;
  std::optional<extended::CacheInfoRecord> info;
  std::vector<std::string> manufacturers;
  std::vector<extended::PersonalityRecord> records;
  int groupCounter = extended::kFirstGroup;
  std::optional<std::uint32_t> shapeLength;  // as stored in the shape block
  std::optional<UnitCheck> shapeUnit;
  std::optional<ShapeLibraryWalk> shapeLibrary;
  std::vector<GroupBlock> groups;
  std::vector<PersonalityView> personalities;
};

struct InspectReport {
  std::string path;
  std::uint64_t fileSize = 0;
  CacheKind kind = CacheKind::Standard;
  std::optional<StandardReport> standard;
  std::optional<ExtendedReport> extended;
  std::vector<Problem> problems;
  // What a build never writes but a reader takes no harm from (bytes after a text field's NUL,
  // say); they do not make the file damaged.
  std::vector<Problem> warnings;

  bool Damaged() const { return !problems.empty(); }
};

// A walked personality's record: a view into the decoded data the report holds, valid while the
// report lives. Nothing for a record that was not walked.
std::optional<std::span<const std::uint8_t>> RecordBytes(const InspectReport& report,
                                                         const PersonalityView& personality);

}  // namespace hoardwright::inspect
