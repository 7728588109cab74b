#include "qenproperties/enum/enum_long_property.h"

#include <cstdint>
#include <new>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/foundation/utf16_stream.h"
#include "qenproperties/internal/little_endian.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

// ReadIndex reads the stored value into a buffer of its own size and takes at most its first 4 bytes, so a
// value of any length stored through the raw setter is never read past nor written beyond `*index`. A value
// shorter than 4 bytes reads zero-extended. `present` tells whether any value is stored.
ULONG ReadIndex(CQProperty& inner, ULONG& index, bool& present) {
  present = false;
  ULONG held = 0;
  ULONG result = inner.GetPropertyData(nullptr, &held);
  if (result != kResultOk || held == 0) return result;
  std::vector<unsigned char> bytes(held);
  result = inner.GetPropertyData(bytes.data(), &held);
  if (result != kResultOk) return result;
  index = static_cast<ULONG>(detail::LoadLE(bytes.data(), held < 4 ? held : 4));
  present = true;
  return kResultOk;
}

}  // namespace

template <class Char>
void CQEnumLongProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId) {
  SetPropertyDefaultData(0);
  Describe(name, description, groupId, propertyId, kDataTypeEnumLong);
  inner_->SetPropertyFlag(1 | kFlagValueSet);
}

CQEnumLongProperty::CQEnumLongProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                       IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId);
}

CQEnumLongProperty::CQEnumLongProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                       IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId);
}

CQEnumLongProperty::CQEnumLongProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  inner_->SetPropertyDataType(kDataTypeEnumLong);
}

CQEnumLongProperty::CQEnumLongProperty(CQEnumLongProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQEnumLongProperty& CQEnumLongProperty::operator=(const CQEnumLongProperty& source) {
  if (this != &source) CopyFrom(source);
  return *this;
}

CQEnumLongProperty::~CQEnumLongProperty() = default;

// The source's numbers are read through its getters before the target is locked: holding the target's lock
// while each getter takes the source's could deadlock two assignments crossing each other. Allocation
// failures pass through (the clone turns them into kResultOutOfMemory).
void CQEnumLongProperty::CopyFrom(const CQEnumLongProperty& source) {
  std::vector<ULONG> numbers;
  ULONG count = 0;
  source.GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG value = 0;
    if (source.GetEnumLongValue(i, &value) == kResultOk) numbers.push_back(value);
  }
  detail::QLockGuard guard(ObjectLock());
  values_.insert(values_.end(), numbers.begin(), numbers.end());
  CopyShellFrom(source);
}

ULONG CQEnumLongProperty::QueryInterface(const _QGUID& iid, void** out) {
  return QueryTyped(IID_IQEnumLongProperty, iid, out);
}

ULONG CQEnumLongProperty::AddEnumLongValue(ULONG value) {
  SetterGuard guard(*this);
  try {
    values_.push_back(value);  // a failed growth leaves the vector as it was
  } catch (const std::bad_alloc&) {
    return kResultStorageFailed;
  }
  return kResultOk;
}

ULONG CQEnumLongProperty::RemoveAllEnumValuess() {
  SetterGuard guard(*this);
  values_.clear();
  return kResultOk;
}

// The readers take the object's lock (recursive, and never held while waiting on an outer one) so that a list
// growing on another thread is never read mid-reallocation.
ULONG CQEnumLongProperty::GetEnumCount(ULONG* count) const {
  if (count == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  *count = static_cast<ULONG>(values_.size());
  return kResultOk;
}

ULONG CQEnumLongProperty::GetEnumLongValue(ULONG index, ULONG* value) const {
  detail::QLockGuard guard(ObjectLock());
  if (index >= values_.size()) return kResultIndexOutOfRange;
  if (value != nullptr) *value = values_[index];
  return kResultOk;
}

ULONG CQEnumLongProperty::GetCurSelIndex(ULONG* index) const {
  if (index == nullptr) return kResultInvalidArgument;
  ULONG stored = 0;
  bool present = false;
  const ULONG result = ReadIndex(*inner_, stored, present);
  if (present) *index = stored;
  return result;
}

ULONG CQEnumLongProperty::GetCurSelLongValue(ULONG* value) const {
  ULONG stored = 0;
  bool present = false;
  const ULONG result = ReadIndex(*inner_, stored, present);
  if (result != kResultOk || !present || value == nullptr) return result;
  detail::QLockGuard guard(ObjectLock());
  if (stored >= values_.size()) return kResultNoSelection;
  *value = values_[stored];
  return kResultOk;
}

ULONG CQEnumLongProperty::StoreIndex(ULONG index, bool notify) {
  SetterGuard guard(*this);
  if (index >= values_.size()) return kResultIndexOutOfRange;
  const auto bytes = detail::StoreLE32(index);
  return notify ? inner_->SetPropertyData(bytes.data(), 4) : inner_->SetDirectData(bytes.data(), 4);
}

ULONG CQEnumLongProperty::SelectValue(ULONG value, bool notify) {
  SetterGuard guard(*this);
  for (ULONG i = 0; i < values_.size(); ++i) {
    if (values_[i] == value) return StoreIndex(i, notify);
  }
  return kResultInvalidArgument;
}

ULONG CQEnumLongProperty::SetCurSelIndex(ULONG index) { return StoreIndex(index, true); }
ULONG CQEnumLongProperty::SetDirectCurSelIndex(ULONG index) { return StoreIndex(index, false); }
ULONG CQEnumLongProperty::SetCurSelLongValue(ULONG value) { return SelectValue(value, true); }
ULONG CQEnumLongProperty::SetDirectCurSelLongValue(ULONG value) { return SelectValue(value, false); }

ULONG CQEnumLongProperty::SetPropertyData(ULONG index) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE32(index);
  return inner_->SetPropertyData(bytes.data(), 4);
}

ULONG CQEnumLongProperty::SetPropertyData(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  SetterGuard guard(*this);
  return inner_->SetPropertyData(data, length);
}

ULONG CQEnumLongProperty::SetPropertyDefaultData(ULONG index) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE32(index);
  return inner_->SetPropertyDefaultData(bytes.data(), 4);
}

ULONG CQEnumLongProperty::SetPropertyName(const char* name) {
  inner_->SetPropertyName(name);
  return kResultOk;
}

ULONG CQEnumLongProperty::SetPropertyName(const WCHAR* name) {
  inner_->SetPropertyName(name);
  return kResultOk;
}

ULONG CQEnumLongProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

ULONG CQEnumLongProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  ULONG value = 0;
  const ULONG result = GetCurSelLongValue(&value);
  if (length == nullptr) return kResultNullPointer;
  if (result != kResultOk) return result;
  const detail::DecimalText decimal(static_cast<long long>(static_cast<std::int32_t>(value)));
  detail::PutAsciiText(decimal.begin(), decimal.end(), text, length);
  return kResultOk;
}

ULONG CQEnumLongProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*length*/) {
  SetterGuard guard(*this);
  if (text == nullptr) return kResultInvalidArgument;
  std::int32_t value = 0;
  iUTF16StringStream stream(text);
  stream >> value;  // a text without a number loads 0, unreported
  AddEnumLongValue(static_cast<ULONG>(value));
  return SetCurSelIndex(0);
}

}  // namespace Quenneth
