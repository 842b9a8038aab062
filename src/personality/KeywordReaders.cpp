#include "personality/KeywordReaders.h"

namespace hoardwright::personality {

bool ReadDevice(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter) {
  const auto rest = FindKeyword(stream, "DEVICE", KeywordSearch::Reported, reporter);
  if (!rest) return false;
  return cursor.PutString(CopyToken(*rest, 0, 80).text);
}

std::optional<std::string> ReadNameFirst(LineStream& stream, support::Reporter& reporter) {
  const auto rest = FindKeyword(stream, "NAME", KeywordSearch::Reported, reporter);
  if (!rest) return std::nullopt;
  return CopyToken(*rest, 0, 300).text;
}

std::optional<std::string> ReadNameSecond(LineStream& stream, support::Reporter& reporter) {
  const auto rest = FindKeyword(stream, "NAME", KeywordSearch::Reported, reporter);
  if (!rest) return std::nullopt;
  const Token first = CopyToken(*rest, 0, 300);
  if (!first.next) return std::string();
  return CopyToken(*rest, *first.next, 300).text;
}

bool ReadType(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter) {
  const auto rest = FindKeyword(stream, "TYPE", KeywordSearch::Reported, reporter);
  if (!rest) return false;
  // The second number, when there is one, replaces the first.
  const ByteValue first = ReadByteValue(*rest, 0);
  const ByteValue second = ReadByteValue(*rest, first.next);
  return cursor.PutByte(second.endOfLine ? first.value : second.value);
}

bool ReadMirror(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter) {
  const auto line = FindKeyword(stream, "MIRROR", KeywordSearch::Silent, reporter);
  if (!line) return false;
  // The keyword's own letters are skipped as non-digits.
  const ByteValue mode = ReadByteValue(*line, 0);
  const WordValue first = ReadWordValue(*line, mode.next);
  const WordValue second = ReadWordValue(*line, first.next);
  return cursor.PutByte(mode.value) && cursor.PutWord(first.value) && cursor.PutWord(second.value);
}

bool ReadDmxLimits(LineStream& stream, OutputCursor& cursor, support::Reporter& reporter) {
  for (std::string_view keyword : {"MINDMX=", "MAXDMX=", "DIVBY="}) {
    const auto rest = FindKeyword(stream, keyword, KeywordSearch::Reported, reporter);
    if (!rest || !cursor.PutWord(ReadWordValue(*rest, 0).value)) return false;
  }
  return true;
}

}  // namespace hoardwright::personality
