// The container's byte layout as the console reads it.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <thread>

#include <string>
#include <vector>

#include "support/ExtendedTestSupport.h"
#include "support/BuildClock.h"
#include "extended/ByteOrder.h"
#include "extended/ExtendedCache.h"
#include "extended/ExtendedCacheLayout.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "lzss/Lzss.h"
#include "support/EmbeddedResources.h"

namespace hoardwright::extended {
namespace {

using testing::Bytes;
using testing::DecodeExtendedCache;
using testing::PersonalityText;
using testing::ScratchDirectory;
using testing::SlotRange;

const support::CalendarTime kTime{2026, 12, 5, 14, 30, 58};

Bytes Slice(const Bytes& file, std::size_t from, std::size_t count) {
  return Bytes(file.begin() + from, file.begin() + from + count);
}

Bytes Converted(const std::string& path) {
  auto input = personality::LineStream::Open(path, personality::LineMode::Binary);
  EXPECT_TRUE(input.has_value());
  Bytes bytes;
  support::SilentReporter silent;
  if (input) {
    EXPECT_TRUE(ConvertPersonality(*input, bytes, silent));
  }
  return bytes;
}

TEST(ExtendedCacheLayoutTest, RecordsAreEncodedBigEndianAtTheirOffsets) {
  PersonalityRecord record;
  record.manufacturerIndex = 0x0102;
  SetTextField(record.fixtureName, "Orbit");
  SetTextField(record.deviceName, "MT.Orbit");
  record.group = 7;
  record.offset = 0x01020304;
  record.length = 0xA0B0C0D0;
  const auto bytes = EncodePersonalityRecord(record);
  EXPECT_EQ(bytes[0], 0x01);
  EXPECT_EQ(bytes[1], 0x02);
  EXPECT_EQ(std::string(bytes.begin() + 2, bytes.begin() + 8), std::string("Orbit\0", 6));
  EXPECT_EQ(std::string(bytes.begin() + 33, bytes.begin() + 42), std::string("MT.Orbit\0", 9));
  EXPECT_EQ(bytes[45], 7);
  EXPECT_EQ(Bytes(bytes.begin() + 46, bytes.end()),
            (Bytes{0x01, 0x02, 0x03, 0x04, 0xA0, 0xB0, 0xC0, 0xD0}));
  EXPECT_EQ(DecodePersonalityRecord(bytes), record);

  const CacheInfoRecord info = MakeInfoRecord(0x5B85, 0x73DD, 3, 0x0102);
  const auto infoBytes = EncodeInfoRecord(info);
  EXPECT_EQ(Bytes(infoBytes.begin(), infoBytes.begin() + 4), (Bytes{0x5B, 0x85, 0x73, 0xDD}));
  EXPECT_EQ(Bytes(infoBytes.begin() + 54, infoBytes.end()),
            (Bytes{0x00, 0x03, 0x01, 0x02, 0x00, 0x04, 0x00, 0x0C}));
  EXPECT_EQ(DecodeInfoRecord(infoBytes), info);

  OffsetTable table{};
  table[29] = 0x11223344;
  const auto tableBytes = EncodeOffsetTable(table);
  EXPECT_EQ(Bytes(tableBytes.end() - 4, tableBytes.end()), (Bytes{0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(DecodeOffsetTable(tableBytes), table);
}

TEST(ExtendedCacheTest, EmptyCacheHasTheFixedFrameAndFiveEmptyGroupBlocks) {
  CExtendedCache cache;
  support::CollectingReporter reporter;
  const Bytes file = cache.ComposeCacheFile(kTime, reporter);

  // The first 30 bytes of every file: magic, zeros, version, slots 0 and 1.
  Bytes first30(kMagic.begin(), kMagic.end());
  first30.resize(20, 0x00);
  const Bytes rest{0x00, 0x01, 0x00, 0x00, 0x00, 0x8E, 0x00, 0x00, 0x00, 0xCC};
  first30.insert(first30.end(), rest.begin(), rest.end());
  EXPECT_EQ(Slice(file, 0, 30), first30);
  EXPECT_EQ(Slice(file, 146, 12), Bytes(kAuthorText.begin(), kAuthorText.end()));
  EXPECT_EQ(Slice(file, 158, 38), Bytes(38, 0x00));

  const auto decoded = DecodeExtendedCache(file);
  EXPECT_EQ(decoded.version, 1);
  EXPECT_EQ(decoded.info.date, support::MsDosDate(kTime));
  EXPECT_EQ(decoded.info.time, support::MsDosTime(kTime));
  EXPECT_EQ(decoded.info.manufacturerCount, 0);
  EXPECT_EQ(decoded.info.personalityCount, 0);
  EXPECT_EQ(decoded.info.constantA, 4);
  EXPECT_EQ(decoded.info.constantB, 12);

  const auto& slots = decoded.offsets;
  EXPECT_EQ(slots[0], 142u);
  EXPECT_EQ(slots[1], 204u);
  EXPECT_EQ(slots[2], 204u);
  EXPECT_EQ(slots[3], 204u);
  EXPECT_EQ(slots[4], 204u) << "no shape library set: the shape block is empty";
  const Bytes emptyUnit(6, 0x00);
  for (std::size_t group = 5; group <= 9; ++group) {
    EXPECT_EQ(SlotRange(file, slots, group, group + 1), emptyUnit) << "group " << group;
  }
  EXPECT_EQ(slots[10], file.size());
  for (std::size_t slot = 11; slot < kOffsetSlotCount; ++slot) EXPECT_EQ(slots[slot], 0u);
  EXPECT_TRUE(reporter.messages.empty());
}

TEST(ExtendedCacheTest, ShapeBlockHoldsTheCompiledLibraryLengthAndItsCompressedForm) {
  ScratchDirectory dir;
  const auto library = support::ShapeLibraryText();
  const std::string shapeFile = dir.Write(
      "SG.DAT", std::string_view(reinterpret_cast<const char*>(library.data()), library.size()));
  CExtendedCache cache;
  cache.SetShapeFile(shapeFile);
  support::CollectingReporter reporter;
  const Bytes file = cache.ComposeCacheFile(kTime, reporter);
  const auto slots = DecodeExtendedCache(file).offsets;
  EXPECT_EQ(slots[3], 204u);

  personality::LineStream text(std::string(library.begin(), library.end()),
                               personality::LineMode::Binary);
  Bytes compiled;
  ASSERT_TRUE(CompileShapeLibrary(text, compiled));
  const Bytes block = SlotRange(file, slots, 3, 4);
  ASSERT_GT(block.size(), 4u);
  EXPECT_EQ(LoadBigEndian32At(block, 0), compiled.size());
  const auto unit = lzss::DecompressUnit(std::span(block).subspan(4), nullptr);
  EXPECT_TRUE(unit.complete);
  EXPECT_TRUE(unit.sumMatches);
  EXPECT_EQ(unit.data, compiled);
  for (std::size_t group = 5; group <= 9; ++group) {
    EXPECT_EQ(SlotRange(file, slots, group, group + 1), Bytes(6, 0x00));
  }
}

TEST(ExtendedCacheTest, AnOddManufacturerCountIsPaddedSoThePersonalityTableIsEven) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("Maker A", "Spot", "A.Spot"));
  for (int makers = 1; makers <= 2; ++makers) {
    CExtendedCache cache;
    ASSERT_TRUE(cache.AddPersonality("Maker A", "Spot", "A.Spot", path));
    if (makers == 2) {
      ASSERT_TRUE(cache.AddPersonality("Maker B", "Wash", "B.Wash", path));
    }
    support::SilentReporter silent;
    const Bytes file = cache.ComposeCacheFile(kTime, silent);
    const auto decoded = DecodeExtendedCache(file);
    EXPECT_EQ(decoded.info.manufacturerCount, makers);
    EXPECT_EQ(TextField(decoded.manufacturers[0].name), "Maker A");
    if (makers == 1) {
      EXPECT_EQ(decoded.offsets[2], 226u);
      EXPECT_EQ(file[225], 0x30);
    } else {
      EXPECT_EQ(decoded.offsets[2], 246u);
      EXPECT_EQ(TextField(decoded.manufacturers[1].name), "Maker B");
      EXPECT_EQ(file[245], 0x00) << "the last byte of the second record, no pad byte";
    }
  }
}

struct GroupCase {
  int personalities;
  int groupCounter;
  int lastGroup;
};

class GroupCounterTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(GroupCounterTest, GroupsOf101AndTheFileLengthSlotFollowG) {
  const GroupCase c = GetParam();
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("Maker", "Spot", "A.Spot"));
  const std::size_t formLength = Converted(path).size();
  CExtendedCache cache;
  for (int i = 0; i < c.personalities; ++i) {
    ASSERT_TRUE(cache.AddPersonality("Maker", "Spot " + std::to_string(i), "A.Spot", path));
  }
  support::SilentReporter silent;
  const Bytes file = cache.ComposeCacheFile(kTime, silent);
  const auto decoded = DecodeExtendedCache(file);
  const auto& slots = decoded.offsets;
  EXPECT_EQ(cache.GroupCounter(), c.groupCounter);
  ASSERT_EQ(decoded.personalities.size(), static_cast<std::size_t>(c.personalities));
  EXPECT_EQ(decoded.personalities.back().group, c.lastGroup);

  const std::size_t lengthSlot = static_cast<std::size_t>(c.groupCounter) + 5;
  EXPECT_EQ(slots[lengthSlot], file.size());
  for (std::size_t slot = lengthSlot + 1; slot < kOffsetSlotCount; ++slot) {
    EXPECT_EQ(slots[slot], 0u) << "slot " << slot;
  }
  for (std::size_t slot = 5; slot < lengthSlot; ++slot) EXPECT_LT(slots[slot], slots[slot + 1]);

  for (int i = 0; i < c.personalities; ++i) {
    const auto& record = decoded.personalities[static_cast<std::size_t>(i)];
    ASSERT_EQ(record.group, 5 + i / 101) << "record " << i;
    ASSERT_EQ(record.offset, (i % 101) * formLength) << "record " << i;
    ASSERT_EQ(record.length, formLength) << "record " << i;
  }
  // Every group block decodes to its personalities' forms; groups nobody carries are empty.
  for (int group = 5; group < c.groupCounter + 5; ++group) {
    const Bytes block = SlotRange(file, slots, group, group + 1);
    const auto unit = lzss::DecompressUnit(block, nullptr);
    ASSERT_TRUE(unit.complete && unit.sumMatches) << "group " << group;
    const int members = std::max(0, std::min(101, c.personalities - (group - 5) * 101));
    EXPECT_EQ(unit.data.size(), members * formLength) << "group " << group;
    if (members == 0) {
      EXPECT_EQ(block, Bytes(6, 0x00));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Counts, GroupCounterTest,
                         ::testing::Values(GroupCase{100, 5, 5}, GroupCase{101, 6, 5},
                                           GroupCase{102, 6, 6}, GroupCase{2000, 24, 24}));

TEST(ExtendedCacheTest, ManufacturerNamesAreCutTo20AndMatchedExactly) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("x", "y", "z"));
  CExtendedCache cache;
  const std::string longName = "Twenty-five Characters Co";  // 25 characters
  ASSERT_EQ(longName.size(), 25u);
  ASSERT_TRUE(cache.AddPersonality(longName, "One", "", path));
  ASSERT_TRUE(cache.AddPersonality(longName, "Two", "", path));
  // The same first 20 characters name the same record.
  ASSERT_TRUE(cache.AddPersonality(longName.substr(0, 20) + "Other", "Three", "", path));
  // Letter case matters.
  ASSERT_TRUE(cache.AddPersonality("TWENTY-FIVE CHARACTERS CO", "Four", "", path));
  EXPECT_EQ(cache.ManufacturerCount(), 2);
  EXPECT_EQ(TextField(cache.Manufacturer(0).name), longName.substr(0, 20));
  EXPECT_EQ(cache.Manufacturer(0).name[20], 0);
  EXPECT_EQ(cache.Personality(0).manufacturerIndex, 0);
  EXPECT_EQ(cache.Personality(1).manufacturerIndex, 0);
  EXPECT_EQ(cache.Personality(2).manufacturerIndex, 0);
  EXPECT_EQ(cache.Personality(3).manufacturerIndex, 1);
}

TEST(ExtendedCacheTest, The301stManufacturerGetsNoIndexAndThePersonalityIsStillAdded) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("x", "y", "z"));
  CExtendedCache cache;
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(cache.AddPersonality("Maker " + std::to_string(i), "Spot", "", path));
  }
  ASSERT_TRUE(cache.AddPersonality("Maker 300", "Spot", "", path));
  ASSERT_TRUE(cache.AddPersonality("Maker 7", "Spot", "", path));
  EXPECT_EQ(cache.ManufacturerCount(), 300);
  EXPECT_EQ(cache.Personality(300).manufacturerIndex, 0xFFFF);
  EXPECT_EQ(cache.Personality(301).manufacturerIndex, 7);

  support::SilentReporter silent;
  const Bytes file = cache.ComposeCacheFile(kTime, silent);
  const auto decoded = DecodeExtendedCache(file);
  EXPECT_EQ(decoded.info.manufacturerCount, 300);
  EXPECT_EQ(decoded.offsets[2], 204u + 300 * 21);
  EXPECT_EQ(decoded.personalities[300].manufacturerIndex, 0xFFFF);
  EXPECT_EQ(Slice(file, decoded.offsets[2] + 300 * 54, 2), (Bytes{0xFF, 0xFF}));
}

