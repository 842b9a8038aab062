// The fast encoder against the reference encoder: the same bytes, and the same tree afterwards,
// on every kind of input the benchmarks use, at the window's wrap-around sizes, on degenerate
// inputs, on the inputs that exercise node 0, and on the streams the builds compress.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../../bench/BenchInputs.h"
#include "standard/PersonalityCompiler.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "lzss/FastLzssEncoder.h"
#include "lzss/Lzss.h"
#include "lzss/LzssTestInputs.h"
#include "lzss/ReferenceLzssEncoder.h"
#include "lzss/StreamEncoder.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"
#include "personality/ShapeLibraryReader.h"
#include "support/EmbeddedResources.h"

namespace hoardwright::lzss {
namespace {

using testing::Bytes;

// Codes `data` with both encoders; expects the same stream and the same final tree.
void ExpectSameAsReference(const Bytes& data, const std::string& name) {
  Bytes reference;
  auto referenceEncoder = std::make_unique<ReferenceLzssEncoder>();
  {
    MemorySink sink(reference);
    MemorySource source(data);
    BitFile bits(sink, nullptr);
    referenceEncoder->Encode(source, bits);
    bits.CloseBitFile();
  }
  Bytes fast;
  auto fastEncoder = std::make_unique<FastLzssEncoder>(fast);
  fastEncoder->Feed(data);
  fastEncoder->Finish();

  ASSERT_EQ(fast.size(), reference.size()) << name;
  const auto mismatch = std::mismatch(fast.begin(), fast.end(), reference.begin());
  ASSERT_TRUE(mismatch.first == fast.end())
      << name << ": first differing stream byte " << (mismatch.first - fast.begin()) << " of "
      << fast.size();
  for (int node = 0; node < MatchTree::kNodeCount; ++node) {
    ASSERT_EQ(fastEncoder->Node(node), referenceEncoder->Tree().Node(node))
        << name << ": node " << node;
  }
}

using Generator = Bytes (*)(std::size_t, unsigned);

TEST(FastEncoder, AgreesWithTheReferenceOnEveryBenchmarkKindAcrossWindowWraps) {
  const struct {
    const char* name;
    Generator generate;
  } kinds[] = {
      {"random", bench::RandomBytes},     {"text", bench::EnglishLikeText},
      {"records", bench::RecordLikeData}, {"run", bench::SingleByteRun},
      {"period", bench::ShortPeriod},     {"sparse", bench::SparseBytes},
  };
  const std::size_t sizes[] = {0,    1,    2,    16,   17,   18,    4078,  4079,  4080,  4095,
                               4096, 4097, 8191, 8192, 8193, 12289, 65535, 65536, 65537, 70001};
  for (const auto& kind : kinds) {
    for (const std::size_t size : sizes) {
      for (unsigned seed = 1; seed <= 2; ++seed) {
        ExpectSameAsReference(kind.generate(size, seed), std::string(kind.name) + " size " +
                                                             std::to_string(size) + " seed " +
                                                             std::to_string(seed));
      }
    }
  }
}

TEST(FastEncoder, AgreesOnDegenerateInputs) {
  // Ascending data makes the tree a long chain; every walk then follows it.
  for (unsigned seed = 0; seed < 13; seed += 4) {
    ExpectSameAsReference(bench::AscendingRuns(20000, seed), "ascending " + std::to_string(seed));
  }
  Bytes descending(20000);
  for (std::size_t i = 0; i < descending.size(); ++i) {
    descending[i] = static_cast<std::uint8_t>(255 - i / 7);
  }
  ExpectSameAsReference(descending, "descending");
  for (const std::size_t period : {1, 2, 3, 16, 17, 18, 4095, 4096, 4097}) {
    Bytes data(3 * 4096 + 100);
    std::mt19937 random(static_cast<unsigned>(period));
    Bytes pattern(period);
    for (auto& byte : pattern) byte = static_cast<std::uint8_t>(random());
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = pattern[i % period];
    ExpectSameAsReference(data, "period " + std::to_string(period));
  }
  // Long runs broken by single bytes, and runs that differ only after 8 or 16 equal bytes.
  Bytes broken;
  for (int run = 0; run < 400; ++run) {
    broken.insert(broken.end(), 5 + run % 40, 0);
    broken.push_back(static_cast<std::uint8_t>(run));
  }
  ExpectSameAsReference(broken, "broken runs");
  Bytes nearMatches;
  std::mt19937 random(3);
  for (int copy = 0; copy < 2000; ++copy) {
    Bytes piece(17, 'x');
    piece[8 + random() % 9] = static_cast<std::uint8_t>(random() % 3);
    nearMatches.insert(nearMatches.end(), piece.begin(), piece.end());
  }
  ExpectSameAsReference(nearMatches, "near matches past byte 8");
}

TEST(FastEncoder, ReproducesTheWritesThroughNodeZero) {
  for (unsigned seed = 1; seed <= 8; ++seed) {
    ExpectSameAsReference(testing::NodeZeroInput(seed, 1000),
                          "node-zero input " + std::to_string(seed));
  }
  // The pinned stream of the reference's own tests, now through the production entry point.
  const Bytes unit = CompressUnit(testing::NodeZeroInput(1, 1000), nullptr);
  EXPECT_EQ(unit, ReferenceCompressUnit(testing::NodeZeroInput(1, 1000)));
}

// The sorted list stands in for the walk only while the tree is in order. These inputs make the
// writes through node 0 cut subtrees off and hang them back in wrong places; the encoder has to
// follow the cuts, fall back to walking, and take up the list again once the tree checks out,
// and the stream and the tree must still be the reference's.
TEST(FastEncoder, FollowsTheTreeOutOfOrderAndBack) {
  FastLzssEncoder::Counts total;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    const Bytes data = testing::NodeZeroInput(seed, 1000);
    ExpectSameAsReference(data, "node-zero input " + std::to_string(seed));
    Bytes stream;
    FastLzssEncoder encoder(stream);
    encoder.Feed(data);
    encoder.Finish();
    const auto& counts = encoder.Statistics();
    total.listPlacements += counts.listPlacements;
    total.cuts += counts.cuts;
    total.orderChecks += counts.orderChecks;
    total.orderLost += counts.orderLost;
  }
  EXPECT_GT(total.listPlacements, 0u);
  EXPECT_GT(total.cuts, 0u);
  EXPECT_GT(total.orderLost, 0u);
  EXPECT_GT(total.orderChecks, total.orderLost) << "the tree never came back in order";
}

// Seeded inputs made of literals and copies of their own earlier pieces, of varied lengths and
// mixes, well past the window's wrap-around: long matches, replaced strings, two-byte prefixes
// nobody else has, and now and then a tree that goes out of order.
TEST(FastEncoder, AgreesOnInputsBuiltFromCopiesOfThemselves) {
  FastLzssEncoder::Counts total;
  for (unsigned seed = 1; seed <= 60; ++seed) {
    std::mt19937 random(seed);
    const std::size_t size = 6000 + random() % 30000;
    const unsigned literalShare = random() % 100;
    const unsigned alphabet = 2 + random() % 255;
    Bytes data;
    while (data.size() < size) {
      if (data.size() < 64 || random() % 100 < literalShare) {
        data.push_back(static_cast<std::uint8_t>(random() % alphabet));
        continue;
      }
      const std::size_t from = data.size() - 1 - random() % std::min<std::size_t>(data.size(), 6000);
      const std::size_t length = 1 + random() % 60;
      for (std::size_t i = 0; i < length; ++i) data.push_back(data[from + i]);
      if (random() % 4 == 0) data.back() = static_cast<std::uint8_t>(random());
    }
    ExpectSameAsReference(data, "copies, seed " + std::to_string(seed));
    Bytes stream;
    FastLzssEncoder encoder(stream);
    encoder.Feed(data);
    encoder.Finish();
    total.listPlacements += encoder.Statistics().listPlacements;
    total.walks += encoder.Statistics().walks;
    total.cuts += encoder.Statistics().cuts;
  }
  // Both ways of placing a string, and the cuts, were met.
  EXPECT_GT(total.listPlacements, 0u);
  EXPECT_GT(total.walks, 0u);
  EXPECT_GT(total.cuts, 0u);
}

TEST(FastEncoder, PlacesMostStringsFromTheList) {
  // Not a speed test: a tree wrongly taken to be out of order would still give the right bytes,
  // only slowly, and nothing else would notice.
  for (const auto& data : {bench::EnglishLikeText(200000, 1), bench::RecordLikeData(200000, 1),
                           bench::AscendingRuns(200000, 6)}) {
    Bytes stream;
    FastLzssEncoder encoder(stream);
    encoder.Feed(data);
    encoder.Finish();
    EXPECT_GT(encoder.Statistics().listPlacements, 4 * encoder.Statistics().walks);
  }
}

TEST(FastEncoder, BlockBoundariesDoNotMatter) {
  const Bytes data = bench::RecordLikeData(30000, 9);
  const Bytes whole = ReferenceCompressUnit(data);
  for (const std::size_t block : {1, 2, 15, 16, 17, 18, 33, 64, 65, 4096, 4097}) {
    Bytes unit(whole.begin(), whole.begin() + kUnitSumSize);
    FastLzssEncoder encoder(unit);
    for (std::size_t at = 0; at < data.size(); at += block) {
      encoder.Feed(std::span(data).subspan(at, std::min(block, data.size() - at)));
    }
    encoder.Finish();
    EXPECT_EQ(unit, whole) << "blocks of " << block;
  }
  // Uneven blocks, empty ones included.
  std::mt19937 random(4);
  Bytes unit(whole.begin(), whole.begin() + kUnitSumSize);
  FastLzssEncoder encoder(unit);
  for (std::size_t at = 0; at < data.size();) {
    const std::size_t block = std::min<std::size_t>(random() % 40, data.size() - at);
    encoder.Feed(std::span(data).subspan(at, block));
    at += block;
  }
  encoder.Finish();
  EXPECT_EQ(unit, whole);
}

TEST(FastEncoder, EveryEntryPointGivesTheReferenceUnit) {
  const Bytes data = bench::EnglishLikeText(20000, 5);
  const Bytes expected = ReferenceCompressUnit(data);
  EXPECT_EQ(CompressUnit(data, nullptr), expected);

  Bytes viaSink;
  MemorySink sink(viaSink);
  EXPECT_TRUE(CompressUnit(data, sink, nullptr));
  EXPECT_EQ(viaSink, expected);

  std::istringstream in(std::string(data.begin(), data.end()));
  std::ostringstream out;
  EXPECT_TRUE(LzssCompressStream(in, out, nullptr));
  const std::string streamed = out.str();
  EXPECT_EQ(Bytes(streamed.begin(), streamed.end()), expected);

  // The bare coder over a BitFile that is not at a byte boundary.
  for (const bool misaligned : {false, true}) {
    Bytes fast;
    Bytes reference;
    for (auto [bytes, encode] :
         {std::pair{&fast, &LzssEncode}, {&reference, &ReferenceLzssEncode}}) {
      MemorySink bitsSink(*bytes);
      MemorySource source(data);
      BitFile bits(bitsSink, nullptr);
      if (misaligned) bits.OutputBits(0x5, 3);
      encode(source, bits);
      bits.CloseBitFile();
    }
    EXPECT_EQ(fast, reference) << "misaligned " << misaligned;
  }
}

// What the console shows and which bytes the sink keeps must not depend on the encoder.
TEST(FastEncoder, ProgressAndWriteFailuresMatchTheBitFileWriter) {
  const Bytes data = bench::RandomBytes(9000, 6);
  const Bytes unit = ReferenceCompressUnit(data);
  auto referenceRun = [&](std::size_t limit, std::ostream& console) {
    Bytes out;
    BoundedMemorySink sink(out, limit);
    for (std::size_t i = 0; i < kUnitSumSize; ++i) {
      if (!sink.Put(unit[i])) return out;
    }
    MemorySource source(data);
    BitFile bits(sink, &console);
    ReferenceLzssEncode(source, bits);
    bits.CloseBitFile();
    return out;
  };
  for (const std::size_t limit : {std::size_t{2}, std::size_t{4}, std::size_t{5}, std::size_t{2052},
                                  unit.size() - 1, unit.size(), unit.size() + 10}) {
    std::ostringstream expectedConsole;
    const Bytes expected = referenceRun(limit, expectedConsole);
    std::ostringstream console;
    Bytes out;
    BoundedMemorySink sink(out, limit);
    EXPECT_EQ(CompressUnit(data, sink, &console), limit >= unit.size()) << limit;
    EXPECT_EQ(out, expected) << limit;
    EXPECT_EQ(console.str(), expectedConsole.str()) << limit;
  }
  std::ostringstream dots;
  CompressUnit(data, &dots);
  std::ostringstream expectedDots;
  referenceRun(unit.size(), expectedDots);
  EXPECT_EQ(dots.str(), expectedDots.str());
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The example personalities and the shape library, raw and compiled for both caches, joined as
// the builds join them.
TEST(FastEncoder, AgreesOnTheExampleCachesStreams) {
  const std::filesystem::path examples =
      std::filesystem::path(HOARDWRIGHT_SOURCE_DIR) / "examples" / "personalities";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(examples)) {
    files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty());

  support::SilentReporter reporter;
  const auto shapes = support::ShapeLibraryText();
  const std::string shapeText(reinterpret_cast<const char*>(shapes.data()), shapes.size());

  Bytes raw(shapes.begin(), shapes.end());
  Bytes standard(100'000);
  personality::OutputCursor shapeCursor(standard);
  personality::LineStream shapeStream(shapeText, personality::LineMode::Text);
  personality::ReadShapeLibrary(shapeStream, shapeCursor, reporter);
  standard.resize(shapeCursor.Position());
  Bytes shapeBlock;
  personality::LineStream extendedShapes(shapeText, personality::LineMode::Binary);
  ASSERT_TRUE(extended::CompileShapeLibrary(extendedShapes, shapeBlock));
  ExpectSameAsReference(shapeBlock, "extended shape block");

  Bytes group;
  for (const auto& file : files) {
    const std::string text = ReadText(file);
    raw.insert(raw.end(), text.begin(), text.end());

    Bytes block(100'000);
    personality::OutputCursor device(block);
    personality::LineStream stream(text, personality::LineMode::Text);
    ASSERT_TRUE(personality::ReadDevice(stream, device, reporter)) << file;
    personality::OutputCursor cursor(block);
    ASSERT_TRUE(standard::CompilePersonality(stream, cursor, standard::TableOptions{}, reporter))
        << file;
    standard.insert(standard.end(), block.begin(),
                    block.begin() + static_cast<std::ptrdiff_t>(cursor.Position()));

    personality::LineStream binary(text, personality::LineMode::Binary);
    ASSERT_TRUE(extended::ConvertPersonality(binary, group, reporter)) << file;
  }
  ExpectSameAsReference(raw, "raw example files and SG.DAT");
  ExpectSameAsReference(standard, "standard stream");
  ExpectSameAsReference(group, "extended group block");
}

}  // namespace
}  // namespace hoardwright::lzss
