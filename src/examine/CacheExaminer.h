#pragma once
// Examines a cache file held in memory: a file that starts with the magic "QenCache" is an
// extended cache, any other a standard cache. The examiners decode every section they can reach
// with the layouts' own decoders and never read outside the file's bytes.
#include <cstdint>
#include <span>
#include <string>

#include "examine/ExamineReport.h"

namespace hoardwright::examine {

bool IsExtendedCache(std::span<const std::uint8_t> file);

ExamineReport ExamineCache(std::span<const std::uint8_t> file, std::string path);

void ExamineStandardCache(std::span<const std::uint8_t> file, ExamineReport& report);
void ExamineExtendedCache(std::span<const std::uint8_t> file, ExamineReport& report);

}  // namespace hoardwright::examine
