#pragma once
// The generated information personality "1_INFO.QPF": the embedded template with the cache
// details filled in. The standard build compiles it like any other personality, as the cache's
// first record.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "support/OutputFile.h"

namespace hoardwright::standard {

inline constexpr const char* kInfoPersonalityFileName = "1_INFO.QPF";

struct InfoDetails {
  std::string date;  // "05-Dec-2026"
  std::string createdBy;
  std::size_t fileCount = 0;
  std::string notes;  // line breaks as the details dialog gives them (CR LF)
};

// The file's bytes: every template line ends in CR LF, the placeholders "%DATE", "%CREATEDBY",
// "%FILECOUNT", "%NOTES" and "%INFO" are replaced in that order, each pass over the whole text
// but never inside what a replacement has just put in. A CR that the notes bring is kept as it
// is, so a CR LF in the notes reaches the file as CR CR LF.
std::string InfoPersonalityText(std::span<const std::uint8_t> templateText,
                                const InfoDetails& details);

struct InfoPersonalityFile {
  // The written file, or empty when it was not written.
  std::filesystem::path path;
  // Set when the file was created but could not be written completely (disk full, say); the file
  // is then removed. A file that cannot be created at all leaves both empty.
  std::string writeError;
};

// Writes "1_INFO.QPF" from the embedded template into `directory`, replacing an earlier one.
InfoPersonalityFile WriteInfoPersonality(const std::filesystem::path& directory,
                                         const InfoDetails& details,
                                         support::WriteFaults* faults = nullptr);

}  // namespace hoardwright::standard
