#include "qenproperties/scalar/wstring_property.h"

#include "qenproperties/foundation/string_utils.h"

namespace Quenneth {
namespace {

// ByteLength gives the bytes of a text with its terminator, or 0 when that count does not fit the 32-bit
// length the base property keeps.
ULONG ByteLength(const WCHAR* text) {
  const ULONG units = StringUtils::QWLen(text);
  if (units >= 0x7FFFFFFFu) return 0;
  return (units + 1) * static_cast<ULONG>(sizeof(WCHAR));
}

}  // namespace

template <class Char>
void CQWStringProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId,
                             const WCHAR* defaultText, const WCHAR* initialText) {
  Describe(name, description, groupId, propertyId, kDataTypeWString);
  SetPropertyDefaultData(defaultText);
  SetPropertyData(initialText);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQWStringProperty::CQWStringProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                     const WCHAR* defaultText, const WCHAR* initialText,
                                     IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId, defaultText, initialText);
}

CQWStringProperty::CQWStringProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                     const WCHAR* defaultText, const WCHAR* initialText,
                                     IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId, defaultText, initialText);
}

CQWStringProperty::CQWStringProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {}

CQWStringProperty::CQWStringProperty(CQWStringProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQWStringProperty& CQWStringProperty::operator=(const CQWStringProperty& source) { return Assign(source); }

CQWStringProperty::~CQWStringProperty() = default;

ULONG CQWStringProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQWStringProperty);
  return QueryTyped(kInterfaces, iid, out);
}

// Only the value changes, so the attributes' stamp stays.
ULONG CQWStringProperty::Store(const WCHAR* text, bool notify) {
  if (text == nullptr) return kResultNullPointer;
  ValueGuard guard(*this);
  const ULONG bytes = ByteLength(text);
  if (bytes == 0) return kResultInvalidArgument;
  return StoreValue(guard, text, bytes, notify);
}

ULONG CQWStringProperty::SetCurString(WCHAR const* text) { return Store(text, true); }
ULONG CQWStringProperty::SetPropertyData(WCHAR const* text) { return Store(text, true); }
ULONG CQWStringProperty::SetDirectCurString(WCHAR* text) { return Store(text, false); }

ULONG CQWStringProperty::SetPropertyDefaultData(WCHAR const* text) {
  if (text == nullptr) return kResultNullPointer;
  SetterGuard guard(*this);
  const ULONG bytes = ByteLength(text);
  if (bytes == 0) return kResultInvalidArgument;
  return base_->SetPropertyDefaultData(text, bytes);
}

// The stored bytes are copied as they are, so a value stored raw without a terminator is never read past.
ULONG CQWStringProperty::GetCurString(WCHAR* text, ULONG* byteLength) const {
  if (byteLength == nullptr) return kResultInvalidArgument;
  base_->GetPropertyData(text, byteLength);
  return kResultOk;
}

ULONG CQWStringProperty::GetMaxStringLength(ULONG* maxLength) const {
  if (maxLength == nullptr) return kResultNullPointer;
  *maxLength = maxLength_;
  return kResultOk;
}

ULONG CQWStringProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) { return GetCurString(text, length); }

ULONG CQWStringProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*length*/) {
  if (text == nullptr) return kResultNullPointer;
  return SetCurString(text);  // which takes this object's locks
}

ULONG CQWStringProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

}  // namespace Quenneth
