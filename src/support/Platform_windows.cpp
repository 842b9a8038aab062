#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// windows.h first: shellapi.h needs its types.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cerrno>
#include <limits>
#include <memory>
#include <random>

#include "support/Platform.h"

namespace hoardwright::support {

namespace fs = std::filesystem;

namespace {

std::wstring Wide(std::string_view text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) {
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  }
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  }
  return text;
}

// Windows' error codes, with the system's texts.
class WindowsCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "windows"; }
  std::string message(int code) const override {
    return WindowsErrorText(static_cast<unsigned long>(code));
  }
  std::error_condition default_error_condition(int code) const noexcept override {
    switch (code) {
      case ERROR_FILE_EXISTS:
      case ERROR_ALREADY_EXISTS:
        return std::errc::file_exists;
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
        return std::errc::no_such_file_or_directory;
      case ERROR_ACCESS_DENIED:
        return std::errc::permission_denied;
      case ERROR_FILENAME_EXCED_RANGE:
        return std::errc::filename_too_long;
      case ERROR_DISK_FULL:
      case ERROR_HANDLE_DISK_FULL:
        return std::errc::no_space_on_device;
      default:
        return {code, *this};
    }
  }
};

// The errors a file operation meets every day become the C library's, so that their texts are
// the ones the same failure gives on Linux ("No such file or directory"); others keep Windows'.
std::error_code LastError() {
  static const WindowsCategory category;
  const DWORD code = GetLastError();
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return {ENOENT, std::generic_category()};
    case ERROR_ACCESS_DENIED:
      return {EACCES, std::generic_category()};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return {EEXIST, std::generic_category()};
    case ERROR_FILENAME_EXCED_RANGE:
      return {ENAMETOOLONG, std::generic_category()};
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return {ENOSPC, std::generic_category()};
    default:
      return {static_cast<int>(code), category};
  }
}

// Windows' file systems take at most 255 UTF-16 units in one name.
bool NameTooLong(const std::wstring& path) {
  return fs::path(path).filename().native().size() > 255;
}

bool NameTaken(const std::error_code& error) {
  return error == std::errc::file_exists;
}

// `pattern` with its trailing "XXXXXX" replaced by random letters and digits.
std::wstring RandomName(const std::string& pattern, std::random_device& random) {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string name = pattern;
  const std::size_t start = name.size() >= 6 ? name.size() - 6 : 0;
  for (std::size_t i = start; i < name.size(); ++i) {
    if (name[i] == 'X') name[i] = kLetters[random() % (sizeof kLetters - 1)];
  }
  return ToPath(name).wstring();
}

// A descriptor whose DACL lets in the current user alone and is not inherited from the parent:
// the working directory stays private wherever the temporary directory is.
class PrivateSecurity {
 public:
  PrivateSecurity() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    user_.resize(size);
    const bool known = size > 0 && GetTokenInformation(token, TokenUser, user_.data(), size, &size);
    CloseHandle(token);
    if (!known) return;
    PSID sid = reinterpret_cast<TOKEN_USER*>(user_.data())->User.Sid;
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(sid));
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) ||
        !AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                               GENERIC_ALL, sid) ||
        !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
      return;
    }
    attributes_ = {sizeof(SECURITY_ATTRIBUTES), &descriptor_, FALSE};
    valid_ = true;
  }
  // Null (the inherited permissions of the user's temporary directory) when no DACL was made.
  SECURITY_ATTRIBUTES* Attributes() { return valid_ ? &attributes_ : nullptr; }

 private:
  std::vector<unsigned char> user_;
  std::vector<unsigned char> acl_;
  SECURITY_DESCRIPTOR descriptor_{};
  SECURITY_ATTRIBUTES attributes_{};
  bool valid_ = false;
};

}  // namespace

std::string WindowsErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? Utf8(std::wstring_view(buffer, length)) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == '.' || text.back() == ' ')) {
    text.pop_back();
  }
  return text.empty() ? "Windows error " + std::to_string(code) : text;
}

OpenedFileRead ReadOpenedFile(const fs::path& path, std::uint64_t limit, bool readBytes) {
  OpenedFileRead read;
  const auto fail = [&](OpenedFileRead::Outcome outcome, std::string reason) {
    read.outcome = outcome;
    read.reason = std::move(reason);
    read.bytes.clear();
    return read;
  };
  // A directory cannot be opened as a file at all; it is named as what it is.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return fail(OpenedFileRead::Outcome::kNotRegular, "a directory");
  }
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return fail(OpenedFileRead::Outcome::kCannotOpen, WindowsErrorText(GetLastError()));
  }
  const std::unique_ptr<void, decltype(&CloseHandle)> closer(file, &CloseHandle);
  switch (GetFileType(file)) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_CHAR:
      return fail(OpenedFileRead::Outcome::kNotRegular, "a character device");
    case FILE_TYPE_PIPE:
      return fail(OpenedFileRead::Outcome::kNotRegular, "a FIFO or pipe");
    default:
      return fail(OpenedFileRead::Outcome::kNotRegular, "");
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file, &information)) {
    return fail(OpenedFileRead::Outcome::kCannotRead, WindowsErrorText(GetLastError()));
  }
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return fail(OpenedFileRead::Outcome::kNotRegular, "a directory");
  }
  const std::uint64_t size =
      (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  if (size > limit) return fail(OpenedFileRead::Outcome::kTooLarge, "");
  if (!readBytes) return read;

  // The file may grow while it is read: never more than `limit` bytes are kept.
  read.bytes.reserve(static_cast<std::size_t>(size));
  std::string chunk(64 * 1024, '\0');
  for (;;) {
    DWORD count = 0;
    if (!ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &count, nullptr)) {
      return fail(OpenedFileRead::Outcome::kCannotRead, WindowsErrorText(GetLastError()));
    }
    if (count == 0) break;
    if (read.bytes.size() + count > limit) return fail(OpenedFileRead::Outcome::kTooLarge, "");
    read.bytes.append(chunk.data(), count);
  }
  return read;
}

