#pragma once
// Setting this process's environment variables the same way on every system.
#include <cstdlib>
#include <optional>
#include <string>

namespace hoardwright::testing {

// Where the working directories of a build go: TMPDIR on POSIX; on Windows GetTempPath reads
// TMP first.
#ifdef _WIN32
inline constexpr const char* kTemporaryDirectoryVariable = "TMP";
#else
inline constexpr const char* kTemporaryDirectoryVariable = "TMPDIR";
#endif

// Sets `name` to `value`, or removes it for nullopt. True on success.
inline bool SetVariable(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
  // An empty value removes the variable on Windows.
  return _putenv_s(name, value ? value->c_str() : "") == 0;
#else
  return value ? setenv(name, value->c_str(), 1) == 0 : unsetenv(name) == 0;
#endif
}

}  // namespace hoardwright::testing
