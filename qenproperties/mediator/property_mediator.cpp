// property_mediator.cpp: the registries and the preview, ask, apply or cancel protocol of a change.
#include "qenproperties/mediator/property_mediator.h"

#include <iterator>
#include <memory>
#include <vector>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/internal/interface_table.h"
#include "qenproperties/internal/out_of_memory.h"
#include "qenproperties/mediator/modified_prop_iterator.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {
namespace {

// A snapshot is a clone of the registered property (its own type and attributes) carrying the value bytes of
// `source`. The clone has no mediator, so storing into it tells nobody. Read and store results are not
// looked at: a snapshot that cannot hold the value still shows the registered property's own.
// Values of up to kStackValueBytes (every scalar, index and record value) are read through a stack buffer, so
// a change allocates nothing for them.
QRef<IQProperty> MakeSnapshot(IQProperty* registered, IQProperty* source) {
  constexpr ULONG kStackValueBytes = 64;
  QRef<IQProperty> snapshot;
  // No memory for the value: the change cannot be shown, so it is refused (no snapshot).
  const ULONG made = detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    registered->CloneProperty(snapshot.Put());
    if (!snapshot) return kResultOk;
    ULONG length = 0;
    source->GetPropertyData(nullptr, &length);
    unsigned char small[kStackValueBytes] = {};
    std::vector<unsigned char> large;
    unsigned char* bytes = small;
    if (length > kStackValueBytes) {
      large.resize(length);
      bytes = large.data();
    }
    const ULONG size = length;  // the second read may report another length; the first one sized the buffer
    if (length != 0) source->GetPropertyData(bytes, &length);
    snapshot->SetPropertyData(bytes, size);
    return kResultOk;
  });
  if (made != kResultOk) snapshot.reset();
  return snapshot;
}

// RecordSpan is the run of dependency records one change calls, wherever they were copied.
struct RecordSpan {
  DependencyRecord* first;
  std::size_t count;
  const DependencyRecord* begin() const { return first; }
  const DependencyRecord* end() const { return first + count; }
};

}  // namespace

bool CQPropertyMediator::IdentifierLess::operator()(const _QGUID& a, const _QGUID& b) const {
  if (a.Data1 != b.Data1) return a.Data1 < b.Data1;
  if (a.Data2 != b.Data2) return a.Data2 < b.Data2;
  if (a.Data3 != b.Data3) return a.Data3 < b.Data3;
  for (int i = 0; i < 4; ++i) {
    if (a.Data4[i] != b.Data4[i]) return a.Data4[i] < b.Data4[i];
  }
  return false;
}

CQPropertyMediator::CQPropertyMediator(IQServicesManager* servicesManager)
    : servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)) {}

CQPropertyMediator::~CQPropertyMediator() {
  {
    detail::QLockGuard guard(ObjectLock());
    notifyCallback_ = nullptr;
    notifyUser_ = nullptr;
    servicesManager_.reset();
    dependencies_.clear();
  }
  // Only UnRegisterProperty gives back the reference RegisterProperty took; what is still registered here is
  // dropped as it is, so a host that forgot to unregister leaks rather than releases behind its back.
  for (auto& entry : properties_) {
    static_cast<void>(entry.second.Detach());
  }
  properties_.clear();
}

detail::QLock& CQPropertyMediator::ChangeLock() { return ObjectLock(); }

ULONG CQPropertyMediator::QueryInterface(const _QGUID& iid, void** out) {
  if (out == nullptr) return kResultNullPointer;
  static const detail::InterfaceEntry<CQPropertyMediator> kTable[] = {
      {&IID_IQPropertyMediator, &detail::InterfaceCast<CQPropertyMediator, IQPropertyMediator>},
  };
  if (detail::FindInterface(this, kTable, iid, out)) return kResultOk;
  return detail::NoInterface(out);
}

CQPropertyMediator::PropertyRegistry::iterator CQPropertyMediator::FindRegistered(const _QGUID& id, ULONG propertyId) {
  auto range = properties_.equal_range(id);
  for (auto it = range.first; it != range.second; ++it) {
    ULONG entryId = 0;
    if (it->second->GetPropertyID(&entryId) == kResultOk && entryId == propertyId) return it;
  }
  return properties_.end();
}

