#include "inspect/ShapeLibraryWalker.h"

#include <algorithm>

#include "inspect/ByteReader.h"
#include "personality/CompiledLayout.h"

namespace hoardwright::inspect {
namespace {

class Walk {
 public:
  explicit Walk(std::span<const std::uint8_t> bytes) : reader_(bytes) {
    result_.library.size = bytes.size();
  }

  ShapeLibraryWalk Run() {
    for (;;) {
      const std::size_t at = reader_.Position();
      const auto tag = reader_.Byte();
      if (!tag) return Fail(at, "the library ends without its end byte 0xFF");
      if (*tag == personality::compiled::kLibraryEnd) {
        if (!reader_.AtEnd())
          return Fail(reader_.Position(), "bytes follow the library's end byte");
        result_.library.endByte = true;
        return std::move(result_);
      }
      bool ok = false;
      if (*tag == personality::compiled::kPatternTag) {
        ok = Pattern(at);
      } else if (*tag == personality::compiled::kShapeTag) {
        ok = Shape(at);
      } else {
        return Fail(at, "an entry starts with neither 0xFE (pattern) nor 0xFD (shape)");
      }
      if (!ok) return std::move(result_);
      if (ended_) return std::move(result_);
    }
  }

 private:
  ShapeLibraryWalk Fail(std::size_t offset, std::string message) {
    result_.fault = ShapeLibraryFault{offset, std::move(message)};
    return std::move(result_);
  }
  bool Stop(std::size_t offset, std::string message) {
    result_.fault = ShapeLibraryFault{offset, std::move(message)};
    return false;
  }

  bool Pattern(std::size_t at) {
    const std::string what = "pattern " + std::to_string(result_.library.patterns.size() + 1);
    PatternEntry entry;
    entry.offset = at;
    const auto columns = reader_.Byte();
    const auto count = reader_.Byte();
    auto name = columns && count ? reader_.String() : std::nullopt;
    if (!name) return Stop(at, "the library ends inside " + what);
    entry.columns = *columns;
    entry.name = std::move(*name);
    for (int i = 0; i < *count; ++i) {
      const auto value = reader_.Word();
      if (!value)
        return Stop(at,
                    "the library ends inside the values of " + what + " \"" + entry.name + "\"");
      entry.values.push_back(*value);
    }
    const auto end = reader_.Peek();
    if (!end) return Stop(at, "the library ends inside " + what + " \"" + entry.name + "\"");
    if (*end == personality::compiled::kEndedByPend ||
        *end == personality::compiled::kEndedByPend16) {
      entry.endKind = *end;
      reader_.Byte();
    } else if (*end == personality::compiled::kLibraryEnd && reader_.Remaining() == 1) {
      // The text ended inside the pattern: no end byte, then the library's end.
      reader_.Byte();
      result_.library.endByte = true;
      ended_ = true;
    } else {
      return Stop(reader_.Position(), "the end byte of " + what + " \"" + entry.name +
                                          "\" is neither 0x00 (PEND) nor 0x01 (PEND16)");
    }
    result_.library.patterns.push_back(std::move(entry));
    return true;
  }

  bool Shape(std::size_t at) {
    const std::string what = "shape " + std::to_string(result_.library.shapes.size() + 1);
    ShapeEntry entry;
    entry.offset = at;
    const auto steps = reader_.Byte();
    auto name = steps ? reader_.String() : std::nullopt;
    auto pattern = name ? reader_.String() : std::nullopt;
    if (!pattern) return Stop(at, "the library ends inside " + what);
    entry.name = std::move(*name);
    entry.pattern = std::move(*pattern);
    for (int i = 0; i < *steps; ++i) {
      const auto step = reader_.Bytes(personality::compiled::kStepValues);
      if (!step) {
        return Stop(at, "the library ends inside step " + std::to_string(i + 1) + " of " + what +
                            " \"" + entry.name + "\"");
      }
      std::array<std::uint8_t, personality::compiled::kStepValues> values{};
      std::ranges::copy(*step, values.begin());
      entry.steps.push_back(values);
    }
    result_.library.shapes.push_back(std::move(entry));
    return true;
  }

  ByteReader reader_;
  ShapeLibraryWalk result_;
  bool ended_ = false;
};

}  // namespace

ShapeLibraryWalk WalkShapeLibrary(std::span<const std::uint8_t> bytes) {
  return Walk(bytes).Run();
}

}  // namespace hoardwright::inspect
