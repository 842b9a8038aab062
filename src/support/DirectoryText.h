#pragma once
// Directory texts held by the program end with a separator, so a path is the plain
// concatenation of a directory text and a file name.
#include <string>

namespace hoardwright::support {

inline constexpr char kDirectorySeparator = '/';

// Appends the separator when the text does not end with one. An empty text stays empty: it names
// no directory, and turning it into "/" would silently mean the file system's root.
inline std::string WithTrailingSeparator(std::string directory) {
  if (!directory.empty() && directory.back() != kDirectorySeparator) {
    directory.push_back(kDirectorySeparator);
  }
  return directory;
}

}  // namespace hoardwright::support
