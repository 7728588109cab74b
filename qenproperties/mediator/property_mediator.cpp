// property_mediator.cpp: the registries and the preview, ask, apply or cancel protocol of a change.
#include "qenproperties/mediator/property_mediator.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <typeinfo>
#include <vector>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/internal/interface_table.h"
#include "qenproperties/internal/out_of_memory.h"
#include "qenproperties/internal/snapshot_pool.h"
#include "qenproperties/mediator/modified_prop_iterator.h"
#include "qenproperties/property/property.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {
namespace {

// SnapshotValue stores the value bytes of `source` into `snapshot`, a copy of the registered property that is
// bound to no mediator, so storing tells nobody. Read and store results are not looked at: a snapshot that
// cannot hold the value still shows the registered property's own. Values of up to kStackValueBytes (every
// scalar, index and record value) are read through a stack buffer, so a change allocates nothing for them.
void SnapshotValue(IQProperty* snapshot, IQProperty* source) {
  constexpr ULONG kStackValueBytes = 64;
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
}

// A snapshot shows the registered property (its own class and attributes) holding the value bytes of
// `source`. A registered property of exactly a library class (with `face`, whose `stamp` is read once for both
// snapshots of a change, and `base`, its base property) refreshes the spare `snapshot` holds, if any; any other
// is cloned. `snapshot` stays empty when no memory was left: the change cannot be shown, so it is refused.
void MakeSnapshot(IQProperty* registered, detail::SnapshotFace* face, std::uint64_t stamp, const CQProperty* base,
                  IQProperty* source, detail::SpareSnapshot& snapshot) {
  bool made = true;
  if (face != nullptr) {
    // Only a class whose value is nothing but its bytes is kept (see RegisterProperty): a change reported by
    // the registered property's own base property needs nothing more (a copy holds that value already), and
    // the base property's copy of itself with the old value (of exactly the library's class) hands over its
    // bytes directly. Any other source gives its value through the snapshot's SetPropertyData.
    const bool own = source == base;
    const CQProperty* value = nullptr;
    if (!own && typeid(*source) == typeid(CQProperty)) value = static_cast<CQProperty*>(source);
    if (!detail::ShowSnapshot(*face, stamp, value, snapshot)) return;  // left empty: no memory
    if (own || value != nullptr) return;
    made = detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
             SnapshotValue(snapshot.object.get(), source);
             return kResultOk;
           }) == kResultOk;
  } else {
    made = detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
             registered->CloneProperty(snapshot.object.Put());
             if (snapshot.object) SnapshotValue(snapshot.object.get(), source);
             return kResultOk;
           }) == kResultOk;
  }
  if (!made) {
    detail::SpareSnapshot empty;
    snapshot.TakeFrom(empty);
  }
}

// ShowsAlready tells whether the spare `snapshot` shows the value of `previous` (a base property's copy of
// itself, of exactly the library's class) as MakeSnapshot would make it show it, with the stamp `stamp`.
bool ShowsAlready(const detail::SpareSnapshot& snapshot, std::uint64_t stamp, IQProperty* previous) {
  if (snapshot.face == nullptr || snapshot.stamp != stamp || typeid(*previous) != typeid(CQProperty)) return false;
  // A store sets kFlagValueSet, as the refresh adds it.
  return snapshot.face->SnapshotUnshared() &&
         snapshot.face->SnapshotBase()->ShowsValueOf(*static_cast<CQProperty*>(previous), kFlagValueSet);
}

}  // namespace

CQPropertyMediator::CQPropertyMediator(IQServicesManager* servicesManager)
    : servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)) {}

