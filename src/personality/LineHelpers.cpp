#include "personality/LineHelpers.h"

#include <algorithm>

#include "personality/CompiledLayout.h"
#include "personality/NumberConversion.h"

namespace hoardwright::personality {
namespace {

bool AtLineEnd(std::string_view line, std::size_t position) {
  return position >= line.size() || line[position] == '\n';
}

}  // namespace

std::size_t LineTextEnd(std::string_view line) {
  const std::size_t newline = line.find('\n');
  return newline == std::string_view::npos ? line.size() : newline;
}

std::size_t LineJustRead(const LineStream& stream) {
  return stream.LineNumberAt(stream.Tell() == 0 ? 0 : stream.Tell() - 1);
}

std::string TooManyReason(std::string_view part, std::size_t line, std::string_view items) {
  const std::string limit = std::to_string(personality::compiled::kMaxCount);
  return "the " + std::string(part) + " at line " + std::to_string(line) + " has more than " +
         limit + " " + std::string(items) + "; a personality record counts at most " + limit;
}

std::optional<std::string> FindKeyword(LineStream& stream, std::string_view keyword,
                                       KeywordSearch search, support::Reporter& reporter) {
  std::string_view line;
  while (stream.ReadLine(line)) {
    if (StartsWith(line, keyword)) {
      return std::string(search == KeywordSearch::Reported ? line.substr(keyword.size()) : line);
    }
  }
  if (search == KeywordSearch::Reported) {
    reporter.ShowMessage("error - couldn't find keyword " + std::string(keyword),
                         support::kApplicationName);
  }
  return std::nullopt;
}

Token CopyToken(std::string_view line, std::size_t position, std::size_t limit) {
  std::size_t i = std::min(position, line.size());
  while (i < line.size() && (IsBlankOrTab(line[i]) || line[i] == '"')) ++i;
  const std::size_t start = i;
  while (i < line.size() && line[i] != '"' && line[i] != '\n' && i - start < limit) ++i;
  Token token{std::string(line.substr(start, i - start)), std::nullopt};
  if (!AtLineEnd(line, i)) token.next = i + 1;
  return token;
}

ByteValue ReadByteValue(std::string_view line, std::size_t position) {
  std::size_t i = std::min(position, line.size());
  while (!AtLineEnd(line, i) && !IsDecimalDigit(line[i]) && line[i] != '-') ++i;
  if (AtLineEnd(line, i)) return ByteValue{true, 0, i};
  const Conversion number = ConvertDecimal(line, i);
  while (i < line.size() && (IsDecimalDigit(line[i]) || line[i] == '-')) ++i;
  return ByteValue{false, static_cast<std::uint8_t>(number.value), i};
}

WordValue ReadWordValue(std::string_view line, std::size_t position) {
  std::size_t i = std::min(position, line.size());
  while (i < line.size() && IsBlankOrTab(line[i])) ++i;
  const Conversion number = ConvertDecimal(line, i);
  while (i < line.size() && IsDecimalDigit(line[i])) ++i;
  return WordValue{false, static_cast<std::uint16_t>(number.value), i};
}

WordValue ReadHexWord(std::string_view line, std::size_t position) {
  std::size_t i = std::min(position, line.size());
  while (i < line.size() && line[i] == ' ') ++i;
  if (i >= line.size() || line[i] == '\r') return WordValue{true, 0, i};
  const Conversion number = ConvertHex(line, i);
  if (!number.converted) return WordValue{true, 0, i};
  return WordValue{false, static_cast<std::uint16_t>(number.value), number.end};
}

}  // namespace hoardwright::personality
