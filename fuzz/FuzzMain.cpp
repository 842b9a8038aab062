// libFuzzer's entry point for the target named by HOARDWRIGHT_FUZZ_TARGET.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzEntries.h"

namespace {

void (*FindTarget())(hoardwright::fuzz::Bytes) {
  for (const auto& entry : hoardwright::fuzz::AllEntries()) {
    if (entry.name == HOARDWRIGHT_FUZZ_TARGET) return entry.run;
  }
  std::fprintf(stderr, "no fuzz entry named %s\n", HOARDWRIGHT_FUZZ_TARGET);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto run = FindTarget();
  run(hoardwright::fuzz::Bytes(data, size));
  return 0;
}
