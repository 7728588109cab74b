#include "qenproperties/group/group_property.h"

#include <cstring>

#include "qenproperties/foundation/encoding.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

static_assert(sizeof(grPropData) == 8, "the group record is two 32-bit words");

}  // namespace

template <class Char>
void CQGroupProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId) {
  Describe(name, description, groupId, propertyId, kDataTypeGroup);
  const grPropData record = Own();
  SetPropertyDefaultData(record);
  SetPropertyData(record);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQGroupProperty::CQGroupProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                 ULONG attribute, ULONG state, IQServicesManager* servicesManager,
                                 IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator), attribute_(attribute), state_(state) {
  Init(name, description, groupId, propertyId);
}

CQGroupProperty::CQGroupProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                 ULONG attribute, ULONG state, IQServicesManager* servicesManager,
                                 IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator), attribute_(attribute), state_(state) {
  Init(name, description, groupId, propertyId);
}

CQGroupProperty::CQGroupProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  base_->SetPropertyDataType(kDataTypeGroup);
  SetPropertyDefaultData(grPropData{0, 0});
  SetPropertyData(grPropData{0, 0});
  // Storing the value sets kFlagValueSet; the unnamed form still ends with flags 1.
  base_->SetPropertyFlag(1);
}

CQGroupProperty::CQGroupProperty(CQGroupProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQGroupProperty& CQGroupProperty::operator=(const CQGroupProperty& source) { return Assign(source); }

CQGroupProperty::~CQGroupProperty() = default;

// The own record is the source's own one, not what its getters report: a group's copy carries its record.
CQGroupProperty::Copied CQGroupProperty::TakeCopy(CQGroupProperty& source) { return source.Own(); }

void CQGroupProperty::PutCopy(Copied&& copied) {
  attribute_.store(copied.attribute);
  state_.store(copied.state);
}

ULONG CQGroupProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQGroupProperty);
  return QueryTyped(kInterfaces, iid, out);
}

ULONG CQGroupProperty::SetPropertyData(const void* data, ULONG length) {
  SetterGuard guard(*this);
  if (!base_) return kResultNotAvailable;
  return base_->SetPropertyData(data, length);
}

ULONG CQGroupProperty::Reset() {
  SetterGuard guard(*this);
  if (!base_) return kResultNotAvailable;
  return base_->Reset();
}

ULONG CQGroupProperty::GetGroupAttribute(ULONG* attribute) {
  if (attribute == nullptr) return kResultNullPointer;
  *attribute = attribute_.load();
  return kResultOk;
}

ULONG CQGroupProperty::GetGroupState(ULONG* state) {
  if (state == nullptr) return kResultNullPointer;
  *state = state_.load();
  return kResultOk;
}

// The own copy takes the new state before the store, so a mediator that refuses leaves the old bytes in the
// value while the object already reports the new state.
ULONG CQGroupProperty::StoreState(ULONG state, bool notify) {
  SetterGuard guard(*this);
  state_.store(state);
  if (!base_) return kResultNotAvailable;
  const grPropData record = Own();
  return StoreValue(&record, sizeof(record), notify);
}

ULONG CQGroupProperty::SetGroupState(ULONG state) { return StoreState(state, true); }
ULONG CQGroupProperty::SetDirectGroupState(ULONG state) { return StoreState(state, false); }

ULONG CQGroupProperty::SetGroupAttribute(ULONG attribute) {
  SetterGuard guard(*this);
  attribute_.store(attribute);
  if (!base_) return kResultNotAvailable;
  const grPropData record = Own();
  return StoreValue(&record, sizeof(record), false);
}

ULONG CQGroupProperty::SetPropertyData(grPropData data) {
  SetterGuard guard(*this);
  if (!base_) return kResultNotAvailable;
  return base_->SetPropertyData(&data, sizeof(data));
}

ULONG CQGroupProperty::SetPropertyDefaultData(grPropData data) {
  SetterGuard guard(*this);
  if (!base_) return kResultNotAvailable;
  return base_->SetPropertyDefaultData(&data, sizeof(data));
}

ULONG CQGroupProperty::SetDataSize(ULONG size) {
  return size == sizeof(grPropData) ? kResultOk : kResultInvalidArgument;
}

// The text is the base property's: two hexadecimal digits per value byte, nothing for an empty value. A value
// of up to 8 bytes (the record, unless a raw store gave another length) is read with its length in one step of
// the lock and encoded here; a longer one takes the base property's route.
ULONG CQGroupProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  if (length == nullptr) return kResultNullPointer;
  if (!base_) return kResultNotAvailable;
  unsigned char bytes[8];
  ULONG held = 0;
  base_->ReadFirst8(bytes, &held);
  if (held == 0) return kResultOk;
  if (held <= sizeof bytes) {
    *length = 2 * held;
    if (text != nullptr) EncodeTo(bytes, held, text);
    return kResultOk;
  }
  return detail::OutOfMemoryAs(kResultStorageFailed, [&] {
    base_->GetPropertyDataToSave(text, length);
    return kResultOk;
  });
}

ULONG CQGroupProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG size) {
  SetterGuard guard(*this);
  if (!base_) return kResultNotAvailable;
  // The text a save writes, the record's 16 digits, is decoded here and stored as the base property would store
  // it (it is the library's own, so its store is the notifying one); other text takes the base property's load.
  unsigned char decoded[sizeof(grPropData)];
  const bool plain =
      text != nullptr && detail::ReadHexBytes(text, sizeof decoded, decoded) && text[2 * sizeof decoded] == 0;
  const ULONG result = plain ? base_->NotifyHeld(guard.ChangeLock(), decoded, sizeof decoded)
                             : base_->LoadDirectDataFromPreset(text, size);
  if (result != kResultOk) return result;
  // The stored length and bytes are read together, in one entry of the base property's lock.
  unsigned char bytes[8];
  static_assert(sizeof(bytes) == sizeof(grPropData), "the record is read in one step");
  ULONG held = 0;
  base_->ReadFirst8(bytes, &held);
  if (held != sizeof(grPropData)) return kResultNoSelection;
  grPropData record{0, 0};
  std::memcpy(&record, bytes, sizeof(record));
  attribute_.store(record.attribute);
  state_.store(record.state);
  return kResultOk;
}

}  // namespace Quenneth
