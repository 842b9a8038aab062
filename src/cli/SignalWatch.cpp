#include "cli/SignalWatch.h"

#include <cstdio>
#include <iostream>
#include <system_error>

#ifndef _WIN32
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace hoardwright::cli {

#ifdef _WIN32

// A console control handler can take this place; until then the signals keep their action.
SignalWatch::SignalWatch() = default;
SignalWatch::~SignalWatch() = default;
void SignalWatch::Wait() {}
void SignalWatch::Stop() {}
void SignalWatch::EndIfSignalled() {}

#else

namespace {

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The watched signals that are not ignored: nohup, and a shell starting a background job, hand
// some down ignored, and they stay so.
sigset_t WatchedSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kWatchedSignals) {
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) continue;
    sigaddset(&set, signal);
  }
  return set;
}

int FirstMember(const sigset_t& set) {
  for (const int signal : kWatchedSignals) {
    if (sigismember(&set, signal) == 1) return signal;
  }
  return 0;
}

const char* SignalName(int signal) {
  switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "a signal";
  }
}

// Ends the process as `signal` does by default, from the calling thread, in which the signal is
// blocked: raised, it waits until it is unblocked.
[[noreturn]] void EndBy(int signal) {
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal);
  pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  _exit(128 + signal);  // not reached: the default action of all three ends the process
}

// The stop request of the watch itself, sent to its own thread by this process (a terminal's
// signal comes from the kernel, a kill from another process). Not every kernel marks a signal
// sent to one thread as such, so the sender alone tells.
bool IsStopRequest(const siginfo_t& info) { return info.si_pid == getpid(); }

void Unblock() {
  const sigset_t set = WatchedSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace

SignalWatch::SignalWatch() {
  const sigset_t set = WatchedSet();
  if (FirstMember(set) == 0) return;
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  try {
    waiter_ = std::thread([this] { Wait(); });
    active_ = true;
  } catch (const std::system_error&) {
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  }
}

SignalWatch::~SignalWatch() {
  if (!active_) return;
  Stop();
  Unblock();
}

void SignalWatch::Wait() {
  const sigset_t set = WatchedSet();
  int further = 0;
  while (true) {
    siginfo_t info{};
    const int signal = sigwaitinfo(&set, &info);
    if (signal <= 0) continue;  // interrupted
    if (stopping_.load() && IsStopRequest(info)) return;
    int none = 0;
    if (received_.compare_exchange_strong(none, signal)) {
      token_.Cancel();
    } else if (++further >= 2) {
      // The work never reached a check (a write blocked on a pipe, say): end now.
      EndBy(signal);
    }
  }
}

// Ends the waiting thread and lets out what the program printed (a signal that comes once the
// signals are unblocked ends the program at once).
void SignalWatch::Stop() {
  active_ = false;
  stopping_.store(true);
  pthread_kill(waiter_.native_handle(), FirstMember(WatchedSet()));
  waiter_.join();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

void SignalWatch::EndIfSignalled() {
  if (!active_) return;
  Stop();
  if (const int signal = received_.load(); signal != 0) {
    std::cerr << "hoardwright: stopped by " << SignalName(signal) << std::endl;
    EndBy(signal);
  }
  Unblock();
}

#endif

}  // namespace hoardwright::cli