fs::path ToPath(std::string_view text) {
  return fs::path(Wide(text));
}

std::string PathText(const fs::path& path) {
  return Utf8(path.native());
}

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (wide == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void WriteToStandardError(std::string_view text) {
  const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  while (!text.empty() && error != nullptr && error != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (!WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written == 0) {
      return;
    }
    text.remove_prefix(written);
  }
}

std::FILE* OpenFile(const fs::path& path, const char* mode) {
  const std::wstring wideMode = Wide(mode);
  return _wfopen(path.c_str(), wideMode.c_str());
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

bool SeekFileEnd(std::FILE* file) {
  return _fseeki64(file, 0, SEEK_END) == 0;
}

std::optional<fs::path> CreateUniqueFile(const std::string& pattern, std::error_code& error) {
  std::random_device random;
  for (int tries = 0; tries < 100; ++tries) {
    const std::wstring name = RandomName(pattern, random);
    if (NameTooLong(name)) {
      error = std::make_error_code(std::errc::filename_too_long);
      return std::nullopt;
    }
    // CREATE_NEW fails on whatever is at the name, a link included: nothing is opened through it.
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      error.clear();
      return fs::path(name);
    }
    error = LastError();
    if (!NameTaken(error)) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<fs::path> CreateUniqueDirectory(const std::string& pattern, std::error_code& error) {
  std::random_device random;
  PrivateSecurity security;
  for (int tries = 0; tries < 100; ++tries) {
    const std::wstring name = RandomName(pattern, random);
    if (CreateDirectoryW(name.c_str(), security.Attributes())) {
      error.clear();
      return fs::path(name);
    }
    error = LastError();
    if (!NameTaken(error)) return std::nullopt;
  }
  return std::nullopt;
}

bool CreateNewFile(const fs::path& path, std::error_code& error) {
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = LastError();
    return false;
  }
  CloseHandle(file);
  error.clear();
  return true;
}

// Windows has no cheap question for this (the answer lies in ACLs, inherited rights and
// attributes together): a file of a new name is made and removed.
bool DirectoryTakesNewFiles(const fs::path& directory) {
  std::error_code ec;
  if (!fs::is_directory(directory, ec)) return false;
  const auto probe = CreateUniqueFile(PathText(directory / "hoardwright-probe-XXXXXX"), ec);
  if (!probe) return false;
  DeleteFileW(probe->c_str());
  return true;
}

bool RenameOver(const fs::path& from, const fs::path& to, std::error_code& error) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastError();
    return false;
  }
  error.clear();
  return true;
}

bool IsLink(const fs::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool RegularFileStamp(const fs::path& path, std::uint64_t& size, std::int64_t& modified) {
  // Through a handle, so that a link is followed as on POSIX.
  const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = GetFileInformationByHandle(file, &information) != 0 &&
                     GetFileType(file) == FILE_TYPE_DISK &&
                     (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  CloseHandle(file);
  if (!known) return false;
  size = (static_cast<std::uint64_t>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  modified = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(information.ftLastWriteTime.dwHighDateTime) << 32) |
      information.ftLastWriteTime.dwLowDateTime);
  return true;
}

// Computed here rather than by the C library, whose gmtime stops at the year 3000: every date
// that Linux's gmtime_r gives, this gives too, so a cache's date is the same on both systems.
bool UtcTime(std::time_t time, std::tm& calendar) {
  const long long seconds = time;
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
  const long long shifted = days + 719468;
  const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
  const long long dayOfEra = shifted - era * 146097;
  const long long yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long monthIndex = (5 * dayOfYear + 2) / 153;
  const long long day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const long long month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  if (year - 1900 > std::numeric_limits<int>::max() ||
      year - 1900 < std::numeric_limits<int>::min()) {
    return false;
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  static constexpr int kDaysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  calendar = {};
  calendar.tm_year = static_cast<int>(year - 1900);
  calendar.tm_mon = static_cast<int>(month - 1);
  calendar.tm_mday = static_cast<int>(day);
  calendar.tm_hour = static_cast<int>(rest / 3600);
  calendar.tm_min = static_cast<int>(rest % 3600 / 60);
  calendar.tm_sec = static_cast<int>(rest % 60);
  calendar.tm_yday =
      kDaysBefore[month - 1] + static_cast<int>(day) - 1 + (leap && month > 2 ? 1 : 0);
  calendar.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  return true;
}

bool LocalTime(std::time_t time, std::tm& calendar) {
  return localtime_s(&calendar, &time) == 0;
}

}  // namespace hoardwright::support

#endif
