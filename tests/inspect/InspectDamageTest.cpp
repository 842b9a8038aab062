// Damaged caches: each kind of damage is reported with its section, record and byte offset, the
// command exits with 4, and no damage makes the inspection read outside the file.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include <nlohmann/json.hpp>

#include "support/InspectTestSupport.h"
#include "extended/ByteOrder.h"
#include "inspect/CacheInspector.h"
#include "lzss/Lzss.h"

namespace hoardwright {
namespace {
using inspect::OffsetSpace;
using testing::Bytes;

struct Expected {
  std::string section;
  std::optional<std::size_t> record;
  OffsetSpace space;
  std::optional<std::uint64_t> offset;  // unset where it depends on the bytes that follow
  std::string message;  // a part of the message
};

// The problem the damage must produce, among any that follow from it.
void ExpectProblem(const Bytes& file, const Expected& expected) {
  const inspect::InspectReport report = inspect::InspectCache(file, "damaged");
  ASSERT_TRUE(report.Damaged());
  std::string seen;
  for (const inspect::Problem& problem : report.problems) {
    if (problem.section == expected.section && problem.record == expected.record &&
        problem.space == expected.space &&
        (!expected.offset || problem.offset == *expected.offset) &&
        problem.message.find(expected.message) != std::string::npos) {
      return;
    }
    seen += problem.section + " " + (problem.record ? std::to_string(*problem.record) : "-") +
            " @" + std::to_string(problem.offset) + ": " + problem.message + "\n";
  }
  ADD_FAILURE() << "expected " << expected.section << " @" << expected.offset.value_or(0) << ": "
                << expected.message << "\nseen:\n" << seen;
}

Bytes Truncated(const Bytes& file, std::size_t size) {
  return Bytes(file.begin(), file.begin() + size);
}

class InspectDamageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    auto directory = support::TemporaryDirectory::Create();
    ASSERT_TRUE(directory);
    entries_ = testing::CacheListOf({testing::ExamplesDir()});
    entries_.resize(3);
    standard_ = testing::BuildStandardBytes(entries_, *directory);
    extended_ = testing::BuildExtendedBytes(entries_, *directory);
  }

  static standard::IndexRecord IndexRecord(const Bytes& file, std::size_t i) {
    return *standard::DecodeIndexRecord(
        std::span(file).subspan(standard::kHeaderSize + i * standard::kIndexRecordSize));
  }
  static std::size_t RecordCount(const Bytes& file) {
    return standard::DecodeHeader(file)->recordCount;
  }

  // The standard cache with its decoded stream changed and compressed again (sum included).
  static Bytes WithStream(const Bytes& file, const std::function<void(Bytes&)>& change) {
    const std::size_t sumAt = standard::SumOffset(RecordCount(file));
    Bytes stream = lzss::DecompressUnit(std::span(file).subspan(sumAt), nullptr).data;
    change(stream);
    Bytes damaged(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(sumAt));
    const Bytes unit = lzss::CompressUnit(stream, nullptr);
    damaged.insert(damaged.end(), unit.begin(), unit.end());
    return damaged;
  }

  static extended::OffsetTable Offsets(const Bytes& file) {
    return extended::DecodeOffsetTable(
        std::span(file).subspan(extended::kOffsetTableOffset).first<extended::kOffsetTableSize>());
  }
  static void SetSlot(Bytes& file, std::size_t slot, std::uint32_t value) {
    extended::StoreBigEndian32At(file, extended::kOffsetTableOffset + 4 * slot, value);
  }

  static inline std::vector<std::string> entries_;
  static inline Bytes standard_;
  static inline Bytes extended_;
};

