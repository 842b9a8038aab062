#pragma once
// Where the readers and builds send the messages a user must see. The desktop shows each in a
// modal message box; the command line prints one line on standard error; tests collect them.
#include <string>
#include <string_view>
#include <vector>

namespace hoardwright::support {

inline constexpr std::string_view kApplicationName = "Hoardwright";

class Reporter {
 public:
  virtual ~Reporter() = default;
  // `caption` is the message box caption: the application's name unless a build names a
  // personality's path.
  virtual void ShowMessage(std::string_view text, std::string_view caption = kApplicationName) = 0;
};

struct ReportedMessage {
  std::string text;
  std::string caption;
  bool operator==(const ReportedMessage&) const = default;
};

// Keeps every message in order; used by tests and to replay messages of work done elsewhere.
class CollectingReporter : public Reporter {
 public:
  void ShowMessage(std::string_view text, std::string_view caption = kApplicationName) override {
    messages.push_back({std::string(text), std::string(caption)});
  }
  std::vector<ReportedMessage> messages;
};

// Drops every message (the directory scan reads devices without telling the user).
class SilentReporter : public Reporter {
 public:
  void ShowMessage(std::string_view, std::string_view = kApplicationName) override {}
};

// The fixed text of a message, then why the system refused, on the same line so that the
// command line prints it as one line too.
inline std::string WithReason(std::string message, const std::string& reason) {
  if (!reason.empty()) message += " " + reason;
  return message;
}

}  // namespace hoardwright::support
