#include "lzss/Lzss.h"

#include <algorithm>
#include <memory>
#include <numeric>
#include <string>
#include <system_error>

#include "lzss/FastLzssEncoder.h"
#include "lzss/ReferenceLzssEncoder.h"
#include "lzss/StreamEncoder.h"
#include "support/Platform.h"

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

// Reads up to `buffer.size()` bytes; fewer only at the end of the input.
std::span<const std::uint8_t> ReadBlock(ByteSource& input, std::vector<std::uint8_t>& buffer) {
  std::size_t size = 0;
  for (int byte; size < buffer.size() && (byte = input.Get()) != kEndOfInput; ++size) {
    buffer[size] = static_cast<std::uint8_t>(byte);
  }
  return std::span(buffer).first(size);
}

// The input is positioned at its first byte.
bool WriteUnit(std::uint32_t sum, ByteSource& input, ByteSink& output, std::ostream* console) {
  if (!PutSum(output, sum)) return false;
  StreamEncoder encoder(output, console);
  std::vector<std::uint8_t> buffer(kEncoderBlockSize);
  for (auto block = ReadBlock(input, buffer); !block.empty() && encoder.Feed(block);
       block = ReadBlock(input, buffer)) {
  }
  return encoder.Finish() && !input.ReadFailed();
}

// The same unit from a `std::FILE`, read a block at a time.
bool WriteFileUnit(std::FILE* input, std::FILE* output, std::ostream* console) {
  std::vector<std::uint8_t> buffer(kEncoderBlockSize);
  auto read = [&] {
    return std::span(buffer).first(std::fread(buffer.data(), 1, buffer.size(), input));
  };
  std::rewind(input);
  std::uint32_t sum = 0;
  for (auto block = read(); !block.empty(); block = read()) sum += ByteSum(block);
  if (std::ferror(input) != 0) return false;
  std::rewind(input);
  FileSink sink(output);
  if (!PutSum(sink, sum)) return false;
  StreamEncoder encoder(sink, console);
  for (auto block = read(); !block.empty() && encoder.Feed(block); block = read()) {
  }
  return encoder.Finish() && std::ferror(input) == 0;
}

// The input goes to the coder a block at a time, so that a cancellation is seen within one
// block; the stream does not depend on how the input is split.
std::optional<std::vector<std::uint8_t>> CompressUnitUnless(std::span<const std::uint8_t> data,
                                                            std::ostream* console,
                                                            const support::CancelToken* cancel) {
  std::vector<std::uint8_t> unit;
  // Typical cache data compresses to about half; this saves most regrowth.
  unit.reserve(kUnitSumSize + data.size() / 2 + 16);
  MemorySink sumSink(unit);
  PutSum(sumSink, ByteSum(data));
  // Straight into the vector, which cannot refuse a byte; the dots follow at the end.
  auto encoder = std::make_unique<FastLzssEncoder>(unit);
  for (std::size_t at = 0; at < data.size(); at += kEncoderBlockSize) {
    if (support::Cancelled(cancel)) return std::nullopt;
    encoder->Feed(data.subspan(at, std::min(kEncoderBlockSize, data.size() - at)));
  }
  const int lastBits = encoder->Finish();
  if (console != nullptr) {
    const std::size_t completed = unit.size() - kUnitSumSize - (lastBits > 0 ? 1 : 0);
    *console << std::string((completed + 2047) / 2048, '.');
  }
  return unit;
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
  return *CompressUnitUnless(data, console, nullptr);
}

std::optional<std::vector<std::uint8_t>> CompressUnit(std::span<const std::uint8_t> data,
                                                      std::ostream* console,
                                                      const support::CancelToken& cancel) {
  return CompressUnitUnless(data, console, &cancel);
}

bool CompressUnit(std::span<const std::uint8_t> data, ByteSink& output, std::ostream* console,
                  const support::CancelToken* cancel) {
  if (!PutSum(output, ByteSum(data))) return false;
  StreamEncoder encoder(output, console);
  for (std::size_t at = 0; at < data.size(); at += kEncoderBlockSize) {
    if (support::Cancelled(cancel)) return false;
    if (!encoder.Feed(data.subspan(at, std::min(kEncoderBlockSize, data.size() - at)))) break;
  }
  return encoder.Finish();
}

std::vector<std::uint8_t> ReferenceCompressUnit(std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> unit;
  MemorySink sink(unit);
  PutSum(sink, ByteSum(data));
  MemorySource input(data);
  BitFile bitFile(sink, nullptr);
  ReferenceLzssEncode(input, bitFile);
  bitFile.CloseBitFile();
  return unit;
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
  const bool written = WriteFileUnit(input, output, console);
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
  FilePointer input(support::OpenFile(inputPath, "rb"));
  if (!input) return false;
  // Only a plain file of our own making is removed after a failure; a device such as
  // /dev/full or a link must stay where it is.
  const auto existing = std::filesystem::symlink_status(outputPath, error).type();
  const bool removable = existing == std::filesystem::file_type::not_found ||
                         existing == std::filesystem::file_type::regular;
  FilePointer output(support::OpenFile(outputPath, "wb"));
  if (!output) return false;
  bool ok = LzssCompressStream(input.get(), output.get(), console);
  ok = std::fclose(output.release()) == 0 && ok;
  if (!ok && removable) std::filesystem::remove(outputPath, error);
  return ok;
}

void LzssEncode(ByteSource& input, BitFile& bitFile) {
  std::vector<std::uint8_t> stream;
  auto encoder = std::make_unique<FastLzssEncoder>(stream);
  std::vector<std::uint8_t> buffer(kEncoderBlockSize);
  auto pass = [&](std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) bitFile.OutputBits(stream[i], 8);
    stream.erase(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(count));
  };
  for (auto block = ReadBlock(input, buffer); !block.empty() && !bitFile.WriteFailed();
       block = ReadBlock(input, buffer)) {
    encoder->Feed(block);
    pass(stream.size());
  }
  const int lastBits = encoder->Finish();
  pass(stream.size() - (lastBits > 0 ? 1 : 0));
  if (lastBits > 0) bitFile.OutputBits(stream.front() >> (8 - lastBits), lastBits);
}

void ReferenceLzssEncode(ByteSource& input, BitFile& bitFile) {
  auto encoder = std::make_unique<ReferenceLzssEncoder>();
  encoder->Encode(input, bitFile);
}

DecodeResult LzssDecode(BitFile& bitFile, ByteSink& output) {
  LzssDecoder decoder;
  return decoder.Decode(bitFile, output);
}

}  // namespace hoardwright::lzss
