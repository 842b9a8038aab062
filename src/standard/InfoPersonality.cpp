#include "standard/InfoPersonality.h"

#include <string_view>
#include <system_error>

#include "support/EmbeddedResources.h"

namespace hoardwright::standard {
namespace {

void ReplaceAll(std::string& text, std::string_view placeholder, std::string_view replacement) {
  std::size_t position = 0;
  while ((position = text.find(placeholder, position)) != std::string::npos) {
    text.replace(position, placeholder.size(), replacement);
    position += replacement.size();
  }
}

}  // namespace

std::string InfoPersonalityText(std::span<const std::uint8_t> templateText,
                                const InfoDetails& details) {
  // The template's CR LF pairs become single line ends; a CR from the notes is not a line end.
  std::string text;
  text.reserve(templateText.size() + 256);
  for (const std::uint8_t byte : templateText) {
    if (byte == '\r') {
      text.push_back('\n');
    } else if (byte != '\n') {
      text.push_back(static_cast<char>(byte));
    }
  }
  ReplaceAll(text, "%DATE", details.date);
  ReplaceAll(text, "%CREATEDBY", details.createdBy);
  ReplaceAll(text, "%FILECOUNT", std::to_string(details.fileCount));
  ReplaceAll(text, "%NOTES", details.notes);
  ReplaceAll(text, "%INFO", "Mk2 Compatible");

  // Written as a text-mode file would be: every line end as CR LF, so a CR LF of the notes
  // becomes CR CR LF.
  std::string file;
  file.reserve(text.size() + 64);
  for (const char c : text) {
    if (c == '\n') file.push_back('\r');
    file.push_back(c);
  }
  return file;
}

InfoPersonalityFile WriteInfoPersonality(const std::filesystem::path& directory,
                                         const InfoDetails& details, support::WriteFaults* faults) {
  InfoPersonalityFile result;
  const std::filesystem::path path = directory / kInfoPersonalityFileName;
  std::string error;
  auto file = support::OutputFile::Create(path, &error, faults);
  if (!file) return result;
  const std::string text = InfoPersonalityText(support::InfoTemplateText(), details);
  // Closed whatever the write gave: Windows removes no file that is still open.
  const bool written = file->Write(std::string_view(text));
  if (!file->Close() || !written) {
    result.writeError = file->Error();
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return result;
  }
  result.path = path;
  return result;
}

}  // namespace hoardwright::standard
