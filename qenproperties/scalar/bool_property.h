// bool_property.h: CQBoolProperty, an on/off setting.
//
// The value is one byte stored as the caller gives it (2 stays 2); only the preset text folds every non-zero
// byte to "TRUE". Preset text: "TRUE" or "FALSE", length in code units without the terminator; the load gives
// 1 for exactly "TRUE" and 0 for anything else, stored through the notifying raw SetPropertyData.
//
// QueryInterface answers IID_IQBoolProperty besides the skeleton's identifiers.
#ifndef QENPROPERTIES_SCALAR_BOOL_PROPERTY_H_
#define QENPROPERTIES_SCALAR_BOOL_PROPERTY_H_

#include "qenproperties/frame/export.h"
#include "qenproperties/property/typed_property.h"
#include "qenproperties/scalar/bool_property_interface.h"

namespace Quenneth {

class QEN_API CQBoolProperty : public detail::TypedProperty<CQBoolProperty, IQBoolProperty> {
 public:
  // Named forms: data type kDataTypeBool, the default byte, then the current byte through the notifying store
  // (a mediator given here refuses it, as the property is not registered yet, so the value stays empty);
  // flags 1.
  CQBoolProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId, unsigned char defaultValue,
                 unsigned char currentValue, IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQBoolProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                 unsigned char defaultValue, unsigned char currentValue, IQServicesManager* servicesManager,
                 IQPropertyMediator* mediator);
  // Flags 1, no value.
  CQBoolProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Base property (without mediator) and services manager of the source.
  CQBoolProperty(CQBoolProperty& source);
  CQBoolProperty& operator=(const CQBoolProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG GetCurValue(unsigned char* value) override;
  ULONG SetCurValue(unsigned char value) override;

  virtual ~CQBoolProperty();
  // As SetCurValue, but the mediator is not told.
  virtual ULONG SetDirectCurValue(unsigned char value);

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;
  // Does nothing: the stored length is always that of the byte given.
  ULONG SetDataSize(ULONG size) override;

  // Bring the raw slot into view beside the byte form.
  using TypedProperty::SetPropertyData;
  // The same operation as SetCurValue.
  ULONG SetPropertyData(unsigned char value);
  // The byte becomes the default; mediator not told.
  ULONG SetPropertyDefaultData(unsigned char value);

 private:
  template <class Char>
  QEN_LOCAL void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId,
                      unsigned char defaultValue, unsigned char currentValue);
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_BOOL_PROPERTY_H_
