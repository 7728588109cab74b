// group_property_interface.h: IQGroupProperty, a group of settings with an attribute and a state word.
#ifndef QENPROPERTIES_GROUP_GROUP_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_GROUP_GROUP_PROPERTY_INTERFACE_H_

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

// grPropData is the group's value as stored in the base property: 8 bytes in host byte order, attribute first.
// The host gives both words their meaning; the library stores any value as given.
struct grPropData {
  ULONG attribute;
  ULONG state;
};

class IQGroupProperty : public IQProperty {
 public:
  // The object's own attribute word; kResultNullPointer for a null pointer.
  virtual ULONG GetGroupAttribute(ULONG* attribute) = 0;
  // Stores the state in the object and the record through the notifying store; the mediator's verdict comes
  // back, and the object keeps the new state even when the mediator refuses it.
  virtual ULONG SetGroupState(ULONG state) = 0;
  // The object's own state word; kResultNullPointer for a null pointer.
  virtual ULONG GetGroupState(ULONG* state) = 0;

 protected:
  ~IQGroupProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_GROUP_GROUP_PROPERTY_INTERFACE_H_