CQPropertyMediator::~CQPropertyMediator() {
  {
    detail::QLockGuard guard(ObjectLock());
    notifyCallback_ = nullptr;
    notifyUser_ = nullptr;
    servicesManager_.reset();
    dependencies_.clear();
    lastDependencies_.valid = false;
  }
  // Only UnRegisterProperty gives back the reference RegisterProperty took; what is still registered here is
  // dropped as it is, so a host that forgot to unregister leaks rather than releases behind its back.
  properties_.ForEach([](Registered& entry) { static_cast<void>(entry.property.Detach()); });
  properties_.Clear();
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

CQPropertyMediator::Registered* CQPropertyMediator::FindRegistered(const _QGUID& id, ULONG propertyId) {
  auto matches = [propertyId](const Registered& entry) {
    if (entry.base != nullptr) return entry.base->GetPropertyID() == propertyId;
    ULONG entryId = 0;
    return entry.property->GetPropertyID(&entryId) == kResultOk && entryId == propertyId;
  };
  // A change finds the same entry as the last one, mostly: its key and property ID are all it checks then.
  if (lastFound_ != nullptr && std::memcmp(lastFoundKey_, &id, sizeof(lastFoundKey_)) == 0 && matches(*lastFound_)) {
    return lastFound_;
  }
  Registered* found = properties_.Find(detail::IdentityKey::Of(id), matches);
  if (found == nullptr) return nullptr;
  lastFound_ = found;
  std::memcpy(lastFoundKey_, &id, sizeof(lastFoundKey_));
  return found;
}

// RememberStamp records the stamp of an entry's base property that reported a change, once its identity is
// read again after the stamp: an identity that changed in between shows a newer stamp, so the next change
// looks it up again.
void CQPropertyMediator::RememberStamp(const Registered& entry, IQProperty* reporter, const _QGUID& objectId,
                                       ULONG propertyId) {
  lastFoundStamp_ = 0;  // no stamp is 0
  if (entry.base == nullptr || entry.base != reporter || &entry != lastFound_) return;
  const std::uint64_t stamp = entry.base->Stamp();
  _QGUID again{};
  if (entry.base->GetObjectId(&again) != kResultOk || std::memcmp(&again, &objectId, sizeof(again)) != 0) return;
  if (entry.base->GetPropertyID() != propertyId) return;
  lastFoundStamp_ = stamp;
}

// RecordsOf gives the records of `propertyId`: the mediator's copy of them when they are few, refilled first
// (out of line) if it holds another ID's, or stale ones, and no change is calling from it; otherwise a copy on
// the caller's `stack` when they are few (a nested change), or in `heap`.
inline CQPropertyMediator::RecordSpan CQPropertyMediator::RecordsOf(ULONG propertyId, RecordCopies& stack,
                                                                    std::vector<DependencyRecord>& heap) {
  const DependencyRange& cached = lastDependencies_;
  if (cached.valid && cached.propertyId == propertyId) return RecordSpan{cached.copies, cached.count};
  return LookUpRecords(propertyId, stack, heap);
}

CQPropertyMediator::RecordSpan CQPropertyMediator::LookUpRecords(ULONG propertyId, RecordCopies& stack,
                                                                 std::vector<DependencyRecord>& heap) {
  DependencyRange& cached = lastDependencies_;
  const auto range = dependencies_.equal_range(propertyId);
  const auto count = static_cast<std::size_t>(std::distance(range.first, range.second));
  DependencyRecord* target = nullptr;
  if (count > DependencyRange::kCopied) {
    heap.resize(count);
    target = heap.data();
  } else if (cached.readers != 0) {
    target = stack;
  } else {
    target = cached.copies;
    cached.propertyId = propertyId;
    cached.count = count;
    cached.valid = true;
  }
  std::size_t i = 0;
  for (auto it = range.first; it != range.second; ++it) target[i++] = it->second;
  return RecordSpan{target, count};
}

ULONG CQPropertyMediator::PropertyChanged(IQProperty* previous, IQProperty* current) {
  // Held across every callback; a callback on this thread may re-enter (the lock is recursive).
  detail::QLockGuard guard(ObjectLock());
  if (previous == nullptr || current == nullptr) return kResultNullPointer;

  ULONG previousId = 0;
  ULONG currentId = 0;
  ULONG result = previous->GetPropertyID(&previousId);
  if (result != kResultOk) return result;
  Registered* registered = nullptr;
  if (lastFound_ != nullptr && lastFound_->base == current && lastFound_->base->Stamp() == lastFoundStamp_) {
    // The base property of the entry found last, with the identity it had then.
    registered = lastFound_;
    currentId = registered->base->GetPropertyID();
    if (previousId != currentId) return kResultPropertyMismatch;
  } else {
    result = current->GetPropertyID(&currentId);
    if (result != kResultOk) return result;
    if (previousId != currentId) return kResultPropertyMismatch;
    _QGUID objectId{};
    result = current->GetObjectId(&objectId);
    if (result != kResultOk) return result;
    registered = FindRegistered(objectId, currentId);
    if (registered == nullptr) return kResultNotRegistered;
    RememberStamp(*registered, current, objectId, currentId);
  }

  // The iterator goes back to the mediator on every way out, emptied, then the snapshots to the entry they
  // came from (while it is where it was), all before the lock is left. A callback that dropped the entry or
  // added another meanwhile makes the snapshots go.
  struct Leftovers {
    CQPropertyMediator& mediator;
    Registered* entry;
    std::uint64_t registryVersion;
    detail::SpareSnapshot newSnapshot;
    detail::SpareSnapshot oldSnapshot;
    std::unique_ptr<CQModifiedPropIterator> iterator;
    bool readsRecords = false;  // calls its records from the mediator's copy of them
    ~Leftovers() {
      if (readsRecords) --mediator.lastDependencies_.readers;
      if (iterator) {
        iterator->Clear();
        if (!mediator.spareIterator_) mediator.spareIterator_ = std::move(iterator);
        iterator.reset();
      }
      // Only an exact library class has snapshots worth a slot; any other's are released here.
      if (mediator.registryVersion_ != registryVersion || entry->face == nullptr) return;
      detail::KeptSnapshots::Pair& kept = mediator.kept_.Claim(entry->serial, &entry->keptAt);
      detail::KeepSnapshot(newSnapshot, kept.next);
      detail::KeepSnapshot(oldSnapshot, kept.previous);
    }
  } change{*this, registered, registryVersion_, {}, {}, nullptr, false};
  // The spares leave their slot while the change runs: a nested change of the same property makes its own.
  // Their parts turn: the last change's new snapshot shows what is the old value now, mostly (not when the
  // property was stored to without a change, or its flags or attribute word moved, since), and is then handed
  // out as it is; the last old one is refreshed as the new one.
  if (detail::KeptSnapshots::Pair* kept = kept_.Find(registered->serial, registered->keptAt)) {
    change.newSnapshot.TakeFrom(kept->previous);
    change.oldSnapshot.TakeFrom(kept->next);
  }
  detail::SnapshotFace* const face = registered->face;
  // The face's stamp is its base property's.
  const std::uint64_t stamp = registered->base != nullptr ? registered->base->Stamp() : 0;
  IQProperty* const entry = registered->property.get();
  MakeSnapshot(entry, face, stamp, registered->base, current, change.newSnapshot);
  if (!ShowsAlready(change.oldSnapshot, stamp, previous)) {
    MakeSnapshot(entry, face, stamp, registered->base, previous, change.oldSnapshot);
  }
  if (!change.newSnapshot.object || !change.oldSnapshot.object) return kResultNotRegistered;
  IQProperty* newSnapshot = change.newSnapshot.object.get();
  IQProperty* oldSnapshot = change.oldSnapshot.object.get();
  std::unique_ptr<CQModifiedPropIterator>& iterator = change.iterator;
  // The records are fixed before any is called: a callback may unregister records, its own among them. A few
  // records (the usual case) are called from the mediator's copy of them, which stays as it is while this
  // change runs, or, in a nested change that finds the copy holding other records, from a copy on the stack;
  // more are copied to the heap.
  RecordCopies stackRecords;
  std::vector<DependencyRecord> heapRecords;
  RecordSpan records{nullptr, 0};
  result = detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    iterator = spareIterator_ ? std::move(spareIterator_) : std::make_unique<CQModifiedPropIterator>();
    records = RecordsOf(currentId, stackRecords, heapRecords);
    change.readsRecords = records.first == lastDependencies_.copies;
    if (change.readsRecords) ++lastDependencies_.readers;
    return kResultOk;
  });
  if (result != kResultOk) return result;

  for (const DependencyRecord& record : records) {
    result = record.callback(oldSnapshot, newSnapshot, iterator.get(), record.user, ePropChangePreview);
    if (result != kResultOk) return result;
  }

  bool refused = false;
  if (notifyCallback_ != nullptr && enableNotifier_.load() != 0) {
    refused = notifyCallback_(previous, current, iterator.get(), notifyUser_, 0) == 0;
  }
  if (refused) {
    for (const DependencyRecord& record : records) {
      record.callback(oldSnapshot, newSnapshot, nullptr, record.user, ePropChangeCancel);
    }
    result = kResultChangeRefused;
  } else {
    for (const DependencyRecord& record : records) {
      result = record.callback(oldSnapshot, newSnapshot, nullptr, record.user, ePropChangeApply);
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
  lastDependencies_.valid = false;
  *handle = ++lastHandle_;
  return kResultOk;
}

ULONG CQPropertyMediator::UnRegisterDependency(ULONG handle) {
  detail::QLockGuard guard(ObjectLock());
  for (auto it = dependencies_.begin(); it != dependencies_.end(); ++it) {
    if (it->second.handle == handle) {
      dependencies_.erase(it);
      lastDependencies_.valid = false;
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
  if (FindRegistered(objectId, propertyId) != nullptr) return kResultAlreadyRegistered;
  // The snapshot face is looked for once, here: only an object of exactly a library class has its snapshots
  // reused. An allocation failure passes to the caller as std::bad_alloc, with nothing registered.
  auto* face = dynamic_cast<detail::SnapshotFace*>(property);
  if (face != nullptr && !face->SnapshotExact()) face = nullptr;
  CQProperty* base = face != nullptr ? face->SnapshotBase() : nullptr;
  lastFound_ = nullptr;  // the entries may move
  ++registryVersion_;
  properties_.Add(detail::IdentityKey::Of(objectId),
                  Registered{QRef<IQProperty>::Retain(property), face, base, lastSerial_ + 1, 0});
  ++lastSerial_;  // moved once the entry is in: a failed insertion uses no serial number
  return kResultOk;
}

ULONG CQPropertyMediator::UnRegisterProperty(IQProperty* property) {
  if (property == nullptr) return kResultNullPointer;
  QRef<IQProperty> stored;  // released after the lock is left, with the snapshots the entry kept
  detail::KeptSnapshots::Pair kept;
  {
    detail::QLockGuard guard(ObjectLock());
    _QGUID objectId{};
    ULONG result = property->GetObjectId(&objectId);
    if (result != kResultOk) return result;
    ULONG propertyId = 0;
    result = property->GetPropertyID(&propertyId);
    if (result != kResultOk) return result;
    Registered* found = FindRegistered(objectId, propertyId);
    if (found == nullptr) return kResultNotRegistered;
    stored = std::move(found->property);
    kept_.Forget(found->serial, found->keptAt, &kept);
    lastFound_ = nullptr;
    ++registryVersion_;
    properties_.Remove(detail::IdentityKey::Of(objectId), found);
  }
  return kResultOk;
}

ULONG CQPropertyMediator::RegisterDependencyNotifyCallback(PropDependencyNotifyCallback callback, void* user) {
  detail::QLockGuard guard(ObjectLock());
  notifyCallback_ = callback;
  notifyUser_ = user;
  return kResultOk;
}

ULONG CQPropertyMediator::Reserve(std::size_t count) {
  detail::QLockGuard guard(ObjectLock());
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    // The entries may move: a change under way (this may be called from its callback) must not give its
    // snapshots back to where its entry was.
    lastFound_ = nullptr;
    ++registryVersion_;
    properties_.Reserve(count);
    return kResultOk;
  });
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