TEST(ExtendedCacheTest, FixtureAndDeviceNamesAreCutToTheirFields) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("x", "y", "z"));
  CExtendedCache cache;
  const std::string fixture = "A fixture name of thirty-one ch";  // 31 characters
  ASSERT_EQ(fixture.size(), 31u);
  ASSERT_TRUE(cache.AddPersonality("Maker", fixture, "MT.Orbit575XYZ", path));
  support::SilentReporter silent;
  const Bytes file = cache.ComposeCacheFile(kTime, silent);
  const std::size_t at = DecodeExtendedCache(file).offsets[2];
  Bytes expectedName(fixture.begin(), fixture.begin() + 30);
  expectedName.push_back(0);
  EXPECT_EQ(Slice(file, at + 2, 31), expectedName);
  const std::string device = "MT.Orbit575";
  Bytes expectedDevice(device.begin(), device.end());
  expectedDevice.push_back(0);
  EXPECT_EQ(Slice(file, at + 33, 12), expectedDevice);
}

TEST(ExtendedCacheTest, AddPersonalityRefusesIncompleteOrUnreadableEntries) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("x", "y", "z"));
  CExtendedCache cache;
  EXPECT_FALSE(cache.AddPersonality("", "Spot", "Dev", path));
  EXPECT_FALSE(cache.AddPersonality("Maker", "", "Dev", path));
  EXPECT_FALSE(cache.AddPersonality("Maker", "Spot", "Dev", ""));
  EXPECT_FALSE(cache.AddPersonality("Maker", "Spot", "Dev", (dir.Path() / "gone.QPF").string()));
  EXPECT_FALSE(cache.AddPersonality("Maker", "Spot", "Dev", dir.Path().string()));
  EXPECT_EQ(cache.PersonalityCount(), 0);
  EXPECT_EQ(cache.ManufacturerCount(), 0) << "a refused entry enters no manufacturer";
  EXPECT_TRUE(cache.AddPersonality("Maker", "Spot", "", path)) << "the device name may be empty";

  for (int i = 1; i < kMaxExtendedPersonalities; ++i)
    ASSERT_TRUE(cache.AddPersonality("M", "S", "", path));
  EXPECT_FALSE(cache.AddPersonality("M", "S", "", path)) << "the table holds 2000 records";
  EXPECT_EQ(cache.PersonalityCount(), kMaxExtendedPersonalities);
}

