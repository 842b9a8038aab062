#pragma once
// One cache-list personality read and compiled as the standard build compiles it, kept apart from
// the build so that the build, a size preview and a dry run make the very same blocks: the DEVICE
// text for its index record, the block, and the messages its reading would show.
#include <cstdint>
#include <string>
#include <vector>

#include "personality/LineStream.h"
#include "standard/PersonalityCompiler.h"
#include "support/Reporter.h"

namespace hoardwright::standard {

struct CompiledPersonality {
  enum class Outcome { Unreadable, NoDevice, CompileFailed, Compiled };
  Outcome outcome = Outcome::Unreadable;
  // What the readers reported while reading it, in order.
  std::vector<support::ReportedMessage> messages;
  std::string deviceText;  // the index record's device text, without its NUL
  std::vector<std::uint8_t> block;
  std::string refusal;  // why a record that cannot be represented was refused
};

// Reads the file through the personality gate (text mode) and compiles it; Unreadable when the
// gate refuses it.
CompiledPersonality CompilePersonalityFile(const std::string& path, const TableOptions& tables);
// The same for a file already read: `text` holds its bytes in text mode.
CompiledPersonality CompilePersonalityText(personality::LineStream& text, const TableOptions& tables);

// Shows what the build shows for this personality, in the build's order: the readers' messages,
// then why it is left out (captioned with `path`). True when its block goes into the cache.
bool ReportCompiledPersonality(const std::string& path, const CompiledPersonality& compiled,
                               support::Reporter& reporter);

}  // namespace hoardwright::standard
