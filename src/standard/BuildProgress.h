#pragma once
// What a window's progress bar and status line show of a build that runs on a thread of its own:
// the build's host writes here, the window reads a snapshot when it repaints. A window that
// never waits for the build stays responsive however long a step takes.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace hoardwright::standard {

class BuildProgress {
 public:
  struct Snapshot {
    std::uint32_t maximum = 0;
    std::uint32_t position = 0;
    bool visible = false;
    std::string status;
    bool operator==(const Snapshot&) const = default;
  };

  void SetRange(std::uint32_t maximum) {
    const std::lock_guard lock(mutex_);
    state_.maximum = maximum;
  }
  void SetPosition(std::uint32_t position) {
    const std::lock_guard lock(mutex_);
    state_.position = position;
  }
  void SetVisible(bool visible) {
    const std::lock_guard lock(mutex_);
    state_.visible = visible;
  }
  void SetStatus(std::string_view status) {
    const std::lock_guard lock(mutex_);
    state_.status.assign(status);
  }
  Snapshot Read() const {
    const std::lock_guard lock(mutex_);
    return state_;
  }

 private:
  mutable std::mutex mutex_;
  Snapshot state_;
};

}  // namespace hoardwright::standard
