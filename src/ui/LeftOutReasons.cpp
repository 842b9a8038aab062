#include "ui/LeftOutReasons.h"

#include "examine/PersonalityCheck.h"
#include "personality/InputFile.h"
#include "ui/PersonalityScan.h"

namespace hoardwright::ui {
namespace {

constexpr const char* kNoDevice = "no DEVICE line";
constexpr const char* kNotCompiled = "the record could not be compiled";

std::string CompileFailure(const std::string& path, const ManufacturerMap& manufacturers) {
  const InputFile file = ReadInputFile(path, kMaxPersonalityFileSize);
  if (!file.Read()) return file.refusal;
  SilentReporter silent;
  const auto entry = EntryFromBytes(path, file.bytes, manufacturers, silent);
  if (!entry) return kNoDevice;
  const examine::FileCheck check =
      examine::CheckPersonalityFile(path, file, &*entry, manufacturers);
  for (const examine::CheckItem& item : check.items) {
    const examine::Finding& finding = item.finding;
    if (finding.severity != examine::Finding::Severity::LeftOut || !item.standard) continue;
    std::string text;
    if (finding.line > 0) text = "line " + std::to_string(finding.line);
    if (finding.column > 0) text += ", column " + std::to_string(finding.column);
    return text.empty() ? finding.message : text + ": " + finding.message;
  }
  // Left out with fewer tables than check includes, or changed since the build.
  return kNotCompiled;
}

}  // namespace

std::vector<LeftOutLine> DescribeLeftOut(const std::vector<LeftOutPersonality>& leftOut,
                                         const ManufacturerMap& manufacturers) {
  std::vector<LeftOutLine> lines;
  lines.reserve(leftOut.size());
  for (const LeftOutPersonality& item : leftOut) {
    std::string reason;
    switch (item.reason) {
      case LeftOutReason::Unreadable: {
        reason = InputFileRefusal(item.path);
        if (reason.empty()) reason = "the file could not be read";
        break;
      }
      case LeftOutReason::NoDevice:
        reason = kNoDevice;
        break;
      case LeftOutReason::CompileFailed:
        reason = CompileFailure(item.path, manufacturers);
        break;
    }
    lines.push_back({item.path, std::move(reason)});
  }
  return lines;
}

std::string LeftOutHeading(std::size_t count) {
  return count == 1 ? "1 personality was left out of the cache:"
                    : std::to_string(count) + " personalities were left out of the cache:";
}

}  // namespace hoardwright::ui
