// float_property.h: CQFloatProperty, a floating-point setting with a range and a digit count for its text.
//
// kDataTypeFloat values are stored as 4-byte singles (rounded to nearest), kDataTypeDouble values as 8-byte
// doubles; other types store nothing. The default is always the 8 bytes of a double. Bytes are in host order.
//
// Range checks: SetCurValue and SetDirectCurValue check only while both bounds are non-zero; SetCurValue allows
// a tolerance of about 1e-6 and pulls such a value onto the bound, SetDirectCurValue and SetPropertyData(double)
// allow none, and SetPropertyData(double) checks even with a zero bound. A NaN passes every check. Refusals
// give kResultOutOfRange and store nothing.
//
// Preset text: the value in fixed-point notation with the digit count (2 by default) after the point, length
// in code units. The load reads a number (kResultNotFound when there is none) and stores it with
// SetDirectCurValue, so the mediator is not told.
//
// QueryInterface answers IID_IQFloatProperty besides the skeleton's identifiers.
#ifndef QENPROPERTIES_SCALAR_FLOAT_PROPERTY_H_
#define QENPROPERTIES_SCALAR_FLOAT_PROPERTY_H_

#include <atomic>

#include "qenproperties/frame/export.h"
#include "qenproperties/property/typed_property.h"
#include "qenproperties/scalar/float_property_interface.h"

namespace Quenneth {

class QEN_API CQFloatProperty : public detail::TypedProperty<CQFloatProperty, IQFloatProperty> {
 public:
  // The tolerance of SetCurValue: the single-precision constant nearest 1e-6, used as a double. Defined in the
  // library rather than inline, so a host may bind a reference to it through the DLL's import table as well.
  static const double kTolerance;

  // Named forms: the default as 8 bytes, the current value through SetPropertyData(double) (refused, and not
  // stored, outside [minimum, maximum]), then SetRange(minimum, maximum) pulls whatever is held into the
  // bounds. Flags end as 9.
  CQFloatProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId, QDataType type,
                  double defaultValue, double currentValue, double minimum, double maximum,
                  IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQFloatProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId, QDataType type,
                  double defaultValue, double currentValue, double minimum, double maximum,
                  IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Range [-max double, +max double], no value, flags 1.
  CQFloatProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Range, digit count and base property (without mediator) of the source.
  CQFloatProperty(CQFloatProperty& source);
  CQFloatProperty& operator=(const CQFloatProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  // Raw store: kResultInvalidArgument for null data; the bytes go unchecked to the notifying store.
  using TypedProperty::SetPropertyData;

  ULONG GetMinRange(double* minimum) override;
  ULONG GetMaxRange(double* maximum) override;
  ULONG GetCurValue(double* value) override;
  ULONG SetCurValue(double value) override;
  ULONG GetSignificantDigitAfterPoint(ULONG* digits) override;

  virtual ~CQFloatProperty();
  // Stores the count unchecked.
  virtual ULONG SetSignificantDigitAfterPoint(ULONG digits);

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;
  // Does nothing: the stored width follows the data type.
  ULONG SetDataSize(ULONG size) override;

  // SetRange stores the bounds (unchecked) and moves a value outside them onto the nearer bound without
  // telling the mediator.
  ULONG SetRange(double minimum, double maximum);
  // Strict check against the bounds, then a store with a notification.
  ULONG SetPropertyData(double value);
  // The 8 bytes of `value` become the default; mediator not told.
  ULONG SetPropertyDefaultData(double value);
  // Strict check while the range is active, then a store without a notification.
  ULONG SetDirectCurValue(double value);

 private:
  template <class Char>
  QEN_LOCAL void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, QDataType type,
                      double defaultValue, double currentValue, double minimum, double maximum);
  friend Shell;
  struct Copied {
    double minimum;
    double maximum;
    ULONG digits;
  };
  static Copied TakeCopy(CQFloatProperty& source);
  void PutCopy(Copied&& copied);
  bool RangeActive() const;
  // Store runs under the caller's guard `held`.
  ULONG Store(const ValueGuard& held, double value, bool notify);

  std::atomic<double> minimum_;
  std::atomic<double> maximum_;
  std::atomic<ULONG> digits_{2};
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_FLOAT_PROPERTY_H_