ULONG CQPropertyMediator::PropertyChanged(IQProperty* previous, IQProperty* current) {
  // Held across every callback; a callback on this thread may re-enter (the lock is recursive).
  detail::QLockGuard guard(ObjectLock());
  if (previous == nullptr || current == nullptr) return kResultNullPointer;

  ULONG previousId = 0;
  ULONG currentId = 0;
  ULONG result = previous->GetPropertyID(&previousId);
  if (result != kResultOk) return result;
  result = current->GetPropertyID(&currentId);
  if (result != kResultOk) return result;
  if (previousId != currentId) return kResultPropertyMismatch;

  _QGUID objectId{};
  result = current->GetObjectId(&objectId);
  if (result != kResultOk) return result;
  auto registered = FindRegistered(objectId, currentId);
  if (registered == properties_.end()) return kResultNotRegistered;

  // Declared before the iterator so that the iterator goes first on every way out, then the snapshots, then
  // the lock.
  QRef<IQProperty> newSnapshot = MakeSnapshot(registered->second.get(), current);
  QRef<IQProperty> oldSnapshot = MakeSnapshot(registered->second.get(), previous);
  if (!newSnapshot || !oldSnapshot) return kResultNotRegistered;

  std::unique_ptr<CQModifiedPropIterator> iterator;
  // The records are copied before any is called: a callback may unregister records, its own among them. A few
  // records (the usual case) are copied to the stack; more go to the heap.
  constexpr std::size_t kStackRecords = 8;
  DependencyRecord stackRecords[kStackRecords];
  std::vector<DependencyRecord> heapRecords;
  RecordSpan records{stackRecords, 0};
  result = detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    iterator.reset(new CQModifiedPropIterator());
    auto range = dependencies_.equal_range(currentId);
    const auto count = static_cast<std::size_t>(std::distance(range.first, range.second));
    if (count > kStackRecords) {
      heapRecords.resize(count);
      records.first = heapRecords.data();
    }
    for (auto it = range.first; it != range.second; ++it) records.first[records.count++] = it->second;
    return kResultOk;
  });
  if (result != kResultOk) return result;

  for (const DependencyRecord& record : records) {
    result = record.callback(oldSnapshot.get(), newSnapshot.get(), iterator.get(), record.user, ePropChangePreview);
    if (result != kResultOk) return result;
  }

  bool refused = false;
  if (notifyCallback_ != nullptr && enableNotifier_.load() != 0) {
    refused = notifyCallback_(previous, current, iterator.get(), notifyUser_, 0) == 0;
  }
  if (refused) {
    for (const DependencyRecord& record : records) {
      record.callback(oldSnapshot.get(), newSnapshot.get(), nullptr, record.user, ePropChangeCancel);
    }
    result = kResultChangeRefused;
  } else {
    for (const DependencyRecord& record : records) {
      result = record.callback(oldSnapshot.get(), newSnapshot.get(), nullptr, record.user, ePropChangeApply);
      if (result != kResultOk) break;
    }
  }

  // Looked at again: a callback may have replaced the notify callback or the flag meanwhile.
  if (notifyCallback_ != nullptr && enableNotifier_.load() != 0) {
    notifyCallback_(nullptr, nullptr, iterator.get(), notifyUser_, 1);
  }
  return result;
}

ULONG CQPropertyMediator::RegisterDependency(ULONG propertyId, PropDependencyCallback callback, void* user,
                                             ULONG* handle) {
  if (callback == nullptr || handle == nullptr) return kResultNullPointer;
  detail::QLockGuard guard(ObjectLock());
  // The record is stored before the counter moves, so a failed insertion uses no handle number.
  dependencies_.emplace(propertyId, DependencyRecord{propertyId, callback, user, lastHandle_ + 1});
  *handle = ++lastHandle_;
  return kResultOk;
}

ULONG CQPropertyMediator::UnRegisterDependency(ULONG handle) {
  detail::QLockGuard guard(ObjectLock());
  for (auto it = dependencies_.begin(); it != dependencies_.end(); ++it) {
    if (it->second.handle == handle) {
      dependencies_.erase(it);
      return kResultOk;
    }
  }
  return kResultNotAvailable;
}

// Registration takes the mediator lock as well: the registry is read by PropertyChanged on whatever thread a
// change happens, and an unlocked insertion there would race with it.
ULONG CQPropertyMediator::RegisterProperty(IQProperty* property) {
  if (property == nullptr) return kResultNullPointer;
  detail::QLockGuard guard(ObjectLock());
  _QGUID objectId{};
  ULONG result = property->GetObjectId(&objectId);
  if (result != kResultOk) return result;
  ULONG propertyId = 0;
  result = property->GetPropertyID(&propertyId);
  if (result != kResultOk) return result;
  // Any entry of the same identity refuses the property, wherever it stands among the entries of its key.
  if (FindRegistered(objectId, propertyId) != properties_.end()) return kResultAlreadyRegistered;
  // An allocation failure passes to the caller as std::bad_alloc, with nothing registered.
  properties_.emplace(objectId, QRef<IQProperty>::Retain(property));
  return kResultOk;
}

ULONG CQPropertyMediator::UnRegisterProperty(IQProperty* property) {
  if (property == nullptr) return kResultNullPointer;
  QRef<IQProperty> stored;  // released after the lock is left
  {
    detail::QLockGuard guard(ObjectLock());
    _QGUID objectId{};
    ULONG result = property->GetObjectId(&objectId);
    if (result != kResultOk) return result;
    ULONG propertyId = 0;
    result = property->GetPropertyID(&propertyId);
    if (result != kResultOk) return result;
    auto it = FindRegistered(objectId, propertyId);
    if (it == properties_.end()) return kResultNotRegistered;
    stored = std::move(it->second);
    properties_.erase(it);
  }
  return kResultOk;
}

ULONG CQPropertyMediator::RegisterDependencyNotifyCallback(PropDependencyNotifyCallback callback, void* user) {
  detail::QLockGuard guard(ObjectLock());
  notifyCallback_ = callback;
  notifyUser_ = user;
  return kResultOk;
}

ULONG CQPropertyMediator::SetEnableNotifierFlag(unsigned char enable) {
  enableNotifier_.store(enable);
  return kResultOk;
}

ULONG CQPropertyMediator::GetEnableNotifierFlag(unsigned char* enable) {
  if (enable == nullptr) return kResultInvalidArgument;
  *enable = enableNotifier_.load();
  return kResultOk;
}

}  // namespace Quenneth
