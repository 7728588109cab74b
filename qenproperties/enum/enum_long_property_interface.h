// enum_long_property_interface.h: IQEnumLongProperty, a choice out of an ordered list of 32-bit numbers.
#ifndef QENPROPERTIES_ENUM_ENUM_LONG_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_ENUM_ENUM_LONG_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQEnumLongProperty : public IQProperty {
 public:
  // GetEnumCount: the number of entries; kResultInvalidArgument for a null pointer.
  virtual ULONG GetEnumCount(ULONG* count) const = 0;
  // GetEnumLongValue: the number at `index`; kResultIndexOutOfRange beyond the list (checked before `value`).
  virtual ULONG GetEnumLongValue(ULONG index, ULONG* value) const = 0;
  // GetCurSelIndex: the stored index; nothing is written while no value is stored.
  virtual ULONG GetCurSelIndex(ULONG* index) const = 0;
  // GetCurSelLongValue: the number at the stored index; kResultNoSelection when the index has no entry.
  virtual ULONG GetCurSelLongValue(ULONG* value) const = 0;
  // SetCurSelIndex: stores the index with a notification; kResultIndexOutOfRange beyond the list.
  virtual ULONG SetCurSelIndex(ULONG index) = 0;
  // SetCurSelLongValue: selects the first position holding `value`, with a notification.
  virtual ULONG SetCurSelLongValue(ULONG value) = 0;

 protected:
  ~IQEnumLongProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_ENUM_LONG_PROPERTY_INTERFACE_H_
