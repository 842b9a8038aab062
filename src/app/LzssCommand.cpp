#include "app/Subcommands.h"

namespace hoardwright::app {

void RegisterLzssCommand(CLI::App& app, int& exitStatus) {
  auto* lzss = app.add_subcommand("lzss", "Compress or decompress one file with the cache coder");
  lzss->require_subcommand(1);
  (void)exitStatus;
}

}  // namespace hoardwright::app
