// change_lock.h: ChangeLockOwner, how a property finds the lock that serialises the changes of its mediator
// (internal).
//
// A change takes the property's locks and then the mediator's; a mediator callback that sets another bound
// property takes the mediator's and then that property's. Two threads doing both could deadlock. So every
// operation of a bound property that may notify takes the mediator's lock first, before its own: all changes
// of one mediator are serialised and the order is always mediator, property, base property. Mediators of the
// host (which do not derive from this) give no lock, and the property takes only its own.
#ifndef QENPROPERTIES_INTERNAL_CHANGE_LOCK_H_
#define QENPROPERTIES_INTERNAL_CHANGE_LOCK_H_

#include "qenproperties/internal/lock.h"

namespace Quenneth {
namespace detail {

class ChangeLockOwner {
 public:
  virtual QLock& ChangeLock() = 0;

 protected:
  ~ChangeLockOwner() = default;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_CHANGE_LOCK_H_
