// Throughput of the reference encoder and of the decoder on 4 MiB of each kind of input.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "BenchInputs.h"
#include "lzss/Lzss.h"
#include "lzss/ReferenceLzssEncoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Generator = Bytes (*)(std::size_t, unsigned);

const Bytes& Input(Generator generate) {
  // One copy per generator, made outside the timed loop.
  static const Bytes random = hoardwright::bench::RandomBytes();
  static const Bytes text = hoardwright::bench::EnglishLikeText();
  static const Bytes records = hoardwright::bench::RecordLikeData();
  if (generate == &hoardwright::bench::RandomBytes) return random;
  if (generate == &hoardwright::bench::EnglishLikeText) return text;
  return records;
}

void ReferenceEncoder(benchmark::State& state, Generator generate) {
  const Bytes& data = Input(generate);
  // The reference encoder itself, whatever CompressUnit happens to use.
  auto encoder = std::make_unique<hoardwright::lzss::ReferenceLzssEncoder>();
  Bytes stream;
  stream.reserve(data.size() + data.size() / 8 + 16);
  for (auto _ : state) {
    stream.clear();
    hoardwright::lzss::MemorySource source(data);
    hoardwright::lzss::MemorySink sink(stream);
    hoardwright::lzss::BitFile bits(sink, nullptr);
    encoder->Encode(source, bits);
    benchmark::DoNotOptimize(bits.CloseBitFile());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(stream.size()) / static_cast<double>(data.size());
}

void Decoder(benchmark::State& state, Generator generate) {
  const Bytes& data = Input(generate);
  const Bytes unit = hoardwright::lzss::CompressUnit(data, nullptr);
  for (auto _ : state) {
    auto decoded = hoardwright::lzss::DecompressUnit(unit, nullptr);
    benchmark::DoNotOptimize(decoded.data.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

}  // namespace

BENCHMARK_CAPTURE(ReferenceEncoder, random, &hoardwright::bench::RandomBytes)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReferenceEncoder, text, &hoardwright::bench::EnglishLikeText)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ReferenceEncoder, records, &hoardwright::bench::RecordLikeData)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decoder, random, &hoardwright::bench::RandomBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decoder, text, &hoardwright::bench::EnglishLikeText)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decoder, records, &hoardwright::bench::RecordLikeData)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
