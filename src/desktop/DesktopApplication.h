#pragma once
// The desktop start: the application object, the settings store's names, and the main dialog run
// modally; the process ends when the dialog closes.

namespace hoardwright::desktop {

// Returns the process's exit status.
int RunDesktopApplication(int& argc, char** argv);

}  // namespace hoardwright::desktop
