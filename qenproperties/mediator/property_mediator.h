// property_mediator.h: CQPropertyMediator, the hub that carries a property's change to the code that depends
// on it.
//
// The host registers the properties that take part (identity = object ID and property ID), dependency
// callbacks per property ID, and optionally one notify callback. A change reported through PropertyChanged is
// previewed by the dependency callbacks (with a CQModifiedPropIterator they fill), offered to the notify
// callback, then applied or cancelled. Callbacks get snapshots of the registered property, never live objects.
//
// The mediator's own lock is also the change lock of every property bound to it (ChangeLockOwner): such a
// property takes it before its own locks, so changes of one mediator are serialised and callbacks that set
// other bound properties cannot meet another thread in the opposite lock order.
//
// Registered properties keep one reference each until UnRegisterProperty; the destructor does not give those
// references back, so the host unregisters every property before letting the mediator go.
//
// A change in steady state allocates nothing: the snapshots of a change are kept for its registered entry (and
// the iterator with the mediator) when it ends and refreshed in place by the next change of the same property
// (internal/snapshot_pool.h says when that is safe); the new one is handed out as that change's old one as it
// is while it shows the old value, flags and attribute word already. Only the 64 entries changed most recently keep
// theirs (internal/kept_snapshots.h), so what a mediator keeps does not grow with the properties it has seen change.
// Snapshots of a host's own property, or of a class derived from a library class, are made by its CloneProperty
// every time.
#ifndef QENPROPERTIES_MEDIATOR_PROPERTY_MEDIATOR_H_
#define QENPROPERTIES_MEDIATOR_PROPERTY_MEDIATOR_H_

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/property_mediator_interface.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/change_lock.h"
#include "qenproperties/internal/counted.h"
#include "qenproperties/internal/identity_table.h"
#include "qenproperties/internal/kept_snapshots.h"
#include "qenproperties/internal/snapshot_face.h"

namespace Quenneth {

// DependencyRecord is one registered dependency callback.
struct DependencyRecord {
  ULONG propertyId;
  PropDependencyCallback callback;
  void* user;
  ULONG handle;
};

class CQModifiedPropIterator;

class QEN_API CQPropertyMediator final : public detail::Counted<CQPropertyMediator, IQPropertyMediator>,
                                         public detail::ChangeLockOwner {
 public:
  explicit CQPropertyMediator(IQServicesManager* servicesManager);
  CQPropertyMediator(const CQPropertyMediator&) = delete;
  CQPropertyMediator& operator=(const CQPropertyMediator&) = delete;

  // Answers IID_IQPropertyMediator only.
  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG PropertyChanged(IQProperty* previous, IQProperty* current) override;
  // Handles start at 1 and are never given out twice; a null callback or handle uses no handle number.
  ULONG RegisterDependency(ULONG propertyId, PropDependencyCallback callback, void* user, ULONG* handle) override;
  ULONG UnRegisterDependency(ULONG handle) override;
  // kResultAlreadyRegistered when an entry of the same identity exists (a clone counts as the same).
  ULONG RegisterProperty(IQProperty* property) override;
  ULONG UnRegisterProperty(IQProperty* property) override;
  // A null callback removes the notify callback.
  ULONG RegisterDependencyNotifyCallback(PropDependencyNotifyCallback callback, void* user) override;

  virtual ~CQPropertyMediator();

  // While the flag is 0 the notify callback is not called; dependency callbacks still run. No lock is taken.
  ULONG SetEnableNotifierFlag(unsigned char enable);
  ULONG GetEnableNotifierFlag(unsigned char* enable);

  // Reserve makes room for `count` registered properties in all, so that a host registering many at once has
  // the registry sized once rather than grown step by step. kResultOutOfMemory (nothing changed) when the room
  // cannot be had. Takes the mediator lock.
  ULONG Reserve(std::size_t count);

 protected:
  detail::QLock& ChangeLock() override;

 private:
  // Registered: a registered property, and its snapshot face and base property when it is exactly a library
  // class (whose base property answers its identity and is never replaced), with the serial number and slot
  // that name the old and new snapshots its last change kept in `kept_` (if they are still kept).
  struct QEN_LOCAL Registered {
    QRef<IQProperty> property;
    detail::SnapshotFace* face;
    CQProperty* base;
    std::uint64_t serial;
    std::uint8_t keptAt;
  };
  // The entries by the first twelve bytes of their object identifier; those of one key in registration order.
  using PropertyRegistry = detail::IdentityTable<Registered>;

  // FindRegistered gives the first entry of the identity (object identifier, property ID), or null. The
  // pointer holds until the registry changes.
  Registered* FindRegistered(const _QGUID& id, ULONG propertyId);
  // RememberStamp records the stamp of the entry's base property when it is the reporter of a change.
  void RememberStamp(const Registered& entry, IQProperty* reporter, const _QGUID& objectId, ULONG propertyId);

  // The entry the last look-up found, and its key; forgotten whenever the registry changes. With a base
  // property, also the stamp that base property showed then: while it shows it still, its identity is the one
  // found (a new object or property ID gives a new stamp), so a change it reports needs no look-up.
  Registered* lastFound_ = nullptr;
  unsigned char lastFoundKey_[12] = {};
  std::uint64_t lastFoundStamp_ = 0;
  // Moves whenever an entry is added or removed: a change gives its snapshots back to the entry it took them
  // from only while the registry is as it was (entries may have moved).
  std::uint64_t registryVersion_ = 0;
  // The serial number of the entry registered last (entries are numbered from 1).
  std::uint64_t lastSerial_ = 0;
  detail::KeptSnapshots kept_;

  using DependencyRegistry = std::multimap<ULONG, DependencyRecord>;
  // DependencyRange: a copy of the records of one property ID as the last change looked them up, when they are
  // few; forgotten (`valid` cleared) whenever a record is added or removed. The changes under way on this
  // mediator's thread (`readers`) call the records from this copy, so it is refilled only while none is: a
  // callback that unregisters records, or a nested change of another property, leaves the outer change's
  // records as they were when it began.
  struct QEN_LOCAL DependencyRange {
    static constexpr std::size_t kCopied = 8;
    ULONG propertyId = 0;
    std::size_t count = 0;
    bool valid = false;
    std::size_t readers = 0;
    DependencyRecord copies[kCopied] = {};
  };

  // RecordSpan is the run of dependency records one change calls, wherever they lie.
  struct QEN_LOCAL RecordSpan {
    const DependencyRecord* first;
    std::size_t count;
    const DependencyRecord* begin() const { return first; }
    const DependencyRecord* end() const { return first + count; }
  };
  using RecordCopies = DependencyRecord[DependencyRange::kCopied];
  RecordSpan RecordsOf(ULONG propertyId, RecordCopies& stack, std::vector<DependencyRecord>& heap);
  RecordSpan LookUpRecords(ULONG propertyId, RecordCopies& stack, std::vector<DependencyRecord>& heap);

  DependencyRegistry dependencies_;
  DependencyRange lastDependencies_;
  PropDependencyNotifyCallback notifyCallback_ = nullptr;
  void* notifyUser_ = nullptr;
  PropertyRegistry properties_;
  ULONG lastHandle_ = 0;
  // Atomic so that a host flipping it from another thread is at worst late, never a torn read.
  std::atomic<unsigned char> enableNotifier_{1};
  QRef<IQServicesManager> servicesManager_;
  // Kept between changes and used under the change lock only.
  std::unique_ptr<CQModifiedPropIterator> spareIterator_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_MEDIATOR_PROPERTY_MEDIATOR_H_
