#pragma once
// The fuzz targets' bodies, kept apart from libFuzzer so that the normal test suite can replay
// every saved crash input and seed through exactly the code the fuzzer ran. Each entry takes
// arbitrary bytes; a broken invariant aborts (the fuzzer then keeps the input as a crash).
#include <cstdint>
#include <span>
#include <string_view>

namespace hoardwright::fuzz {

using Bytes = std::span<const std::uint8_t>;

// First byte: the three table options (bits 0..2 exclude preset focus, range tables, macros);
// the rest: a personality read as the standard build reads it.
void StandardRecord(Bytes data);
// A personality converted into its extended-cache binary form.
void ExtendedPersonality(Bytes data);
// A shape library compiled for the standard cache (text mode, into the block buffer).
void ShapeLibrary(Bytes data);
// A shape library compiled for the extended cache (binary mode).
void ExtendedShapeLibrary(Bytes data);
// The directory scan's reading of a DEVICE line from arbitrary text.
void DeviceText(Bytes data);
// An arbitrary compressed unit decoded.
void LzssDecode(Bytes data);
// Arbitrary bytes compressed and decoded again must come back unchanged.
void LzssRoundTrip(Bytes data);
// The legacy "-d" / "-o" command-line grammar over arbitrary argument text.
void LegacyArguments(Bytes data);
// The inspect targets take caches of at most 4 KiB (libFuzzer's own default bound once the seeds
// are smaller): a cache decodes to up to eight times its size, every run renders all of it, and
// a larger cache reaches no code a smaller one does not.
inline constexpr std::size_t kMaxInspectInput = 4096;
bool InspectInputFits(Bytes data);
// `inspect` (text and JSON report) over a file read as a standard cache.
void InspectStandard(Bytes data);
// `inspect` over a file read as an extended cache: the magic "QenCache", then the input.
void InspectExtended(Bytes data);
// `inspect --extract` of a file read as a cache of either kind, into a private directory with
// links planted under the names it writes.
void InspectExtract(Bytes data);

// `check`'s diagnosis of one personality file: its verdicts are the compilers', a record it
// calls built reads back, and its report prints no raw control character.
void CheckPersonality(Bytes data);
// The standard build of a small directory of personality files made of the input (split at
// "\n====\n"); a cache it reports written inspects intact and holds what `check` says.
void BuildStandard(Bytes data);
// The same for the extended build.
void BuildExtended(Bytes data);

struct Entry {
  std::string_view name;  // the target's name: fuzz_<name>, fuzz/corpus/<name>, fuzz/regressions/<name>
  void (*run)(Bytes);
};

std::span<const Entry> AllEntries();

// Aborts with `what` on standard error when `condition` is false; the fuzzer keeps the input.
void Check(bool condition, const char* what);

}  // namespace hoardwright::fuzz
