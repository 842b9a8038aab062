#include "FuzzEntries.h"

#include <array>
#include <cstdio>
#include <cstdlib>

namespace hoardwright::fuzz {

std::span<const Entry> AllEntries() {
  static constexpr std::array kEntries{
      Entry{"standard_record", StandardRecord},
      Entry{"extended_personality", ExtendedPersonality},
      Entry{"shape_library", ShapeLibrary},
      Entry{"extended_shape_library", ExtendedShapeLibrary},
      Entry{"device_text", DeviceText},
      Entry{"lzss_decode", LzssDecode},
      Entry{"lzss_round_trip", LzssRoundTrip},
      Entry{"legacy_arguments", LegacyArguments},
      Entry{"inspect_standard", InspectStandard},
      Entry{"inspect_extended", InspectExtended},
      Entry{"check_personality", CheckPersonality},
      Entry{"build_standard", BuildStandard},
      Entry{"build_extended", BuildExtended},
      Entry{"inspect_extract", InspectExtract},
  };
  return kEntries;
}

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

}  // namespace hoardwright::fuzz
