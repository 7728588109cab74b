#include "qenproperties/enum/enum_long_property.h"

#include <cstdint>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/foundation/utf16_stream.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
template <class Char>
void CQEnumLongProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId) {
  SetPropertyDefaultData(0);
  Describe(name, description, groupId, propertyId, kDataTypeEnumLong);
  base_->SetPropertyFlag(1 | kFlagValueSet);
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
  base_->SetPropertyDataType(kDataTypeEnumLong);
}

CQEnumLongProperty::CQEnumLongProperty(CQEnumLongProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQEnumLongProperty& CQEnumLongProperty::operator=(const CQEnumLongProperty& source) { return Assign(source); }

CQEnumLongProperty::~CQEnumLongProperty() = default;

// The numbers are read through the source's virtual getters, under its own lock so that the count holds
// while they are read (the getters take the same lock again). A number the source refuses is skipped.
// Allocation failures pass through (the clone turns them into kResultOutOfMemory).
CQEnumLongProperty::Copied CQEnumLongProperty::TakeCopy(CQEnumLongProperty& source) {
  Copied numbers;
  detail::QLockGuard guard(source.ObjectLock());
  ULONG count = 0;
  source.GetEnumCount(&count);
  numbers.reserve(count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG value = 0;
    if (source.GetEnumLongValue(i, &value) == kResultOk) numbers.push_back(value);
  }
  return numbers;
}

// A copy appends the source's numbers to its own: an assignment does not empty the target's list first.
void CQEnumLongProperty::PutCopy(Copied&& copied) { values_.insert(values_.end(), copied.begin(), copied.end()); }

ULONG CQEnumLongProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQEnumLongProperty);
  return QueryTyped(kInterfaces, iid, out);
}

// A failed growth leaves the list as it was.
ULONG CQEnumLongProperty::AddEnumLongValue(ULONG value) {
  SetterGuard guard(*this);
  return detail::OutOfMemoryAs(kResultStorageFailed, [&] {
    values_.push_back(value);
    return kResultOk;
  });
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
  std::uint64_t stored = 0;
  if (ReadStored(4, stored)) *index = static_cast<ULONG>(stored);
  return kResultOk;
}

ULONG CQEnumLongProperty::GetCurSelLongValue(ULONG* value) const {
  std::uint64_t stored = 0;
  if (!ReadStored(4, stored) || value == nullptr) return kResultOk;
  detail::QLockGuard guard(ObjectLock());
  if (stored >= values_.size()) return kResultNoSelection;
  *value = values_[stored];
  return kResultOk;
}

ULONG CQEnumLongProperty::StoreIndex(ULONG index, bool notify) {
  SetterGuard guard(*this);
  if (index >= values_.size()) return kResultIndexOutOfRange;
  return StoreWord(index, notify);
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
  return StoreWord(index, true);
}

// An empty store (null data, length 0) is accepted.
ULONG CQEnumLongProperty::SetPropertyData(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  return StoreRaw(data, length);
}

ULONG CQEnumLongProperty::SetPropertyDefaultData(ULONG index) { return StoreDefaultWord(index); }

ULONG CQEnumLongProperty::SetPropertyName(const char* name) {
  base_->SetPropertyName(name);
  return kResultOk;
}

ULONG CQEnumLongProperty::SetPropertyName(const WCHAR* name) {
  base_->SetPropertyName(name);
  return kResultOk;
}

ULONG CQEnumLongProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

ULONG CQEnumLongProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  ULONG value = 0;
  const ULONG result = GetCurSelLongValue(&value);
  if (length == nullptr) return kResultNullPointer;
  if (result != kResultOk) return result;
  detail::PutDecimalText(static_cast<long long>(static_cast<std::int32_t>(value)), text, length);
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
