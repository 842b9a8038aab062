#pragma once
// The decisions of the build details dialog that do not need its widgets.
#include <cstddef>
#include <string>
#include <string_view>

namespace hoardwright::catalogue {

// The file name the details dialog always starts with.
inline constexpr std::string_view kDefaultCacheFileName = "OMK01PER.CMP";

// The info personality's text lines keep 21 characters; "Created by: " takes 12 of them and
// the compile drops the line end, so this much of the created-by text reaches the cache.
inline constexpr std::size_t kKeptCreatedByLength = 10;
// What the notes keep: ten lines of 20 characters (see CutNotes).
inline constexpr std::size_t kKeptNoteLines = 10;
inline constexpr std::size_t kKeptNoteLineLength = 20;

// The notes as typed (lines separated by "\n", one element per character) cut to what the cache
// keeps, so the field never shows text that would disappear: lines beyond the tenth are dropped,
// longer lines lose their end.
std::u32string FitNotes(std::u32string_view notes);

// What the info personality can hold of the notes: at most ten lines, each of at most 20
// characters and its carriage return, the last of at most 21 characters. Lines end with CR LF,
// as the notes field enters them; the cut counts a CR like any other character.
std::string CutNotes(std::string notes);

// What is wrong with writing the cache as `fileName` in `outputDir`, with the system's reason;
// empty when nothing is. The directory must exist and take a new file, the name must be a plain
// file name (not empty, no "/"). A file is made and removed again to learn that.
std::string CheckOutputPlace(const std::string& outputDir, const std::string& fileName);

// Browse for the output directory: an empty choice (cancelled) keeps `current`, otherwise the
// chosen directory with a trailing "/".
std::string ApplyBrowsedOutputDir(std::string current, std::string chosen);

}  // namespace hoardwright::catalogue
