#include "catalogue/PersonalityScan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <set>
#include <system_error>

#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/DirectoryText.h"
#include "support/InputFile.h"
#include "support/Platform.h"

namespace hoardwright::catalogue {
namespace {

// ReadDevice writes at most 80 characters and their NUL.
constexpr std::size_t kDeviceBufferSize = 81;

std::string UpperCasedAscii(std::string_view text) {
  std::string upper(text);
  std::ranges::transform(upper, upper.begin(), UpperAscii);
  return upper;
}

std::optional<PersonalityEntry> EntryFromText(std::string filePath, std::string_view fileName,
                                              std::string bytes,
                                              const ManufacturerMap& manufacturers,
                                              support::Reporter& reporter) {
  personality::LineStream stream(std::move(bytes), personality::LineMode::Text);
  std::array<std::uint8_t, kDeviceBufferSize> deviceBuffer{};
  personality::OutputCursor cursor(deviceBuffer);
  if (!personality::ReadDevice(stream, cursor, reporter)) return std::nullopt;

  const auto* text = reinterpret_cast<const char*>(deviceBuffer.data());
  const std::string_view deviceText(text,
                                    std::ranges::find(deviceBuffer, 0) - deviceBuffer.begin());
  return PersonalityEntry{std::string(deviceText.substr(0, kListDeviceNameLength)),
                          ManufacturerNameForFile(manufacturers, fileName), std::move(filePath)};
}

// Reads one file through the gate, once: the observer sees the bytes the entry was made of.
std::optional<PersonalityEntry> ReadEntry(const std::string& filePath, std::string_view fileName,
                                          const ManufacturerMap& manufacturers,
                                          support::Reporter& reporter, std::string* readError,
                                          const FileObserver& observe) {
  support::InputFile file =
      support::ReadInputFile(support::ToPath(filePath), support::kMaxPersonalityFileSize);
  std::optional<PersonalityEntry> entry;
  if (file.Read()) {
    std::string bytes = observe ? file.bytes : std::move(file.bytes);
    entry = EntryFromText(filePath, fileName, std::move(bytes), manufacturers, reporter);
  } else if (readError) {
    *readError = file.refusal;
  }
  if (observe) observe(filePath, file, entry ? &*entry : nullptr);
  return entry;
}

}  // namespace

bool HasPersonalityExtension(std::string_view fileName) {
  constexpr std::string_view kExtension = ".QPF";
  return fileName.size() >= kExtension.size() &&
         EqualIgnoringAsciiCase(fileName.substr(fileName.size() - kExtension.size()), kExtension);
}

std::vector<std::string> ListPersonalityFiles(std::string_view directory, std::string* error) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code failure;
  fs::directory_iterator it(support::ToPath(directory), failure);
  for (; !failure && it != fs::directory_iterator(); it.increment(failure)) {
    std::string name = support::PathText(it->path().filename());
    if (HasPersonalityExtension(name)) names.push_back(std::move(name));
  }
  if (failure) {
    if (error) *error = failure.message();
    return {};
  }
  // Each key is computed once; directories may hold thousands of personalities.
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(UpperCasedAscii(name), std::move(name));
  std::ranges::sort(keyed);
  names.clear();
  for (auto& [key, name] : keyed) names.push_back(std::move(name));
  return names;
}

PersonalityScan ScanPersonalityDirectory(std::string_view personalityDir,
                                         const ManufacturerMap& manufacturers,
                                         support::Reporter& reporter, SortState sort,
                                         const FileObserver& observe) {
  PersonalityScan scan{support::WithTrailingSeparator(std::string(personalityDir)), {}, {}};
  if (scan.personalityDir.empty()) return scan;

  std::set<std::string> listedDevices;
  for (const std::string& fileName : ListPersonalityFiles(scan.personalityDir, &scan.error)) {
    std::optional<PersonalityEntry> entry = ReadEntry(scan.personalityDir + fileName, fileName,
                                                      manufacturers, reporter, nullptr, observe);
    // The first file with a device name wins; later ones are left out without a word.
    if (entry && listedDevices.insert(entry->deviceName).second) {
      scan.entries.push_back(std::move(*entry));
    }
  }
  SortEntries(scan.entries, sort.column, sort.ascending);
  return scan;
}

std::optional<PersonalityEntry> ReadPersonalityEntry(const std::string& filePath,
                                                     const ManufacturerMap& manufacturers,
                                                     support::Reporter& reporter,
                                                     std::string* readError,
                                                     const FileObserver& observe) {
  const std::string fileName = support::PathText(support::ToPath(filePath).filename());
  return ReadEntry(filePath, fileName, manufacturers, reporter, readError, observe);
}

std::optional<PersonalityEntry> EntryFromBytes(const std::string& filePath, std::string_view bytes,
                                               const ManufacturerMap& manufacturers,
                                               support::Reporter& reporter) {
  const std::string fileName = support::PathText(support::ToPath(filePath).filename());
  return EntryFromText(filePath, fileName, std::string(bytes), manufacturers, reporter);
}

}  // namespace hoardwright::catalogue
