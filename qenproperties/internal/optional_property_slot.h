// optional_property_slot.h: OptionalPropertySlot, the host's optional property held by long, enum and ratio
// properties (internal).
#ifndef QENPROPERTIES_INTERNAL_OPTIONAL_PROPERTY_SLOT_H_
#define QENPROPERTIES_INTERNAL_OPTIONAL_PROPERTY_SLOT_H_

#include <mutex>

#include "qenproperties/frame/optional_property.h"
#include "qenproperties/frame/qref.h"

namespace Quenneth {
namespace detail {

// One reference is held on the optional property; copies of the owning property share it. The slot guards
// itself, so QueryInterface can hand the object out while another thread replaces it.
class OptionalPropertySlot {
 public:
  OptionalPropertySlot() = default;
  OptionalPropertySlot(const OptionalPropertySlot&) = delete;
  OptionalPropertySlot& operator=(const OptionalPropertySlot&) = delete;

  void Set(QRef<IQOptionalProperty> optional) {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      held_.swap(optional);
    }
    // The replaced reference is released here, outside the slot's lock.
  }
  QRef<IQOptionalProperty> Get() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return held_;
  }

 private:
  mutable std::mutex mutex_;
  QRef<IQOptionalProperty> held_;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_OPTIONAL_PROPERTY_SLOT_H_
