// counted.h: Counted<Derived, Interfaces...>, the reference count and lock of every counted object (internal).
//
//   class CQPropertyVault final : public detail::Counted<CQPropertyVault, IQPropertyVault> { ... };
//
// Counted derives from all the interfaces, so its AddRef and Release are the final overriders for each of them
// (a class with a serializer part shares one count between both tables). It adds no virtual slot of its own:
// the derived class keeps its interface's slot order and declares its destructor after it.
#ifndef QENPROPERTIES_INTERNAL_COUNTED_H_
#define QENPROPERTIES_INTERNAL_COUNTED_H_

#include "qenproperties/frame/types.h"
#include "qenproperties/internal/lock.h"

namespace Quenneth {
namespace detail {

template <class Derived, class... Interfaces>
class Counted : public Interfaces... {
 public:
  ULONG AddRef() override {
    QLockGuard guard(lock_);
    return ++refCount_;
  }

  // The count is changed under the lock, but the object is destroyed after the lock is left: the destructor
  // tears the lock down.
  ULONG Release() override {
    ULONG count;
    {
      QLockGuard guard(lock_);
      count = --refCount_;
    }
    if (count == 0) delete static_cast<Derived*>(this);
    return count;
  }

 protected:
  Counted() = default;
  // A copy is a new object: its own lock, and one reference for its creator.
  Counted(const Counted&) : Interfaces()... {}
  Counted& operator=(const Counted&) { return *this; }
  ~Counted() = default;

  QLock& ObjectLock() const { return lock_; }

 private:
  mutable QLock lock_;
  ULONG refCount_ = 1;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_COUNTED_H_
