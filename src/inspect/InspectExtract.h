#pragma once
// --extract: the decoded streams of an inspected cache and each personality's record as separate
// files in one directory.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "inspect/InspectReport.h"

namespace hoardwright::inspect {

// The file name a personality's record is extracted to: "personality-0003-MT.Wash700.bin" (the
// device name reduced to letters, digits, ".", "-" and "_").
std::string PersonalityFileName(const PersonalityView& personality);

// Writes into `directory` (created when missing): for a standard cache "stream.bin" (the decoded
// stream) and "shape-library.bin"; for an extended cache "shape-library.bin" and "group-NN.bin"
// (each group's decoded data); for both one file per walked personality record. Whatever a
// damaged file still yields is written; in all at most twice the decoded data, as no two records
// share a byte. A directory named by a link is refused, and a file or link already at a name is
// replaced, never written through. Returns the names written, or nullopt with the reason in
// `error` when the directory could not be used or a file could not be written.
std::optional<std::vector<std::string>> ExtractInspected(const InspectReport& report,
                                                         const std::filesystem::path& directory,
                                                         std::string* error);

}  // namespace hoardwright::inspect
