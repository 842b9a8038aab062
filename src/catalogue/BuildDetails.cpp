#include "catalogue/BuildDetails.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "support/DirectoryText.h"
#include "support/Platform.h"

namespace hoardwright::catalogue {
namespace {

constexpr std::size_t kMaxNoteLines = 10;
// A line keeps its first 20 characters and its final one (the CR before the line feed).
constexpr std::size_t kKeptLineStart = 20;
constexpr std::size_t kMaxLineLength = kKeptLineStart + 1;

constexpr int kProbeAttempts = 8;

// Makes and removes a new file in `directory`; the system's reason when it cannot.
std::string ProbeWritable(const std::string& directory) {
  std::random_device random;
  std::error_code error = std::make_error_code(std::errc::file_exists);
  for (int attempt = 0; attempt < kProbeAttempts && error == std::errc::file_exists; ++attempt) {
    const std::filesystem::path probe = support::ToPath(
        support::JoinPath(directory, ".hoardwright-probe-" + std::to_string(random() % 1000000)));
    // Never opens a file that is there already.
    if (support::CreateNewFile(probe, error)) {
      std::error_code ignored;
      std::filesystem::remove(probe, ignored);
      return {};
    }
    if (!error) error = std::make_error_code(std::errc::permission_denied);
  }
  return error.message();
}

}  // namespace

std::string CheckOutputPlace(const std::string& outputDir, const std::string& fileName) {
  if (fileName.empty()) return "Please enter a file name for the cache file.";
  if (fileName.find('/') != std::string::npos || fileName.find('\0') != std::string::npos) {
    return "The file name " + fileName + " must not contain \"/\".";
  }
  if (fileName == "." || fileName == "..") return fileName + " is not a file name.";
  if (outputDir.empty()) return "Please choose an output directory.";

  const std::string cannotUse = "The output directory " + outputDir + " cannot be used: ";
  std::error_code error;
  const auto status = std::filesystem::status(support::ToPath(outputDir), error);
  if (error) return cannotUse + error.message();
  if (!std::filesystem::is_directory(status)) return cannotUse + "Not a directory";
  const std::string target = support::JoinPath(outputDir, fileName);
  if (std::filesystem::is_directory(support::ToPath(target), error)) {
    return "The cache file cannot be written over the directory " + target + ".";
  }
  if (std::string reason = ProbeWritable(outputDir); !reason.empty()) return cannotUse + reason;
  return {};
}

std::u32string FitNotes(std::u32string_view notes) {
  std::u32string fitted;
  std::size_t line = 0;
  std::size_t column = 0;
  for (const char32_t c : notes) {
    if (c == U'\n') {
      if (++line == kKeptNoteLines) break;
      column = 0;
    } else if (++column > kKeptNoteLineLength) {
      continue;
    }
    fitted.push_back(c);
  }
  return fitted;
}

std::string CutNotes(std::string notes) {
  std::size_t lineStart = 0;
  std::size_t lineFeeds = 0;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    if (notes[i] != '\n') continue;
    const std::size_t lineLength = i - lineStart;
    if (lineLength > kMaxLineLength) {
      notes.erase(lineStart + kKeptLineStart, lineLength - kMaxLineLength);
      i = lineStart + kMaxLineLength;  // the same line feed, in the shortened text
    }
    if (++lineFeeds == kMaxNoteLines) {
      notes.erase(i);
      return notes;
    }
    lineStart = i + 1;
  }
  if (notes.size() - lineStart > kMaxLineLength) notes.erase(lineStart + kMaxLineLength);
  return notes;
}

std::string ApplyBrowsedOutputDir(std::string current, std::string chosen) {
  if (chosen.empty()) return current;
  return support::WithTrailingSeparator(std::move(chosen));
}

}  // namespace hoardwright::catalogue
