// lock.h: the per-object recursive lock and its RAII guard (internal).
#ifndef QENPROPERTIES_INTERNAL_LOCK_H_
#define QENPROPERTIES_INTERNAL_LOCK_H_

#include <mutex>

#include "qenproperties/frame/types.h"

namespace Quenneth {
namespace detail {

// QLock is recursive because an operation holding an object's lock calls other operations of the same object
// (a setter calls the direct store, a named constructor calls setters), and a mediator callback may re-enter on
// the same thread. lockDepth counts the nesting of the thread that holds it; nothing decides on it.
class QLock {
 public:
  QLock() = default;
  QLock(const QLock&) = delete;
  QLock& operator=(const QLock&) = delete;

  void Enter() {
    mutex_.lock();
    ++lockDepth_;
  }
  void Leave() {
    --lockDepth_;
    mutex_.unlock();
  }

 private:
  std::recursive_mutex mutex_;
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
