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
#ifndef QENPROPERTIES_MEDIATOR_PROPERTY_MEDIATOR_H_
#define QENPROPERTIES_MEDIATOR_PROPERTY_MEDIATOR_H_

#include <atomic>
#include <map>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/property_mediator_interface.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/change_lock.h"
#include "qenproperties/internal/counted.h"

namespace Quenneth {

// DependencyRecord is one registered dependency callback.
struct DependencyRecord {
  ULONG propertyId;
  PropDependencyCallback callback;
  void* user;
  ULONG handle;
};

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

 protected:
  detail::QLock& ChangeLock() override;

 private:
  // Orders object identifiers by their first twelve bytes; identifiers that differ only in the last four
  // share a key and are told apart by property ID.
  struct IdentifierLess {
    bool operator()(const _QGUID& a, const _QGUID& b) const;
  };
  using PropertyRegistry = std::multimap<_QGUID, QRef<IQProperty>, IdentifierLess>;

  PropertyRegistry::iterator FindRegistered(const _QGUID& id, ULONG propertyId);

  std::multimap<ULONG, DependencyRecord> dependencies_;
  PropDependencyNotifyCallback notifyCallback_ = nullptr;
  void* notifyUser_ = nullptr;
  PropertyRegistry properties_;
  ULONG lastHandle_ = 0;
  // Atomic so that a host flipping it from another thread is at worst late, never a torn read.
  std::atomic<unsigned char> enableNotifier_{1};
  QRef<IQServicesManager> servicesManager_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_MEDIATOR_PROPERTY_MEDIATOR_H_
