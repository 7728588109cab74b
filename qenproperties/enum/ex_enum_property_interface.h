// ex_enum_property_interface.h: IQExEnumProperty, an enumeration whose entries carry a small typed value.
#ifndef QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQExEnumProperty : public IQProperty {
 public:
  virtual ULONG GetEnumSubDataDataType(ULONG* type) const = 0;
  virtual ULONG GetCustomEnumID(ULONG* id) const = 0;
  virtual ULONG GetNoSubDataEnumID(ULONG* id) const = 0;
  virtual ULONG GetEnumCount(ULONG* count) const = 0;
  // stringSize receives the length in bytes without the terminator; the buffers are filled when not null.
  virtual ULONG GetEnumStringAndSubData(ULONG index, unsigned short* string, ULONG* stringSize, ULONG* enumID,
                                        void* subData, ULONG* subDataSize) const = 0;
  virtual ULONG GetCurSel(ULONG* index) const = 0;
  virtual ULONG GetCurSelString(unsigned short* string, ULONG* stringSize) const = 0;
  // size receives the width of the sub-data type; a null buffer makes the call a size query.
  virtual ULONG GetCurSelSubData(void* buffer, ULONG* size) const = 0;
  virtual ULONG GetCustomData(void* buffer, ULONG* size) const = 0;
  virtual ULONG GetCurSelId(ULONG* id) const = 0;
  virtual ULONG SetCurSel(ULONG index) = 0;
  virtual ULONG SetCurSelString(unsigned short* string) = 0;
  virtual ULONG SetCustomData(const void* data, ULONG size) = 0;
  virtual ULONG SetCurSelById(ULONG id) = 0;

 protected:
  ~IQExEnumProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_INTERFACE_H_
