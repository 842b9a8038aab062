// The legacy switches of an unattended build.
#include <string>

#include "FuzzEntries.h"
#include "cli/LegacyArguments.h"
#include "support/DirectoryText.h"

namespace hoardwright::fuzz {

void LegacyArguments(Bytes data) {
  const std::string text(data.begin(), data.end());
  const cli::LegacyArguments parsed = cli::ParseLegacyArguments(text);
  if (!parsed.commandLineMode) {
    Check(parsed.personalityDir.empty() && parsed.outputDir.empty(),
          "without -d both directories stay empty");
    return;
  }
  Check(parsed.personalityDir.empty() || support::EndsWithSeparator(parsed.personalityDir),
        "the personality directory ends with a separator");
  Check(parsed.outputDir.empty() || support::EndsWithSeparator(parsed.outputDir),
        "the output directory ends with a separator");
  Check(parsed.personalityDir.size() <= text.size() + 1, "a directory comes from the text");
  Check(parsed.outputDir.size() <= text.size() + 1, "a directory comes from the text");
}

}  // namespace hoardwright::fuzz
