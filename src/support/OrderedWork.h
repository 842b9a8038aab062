#pragma once
// Work items done on several threads and taken back in their own order: `produce(i)` runs on a
// worker for each i in 0 .. count-1, and `consume(i, result)` runs on the calling thread for i =
// 0, 1, 2, ... as soon as that result is there. So whatever the consumer does (show messages,
// write a file, feed an encoder) happens in exactly the order of a single-threaded loop, and the
// output cannot depend on the number of threads. At most `window` results wait at a time, which
// bounds the memory held. `consume` returning false stops the work: no further item is consumed
// and the workers stop after the item they are on.
//
// With fewer than one worker thread it is the plain loop: produce(i), consume(i), on the caller.
#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace hoardwright::support {

// The number of threads a build uses for `requested` (0 means the machine's hardware threads).
inline unsigned EffectiveJobs(unsigned requested) {
  if (requested > 0) return requested;
  return std::max(1U, std::thread::hardware_concurrency());
}

template <typename Result, typename Produce, typename Consume>
bool RunInOrder(std::size_t count, unsigned workers, std::size_t window, Produce produce,
                Consume consume) {
  if (workers == 0 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Result result = produce(i);
      if (!consume(i, result)) return false;
    }
    return true;
  }
  window = std::max<std::size_t>(window, 1);
  workers = static_cast<unsigned>(std::min<std::size_t>(workers, count));

  std::mutex mutex;
  // Separate wake-ups, and only for a thread that is waiting: with thousands of small items the
  // hand-over must not cost a system call each.
  std::condition_variable slotFree;   // workers wait for room
  std::condition_variable itemReady;  // the caller waits for its next item
  std::vector<std::optional<Result>> slots(window);
  std::size_t claimed = 0;   // next item a worker takes
  std::size_t consumed = 0;  // next item the caller takes
  std::size_t waitingWorkers = 0;
  bool callerWaiting = false;
  bool stop = false;
  std::exception_ptr failure;

  auto work = [&] {
    std::unique_lock lock(mutex);
    while (true) {
      // An item may start only when its slot is free: at most `window` items ahead.
      while (!(stop || claimed >= count || claimed < consumed + window)) {
        ++waitingWorkers;
        slotFree.wait(lock);
        --waitingWorkers;
      }
      if (stop || claimed >= count) return;
      const std::size_t item = claimed++;
      lock.unlock();
      std::optional<Result> result;
      try {
        result.emplace(produce(item));
      } catch (...) {
        lock.lock();
        if (!failure) failure = std::current_exception();
        stop = true;
        slotFree.notify_all();
        itemReady.notify_all();
        return;
      }
      lock.lock();
      slots[item % window] = std::move(result);
      if (callerWaiting && item == consumed) itemReady.notify_one();
    }
  };

  bool completed = true;
  {
    std::vector<std::thread> threads;
    // However this block is left (a consumer that throws, a thread that cannot be started), the
    // workers are stopped and joined: a std::thread destroyed while it runs ends the program.
    struct JoinWorkers {
      std::vector<std::thread>& threads;
      std::mutex& mutex;
      bool& stop;
      std::condition_variable& slotFree;
      ~JoinWorkers() {
        {
          std::lock_guard lock(mutex);
          stop = true;
        }
        slotFree.notify_all();
        for (auto& thread : threads) thread.join();
      }
    } joinWorkers{threads, mutex, stop, slotFree};

    threads.reserve(workers);
    try {
      for (unsigned i = 0; i < workers; ++i) threads.emplace_back(work);
    } catch (const std::system_error&) {
      // No more threads to be had: the ones started do the work, or the caller alone.
      if (threads.empty()) {
        for (std::size_t i = 0; i < count; ++i) {
          Result result = produce(i);
          if (!consume(i, result)) return false;
        }
        return true;
      }
    }

    for (std::size_t item = 0; item < count; ++item) {
      std::optional<Result> result;
      {
        std::unique_lock lock(mutex);
        while (!(stop || slots[item % window].has_value())) {
          callerWaiting = true;
          itemReady.wait(lock);
          callerWaiting = false;
        }
        if (!slots[item % window]) break;  // a worker failed
        result = std::move(slots[item % window]);
        slots[item % window].reset();
        ++consumed;
        if (waitingWorkers > 0) slotFree.notify_one();
      }
      if (!consume(item, *result)) {
        completed = false;
        break;
      }
    }
  }
  // A failure inside a worker comes back to the caller as the exception it was.
  if (failure) std::rethrow_exception(failure);
  return completed;
}

}  // namespace hoardwright::support
