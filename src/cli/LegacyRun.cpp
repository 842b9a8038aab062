#include "cli/LegacyRun.h"

#include <filesystem>
#include <system_error>

#include "cli/LegacyArguments.h"
#include "extended/ExtendedBuild.h"
#include "support/Platform.h"
#include "support/Reporter.h"
#include "ui/MainDialogModel.h"

namespace hoardwright::cli {
namespace {

constexpr const char* kProbeFileName = "tmp1.tmp";

// An unattended run has no window: each message is one line of text on the stream.
class StreamReporter : public support::Reporter {
 public:
  explicit StreamReporter(std::ostream& stream) : stream_(stream) {}
  void ShowMessage(std::string_view text, std::string_view = support::kApplicationName) override {
    stream_ << text << '\n' << std::flush;
  }

 private:
  std::ostream& stream_;
};

// Whether files can be created in the directory: "tmp1.tmp" is created there and removed again.
// A "tmp1.tmp" that is already there belongs to someone else; it is neither truncated nor
// removed, and the directory's own permissions answer the question instead.
bool DirectoryIsWritable(const std::string& directory) {
  if (directory.empty()) return false;
  const std::filesystem::path probe = support::ToPath(directory + kProbeFileName);
  std::error_code ec;
  if (support::CreateNewFile(probe, ec)) {
    std::filesystem::remove(probe, ec);
    return true;
  }
  if (ec != std::errc::file_exists) return false;
  return support::DirectoryTakesNewFiles(support::ToPath(directory));
}

}  // namespace

std::string JoinArguments(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) text.push_back(' ');
    text.append(arguments[i]);
  }
  return text;
}

bool IsLegacyCommandLine(const std::vector<std::string>& arguments) {
  return JoinArguments(arguments).find("-d") != std::string::npos;
}

int RunLegacyCommandLine(std::string_view argumentText, std::ostream& messages,
                         const support::CancelToken* cancel) {
  StreamReporter reporter(messages);
  const LegacyArguments arguments = ParseLegacyArguments(argumentText);

  // The main dialog's state, without its window; nothing is loaded from the stored settings.
  ui::MainDialogModel dialog;
  dialog.SetCommandLineMode(true);
  dialog.CheckTableOptions();
  dialog.SetPersonalityDir(arguments.personalityDir);
  dialog.SetOutputDir(arguments.outputDir);

  const bool personalityDirWritable = DirectoryIsWritable(arguments.personalityDir);
  const bool outputDirWritable = DirectoryIsWritable(arguments.outputDir);
  if (!arguments.commandLineMode || !personalityDirWritable || !outputDirWritable) {
    reporter.ShowMessage("Invalid command line arguments\n\n     Per Dir=" +
                         arguments.personalityDir + "\n Output Dir=" + arguments.outputDir);
    return kLegacyInvalidArguments;
  }

  dialog.ScanPersonalityDirectory(reporter);
  dialog.AddAll();
  // Normal is not checked yet at this point, so Build Cache runs the extended build.
  const catalogue::BuildRequest request = dialog.MakeBuildRequest();
  extended::ExtendedBuildOptions options;
  options.cancel = cancel;
  const extended::ExtendedBuildResult result =
      extended::BuildExtendedCache(request, reporter, options);
  return result.Written() ? kLegacyCacheWritten : kLegacyNoCacheWritten;
}

}  // namespace hoardwright::cli
