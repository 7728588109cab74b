// lock.h: the per-object recursive lock and its RAII guard (internal).
#ifndef QENPROPERTIES_INTERNAL_LOCK_H_
#define QENPROPERTIES_INTERNAL_LOCK_H_

#include <atomic>
#include <thread>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// QLock is recursive because an operation holding an object's lock calls other operations of the same object
// (a setter calls the direct store, a named constructor calls setters), and a mediator callback may re-enter on
// the same thread. lockDepth counts the nesting of the thread that holds it.
//
// Every change takes a few locks and re-enters them many times, so both are made cheap:
//  - re-entry: the holder is recorded, and a thread that finds itself recorded only counts one level deeper,
//    with no atomic read-modify-write. A thread reads its own identity in `owner_` only while it holds the
//    lock: it writes it after locking and clears it before unlocking, and every other thread writes only its
//    own identity or the empty one;
//  - the first entry: one compare-and-swap, inline, when the lock is free; leaving, one exchange. Only a thread
//    that finds the lock taken calls into the library, where it spins briefly, then sleeps until the holder
//    leaves (LockContended, WakeLockWaiter: the state kWaiting tells the holder that somebody may sleep).
// The whole lock is 16 bytes, which matters: every property object has one.
class QLock {
 public:
  static constexpr int kFree = 0;
  static constexpr int kLocked = 1;
  static constexpr int kWaiting = 2;  // locked, and a thread may be asleep waiting for it

  QLock() = default;
  QLock(const QLock&) = delete;
  QLock& operator=(const QLock&) = delete;

  void Enter() {
    const std::thread::id self = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++lockDepth_;
      return;
    }
    int expected = kFree;
    if (!state_.compare_exchange_strong(expected, kLocked, std::memory_order_acquire, std::memory_order_relaxed)) {
      LockContended(state_);
    }
    owner_.store(self, std::memory_order_relaxed);
    lockDepth_ = 1;
  }
  void Leave() {
    if (--lockDepth_ != 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    if (state_.exchange(kFree, std::memory_order_release) == kWaiting) WakeLockWaiter(state_);
  }

 private:
  // LockContended takes a lock another thread holds, once it is left; WakeLockWaiter wakes the threads that may
  // sleep on `state`.
  QEN_API static void LockContended(std::atomic<int>& state);
  QEN_API static void WakeLockWaiter(std::atomic<int>& state);

  // The two 4-byte words first, so the lock takes 16 bytes rather than 24.
  std::atomic<int> state_{kFree};
  ULONG lockDepth_ = 0;
  std::atomic<std::thread::id> owner_{};
};
static_assert(sizeof(std::thread::id) != 8 || sizeof(QLock) == 16, "a lock takes 16 bytes");

// QLockGuard holds a QLock for its scope. A null lock is allowed and does nothing, so optional outer locks
// (the mediator's, for a property that has none) read the same as the object's own.
class QLockGuard {
 public:
  explicit QLockGuard(QLock& lock) : lock_(&lock) { lock_->Enter(); }
  explicit QLockGuard(QLock* lock) : lock_(lock) {
    if (lock_ != nullptr) lock_->Enter();
  }
  QLockGuard(const QLockGuard&) = delete;
  QLockGuard& operator=(const QLockGuard&) = delete;
  ~QLockGuard() {
    if (lock_ != nullptr) lock_->Leave();
  }

 private:
  QLock* lock_;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_LOCK_H_
