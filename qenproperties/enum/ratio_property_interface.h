// ratio_property_interface.h: IQRatioProperty, a choice among ratios with one ratio the host sets freely.
#ifndef QENPROPERTIES_ENUM_RATIO_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_ENUM_RATIO_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQRatioProperty : public IQProperty {
 public:
  virtual ULONG GetEnumCount(ULONG* count) const = 0;
  // stringSize receives the length in bytes without the terminator.
  virtual ULONG GetEnumString(ULONG index, unsigned short* string, ULONG* stringSize, ULONG* id) const = 0;
  virtual ULONG GetCurSel(ULONG* index) const = 0;
  virtual ULONG GetCurSelString(unsigned short* string, ULONG* stringSize) const = 0;
  virtual ULONG SetCurSel(ULONG index) = 0;
  virtual ULONG SetCurSelString(unsigned short* string) = 0;
  virtual ULONG GetCurSelId(ULONG* id) const = 0;
  virtual ULONG SetCurSelById(ULONG id) = 0;
  virtual ULONG GetCustomRatio(ULONG* numerator, ULONG* denominator) const = 0;
  virtual ULONG SetCustomRatio(ULONG numerator, ULONG denominator) = 0;
  virtual ULONG GetCustomEuumId(ULONG* id) const = 0;

 protected:
  ~IQRatioProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_RATIO_PROPERTY_INTERFACE_H_
