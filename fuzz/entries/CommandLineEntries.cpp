// The legacy switches of an unattended build.
#include <string>

#include "FuzzEntries.h"
#include "cli/LegacyArguments.h"

namespace hoardwright::fuzz {

void LegacyArguments(Bytes data) {
  const std::string text(data.begin(), data.end());
  const cli::LegacyArguments parsed = cli::ParseLegacyArguments(text);
  if (!parsed.commandLineMode) {
    Check(parsed.personalityDir.empty() && parsed.outputDir.empty(),
          "without -d both directories stay empty");
    return;
  }
  Check(parsed.personalityDir.empty() || parsed.personalityDir.back() == '/',
        "the personality directory ends with /");
  Check(parsed.outputDir.empty() || parsed.outputDir.back() == '/',
        "the output directory ends with /");
  Check(parsed.personalityDir.size() <= text.size() + 1, "a directory comes from the text");
  Check(parsed.outputDir.size() <= text.size() + 1, "a directory comes from the text");
}

}  // namespace hoardwright::fuzz
