#pragma once
// The unattended run of the legacy switches: "hoardwright -d DIR [-o OUT]" lists every
// personality of DIR, adds them all to the cache list and builds the extended cache
// OUT/OMK01PER.CMP. It opens no window and never reads or writes the stored settings.
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "support/CancelToken.h"

namespace hoardwright::cli {

// Exit statuses of the unattended run.
inline constexpr int kLegacyCacheWritten = 0;
inline constexpr int kLegacyInvalidArguments = 1;
inline constexpr int kLegacyNoCacheWritten = 2;

// The argument text the switches are read from: the arguments joined with single blanks.
std::string JoinArguments(const std::vector<std::string>& arguments);

// True when the argument text holds "-d" anywhere (the switches are searched, not parsed).
bool IsLegacyCommandLine(const std::vector<std::string>& arguments);

// Runs the build for an argument text. Messages go to `messages`, one per line. Returns
// kLegacyInvalidArguments when a directory is empty, missing or not writable, kLegacyCacheWritten
// when the cache file was written and kLegacyNoCacheWritten otherwise (also when `cancel` stopped
// the build: then nothing was written and the working files are gone).
int RunLegacyCommandLine(std::string_view argumentText, std::ostream& messages,
                         const support::CancelToken* cancel = nullptr);

}  // namespace hoardwright::cli
