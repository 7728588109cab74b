// modified_prop_iterator_interface.h: CModifiedPropIterator, the list of further changes that the dependency
// callbacks fill during a preview and the host's notify callback reads.
//
// Callbacks see only this abstract base; the mediator owns the concrete CQModifiedPropIterator and deletes it
// through its own type, so there is no virtual destructor here and nobody may delete through this base.
#ifndef QENPROPERTIES_MEDIATOR_MODIFIED_PROP_ITERATOR_INTERFACE_H_
#define QENPROPERTIES_MEDIATOR_MODIFIED_PROP_ITERATOR_INTERFACE_H_

#include "qenproperties/frame/types.h"

namespace Quenneth {

class IQProperty;

class CModifiedPropIterator {
 public:
  // Reading the plain list: the first item, then the item at the cursor. Each non-null property written out
  // carries a new reference for the caller. kResultNullPointer for a null out-parameter (all three are
  // required), kResultNotAvailable when there is no item to give.
  virtual ULONG GetFirstModifiedProperty(IQProperty** first, IQProperty** second, ULONG* status) = 0;
  virtual ULONG GetNextModifiedProperty(IQProperty** first, IQProperty** second, ULONG* status) = 0;
  // Appends an item to the plain list, holding one reference on each non-null property.
  virtual ULONG AddToList(IQProperty* first, IQProperty* second, ULONG status) = 0;

 protected:
  ~CModifiedPropIterator() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_MEDIATOR_MODIFIED_PROP_ITERATOR_INTERFACE_H_
