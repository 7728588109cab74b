// ex_enum_property_interface.h: IQExEnumProperty, an enumeration whose entries carry a small typed value.
#ifndef QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQExEnumProperty : public IQProperty {
 public:
  // GetEnumSubDataDataType: the type of every entry's sub data (a QDataType value); kResultNullPointer for null.
  virtual ULONG GetEnumSubDataDataType(ULONG* type) const = 0;
  // GetCustomEnumID: the ID of the entry whose sub data the host sets freely; kResultNullPointer for null.
  virtual ULONG GetCustomEnumID(ULONG* id) const = 0;
  // GetNoSubDataEnumID: 0 (no entry is marked as having no sub data); kResultNullPointer for null.
  virtual ULONG GetNoSubDataEnumID(ULONG* id) const = 0;
  // GetEnumCount: the number of entries; kResultInvalidArgument for null.
  virtual ULONG GetEnumCount(ULONG* count) const = 0;
  // GetEnumStringAndSubData: entry `index`. stringSize receives the text's length in bytes without the
  // terminator, subDataSize the sub data's size; each non-null buffer or pointer is filled (size the buffers
  // by a first call with null ones). kResultInvalidArgument for a null stringSize, kResultIndexOutOfRange for
  // an index not below the count.
  virtual ULONG GetEnumStringAndSubData(ULONG index, unsigned short* string, ULONG* stringSize, ULONG* enumID,
                                        void* subData, ULONG* subDataSize) const = 0;
  // GetCurSel: the record's selected index; a value that holds no whole record leaves *index alone and gives 0.
  // kResultInvalidArgument for null.
  virtual ULONG GetCurSel(ULONG* index) const = 0;
  // GetCurSelString: the selected entry's text, length in bytes as for GetEnumStringAndSubData (entry 0 while
  // no value is stored). kResultInvalidArgument for a null stringSize, kResultNotAvailable when the index
  // designates no entry.
  virtual ULONG GetCurSelString(unsigned short* string, ULONG* stringSize) const = 0;
  // GetCurSelSubData: size receives the width of the sub-data type; a null buffer makes the call a size query,
  // otherwise the selected entry's sub data (at most the width) is copied. kResultNullPointer for a null size,
  // kResultNoSelection for a type without a width, kResultNotAvailable when the index designates no entry,
  // kResultStorageFailed when the record cannot be read for want of memory.
  virtual ULONG GetCurSelSubData(void* buffer, ULONG* size) const = 0;
  // GetCustomData: as GetCurSelSubData, for the custom entry (nothing is copied while there is none).
  virtual ULONG GetCustomData(void* buffer, ULONG* size) const = 0;
  // GetCurSelId: the selected entry's ID. kResultInvalidArgument for null, kResultOutOfRange when the index
  // designates no entry.
  virtual ULONG GetCurSelId(ULONG* id) const = 0;
  // SetCurSel: selects entry `index`, rewriting the record from it with a notification (the mediator may
  // refuse: its answer is returned and the old record stays). kResultIndexOutOfRange for an index not below the
  // count; an empty value stays empty (0); kResultNotAvailable for a value that holds no whole record.
  virtual ULONG SetCurSel(ULONG index) = 0;
  // SetCurSelString: SetCurSel of the first entry with exactly this text; kResultInvalidArgument for null text
  // or no such entry.
  virtual ULONG SetCurSelString(unsigned short* string) = 0;
  // SetCustomData: replaces the custom entry's sub data with `size` bytes and rewrites the record's value field
  // directly (no notification). kResultNotAvailable without a whole record, kResultNoSelection when `size` is
  // not the record's sub-data size, kResultInvalidArgument for null data or no custom entry,
  // kResultStorageFailed for want of memory.
  virtual ULONG SetCustomData(const void* data, ULONG size) = 0;
  // SetCurSelById: SetCurSel of the first entry with this ID; kResultInvalidArgument when there is none.
  virtual ULONG SetCurSelById(ULONG id) = 0;

 protected:
  ~IQExEnumProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_INTERFACE_H_
