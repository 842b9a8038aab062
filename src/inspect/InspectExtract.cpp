#include "inspect/InspectExtract.h"

#include <cstdio>
#include <span>
#include <system_error>

#include "inspect/CacheInspector.h"
#include "support/FileAccess.h"
#include "catalogue/PersonalityEntry.h"

namespace hoardwright::inspect {
namespace {

bool SafeCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

class Extraction {
 public:
  Extraction(support::ExtractDirectory directory, std::string* error)
      : directory_(std::move(directory)), error_(error) {}

  bool Write(const std::string& name, std::span<const std::uint8_t> bytes) {
    if (!directory_.Write(name, bytes, error_)) return false;
    names_.push_back(name);
    return true;
  }

  // Only walked records: no two share a byte, so together they are at most the decoded data.
  bool Personalities(const InspectReport& report,
                     const std::vector<PersonalityView>& personalities) {
    for (const PersonalityView& view : personalities) {
      const auto bytes = RecordBytes(report, view);
      if (bytes && !Write(PersonalityFileName(view), *bytes)) return false;
    }
    return true;
  }

  std::vector<std::string> Names() && { return std::move(names_); }

 private:
  support::ExtractDirectory directory_;
  std::string* error_;
  std::vector<std::string> names_;
};

bool ExtractStandard(const InspectReport& report, Extraction& out) {
  const StandardReport& cache = *report.standard;
  if (!cache.stream) return true;
  const auto& data = cache.stream->data;
  if (!out.Write("stream.bin", data)) return false;
  if (cache.shapeLibrary &&
      !out.Write("shape-library.bin", std::span(data).first(cache.shapeLength))) {
    return false;
  }
  return out.Personalities(report, cache.personalities);
}

bool ExtractExtended(const InspectReport& report, Extraction& out) {
  const ExtendedReport& cache = *report.extended;
  if (cache.shapeUnit && !out.Write("shape-library.bin", cache.shapeUnit->data)) return false;
  for (const GroupBlock& group : cache.groups) {
    if (!group.unit) continue;
    char name[32];
    std::snprintf(name, sizeof name, "group-%02d.bin", group.number);
    if (!out.Write(name, group.unit->data)) return false;
  }
  return out.Personalities(report, cache.personalities);
}

}  // namespace

std::string PersonalityFileName(const PersonalityView& personality) {
  char number[16];
  std::snprintf(number, sizeof number, "%04zu", personality.number);
  std::string device;
  for (const char c : personality.device.substr(0, catalogue::kListDeviceNameLength)) {
    device.push_back(SafeCharacter(c) ? c : '_');
  }
  while (!device.empty() && device.back() == '_') device.pop_back();
  // A name of dots only would name a directory.
  if (device.find_first_not_of('.') == std::string::npos) device.clear();
  return "personality-" + std::string(number) + (device.empty() ? "" : "-" + device) + ".bin";
}

std::optional<std::vector<std::string>> ExtractInspected(const InspectReport& report,
                                                         const std::filesystem::path& directory,
                                                         std::string* error) {
  auto opened = support::ExtractDirectory::Open(directory, error);
  if (!opened) return std::nullopt;
  Extraction out(std::move(*opened), error);
  const bool written =
      report.standard ? ExtractStandard(report, out) : ExtractExtended(report, out);
  if (!written) return std::nullopt;
  return std::move(out).Names();
}

}  // namespace hoardwright::inspect
