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
  virtual ULONG PropertyChanged(IQProperty* previous, IQProperty* current) = 0;
  virtual ULONG RegisterDependency(ULONG propertyId, PropDependencyCallback callback, void* user, ULONG* handle) = 0;
  virtual ULONG UnRegisterDependency(ULONG handle) = 0;
  virtual ULONG RegisterProperty(IQProperty* property) = 0;
  virtual ULONG UnRegisterProperty(IQProperty* property) = 0;
  virtual ULONG RegisterDependencyNotifyCallback(PropDependencyNotifyCallback callback, void* user) = 0;

 protected:
  ~IQPropertyMediator() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_FRAME_PROPERTY_MEDIATOR_INTERFACE_H_
