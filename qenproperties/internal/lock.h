// lock.h: the per-object recursive lock and its RAII guard (internal).
#ifndef QENPROPERTIES_INTERNAL_LOCK_H_
#define QENPROPERTIES_INTERNAL_LOCK_H_

#include <atomic>
#include <mutex>
#include <thread>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// QLock is recursive because an operation holding an object's lock calls other operations of the same object
// (a setter calls the direct store, a named constructor calls setters), and a mediator callback may re-enter on
// the same thread. lockDepth counts the nesting of the thread that holds it.
//
// A change re-enters the same few locks many times (the mediator's, the property's), so re-entry is made
// cheap: the holder is recorded, and a thread that finds itself recorded only counts one level deeper, with
// no atomic read-modify-write. Only the first entry takes the (plain) mutex. A thread reads its own identity
// in `owner_` only while it holds the lock: it writes it after locking and clears it before unlocking, and
// every other thread writes only its own identity or the empty one.
class QLock {
 public:
  QLock() = default;
  QLock(const QLock&) = delete;
  QLock& operator=(const QLock&) = delete;

  void Enter() {
    const std::thread::id self = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == self) {
      ++lockDepth_;
      return;
    }
    mutex_.lock();
    owner_.store(self, std::memory_order_relaxed);
    lockDepth_ = 1;
  }
  void Leave() {
    if (--lockDepth_ != 0) return;
    owner_.store(std::thread::id(), std::memory_order_relaxed);
    mutex_.unlock();
  }

 private:
  std::mutex mutex_;
  std::atomic<std::thread::id> owner_{};
  ULONG lockDepth_ = 0;
};

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
