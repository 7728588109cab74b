// wstring_property_interface.h: IQWStringProperty, a setting holding one zero-terminated UTF-16 string.
#ifndef QENPROPERTIES_SCALAR_WSTRING_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_SCALAR_WSTRING_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQWStringProperty : public IQProperty {
 public:
  // GetCurString: `*byteLength` gets the stored BYTE count, terminator included (0 when none); a non-null
  // `text` sized from a first call with null gets all stored bytes. kResultInvalidArgument for a null length.
  virtual ULONG GetCurString(WCHAR* text, ULONG* byteLength) const = 0;
  // SetCurString: stores the text and its terminator with a notification; kResultNullPointer for null.
  virtual ULONG SetCurString(WCHAR const* text) = 0;
  // GetMaxStringLength: always 0 (no limit is applied); kResultNullPointer for null.
  virtual ULONG GetMaxStringLength(ULONG* maxLength) const = 0;

 protected:
  ~IQWStringProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_WSTRING_PROPERTY_INTERFACE_H_
