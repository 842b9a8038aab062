// `hoardwright inspect --extract` over damaged caches, into a directory someone has planted links
// in: nothing may be written outside it, and no more than twice the data the file decodes to.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "FuzzEntries.h"
#include "support/TemporaryDirectory.h"
#include "inspect/CacheInspector.h"
#include "inspect/InspectExtract.h"

namespace hoardwright::fuzz {
namespace {

namespace fs = std::filesystem;

// Names the extraction writes, each planted as a link to a file outside (or to one that is not
// there, which a write through the link would create).
constexpr const char* kPlanted[] = {"stream.bin", "shape-library.bin", "group-05.bin",
                                    "personality-0000.bin", "personality-0001.bin"};
constexpr std::string_view kOutsideText = "outside: never written";

// One private directory for the process: `parts` is extracted into, `outside` must stay as it is.
class ExtractPlace {
 public:
  ExtractPlace() : root_(support::TemporaryDirectory::Create()) {
    Check(root_.has_value(), "a private temporary directory");
    fs::create_directories(Outside());
    std::ofstream(Outside() / "target.bin", std::ios::binary) << kOutsideText;
  }

  fs::path Parts() const { return root_->Path() / "parts"; }
  fs::path Outside() const { return root_->Path() / "outside"; }

  // Empties the extraction directory and plants the links again.
  void Reset() const {
    std::error_code ignored;
    fs::remove_all(Parts(), ignored);
    fs::create_directories(Parts());
#ifndef _WIN32
    // MinGW's std::filesystem makes no symbolic links (and Windows wants a privilege for them):
    // there the extraction runs into an empty directory.
    for (std::size_t i = 0; i < std::size(kPlanted); ++i) {
      const fs::path target = i % 2 == 0 ? Outside() / "target.bin" : Outside() / "absent.bin";
      fs::create_symlink(target, Parts() / kPlanted[i]);
    }
#endif
  }

  void CheckOutsideUntouched() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_->Path())) {
      names.push_back(entry.path().filename().string());
    }
    Check(names.size() == 2, "nothing is made beside the extraction directory");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(Outside())) {
      ++files;
      Check(entry.path().filename() == "target.bin", "nothing is made in the outside directory");
    }
    Check(files == 1, "the outside file is still there");
    std::ifstream in(Outside() / "target.bin", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Check(text == kOutsideText, "the outside file is never written through a link");
  }

 private:
  std::optional<support::TemporaryDirectory> root_;
};

std::uint64_t DecodedBytes(const inspect::InspectReport& report) {
  if (report.standard) return report.standard->stream ? report.standard->stream->data.size() : 0;
  std::uint64_t total = report.extended->shapeUnit ? report.extended->shapeUnit->data.size() : 0;
  for (const auto& group : report.extended->groups) total += group.unit ? group.unit->data.size() : 0;
  return total;
}

}  // namespace

void InspectExtract(Bytes data) {
  // Made once per process: making a directory per input would cost more than the extraction.
  if (!InspectInputFits(data)) return;
  static const ExtractPlace place;
  place.Reset();
  const inspect::InspectReport report = inspect::InspectCache(data, "fuzz.CMP");
  std::string error;
  const auto names = inspect::ExtractInspected(report, place.Parts(), &error);
  Check(names.has_value(), "extraction into a private directory succeeds");

  std::uint64_t written = 0;
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(place.Parts())) {
    if (entry.is_symlink()) continue;  // a planted link nothing was extracted to
    Check(entry.is_regular_file(), "only files are extracted");
    written += entry.file_size();
    ++files;
  }
  Check(files == names->size(), "every file left is one the extraction names: no temporaries");
  Check(written <= 2 * DecodedBytes(report), "at most twice the decoded data is written");
  place.CheckOutsideUntouched();
}

}  // namespace hoardwright::fuzz
