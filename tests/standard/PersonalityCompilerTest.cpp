#include "standard/PersonalityCompiler.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/Files.h"
#include "standard/StandardCacheLayout.h"
#include "personality/KeywordReaders.h"
#include "support/EmbeddedResources.h"

namespace hoardwright {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Expected records written as a list of bytes and NUL-terminated strings.
struct Expect {
  Bytes bytes;
  Expect& operator()(std::initializer_list<int> values) {
    for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Expect& operator()(std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
    return *this;
  }
};

struct Compiled {
  bool ok = false;
  Bytes record;
  std::vector<std::string> messages;
  bool guardIntact = true;
};

// Reads the DEVICE line as the build does, then compiles into a buffer of `capacity` bytes that
// has a guard area behind it.
Compiled Compile(std::string text, standard::TableOptions options = {},
                 std::size_t capacity = standard::kBlockBufferSize) {
  constexpr std::uint8_t kGuard = 0xEE;
  personality::LineStream stream(std::move(text), personality::LineMode::Text);
  support::CollectingReporter reporter;
  Compiled result;
  std::vector<std::uint8_t> device(81);
  personality::OutputCursor deviceCursor(device);
  if (!personality::ReadDevice(stream, deviceCursor, reporter)) {
    ADD_FAILURE() << "no DEVICE line";
    return result;
  }
  std::vector<std::uint8_t> storage(capacity + 64, kGuard);
  personality::OutputCursor cursor(std::span<std::uint8_t>(storage).first(capacity));
  result.ok = standard::CompilePersonality(stream, cursor, options, reporter);
  result.record.assign(cursor.Written().begin(), cursor.Written().end());
  for (const auto& m : reporter.messages) result.messages.push_back(m.text);
  for (std::size_t i = capacity; i < storage.size(); ++i) {
    result.guardIntact = result.guardIntact && storage[i] == kGuard;
  }
  return result;
}

using hoardwright::testing::Crlf;

TEST(CompilePersonality, EmbeddedInfoTemplateGivesTheKnownRecord) {
  const auto templ = support::InfoTemplateText();
  const Compiled compiled = Compile(std::string(templ.begin(), templ.end()));
  ASSERT_TRUE(compiled.ok);
  EXPECT_TRUE(compiled.messages.empty());

  Expect prefix;
  prefix({0x01})({0x02, 0x01, 0x68, 0x01, 0x0E})({0x04})
      ("\"Handle  %2d\"h")("\"Fixture %11s\"n")("\"DMX     %03d\"d")("\"\"")
      ({0x00, 0x01})({0x02, 0x00})({0x00, 0x01})
      ({0x01})({0x01, 0x01, 0x48, 0x01, 0x4E, 0x48, 0x01, 0xFF, 0x00, 0xFF, 0x00, 0xFF})
      ("Dimmer");
  ASSERT_EQ(prefix.bytes.size(), 83u);
  ASSERT_GE(compiled.record.size(), 83u);
  EXPECT_EQ(Bytes(compiled.record.begin(), compiled.record.begin() + 83), prefix.bytes);

  // The TEXT lines, each cut to 22 characters, then an empty table index and no blocks.
  const std::vector<std::string> textLines = {
      "**CACHE INFORMATION**", "", "DATE: %DATE", "Created by: %CREATEDBY", "Files: %FILECOUNT",
      "%NOTES", "", "%INFO", "*********************", "See www.hoardwright.ex",
      "official cache files", "*********************"};
  Expect rest;
  rest({static_cast<int>(textLines.size())});
  for (const auto& line : textLines) rest(line);
  rest({0xFF, 0xFC});
  EXPECT_EQ(Bytes(compiled.record.begin() + 83, compiled.record.end()), rest.bytes);
}

// Every family once, so each option's effect shows in the bytes.
const char* const kAllFamilies =
    "DEVICE  Options\n"
    "TYPE 1 2\n"
    "DEVICEADDRESS\n\"A\"\nDAEND\n"
    "MINDMX=1\nMAXDMX=2\nDIVBY=1\n"
    "DMX\nEND\n"
    "TEXT\nT\nEND\n"
    "ATTR one\na\nEND\n"
    "RANGE r1\n0  10  ; c\nREND\n"
    "PFTABLE \"P\" 1\n\"S\" 5\nPFEND\n"
    "MACRO \"M\" 1\n\"x\" 7\nMEND\n";

Expect FixedFieldsOfAllFamilies() {
  Expect e;
  e({0x02})({0xFF, 0, 0, 0, 0})({0x01})("\"A\"")({0x00, 0x01, 0x00, 0x02, 0x00, 0x01})({0x00})
      ({0x01})("T");
  return e;
}

TEST(CompilePersonality, TableOptionsKeepOrDropTheirFamilies) {
  const Bytes presetFocusEntry = Expect()({0xFE, 1, 1})("P")({1})("S")({5}).bytes;
  const Bytes macroEntry = Expect()({0xFD, 1, 1})("M")({1, 7}).bytes;
  const Bytes attr = Expect()({3})("ATTR one\n")("a")("END\n").bytes;
  const Bytes range = Expect()({0xFF, 3})("RANGE r1\n")("0 10 ")("REND\n").bytes;
  const Bytes presetFocus = Expect()({0xFF, 3})("PFTABLE \"P\" 1\n")("\"S\" 5")("PFEND\n").bytes;
  const Bytes macro = Expect()({0xFF, 3})("MACRO \"M\" 1\n")("\"x\" 7")("MEND\n").bytes;

  struct Case {
    standard::TableOptions options;
    std::vector<const Bytes*> parts;
  };
  const Case cases[] = {
      {{true, true, true},
       {&presetFocusEntry, &macroEntry, nullptr, &attr, &range, &presetFocus, &macro}},
      {{false, false, false}, {nullptr, &attr}},
      {{false, true, true}, {&macroEntry, nullptr, &attr, &range, &macro}},
      {{true, false, false}, {&presetFocusEntry, nullptr, &attr, &presetFocus}},
      {{false, true, false}, {nullptr, &attr, &range}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "preset focus " << c.options.includePresetFocus
                                    << ", range tables " << c.options.includeRangeTables
                                    << ", macros " << c.options.includeMacros);
    Bytes expected = FixedFieldsOfAllFamilies().bytes;
    for (const Bytes* part : c.parts) {
      // nullptr stands for the 0xFF that closes the table index.
      if (part == nullptr) {
        expected.push_back(0xFF);
      } else {
        expected.insert(expected.end(), part->begin(), part->end());
      }
    }
    expected.push_back(0xFC);
    const Compiled compiled = Compile(kAllFamilies, c.options);
    ASSERT_TRUE(compiled.ok);
    EXPECT_EQ(compiled.record, expected);
  }
}

TEST(CompilePersonality, BlocksAfterTheIndexAreSeparatedOnlyBetweenEachOther) {
  const Compiled compiled = Compile(
      "DEVICE  Two\nTYPE 3\nDEVICEADDRESS\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nDMX\nEND\n"
      "TEXT\nEND\nATTR a\nEND\nRANGE r\nREND\nATTR b\nEND\n");
  ASSERT_TRUE(compiled.ok);
  Expect e;
  e({0x03})({0xFF, 0, 0, 0, 0})({0x00})({0, 1, 0, 1, 0, 1})({0x00})({0x00})({0xFF})
      ({2})("ATTR a\n")("END\n")({0xFF, 2})("ATTR b\n")("END\n")
      ({0xFF, 2})("RANGE r\n")("REND\n")({0xFC});
  EXPECT_EQ(compiled.record, e.bytes);
}

TEST(CompilePersonality, MirrorPlacement) {
  const std::string rest =
      "DEVICEADDRESS\n\"X\"\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nDMX\nEND\nTEXT\nEND\n";
  // Without a MIRROR line the DEVICEADDRESS search starts again right after TYPE.
  const Compiled none = Compile("DEVICE  D\nTYPE 1\n" + rest);
  ASSERT_TRUE(none.ok);
  EXPECT_EQ(Bytes(none.record.begin(), none.record.begin() + 8),
            (Bytes{0x01, 0xFF, 0, 0, 0, 0, 0x01, '"'}));
  // A MIRROR line before TYPE is not seen.
  const Compiled before = Compile("DEVICE  D\nMIRROR 2 360 270\nTYPE 1\n" + rest);
  ASSERT_TRUE(before.ok);
  EXPECT_EQ(before.record, none.record);
  const Compiled after = Compile("DEVICE  D\nTYPE 1\nMIRROR 2 360 270\n" + rest);
  ASSERT_TRUE(after.ok);
  EXPECT_EQ(Bytes(after.record.begin(), after.record.begin() + 6),
            (Bytes{0x01, 0x02, 0x01, 0x68, 0x01, 0x0E}));
}

TEST(CompilePersonality, MissingSectionsFailWithTheReadersMessage) {
  struct Case {
    std::string text;
    std::string keyword;
  };
  const std::string tail = "DMX\nEND\nTEXT\nEND\n";
  const Case cases[] = {
      {"TYPE 1\nDEVICE  D\n", "TYPE"},  // TYPE only before DEVICE
      {"DEVICE  D\nTYPE 1\nMINDMX=1\n", "DEVICEADDRESS"},
      {"DEVICE  D\nTYPE 1\nDEVICEADDRESS\nDAEND\nMAXDMX=1\nDIVBY=1\n" + tail, "MINDMX="},
      {"DEVICE  D\nTYPE 1\nDEVICEADDRESS\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nTEXT\nEND\n", "DMX"},
      {"DEVICE  D\nTYPE 1\nDEVICEADDRESS\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nDMX\nEND\n", "TEXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const Compiled compiled = Compile(c.text);
    EXPECT_FALSE(compiled.ok);
    EXPECT_EQ(compiled.messages,
              std::vector<std::string>{"error - couldn't find keyword " + c.keyword});
  }
  // A malformed channel line fails without a message of its own.
  const Compiled malformed = Compile(
      "DEVICE  D\nTYPE 1\nDEVICEADDRESS\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nDMX\n1 2 H 3 4\nEND\n"
      "TEXT\nEND\n");
  EXPECT_FALSE(malformed.ok);
  EXPECT_TRUE(malformed.messages.empty());
}

TEST(CompilePersonality, TextWithoutEndRunsToTheEndOfTheFile) {
  const Compiled compiled = Compile(
      "DEVICE  D\nTYPE 1\nDEVICEADDRESS\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nDMX\nEND\n"
      "TEXT\none\ntwo\n");
  ASSERT_TRUE(compiled.ok);
  const Bytes tail = Expect()({2})("one")("two")({0xFF, 0xFC}).bytes;
  EXPECT_EQ(Bytes(compiled.record.end() - static_cast<std::ptrdiff_t>(tail.size()),
                  compiled.record.end()),
            tail);
}

std::string WithAttributeLines(std::size_t lines) {
  std::string text =
      "DEVICE  Big\nTYPE "
      "1\nDEVICEADDRESS\nDAEND\nMINDMX=1\nMAXDMX=1\nDIVBY=1\nDMX\nEND\nTEXT\nEND\n";
  // One ATTR block per 200 lines keeps each count byte meaningful.
  const std::string line(100, 'x');
  for (std::size_t i = 0; i < lines; ++i) {
    if (i % 200 == 0) text += (i == 0 ? "" : "END\n") + std::string("ATTR\n");
    text += line + "\n";
  }
  return text + "END\n";
}

TEST(CompilePersonality, RecordsThatDoNotFitFailWithoutWritingPastTheBuffer) {
  // Every attribute line costs 101 bytes.
  const Compiled fits = Compile(WithAttributeLines(640));
  EXPECT_TRUE(fits.ok);
  EXPECT_LE(fits.record.size(), standard::kMaxBlockLength);

  // Longer than a 16-bit length can describe, but within the buffer.
  const Compiled tooLong = Compile(WithAttributeLines(700));
  EXPECT_FALSE(tooLong.ok);
  EXPECT_GT(tooLong.record.size(), standard::kMaxBlockLength);
  EXPECT_TRUE(tooLong.guardIntact);

  // Past the 100,000-byte buffer.
  const Compiled overflow = Compile(WithAttributeLines(1200));
  EXPECT_FALSE(overflow.ok);
  EXPECT_TRUE(overflow.guardIntact);
  EXPECT_TRUE(overflow.messages.empty());

  // A small buffer that the table index alone fills: the family loops must not take the refusal
  // for the end of a family.
  const std::string smallText = Crlf(kAllFamilies);
  const std::size_t fullSize = Compile(smallText).record.size();
  for (std::size_t capacity = 1; capacity < fullSize; ++capacity) {
    SCOPED_TRACE(capacity);
    const Compiled cut = Compile(smallText, {}, capacity);
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(cut.guardIntact);
  }
  EXPECT_TRUE(Compile(smallText, {}, fullSize).ok);
}

}  // namespace
}  // namespace hoardwright
