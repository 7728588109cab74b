// enum_long_property.h: CQEnumLongProperty, a choice out of an ordered list of 32-bit numbers.
//
// The number is both the entry's label and its ID. The stored value is the 4-byte little-endian index of the
// selected number, not the number. Duplicates are allowed and every search takes the first match.
//
// Preset text: the selected number as signed 32-bit decimal ("-1" for 4294967295). The load appends the read
// number (0 when none can be read) and selects index 0 with a notification.
//
// QueryInterface answers IID_IQEnumLongProperty; no optional property is held.
#ifndef QENPROPERTIES_ENUM_ENUM_LONG_PROPERTY_H_
#define QENPROPERTIES_ENUM_ENUM_LONG_PROPERTY_H_

#include <vector>

#include "qenproperties/enum/enum_long_property_interface.h"
#include "qenproperties/frame/export.h"
#include "qenproperties/property/typed_property.h"

namespace Quenneth {

class QEN_API CQEnumLongProperty : public detail::TypedProperty<CQEnumLongProperty, IQEnumLongProperty> {
 public:
  // Named forms: default value index 0 (4 zero bytes), no current value, data type 15, flags 9.
  CQEnumLongProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                     IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQEnumLongProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                     IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Data type 15, flags 1, no default and no current value.
  CQEnumLongProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Appends the source's numbers (read through its getters), then takes a copy of its base property (no
  // mediator) and services manager.
  CQEnumLongProperty(CQEnumLongProperty& source);
  // Appends the source's numbers to the target's own (the target's list is not emptied first).
  CQEnumLongProperty& operator=(const CQEnumLongProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;

  ULONG GetEnumCount(ULONG* count) const override;
  ULONG GetEnumLongValue(ULONG index, ULONG* value) const override;
  ULONG GetCurSelIndex(ULONG* index) const override;
  ULONG GetCurSelLongValue(ULONG* value) const override;
  ULONG SetCurSelIndex(ULONG index) override;
  ULONG SetCurSelLongValue(ULONG value) override;

  virtual ~CQEnumLongProperty();

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG length) override;
  // Both name forms pass the name on and always return 0.
  ULONG SetPropertyName(const char* name) override;
  // The value width is fixed, so the size word is not kept.
  ULONG SetDataSize(ULONG size) override;

  // Appends `value`; kResultStorageFailed when the list cannot grow (the list is then unchanged).
  ULONG AddEnumLongValue(ULONG value);
  // Empties the list; the stored index stays as it is.
  ULONG RemoveAllEnumValuess();
  ULONG SetDirectCurSelIndex(ULONG index);
  ULONG SetDirectCurSelLongValue(ULONG value);
  // Stores the 4 bytes of `index` with a notification, unchecked.
  ULONG SetPropertyData(ULONG index);
  ULONG SetPropertyData(const void* data, ULONG length) override;
  // The 4 bytes of `index` become the default; the current value is not touched.
  ULONG SetPropertyDefaultData(ULONG index);
  ULONG SetPropertyName(const WCHAR* name);

 private:
  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId);
  friend Shell;
  using Copied = std::vector<ULONG>;
  static Copied TakeCopy(CQEnumLongProperty& source);
  void PutCopy(Copied&& copied);
  ULONG StoreIndex(ULONG index, bool notify);
  ULONG SelectValue(ULONG value, bool notify);

  std::vector<ULONG> values_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_ENUM_LONG_PROPERTY_H_
