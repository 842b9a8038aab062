// Entry point: the modern command line when a subcommand or option is given, otherwise the
// legacy unattended switches or the desktop application.
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (hoardwright::app::IsModernCommandLine(arguments)) {
    return hoardwright::app::RunModernCommandLine(arguments);
  }
  return hoardwright::app::RunModernCommandLine({"--help"});
}
