// counted.h: Counted<Derived, Interfaces...>, the reference count and lock of every counted object (internal).
//
//   class CQPropertyVault final : public detail::Counted<CQPropertyVault, IQPropertyVault> { ... };
//
// Counted derives from all the interfaces (through CountedCore), so its AddRef and Release are the final overriders for
// each of them (a class with a serializer part shares one count between both tables). It adds no virtual slot of its
// own: the derived class keeps its interface's slot order and declares its destructor after it.
#ifndef QENPROPERTIES_INTERNAL_COUNTED_H_
#define QENPROPERTIES_INTERNAL_COUNTED_H_

#include <atomic>

#include "qenproperties/frame/types.h"
#include "qenproperties/internal/lock.h"

namespace Quenneth {
namespace detail {

// CountedCore is the count alone, for objects that guard themselves with another object's lock (a typed
// property uses its base property's: a lock of its own would be 16 bytes that nothing takes) or that place
// their lock among their own fields (the base property keeps it next to what its readers touch with it).
template <class Derived, class... Interfaces>
class CountedCore : public Interfaces... {
 public:
  // The count is atomic rather than guarded by the object's lock: every change of a property makes and drops
  // several references, and a lock round trip for each was a large part of the change road. The answers are
  // the same: the new count, and the last Release destroys the object (after every other thread's Release).
  ULONG AddRef() override { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }

  ULONG Release() override {
    const ULONG count = refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count == 0) delete static_cast<Derived*>(this);
    return count;
  }

  // Unshared tells whether the caller holds the only reference, so that no other code can see the object
  // (what lets a spare snapshot be refreshed in place). The acquire pairs with the release of the last other
  // holder, so everything that holder did with the object happens before the caller's reuse.
  bool Unshared() const { return refCount_.load(std::memory_order_acquire) == 1; }

 protected:
  CountedCore() = default;
  // A copy is a new object, with one reference for its creator.
  CountedCore(const CountedCore&) : Interfaces()... {}
  CountedCore& operator=(const CountedCore&) { return *this; }
  ~CountedCore() = default;

 private:
  std::atomic<ULONG> refCount_{1};
};

template <class Derived, class... Interfaces>
class Counted : public CountedCore<Derived, Interfaces...> {
 protected:
  Counted() = default;
  // A copy is a new object: its own lock, and one reference for its creator.
  Counted(const Counted& source) : CountedCore<Derived, Interfaces...>(source) {}
  Counted& operator=(const Counted&) { return *this; }
  ~Counted() = default;

  QLock& ObjectLock() const { return lock_; }

 private:
  mutable QLock lock_;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_COUNTED_H_
