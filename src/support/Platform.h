#pragma once
// The few system calls the program needs, behind one interface: POSIX in Platform_posix.cpp,
// Windows in Platform_windows.cpp. Everything else uses std::filesystem and these.
//
// File names are UTF-8 text inside the program. On Windows the system's own form is UTF-16, and
// std::filesystem::path's narrow constructor and string() would read and write the text in the
// ANSI code page instead, so every conversion between the program's text and a path goes
// through ToPath and PathText. On POSIX both keep the bytes as they are.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace hoardwright::support {

std::filesystem::path ToPath(std::string_view text);
std::string PathText(const std::filesystem::path& path);

// The arguments after the program's name, as UTF-8. On Windows they are read from the wide
// command line, so names outside the ANSI code page arrive intact.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Standard output and error carry the program's bytes as they are: on Windows a line end stays
// "\n" instead of becoming "\r\n", so output is the same on both systems.
void UseBinaryStandardStreams();

// Writes to standard error without the C library's buffers or locks: safe in a terminate handler.
void WriteToStandardError(std::string_view text);

// fopen for a path (the wide name on Windows).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
// Moves to `offset` bytes from the start of the file, or to its end.
bool SeekFile(std::FILE* file, std::uint64_t offset);
bool SeekFileEnd(std::FILE* file);

// Creates a new empty file at `pattern` with its trailing "XXXXXX" replaced by characters that
// make a name nobody uses: nothing already at a name tried, a link included, is opened. Returns
// the name made, or nullopt with the reason in `error` (errc::filename_too_long when the name is
// longer than the file system takes).
std::optional<std::filesystem::path> CreateUniqueFile(const std::string& pattern,
                                                      std::error_code& error);
// The same for a directory that only the user can enter.
std::optional<std::filesystem::path> CreateUniqueDirectory(const std::string& pattern,
                                                           std::error_code& error);

// Creates an empty file at `path` only where nothing is: true when made, false with `error`
// (errc::file_exists when anything, a link included, is already there).
bool CreateNewFile(const std::filesystem::path& path, std::error_code& error);
// Whether new files can be made in the directory, asked without making one where that can be
// asked of the system (POSIX), and by making and removing a file of a new name where not.
bool DirectoryTakesNewFiles(const std::filesystem::path& directory);

// Renames `from` over `to` in one step, replacing a file (or a link, never followed) already at
// `to`; on Windows also written through to the disk before it returns.
bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to,
                std::error_code& error);

// Whether `path` itself is a symbolic link (or, on Windows, any reparse point: a junction, a
// mount point); the link is not followed.
bool IsLink(const std::filesystem::path& path);

// A regular file's size and last write time (a count in the system's own unit, as finely as the
// file system keeps it), links followed: what tells that a file changed since it was read. On
// Windows std::filesystem's MinGW build keeps whole seconds only, which misses a rewrite within
// the second. False when `path` names no regular file.
bool RegularFileStamp(const std::filesystem::path& path, std::uint64_t& size,
                      std::int64_t& modified);

// The calendar time of `time` in UTC and in the local time zone.
bool UtcTime(std::time_t time, std::tm& calendar);
bool LocalTime(std::time_t time, std::tm& calendar);

#ifdef _WIN32
// The system's text for a Windows error code (GetLastError), as UTF-8.
std::string WindowsErrorText(unsigned long code);

// A whole file read through one opening on Windows: what was opened is checked to be a file on
// a disk (not a directory, a console, a device or a pipe) before a byte is read, and no more than
// `limit` bytes are kept. A link is followed, as a POSIX open follows it.
struct OpenedFileRead {
  enum class Outcome { kRead, kCannotOpen, kNotRegular, kTooLarge, kCannotRead };
  Outcome outcome = Outcome::kRead;
  std::string bytes;
  // kCannotOpen, kCannotRead: the system's text. kNotRegular: what it is instead ("a directory",
  // "a character device", "a FIFO or pipe") or empty.
  std::string reason;
};
OpenedFileRead ReadOpenedFile(const std::filesystem::path& path, std::uint64_t limit,
                              bool readBytes = true);
#endif

}  // namespace hoardwright::support
