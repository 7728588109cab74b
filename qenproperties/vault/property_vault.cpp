#include "qenproperties/vault/property_vault.h"

#include <utility>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/internal/interface_table.h"
#include "qenproperties/internal/lock.h"

namespace Quenneth {

CQPropertyVault::CQPropertyVault(IQServicesManager* servicesManager)
    : servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)) {}

// The elements are given back under the lock, so a host still inside a changing call on another thread sees
// the sequence either whole or empty.
CQPropertyVault::~CQPropertyVault() {
  detail::QLockGuard guard(ObjectLock());
  servicesManager_ = nullptr;
  properties_.clear();
}

ULONG CQPropertyVault::QueryInterface(const _QGUID& iid, void** out) {
  if (out == nullptr) return kResultNullPointer;
  static const detail::InterfaceEntry<CQPropertyVault> kTable[] = {
      {&IID_IQPropertyVault, &detail::InterfaceCast<CQPropertyVault, IQPropertyVault>},
      {&IID_IQUnknown, &detail::InterfaceCast<CQPropertyVault, IQPropertyVault>},
  };
  if (detail::FindInterface(this, kTable, iid, out)) return kResultOk;
  return detail::NoInterface(out);
}

ULONG CQPropertyVault::GetPropertyInfoCount(ULONG* count) {
  if (count == nullptr) return kResultInvalidArgument;
  *count = static_cast<ULONG>(properties_.size());
  return kResultOk;
}

ULONG CQPropertyVault::GetPropertyInfoByIndex(ULONG index, IQProperty** out) {
  if (out == nullptr || index >= properties_.size()) return kResultInvalidArgument;
  *out = QRef<IQProperty>(properties_[index]).Detach();
  return kResultOk;
}

ULONG CQPropertyVault::FindByID(ULONG id) const {
  ULONG position = 0;
  for (const QRef<IQProperty>& property : properties_) {
    ULONG current = 0xFFFFFFFFu;
    if (property->GetPropertyID(&current) == kResultOk && current == id) return position;
    ++position;
  }
  return position;
}

ULONG CQPropertyVault::GetPropertyInfoByID(ULONG id, IQProperty** out) {
  if (out == nullptr) return kResultInvalidArgument;
  const ULONG position = FindByID(id);
  if (position >= properties_.size()) {
    *out = nullptr;
    return kResultNotFound;
  }
  *out = QRef<IQProperty>(properties_[position]).Detach();
  return kResultOk;
}

ULONG CQPropertyVault::GetPropertyInfoByIDWithIndex(ULONG id, IQProperty** out, ULONG* index) {
  if (index == nullptr) return GetPropertyInfoByID(id, out);
  if (out == nullptr) return kResultInvalidArgument;
  const ULONG position = FindByID(id);
  *index = position;
  if (position >= properties_.size()) {
    *out = nullptr;
    return kResultNotFound;
  }
  *out = QRef<IQProperty>(properties_[position]).Detach();
  return kResultOk;
}

ULONG CQPropertyVault::GetPropertyInfoByName(const WCHAR* name, IQProperty** out) {
  if (out == nullptr) return kResultInvalidArgument;
  *out = nullptr;
  // One buffer serves the whole walk: names of up to kStackNameUnits code units are read into the stack, and
  // the heap is used only for a longer name (and then grows only for a name longer than any read before).
  constexpr std::size_t kStackNameUnits = 128;
  WCHAR stackBuffer[kStackNameUnits + 1];
  std::vector<WCHAR> heapBuffer;
  WCHAR* buffer = stackBuffer;
  std::size_t capacity = kStackNameUnits + 1;
  for (const QRef<IQProperty>& property : properties_) {
    ULONG length = 0;
    if (property->GetPropertyName(nullptr, &length) != kResultOk) continue;
    if (capacity < static_cast<std::size_t>(length) + 1) {
      heapBuffer.resize(static_cast<std::size_t>(length) + 1);
      buffer = heapBuffer.data();
      capacity = heapBuffer.size();
    }
    buffer[0] = 0;
    ULONG read = length;
    if (property->GetPropertyName(buffer, &read) != kResultOk) continue;
    // Only the units sized by the first call take part, whatever the second one reports.
    buffer[length] = 0;
    if (StringUtils::QWIsEqual(buffer, name, 0) != 0) {
      *out = QRef<IQProperty>(property).Detach();
      return kResultOk;
    }
  }
  return kResultInvalidArgument;
}

ULONG CQPropertyVault::GetVersion(WCHAR* buffer, ULONG* length) {
  if (length != nullptr) *length = version_.length();
  if (buffer != nullptr && version_) StringUtils::QWCopy(buffer, version_.get(), 0);
  return kResultOk;
}

// A null version is refused rather than read; the old version then stays, as it does when the copy cannot be
// allocated (std::bad_alloc passes to the caller).
ULONG CQPropertyVault::SetVersion(WCHAR* version) {
  if (version == nullptr) return kResultNullPointer;
  version_ = detail::SharedText::Copy(version, StringUtils::QWLen(version));
  return kResultOk;
}

ULONG CQPropertyVault::AddProperty(IQProperty* property) { return Place(0xFFFFFFFFu, property); }

ULONG CQPropertyVault::InsertProperty(ULONG index, IQProperty* property) { return Place(index, property); }

// The reference is taken before the lock. When the sequence cannot grow, std::bad_alloc passes to the caller
// like every allocation failure the vault meets: the guard leaves the lock first and the held reference is
// given back on the way out, so the vault and the property are as they were.
ULONG CQPropertyVault::Place(ULONG index, IQProperty* property) {
  if (property == nullptr) return kResultInvalidArgument;
  auto held = QRef<IQProperty>::Retain(property);
  detail::QLockGuard guard(ObjectLock());
  if (index >= properties_.size()) {
    properties_.push_back(std::move(held));
  } else {
    properties_.insert(properties_.begin() + index, std::move(held));
  }
  return kResultOk;
}

ULONG CQPropertyVault::RemovePropertyByID(ULONG id) {
  QRef<IQProperty> removed;
  detail::QLockGuard guard(ObjectLock());
  const ULONG position = FindByID(id);
  if (position < properties_.size()) {
    removed = std::move(properties_[position]);
    properties_.erase(properties_.begin() + position);
  }
  return kResultOk;
}

ULONG CQPropertyVault::RemovePropertyByIndex(ULONG index) {
  QRef<IQProperty> removed;
  detail::QLockGuard guard(ObjectLock());
  if (index >= properties_.size()) return kResultIndexOutOfRange;
  removed = std::move(properties_[index]);
  properties_.erase(properties_.begin() + index);
  return kResultOk;
}

ULONG CQPropertyVault::ResetPropertyVault() {
  detail::QLockGuard guard(ObjectLock());
  properties_.clear();
  return kResultOk;
}

IQProperty* CQPropertyVault::operator[](ULONG index) {
  return index < properties_.size() ? properties_[index].get() : nullptr;
}

}  // namespace Quenneth
