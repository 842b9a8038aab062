// The two conversions behind the extended cache's blocks: the shape library and a personality,
// both read in binary mode (CR LF line ends reach the readers).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Files.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "personality/ShapeLibraryReader.h"
#include "support/EmbeddedResources.h"

namespace hoardwright::extended {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Text with "\n" line ends turned into CR LF, as the files are shipped.
using hoardwright::testing::Crlf;

Bytes Str(std::string_view text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

struct Compiled {
  bool ok = false;
  Bytes bytes;
};

Compiled Compile(std::string_view library) {
  personality::LineStream input(Crlf(library), personality::LineMode::Binary);
  Compiled result;
  result.bytes = {0xAA};  // something already in the caller's stream
  result.ok = CompileShapeLibrary(input, result.bytes);
  result.bytes.erase(result.bytes.begin());
  return result;
}

TEST(CompileShapeLibraryTest, PatternsCountColumnsAndValuesAndKeepTheirEndKind) {
  const Compiled result = Compile(
      "; a comment\n"
      "PATTERN \"WAVE\"\n"
      "0 18 30 47 5a 6a 76 7d\n"
      "7f 7d 76 6a 5a 47 30 18\n"
      "0 ffe8 ffd0 ffb9 ffa6 ff96 ff8a ff83\n"
      "ff80 ff83 ff8a ff96 ffa6 ffb9 ffd0 ffe8\n"
      "PEND\n"
      "PATTERN \"WIDE\"\n"
      "7fff 8000\n"
      "1\n"
      "PEND16\n");
  ASSERT_TRUE(result.ok);
  Bytes expected = Cat({{0xFE, 8, 32}, Str("WAVE")});
  for (std::uint16_t v :
       {0x0000, 0x0018, 0x0030, 0x0047, 0x005a, 0x006a, 0x0076, 0x007d, 0x007f, 0x007d, 0x0076,
        0x006a, 0x005a, 0x0047, 0x0030, 0x0018, 0x0000, 0xffe8, 0xffd0, 0xffb9, 0xffa6, 0xff96,
        0xff8a, 0xff83, 0xff80, 0xff83, 0xff8a, 0xff96, 0xffa6, 0xffb9, 0xffd0, 0xffe8}) {
    expected.push_back(static_cast<std::uint8_t>(v >> 8));
    expected.push_back(static_cast<std::uint8_t>(v));
  }
  expected.push_back(0x00);
  expected = Cat(
      {expected, {0xFE, 2, 3}, Str("WIDE"), {0x7F, 0xFF, 0x80, 0x00, 0x00, 0x01}, {0x01}, {0xFF}});
  EXPECT_EQ(result.bytes, expected);
}

TEST(CompileShapeLibraryTest, StepLinesAreStoredAsTheirLow8Bits) {
  const Compiled result = Compile(
      "SHAPE \"Circle 1\"  \"SIN\"\n"
      "5  40  64   0   0   1   0   0\n"
      "6 256  64   0   0   1 285 360\n"
      "SEND\n");
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(result.bytes, Cat({{0xFD, 2},
                               Str("Circle 1"),
                               Str("SIN"),
                               {0x05, 0x28, 0x40, 0x00, 0x00, 0x01, 0x00, 0x00},
                               {0x06, 0x00, 0x40, 0x00, 0x00, 0x01, 0x1D, 0x68},
                               {0xFF}}));
}

TEST(CompileShapeLibraryTest, AShortStepLineFailsTheWholeLibrary) {
  personality::LineStream input(Crlf("PATTERN \"SIN\"\n0 1\nPEND\n"
                        "SHAPE \"Bad\" \"SIN\"\n5 40 64 0 0 1 0\nSEND\n"),
                   personality::LineMode::Binary);
  Bytes output{1, 2, 3};
  EXPECT_FALSE(CompileShapeLibrary(input, output));
  EXPECT_EQ(output, (Bytes{1, 2, 3})) << "nothing appended";
}

TEST(CompileShapeLibraryTest, UnclosedBlocksAndOddHeadersStillEndTheLibrary) {
  // A pattern without PEND has no end-kind byte; the library still ends with 0xFF.
  EXPECT_EQ(Compile("PATTERN \"SIN\"\n1 2\n").bytes,
            Cat({{0xFE, 2, 2}, Str("SIN"), {0x00, 0x01, 0x00, 0x02}, {0xFF}}));
  // A shape name without its closing quote leaves an empty pattern name.
  EXPECT_EQ(Compile("SHAPE \"Open\nSEND\n").bytes,
            Cat({{0xFD, 0}, Str("Open\r"), Str(""), {0xFF}}));
  // Text that is not a hexadecimal number ends a row instead of stalling the compiler.
  EXPECT_EQ(Compile("PATTERN \"P\"\n1 2 ; note\nPEND\n").bytes,
            Cat({{0xFE, 2, 2}, Str("P"), {0x00, 0x01, 0x00, 0x02, 0x00}, {0xFF}}));
}

TEST(CompileShapeLibraryTest, ALibraryLargerThanItsBufferIsRefused) {
  // 500,001 values need 1,000,002 bytes, past the 1,000,000-byte work buffer.
  std::string library = "PATTERN \"BIG\"\n";
  const std::string row = "1 1 1 1 1 1 1 1 1 1\n";
  for (int i = 0; i < 50'001; ++i) library += row;
  library += "PEND\n";
  personality::LineStream input(Crlf(library), personality::LineMode::Binary);
  Bytes output;
  EXPECT_FALSE(CompileShapeLibrary(input, output));
  EXPECT_TRUE(output.empty());
}

TEST(CompileShapeLibraryTest, TheEmbeddedLibraryCompilesAsTheStandardBuildCompilesIt) {
  const auto text = support::ShapeLibraryText();
  personality::LineStream binary(std::string(text.begin(), text.end()),
                                 personality::LineMode::Binary);
  Bytes compiled;
  ASSERT_TRUE(CompileShapeLibrary(binary, compiled));

  personality::LineStream textMode(std::string(text.begin(), text.end()),
                                   personality::LineMode::Text);
  std::vector<std::uint8_t> buffer(kShapeWorkBufferSize);
  personality::OutputCursor cursor(buffer);
  support::CollectingReporter reporter;
  ASSERT_TRUE(personality::ReadShapeLibrary(textMode, cursor, reporter));
  EXPECT_EQ(compiled, Bytes(cursor.Written().begin(), cursor.Written().end()));

  // 15 patterns of 1,204 bytes together, then 143 shapes.
  int patterns = 0;
  int shapes = 0;
  std::size_t patternBytes = 0;
  std::size_t at = 0;
  const auto skipString = [&] {
    while (at < compiled.size() && compiled[at] != 0) ++at;
    ++at;
  };
  while (at < compiled.size() && compiled[at] != 0xFF) {
    const std::size_t start = at;
    if (compiled[at] == 0xFE) {
      const std::size_t values = compiled[at + 2];
      at += 3;
      skipString();
      at += 2 * values + 1;
      patternBytes += at - start;
      ++patterns;
    } else {
      ASSERT_EQ(compiled[at], 0xFD) << "at " << at;
      const std::size_t steps = compiled[at + 1];
      at += 2;
      skipString();
      skipString();
      at += 8 * steps;
      ++shapes;
    }
  }
  EXPECT_EQ(patterns, 15);
  EXPECT_EQ(shapes, 143);
  EXPECT_EQ(patternBytes, 1204u);
  EXPECT_EQ(at + 1, compiled.size());
}

// A personality with every part, CR LF line ends.
constexpr std::string_view kPersonality =
    "DEVICE  MT.Spot                    SPOT\n"
    "NAME \"Maker\" \"Spot\"\n"
    "TYPE  1  2  M\n"
    "MIRROR  2  360 270\n"
    "DEVICEADDRESS\n"
    "\"Handle  %2d\"h\n"
    "DAEND\n"
    "MINDMX=1\n"
    "MAXDMX=512\n"
    "DIVBY=1\n"
    "DMX\n"
    "1   1   H    1  100 1N  H   1   \"Dimmer\"        255  255  255\n"
    "END\n"
    "TEXT\n"
    "SPOT\n"
    "END\n"
    "ATTR \"Position\"\n"
    "Pan  1\n"
    "END\n"
    "RANGE 3 \"Colour\"\n"
    "0   10  \"Open\"   ; white\n"
    "REND\n"
    "PFTABLE \"Positions\"  0  1\n"
    "\"Centre\"  1  80\n"
    "PFEND\n"
    "MACRO \"Reset\"  0  9\n"
    "\"Go\"  1  ff\n"
    "MEND\n"
    "ATTR \"Beam\"\n"
    "Zoom  2\n"
    "END\n";

struct Converted {
  bool ok = false;
  Bytes bytes;
  std::vector<std::string> messages;
};

Converted Convert(std::string_view text) {
  personality::LineStream input(Crlf(text), personality::LineMode::Binary);
  Converted result;
  result.bytes = {0xAA};
  support::CollectingReporter reporter;
  result.ok = ConvertPersonality(input, result.bytes, reporter);
  result.bytes.erase(result.bytes.begin());
  for (const auto& message : reporter.messages) result.messages.push_back(message.text);
  return result;
}

TEST(ConvertPersonalityTest, WritesEveryFieldWithAnEmptyIndexAndAllTables) {
  const Converted result = Convert(kPersonality);
  ASSERT_TRUE(result.ok);
  EXPECT_TRUE(result.messages.empty());
  // Lines keep their carriage return: the file is read in binary mode.
  const Bytes expected = Cat({
      {0x02},                          // TYPE
      {0x02, 0x01, 0x68, 0x01, 0x0E},  // MIRROR
      {0x01},
      Str("\"Handle  %2d\"h\r"),             // DEVICEADDRESS
      {0x00, 0x01, 0x02, 0x00, 0x00, 0x01},  // DMX limits
      {0x01, 0x01, 0x01, 'H', 0x01, 'N', 'H', 0x01, 0xFF, 0x00, 0xFF, 0x00, 0xFF},
      Str("Dimmer"),  // DMX table
      {0x01},
      Str("SPOT\r"),  // TEXT
      {0xFF},         // table index: its end byte only
      {0x03},
      Str("ATTR \"Position\"\r\n"),
      Str("Pan  1\r"),
      Str("END\r\n"),
      {0xFF, 0x03},
      Str("ATTR \"Beam\"\r\n"),
      Str("Zoom  2\r"),
      Str("END\r\n"),
      {0xFF, 0x03},
      Str("RANGE 3 \"Colour\"\r\n"),
      Str("0 10 \"Open\" "),
      Str("REND\r\n"),
      {0xFF, 0x03},
      Str("PFTABLE \"Positions\" 0 1\r\n"),
      Str("\"Centre\" 1 80\r"),
      Str("PFEND\r\n"),
      {0xFF, 0x03},
      Str("MACRO \"Reset\" 0 9\r\n"),
      Str("\"Go\" 1 ff\r"),
      Str("MEND\r\n"),
      {0xFC},
  });
  EXPECT_EQ(result.bytes, expected);
}

TEST(ConvertPersonalityTest, AMissingMirrorLineIsStoodInFor) {
  std::string text(kPersonality);
  text.erase(text.find("MIRROR"), std::string_view("MIRROR  2  360 270\n").size());
  const Converted result = Convert(text);
  ASSERT_TRUE(result.ok);
  EXPECT_EQ(Bytes(result.bytes.begin(), result.bytes.begin() + 7),
            (Bytes{0x02, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x01}));
}

TEST(ConvertPersonalityTest, AMissingRequiredPartAppendsNothing) {
  for (std::string_view keyword : {"TYPE", "DEVICEADDRESS", "MAXDMX=", "DMX\n", "TEXT"}) {
    std::string text(kPersonality);
    const std::size_t at = text.find(keyword);
    text.replace(at, 1, "x");
    const Converted result = Convert(text);
    EXPECT_FALSE(result.ok) << keyword;
    EXPECT_TRUE(result.bytes.empty()) << keyword;
    ASSERT_EQ(result.messages.size(), 1u) << keyword;
    EXPECT_EQ(result.messages[0], "error - couldn't find keyword " +
                                      std::string(keyword.substr(0, keyword.find('\n'))));
  }
}

TEST(ConvertPersonalityTest, AFormLargerThanItsBufferIsRefused) {
  // 900 attribute lines of 121 characters need well over 100,000 bytes; 180 to a block keeps
  // each block's count within its byte.
  std::string text(kPersonality);
  for (int i = 0; i < 900; ++i) {
    if (i % 180 == 0) text += "ATTR \"Huge\"\n";
    text += std::string(121, 'a' + i % 26) + "\n";
    if (i % 180 == 179) text += "END\n";
  }
  const Converted result = Convert(text);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.bytes.empty());

  // The same amount in a TEXT section fails the same way.
  std::string longText(kPersonality);
  std::string lines;
  for (int i = 0; i < 5000; ++i) lines += "twenty-two characters!\n";
  longText.insert(longText.find("SPOT\nEND"), lines);
  EXPECT_FALSE(Convert(longText).ok);
}

}  // namespace
}  // namespace hoardwright::extended
