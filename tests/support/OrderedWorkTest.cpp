// Work on several threads, taken back in order: a failure on any thread comes back to the caller
// as an exception, with every worker joined, never as an end of the program.
#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <vector>

#include "support/OrderedWork.h"

namespace hoardwright {
namespace {

constexpr std::size_t kItems = 200;

// A worker that runs out of memory, and a consumer that throws while the workers still run:
// both reach the caller as the exception they were.
TEST(OrderedWorkTest, AFailureOnAnyThreadReachesTheCaller) {
  for (const unsigned workers : {1U, 3U}) {
    SCOPED_TRACE(::testing::Message() << workers << " workers");
    EXPECT_THROW(support::RunInOrder<int>(
                     kItems, workers, 8,
                     [](std::size_t i) -> int {
                       if (i == 57) throw std::bad_alloc();
                       return 0;
                     },
                     [](std::size_t, int&) { return true; }),
                 std::bad_alloc);

    std::atomic<std::size_t> produced{0};
    EXPECT_THROW(support::RunInOrder<int>(
                     kItems, workers, 8,
                     [&](std::size_t) {
                       ++produced;
                       return 0;
                     },
                     [](std::size_t i, int&) -> bool {
                       if (i == 3) throw std::runtime_error("consumer failed");
                       return true;
                     }),
                 std::runtime_error);
    // The workers stopped within their window instead of running to the end.
    EXPECT_LT(produced.load(), kItems);
  }
}

}  // namespace
}  // namespace hoardwright
