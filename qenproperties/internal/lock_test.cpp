// lock_test.cpp: QLock, the recursive lock every object guards itself with: re-entry, exclusion between
// threads, and threads that sleep while another holds it long.
#include "qenproperties/internal/lock.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace Quenneth {
namespace {

using detail::QLock;
using detail::QLockGuard;

TEST(LockTest, TheHolderReentersAndOthersWaitUntilTheLastLeave) {
  QLock lock;
  std::atomic<bool> taken{false};
  lock.Enter();
  lock.Enter();  // re-entry by the holder
  std::thread other([&] {
    QLockGuard guard(lock);
    taken = true;
  });
  lock.Leave();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(taken.load()) << "the lock was taken while its holder was still one level deep";
  lock.Leave();
  other.join();
  EXPECT_TRUE(taken.load());
  QLockGuard again(lock);  // free again for this thread
}

// Every thread increments a plain counter under the lock, now and then holding it long enough that the others
// give up spinning and sleep: the total comes out exact, and every sleeper is woken.
TEST(LockTest, ThreadsExcludeEachOtherAndSleepersWake) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 20000;
  QLock lock;
  long counter = 0;
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int i = 0; i < kRounds; ++i) {
        QLockGuard guard(lock);
        QLockGuard nested(lock);
        ++counter;
        if (i % 2000 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(counter, static_cast<long>(kThreads) * kRounds);
}

// Two locks taken in the same order on many threads: waiting on one never loses the wake-up of the other, even
// when both sleep in the same bucket.
TEST(LockTest, WakeUpsOfLocksThatShareABucketAreNotLost) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 3000;
  std::array<QLock, 64> locks;
  std::atomic<long> done{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        QLock& first = locks[static_cast<std::size_t>((i + t) % 64)];
        QLock& second = locks[static_cast<std::size_t>((i + t + 32) % 64)];
        QLock& low = &first < &second ? first : second;
        QLock& high = &first < &second ? second : first;
        QLockGuard a(low);
        QLockGuard b(high);
        if (i % 500 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++done;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(done.load(), static_cast<long>(kThreads) * kRounds);
}

}  // namespace
}  // namespace Quenneth
