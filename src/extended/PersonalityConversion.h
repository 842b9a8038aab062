#pragma once
// One personality file turned into the binary form the extended cache stores in its group blocks:
// the fields of a compiled personality record, with an empty table index and every range,
// preset focus and macro block included, ending in 0xFC.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "personality/LineStream.h"
#include "personality/OutputCursor.h"
#include "support/Reporter.h"

namespace hoardwright::extended {

inline constexpr std::size_t kPersonalityWorkBufferSize = 100'000;

// Reads the personality from `input` (opened in binary mode, so CR stays part of every line) and
// appends its binary form to `output`. False, with nothing appended, when TYPE, DEVICEADDRESS, the
// DMX limits, the DMX table or TEXT is missing or unreadable, when the binary form cannot be
// represented (a count past its byte, a form that would outgrow its work buffer; `refusal` then
// says why), or when the work buffer cannot be had. The readers' messages go to `reporter`.
bool ConvertPersonality(personality::LineStream& input, std::vector<std::uint8_t>& output,
                        support::Reporter& reporter, personality::RecordRefusal* refusal = nullptr);

}  // namespace hoardwright::extended
