#include "qenproperties/internal/lock.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace Quenneth {
namespace detail {
namespace {

// A thread that waits for a lock sleeps in one of a few shared buckets, chosen by the lock's address, so that
// a lock itself holds no mutex or condition variable of its own. Waiters of other locks in the same bucket
// wake as well and go back to sleep.
struct Bucket {
  std::mutex mutex;
  std::condition_variable woken;
};

Bucket& BucketFor(const std::atomic<int>& state) {
  constexpr std::size_t kBuckets = 64;
  static Bucket buckets[kBuckets];
  const auto address = reinterpret_cast<std::uintptr_t>(&state);
  return buckets[(address / alignof(std::max_align_t)) % kBuckets];
}

}  // namespace

// The holder usually leaves within a few hundred nanoseconds, so a few tries come first. Then the state becomes
// kWaiting (the holder will wake the bucket when it leaves) and the thread sleeps until the state is no longer
// kWaiting; whoever takes the lock after a wait leaves kWaiting behind, so the next one to leave wakes the rest.
void QLock::LockContended(std::atomic<int>& state) {
  constexpr int kSpins = 100;
  for (int i = 0; i < kSpins; ++i) {
    int expected = kFree;
    if (state.load(std::memory_order_relaxed) == kFree &&
        state.compare_exchange_weak(expected, kLocked, std::memory_order_acquire, std::memory_order_relaxed)) {
      return;
    }
    std::this_thread::yield();
  }
  Bucket& bucket = BucketFor(state);
  while (state.exchange(kWaiting, std::memory_order_acquire) != kFree) {
    std::unique_lock<std::mutex> guard(bucket.mutex);
    bucket.woken.wait(guard, [&] { return state.load(std::memory_order_relaxed) != kWaiting; });
  }
}

// The bucket's mutex is taken and left before the wake-up, so a waiter that saw kWaiting under it is asleep by
// then and hears it.
void QLock::WakeLockWaiter(std::atomic<int>& state) {
  Bucket& bucket = BucketFor(state);
  { std::lock_guard<std::mutex> guard(bucket.mutex); }
  bucket.woken.notify_all();
}

}  // namespace detail
}  // namespace Quenneth
