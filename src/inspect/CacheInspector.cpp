#include "inspect/CacheInspector.h"

#include <algorithm>

namespace hoardwright::inspect {

bool IsExtendedCache(std::span<const std::uint8_t> file) {
  return file.size() >= extended::kMagic.size() &&
         std::equal(extended::kMagic.begin(), extended::kMagic.end(), file.begin());
}

InspectReport InspectCache(std::span<const std::uint8_t> file, std::string path) {
  InspectReport report;
  report.path = std::move(path);
  report.fileSize = file.size();
  if (IsExtendedCache(file)) {
    report.kind = CacheKind::Extended;
    InspectExtendedCache(file, report);
  } else {
    report.kind = CacheKind::Standard;
    InspectStandardCache(file, report);
  }
  return report;
}

std::optional<std::span<const std::uint8_t>> RecordBytes(const InspectReport& report,
                                                         const PersonalityView& personality) {
  if (personality.access != RecordAccess::Walked) return std::nullopt;
  const std::vector<std::uint8_t>* data = nullptr;
  if (report.standard && report.standard->stream) {
    data = &report.standard->stream->data;
  } else if (report.extended) {
    for (const GroupBlock& group : report.extended->groups) {
      if (group.number == personality.group && group.unit) data = &group.unit->data;
    }
  }
  if (data == nullptr || personality.offset > data->size() ||
      personality.length > data->size() - personality.offset) {
    return std::nullopt;
  }
  return std::span(*data).subspan(personality.offset, personality.length);
}

std::optional<FieldWarning> TextFieldWarning(std::span<const std::uint8_t> field,
                                             std::size_t longest, std::string_view name) {
  const std::size_t length =
      static_cast<std::size_t>(std::ranges::find(field, std::uint8_t{0}) - field.begin());
  if (length > longest) {
    return FieldWarning{longest, "the " + std::string(name) + " field holds " +
                                     std::to_string(length) + " characters" +
                                     (length == field.size() ? " and no NUL" : "") +
                                     "; a build writes at most " + std::to_string(longest)};
  }
  const auto rest = field.subspan(length);
  const auto stray = std::ranges::find_if(rest, [](std::uint8_t byte) { return byte != 0; });
  if (stray == rest.end()) return std::nullopt;
  const auto count = std::ranges::count_if(rest, [](std::uint8_t byte) { return byte != 0; });
  return FieldWarning{length + static_cast<std::size_t>(stray - rest.begin()),
                      "the " + std::string(name) + " field holds " + std::to_string(count) +
                          (count == 1 ? " byte" : " bytes") +
                          " other than 0 after its text, where a build writes zeros"};
}

}  // namespace hoardwright::inspect
