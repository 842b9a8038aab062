// Personalities and shape libraries as the builds and the directory scan read them.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "FuzzEntries.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardCacheLayout.h"
#include "extended/PersonalityConversion.h"
#include "extended/ShapeConversion.h"
#include "personality/KeywordReaders.h"
#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"
#include "personality/ShapeLibraryReader.h"

namespace hoardwright::fuzz {
namespace {

std::string Text(Bytes data) { return std::string(data.begin(), data.end()); }

// A marker in front of the output vectors: a failed conversion must append nothing.
constexpr std::array<std::uint8_t, 3> kMarker{0xA5, 0x5A, 0xC3};

}  // namespace

void StandardRecord(Bytes data) {
  if (data.empty()) return;
  const standard::TableOptions options{(data[0] & 1) == 0, (data[0] & 2) == 0, (data[0] & 4) == 0};
  personality::LineStream stream(Text(data.subspan(1)), personality::LineMode::Text);
  support::SilentReporter reporter;

  std::array<std::uint8_t, standard::kDeviceFieldSize> deviceField{};
  personality::OutputCursor deviceCursor(deviceField);
  if (!personality::ReadDevice(stream, deviceCursor, reporter)) return;
  Check(deviceCursor.Position() > 0 && deviceField[deviceCursor.Position() - 1] == 0,
        "the device text ends with its NUL");

  std::vector<std::uint8_t> block(standard::kBlockBufferSize, 0);
  personality::OutputCursor cursor(block);
  const bool compiled = standard::CompilePersonality(stream, cursor, options, reporter);
  Check(cursor.Position() <= block.size(), "the record stays in the block buffer");
  if (compiled) Check(cursor.Position() <= 0xFFFF, "a compiled record fits its 16-bit length");
}

void ExtendedPersonality(Bytes data) {
  personality::LineStream stream(Text(data), personality::LineMode::Binary);
  support::SilentReporter reporter;
  std::vector<std::uint8_t> output(kMarker.begin(), kMarker.end());
  const bool converted = extended::ConvertPersonality(stream, output, reporter);
  Check(std::equal(kMarker.begin(), kMarker.end(), output.begin()), "earlier output untouched");
  if (!converted) {
    Check(output.size() == kMarker.size(), "a failed conversion appends nothing");
  } else {
    Check(output.size() > kMarker.size() && output.back() == 0xFC,
          "a converted personality ends in 0xFC");
  }
}

void ShapeLibrary(Bytes data) {
  personality::LineStream stream(Text(data), personality::LineMode::Text);
  support::SilentReporter reporter;
  std::vector<std::uint8_t> block(standard::kBlockBufferSize, 0);
  personality::OutputCursor cursor(block);
  personality::ReadShapeLibrary(stream, cursor, reporter);
  Check(cursor.Position() <= block.size(), "the library stays in the block buffer");
}

void ExtendedShapeLibrary(Bytes data) {
  personality::LineStream stream(Text(data), personality::LineMode::Binary);
  std::vector<std::uint8_t> output(kMarker.begin(), kMarker.end());
  const bool compiled = extended::CompileShapeLibrary(stream, output);
  Check(std::equal(kMarker.begin(), kMarker.end(), output.begin()), "earlier output untouched");
  if (!compiled) {
    Check(output.size() == kMarker.size(), "a failed compile appends nothing");
  } else {
    Check(output.size() > kMarker.size() && output.back() == 0xFF,
          "a compiled library ends in 0xFF");
  }
}

void DeviceText(Bytes data) {
  personality::LineStream stream(Text(data), personality::LineMode::Text);
  support::SilentReporter reporter;
  // The scan's buffer: at most 80 characters and their NUL.
  std::array<std::uint8_t, 81> buffer{};
  personality::OutputCursor cursor(buffer);
  if (!personality::ReadDevice(stream, cursor, reporter)) return;
  const auto nul = std::find(buffer.begin(), buffer.end(), 0);
  Check(nul != buffer.end(), "the device text is NUL-terminated within 81 bytes");
  Check(static_cast<std::size_t>(nul - buffer.begin()) + 1 == cursor.Position(),
        "the cursor stands just past the device text's NUL");
}

}  // namespace hoardwright::fuzz
