#include "lzss/Lzss.h"

#include <memory>
#include <numeric>
#include <system_error>

#include "lzss/ReferenceLzssEncoder.h"

namespace hoardwright::lzss {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

bool PutSum(ByteSink& output, std::uint32_t sum) {
  for (std::size_t i = 0; i < kUnitSumSize; ++i) {
    if (!output.Put(static_cast<std::uint8_t>(sum >> (8 * i)))) return false;
  }
  return true;
}

// The input is positioned at its first byte.
bool WriteUnit(std::uint32_t sum, ByteSource& input, ByteSink& output, std::ostream* console) {
  if (!PutSum(output, sum)) return false;
  // The coder's window and tree are too big to want on a small thread stack.
  auto encoder = std::make_unique<ReferenceLzssEncoder>();
  BitFile bitFile(output, console);
  encoder->Encode(input, bitFile);
  const bool closed = bitFile.CloseBitFile();
  return closed && !input.ReadFailed();
}

}  // namespace

std::uint32_t ByteSum(std::span<const std::uint8_t> data) {
  return std::accumulate(data.begin(), data.end(), std::uint32_t{0},
                         [](std::uint32_t sum, std::uint8_t byte) { return sum + byte; });
}

std::vector<std::uint8_t> CompressUnit(std::span<const std::uint8_t> data) {
  return CompressUnit(data, &std::cout);
}

std::vector<std::uint8_t> CompressUnit(std::span<const std::uint8_t> data, std::ostream* console) {
  std::vector<std::uint8_t> unit;
  // Typical cache data compresses to about half; this saves most regrowth.
  unit.reserve(kUnitSumSize + data.size() / 2 + 16);
  MemorySink sink(unit);
  CompressUnit(data, sink, console);
  return unit;
}

bool CompressUnit(std::span<const std::uint8_t> data, ByteSink& output, std::ostream* console) {
  MemorySource input(data);
  return WriteUnit(ByteSum(data), input, output, console);
}

DecodedUnit DecompressUnit(std::span<const std::uint8_t> unit) {
  return DecompressUnit(unit, &std::cout);
}

DecodedUnit DecompressUnit(std::span<const std::uint8_t> unit, std::ostream* console) {
  DecodedUnit decoded;
  MemorySource input(unit);
  MemorySink output(decoded.data);
  const UnitDecodeResult result = DecompressUnit(input, output, console);
  decoded.storedSum = result.storedSum;
  decoded.actualSum = result.actualSum;
  decoded.sumMatches = result.sumMatches;
  decoded.complete = result.complete;
  return decoded;
}

UnitDecodeResult DecompressUnit(ByteSource& unit, ByteSink& output, std::ostream* console) {
  UnitDecodeResult result;
  std::size_t sumBytes = 0;
  for (; sumBytes < kUnitSumSize; ++sumBytes) {
    const int byte = unit.Get();
    if (byte == kEndOfInput) break;
    result.storedSum |= static_cast<std::uint32_t>(byte) << (8 * sumBytes);
  }
  result.sumPresent = sumBytes == kUnitSumSize;

  BitFile bitFile(unit, console);
  LzssDecoder decoder;
  const DecodeResult decoded = decoder.Decode(bitFile, output);
  result.actualSum = decoded.sum;
  result.size = decoded.size;
  result.complete = decoded.complete;
  result.writeFailed = decoded.writeFailed;
  result.readFailed = unit.ReadFailed();
  result.sumMatches = result.sumPresent && result.storedSum == result.actualSum;
  return result;
}

bool LzssCompressStream(ByteSource& input, ByteSink& output, std::ostream* console) {
  if (!input.Rewind()) return false;
  std::uint32_t sum = 0;
  for (int byte = input.Get(); byte != kEndOfInput; byte = input.Get()) {
    sum += static_cast<std::uint32_t>(byte);
  }
  if (input.ReadFailed() || !input.Rewind()) return false;
  return WriteUnit(sum, input, output, console);
}

bool LzssCompressStream(std::FILE* input, std::FILE* output, std::ostream* console) {
  if (input == nullptr || output == nullptr) return false;
  FileSource source(input);
  FileSink sink(output);
  const bool written = LzssCompressStream(source, sink, console);
  const bool flushed = std::fflush(output) == 0 && std::ferror(output) == 0;
  return written && flushed;
}

bool LzssCompressStream(std::istream& input, std::ostream& output, std::ostream* console) {
  StreamSource source(input);
  StreamSink sink(output);
  const bool written = LzssCompressStream(source, sink, console);
  output.flush();
  return written && !output.fail();
}

bool LzssCompressFile(const std::filesystem::path& inputPath,
                      const std::filesystem::path& outputPath, std::ostream* console) {
  std::error_code error;
  // Opening the output would truncate the very input it is meant to hold.
  if (std::filesystem::equivalent(inputPath, outputPath, error)) return false;
  FilePointer input(std::fopen(inputPath.c_str(), "rb"));
  if (!input) return false;
  // Only a plain file of our own making is removed after a failure; a device such as
  // /dev/full or a link must stay where it is.
  const auto existing = std::filesystem::symlink_status(outputPath, error).type();
  const bool removable = existing == std::filesystem::file_type::not_found ||
                         existing == std::filesystem::file_type::regular;
  FilePointer output(std::fopen(outputPath.c_str(), "wb"));
  if (!output) return false;
  bool ok = LzssCompressStream(input.get(), output.get(), console);
  ok = std::fclose(output.release()) == 0 && ok;
  if (!ok && removable) std::filesystem::remove(outputPath, error);
  return ok;
}

void LzssEncode(ByteSource& input, BitFile& bitFile) {
  auto encoder = std::make_unique<ReferenceLzssEncoder>();
  encoder->Encode(input, bitFile);
}

DecodeResult LzssDecode(BitFile& bitFile, ByteSink& output) {
  LzssDecoder decoder;
  return decoder.Decode(bitFile, output);
}

}  // namespace hoardwright::lzss