TEST(ExtendedCacheTest, GroupDataIsTheConcatenationOfTheConvertedForms) {
  ScratchDirectory dir;
  const std::string good = dir.Write("GOOD.QPF", PersonalityText("Maker", "Spot", "G.Spot"));
  std::string noText = PersonalityText("Maker", "Wash", "N.Wash");
  noText = noText.substr(0, noText.find("TEXT"));
  const std::string bad = dir.Write("BAD.QPF", noText);
  const std::string other =
      dir.Write("OTHER.QPF",
                PersonalityText("Maker", "Beam", "O.Beam", "ATTR \"Beam\"\r\nZoom 1\r\nEND\r\n"));
  const std::string removed = dir.Write("GONE.QPF", PersonalityText("Maker", "Gone", "X.Gone"));

  CExtendedCache cache;
  ASSERT_TRUE(cache.AddPersonality("Maker", "Spot", "G.Spot", good));
  ASSERT_TRUE(cache.AddPersonality("Maker", "Wash", "N.Wash", bad));
  ASSERT_TRUE(cache.AddPersonality("Maker", "Gone", "X.Gone", removed));
  ASSERT_TRUE(cache.AddPersonality("Maker", "Beam", "O.Beam", other));
  std::filesystem::remove(removed);

  support::CollectingReporter reporter;
  const Bytes file = cache.ComposeCacheFile(kTime, reporter);
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, "error - couldn't find keyword TEXT");

  const auto decoded = DecodeExtendedCache(file);
  const Bytes goodForm = Converted(good);
  const Bytes otherForm = Converted(other);
  const auto& records = decoded.personalities;
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].offset, 0u);
  EXPECT_EQ(records[0].length, goodForm.size());
  for (int failed : {1, 2}) {
    EXPECT_EQ(records[failed].offset, goodForm.size());
    EXPECT_EQ(records[failed].length, 0u);
  }
  EXPECT_EQ(records[3].offset, goodForm.size());
  EXPECT_EQ(records[3].length, otherForm.size());

  Bytes expected = goodForm;
  expected.insert(expected.end(), otherForm.begin(), otherForm.end());
  const auto unit = lzss::DecompressUnit(SlotRange(file, decoded.offsets, 5, 6), nullptr);
  EXPECT_TRUE(unit.complete && unit.sumMatches);
  EXPECT_EQ(unit.data, expected);
}

