// hoardwright-hostile-caches DIR: writes the hostile caches scripts/bench-inspect measures, each
// at most about 10 MB, and prints their names and sizes.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "HostileCaches.h"
#include "extended/PersonalityConversion.h"

namespace {

using hoardwright::hostile::Bytes;
namespace hostile = hoardwright::hostile;

bool Write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return false;
  }
  std::printf("%-28s %10zu bytes\n", path.filename().c_str(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: hoardwright-hostile-caches DIR\n");
    return 1;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  constexpr std::size_t kBlock = 65535;  // the longest standard block
  constexpr std::size_t kForm = hoardwright::extended::kPersonalityWorkBufferSize;
  const Bytes lines = hostile::RecordOfEmptyLines(kBlock);
  const Bytes rows = hostile::RecordOfEmptyRows(kBlock);
  const Bytes formLines = hostile::RecordOfEmptyLines(kForm);
  const bool ok =
      Write(dir / "std-shared-lines.CMP", hostile::StandardSharedBlock(65535, lines)) &&
      Write(dir / "std-shared-rows.CMP", hostile::StandardSharedBlock(65535, rows)) &&
      Write(dir / "std-repeated-lines.CMP", hostile::StandardRepeated(1250, lines)) &&
      Write(dir / "std-repeated-rows.CMP", hostile::StandardRepeated(1250, rows)) &&
      Write(dir / "ext-shared-huge-form.CMP",
            hostile::ExtendedSharedForm(2000, hostile::RecordOfEmptyLines(101 * kForm))) &&
      Write(dir / "ext-shared-form.CMP", hostile::ExtendedSharedForm(2000, formLines)) &&
      Write(dir / "ext-shared-group.CMP", hostile::ExtendedSharedGroupBlock(2000, formLines, 101)) &&
      Write(dir / "ext-repeated-lines.CMP", hostile::ExtendedRepeated(800, formLines));
  return ok ? 0 : 1;
}