TEST_F(InspectDamageTest, StandardCacheDamage) {
  const std::size_t count = RecordCount(standard_);
  ASSERT_EQ(count, 4u);
  const std::size_t sumAt = standard::SumOffset(count);
  const standard::IndexRecord second = IndexRecord(standard_, 2);

  ExpectProblem(Truncated(standard_, 5),
                {"header", std::nullopt, OffsetSpace::File, 5, "inside the 8-byte header"});
  ExpectProblem(Truncated(standard_, 8 + 90 + 40),
                {"index", 1, OffsetSpace::File, 138, "inside index record 1 of 4"});
  ExpectProblem(Truncated(standard_, sumAt + 2),
                {"compressed stream", std::nullopt, OffsetSpace::File, sumAt + 2, "4-byte sum"});
  const std::size_t cut = standard_.size() - 30;
  ExpectProblem(Truncated(standard_, cut), {"compressed stream", std::nullopt, OffsetSpace::File,
                                            cut, "before the compressed stream's end-of-stream"});

  Bytes wrongSum = standard_;
  wrongSum[sumAt] ^= 0x01;
  ExpectProblem(wrongSum, {"compressed stream", std::nullopt, OffsetSpace::File, sumAt,
                           "differs from the sum of the decoded bytes"});

  Bytes wrongLength = standard_;
  wrongLength[3] += 5;
  ExpectProblem(wrongLength,
                {"header", std::nullopt, OffsetSpace::File, 0, "the header gives a stream of"});

  Bytes outOfRange = standard_;
  const std::size_t offsetField = standard::kHeaderSize + 2 * standard::kIndexRecordSize +
                                  standard::kBlockOffsetOffset;
  outOfRange[offsetField] = 0x01;  // 16 MiB further on
  ExpectProblem(outOfRange, {"index", 2, OffsetSpace::File, offsetField,
                             "runs past the decoded stream's"});

  Bytes shapeTooLong = standard_;
  shapeTooLong[standard::kShapeLengthOffset] = 0xFF;
  ExpectProblem(shapeTooLong, {"header", std::nullopt, OffsetSpace::File,
                               standard::kShapeLengthOffset, "shape block of 65"});

  // Record 2 loses its end byte 0xFC.
  const Bytes unparsable = WithStream(standard_, [&](Bytes& stream) {
    stream[second.blockOffset + second.blockLength - 1] = 0x00;
  });
  ExpectProblem(unparsable, {"personality record", 2, OffsetSpace::Stream,
                             second.blockOffset + second.blockLength - 1u,
                             "where the block separator 0xFF or the end byte 0xFC belongs"});

  // Record 2's DMX channel count grows past the channels that are there.
  const std::size_t countAt = second.blockOffset + 1 + 5;  // type, mirror
  const Bytes overrun = WithStream(standard_, [&](Bytes& stream) {
    std::size_t at = countAt;
    const std::uint8_t lines = stream[at++];
    for (int i = 0; i < lines; ++i)
      at = std::find(stream.begin() + at, stream.end(), 0) - stream.begin() + 1;
    stream[at + 6] = 0xF0;  // after the three limits
  });
  ExpectProblem(overrun, {"personality record", 2, OffsetSpace::Stream, std::nullopt,
                          "DMX channel table: the record ends inside channel entry"});
}