TEST(ExtendedCacheTest, WriteCacheFileIsAtomicAndReportsFailures) {
  ScratchDirectory dir;
  const std::string path = dir.Write("A.QPF", PersonalityText("Maker", "Spot", "A.Spot"));
  const auto target = dir.Path() / "OMK01PER.CMP";
  support::SilentReporter silent;

  CExtendedCache reference;
  reference.AddPersonality("Maker", "Spot", "A.Spot", path);
  const Bytes expected = reference.ComposeCacheFile(kTime, silent);

  CExtendedCache written;
  written.AddPersonality("Maker", "Spot", "A.Spot", path);
  std::string error;
  ASSERT_EQ(written.WriteCacheFile(target, kTime, silent, &error), CacheFileOutcome::Written)
      << error;
  EXPECT_EQ(testing::ReadBytes(target), expected);

  // A failed write leaves the earlier file as it was and no temporary file behind.
  CExtendedCache failing;
  failing.AddPersonality("Maker", "Spot", "A.Spot", path);
  support::WriteFaults faults = support::WriteFaults::FailAtWrite(1);
  EXPECT_EQ(failing.WriteCacheFile(target, support::CalendarTime{}, silent, &error, &faults),
            CacheFileOutcome::NotWritten);
  EXPECT_EQ(testing::ReadBytes(target), expected);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 2u) << "A.QPF and the cache file only";

  CExtendedCache nowhere;
  EXPECT_EQ(nowhere.WriteCacheFile(dir.Path() / "missing" / "OMK01PER.CMP", kTime, silent, &error),
            CacheFileOutcome::NotCreated);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "missing"));

#ifdef _WIN32
  GTEST_SKIP() << "the rest writes into a FIFO, which Windows does not have";
#else
  // A pipe cannot be written over: its file is composed whole and written once, same bytes.
  const auto pipe = dir.Path() / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  Bytes received;
  std::thread reader([&] { received = testing::ReadBytes(pipe); });
  CExtendedCache piped;
  piped.AddPersonality("Maker", "Spot", "A.Spot", path);
  const bool pipedOk =
      piped.WriteCacheFile(pipe, kTime, silent, &error) == CacheFileOutcome::Written;
  reader.join();
  EXPECT_TRUE(pipedOk) << error;
  EXPECT_EQ(received, expected);
  std::filesystem::remove(pipe);
#endif
}

}  // namespace
}  // namespace hoardwright::extended
