#pragma once
// SIGINT, SIGTERM and SIGHUP while a command writes files. The three signals are blocked in the
// thread that makes the watch, and so in every thread started after it; one thread of the watch
// waits for them. The first signal cancels the token, and the command stops at its next check:
// its working directory and any partial output go with the objects that own them. A second
// signal is absorbed while that happens; a third ends the program at once (a write stuck on a
// pipe that nobody reads never reaches a check). A signal that was ignored when the program
// started stays ignored.
//
// On Windows the console's Ctrl+C, Ctrl+Break and close events take the signals' place, with
// the same three steps; the program then ends with status 130 (Ctrl+C), 149 (Ctrl+Break) or
// 143 (the console closed), as a POSIX shell would show SIGINT, SIGBREAK and SIGTERM.
#include <atomic>
#include <thread>

#include "support/CancelToken.h"

namespace hoardwright::cli {

class SignalWatch {
 public:
  // Make it before any other thread is started. When its thread cannot be started, the signals
  // keep their usual action.
  SignalWatch();
  ~SignalWatch();
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;

  const support::CancelToken& Token() const { return token_; }
  // The first signal received, 0 while none came.
  int Received() const { return received_.load(); }

  // Stops watching. When a signal came, ends the program as that signal does by default (the
  // exit status a shell shows is 128 + the signal's number); otherwise returns, the signals
  // unblocked again.
  void EndIfSignalled();

 private:
  void Wait();
  void Stop();
#ifdef _WIN32
  // The console control handler (a BOOL WINAPI function of a DWORD).
  static int OnConsoleControl(unsigned long event);
  bool Receive(int signal);
#endif

  support::CancelToken token_;
  std::atomic<int> received_{0};
  std::atomic<bool> stopping_{false};
  std::thread waiter_;
  bool active_ = false;
#ifdef _WIN32
  std::atomic<int> further_{0};
#endif
};

}  // namespace hoardwright::cli
