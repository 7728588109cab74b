// modified_prop_iterator.h: CQModifiedPropIterator, the scratch list of one change notification.
//
// Two independent collections: the plain list (AddToList, GetFirst/GetNextModifiedProperty) and the indexed
// sequence (AddToListWithIndex, SortIterator, GetNtheProperty). No item moves between them and duplicates are
// kept. Every stored non-null property holds one reference, given back by the destructor.
//
// Not reference counted: the owner creates it with `new` and deletes it through this (final) type. Appending,
// sorting and destruction take the iterator's own lock; the readers do not, as one thread runs a notification.
#ifndef QENPROPERTIES_MEDIATOR_MODIFIED_PROP_ITERATOR_H_
#define QENPROPERTIES_MEDIATOR_MODIFIED_PROP_ITERATOR_H_

#include <list>
#include <vector>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/internal/lock.h"
#include "qenproperties/mediator/modified_prop_iterator_interface.h"

namespace Quenneth {

// ModifiedPropEntry is one recorded item: two properties (each may be null, each non-null one held by one
// reference), an opaque status word handed back as stored, and the sort key of the indexed sequence (0 in the
// plain list).
struct ModifiedPropEntry {
  QRef<IQProperty> first;
  QRef<IQProperty> second;
  ULONG status;
  ULONG index;
};

class QEN_API CQModifiedPropIterator final : public CModifiedPropIterator {
 public:
  CQModifiedPropIterator();
  CQModifiedPropIterator(const CQModifiedPropIterator&) = delete;
  CQModifiedPropIterator& operator=(const CQModifiedPropIterator&) = delete;

  // A cursor that was never set (no GetFirstModifiedProperty yet) answers GetNextModifiedProperty with
  // kResultNotAvailable rather than starting from the head: reading begins with the first item.
  ULONG GetFirstModifiedProperty(IQProperty** first, IQProperty** second, ULONG* status) override;
  ULONG GetNextModifiedProperty(IQProperty** first, IQProperty** second, ULONG* status) override;
  ULONG AddToList(IQProperty* first, IQProperty* second, ULONG status) override;

  ~CQModifiedPropIterator();
  // Orders the indexed sequence by ascending index; equal indexes end in no particular order.
  virtual ULONG SortIterator();
  // Appends to the indexed sequence; note the index comes first.
  virtual ULONG AddToListWithIndex(ULONG index, IQProperty* first, IQProperty* second, ULONG status);
  // The item at zero-based position n of the indexed sequence; every out-parameter is optional and the index
  // is not returned. kResultIndexOutOfRange when n is past the end.
  virtual ULONG GetNtheProperty(ULONG n, IQProperty** first, IQProperty** second, ULONG* status);

 private:
  ULONG ReadAtCursor(IQProperty** first, IQProperty** second, ULONG* status);
  static ModifiedPropEntry Record(IQProperty* first, IQProperty* second, ULONG status, ULONG index);

  std::vector<ModifiedPropEntry> indexed_;
  std::list<ModifiedPropEntry> plain_;
  std::list<ModifiedPropEntry>::iterator cursor_;
  bool cursorSet_ = false;
  detail::QLock lock_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_MEDIATOR_MODIFIED_PROP_ITERATOR_H_