TEST_F(InspectDamageTest, ExtendedCacheDamage) {
  const extended::OffsetTable offsets = Offsets(extended_);
  const std::size_t table = offsets[extended::kPersonalitySlot];

  ExpectProblem(Truncated(extended_, 15),
                {"header", std::nullopt, OffsetSpace::File, 15, "inside the 22-byte header"});
  ExpectProblem(Truncated(extended_, 100),
                {"offset table", std::nullopt, OffsetSpace::File, 100, "inside the offset table"});
  ExpectProblem(Truncated(extended_, table + 54 + 10),
                {"personality table", 1, OffsetSpace::File, table + 54 + 10,
                 "inside personality record 1 of 3"});
  const std::size_t cut = offsets[6] - 10;
  ExpectProblem(Truncated(extended_, cut),
                {"offset table", 6, OffsetSpace::File, extended::kOffsetTableOffset + 24,
                 "past the end of the file"});

  Bytes wrongSum = extended_;
  wrongSum[offsets[5] + 1] ^= 0x40;
  ExpectProblem(wrongSum, {"group block", 5, OffsetSpace::File, offsets[5],
                           "differs from the sum of the decoded bytes"});

  Bytes shapeSum = extended_;
  shapeSum[offsets[3] + 4] ^= 0x01;
  ExpectProblem(shapeSum, {"shape block", std::nullopt, OffsetSpace::File, offsets[3] + 4,
                           "differs from the sum"});

  Bytes slotOut = extended_;
  SetSlot(slotOut, 7, static_cast<std::uint32_t>(extended_.size() + 100));
  ExpectProblem(slotOut, {"offset table", 7, OffsetSpace::File, extended::kOffsetTableOffset + 28,
                          "past the end of the file"});

  Bytes badVersion = extended_;
  badVersion[extended::kVersionOffset + 1] = 2;
  ExpectProblem(badVersion, {"header", std::nullopt, OffsetSpace::File, extended::kVersionOffset,
                             "format version 2"});

  // Record 1's length reaches past its group's data.
  Bytes tooLong = extended_;
  extended::StoreBigEndian32At(tooLong, table + 54 + 50, 100000);
  ExpectProblem(tooLong, {"personality table", 1, OffsetSpace::File, table + 54,
                          "runs past the"});

  // Record 0's binary form loses its end byte: group 5 compressed again, the slots after it moved.
  const extended::PersonalityRecord first = extended::DecodePersonalityRecord(
      std::span(extended_).subspan(table).first<extended::kPersonalityRecordSize>());
  Bytes data = lzss::DecompressUnit(
                   std::span(extended_).subspan(offsets[5], offsets[6] - offsets[5]), nullptr)
                   .data;
  data[first.offset + first.length - 1] = 0x00;
  const Bytes unit = lzss::CompressUnit(data, nullptr);
  Bytes unparsable(extended_.begin(), extended_.begin() + offsets[5]);
  unparsable.insert(unparsable.end(), unit.begin(), unit.end());
  unparsable.insert(unparsable.end(), extended_.begin() + offsets[6], extended_.end());
  const auto shift = static_cast<std::int64_t>(unit.size()) - (offsets[6] - offsets[5]);
  for (std::size_t slot = 6; slot <= 10; ++slot) {
    SetSlot(unparsable, slot, static_cast<std::uint32_t>(offsets[slot] + shift));
  }
  const inspect::InspectReport report = inspect::InspectCache(unparsable, "damaged");
  ASSERT_EQ(report.problems.size(), 1u);
  const inspect::Problem& problem = report.problems.front();
  EXPECT_EQ(problem.section, "personality record");
  EXPECT_EQ(problem.record, 0u);
  EXPECT_EQ(problem.space, OffsetSpace::GroupData);
  EXPECT_EQ(problem.group, 5);
  EXPECT_EQ(problem.offset, first.offset + first.length - 1);
}

// Cut at every length and with bytes flipped at random, the inspection reports and returns.
TEST_F(InspectDamageTest, NoDamageBreaksTheInspection) {
  for (const Bytes* file : {&standard_, &extended_}) {
    for (std::size_t size = 0; size < file->size(); size += 7) {
      EXPECT_TRUE(inspect::InspectCache(Truncated(*file, size), "cut").Damaged()) << size;
    }
    std::mt19937 random(20261205);
    for (int round = 0; round < 300; ++round) {
      Bytes damaged = *file;
      for (int flips = 0; flips < 3; ++flips) {
        damaged[random() % damaged.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
      }
      inspect::InspectCache(damaged, "flipped");
    }
  }
}

TEST_F(InspectDamageTest, CommandExitsWithFourAndNamesTheLocation) {
  auto directory = support::TemporaryDirectory::Create();
  ASSERT_TRUE(directory);
  Bytes wrongSum = standard_;
  const std::size_t sumAt = standard::SumOffset(RecordCount(standard_));
  wrongSum[sumAt] ^= 0x01;
  const auto path = directory->Path() / "damaged.CMP";
  testing::WriteText(path, std::string(wrongSum.begin(), wrongSum.end()));

  const auto run = testing::RunProgram({"inspect", path.string()}, *directory);
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.out.find("Result: DAMAGED, 1 problem\n  compressed stream, file offset " +
                         std::to_string(sumAt) + ": stored sum"),
            std::string::npos)
      << run.out;

  const auto json = testing::RunProgram({"inspect", "--json", path.string()}, *directory);
  EXPECT_EQ(json.status, 4);
  const auto document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["damaged"], true);
  EXPECT_EQ(document["problems"][0]["section"], "compressed stream");
  EXPECT_EQ(document["problems"][0]["offset"], sumAt);
}

}  // namespace
}  // namespace hoardwright
