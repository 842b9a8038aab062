#include "cli/SignalWatch.h"

#include <cstdio>
#include <iostream>
#include <system_error>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#include <unistd.h>
#endif

namespace hoardwright::cli {

#ifdef _WIN32

namespace {

// The signal numbers a POSIX system gives the same requests.
constexpr int kInterrupt = 2;   // Ctrl+C
constexpr int kTerminate = 15;  // the console window closed, the user logged off
constexpr int kBreak = 21;      // Ctrl+Break

// A console control handler is handed no context, so the process's one watch is found here.
std::atomic<SignalWatch*> watchOfProcess{nullptr};

const char* SignalName(int signal) {
  switch (signal) {
    case kInterrupt:
      return "Ctrl+C";
    case kBreak:
      return "Ctrl+Break";
    default:
      return "the console closing";
  }
}

}  // namespace

int SignalWatch::OnConsoleControl(unsigned long event) {
  SignalWatch* watch = watchOfProcess.load();
  if (watch == nullptr) return FALSE;
  switch (event) {
    case CTRL_C_EVENT:
      return watch->Receive(kInterrupt);
    case CTRL_BREAK_EVENT:
      return watch->Receive(kBreak);
    default:
      break;
  }
  // The console is going away and ends the process as soon as this returns: the clean-up gets
  // the few seconds Windows allows.
  watch->Receive(kTerminate);
  for (int waited = 0; waited < 45 && !watch->stopping_.load(); ++waited) Sleep(100);
  return TRUE;
}

bool SignalWatch::Receive(int signal) {
  int none = 0;
  if (received_.compare_exchange_strong(none, signal)) {
    token_.Cancel();
  } else if (++further_ >= 2) {
    // The work never reached a check: end now.
    ExitProcess(static_cast<UINT>(128 + signal));
  }
  return true;
}

SignalWatch::SignalWatch() {
  SignalWatch* none = nullptr;
  if (!watchOfProcess.compare_exchange_strong(none, this)) return;
  if (SetConsoleCtrlHandler(reinterpret_cast<PHANDLER_ROUTINE>(&OnConsoleControl), TRUE)) {
    active_ = true;
  } else {
    watchOfProcess.store(nullptr);
  }
}

SignalWatch::~SignalWatch() {
  Stop();
}

void SignalWatch::Wait() {}

void SignalWatch::Stop() {
  if (!active_) return;
  active_ = false;
  stopping_.store(true);
  SetConsoleCtrlHandler(reinterpret_cast<PHANDLER_ROUTINE>(&OnConsoleControl), FALSE);
  watchOfProcess.store(nullptr);
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

void SignalWatch::EndIfSignalled() {
  const bool watching = active_;
  Stop();
  if (const int signal = received_.load(); watching && signal != 0) {
    std::cerr << "hoardwright: stopped by " << SignalName(signal) << std::endl;
    ExitProcess(static_cast<UINT>(128 + signal));
  }
}

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
