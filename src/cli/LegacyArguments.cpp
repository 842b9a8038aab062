#include "cli/LegacyArguments.h"

#include "support/DirectoryText.h"

namespace hoardwright::cli {
namespace {

bool IsWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

// The value of the switch found at `switchAt`: up to the next "-" or the end, trimmed.
std::string_view SwitchValue(std::string_view text, std::size_t switchAt) {
  const std::size_t start = switchAt + 2;
  const std::size_t end = text.find('-', start);
  return Trimmed(text.substr(start, end == std::string_view::npos ? std::string_view::npos
                                                                  : end - start));
}

}  // namespace

LegacyArguments ParseLegacyArguments(std::string_view argumentText) {
  LegacyArguments arguments;
  const std::size_t personalitySwitch = argumentText.find("-d");
  if (personalitySwitch == std::string_view::npos) return arguments;

  arguments.commandLineMode = true;
  arguments.personalityDir = SwitchValue(argumentText, personalitySwitch);
  const std::size_t outputSwitch = argumentText.find("-o");
  if (outputSwitch != std::string_view::npos) {
    arguments.outputDir = SwitchValue(argumentText, outputSwitch);
  }
  if (arguments.outputDir.empty()) arguments.outputDir = arguments.personalityDir;

  arguments.personalityDir = support::WithTrailingSeparator(std::move(arguments.personalityDir));
  arguments.outputDir = support::WithTrailingSeparator(std::move(arguments.outputDir));
  return arguments;
}

}  // namespace hoardwright::cli
