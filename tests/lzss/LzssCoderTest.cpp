#include <gtest/gtest.h>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "lzss/Lzss.h"
#include "support/TemporaryDirectory.h"
#include "lzss/LzssTestInputs.h"
#include "lzss/ReferenceLzssEncoder.h"
#include "lzss/StreamEncoder.h"

namespace hoardwright::lzss {
namespace {

using testing::Bytes;
using testing::NodeZeroInput;
using testing::RandomBytes;
using testing::TextLike;

// Expected streams written as tokens: a literal is flag 1 and the byte, a copy flag 0, the
// 12-bit position and the length minus 2 in 4 bits, the end flag 0 and position 0.
std::string Literal(char c) {
  return "1" + std::bitset<8>(static_cast<unsigned char>(c)).to_string();
}
std::string Copy(unsigned position, unsigned length) {
  return "0" + std::bitset<12>(position).to_string() + std::bitset<4>(length - 2).to_string();
}
const std::string kEnd = "0000000000000";

Bytes Unit(std::uint32_t sum, std::string bits) {
  Bytes bytes{static_cast<std::uint8_t>(sum), static_cast<std::uint8_t>(sum >> 8),
              static_cast<std::uint8_t>(sum >> 16), static_cast<std::uint8_t>(sum >> 24)};
  bits.append((8 - bits.size() % 8) % 8, '0');
  for (std::size_t i = 0; i < bits.size(); i += 8) {
    bytes.push_back(static_cast<std::uint8_t>(std::bitset<8>(bits.substr(i, 8)).to_ulong()));
  }
  return bytes;
}

Bytes Of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

Bytes Compress(const Bytes& data) {
  return CompressUnit(data, nullptr);
}

struct CodingCase {
  const char* name;
  Bytes input;
  Bytes expected;
};

TEST(LzssCoder, CodesSmallInputsBitForBit) {
  const std::string a = Literal('A');
  const CodingCase cases[] = {
      {"empty", {}, {0, 0, 0, 0, 0x00, 0x00}},
      {"five equal bytes, overlapping copy",
       Of("AAAAA"),
       {0x45, 0x01, 0x00, 0x00, 0xA0, 0x80, 0x04, 0x80, 0x00}},
      {"forty equal bytes: later copies point at the newest occurrence", Bytes(40, 'A'),
       Unit(40 * 0x41, a + Copy(1, 17) + Copy(18, 17) + Copy(35, 5) + kEnd)},
      {"alternating pair", Of("ABABAB"),
       Unit(3 * (0x41 + 0x42), a + Literal('B') + Copy(1, 4) + kEnd)},
      {"two equal bytes are two literals", Of("AA"), {0x82, 0, 0, 0, 0xA0, 0xD0, 0x40, 0x00}},
      {"a 2-byte repeat is a copy", Of("XYZXY"),
       Unit(2 * ('X' + 'Y') + 'Z', Literal('X') + Literal('Y') + Literal('Z') + Copy(1, 2) + kEnd)},
      {"a 1-byte repeat is a literal", Of("XYX"),
       Unit(2 * 'X' + 'Y', Literal('X') + Literal('Y') + Literal('X') + kEnd)},
      {"sum stored least significant byte first", Bytes{0xFF}, {0xFF, 0, 0, 0, 0xFF, 0x80, 0x00}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Compress(c.input), c.expected) << c.name;
    const DecodedUnit decoded = DecompressUnit(c.expected, nullptr);
    EXPECT_EQ(decoded.data, c.input) << c.name;
    EXPECT_TRUE(decoded.complete && decoded.sumMatches) << c.name;
  }
}

TEST(LzssCoder, TheSumWrapsModulo2To32) {
  // 16843010 * 255 = 2^32 + 254
  EXPECT_EQ(ByteSum(Bytes(16843010, 0xFF)), 254u);
}

TEST(LzssCoder, RoundTripsAcrossWindowWraps) {
  Bytes records;
  while (records.size() < 70000) {
    // Short NUL-terminated names and a small count, as in compiled personality records.
    for (const auto text : {std::string_view("Spot 575\0", 9), std::string_view("Wash\0", 5)}) {
      records.insert(records.end(), text.begin(), text.end());
    }
    records.push_back(static_cast<std::uint8_t>(records.size() % 7));
  }
  const struct {
    const char* name;
    Bytes data;
  } cases[] = {
      {"random just past one wrap", RandomBytes(4200, 1)},
      {"random past 64 KiB", RandomBytes(70000, 2)},
      {"text", TextLike(70000, 3)},
      {"records", records},
      {"zeros", Bytes(70000, 0)},
      {"node-zero input", NodeZeroInput(4, 1000)},
  };
  for (const auto& c : cases) {
    const Bytes unit = Compress(c.data);
    const DecodedUnit decoded = DecompressUnit(unit, nullptr);
    EXPECT_TRUE(decoded.complete) << c.name;
    EXPECT_TRUE(decoded.sumMatches) << c.name;
    EXPECT_EQ(decoded.storedSum, ByteSum(c.data)) << c.name;
    EXPECT_TRUE(decoded.data == c.data) << c.name;
  }
}

// Nodes that name a parent but cannot be reached from the root.
int CountUnreachable(const MatchTree& tree) {
  std::vector<bool> reached(MatchTree::kNodeCount, false);
  std::vector<int> pending{tree.Node(MatchTree::kRoot).larger};
  while (!pending.empty()) {
    const int node = pending.back();
    pending.pop_back();
    if (node == MatchTree::kNull || reached[node]) continue;
    reached[node] = true;
    pending.push_back(tree.Node(node).smaller);
    pending.push_back(tree.Node(node).larger);
  }
  int count = 0;
  for (int node = 1; node < kWindowSize; ++node) {
    if (tree.Contains(node) && !reached[node]) ++count;
  }
  return count;
}

int CountUnreachableAfterEncoding(std::span<const std::uint8_t> data) {
  Bytes out;
  MemorySink sink(out);
  MemorySource source(data);
  BitFile bits(sink, nullptr);
  auto encoder = std::make_unique<ReferenceLzssEncoder>();
  encoder->Encode(source, bits);
  return CountUnreachable(encoder->Tree());
}

TEST(LzssCoder, TheRemovalOfWindowPositionZeroLeavesUnreachableNodes) {
  const Bytes data = NodeZeroInput(7, 400);
  // Up to here position 0 has not been removed (that happens 17 bytes before the window
  // wraps); just after it, part of the tree hangs on without a path from the root.
  EXPECT_EQ(CountUnreachableAfterEncoding(std::span(data).first(4000)), 0);
  EXPECT_GT(CountUnreachableAfterEncoding(std::span(data).first(4300)), 0);
}

std::uint64_t Fnv1a(const Bytes& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const auto byte : bytes) hash = (hash ^ byte) * 0x100000001b3ULL;
  return hash;
}

TEST(LzssCoder, NodeZeroStreamIsPinned) {
  // Pinned from the reference encoder. Consoles read these bytes: a change here is a change of
  // the stored format (treating node 0 as special, for one, changes this stream).
  const Bytes unit = Compress(NodeZeroInput(1, 1000));
  EXPECT_EQ(unit.size(), 20612u);
  EXPECT_EQ(Fnv1a(unit), 0xb1132361efae6386ULL);
}

TEST(LzssCoder, EveryRunStartsFromAClearedWindowAndTree) {
  const Bytes first = RandomBytes(9000, 5);
  const Bytes second = TextLike(9000, 6);
  auto encoder = std::make_unique<ReferenceLzssEncoder>();
  auto encode = [&](const Bytes& data) {
    Bytes out;
    MemorySink sink(out);
    MemorySource source(data);
    BitFile bits(sink, nullptr);
    encoder->Encode(source, bits);
    bits.CloseBitFile();
    return out;
  };
  const Bytes alone = encode(second);
  encode(first);
  EXPECT_EQ(encode(second), alone);
  EXPECT_EQ(Compress(second), Compress(second));
}

TEST(LzssCoder, TwoCodersRunAtOnceOnTwoThreads) {
  const Bytes left = NodeZeroInput(8, 300);
  const Bytes right = TextLike(30000, 9);
  const Bytes expectedLeft = Compress(left);
  const Bytes expectedRight = Compress(right);
  bool leftSame = true;
  bool rightSame = true;
  std::thread a([&] {
    for (int i = 0; i < 5; ++i) leftSame = leftSame && Compress(left) == expectedLeft;
  });
  std::thread b([&] {
    for (int i = 0; i < 5; ++i) {
      rightSame = rightSame && DecompressUnit(Compress(right), nullptr).data == right;
    }
  });
  a.join();
  b.join();
  EXPECT_TRUE(leftSame);
  EXPECT_TRUE(rightSame);
}

TEST(LzssCoder, PrintsProgressDotsPerOutputByteOnly) {
  std::ostringstream console;
  const Bytes unit = CompressUnit(RandomBytes(3000, 10), &console);
  ASSERT_GT(unit.size(), 4u + 2048u);
  ASSERT_LE(unit.size(), 4u + 4096u);
  EXPECT_EQ(console.str(), "..");  // the sum is written straight, not counted
}

// A unit that may be given up: the same bytes while it is not, nothing once it is.
TEST(LzssCoder, ACancelledUnitIsGivenUp) {
  const Bytes input = TextLike(5 * kEncoderBlockSize + 17, 12);
  support::CancelToken token;
  std::ostringstream console;
  const auto unit = CompressUnit(input, &console, token);
  ASSERT_TRUE(unit.has_value());
  std::ostringstream plainConsole;
  EXPECT_EQ(*unit, CompressUnit(input, &plainConsole));
  EXPECT_EQ(console.str(), plainConsole.str());

  token.Cancel();
  std::ostringstream cancelledConsole;
  EXPECT_FALSE(CompressUnit(input, &cancelledConsole, token).has_value());
  EXPECT_EQ(cancelledConsole.str(), "");
}

TEST(LzssCoder, AFailedWriteFailsTheCompressionAndStopsIt) {
  Bytes out;
  BoundedMemorySink sink(out, 100);
  std::ostringstream console;
  EXPECT_FALSE(CompressUnit(RandomBytes(20000, 11), sink, &console));
  EXPECT_EQ(out.size(), 100u);
  EXPECT_EQ(console.str(), ".ERROR : Fatal error in OutputBit!\n");

  Bytes sumOnly;
  BoundedMemorySink tooSmall(sumOnly, 3);
  EXPECT_FALSE(CompressUnit(Of("abc"), tooSmall, nullptr));
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(LzssCompressFile, WritesTheSameUnitAsTheMemoryCoder) {
  const auto directory = *support::TemporaryDirectory::Create();
  const Bytes data = TextLike(10000, 12);
  WriteFile(directory.Path() / "in.dat", data);
  ASSERT_TRUE(LzssCompressFile(directory.Path() / "in.dat", directory.Path() / "out.tmp", nullptr));
  EXPECT_EQ(ReadFile(directory.Path() / "out.tmp"), Compress(data));
}

TEST(LzssCompressFile, FailsWithoutLeavingOutput) {
  const auto directory = *support::TemporaryDirectory::Create();
  const auto in = directory.Path() / "in.dat";
  const auto out = directory.Path() / "out.tmp";
  EXPECT_FALSE(LzssCompressFile(directory.Path() / "missing", out, nullptr));
  EXPECT_FALSE(std::filesystem::exists(out));

  const Bytes data = RandomBytes(5000, 13);
  WriteFile(in, data);
  EXPECT_FALSE(LzssCompressFile(in, directory.Path() / "no-such-dir" / "out.tmp", nullptr));
  // Compressing a file onto itself would truncate it first.
  EXPECT_FALSE(LzssCompressFile(in, in, nullptr));
  EXPECT_EQ(ReadFile(in), data);
  if (std::filesystem::is_character_file("/dev/full")) {
    EXPECT_FALSE(LzssCompressFile(in, "/dev/full", nullptr));
    // A failed output that is not a plain file must not be deleted.
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
  }
}

TEST(LzssCompressStream, CodesTheWholeInputOntoTheOutputsCurrentPosition) {
  const Bytes data = TextLike(6000, 14);
  const Bytes expected = Compress(data);

  std::FILE* input = std::tmpfile();
  std::FILE* output = std::tmpfile();
  ASSERT_NE(input, nullptr);
  ASSERT_NE(output, nullptr);
  std::fwrite(data.data(), 1, data.size(), input);  // left positioned at its end
  std::fputs("HEAD", output);
  ASSERT_TRUE(LzssCompressStream(input, output, nullptr));
  std::rewind(output);
  Bytes written(4 + expected.size() + 1);
  written.resize(std::fread(written.data(), 1, written.size(), output));
  std::fclose(input);
  std::fclose(output);
  Bytes withHead = Of("HEAD");
  withHead.insert(withHead.end(), expected.begin(), expected.end());
  EXPECT_EQ(written, withHead);

  std::istringstream in(std::string(data.begin(), data.end()));
  in.ignore(100);
  std::ostringstream out;
  ASSERT_TRUE(LzssCompressStream(in, out, nullptr));
  EXPECT_EQ(Of(out.str()), expected);
}

}  // namespace
}  // namespace hoardwright::lzss
