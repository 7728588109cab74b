#include "qenproperties/scalar/bool_property.h"

#include <vector>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

// The one text that loads as on.
const WCHAR kTrueText[] = {'T', 'R', 'U', 'E', 0};

}  // namespace

template <class Char>
void CQBoolProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId,
                          unsigned char defaultValue, unsigned char currentValue) {
  Describe(name, description, groupId, propertyId, kDataTypeBool);
  base_->SetPropertyDefaultData(&defaultValue, 1);
  base_->SetPropertyData(&currentValue, 1);  // refused while an unregistered mediator is bound
  base_->SetPropertyFlag(1);
}

CQBoolProperty::CQBoolProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                               unsigned char defaultValue, unsigned char currentValue,
                               IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId, defaultValue, currentValue);
}

CQBoolProperty::CQBoolProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                               unsigned char defaultValue, unsigned char currentValue,
                               IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId, defaultValue, currentValue);
}

CQBoolProperty::CQBoolProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {}

CQBoolProperty::CQBoolProperty(CQBoolProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQBoolProperty& CQBoolProperty::operator=(const CQBoolProperty& source) { return Assign(source); }

CQBoolProperty::~CQBoolProperty() = default;

ULONG CQBoolProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQBoolProperty);
  return QueryTyped(kInterfaces, iid, out);
}

ULONG CQBoolProperty::GetCurValue(unsigned char* value) {
  if (value == nullptr) return kResultInvalidArgument;
  ULONG held = 0;
  // A raw store may have left more than one byte; the first one is the value.
  unsigned char bytes[8];
  base_->ReadFirst8(bytes, &held);
  if (held != 0) *value = bytes[0];
  return kResultOk;
}

ULONG CQBoolProperty::SetCurValue(unsigned char value) {
  SetterGuard guard(*this);
  return StoreValue(guard, &value, 1, true);
}

ULONG CQBoolProperty::SetPropertyData(unsigned char value) { return SetCurValue(value); }

ULONG CQBoolProperty::SetDirectCurValue(unsigned char value) {
  SetterGuard guard(*this);
  return StoreValue(guard, &value, 1, false);
}

ULONG CQBoolProperty::SetPropertyDefaultData(unsigned char value) {
  SetterGuard guard(*this);
  return base_->SetPropertyDefaultData(&value, 1);
}

ULONG CQBoolProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  unsigned char value = 0;
  const ULONG result = GetCurValue(&value);
  if (result != kResultOk) return result;
  if (length == nullptr) return kResultNullPointer;
  // The words' lengths are known here, so neither call measures or copies a text of unknown length.
  static const char kTrueWord[] = "TRUE";
  static const char kFalseWord[] = "FALSE";
  if (value != 0) {
    detail::PutAsciiText(kTrueWord, kTrueWord + sizeof kTrueWord - 1, text, length);
  } else {
    detail::PutAsciiText(kFalseWord, kFalseWord + sizeof kFalseWord - 1, text, length);
  }
  return kResultOk;
}

ULONG CQBoolProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*size*/) {
  if (text == nullptr) return kResultInvalidArgument;
  // The text is the caller's, compared with no lock held; the raw store takes this object's locks.
  // Exact code units: "true", "TRUE " and "1" all load as off.
  const unsigned char value = StringUtils::QWIsEqual(text, kTrueText, 0) != 0 ? 1 : 0;
  return SetPropertyData(&value, 1);
}

ULONG CQBoolProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

}  // namespace Quenneth
