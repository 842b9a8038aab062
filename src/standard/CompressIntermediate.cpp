#include "standard/CompressIntermediate.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include "lzss/Lzss.h"
#include "support/Platform.h"

namespace hoardwright::standard {

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

CompressionOutcome CompressIntermediate(const std::filesystem::path& input,
                                        const std::filesystem::path& output,
                                        support::WriteFaults* faults) {
  CompressionOutcome outcome;
  const auto bytes = ReadWholeFile(input);
  if (!bytes) {
    outcome.failure = CompressionFailure::CannotRead;
    outcome.failedPath = support::PathText(input);
    return outcome;
  }
  // Quiet: the build shows its own status, and standard output belongs to the caller.
  const std::vector<std::uint8_t> unit = lzss::CompressUnit(*bytes, nullptr);

  std::string error;
  auto file = support::OutputFile::Create(output, &error, faults);
  if (!file || !file->Write(unit) || !file->Close()) {
    outcome.failure = CompressionFailure::CannotWrite;
    outcome.failedPath = support::PathText(output);
    outcome.reason = file ? file->Error() : error;
    // Windows removes no file that is still open.
    file.reset();
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
  }
  return outcome;
}

}  // namespace hoardwright::standard
