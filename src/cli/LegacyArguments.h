#pragma once
// The legacy switches that start an unattended extended build: "-d" the personality directory,
// optionally "-o" the output directory. The argument text is read as one unsplit string.
#include <string>
#include <string_view>

namespace hoardwright::cli {

struct LegacyArguments {
  bool commandLineMode = false;  // "-d" was found
  // Both end with "/" unless empty. An empty personality directory ("-d" with no value) is
  // kept empty so the caller can reject it.
  std::string personalityDir;
  std::string outputDir;  // the personality directory when "-o" is absent or empty
};

// The first "-d" anywhere in the text switches to command-line mode; a value runs from its switch
// to the next "-" or the end of the text, trimmed of white space, quotes kept. "-o" is searched
// from the start of the text as well. Without "-d" both directories are left empty.
LegacyArguments ParseLegacyArguments(std::string_view argumentText);

}  // namespace hoardwright::cli
