#include "examine/ExamineExtract.h"

#include <cstdio>
#include <span>
#include <system_error>

#include "build/OutputFile.h"
#include "ui/PersonalityEntry.h"

namespace hoardwright::examine {
namespace {

bool SafeCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

class Extraction {
 public:
  Extraction(std::filesystem::path directory, std::string* error)
      : directory_(std::move(directory)), error_(error) {}

  bool Write(const std::string& name, std::span<const std::uint8_t> bytes) {
    std::string reason;
    auto file = OutputFile::Create(directory_ / name, &reason);
    if (!file || !file->Write(bytes) || !file->Close()) {
      if (file) reason = file->Error();
      if (error_) *error_ = (directory_ / name).string() + ": " + reason;
      return false;
    }
    names_.push_back(name);
    return true;
  }

  bool Personalities(const std::vector<PersonalityView>& personalities) {
    for (const PersonalityView& view : personalities) {
      if (view.bytes && !Write(PersonalityFileName(view), *view.bytes)) return false;
    }
    return true;
  }

  std::vector<std::string> Names() && { return std::move(names_); }

 private:
  std::filesystem::path directory_;
  std::string* error_;
  std::vector<std::string> names_;
};

bool ExtractStandard(const StandardReport& cache, Extraction& out) {
  if (!cache.stream) return true;
  const auto& data = cache.stream->data;
  if (!out.Write("stream.bin", data)) return false;
  if (cache.shapeLibrary && !out.Write("shape-library.bin", std::span(data).first(cache.shapeLength))) {
    return false;
  }
  return out.Personalities(cache.personalities);
}

bool ExtractExtended(const ExtendedReport& cache, Extraction& out) {
  if (cache.shapeUnit && !out.Write("shape-library.bin", cache.shapeUnit->data)) return false;
  for (const GroupBlock& group : cache.groups) {
    if (!group.unit) continue;
    char name[32];
    std::snprintf(name, sizeof name, "group-%02d.bin", group.number);
    if (!out.Write(name, group.unit->data)) return false;
  }
  return out.Personalities(cache.personalities);
}

}  // namespace

std::string PersonalityFileName(const PersonalityView& personality) {
  char number[16];
  std::snprintf(number, sizeof number, "%04zu", personality.number);
  std::string device;
  for (const char c : personality.device.substr(0, ui::kDeviceNameLength)) {
    device.push_back(SafeCharacter(c) ? c : '_');
  }
  while (!device.empty() && device.back() == '_') device.pop_back();
  // A name of dots only would name a directory.
  if (device.find_first_not_of('.') == std::string::npos) device.clear();
  return "personality-" + std::string(number) + (device.empty() ? "" : "-" + device) + ".bin";
}

std::optional<std::vector<std::string>> ExtractExamined(const ExamineReport& report,
                                                         const std::filesystem::path& directory,
                                                         std::string* error) {
  std::error_code ec;
  std::filesystem::create_directories(directory, ec);
  if (ec) {
    if (error) *error = directory.string() + ": " + ec.message();
    return std::nullopt;
  }
  Extraction out(directory, error);
  const bool written = report.standard ? ExtractStandard(*report.standard, out)
                                       : ExtractExtended(*report.extended, out);
  if (!written) return std::nullopt;
  return std::move(out).Names();
}

}  // namespace hoardwright::examine
