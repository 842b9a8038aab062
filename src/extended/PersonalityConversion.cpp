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

using personality::compiled::kNoMirror;
constexpr std::uint8_t kRecordEnd = personality::compiled::kEndOfRecord;
constexpr std::size_t kBlockLineLimit = 120;

using BlockReader = bool (*)(personality::LineStream&, personality::OutputCursor&,
                             support::Reporter&, std::string_view, std::string_view, std::size_t,
                             personality::SectionMode);

// Reads every block of one family (ATTR, RANGE, ...). A block reader fails either because no
// further block follows, which ends the family, or because the block did not fit the buffer; a
// start line still ahead tells the second case, which fails the conversion.
bool ReadFamily(personality::LineStream& input, personality::OutputCursor& cursor,
                support::Reporter& reporter, BlockReader reader, std::string_view start,
                std::string_view end) {
  for (;;) {
    const std::size_t before = input.Tell();
    if (reader(input, cursor, reporter, start, end, kBlockLineLimit,
               personality::SectionMode::Block))
      continue;
    input.Seek(before);
    support::SilentReporter silent;
    return !personality::FindKeyword(input, start, personality::KeywordSearch::Silent, silent)
                .has_value();
  }
}

bool Convert(personality::LineStream& input, personality::OutputCursor& cursor,
             support::Reporter& reporter) {
  if (!personality::ReadType(input, cursor, reporter)) return false;
  // The fixed sections follow TYPE (and MIRROR); the families are collected from here on.
  const std::size_t afterType = input.Tell();

  const std::size_t mirrorAt = cursor.Position();
  if (!personality::ReadMirror(input, cursor, reporter)) {
    static constexpr std::array<std::uint8_t, personality::compiled::kMirrorFillerBytes> kFiller{};
    if (!cursor.SetPosition(mirrorAt) || !cursor.PutByte(kNoMirror) || !cursor.PutBytes(kFiller)) {
      return false;
    }
    input.Seek(afterType);
  }
  if (!personality::ReadTextSection(input, cursor, reporter, "DEVICEADDRESS", "DAEND", 159,
                                    personality::SectionMode::Section) ||
      !personality::ReadDmxLimits(input, cursor, reporter) ||
      !personality::ReadDmxTable(input, cursor, reporter) ||
      !personality::ReadTextSection(input, cursor, reporter, "TEXT", "END", 21,
                                    personality::SectionMode::Section)) {
    return false;
  }

  // The extended cache keeps no table index entries, only the index's end byte. With both
  // families excluded the index can fail only for want of room.
  input.Seek(afterType);
  if (!personality::WriteTableIndex(input, cursor, reporter, true, true)) return false;

  const struct {
    BlockReader reader;
    std::string_view start;
    std::string_view end;
  } families[] = {
      {personality::ReadTextSection, "ATTR", "END"},
      {personality::ReadCompactBlock, "RANGE", "REND"},
      {personality::ReadCompactBlock, "PFTABLE", "PFEND"},
      {personality::ReadCompactBlock, "MACRO", "MEND"},
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

bool ConvertPersonality(personality::LineStream& input, std::vector<std::uint8_t>& output,
                        support::Reporter& reporter, personality::RecordRefusal* refusal) {
  std::vector<std::uint8_t> buffer;
  try {
    buffer.resize(kPersonalityWorkBufferSize);
  } catch (const std::bad_alloc&) {
    return false;
  }
  personality::OutputCursor cursor(buffer);
  if (!Convert(input, cursor, reporter)) {
    if (refusal != nullptr && cursor.Overflowed()) {
      *refusal = cursor.Refusal().value_or(personality::RecordRefusal{
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
