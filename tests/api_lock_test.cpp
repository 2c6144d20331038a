#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "core/api_lock.h"

namespace {

void WaitForWaiters(int count) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (ApiLockWaiters() < count) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "threads never queued";
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

TEST(ApiLock, IsRecursiveForItsOwner) {
  AcquireApiLock();
  AcquireApiLock();
  EXPECT_EQ(ApiLock.depth, 2);
  ReleaseApiLock();
  EXPECT_EQ(ApiLock.locked, 1);
  ReleaseApiLock();
  EXPECT_EQ(ApiLock.locked, 0);
  EXPECT_EQ(ApiLock.owner, 0xFFFFFFFFu);
  CloseApiLock();
  EXPECT_EQ(ApiLock.created, 0);
}

// Threads that find the lock taken get it strictly in the order they arrived, however the
// scheduler wakes them.
TEST(ApiLock, ServesWaitersFirstComeFirstServed) {
  constexpr int Threads = 8;
  AcquireApiLock();
  std::mutex orderMutex;
  std::vector<int> order;
  std::vector<std::thread> threads;
  for (int i = 0; i < Threads; ++i) {
    threads.emplace_back([i, &orderMutex, &order] {
      AcquireApiLock();
      {
        std::lock_guard guard(orderMutex);
        order.push_back(i);
      }
      // Re-entering while others wait must not queue the owner behind them.
      AcquireApiLock();
      ReleaseApiLock();
      ReleaseApiLock();
    });
    WaitForWaiters(i + 1);
  }
  ReleaseApiLock();
  for (auto& thread : threads) thread.join();
  std::vector<int> expected(Threads);
  for (int i = 0; i < Threads; ++i) expected[i] = i;
  EXPECT_EQ(order, expected);
  EXPECT_EQ(ApiLockWaiters(), 0);
  EXPECT_EQ(ApiLock.locked, 0);
  CloseApiLock();
}

TEST(ApiLock, ReleasingOwnerQueuesBehindEarlierWaiters) {
  AcquireApiLock();
  std::atomic<bool> otherHasIt{false};
  std::thread other([&] {
    AcquireApiLock();
    otherHasIt = true;
    ReleaseApiLock();
  });
  WaitForWaiters(1);
  ReleaseApiLock();
  AcquireApiLock();  // must wait for the thread that arrived first
  EXPECT_TRUE(otherHasIt);
  ReleaseApiLock();
  other.join();
  CloseApiLock();
}

TEST(ApiLock, ManyThreadsContendingFromFirstUseAllGetThrough) {
  constexpr int Threads = 16, Rounds = 200;
  int counter = 0;
  std::vector<std::thread> threads;
  for (int i = 0; i < Threads; ++i) {
    threads.emplace_back([&counter] {
      for (int r = 0; r < Rounds; ++r) {
        AcquireApiLock();
        ++counter;  // guarded by the lock alone
        ReleaseApiLock();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, Threads * Rounds);
  CloseApiLock();
}

}  // namespace
