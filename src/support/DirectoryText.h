#pragma once
// Directory texts held by the program end with a separator, so a path is the plain
// concatenation of a directory text and a file name.
#include <string>
#include <string_view>

namespace hoardwright::support {

#ifdef _WIN32
// Windows' own directory texts end with a backslash; one ending with "/" is taken as it is.
inline constexpr char kDirectorySeparator = '\\';
inline constexpr const char* kDirectorySeparators = "\\/";
inline bool EndsWithSeparator(const std::string& directory) {
  return directory.back() == '\\' || directory.back() == '/';
}
#else
inline constexpr char kDirectorySeparator = '/';
inline constexpr const char* kDirectorySeparators = "/";
inline bool EndsWithSeparator(const std::string& directory) {
  return directory.back() == kDirectorySeparator;
}
#endif

// Appends the separator when the text does not end with one. An empty text stays empty: it names
// no directory, and turning it into "/" would silently mean the file system's root.
inline std::string WithTrailingSeparator(std::string directory) {
  if (!directory.empty() && !EndsWithSeparator(directory)) {
    directory.push_back(kDirectorySeparator);
  }
  return directory;
}

// A file in a directory: the separator goes in between when the directory text lacks one (a
// hand-edited setting, say). An empty directory text gives the name alone.
inline std::string JoinPath(std::string directory, std::string_view fileName) {
  directory = WithTrailingSeparator(std::move(directory));
  directory.append(fileName);
  return directory;
}

}  // namespace hoardwright::support
