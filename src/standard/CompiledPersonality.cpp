#include "standard/CompiledPersonality.h"

#include <array>
#include <memory>
#include <span>

#include "personality/KeywordReaders.h"
#include "personality/OutputCursor.h"
#include "standard/StandardCacheLayout.h"
#include "support/Platform.h"

namespace hoardwright::standard {
namespace {

std::string NoDeviceMessage(const std::string& path) {
  return "keyword DEVICE not found in " + path +
         ", this personality will NOT be added to the cahce!\n";
}
// Why a compiled record was refused, before the compile error itself.
std::string RefusalMessage(const std::string& path, const std::string& reason) {
  return "Error in file " + path + ": " + reason;
}
std::string CompileErrorMessage(const std::string& path) {
  return "Error in file " + path + ", this personality will NOT be added to the cahce!";
}

}  // namespace

CompiledPersonality CompilePersonalityFile(const std::string& path, const TableOptions& tables) {
  auto stream = personality::LineStream::Open(support::ToPath(path), personality::LineMode::Text);
  if (!stream) return {};
  return CompilePersonalityText(*stream, tables);
}

CompiledPersonality CompilePersonalityText(personality::LineStream& text, const TableOptions& tables) {
  CompiledPersonality item;
  support::CollectingReporter reporter;
  std::array<std::uint8_t, kDeviceFieldSize> deviceField{};
  personality::OutputCursor deviceCursor(deviceField);
  if (!personality::ReadDevice(text, deviceCursor, reporter)) {
    item.outcome = CompiledPersonality::Outcome::NoDevice;
    item.messages = std::move(reporter.messages);
    return item;
  }
  const auto device = deviceCursor.Written();
  // The written text ends with its NUL.
  item.deviceText.assign(device.begin(), device.end() - (device.empty() ? 0 : 1));

  // A block buffer of the build's size; left uninitialised, only the written part is read.
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kBlockBufferSize);
  personality::OutputCursor cursor(std::span(buffer.get(), kBlockBufferSize));
  if (CompilePersonality(text, cursor, tables, reporter)) {
    item.outcome = CompiledPersonality::Outcome::Compiled;
    item.block.assign(cursor.Written().begin(), cursor.Written().end());
  } else {
    item.outcome = CompiledPersonality::Outcome::CompileFailed;
    if (cursor.Refusal()) item.refusal = cursor.Refusal()->reason;
  }
  item.messages = std::move(reporter.messages);
  return item;
}

bool ReportCompiledPersonality(const std::string& path, const CompiledPersonality& compiled,
                               support::Reporter& reporter) {
  for (const support::ReportedMessage& message : compiled.messages) {
    reporter.ShowMessage(message.text, message.caption);
  }
  switch (compiled.outcome) {
    case CompiledPersonality::Outcome::Unreadable:
      return false;
    case CompiledPersonality::Outcome::NoDevice:
      reporter.ShowMessage(NoDeviceMessage(path), path);
      return false;
    case CompiledPersonality::Outcome::CompileFailed:
      if (!compiled.refusal.empty()) reporter.ShowMessage(RefusalMessage(path, compiled.refusal), path);
      reporter.ShowMessage(CompileErrorMessage(path), path);
      return false;
    case CompiledPersonality::Outcome::Compiled:
      break;
  }
  return true;
}

}  // namespace hoardwright::standard
