// property_interface.h: IQProperty, the common operations of every property.
#ifndef QENPROPERTIES_PROPERTY_PROPERTY_INTERFACE_H_
#define QENPROPERTIES_PROPERTY_PROPERTY_INTERFACE_H_

#include "qenproperties/frame/property_mediator_interface.h"
#include "qenproperties/frame/types.h"
#include "qenproperties/frame/unknown.h"

namespace Quenneth {

// IQProperty: name, IDs, data type, value bytes, flags, identity and the mediator binding of a property.
//
// Text getters follow one protocol: a non-null `length` receives the length (the unit is stated per
// operation; its value on entry is not read), and a non-null `buffer` receives the whole text with its
// terminator, so size it from a first call with a null buffer. Byte getters do the same in bytes.
class IQProperty : public IQUnknown {
 public:
  // GetPropertyName, GetPropertyDescription: length in UTF-16 code units without the terminator.
  virtual ULONG GetPropertyName(WCHAR* buffer, ULONG* length) = 0;
  virtual ULONG GetPropertyDescription(WCHAR* buffer, ULONG* length) = 0;
  virtual ULONG GetPropertyID(ULONG* id) = 0;
  virtual ULONG GetPropertyGroupID(ULONG* id) = 0;
  virtual ULONG GetPropertyDataType(QDataType* type) = 0;
  // GetPropertyDefaultData, GetPropertyData: length in bytes.
  virtual ULONG GetPropertyDefaultData(void* buffer, ULONG* length) = 0;
  virtual ULONG GetPropertyData(void* buffer, ULONG* length) = 0;
  // SetPropertyData stores value bytes and tells the bound mediator; a non-zero answer of the mediator is
  // returned and the previous bytes are restored.
  virtual ULONG SetPropertyData(const void* data, ULONG length) = 0;
  // GetPropertyFlags: kResultNullPointer for a null pointer.
  virtual ULONG GetPropertyFlags(ULONG* flags) = 0;
  // GetCapabilities(1, ...) reports the 32-bit capability word (size 4); other numbers give
  // kResultCapabilityUnknown.
  virtual ULONG GetCapabilities(ULONG capability, void* input, void* output, ULONG* size) = 0;
  // CloneProperty hands out a new copy (count 1, same object ID, bound to no mediator).
  virtual ULONG CloneProperty(IQProperty** out) = 0;
  // SetProperyMediator binds the property to `mediator` (one reference held); null keeps the binding.
  virtual ULONG SetProperyMediator(IQPropertyMediator* mediator) = 0;
  virtual ULONG GetObjectId(_QGUID* id) = 0;
  // Reset makes the default bytes the value and clears kFlagValueSet, without telling the mediator.
  virtual ULONG Reset() = 0;

 protected:
  ~IQProperty() = default;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_PROPERTY_INTERFACE_H_
