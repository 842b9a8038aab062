// Caches made to cost a reader memory: records that all name the same bytes, group slots that
// point into one block again and again, records of nothing but the smallest items. Each is
// reported as damaged where it is, and what inspect holds and writes out stays in proportion to
// the decoded data.
#include <gtest/gtest.h>

#include <filesystem>
#include <numeric>
#include <sstream>

#include <nlohmann/json.hpp>

#include "support/InspectTestSupport.h"
#include "CraftedCaches.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectJson.h"
#include "inspect/InspectText.h"
#include "personality/CompiledLayout.h"

namespace hoardwright {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using inspect::RecordAccess;

std::size_t CountAccess(const inspect::InspectReport& report, RecordAccess access) {
  const auto& views =
      report.standard ? report.standard->personalities : report.extended->personalities;
  return static_cast<std::size_t>(
      std::ranges::count_if(views, [&](const auto& view) { return view.access == access; }));
}

std::size_t ProblemsSaying(const inspect::InspectReport& report, std::string_view text) {
  return static_cast<std::size_t>(std::ranges::count_if(report.problems, [&](const auto& problem) {
    return problem.message.find(text) != std::string::npos;
  }));
}

// Every byte the report decoded: what a report may hold and twice what --extract may write.
std::uint64_t DecodedBytes(const inspect::InspectReport& report) {
  if (report.standard) return report.standard->stream ? report.standard->stream->data.size() : 0;
  std::uint64_t total = report.extended->shapeUnit ? report.extended->shapeUnit->data.size() : 0;
  for (const auto& group : report.extended->groups)
    total += group.unit ? group.unit->data.size() : 0;
  return total;
}

std::uint64_t BytesIn(const fs::path& directory) {
  std::uint64_t total = 0;
  for (const auto& entry : fs::directory_iterator(directory)) total += entry.file_size();
  return total;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  testing::WriteText(path, std::string(bytes.begin(), bytes.end()));
}

TEST(InspectHostileTest, RecordsThatShareBytesAreReportedAndReadOnce) {
  const Bytes lines = crafted::RecordOfEmptyLines(3000);
  struct Case {
    const char* name;
    Bytes file;
    std::string overlap;  // the problem each record after the first has
    std::size_t overlapping;
  };
  Bytes intoShapes = crafted::StandardRepeated(3, lines);
  // Index record 1 made the one byte at stream offset 0, the shape library's.
  const std::size_t record1 = standard::kHeaderSize + standard::kIndexRecordSize;
  std::fill_n(intoShapes.begin() + record1 + standard::kBlockOffsetOffset, 4, 0);
  intoShapes[record1 + standard::kBlockLengthOffset] = 0;
  intoShapes[record1 + standard::kBlockLengthOffset + 1] = 1;
  const Case cases[] = {
      {"standard block named 100 times", crafted::StandardSharedBlock(100, lines),
       "overlaps the block of index record 0", 99},
      {"extended form named 150 times", crafted::ExtendedSharedForm(150, lines),
       "overlaps the one of personality record 0", 149},
      {"standard block over the shape library", intoShapes, "overlaps the shape block", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const inspect::InspectReport report = inspect::InspectCache(c.file, "hostile");
    EXPECT_TRUE(report.Damaged());
    EXPECT_EQ(ProblemsSaying(report, c.overlap), c.overlapping);
    EXPECT_EQ(CountAccess(report, RecordAccess::Overlapping), c.overlapping);
    // Only the records that lie apart are read.
    std::uint64_t walked = 0;
    for (const auto& view : report.standard ? report.standard->personalities
                                            : report.extended->personalities) {
      if (const auto bytes = inspect::RecordBytes(report, view)) walked += bytes->size();
    }
    EXPECT_LE(walked, DecodedBytes(report));
  }
}

TEST(InspectHostileTest, GroupSlotsIntoOneBlockDecodeItOnce) {
  const Bytes form = crafted::RecordOfEmptyLines(2000);
  const Bytes file = crafted::ExtendedSharedGroupBlock(2000, form, 101);
  const inspect::InspectReport report = inspect::InspectCache(file, "hostile");
  // Groups 7, 9, ... 27 point at group 5's block.
  EXPECT_EQ(ProblemsSaying(report, "overlaps the block of group 5"), 11u);
  const auto& groups = report.extended->groups;
  const auto decoded = std::ranges::count_if(groups, [&](const auto& group) {
    return group.unit && group.unit->data.size() >= form.size();
  });
  EXPECT_EQ(decoded, 1);
  EXPECT_EQ(CountAccess(report, RecordAccess::Walked), 101u);
}

// Before, each record's bytes were copied: the crafted caches needed 4 GB and 20 GB.
TEST(InspectHostileTest, CraftedCachesNeedLittleMemory) {
  if (testing::kAddressSanitizer) GTEST_SKIP() << "an address-space limit cannot hold a sanitizer";
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const std::pair<const char*, Bytes> caches[] = {
      {"shared-block.CMP", crafted::StandardSharedBlock(65535, crafted::RecordOfEmptyLines(65535))},
      {"shared-form.CMP",
       crafted::ExtendedSharedForm(2000, crafted::RecordOfEmptyLines(101 * 100'000))},
  };
  for (const auto& [name, bytes] : caches) {
    const fs::path path = directory->Path() / name;
    WriteBytes(path, bytes);
    for (const bool json : {false, true}) {
      SCOPED_TRACE(std::string(name) + (json ? " --json" : ""));
      std::vector<std::string> arguments{"inspect", path.string()};
      if (json) arguments.emplace_back("--json");
      const auto run = testing::RunProgram(arguments, *directory, {1 << 20, 120});
      EXPECT_EQ(run.status, 4) << run.err;
      EXPECT_NE(run.out.find("overlaps"), std::string::npos);
    }
    fs::remove(path);
  }
}

TEST(InspectHostileTest, ExtractWritesAtMostTwiceTheDecodedData) {
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  const Bytes form = crafted::RecordOfEmptyLines(30000);
  const std::pair<const char*, Bytes> caches[] = {
      {"shared-block.CMP", crafted::StandardSharedBlock(2000, form)},
      {"shared-group.CMP", crafted::ExtendedSharedGroupBlock(300, form, 101)},
  };
  for (const auto& [name, bytes] : caches) {
    SCOPED_TRACE(name);
    const fs::path path = directory->Path() / name;
    const fs::path parts = directory->Path() / (std::string(name) + ".parts");
    WriteBytes(path, bytes);
    const auto run = testing::RunProgram({"inspect", path.string(), "--extract", parts.string()},
                                         *directory, {4 << 20, 120});
    EXPECT_EQ(run.status, 4) << run.err;
    const std::uint64_t decoded = DecodedBytes(inspect::InspectCache(bytes, name));
    EXPECT_LE(BytesIn(parts), 2 * decoded);
    EXPECT_GE(BytesIn(parts), decoded);
  }
}

// 255 rows in 4 bytes: they are counted, not listed.
TEST(InspectHostileTest, MacroRowsWithoutColumnsAreCounted) {
  const Bytes record = crafted::RecordOfEmptyRows(1000);
  const inspect::RecordWalk walk = inspect::WalkPersonalityRecord(record);
  ASSERT_FALSE(walk.fault) << walk.fault->message;
  ASSERT_EQ(walk.record.tableIndex.size(), (1000 - 17) / 4);
  for (const inspect::TableIndexEntry& entry : walk.record.tableIndex) {
    EXPECT_EQ(entry.rowCount, 255u);
    EXPECT_TRUE(entry.rows.empty());
  }
  const inspect::InspectReport report =
      inspect::InspectCache(crafted::StandardRepeated(1, record), "rows");
  ASSERT_FALSE(report.Damaged());
  std::ostringstream text;
  inspect::WriteInspectText(report, text);
  EXPECT_NE(text.str().find("macro \"\": header , 255 rows without values\n      macro"),
            std::string::npos);
  std::ostringstream json;
  inspect::WriteInspectJson(report, nullptr, json);
  const auto entry = nlohmann::json::parse(
      json.str())["standard"]["personalities"][0]["record"]["tableIndex"]["entries"][0];
  EXPECT_EQ(entry["rowCount"], 255);
  EXPECT_TRUE(entry["rows"].empty());
}

// The inspection keeps a summary of each record; it must say what the full walk says.
TEST(InspectHostileTest, SummaryAgreesWithTheFullWalk) {
  std::vector<Bytes> records;
  for (const std::string& entry : testing::CacheListOf({testing::ExamplesDir()})) {
    records.push_back(testing::CompiledRecord(entry));
  }
  records.push_back(crafted::RecordOfEmptyLines(5000));
  records.push_back(crafted::RecordOfEmptyRows(5000));
  for (const Bytes& whole : records) {
    // Whole, and cut at a spread of places, each cut ending in a different field.
    for (std::size_t size = whole.size();; size -= std::min<std::size_t>(size, 37)) {
      const std::span<const std::uint8_t> bytes = std::span(whole).first(size);
      const inspect::RecordWalk walk = inspect::WalkPersonalityRecord(bytes);
      const inspect::RecordSummary summary = inspect::SummarizePersonalityRecord(bytes);
      SCOPED_TRACE(size);
      EXPECT_EQ(summary.size, walk.record.size);
      EXPECT_EQ(summary.channels, walk.record.channels.size());
      for (const inspect::BlockFamily family : inspect::kBlockFamilies) {
        EXPECT_EQ(summary.BlockCount(family), walk.record.BlockCount(family));
      }
      ASSERT_EQ(summary.fault.has_value(), walk.fault.has_value());
      if (walk.fault) {
        EXPECT_EQ(summary.fault->offset, walk.fault->offset);
        EXPECT_EQ(summary.fault->field, walk.fault->field);
        EXPECT_EQ(summary.fault->message, walk.fault->message);
      }
      if (size == 0) break;
    }
  }
}

// The document is written a piece at a time; it must read back and lay out as the JSON library
// writes it whole, the escapes of odd bytes included.
TEST(InspectHostileTest, JsonWrittenInPiecesIsTheLibrarysLayout) {
  Bytes record = {1, personality::compiled::kNoMirror, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 1, 0, 0,
                  personality::compiled::kTableIndexEnd, 2};
  const std::string odd = std::string("ATTR \x01\x1b\x7f\xe9\xff\"\\\b\f\t\n\r", 17);
  record.insert(record.end(), odd.begin(), odd.end());
  record.insert(record.end(), {0, 'x', 0, personality::compiled::kEndOfRecord});
  const inspect::InspectReport report =
      inspect::InspectCache(crafted::StandardRepeated(2, record), "odd \x1b\xe9.CMP");
  ASSERT_FALSE(report.Damaged());
  std::ostringstream out;
  inspect::WriteInspectJson(report, nullptr, out);
  const auto document = nlohmann::ordered_json::parse(out.str());
  EXPECT_EQ(document.dump(2) + "\n", out.str());
  const auto& lines = document["standard"]["personalities"][1]["record"]["blocks"][0]["lines"];
  EXPECT_EQ(lines[0], "ATTR \x01\x1b\x7f\xc3\xa9\xc3\xbf\"\\\b\f\t\n\r");
  EXPECT_EQ(document["file"], "odd \x1b%E9.CMP");
}

}  // namespace
}  // namespace hoardwright
