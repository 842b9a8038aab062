// A personality directory full of what users' directories really hold beside good personalities:
// empty files, binary garbage, a 10 MB single line, 200,000 short lines, a directory and a
// dangling link named like personalities, odd file names, a lower-case extension. Each bad file
// is left out with a message naming it, and every good personality is still in the cache.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "RobustnessSupport.h"
#include "catalogue/PersonalityEntry.h"
#include "extended/ExtendedCacheLayout.h"
#include "inspect/TextFormat.h"
#include "lzss/Lzss.h"
#include "standard/StandardCacheLayout.h"
#include "support/DirectoryText.h"

namespace hoardwright::robustness {
namespace {

constexpr int kAllBuilt = 0;
constexpr int kUsageError = 1;
constexpr int kNotWritten = 2;
constexpr int kSomeLeftOut = 3;

// A complete personality with NAME, so both caches take it.
std::string GoodPersonality(const std::string& device, const std::string& body = "") {
  return body + "DEVICE  " + device + "                    ROBUSTNESS FIXTURE\r\n" +
         "NAME \"Robust Maker\" \"Fixture " + device + "\"\r\n"
         "TYPE  1  2  M\r\n"
         "MIRROR  2  540 270\r\n"
         "DEVICEADDRESS\r\n\"Handle  %2d\"h\r\nDAEND\r\n"
         "MINDMX=1\r\nMAXDMX=512\r\nDIVBY=1\r\n"
         "DMX\r\n"
         "1   1   H    1  100 1N  H   1   \"Dimmer\"        255  255  255\r\n"
         "END\r\n"
         "TEXT\r\n" + device + "\r\nEND\r\n";
}

std::string TrimmedRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string Garbage(std::size_t size) {
  std::mt19937 random(20261207);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  // Bad luck must not make the garbage a personality.
  for (std::size_t at = bytes.find("DEVICE"); at != std::string::npos; at = bytes.find("DEVICE")) {
    bytes[at] = 'd';
  }
  return bytes;
}

// Device names (first 12 characters of the DEVICE text) a standard cache lists, from its index.
std::set<std::string> StandardCacheDevices(const std::string& file) {
  const std::span bytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
  const auto header = standard::DecodeHeader(bytes);
  EXPECT_TRUE(header);
  if (!header) return {};
  EXPECT_GE(bytes.size(), standard::CompressedStreamOffset(header->recordCount));
  std::set<std::string> devices;
  std::uint32_t end = 0;
  for (std::size_t i = 0; i < header->recordCount; ++i) {
    const auto record = standard::DecodeIndexRecord(bytes.subspan(
        standard::kHeaderSize + i * standard::kIndexRecordSize, standard::kIndexRecordSize));
    devices.insert(TrimmedRight(record->deviceText.substr(0, catalogue::kListDeviceNameLength)));
    end = record->blockOffset + record->blockLength;
  }
  const lzss::DecodedUnit unit =
      lzss::DecompressUnit(bytes.subspan(standard::SumOffset(header->recordCount)), nullptr);
  EXPECT_TRUE(unit.complete && unit.sumMatches);
  EXPECT_EQ(unit.data.size(), header->streamLengthMinus1 + 1u);
  EXPECT_EQ(end, unit.data.size()) << "the last block ends the stream";
  return devices;
}

// Device names (first 11 characters) of the personalities an extended cache holds with a
// binary form (a record whose personality could not be converted has none).
std::set<std::string> ExtendedCacheDevices(const std::string& file) {
  using namespace extended;
  const std::span bytes(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
  std::set<std::string> devices;
  if (bytes.size() < kManufacturerTableOffset) {
    ADD_FAILURE() << "cache too short";
    return devices;
  }
  EXPECT_TRUE(DecodeHeader(bytes.first<kHeaderSize>()));
  const OffsetTable offsets = DecodeOffsetTable(bytes.subspan(kOffsetTableOffset).first<kOffsetTableSize>());
  const CacheInfoRecord info = DecodeInfoRecord(bytes.subspan(offsets[kInfoSlot]).first<kInfoRecordSize>());
  for (std::size_t i = 0; i < info.personalityCount; ++i) {
    const PersonalityRecord record = DecodePersonalityRecord(
        bytes.subspan(offsets[kPersonalitySlot] + i * kPersonalityRecordSize).first<kPersonalityRecordSize>());
    if (record.length > 0) devices.insert(TrimmedRight(TextField(record.deviceName)));
  }
  return devices;
}

class BadInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_ && tmp_);
    const fs::path dir = personalities_.Path();
    for (const auto& example : fs::directory_iterator(ExamplesDir())) {
      fs::copy_file(example.path(), dir / example.path().filename());
      good_.insert(DeviceOf(ReadText(example.path())));
    }
    AddGood("AB SPACE.QPF", "Space.Name");
    AddGood("AB-HYPHEN.QPF", "Hyphen.Name");
#ifdef _WIN32
    // Windows keeps no control characters in a file name.
    AddGood("AB\xC3\xA9\xFF.QPF", "Latin.Bytes");
#else
    AddGood("AB\xC3\xA9\xFF\x01.QPF", "Latin.Bytes");
#endif
    AddGood("ablower.qpf", "Lower.Case");
    // 200,000 short lines before the personality proper: read past, and built.
    std::string manyLines;
    for (int i = 0; i < 200'000; ++i) manyLines += ";" + std::to_string(i) + "\r\n";
    AddGood("MANYLINE.QPF", "Many.Lines", manyLines);

    AddBad("EMPTY.QPF", "");
    AddBad("GARBAGE.QPF", Garbage(64 * 1024));
    AddBad("LONGLINE.QPF", std::string(10 * 1024 * 1024, 'A'));
    // A DMX table of 200,000 channels: a record far beyond what an index record describes.
    std::string flood = "DMX\r\n";
    for (int i = 0; i < 200'000; ++i) flood += "1   1   H    1  100 1N  H   1   \"Dimmer\"  255 255 255\r\n";
    std::string tooLong = GoodPersonality("Dmx.Flood");
    tooLong.replace(tooLong.find("DMX\r\n"), 5, flood);
    AddBad("DMXFLOOD.QPF", tooLong, /*listed=*/true);

    fs::create_directory(dir / "X.QPF");
    WriteText(dir / "X.QPF" / "INNER.QPF", GoodPersonality("Inner.Dir"));
#ifdef _WIN32
    // std::filesystem makes no symbolic links in the MinGW build: no dangling one here.
    unreadable_ = {(dir / "X.QPF").string()};
#else
    fs::create_symlink(dir / "MISSING.QPF", dir / "DANGLING.QPF");
    unreadable_ = {(dir / "X.QPF").string(), (dir / "DANGLING.QPF").string()};
#endif
    WriteText(dir / "README.TXT", GoodPersonality("Not.A.Qpf"));
  }

  static std::string DeviceOf(const std::string& text) {
    const std::size_t at = text.find("\nDEVICE");
    const std::size_t start = text.find_first_not_of(' ', at + 7);
    return TrimmedRight(text.substr(start, catalogue::kListDeviceNameLength));
  }

  void AddGood(const std::string& name, const std::string& device, const std::string& body = "") {
    WriteText(personalities_.Path() / name, GoodPersonality(device, body));
    good_.insert(device);
  }
  void AddBad(const std::string& name, const std::string& content, bool listed = false) {
    WriteText(personalities_.Path() / name, content);
    (listed ? compileFails_ : noDevice_).push_back((personalities_.Path() / name).string());
  }

  // As the user names it: ending with the system's separator.
  std::string Dir() const {
    return personalities_.Path().string() + support::kDirectorySeparator;
  }
  fs::path Cache() const { return output_.Path() / "OMK01PER.CMP"; }

  ProcessRun Run(const std::vector<std::string>& arguments) {
    return RunProgram(arguments, tmp_->Path(), scratch_->Path());
  }

  std::optional<support::TemporaryDirectory> scratch_ = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> tmp_ = support::TemporaryDirectory::Create();
  // Hyphen-free, so the legacy switches can name them.
  PlainDirectory output_;
  PlainDirectory personalities_;
  std::set<std::string> good_;
  std::vector<std::string> noDevice_;      // left out by the scan after the DEVICE message
  std::vector<std::string> compileFails_;  // listed, then refused by the compiler
  std::vector<std::string> unreadable_;    // named like personalities, but no readable file
};

TEST_F(BadInputTest, StandardBuildLeavesOutEachBadFileAndBuildsTheRest) {
  const ProcessRun run = Run({"build", "--output", output_.Path().string() + "/", Dir()});
  EXPECT_EQ(run.status, kSomeLeftOut) << run.err;
  for (const std::string& path : noDevice_) {
    EXPECT_NE(run.err.find("Left out of the cache: " + inspect::EscapedPath(path) + "\n"),
              std::string::npos)
        << path;
  }
  for (const std::string& path : compileFails_) {
    EXPECT_NE(run.err.find("Error in file " + inspect::EscapedPath(path) +
                           ", this personality will NOT be added"),
              std::string::npos)
        << run.err.substr(0, 2000);
    EXPECT_NE(run.err.find("Left out of the cache: " + inspect::EscapedPath(path) + "\n"),
              std::string::npos)
        << path;
  }
  for (const std::string& path : unreadable_) {
    EXPECT_NE(run.err.find("Left out of the cache: " + inspect::EscapedPath(path) + "\n"),
              std::string::npos)
        << path;
  }
  EXPECT_NE(run.err.find("error - couldn't find keyword DEVICE"), std::string::npos);

  std::set<std::string> expected = good_;
  expected.insert("1.Info");
  EXPECT_EQ(StandardCacheDevices(ReadText(Cache())), expected);
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
}

TEST_F(BadInputTest, ExtendedBuildLeavesOutEachBadFileAndBuildsTheRest) {
  const ProcessRun run =
      Run({"build", "--type", "extended", "--output", output_.Path().string() + "/", Dir()});
  EXPECT_EQ(run.status, kSomeLeftOut) << run.err;
  for (const auto& paths : {noDevice_, compileFails_, unreadable_}) {
    for (const std::string& path : paths) {
      EXPECT_NE(run.err.find("Left out of the cache: " + inspect::EscapedPath(path) + "\n"),
                std::string::npos)
          << path;
    }
  }
  std::set<std::string> expected;
  for (const std::string& device : good_) expected.insert(TrimmedRight(device.substr(0, 11)));
  EXPECT_EQ(ExtendedCacheDevices(ReadText(Cache())), expected);
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
}

// The legacy switches list the directory as the desktop's scan does and build the extended
// cache into the output directory.
TEST_F(BadInputTest, LegacyRunBuildsEveryGoodPersonality) {
  const ProcessRun run = Run({"-d", Dir(), "-o", output_.Path().string() + "/"});
  EXPECT_EQ(run.status, kAllBuilt) << run.err;
  EXPECT_NE(run.err.find("error - couldn't find keyword DEVICE"), std::string::npos);
  std::set<std::string> expected;
  for (const std::string& device : good_) expected.insert(TrimmedRight(device.substr(0, 11)));
  EXPECT_EQ(ExtendedCacheDevices(ReadText(Cache())), expected);
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
  EXPECT_FALSE(fs::exists(personalities_.Path() / "tmp1.tmp"));
}

TEST_F(BadInputTest, OutputDirectoryMissingOrAFileWritesNothing) {
  const fs::path missing = output_.Path() / "missing";
  const fs::path file = output_.Path() / "a-file";
  WriteText(file, "not a directory");
  for (const fs::path& bad : {missing, file}) {
    SCOPED_TRACE(bad.string());
    for (const char* type : {"standard", "extended"}) {
      const ProcessRun run = Run({"build", "--type", type, "--output", bad.string() + "/", Dir()});
      EXPECT_EQ(run.status, kNotWritten) << run.err;
      EXPECT_NE(run.err.find("Unable to create output file " + bad.string() + "/OMK01PER.CMP"),
                std::string::npos) << run.err.substr(0, 2000);
    }
    const ProcessRun legacy = Run({"-d", Dir(), "-o", bad.string()});
    EXPECT_EQ(legacy.status, kUsageError) << legacy.err;
    EXPECT_NE(legacy.err.find("Invalid command line arguments"), std::string::npos) << legacy.err;
  }
  EXPECT_EQ(TreeOf(output_.Path()), std::vector<std::string>{"a-file"});
  EXPECT_EQ(ReadText(file), "not a directory");
  EXPECT_TRUE(TreeOf(tmp_->Path()).empty());
}

}  // namespace
}  // namespace hoardwright::robustness
