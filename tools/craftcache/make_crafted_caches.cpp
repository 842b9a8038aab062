// hoardwright-craft-caches hostile DIR: the hostile caches scripts/bench-inspect measures, each at
//   most about 10 MB.
// hoardwright-craft-caches seeds DIR PERSONALITY... : small caches of both kinds for the fuzzers
//   to start from, each personality compiled as the builds compile it, with a shape library of
//   one pattern and one shape (std-N.CMP and ext-N.CMP for the first N personalities).
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "CraftedCaches.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardCacheLayout.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"
#include "personality/ShapeLibraryReader.h"
#include "support/EmbeddedResources.h"

namespace {

namespace fs = std::filesystem;
namespace crafted = hoardwright::crafted;
using crafted::Bytes;
using namespace hoardwright;

bool Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.string().c_str());
    return false;
  }
  std::printf("%-28s %10zu bytes\n", path.filename().string().c_str(), bytes.size());
  return true;
}

bool Hostile(const fs::path& dir) {
  constexpr std::size_t kBlock = standard::kMaxBlockLength;
  constexpr std::size_t kForm = extended::kPersonalityWorkBufferSize;
  const Bytes lines = crafted::RecordOfEmptyLines(kBlock);
  const Bytes rows = crafted::RecordOfEmptyRows(kBlock);
  const Bytes formLines = crafted::RecordOfEmptyLines(kForm);
  return Write(dir / "std-shared-lines.CMP", crafted::StandardSharedBlock(65535, lines)) &&
         Write(dir / "std-shared-rows.CMP", crafted::StandardSharedBlock(65535, rows)) &&
         Write(dir / "std-repeated-lines.CMP", crafted::StandardRepeated(1200, lines)) &&
         Write(dir / "std-repeated-rows.CMP", crafted::StandardRepeated(1200, rows)) &&
         Write(dir / "ext-shared-huge-form.CMP",
               crafted::ExtendedSharedForm(2000, crafted::RecordOfEmptyLines(101 * kForm))) &&
         Write(dir / "ext-shared-form.CMP", crafted::ExtendedSharedForm(2000, formLines)) &&
         Write(dir / "ext-shared-group.CMP", crafted::ExtendedSharedGroupBlock(2000, formLines, 101)) &&
         Write(dir / "ext-repeated-lines.CMP", crafted::ExtendedRepeated(790, formLines));
}

// The embedded shape library up to the end of its first shape: its first pattern and shape.
std::string FirstShapeText() {
  const auto bytes = support::ShapeLibraryText();
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  std::string head;
  bool keep = true;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size() - 1) + 1;
    const std::string_view line = text.substr(at, end - at);
    at = end;
    // Patterns after the first are left out; the text ends with the first shape's SEND.
    if (line.starts_with("PATTERN") && head.find("PEND") != std::string::npos) keep = false;
    if (line.starts_with("SHAPE")) keep = true;
    if (keep) head += line;
    if (line.starts_with("SEND")) break;
  }
  return head;
}

bool Seeds(const fs::path& dir, const std::vector<std::string>& personalities) {
  support::SilentReporter silent;
  const std::string shapeText = FirstShapeText();
  Bytes standardShapes(standard::kBlockBufferSize);
  personality::LineStream shapeStream(shapeText, personality::LineMode::Text);
  personality::OutputCursor shapeCursor(standardShapes);
  Bytes extendedShapes;
  personality::LineStream binaryShapes(shapeText, personality::LineMode::Binary);
  if (!personality::ReadShapeLibrary(shapeStream, shapeCursor, silent) ||
      !extended::CompileShapeLibrary(binaryShapes, extendedShapes)) {
    std::fprintf(stderr, "the shape library does not compile\n");
    return false;
  }
  standardShapes.resize(shapeCursor.Position());

  std::vector<Bytes> records;
  std::vector<Bytes> forms;
  for (const std::string& path : personalities) {
    auto text = personality::LineStream::Open(path, personality::LineMode::Text);
    auto binary = personality::LineStream::Open(path, personality::LineMode::Binary);
    std::array<std::uint8_t, standard::kDeviceFieldSize> device{};
    personality::OutputCursor deviceCursor(device);
    Bytes record(standard::kBlockBufferSize);
    personality::OutputCursor cursor(record);
    Bytes form;
    if (!text || !binary || !personality::ReadDevice(*text, deviceCursor, silent) ||
        !standard::CompilePersonality(*text, cursor, standard::TableOptions{}, silent) ||
        !extended::ConvertPersonality(*binary, form, silent)) {
      std::fprintf(stderr, "%s does not compile\n", path.c_str());
      return false;
    }
    record.resize(cursor.Position());
    records.push_back(std::move(record));
    forms.push_back(std::move(form));
    const std::string count = std::to_string(records.size());
    if (!Write(dir / ("std-" + count + ".CMP"), crafted::StandardCache(records, standardShapes)) ||
        !Write(dir / ("ext-" + count + ".CMP"), crafted::ExtendedCache(forms, extendedShapes))) {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() < 2 || (arguments[0] != "hostile" && arguments[0] != "seeds")) {
    std::fprintf(stderr,
                 "usage: hoardwright-craft-caches hostile DIR\n"
                 "       hoardwright-craft-caches seeds DIR PERSONALITY...\n");
    return 1;
  }
  const fs::path dir = arguments[1];
  std::filesystem::create_directories(dir);
  const bool ok = arguments[0] == "hostile"
                      ? Hostile(dir)
                      : Seeds(dir, std::vector(arguments.begin() + 2, arguments.end()));
  return ok ? 0 : 1;
}
