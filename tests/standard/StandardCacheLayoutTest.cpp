#include "standard/StandardCacheLayout.h"

#include <gtest/gtest.h>

#include "standard/CacheIndexTable.h"

namespace hoardwright::standard {
namespace {

TEST(StandardCacheLayout, HeaderIsBigEndian) {
  const Header header{2399, 999, 4};
  const HeaderBytes bytes = EncodeHeader(header);
  EXPECT_EQ(bytes, (HeaderBytes{0x00, 0x00, 0x09, 0x5F, 0x03, 0xE7, 0x00, 0x04}));
  EXPECT_EQ(DecodeHeader(bytes), header);
  EXPECT_FALSE(DecodeHeader(std::span(bytes).first(7)));
}

TEST(StandardCacheLayout, IndexRecordFieldsAndZeroFill) {
  const IndexRecord record{"AB", "Spot 575", 0x01020304, 0xABCD};
  const IndexRecordBytes bytes = EncodeIndexRecord(record);
  EXPECT_EQ(bytes[0], 'A');
  EXPECT_EQ(bytes[1], 'B');
  EXPECT_EQ(std::string(bytes.begin() + 2, bytes.begin() + 10), "Spot 575");
  // The NUL and everything after it in the device field.
  for (std::size_t i = 10; i < 84; ++i) EXPECT_EQ(bytes[i], 0) << i;
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 84, bytes.end()),
            (std::vector<std::uint8_t>{0x01, 0x02, 0x03, 0x04, 0xAB, 0xCD}));
  EXPECT_EQ(DecodeIndexRecord(bytes), record);

  // An 80-character device text keeps its NUL at offset 82.
  const IndexRecord longest{"1_", std::string(80, 'x'), 0, 1};
  const IndexRecordBytes longBytes = EncodeIndexRecord(longest);
  EXPECT_EQ(longBytes[81], 'x');
  EXPECT_EQ(longBytes[82], 0);
  EXPECT_EQ(DecodeIndexRecord(longBytes), longest);
}

TEST(StandardCacheLayout, CodeIsTheStartOfTheFileName) {
  EXPECT_EQ(CodeForPath("/pers/ABFOO.QPF"), "AB");
  EXPECT_EQ(CodeForPath("/tmp/hoardwright-x/1_INFO.QPF"), "1_");
  EXPECT_EQ(CodeForPath("dir/X"), "X");
  EXPECT_EQ(CodeForPath("MTSPOT.QPF"), "MT");
}

TEST(CacheIndexTable, BlocksFollowTheShapeBlockWithoutGaps) {
  // Shape block 1000 bytes, info 200, then personalities of 400, 300 and 500 bytes.
  CacheIndexTable table;
  table.StartStream(1000);
  table.Add("1_", "1.Info", 200);
  table.Add("AB", "One", 400);
  table.Add("CD", "Two", 300);
  table.Add("EF", "Three", 500);
  std::vector<std::uint32_t> offsets;
  std::vector<std::uint16_t> lengths;
  for (const auto& record : table.Records()) {
    offsets.push_back(record.blockOffset);
    lengths.push_back(record.blockLength);
  }
  EXPECT_EQ(offsets, (std::vector<std::uint32_t>{1000, 1200, 1600, 1900}));
  EXPECT_EQ(lengths, (std::vector<std::uint16_t>{200, 400, 300, 500}));
  EXPECT_EQ(table.MakeHeader(), (Header{2399, 999, 4}));
}

}  // namespace
}  // namespace hoardwright::standard
