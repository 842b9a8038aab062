// `check`'s diagnosis of one personality file, and both builds of a small directory made of
// fuzzed personality files, with the cache each build writes read back by the inspector that
// `inspect` uses.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzEntries.h"
#include "catalogue/CacheListing.h"
#include "check/CheckOutput.h"
#include "check/PersonalityCheck.h"
#include "extended/ExtendedBuild.h"
#include "extended/PersonalityConversion.h"
#include "inspect/CacheInspector.h"
#include "inspect/RecordWalker.h"
#include "personality/KeywordReaders.h"
#include "standard/BuildHost.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardBuild.h"
#include "standard/StandardCacheLayout.h"
#include "support/Platform.h"
#include "support/TemporaryDirectory.h"

namespace hoardwright::fuzz {
namespace {

std::string Text(Bytes data) { return std::string(data.begin(), data.end()); }

const catalogue::ManufacturerMap& Manufacturers() {
  static const catalogue::ManufacturerMap manufacturers = catalogue::LoadManufacturerMap();
  return manufacturers;
}

bool HasLeftOut(const check::FileCheck& check, bool standard) {
  return std::ranges::any_of(check.items, [&](const check::CheckItem& item) {
    return item.finding.severity == check::Finding::Severity::LeftOut &&
           (standard ? item.standard : item.extended);
  });
}

// The standard build's record of a file: DEVICE, then the compiler with every table.
std::optional<std::vector<std::uint8_t>> StandardRecord(const std::string& bytes) {
  personality::LineStream stream(bytes, personality::LineMode::Text);
  support::SilentReporter silent;
  std::array<std::uint8_t, standard::kDeviceFieldSize> device{};
  personality::OutputCursor deviceCursor(device);
  if (!personality::ReadDevice(stream, deviceCursor, silent)) return std::nullopt;
  std::vector<std::uint8_t> block(standard::kBlockBufferSize);
  personality::OutputCursor cursor(block);
  if (!standard::CompilePersonality(stream, cursor, standard::TableOptions{}, silent))
    return std::nullopt;
  block.resize(cursor.Position());
  return block;
}

// Both builds' inputs live here, made once for the process.
struct BuildDirectories {
  std::optional<support::TemporaryDirectory> input = support::TemporaryDirectory::Create();
  std::optional<support::TemporaryDirectory> output = support::TemporaryDirectory::Create();
};

const BuildDirectories& Directories() {
  static const BuildDirectories directories;
  Check(directories.input && directories.output, "the build directories exist");
  return directories;
}

// The fuzzed bytes as up to kMaxFiles personality files, split at a marker line; the files of
// the previous input are replaced.
constexpr std::size_t kMaxFiles = 4;
constexpr std::string_view kFileMarker = "\n====\n";

std::string WriteFiles(Bytes data) {
  const std::string directory = Directories().input->Path().string() + "/";
  const std::string text = Text(data);
  std::size_t start = 0;
  for (std::size_t file = 0; file < kMaxFiles; ++file) {
    const std::string path = directory + "ABFUZZ" + std::to_string(file) + ".QPF";
    if (start > text.size()) {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
      continue;
    }
    const std::size_t end = file + 1 == kMaxFiles ? std::string::npos : text.find(kFileMarker, start);
    const std::string content = text.substr(start, end == std::string::npos ? end : end - start);
    start = end == std::string::npos ? text.size() + 1 : end + kFileMarker.size();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    Check(out != nullptr, "a personality file can be written");
    Check(std::fwrite(content.data(), 1, content.size(), out) == content.size(), "written whole");
    std::fclose(out);
  }
  return directory;
}

class SilentHost : public standard::WindowlessBuildHost {
 public:
  void ShowMessage(std::string_view, std::string_view) override {}
};

const support::CalendarTime kTime{2026, 12, 5, 14, 32, 10};

// A cache a build reports written must inspect intact.
std::size_t InspectWritten(const std::filesystem::path& path) {
  std::FILE* in = hoardwright::support::OpenFile(path, "rb");
  Check(in != nullptr, "the written cache can be read");
  std::vector<std::uint8_t> bytes;
  std::array<std::uint8_t, 65536> chunk{};
  for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0;) {
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
  }
  std::fclose(in);
  const inspect::InspectReport report = inspect::InspectCache(bytes, path.string());
  Check(!report.Damaged(), "a cache the build wrote inspects intact");
  const auto& views = report.standard ? report.standard->personalities
                                      : report.extended->personalities;
  return static_cast<std::size_t>(std::ranges::count_if(
      views, [](const inspect::PersonalityView& view) { return view.length > 0; }));
}

void Build(Bytes data, bool standard) {
  const std::string directory = WriteFiles(data);
  support::SilentReporter silent;
  const catalogue::CacheListing listing =
      catalogue::ListCacheEntries({directory}, Manufacturers(), silent);
  const std::vector<check::FileCheck> checks = check::CheckPaths({directory});
  const auto checkedIn =
      static_cast<std::size_t>(std::ranges::count_if(checks, [&](const check::FileCheck& check) {
        return standard ? check.standard : check.extended;
      }));

  catalogue::BuildRequest request;
  request.entries = listing.cacheList.FilePaths();
  request.outputDir = Directories().output->Path().string() + "/";
  request.unattended = true;
  if (standard) {
    SilentHost host;
    standard::StandardBuildOptions options;
    options.buildTime = kTime;
    options.jobs = 1;
    const standard::StandardBuildResult result =
        standard::BuildStandardCache(request, host, options);
    if (!result.cacheWritten) {
      Check(checkedIn == 0, "check builds nothing into a standard cache that is not written");
      return;
    }
    // The info personality is the first record.
    Check(InspectWritten(result.outputPath) == result.recordCount, "every record has its block");
    Check(result.recordCount == checkedIn + (result.infoIncluded ? 1 : 0),
          "check counts the personalities the standard build wrote");
  } else {
    request.cacheType = catalogue::CacheType::Extended;
    extended::ExtendedBuildOptions options;
    options.time = kTime;
    options.jobs = 1;
    const extended::ExtendedBuildResult result =
        extended::BuildExtendedCache(request, silent, options);
    if (!result.Written()) {
      Check(checkedIn == 0, "check builds nothing into an extended cache that is not written");
      return;
    }
    const std::size_t withData = InspectWritten(result.outputPath);
    Check(withData == request.entries.size() - result.leftOut.size(),
          "the personalities not left out have their data");
    Check(withData == checkedIn, "check counts the personalities the extended build wrote");
  }
}

}  // namespace

