// ratio_property_interface.h: IQRatioProperty, a choice among ratios with one ratio the host sets freely.
#ifndef QENPROPERTIES_ENUM_RATIO_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_ENUM_RATIO_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class IQRatioProperty : public IQProperty {
 public:
  // GetEnumCount: the number of entries; kResultInvalidArgument for null.
  virtual ULONG GetEnumCount(ULONG* count) const = 0;
  // GetEnumString: entry `index`. stringSize receives the length in bytes without the terminator; a non-null
  // string receives the text and its terminator, a non-null id the entry's ID. kResultInvalidArgument for a
  // null stringSize, kResultIndexOutOfRange for an index not below the count.
  virtual ULONG GetEnumString(ULONG index, unsigned short* string, ULONG* stringSize, ULONG* id) const = 0;
  // GetCurSel: the stored index (left alone while no value is stored); kResultInvalidArgument for null.
  virtual ULONG GetCurSel(ULONG* index) const = 0;
  // GetCurSelString: the selected entry's text as GetEnumString gives it; nothing is written (result 0) while
  // no value is stored or the index designates no entry. kResultInvalidArgument for a null stringSize.
  virtual ULONG GetCurSelString(unsigned short* string, ULONG* stringSize) const = 0;
  // SetCurSel: stores the index with a notification and returns the mediator's answer (a refusal keeps the old
  // value); kResultIndexOutOfRange for an index not below the count.
  virtual ULONG SetCurSel(ULONG index) = 0;
  // SetCurSelString: SetCurSel of the first entry with exactly this text; kResultInvalidArgument for null text
  // or no such entry.
  virtual ULONG SetCurSelString(unsigned short* string) = 0;
  // GetCurSelId: the selected entry's ID (left alone, result 0, while no value is stored).
  // kResultInvalidArgument for null, kResultNoSelection when the index designates no entry.
  virtual ULONG GetCurSelId(ULONG* id) const = 0;
  // SetCurSelById: SetCurSel of the first entry with this ID; kResultInvalidArgument when there is none.
  virtual ULONG SetCurSelById(ULONG id) = 0;
  // GetCustomRatio: the custom ratio (1:0 when new and after Reset); kResultNotFound when either pointer is
  // null, and then nothing is written.
  virtual ULONG GetCustomRatio(ULONG* numerator, ULONG* denominator) const = 0;
  // SetCustomRatio: stores any two numbers, a zero denominator included; the value is not touched and the
  // mediator is not told. Returns 0.
  virtual ULONG SetCustomRatio(ULONG numerator, ULONG denominator) = 0;
  // GetCustomEuumId: the ID of the entry that stands for the custom ratio (0xFFFFFFFF when new);
  // kResultNullPointer for null.
  virtual ULONG GetCustomEuumId(ULONG* id) const = 0;

 protected:
  ~IQRatioProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_RATIO_PROPERTY_INTERFACE_H_
