#pragma once
// The compressed unit both caches store: the 4-byte little-endian sum (modulo 2^32) of the
// uncompressed bytes, then the coder's bit stream, padded with 0 bits to a whole byte. The
// uncompressed length is not stored; the stream ends at its end-of-stream token.
//
// How to call it:
//   In memory (blocks of the extended cache, tests):
//     std::vector<std::uint8_t> unit = lzss::CompressUnit(bytes);            // dots on stdout
//     std::vector<std::uint8_t> unit = lzss::CompressUnit(bytes, nullptr);   // quiet
//     lzss::DecodedUnit back = lzss::DecompressUnit(unit);
//     if (!back.complete || !back.sumMatches) { /* truncated or corrupt */ }
//   Streaming the unit out as it is produced (returns false when a write failed):
//     lzss::FileSink sink(file);   // or StreamSink, MemorySink, CallbackSink
//     bool ok = lzss::CompressUnit(bytes, sink);
//   Whole files (the standard build's intermediate file):
//     bool ok = lzss::LzssCompressFile(inputPath, outputPath);
//   Open streams (input from its start, output appended at its current position; neither
//   stream is closed):
//     bool ok = lzss::LzssCompressStream(inputFile, outputFile);
//
// Every compressing call returns false when the input could not be read or any byte of the
// unit could not be written (a full disk, say); its output is then unusable. LzssCompressFile
// removes the output file it created in that case.
//
// `console` receives the progress dots and "ERROR : ..." lines (standard output by default,
// null for none). Each call uses its own coder, so calls may run on several threads at once.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <vector>

#include "support/CancelToken.h"
#include "lzss/BitFile.h"
#include "lzss/ByteStream.h"
#include "lzss/LzssDecoder.h"

namespace hoardwright::lzss {

// Sum of the bytes modulo 2^32, as stored at the start of a unit.
std::uint32_t ByteSum(std::span<const std::uint8_t> data);

std::vector<std::uint8_t> CompressUnit(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> CompressUnit(std::span<const std::uint8_t> data, std::ostream* console);
// The same unit, or nullopt when `cancel` is cancelled before it is done (it is looked at between
// blocks of kEncoderBlockSize input bytes). No dots are printed for a unit given up.
std::optional<std::vector<std::uint8_t>> CompressUnit(std::span<const std::uint8_t> data,
                                                      std::ostream* console,
                                                      const support::CancelToken& cancel);
// False when a byte could not be written, or when `cancel` was cancelled (looked at between
// blocks of kEncoderBlockSize input bytes).
bool CompressUnit(std::span<const std::uint8_t> data, ByteSink& output,
                  std::ostream* console = &std::cout, const support::CancelToken* cancel = nullptr);

struct DecodedUnit {
  std::vector<std::uint8_t> data;  // everything decoded, also from a broken unit
  std::uint32_t storedSum = 0;     // the unit's first 4 bytes (what there is of them)
  std::uint32_t actualSum = 0;     // sum of `data`
  bool sumMatches = false;         // a whole 4-byte sum was present and equals actualSum
  bool complete = false;           // end-of-stream token seen
};

DecodedUnit DecompressUnit(std::span<const std::uint8_t> unit);
DecodedUnit DecompressUnit(std::span<const std::uint8_t> unit, std::ostream* console);

// Decoding a unit from a stream into a sink.
struct UnitDecodeResult {
  std::uint32_t storedSum = 0;
  std::uint32_t actualSum = 0;
  bool sumPresent = false;  // the unit held at least the 4 bytes of the sum
  bool sumMatches = false;
  bool complete = false;
  bool writeFailed = false;
  bool readFailed = false;
  std::uint64_t size = 0;  // bytes written to the sink
};
UnitDecodeResult DecompressUnit(ByteSource& unit, ByteSink& output,
                                std::ostream* console = &std::cout);

// Compresses everything in `input`, from its start, onto `output`. The input must be able to
// rewind: it is read once for the sum and once for the coding.
bool LzssCompressStream(ByteSource& input, ByteSink& output, std::ostream* console = &std::cout);
// Also flushes `output`.
bool LzssCompressStream(std::FILE* input, std::FILE* output, std::ostream* console = &std::cout);
bool LzssCompressStream(std::istream& input, std::ostream& output,
                        std::ostream* console = &std::cout);
// Creates or truncates `outputPath`. False, with no file created, when the input cannot be
// opened, the output cannot be created, or both paths name the same file.
bool LzssCompressFile(const std::filesystem::path& inputPath,
                      const std::filesystem::path& outputPath, std::ostream* console = &std::cout);

// The bare coder over a BitFile, without the sum: a fresh encoder per call.
void LzssEncode(ByteSource& input, BitFile& bitFile);

// The same units and streams from the reference encoder, which follows the coder's steps one
// byte at a time. Slow; kept as the yardstick the fast encoder is tested against.
std::vector<std::uint8_t> ReferenceCompressUnit(std::span<const std::uint8_t> data);
void ReferenceLzssEncode(ByteSource& input, BitFile& bitFile);
DecodeResult LzssDecode(BitFile& bitFile, ByteSink& output);

}  // namespace hoardwright::lzss
