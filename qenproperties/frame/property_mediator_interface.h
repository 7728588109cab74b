// property_mediator_interface.h: IQPropertyMediator and the callback types of the change protocol.
//
// Declared with the frame so that a property can report its changes; CQPropertyMediator implements it.
#ifndef QENPROPERTIES_FRAME_PROPERTY_MEDIATOR_INTERFACE_H_
#define QENPROPERTIES_FRAME_PROPERTY_MEDIATOR_INTERFACE_H_

#include "qenproperties/frame/unknown.h"

namespace Quenneth {

class IQProperty;
class CModifiedPropIterator;

// enumPropChangeStatus tells a dependency callback which step of a change it is called for.
enum enumPropChangeStatus : ULONG {
  ePropChangeApply = 0,    // the change goes ahead: apply its consequences (no iterator)
  ePropChangeCancel = 1,   // the notify callback refused the change: drop what was prepared (no iterator)
  ePropChangePreview = 2,  // the change is proposed: record further changes in the iterator; non-zero refuses
};

// PropDependencyCallback receives snapshots (old value, new value) of the registered property, the iterator
// (preview only, else null), the user pointer given at registration and the step.
typedef ULONG (*PropDependencyCallback)(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator,
                                        void* user, enumPropChangeStatus status);

// PropDependencyNotifyCallback is the host's veto: at stage 0 it gets the live arguments of PropertyChanged and
// answers 0 to refuse; at stage 1 (the notification is over) it gets two null properties and its answer is
// ignored.
typedef unsigned char (*PropDependencyNotifyCallback)(IQProperty* previous, IQProperty* current,
                                                      CModifiedPropIterator* iterator, void* user, ULONG stage);

// IQPropertyMediator carries a property's change through preview, the host's veto, and apply or cancel. A
// property calls only AddRef, Release and PropertyChanged on it, and treats any non-zero result of
// PropertyChanged as a refusal that restores its previous value.
class IQPropertyMediator : public IQUnknown {
 public:
  // PropertyChanged: `previous` holds the old value, `current` the new one, both of one property ID. Runs the
  // preview, the notify callback's veto, and apply or cancel for the registered property of that identity.
  // Returns 0 when the change may stay; kResultNullPointer for a null argument, kResultPropertyMismatch for two
  // property IDs, kResultNotRegistered for an unknown identity, a preview callback's first non-zero answer,
  // kResultChangeRefused when the notify callback refused, an apply callback's first non-zero answer, or
  // kResultOutOfMemory.
  virtual ULONG PropertyChanged(IQProperty* previous, IQProperty* current) = 0;
  // RegisterDependency: calls `callback` for every change of a property with `propertyId`; *handle receives a
  // number (from 1, never reused) for UnRegisterDependency. kResultNullPointer for a null callback or handle.
  virtual ULONG RegisterDependency(ULONG propertyId, PropDependencyCallback callback, void* user, ULONG* handle) = 0;
  // UnRegisterDependency: removes that registration; kResultNotAvailable for an unknown handle.
  virtual ULONG UnRegisterDependency(ULONG handle) = 0;
  // RegisterProperty: holds one reference on `property` until UnRegisterProperty; its identity is its object
  // ID and property ID. kResultNullPointer for null, kResultAlreadyRegistered for a known identity.
  virtual ULONG RegisterProperty(IQProperty* property) = 0;
  // UnRegisterProperty: gives back the reference of the registered property with the same identity (a clone
  // will do); kResultNullPointer for null, kResultNotRegistered for an unknown identity.
  virtual ULONG UnRegisterProperty(IQProperty* property) = 0;
  // RegisterDependencyNotifyCallback: replaces the one notify callback (null removes it). Returns 0.
  virtual ULONG RegisterDependencyNotifyCallback(PropDependencyNotifyCallback callback, void* user) = 0;

 protected:
  ~IQPropertyMediator() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_PROPERTY_MEDIATOR_INTERFACE_H_
