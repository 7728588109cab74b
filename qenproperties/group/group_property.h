// group_property.h: CQGroupProperty, a group of settings in the host's panel.
//
// The object keeps its own grPropData beside the base property's 8 value bytes. The getters answer from the
// own copy; SetPropertyData, SetPropertyDefaultData and Reset move only the base property's bytes, and a
// successful preset load brings the own copy back in line with them.
//
// Preset text: the base property's text of the 8 value bytes (attribute, then state).
//
// QueryInterface answers IID_IQGroupProperty besides the skeleton's identifiers.
#ifndef QENPROPERTIES_GROUP_GROUP_PROPERTY_H_
#define QENPROPERTIES_GROUP_GROUP_PROPERTY_H_

#include <atomic>

#include "qenproperties/frame/export.h"
#include "qenproperties/group/group_property_interface.h"
#include "qenproperties/property/typed_property.h"

namespace Quenneth {

class QEN_API CQGroupProperty : public detail::TypedProperty<CQGroupProperty, IQGroupProperty> {
 public:
  // Named forms: the own copy, then name, description, IDs and data type 11, the default and (notifying, so a
  // mediator given here is called once) the value {attribute, state}; flags 9.
  CQGroupProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId, ULONG attribute,
                  ULONG state, IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQGroupProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId, ULONG attribute,
                  ULONG state, IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // {0, 0} as default and value, data type 11, flags 1.
  CQGroupProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Base property (without mediator), services manager and own copy of the source.
  CQGroupProperty(CQGroupProperty& source);
  CQGroupProperty& operator=(const CQGroupProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  // Raw bytes to the notifying store; the own copy stays.
  ULONG SetPropertyData(const void* data, ULONG length) override;
  ULONG Reset() override;

  ULONG GetGroupAttribute(ULONG* attribute) override;
  ULONG SetGroupState(ULONG state) override;
  ULONG GetGroupState(ULONG* state) override;

  virtual ~CQGroupProperty();
  // As SetGroupState, but the mediator is not told.
  virtual ULONG SetDirectGroupState(ULONG state);

  // IQPropertySerializer
  // Accepts only 8 (the record's size) and stores nothing: the record's size is fixed.
  ULONG SetDataSize(ULONG size) override;
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  // kResultNoSelection when the text decodes to a value that is not 8 bytes (the value keeps what was loaded,
  // the own copy stays).
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;

  // Stores the attribute in the own copy and the record directly; never calls the mediator.
  ULONG SetGroupAttribute(ULONG attribute);
  // The record to the notifying store; the own copy stays.
  ULONG SetPropertyData(grPropData data);
  // The record becomes the default; the own copy stays.
  ULONG SetPropertyDefaultData(grPropData data);

 private:
  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId);
  friend Shell;
  using Copied = grPropData;
  static Copied TakeCopy(CQGroupProperty& source);
  void PutCopy(Copied&& copied);
  ULONG StoreState(ULONG state, bool notify);

  grPropData Own() const { return grPropData{attribute_.load(), state_.load()}; }

  // Atomic so the getters, which take no lock, never race with a setter.
  std::atomic<ULONG> attribute_{0};
  std::atomic<ULONG> state_{0};
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_GROUP_GROUP_PROPERTY_H_
