#pragma once
// The decisions of the build details dialog that do not need its widgets.
#include <string>
#include <string_view>

namespace hoardwright::catalogue {

// The file name the details dialog always starts with.
inline constexpr std::string_view kDefaultCacheFileName = "OMK01PER.CMP";

// What the info personality can hold of the notes: at most ten lines, each of at most 20
// characters and its carriage return, the last of at most 21 characters. Lines end with CR LF,
// as the notes field enters them; the cut counts a CR like any other character.
std::string CutNotes(std::string notes);

// Browse for the output directory: an empty choice (cancelled) keeps `current`, otherwise the
// chosen directory with a trailing "/".
std::string ApplyBrowsedOutputDir(std::string current, std::string chosen);

}  // namespace hoardwright::catalogue
