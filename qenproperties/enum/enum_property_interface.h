// enum_property_interface.h: IQEnumProperty, a choice out of an ordered list of texts with numeric IDs.
#ifndef QENPROPERTIES_ENUM_ENUM_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_ENUM_ENUM_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQEnumProperty : public IQProperty {
 public:
  // GetEnumCount: the number of entries; kResultInvalidArgument for a null pointer.
  virtual ULONG GetEnumCount(ULONG* count) const = 0;
  // GetEnumString: the entry's text (length in bytes, terminator not counted) and the low 32 bits of its ID.
  virtual ULONG GetEnumString(ULONG index, WCHAR* text, ULONG* byteLength, ULONG* id) const = 0;
  // GetCurSel: the stored index; nothing is written while no value is stored.
  virtual ULONG GetCurSel(ULONG* index) const = 0;
  // GetCurSelString: the selected entry's text (length in bytes); nothing is written when there is none.
  virtual ULONG GetCurSelString(WCHAR* text, ULONG* byteLength) const = 0;
  // SetCurSel: stores the index with a notification; kResultIndexOutOfRange beyond the list.
  virtual ULONG SetCurSel(ULONG index) = 0;
  // SetCurSelString: selects the first entry with an equal text, with a notification.
  virtual ULONG SetCurSelString(WCHAR* text) = 0;
  // GetCurSelId: the low 32 bits of the selected entry's ID; kResultNoSelection when the index has no entry.
  virtual ULONG GetCurSelId(ULONG* id) const = 0;
  // SetCurSelById: selects the first entry whose ID equals `id` zero-extended, with a notification.
  virtual ULONG SetCurSelById(ULONG id) = 0;

 protected:
  ~IQEnumProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_ENUM_PROPERTY_INTERFACE_H_
