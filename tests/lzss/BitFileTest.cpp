#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "lzss/BitFile.h"

namespace hoardwright::lzss {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct WriterCase {
  const char* name;
  void (*write)(BitFile&);
  Bytes expected;
};

TEST(BitFileWriter, PacksBitsMostSignificantFirst) {
  const WriterCase cases[] = {
      {"nothing", [](BitFile&) {}, {}},
      {"one bit", [](BitFile& f) { f.OutputBit(true); }, {0x80}},
      {"eight bits", [](BitFile& f) { f.OutputBits(0xA5, 8); }, {0xA5}},
      {"bit then byte",
       [](BitFile& f) {
         f.OutputBit(true);
         f.OutputBits(0x41, 8);
       },
       {0xA0, 0x80}},
      {"twelve bits", [](BitFile& f) { f.OutputBits(0xABC, 12); }, {0xAB, 0xC0}},
      {"only low bits of value", [](BitFile& f) { f.OutputBits(0xFF3, 4); }, {0x30}},
      {"four nibbles",
       [](BitFile& f) {
         for (std::uint32_t n : {1u, 2u, 3u, 4u}) f.OutputBits(n, 4);
       },
       {0x12, 0x34}},
  };
  for (const auto& c : cases) {
    Bytes out;
    MemorySink sink(out);
    BitFile file(sink, nullptr);
    c.write(file);
    EXPECT_TRUE(file.CloseBitFile()) << c.name;
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

TEST(BitFileWriter, PrintsADotBeforeTheFirstAnd2049thByte) {
  Bytes out;
  MemorySink sink(out);
  std::ostringstream console;
  BitFile file(sink, &console);
  for (int i = 0; i < 2048; ++i) file.OutputBits(0x1234, 16);
  EXPECT_EQ(console.str(), "..");
  for (int i = 0; i < 8; ++i) file.OutputBits(0xFF, 8);  // bytes 4097 .. 4104
  file.OutputBit(true);
  file.CloseBitFile();  // the closing byte prints no dot
  EXPECT_EQ(console.str(), "...");
  EXPECT_EQ(out.size(), 4105u);
  EXPECT_EQ(file.ByteCount(), 4104u);
}

TEST(BitFileWriter, AFailedWriteIsReportedOnceAndMakesCloseFail) {
  Bytes out;
  BoundedMemorySink sink(out, 1);
  std::ostringstream console;
  BitFile file(sink, &console);
  file.OutputBits(0xAAAA, 16);
  EXPECT_TRUE(file.WriteFailed());
  file.OutputBits(0xBBBBBB, 24);
  EXPECT_FALSE(file.CloseBitFile());
  EXPECT_EQ(out, Bytes{0xAA});
  EXPECT_EQ(console.str(), ".ERROR : Fatal error in OutputBit!\n");
}

TEST(BitFileWriter, AFailedLastByteIsReportedByClose) {
  Bytes out;
  BoundedMemorySink sink(out, 1);
  std::ostringstream console;
  BitFile file(sink, &console);
  file.OutputBits(0x1FF, 9);
  EXPECT_FALSE(file.WriteFailed());
  EXPECT_FALSE(file.CloseBitFile());
  EXPECT_EQ(console.str(), ".ERROR : Fatal error in CloseBitFile!\n");
}

TEST(BitFileReader, ReadsBitsInWriteOrder) {
  const Bytes data{0xAB, 0xC5, 0x80};
  MemorySource source(data);
  BitFile file(source, nullptr);
  EXPECT_EQ(file.InputBits(12), 0xABCu);
  EXPECT_EQ(file.InputBit(), 0);
  EXPECT_EQ(file.InputBit(), 1);
  EXPECT_EQ(file.InputBits(3), 0b011u);  // across the byte boundary
  EXPECT_EQ(file.InputBits(7), 0u);
  EXPECT_FALSE(file.AtEnd());
}

TEST(BitFileReader, PastTheEndEveryBitIsOneAndEachFetchIsReported) {
  const Bytes data{0x00};
  MemorySource source(data);
  std::ostringstream console;
  BitFile file(source, &console);
  EXPECT_EQ(file.InputBits(8), 0u);
  EXPECT_FALSE(file.AtEnd());
  EXPECT_EQ(file.InputBits(12), 0xFFFu);  // fetches past the end twice
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(console.str(), ".ERROR : Fatal error in InputBit!\nERROR : Fatal error in InputBit!\n");
  EXPECT_EQ(file.ByteCount(), 3u);
}

TEST(BitFileReader, AnEmptySourceReportsTheEndThenCountsTheFetch) {
  MemorySource source({});
  std::ostringstream console;
  BitFile file(source, &console);
  EXPECT_EQ(file.InputBit(), 1);
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(console.str(), "ERROR : Fatal error in InputBit!\n.");
}

}  // namespace
}  // namespace hoardwright::lzss
