#include "personality/OutputCursor.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace hoardwright {
namespace {

TEST(OutputCursor, WritesWordsBigEndianAndStringsWithNul) {
  std::array<std::uint8_t, 8> buffer{};
  personality::OutputCursor cursor(buffer);
  ASSERT_TRUE(cursor.PutWord(0x0200));
  ASSERT_TRUE(cursor.PutString("ab"));
  EXPECT_EQ(std::vector<std::uint8_t>(cursor.Written().begin(), cursor.Written().end()),
            (std::vector<std::uint8_t>{0x02, 0x00, 'a', 'b', 0}));
  EXPECT_EQ(cursor.ByteBefore(), 0);
}

TEST(OutputCursor, AWriteThatWouldPassTheEndWritesNothing) {
  std::array<std::uint8_t, 6> storage{};
  storage.fill(0xEE);
  personality::OutputCursor cursor(std::span<std::uint8_t>(storage).first(4));
  ASSERT_TRUE(cursor.PutByte(1));
  EXPECT_FALSE(cursor.PutString("abc"));  // needs 4 bytes, 3 remain
  EXPECT_FALSE(cursor.PutWord(7) && cursor.PutWord(7));
  EXPECT_EQ(storage[4], 0xEE);
  EXPECT_EQ(storage[5], 0xEE);
  EXPECT_FALSE(cursor.Advance(10));
  EXPECT_FALSE(cursor.SetByteAt(4, 0));
  EXPECT_EQ(storage[4], 0xEE);
}

}  // namespace
}  // namespace hoardwright
