#pragma once
// A request to stop a long piece of work, made from another thread (a signal watcher, a window
// being closed, a Cancel button) and looked at by the work between its steps. Once cancelled it
// stays cancelled; make a new token for the next piece of work.
#include <atomic>

namespace hoardwright::support {

class CancelToken {
 public:
  CancelToken() = default;
  CancelToken(const CancelToken&) = delete;
  CancelToken& operator=(const CancelToken&) = delete;

  void Cancel() noexcept { cancelled_.store(true, std::memory_order_relaxed); }
  bool Cancelled() const noexcept { return cancelled_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> cancelled_{false};
};

// For work that may be given no token.
inline bool Cancelled(const CancelToken* token) noexcept {
  return token != nullptr && token->Cancelled();
}

}  // namespace hoardwright::support
