// bool_property_interface.h: IQBoolProperty, an on/off setting held in one byte.
#ifndef QENPROPERTIES_SCALAR_BOOL_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_SCALAR_BOOL_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQBoolProperty : public IQProperty {
 public:
  // GetCurValue: the first byte of the value (0 = off); unchanged when none is stored; kResultInvalidArgument
  // for a null pointer.
  virtual ULONG GetCurValue(unsigned char* value) = 0;
  // SetCurValue: stores the byte as given, with a notification; the mediator's refusal is returned.
  virtual ULONG SetCurValue(unsigned char value) = 0;

 protected:
  ~IQBoolProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_BOOL_PROPERTY_INTERFACE_H_
