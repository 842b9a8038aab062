#pragma once
// What the inspect and check tests share: caches built by the project's own builds from the
// example personalities, the compilers' output per personality, and a runner for the program.
#include <gtest/gtest.h>
#ifdef _WIN32
#include "support/WindowsChild.h"
#else
#include <sys/wait.h>
#endif

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/BuildTestSupport.h"
#include "standard/PersonalityCompiler.h"
#include "standard/StandardBuild.h"
#include "extended/ExtendedBuild.h"
#include "extended/PersonalityConversion.h"
#include "personality/KeywordReaders.h"

namespace hoardwright::testing {

using Bytes = std::vector<std::uint8_t>;

inline const support::CalendarTime kInspectTime{2026, 12, 5, 14, 32, 10};

// A standard cache of `entries`, built unattended into `directory`.
inline Bytes BuildStandardBytes(const std::vector<std::string>& entries,
                                const support::TemporaryDirectory& directory,
                                bool presetFocus = true, bool rangeTables = true,
                                bool macros = true) {
  catalogue::BuildRequest request;
  request.entries = entries;
  request.outputDir = DirText(directory);
  request.unattended = true;
  request.includePresetFocus = presetFocus;
  request.includeRangeTables = rangeTables;
  request.includeMacros = macros;
  standard::StandardBuildOptions options;
  options.buildTime = kInspectTime;
  RecordingHost host;
  const standard::StandardBuildResult result = standard::BuildStandardCache(request, host, options);
  EXPECT_TRUE(result.cacheWritten);
  return ReadBytes(result.outputPath);
}

inline Bytes BuildExtendedBytes(const std::vector<std::string>& entries,
                                const support::TemporaryDirectory& directory) {
  catalogue::BuildRequest request;
  request.cacheType = catalogue::CacheType::Extended;
  request.entries = entries;
  request.outputDir = DirText(directory);
  request.unattended = true;
  extended::ExtendedBuildOptions options;
  options.time = kInspectTime;
  support::SilentReporter silent;
  const extended::ExtendedBuildResult result =
      extended::BuildExtendedCache(request, silent, options);
  EXPECT_TRUE(result.Written());
  return ReadBytes(result.outputPath);
}

// The record CompilePersonality gives for a file, read as the standard build reads it.
inline Bytes CompiledRecord(const std::string& path, const standard::TableOptions& options = {}) {
  auto stream = personality::LineStream::Open(path, personality::LineMode::Text);
  EXPECT_TRUE(stream.has_value());
  if (!stream) return {};
  std::array<std::uint8_t, 81> device{};
  personality::OutputCursor deviceCursor(device);
  support::SilentReporter silent;
  EXPECT_TRUE(personality::ReadDevice(*stream, deviceCursor, silent));
  Bytes block(standard::kBlockBufferSize);
  personality::OutputCursor cursor(block);
  EXPECT_TRUE(standard::CompilePersonality(*stream, cursor, options, silent));
  block.resize(cursor.Position());
  return block;
}

// The binary form ConvertPersonality gives for a file, read as the extended build reads it.
inline Bytes ConvertedForm(const std::string& path) {
  auto stream = personality::LineStream::Open(path, personality::LineMode::Binary);
  EXPECT_TRUE(stream.has_value());
  Bytes form;
  support::SilentReporter silent;
  if (stream) {
    EXPECT_TRUE(extended::ConvertPersonality(*stream, form, silent));
  }
  return form;
}

inline std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

// AddressSanitizer reserves far more address space than any limit below allows.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// Bounds for a run that must not take the machine down when the program is at fault: its
// address space (ignored under AddressSanitizer) and its time (exit status 124 when cut off).
struct RunLimits {
  std::size_t addressSpaceKiB = 0;
  int seconds = 0;
};

// Runs the program with `arguments`; standard output and error are caught in `scratch`.
inline ProgramRun RunProgram(const std::vector<std::string>& arguments,
                             const support::TemporaryDirectory& scratch, RunLimits limits = {}) {
#ifdef _WIN32
  // Only the time is bounded on Windows, which has no per-process address-space limit.
  const WindowsChildRun child = RunWindowsChild(HOARDWRIGHT_EXECUTABLE, arguments,
                                                {{}, true, limits.seconds, {}}, scratch.Path());
  return ProgramRun{child.hung ? 124 : child.exitStatus, child.standardOutput, child.standardError};
#else
  const auto out = scratch.Path() / "run.out";
  const auto err = scratch.Path() / "run.err";
  std::string command;
  if (limits.addressSpaceKiB > 0 && !kAddressSanitizer) {
    command += "ulimit -v " + std::to_string(limits.addressSpaceKiB) + "; ";
  }
  if (limits.seconds > 0) command += "exec timeout " + std::to_string(limits.seconds) + " ";
  command += ShellQuote(HOARDWRIGHT_EXECUTABLE);
  for (const std::string& argument : arguments) command += " " + ShellQuote(argument);
  command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
  const int raw = std::system(command.c_str());
  ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(out), ReadText(err)};
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
#endif
}

}  // namespace hoardwright::testing
