#include "personality/KeywordReaders.h"

#include <gtest/gtest.h>

#include "ReaderTestSupport.h"

namespace hoardwright {
namespace {

using testing::Bytes;
using testing::Concat;
using testing::ReaderBench;
using testing::Str;

TEST(FindKeyword, ReportedSearchReturnsTheLineAfterTheKeyword) {
  ReaderBench bench(" TYPE 9\n;TYPE 8\nTYPEX 3 4\nTYPE 5\n");
  EXPECT_EQ(FindKeyword(bench.stream, "TYPE", KeywordSearch::Reported, bench.reporter), "X 3 4\n");
  EXPECT_EQ(FindKeyword(bench.stream, "TYPE", KeywordSearch::Silent, bench.reporter), "TYPE 5\n");
  EXPECT_TRUE(bench.reporter.messages.empty());
}

TEST(FindKeyword, MissingKeywordIsReportedOnlyWhenAsked) {
  ReaderBench bench("type 1\nTYP\n");
  EXPECT_FALSE(FindKeyword(bench.stream, "TYPE", KeywordSearch::Silent, bench.reporter));
  EXPECT_TRUE(bench.reporter.messages.empty());
  bench.stream.Rewind();
  EXPECT_FALSE(FindKeyword(bench.stream, "TYPE", KeywordSearch::Reported, bench.reporter));
  ASSERT_EQ(bench.reporter.messages.size(), 1u);
  EXPECT_EQ(bench.reporter.messages[0],
            (ReportedMessage{"error - couldn't find keyword TYPE", "Hoardwright"}));
  // A failed search leaves the stream at its end.
  EXPECT_TRUE(bench.stream.AtEnd());
}

TEST(ReadDevice, WritesTheDeviceTextAndItsNul) {
  ReaderBench bench("NAME \"A\"\nDEVICE  1.Info      CACHE FILE INFORMATION\nTYPE 1\n");
  ASSERT_TRUE(ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.Written(), Str("1.Info      CACHE FILE INFORMATION"));
  std::string_view next;
  ASSERT_TRUE(bench.stream.ReadLine(next));
  EXPECT_EQ(next, "TYPE 1\n");
}

TEST(ReadDevice, ReadsTheDeviceTextAsAToken) {
  const struct {
    std::string text;
    std::string device;
  } cases[] = {
      {"DEVICEADDRESS\n", "ADDRESS"},
      {"DEVICE \"Quoted\" rest\n", "Quoted"},
      {"DEVICE\t\tTabbed\n", "Tabbed"},
      {"DEVICE no newline", "no newline"},
      {"DEVICE\n", ""},
      {"DEVICE " + std::string(100, 'x') + "\n", std::string(80, 'x')},
  };
  for (const auto& c : cases) {
    ReaderBench bench(c.text);
    ASSERT_TRUE(ReadDevice(bench.stream, bench.cursor, bench.reporter)) << c.text;
    EXPECT_EQ(bench.Written(), Str(c.device)) << c.text;
  }
}

TEST(ReadDevice, MissingDeviceIsReportedAndWritesNothing) {
  ReaderBench bench("NAME \"A\" \"B\"\n DEVICE indented\n");
  EXPECT_FALSE(ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.MessageTexts(), std::vector<std::string>{"error - couldn't find keyword DEVICE"});
  EXPECT_EQ(bench.cursor.Position(), 0u);
}

TEST(ReadDevice, FailsCleanlyWhenTheTextDoesNotFit) {
  ReaderBench bench("DEVICE 1234567890\n", 10);
  EXPECT_FALSE(ReadDevice(bench.stream, bench.cursor, bench.reporter));
  EXPECT_EQ(bench.cursor.Position(), 0u);
  EXPECT_TRUE(bench.GuardIntact());
}

}  // namespace
}  // namespace hoardwright
