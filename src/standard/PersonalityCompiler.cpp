#include "standard/PersonalityCompiler.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "standard/StandardCacheLayout.h"
#include "personality/CompiledLayout.h"
#include "personality/KeywordReaders.h"

namespace hoardwright::standard {
namespace {

using personality::compiled::kEndOfRecord;
using personality::compiled::kMirrorFillerBytes;
using personality::compiled::kNoMirror;
// Body lines of every block keep at most 121 characters.
constexpr std::size_t kBlockLineLimit = 120;

using BlockReader = bool (*)(personality::LineStream&, personality::OutputCursor&,
                             support::Reporter&, std::string_view, std::string_view, std::size_t,
                             personality::SectionMode);

// Reads every block of one family, searching from `start` each time the family begins again.
void ReadFamily(personality::LineStream& stream, personality::OutputCursor& cursor,
                support::Reporter& reporter, BlockReader read, std::string_view first,
                std::string_view last, std::size_t start) {
  while (read(stream, cursor, reporter, first, last, kBlockLineLimit,
              personality::SectionMode::Block)) {
  }
  stream.Seek(start);
}

std::string RecordTooLongReason(const std::string& length) {
  return "the compiled record would be " + length +
         " bytes, over the 65,535 bytes an index record can describe";
}

bool Compile(personality::LineStream& stream, personality::OutputCursor& cursor,
             const TableOptions& options, support::Reporter& reporter) {
  if (!personality::ReadType(stream, cursor, reporter)) return false;
  // Everything after the TYPE line is searched from here.
  const std::size_t afterType = stream.Tell();

  if (!personality::ReadMirror(stream, cursor, reporter)) {
    if (cursor.Overflowed()) return false;
    cursor.PutByte(kNoMirror);
    for (std::size_t i = 0; i < kMirrorFillerBytes; ++i) cursor.PutByte(0);
    stream.Seek(afterType);
  }
  if (!personality::ReadTextSection(stream, cursor, reporter, "DEVICEADDRESS", "DAEND", 159,
                                    personality::SectionMode::Section) ||
      !personality::ReadDmxLimits(stream, cursor, reporter) ||
      !personality::ReadDmxTable(stream, cursor, reporter) ||
      !personality::ReadTextSection(stream, cursor, reporter, "TEXT", "END", 21,
                                    personality::SectionMode::Section)) {
    return false;
  }

  // A preset focus row without a closing quote leaves the index unterminated; the record goes on
  // regardless, as the consoles have always been given it.
  stream.Seek(afterType);
  personality::WriteTableIndex(stream, cursor, reporter, !options.includePresetFocus,
                               !options.includeMacros);
  stream.Seek(afterType);

  ReadFamily(stream, cursor, reporter, personality::ReadTextSection, "ATTR", "END", afterType);
  if (options.includeRangeTables) {
    ReadFamily(stream, cursor, reporter, personality::ReadCompactBlock, "RANGE", "REND", afterType);
  }
  if (options.includePresetFocus) {
    ReadFamily(stream, cursor, reporter, personality::ReadCompactBlock, "PFTABLE", "PFEND",
               afterType);
  }
  if (options.includeMacros) {
    ReadFamily(stream, cursor, reporter, personality::ReadCompactBlock, "MACRO", "MEND", afterType);
  }
  cursor.PutByte(kEndOfRecord);
  stream.Seek(afterType);
  return true;
}

}  // namespace

bool CompilePersonality(personality::LineStream& stream, personality::OutputCursor& cursor,
                        const TableOptions& options, support::Reporter& reporter) {
  const std::size_t recordStart = cursor.Position();
  cursor.ClearOverflow();
  const bool compiled = Compile(stream, cursor, options, reporter);
  // A reader that ran out of room, or refused a count, stops like a family that has ended, so
  // the record is checked once as a whole; a count's reason is kept.
  if (cursor.Overflowed()) {
    return cursor.RefuseRecord(RecordTooLongReason(
        "over " + std::to_string(cursor.Capacity() - recordStart)));
  }
  if (!compiled) return false;
  const std::size_t length = cursor.Position() - recordStart;
  if (length > standard::kMaxBlockLength) {
    return cursor.RefuseRecord(RecordTooLongReason(std::to_string(length)));
  }
  return true;
}

}  // namespace hoardwright::standard
