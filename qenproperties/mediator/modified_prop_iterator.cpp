// modified_prop_iterator.cpp: the plain list, the indexed sequence and the references they hold.
#include "qenproperties/mediator/modified_prop_iterator.h"

#include <algorithm>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {

CQModifiedPropIterator::CQModifiedPropIterator() : cursor_(plain_.end()) {}

// The entries give their references back as they go, under the lock.
CQModifiedPropIterator::~CQModifiedPropIterator() {
  detail::QLockGuard guard(lock_);
  plain_.clear();
  indexed_.clear();
}

ModifiedPropEntry CQModifiedPropIterator::Record(IQProperty* first, IQProperty* second, ULONG status, ULONG index) {
  return ModifiedPropEntry{QRef<IQProperty>::Retain(first), QRef<IQProperty>::Retain(second), status, index};
}

ULONG CQModifiedPropIterator::GetFirstModifiedProperty(IQProperty** first, IQProperty** second, ULONG* status) {
  if (first == nullptr || second == nullptr || status == nullptr) return kResultNullPointer;
  if (plain_.empty()) return kResultNotAvailable;
  cursor_ = plain_.begin();
  cursorSet_ = true;
  return ReadAtCursor(first, second, status);
}

ULONG CQModifiedPropIterator::GetNextModifiedProperty(IQProperty** first, IQProperty** second, ULONG* status) {
  if (first == nullptr || second == nullptr || status == nullptr) return kResultNullPointer;
  if (!cursorSet_ || cursor_ == plain_.end()) return kResultNotAvailable;
  return ReadAtCursor(first, second, status);
}

ULONG CQModifiedPropIterator::ReadAtCursor(IQProperty** first, IQProperty** second, ULONG* status) {
  const ModifiedPropEntry& entry = *cursor_;
  *first = QRef<IQProperty>(entry.first).Detach();
  *second = QRef<IQProperty>(entry.second).Detach();
  *status = entry.status;
  ++cursor_;
  return kResultOk;
}

ULONG CQModifiedPropIterator::AddToList(IQProperty* first, IQProperty* second, ULONG status) {
  detail::QLockGuard guard(lock_);
  plain_.push_back(Record(first, second, status, 0));  // a failed append gives its references back
  return kResultOk;
}

ULONG CQModifiedPropIterator::AddToListWithIndex(ULONG index, IQProperty* first, IQProperty* second, ULONG status) {
  detail::QLockGuard guard(lock_);
  indexed_.push_back(Record(first, second, status, index));
  return kResultOk;
}

ULONG CQModifiedPropIterator::SortIterator() {
  detail::QLockGuard guard(lock_);
  // A stable sort by index: equal indexes may end in any order, and keeping them in insertion order is one of
  // those orders. A comparison that never answers "equal" is not safe to hand to every qsort, so none is used.
  std::stable_sort(indexed_.begin(), indexed_.end(),
                   [](const ModifiedPropEntry& a, const ModifiedPropEntry& b) { return a.index < b.index; });
  return kResultOk;
}

ULONG CQModifiedPropIterator::GetNtheProperty(ULONG n, IQProperty** first, IQProperty** second, ULONG* status) {
  if (n >= indexed_.size()) return kResultIndexOutOfRange;
  const ModifiedPropEntry& entry = indexed_[n];
  if (first != nullptr) *first = QRef<IQProperty>(entry.first).Detach();
  if (second != nullptr) *second = QRef<IQProperty>(entry.second).Detach();
  if (status != nullptr) *status = entry.status;
  return kResultOk;
}

}  // namespace Quenneth
