#include "check/LeftOutReasons.h"

#include "catalogue/PersonalityScan.h"
#include "check/PersonalityCheck.h"
#include "support/InputFile.h"
#include "support/Platform.h"

namespace hoardwright::check {
namespace {

constexpr const char* kNoDevice = "no DEVICE line";
constexpr const char* kNotCompiled = "the record could not be compiled";

std::string CompileFailure(const std::string& path,
                           const catalogue::ManufacturerMap& manufacturers) {
  const support::InputFile file =
      support::ReadInputFile(support::ToPath(path), support::kMaxPersonalityFileSize);
  if (!file.Read()) return file.refusal;
  support::SilentReporter silent;
  const auto entry = catalogue::EntryFromBytes(path, file.bytes, manufacturers, silent);
  if (!entry) return kNoDevice;
  const FileCheck check = CheckPersonalityFile(path, file, &*entry, manufacturers);
  for (const CheckItem& item : check.items) {
    const Finding& finding = item.finding;
    if (finding.severity != Finding::Severity::LeftOut || !item.standard) continue;
    std::string text;
    if (finding.line > 0) text = "line " + std::to_string(finding.line);
    if (finding.column > 0) text += ", column " + std::to_string(finding.column);
    return text.empty() ? finding.message : text + ": " + finding.message;
  }
  // Left out with fewer tables than check includes, or changed since the build.
  return kNotCompiled;
}

}  // namespace

std::vector<LeftOutLine> DescribeLeftOut(const std::vector<standard::LeftOutPersonality>& leftOut,
                                         const catalogue::ManufacturerMap& manufacturers) {
  std::vector<LeftOutLine> lines;
  lines.reserve(leftOut.size());
  for (const standard::LeftOutPersonality& item : leftOut) {
    std::string reason;
    switch (item.reason) {
      case standard::LeftOutReason::Unreadable: {
        reason = support::InputFileRefusal(item.path);
        if (reason.empty()) reason = "the file could not be read";
        break;
      }
      case standard::LeftOutReason::NoDevice:
        reason = kNoDevice;
        break;
      case standard::LeftOutReason::CompileFailed:
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

}  // namespace hoardwright::check
