// float_property_interface.h: IQFloatProperty, a single- or double-precision setting with a range.
#ifndef QENPROPERTIES_SCALAR_FLOAT_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_SCALAR_FLOAT_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQFloatProperty : public IQProperty {
 public:
  // The bounds; kResultInvalidArgument for a null pointer.
  virtual ULONG GetMinRange(double* minimum) = 0;
  virtual ULONG GetMaxRange(double* maximum) = 0;
  // The value as a double; unchanged for a type other than single or double. kResultInvalidArgument for null.
  virtual ULONG GetCurValue(double* value) = 0;
  // Accepts a value up to the tolerance outside an active range, pulled onto the bound, and stores it with a
  // notification; kResultOutOfRange beyond the tolerance.
  virtual ULONG SetCurValue(double value) = 0;
  // The digit count of the preset text; kResultNullPointer for null.
  virtual ULONG GetSignificantDigitAfterPoint(ULONG* digits) = 0;

 protected:
  ~IQFloatProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_FLOAT_PROPERTY_INTERFACE_H_
