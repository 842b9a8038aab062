// Throughput of the fast encoder, the reference encoder and the decoder on 4 MiB of each kind of
// input. scripts/bench turns the FastEncoder / ReferenceEncoder pairs into a speed-up table.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchInputs.h"
#include "lzss/Lzss.h"
#include "lzss/FastLzssEncoder.h"
#include "lzss/ReferenceLzssEncoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Generator = Bytes (*)(std::size_t, unsigned);

const Bytes& Input(Generator generate) {
  // One copy per generator, made outside the timed loop.
  static std::map<Generator, Bytes> inputs;
  auto found = inputs.find(generate);
  if (found == inputs.end()) {
    found = inputs.emplace(generate, generate(hoardwright::bench::kDefaultInputSize, 0)).first;
  }
  return found->second;
}

// Like the reference below: the encoder alone, into a stream reserved once, so that the two
// differ only in the encoder. (The unit's sum and its allocation are the same for both.)
void FastEncoder(benchmark::State& state, Generator generate) {
  const Bytes& data = Input(generate);
  Bytes stream;
  stream.reserve(data.size() + data.size() / 8 + 16);
  hoardwright::lzss::FastLzssEncoder::Counts counts;
  for (auto _ : state) {
    stream.clear();
    auto encoder = std::make_unique<hoardwright::lzss::FastLzssEncoder>(stream);
    encoder->Feed(data);
    benchmark::DoNotOptimize(encoder->Finish());
    benchmark::ClobberMemory();
    counts = encoder->Statistics();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  // One byte more than the reference's stream: the unit's sum is not in either.
  state.counters["ratio"] = static_cast<double>(stream.size()) / static_cast<double>(data.size());
  // The share of strings placed from the sorted list rather than by a walk from the root.
  state.counters["from_list"] = static_cast<double>(counts.listPlacements) /
                                static_cast<double>(counts.listPlacements + counts.walks);
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

// The same seeded generators the generators' defaults use, so every program sees equal bytes.
Bytes Random(std::size_t size, unsigned) {
  return hoardwright::bench::RandomBytes(size);
}
Bytes Text(std::size_t size, unsigned) {
  return hoardwright::bench::EnglishLikeText(size);
}
Bytes Records(std::size_t size, unsigned) {
  return hoardwright::bench::RecordLikeData(size);
}
Bytes Run(std::size_t size, unsigned) {
  return hoardwright::bench::SingleByteRun(size);
}
Bytes Period(std::size_t size, unsigned) {
  return hoardwright::bench::ShortPeriod(size);
}
Bytes Ascending(std::size_t size, unsigned) {
  return hoardwright::bench::AscendingRuns(size);
}
Bytes Sparse(std::size_t size, unsigned) {
  return hoardwright::bench::SparseBytes(size);
}

const struct {
  const char* name;
  Generator generate;
  bool decode;
} kInputs[] = {
    {"random", &Random, true},  {"text", &Text, true},      {"records", &Records, true},
    {"run", &Run, false},       {"period", &Period, false}, {"ascending", &Ascending, false},
    {"sparse", &Sparse, false},
};

const bool kRegistered = [] {
  for (const auto& input : kInputs) {
    const std::string name = input.name;
    benchmark::RegisterBenchmark(("FastEncoder/" + name).c_str(), FastEncoder, input.generate)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("ReferenceEncoder/" + name).c_str(), ReferenceEncoder,
                                 input.generate)
        ->Unit(benchmark::kMillisecond);
  }
  for (const auto& input : kInputs) {
    if (!input.decode) continue;
    benchmark::RegisterBenchmark(("Decoder/" + std::string(input.name)).c_str(), Decoder,
                                 input.generate)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
