#pragma once
// Messages of the scan and the builds, each in a modal message box owned by the main window with
// a single OK button.
#include <string_view>

#include "support/Reporter.h"

class QWidget;

namespace hoardwright::desktop {

void ShowMessageBox(QWidget* owner, std::string_view text, std::string_view caption);

class MessageBoxReporter : public support::Reporter {
 public:
  explicit MessageBoxReporter(QWidget& owner) : owner_(owner) {}
  void ShowMessage(std::string_view text,
                   std::string_view caption = support::kApplicationName) override;

 private:
  QWidget& owner_;
};

}  // namespace hoardwright::desktop