void CheckPersonality(Bytes data) {
  const std::string path = "ABFUZZ.QPF";
  const support::InputFile file{Text(data), {}};
  support::SilentReporter silent;
  const auto entry = catalogue::EntryFromBytes(path, file.bytes, Manufacturers(), silent);
  const check::FileCheck check =
      check::CheckPersonalityFile(path, file, entry ? &*entry : nullptr, Manufacturers());

  // The verdicts are the builds': the standard record compiles and reads back...
  const auto record = entry ? StandardRecord(file.bytes) : std::nullopt;
  Check(check.standard == record.has_value(), "check's standard verdict is the compiler's");
  if (record) {
    Check(record->size() <= standard::kMaxBlockLength, "the record fits its index record");
    Check(!inspect::WalkPersonalityRecord(*record).fault, "a compiled record reads back");
  }
  // ...and so does the extended binary form, given the NAME line's two fields.
  personality::LineStream binary(file.bytes, personality::LineMode::Binary);
  std::vector<std::uint8_t> form;
  const bool converted = extended::ConvertPersonality(binary, form, silent);
  if (converted) Check(!inspect::WalkPersonalityRecord(form).fault, "a binary form reads back");
  personality::LineStream names(file.bytes, personality::LineMode::Text);
  const auto maker = personality::ReadNameFirst(names, silent);
  names.Rewind();
  const auto fixture = personality::ReadNameSecond(names, silent);
  const bool named = maker && !maker->empty() && fixture && !fixture->empty();
  Check(check.extended == (entry && named && converted),
        "check's extended verdict is the NAME readers' and the conversion's");
  Check(check.standard || HasLeftOut(check, true), "a standard refusal says why");
  Check(check.extended || HasLeftOut(check, false), "an extended refusal says why");

  std::ostringstream text;
  check::WriteCheckText({check}, text);
  Check(std::ranges::none_of(text.str(), [](char c) {
          const auto byte = static_cast<unsigned char>(c);
          return (byte < 0x20 && c != '\n') || byte == 0x7F;
        }),
        "the report holds no control character but its line ends");
  Check(!check::CheckJson({check}).dump().empty(), "the JSON report says something");
}

void BuildStandard(Bytes data) { Build(data, true); }

void BuildExtended(Bytes data) { Build(data, false); }

}  // namespace hoardwright::fuzz
