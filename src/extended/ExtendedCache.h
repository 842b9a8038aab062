#pragma once
// The extended cache as it is collected during one build: the manufacturer and personality
// tables, the path of each personality's file and of the shape library; WriteCacheFile turns them
// into the file (layout in ExtendedCacheLayout.h).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/BuildClock.h"
#include "support/OutputFile.h"
#include "support/CancelToken.h"
#include "extended/CacheSink.h"
#include "extended/ExtendedCacheLayout.h"
#include "support/Reporter.h"
#include "personality/LineStream.h"

namespace hoardwright::extended {

// The uncompressed data of one group block and where each of its personalities landed in it.
struct GroupData {
  struct Placement {
    int record = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  std::vector<std::uint8_t> bytes;
  std::vector<Placement> placements;
};

// How WriteCacheFile went.
enum class CacheFileOutcome {
  Written,
  NotCreated,  // the output (or its working file beside it) could not be created
  NotWritten,  // a write failed on the way
  Cancelled,  // the cancel token stopped it; nothing was written
};

// The conversion a build makes of one personality file: read in binary mode, converted and
// appended to `bytes`; a form that cannot be represented is reported with its reason. A file that
// cannot be read, like one that does not convert, appends nothing.
void AppendConvertedForm(const std::string& path, std::vector<std::uint8_t>& bytes,
                         support::Reporter& reporter);
// The same for the file read already: `binary` holds its bytes in binary mode.
void AppendConvertedForm(personality::LineStream& binary, const std::string& path,
                         std::vector<std::uint8_t>& bytes, support::Reporter& reporter);

class CExtendedCache {
 public:
  // `console` receives the coder's progress dots (none when null).
  explicit CExtendedCache(std::ostream* console = nullptr);
  virtual ~CExtendedCache();
  CExtendedCache(const CExtendedCache&) = delete;
  CExtendedCache& operator=(const CExtendedCache&) = delete;

  // The shape library text compiled into the shape block; without one the block is empty.
  bool SetShapeFile(std::filesystem::path path);
  // The shape library text itself, for a cache composed without working files.
  void SetShapeText(std::string text) { shapeText_ = std::move(text); }

  // Appends the binary form of the personality file at `path` to `bytes` and reports what its
  // conversion says; appends nothing when it does not convert. Called on several threads at once.
  using FormSource = std::function<void(const std::string& path, std::vector<std::uint8_t>& bytes,
                                        support::Reporter& reporter)>;
  // Where the group blocks take their binary forms from: by default each file is read and
  // converted when its group is made (AppendConvertedForm); a preview hands in forms it holds.
  void SetFormSource(FormSource source) { formSource_ = std::move(source); }

  // Looked at between blocks and while each is compressed; once cancelled, composing stops.
  void SetCancelToken(const support::CancelToken* cancel) { cancel_ = cancel; }

  // Appends one personality record. False, adding nothing, when the manufacturer, the fixture
  // name or the path is empty, when the file cannot be opened, or when the table already holds
  // kMaxExtendedPersonalities records. Names are cut to their field widths.
  bool AddPersonality(std::string_view manufacturer, std::string_view fixtureName,
                      std::string_view deviceName, const std::string& path);

  // The index of the manufacturer name (cut to 20 characters, compared exactly), entered when it
  // is new; -1 when it is new and the table is full.
  int FindOrAddManufacturer(std::string_view name);

  // Gives each record its group number, 101 records per group from group 5, and sets the group
  // counter G to 5 + n / 101.
  void AssignGroups();

  // The whole file in memory, stamped with `time`. The tables are final afterwards (group
  // numbers, offsets, lengths); call it once per object. Conversion messages go to `reporter`.
  // The shape block and the group blocks are converted and compressed on `jobs` threads (0: the
  // machine's hardware threads); the bytes, the messages and their order do not depend on it.
  std::vector<std::uint8_t> ComposeCacheFile(const support::CalendarTime& time,
                                             support::Reporter& reporter, unsigned jobs = 1);

  // Writes the file to `path` atomically: it appears complete or not at all. Only the tables
  // are held in memory; the blocks go to the file as they are made. When it could not be
  // created or written, `error` holds the reason.
  CacheFileOutcome WriteCacheFile(const std::filesystem::path& path,
                                  const support::CalendarTime& time, support::Reporter& reporter,
                                  std::string* error = nullptr,
                                  support::WriteFaults* faults = nullptr, unsigned jobs = 1);

  // The size of the file WriteCacheFile would write, composed without keeping or writing a byte;
  // nullopt when the cancel token stopped it.
  std::optional<std::uint64_t> MeasureCacheFile(const support::CalendarTime& time,
                                                support::Reporter& reporter, unsigned jobs = 1);

  // Appends the shape block: the compiled library's length and its compressed form; nothing when
  // no shape file is set or it cannot be read.
  void WriteShapeBlock(std::vector<std::uint8_t>& file);
  // The shape block's bytes; the coder's dots go to `console`.
  std::vector<std::uint8_t> ShapeBlock(std::ostream* console) const;

  // Appends the compressed block of group `group` and records where each of its personalities
  // lies inside the block's uncompressed data. Collecting the data and compressing it are
  // separate steps so that groups can be compressed apart; the bytes do not depend on that.
  void WriteGroupBlock(std::vector<std::uint8_t>& file, int group, support::Reporter& reporter);
  // Converts the personalities of one group; reads the tables, changes nothing.
  GroupData CollectGroupData(int group, support::Reporter& reporter) const;
  // Enters a group's placements into the personality records.
  void PlaceGroup(const GroupData& data);

  int ManufacturerCount() const { return static_cast<int>(manufacturers_.size()); }
  int PersonalityCount() const { return static_cast<int>(personalities_.size()); }
  int GroupCounter() const { return groupCounter_; }
  const ManufacturerRecord& Manufacturer(int index) const { return manufacturers_.at(index); }
  const PersonalityRecord& Personality(int index) const { return personalities_.at(index); }
  const OffsetTable& Offsets() const { return offsets_; }

 private:
  // Composes the file into `file`; false as soon as a write fails.
  bool Compose(CacheSink& file, const support::CalendarTime& time, support::Reporter& reporter,
               unsigned jobs);

  std::array<std::uint8_t, kHeaderSize> header_;
  OffsetTable offsets_{};
  CacheInfoRecord info_{};
  std::vector<ManufacturerRecord> manufacturers_;
  std::vector<PersonalityRecord> personalities_;
  std::map<int, std::string> paths_;
  std::filesystem::path shapeFile_;
  std::optional<std::string> shapeText_;
  FormSource formSource_;
  int groupCounter_ = kFirstGroup;
  std::ostream* console_ = nullptr;
  const support::CancelToken* cancel_ = nullptr;
};

}  // namespace hoardwright::extended
