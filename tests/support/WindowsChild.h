#pragma once
// Runs a program as a child process on Windows and collects what it printed: the Windows side of
// the tests' program runners (fork and exec on POSIX).
#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/Platform.h"

namespace hoardwright::testing {

struct WindowsChildRun {
  int exitStatus = -1;  // -1 when it could not be started
  bool hung = false;    // ended by the timeout
  std::string standardOutput;
  std::string standardError;
};

struct WindowsChildOptions {
  // Set in the child's environment. With `inherit` the rest of this process's environment goes
  // along; without it only these and what Windows itself needs to start a program.
  std::map<std::string, std::string> environment;
  bool inherit = true;
  int timeoutSeconds = 0;                  // 0 waits
  std::filesystem::path workingDirectory;  // empty: this process's
};

// One argument as the C runtime's command-line parser gives it back (backslashes before a quote
// doubled, the quote escaped).
inline std::wstring QuotedArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

inline std::wstring WideText(const std::string& text) {
  return support::ToPath(text).wstring();
}

inline std::string ReadWholeText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The environment block: the chosen variables over this process's own (or over the few that
// every program needs), sorted by name as Windows wants it.
inline std::wstring EnvironmentBlock(const WindowsChildOptions& options) {
  std::map<std::wstring, std::wstring> variables;
  const auto inheritOne = [&](const std::wstring& name) {
    if (const wchar_t* value = _wgetenv(name.c_str())) variables[name] = value;
  };
  if (options.inherit) {
    if (wchar_t* block = GetEnvironmentStringsW()) {
      for (const wchar_t* entry = block; *entry != L'\0'; entry += wcslen(entry) + 1) {
        const std::wstring text(entry);
        const std::size_t equals = text.find(L'=', 1);
        if (equals != std::wstring::npos)
          variables[text.substr(0, equals)] = text.substr(equals + 1);
      }
      FreeEnvironmentStringsW(block);
    }
  } else {
    for (const wchar_t* name :
         {L"SystemRoot", L"SystemDrive", L"WINDIR", L"TEMP", L"TMP", L"USERPROFILE"}) {
      inheritOne(name);
    }
  }
  for (const auto& [name, value] : options.environment) variables[WideText(name)] = WideText(value);
  std::wstring block;
  for (const auto& [name, value] : variables) block += name + L"=" + value + L'\0';
  block.push_back(L'\0');
  return block;
}

inline WindowsChildRun RunWindowsChild(const std::string& program,
                                       const std::vector<std::string>& arguments,
                                       const WindowsChildOptions& options,
                                       const std::filesystem::path& scratch) {
  WindowsChildRun run;
  const std::filesystem::path outPath = scratch / "child.stdout";
  const std::filesystem::path errPath = scratch / "child.stderr";
  std::wstring commandLine = QuotedArgument(WideText(program));
  for (const std::string& argument : arguments)
    commandLine += L" " + QuotedArgument(WideText(argument));
  std::wstring environment = EnvironmentBlock(options);

  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto open = [&](const wchar_t* name, DWORD access, DWORD disposition) {
    return CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  const HANDLE out = open(outPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE err = open(errPath.c_str(), GENERIC_WRITE, CREATE_ALWAYS);
  const HANDLE in = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  const bool started =
      out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE && in != INVALID_HANDLE_VALUE &&
      CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, environment.data(),
                     options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(),
                     &startup, &process);
  for (const HANDLE handle : {out, err, in}) {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
  if (started) {
    const DWORD wait =
        options.timeoutSeconds > 0 ? static_cast<DWORD>(options.timeoutSeconds) * 1000 : INFINITE;
    if (WaitForSingleObject(process.hProcess, wait) == WAIT_TIMEOUT) {
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, INFINITE);
      run.hung = true;
    }
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) run.exitStatus = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  run.standardOutput = ReadWholeText(outPath);
  run.standardError = ReadWholeText(errPath);
  std::error_code ignored;
  std::filesystem::remove(outPath, ignored);
  std::filesystem::remove(errPath, ignored);
  return run;
}

}  // namespace hoardwright::testing

#endif
