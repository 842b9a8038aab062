#pragma once
// The keyword search and the token and number helpers that every personality and shape library
// reader builds on. The helpers work on one line with positions into it; the newline ends a line,
// and a line that has none (the last line of a file, or the first part of an overlong line) ends
// at its last character. Nothing reads past a line's end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "personality/LineStream.h"
#include "support/Reporter.h"

namespace hoardwright::personality {

enum class KeywordSearch {
  // The whole keyword line is returned; a failed search is silent.
  Silent,
  // The line after the keyword is returned (newline included); a failed search is reported.
  Reported,
};

// Searches forward for the next line that begins with `keyword` (case-sensitive, over the
// keyword's length). A failed search leaves the stream at its end; with KeywordSearch::Reported it
// shows "error - couldn't find keyword <keyword>".
std::optional<std::string> FindKeyword(LineStream& stream, std::string_view keyword,
                                       KeywordSearch search, support::Reporter& reporter);

struct Token {
  std::string text;
  // Where reading continues; nullopt when the token reached the end of the line.
  std::optional<std::size_t> next;
};

// Skips blanks, tabs and double quotes, then copies up to a double quote, the end of the line or
// `limit` characters. `next` is one past the character at which copying stopped, so a token cut
// by the limit resumes inside its rest.
Token CopyToken(std::string_view line, std::size_t position, std::size_t limit);

// A value read as a byte: the low 8 bits of a signed decimal number.
struct ByteValue {
  bool endOfLine = false;  // no number before the end of the line; `value` is 0
  std::uint8_t value = 0;
  std::size_t next = 0;  // after the number, or the end-of-line position
};

// Skips everything that is neither a digit nor "-" up to the end of the line, converts the
// number there, and passes over the digits and "-" characters that follow it.
ByteValue ReadByteValue(std::string_view line, std::size_t position);

// A value read as a word: the low 16 bits of a signed number.
struct WordValue {
  bool endOfLine = false;  // set by ReadHexWord only; `value` is then 0
  std::uint16_t value = 0;
  std::size_t next = 0;
};

// Skips blanks and tabs and converts the decimal number there (none gives 0); `next` passes over
// the digits that start at that position, so a negative value leaves it at its sign.
WordValue ReadWordValue(std::string_view line, std::size_t position);

// Skips blanks and converts the hexadecimal number there. The line's values end (`endOfLine`)
// at a carriage return, at the end of the line, or at text that is not a hexadecimal number, so a
// caller reading values in a loop always stops.
WordValue ReadHexWord(std::string_view line, std::size_t position);

// Where the text of a line ends: its newline, or its length when it has none.
std::size_t LineTextEnd(std::string_view line);

// The line of the keyword line a reader has just read: the stream stands right after it.
std::size_t LineJustRead(const LineStream& stream);

// Why a record is refused when one of its counts would pass its byte, naming the part of the
// personality: "the TEXT section at line 15 has more than 255 lines; a personality record counts
// at most 255".
std::string TooManyReason(std::string_view part, std::size_t line, std::string_view items);

inline bool StartsWith(std::string_view line, std::string_view keyword) {
  return line.substr(0, keyword.size()) == keyword;
}

}  // namespace hoardwright::personality
