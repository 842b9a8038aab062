#pragma once
// Why each personality a standard build left out is not in the cache, in the words the result
// dialog shows: the file's read refusal, its missing DEVICE line, or the line (and DMX column)
// the record compiler stopped at, as `hoardwright check` finds it.
#include <string>
#include <vector>

#include "catalogue/ManufacturerTable.h"
#include "standard/StandardBuild.h"

namespace hoardwright::check {

struct LeftOutLine {
  std::string path;
  std::string reason;  // "line 17, column 7: malformed DMX channel line ...", "no DEVICE line"
  bool operator==(const LeftOutLine&) const = default;
};

// Reads each file again; a file changed since the build is described as it is now.
std::vector<LeftOutLine> DescribeLeftOut(const std::vector<standard::LeftOutPersonality>& leftOut,
                                         const catalogue::ManufacturerMap& manufacturers);

// "1 personality was left out of the cache:", "3 personalities were left out of the cache:".
std::string LeftOutHeading(std::size_t count);

}  // namespace hoardwright::check
