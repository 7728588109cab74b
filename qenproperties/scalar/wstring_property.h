// wstring_property.h: CQWStringProperty, a setting whose value is one UTF-16 string.
//
// The value bytes are the string's code units and its terminator, so every length this class reports is in
// BYTES, terminator included: a three-unit string is 8. Strings of any length are stored whole. A raw
// SetPropertyData may store bytes without a terminator; they are handed back as they are and never read past.
//
// Preset text: the stored string itself, its length in bytes as for GetCurString. The load stores the text
// with a notification (the empty text stores the empty string, 2 bytes).
//
// QueryInterface answers IID_IQWStringProperty besides the skeleton's identifiers.
#ifndef QENPROPERTIES_SCALAR_WSTRING_PROPERTY_H_
#define QENPROPERTIES_SCALAR_WSTRING_PROPERTY_H_

#include "qenproperties/frame/export.h"
#include "qenproperties/property/typed_property.h"
#include "qenproperties/scalar/wstring_property_interface.h"

namespace Quenneth {

class QEN_API CQWStringProperty : public detail::TypedProperty<CQWStringProperty, IQWStringProperty> {
 public:
  // Named forms: data type kDataTypeWString, the default string, then the initial string through the
  // notifying store (a mediator given here is told); a null string leaves that value unset. Flags end as 9.
  CQWStringProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                    const WCHAR* defaultText, const WCHAR* initialText, IQServicesManager* servicesManager,
                    IQPropertyMediator* mediator);
  CQWStringProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                    const WCHAR* defaultText, const WCHAR* initialText, IQServicesManager* servicesManager,
                    IQPropertyMediator* mediator);
  // Flags 1, no value.
  CQWStringProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Base property (without mediator) and services manager of the source.
  CQWStringProperty(CQWStringProperty& source);
  CQWStringProperty& operator=(const CQWStringProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  // Raw store: kResultInvalidArgument for null data; the bytes go unchecked to the notifying store.
  using TypedProperty::SetPropertyData;

  ULONG GetCurString(WCHAR* text, ULONG* byteLength) const override;
  ULONG SetCurString(WCHAR const* text) override;
  ULONG GetMaxStringLength(ULONG* maxLength) const override;

  virtual ~CQWStringProperty();
  // As SetCurString, but the mediator is not told.
  virtual ULONG SetDirectCurString(WCHAR* text);

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG length) override;
  // Does nothing: the stored length is always that of the string given.
  ULONG SetDataSize(ULONG size) override;

  // The same operation as SetCurString.
  ULONG SetPropertyData(WCHAR const* text);
  // The text and its terminator become the default (kResultNullPointer for null); the value is untouched.
  ULONG SetPropertyDefaultData(WCHAR const* text);

 private:
  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, const WCHAR* defaultText,
            const WCHAR* initialText);
  ULONG Store(const WCHAR* text, bool notify);

  ULONG maxLength_ = 0;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_WSTRING_PROPERTY_H_
