#include "extended/PersonalityConversion.h"

#include <array>
#include <new>
#include <string>
#include <string_view>

#include "personality/CompiledLayout.h"
#include "personality/KeywordReaders.h"
#include "personality/LineHelpers.h"
#include "personality/OutputCursor.h"

namespace hoardwright::extended {
namespace {

using compiled::kNoMirror;
constexpr std::uint8_t kRecordEnd = compiled::kEndOfRecord;
constexpr std::size_t kBlockLineLimit = 120;

using BlockReader = bool (*)(LineStream&, OutputCursor&, Reporter&, std::string_view,
                             std::string_view, std::size_t, SectionMode);

// Reads every block of one family (ATTR, RANGE, ...). A block reader fails either because no
// further block follows, which ends the family, or because the block did not fit the buffer; a
// start line still ahead tells the second case, which fails the conversion.
bool ReadFamily(LineStream& input, OutputCursor& cursor, Reporter& reporter, BlockReader reader,
                std::string_view start, std::string_view end) {
  for (;;) {
    const std::size_t before = input.Tell();
    if (reader(input, cursor, reporter, start, end, kBlockLineLimit, SectionMode::Block)) continue;
    input.Seek(before);
    SilentReporter silent;
    return !FindKeyword(input, start, KeywordSearch::Silent, silent).has_value();
  }
}

bool Convert(LineStream& input, OutputCursor& cursor, Reporter& reporter) {
  if (!ReadType(input, cursor, reporter)) return false;
  // The fixed sections follow TYPE (and MIRROR); the families are collected from here on.
  const std::size_t afterType = input.Tell();

  const std::size_t mirrorAt = cursor.Position();
  if (!ReadMirror(input, cursor, reporter)) {
    static constexpr std::array<std::uint8_t, compiled::kMirrorFillerBytes> kFiller{};
    if (!cursor.SetPosition(mirrorAt) || !cursor.PutByte(kNoMirror) || !cursor.PutBytes(kFiller)) {
      return false;
    }
    input.Seek(afterType);
  }
  if (!ReadTextSection(input, cursor, reporter, "DEVICEADDRESS", "DAEND", 159,
                       SectionMode::Section) ||
      !ReadDmxLimits(input, cursor, reporter) || !ReadDmxTable(input, cursor, reporter) ||
      !ReadTextSection(input, cursor, reporter, "TEXT", "END", 21, SectionMode::Section)) {
    return false;
  }

  // The extended cache keeps no table index entries, only the index's end byte. With both
  // families excluded the index can fail only for want of room.
  input.Seek(afterType);
  if (!WriteTableIndex(input, cursor, reporter, true, true)) return false;

  const struct {
    BlockReader reader;
    std::string_view start;
    std::string_view end;
  } families[] = {
      {ReadTextSection, "ATTR", "END"},
      {ReadCompactBlock, "RANGE", "REND"},
      {ReadCompactBlock, "PFTABLE", "PFEND"},
      {ReadCompactBlock, "MACRO", "MEND"},
  };
  for (const auto& family : families) {
    input.Seek(afterType);
    if (!ReadFamily(input, cursor, reporter, family.reader, family.start, family.end)) {
      return false;
    }
  }
  input.Seek(afterType);
  return cursor.PutByte(kRecordEnd);
}

}  // namespace

bool ConvertPersonality(LineStream& input, std::vector<std::uint8_t>& output, Reporter& reporter,
                        RecordRefusal* refusal) {
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(kPersonalityWorkBufferSize);
  } catch (const std::bad_alloc&) {
    return false;
  }
  OutputCursor cursor(buffer);
  if (!Convert(input, cursor, reporter)) {
    if (refusal != nullptr && cursor.Overflowed()) {
      *refusal = cursor.Refusal().value_or(RecordRefusal{
          0, "the binary form would be over its " + std::to_string(kPersonalityWorkBufferSize) +
                 "-byte work buffer"});
    }
    return false;
  }
  const auto binaryForm = cursor.Written();
  output.insert(output.end(), binaryForm.begin(), binaryForm.end());
  return true;
}

}  // namespace hoardwright::extended
