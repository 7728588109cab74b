// long_property_interface.h: IQLongProperty, an integer setting with a range.
#ifndef QENPROPERTIES_SCALAR_LONG_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_SCALAR_LONG_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQLongProperty : public IQProperty {
 public:
  // The bounds; kResultInvalidArgument for a null pointer.
  virtual ULONG GetMinRange(ULONG* minimum) = 0;
  virtual ULONG GetMaxRange(ULONG* maximum) = 0;
  // The value, zero-extended from the data type's width; kResultInvalidArgument for a null pointer.
  virtual ULONG GetCurValue(ULONG* value) = 0;
  // Validates against the range and stores with a notification; kResultOutOfRange outside an active range.
  virtual ULONG SetCurValue(ULONG value) = 0;

 protected:
  ~IQLongProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_LONG_PROPERTY_INTERFACE_H_
