// enum_property.h: CQEnumProperty, a choice out of an ordered list of texts, each with a 64-bit ID.
//
// Two value forms, chosen by the sub data type:
//   index form (any sub data type but kDataTypeEnum64): the value is the 4-byte index of the selected entry;
//   64-bit form (kDataTypeEnum64): the value is the 8-byte signed ID of the selected entry (SetCurSel64 and
//   SetDirectCurSel64 store the index they are given as those 8 bytes instead).
// Values are little-endian. Entries added through the 32-bit operations carry their ID zero-extended.
// Duplicate texts and IDs are allowed; every search takes the first match in list order.
//
// Preset text: the selected entry's ID in decimal, unsigned 32-bit in the index form, signed 64-bit in the
// 64-bit form; the length is in code units. The load appends an entry "use enum id" with the read ID and
// selects index 0 with a notification.
//
// QueryInterface answers IID_IQEnumProperty, and IID_IQOptionalProperty while an optional property is held.
#ifndef QENPROPERTIES_ENUM_ENUM_PROPERTY_H_
#define QENPROPERTIES_ENUM_ENUM_PROPERTY_H_

#include <atomic>
#include <vector>

#include "qenproperties/enum/enum_property_interface.h"
#include "qenproperties/frame/export.h"
#include "qenproperties/internal/optional_property_slot.h"
#include "qenproperties/internal/shared_text.h"
#include "qenproperties/property/typed_property.h"

namespace Quenneth {

class QEN_API CQEnumProperty : public detail::TypedProperty<CQEnumProperty, IQEnumProperty> {
 public:
  // Named forms: a zero default of 4 bytes (8 for kDataTypeEnum64), no current value, data type 7, flags 9.
  CQEnumProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                 IQServicesManager* servicesManager, IQPropertyMediator* mediator, QDataType subDataType);
  CQEnumProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                 IQServicesManager* servicesManager, IQPropertyMediator* mediator, QDataType subDataType);
  // Data type 7, flags 1, no default and no current value.
  CQEnumProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator, QDataType subDataType);
  // Appends the source's entries as its GetEnumCount and GetEnumString64 report them (those with empty text
  // are skipped), then takes a copy of its base property (no mediator), its sub data type, services manager
  // and optional property.
  CQEnumProperty(CQEnumProperty& source);
  // As the copy constructor, appending to the target's own entries.
  CQEnumProperty& operator=(const CQEnumProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  // Raw store with a notification, unchecked.
  ULONG SetPropertyData(const void* data, ULONG length) override;

  ULONG GetEnumCount(ULONG* count) const override;
  ULONG GetEnumString(ULONG index, WCHAR* text, ULONG* byteLength, ULONG* id) const override;
  ULONG GetCurSel(ULONG* index) const override;
  ULONG GetCurSelString(WCHAR* text, ULONG* byteLength) const override;
  ULONG SetCurSel(ULONG index) override;
  ULONG SetCurSelString(WCHAR* text) override;
  ULONG GetCurSelId(ULONG* id) const override;
  ULONG SetCurSelById(ULONG id) override;

  virtual ~CQEnumProperty();
  // GetEnumString64: as GetEnumString, with the whole 64-bit ID.
  virtual ULONG GetEnumString64(ULONG index, WCHAR* text, ULONG* byteLength, long long* id) const;

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG length) override;
  // The value width follows the sub data type, so the size word is not kept.
  ULONG SetDataSize(ULONG size) override;

  // Narrow adds: UTF-8 text (an empty text adds an entry with empty text); a conversion failure is returned.
  ULONG AddEnumString(const char* text, ULONG id);
  ULONG AddEnumString64(const char* text, long long id);
  // Wide adds: an empty text adds nothing and returns 0. All adds give kResultOutOfMemory, list unchanged,
  // when the entry cannot be allocated.
  ULONG AddEnumString(const WCHAR* text, ULONG id);
  ULONG AddEnumString64(const WCHAR* text, long long id);
  // Frees every entry; the stored value stays as it is.
  ULONG RemoveAllEnumStrings();

  ULONG GetCurSel64(long long* value) const;
  ULONG SetCurSel64(long long value);
  ULONG SetDirectCurSel(ULONG index);
  ULONG SetDirectCurSel64(long long value);
  ULONG GetCurSelId64(long long* id) const;
  ULONG SetCurSelById64(long long id);
  // Compares only the low 32 bits of the entries' IDs (SetCurSelById compares the whole zero-extended ID).
  ULONG SetDirectCurSelById(ULONG id);
  ULONG SetDirectCurSelById64(long long id);
  ULONG SetDirectCurSelString(WCHAR* text);
  ULONG SetDirectCurSelString(const char* text);
  // Renames the selected entry (index 0 while no value is stored); the value does not change and the
  // mediator is not told.
  ULONG ChangeCurSelString(const WCHAR* text);

  // Unchecked stores of 4 or 8 bytes with a notification.
  ULONG SetPropertyData(ULONG value);
  ULONG SetPropertyData64(long long value);
  ULONG SetPropertyDefaultData(ULONG value);
  ULONG SetPropertyDefaultData64(long long value);
  // The stored value is not converted when the form changes.
  ULONG SetPropertySubDataType(QDataType type);
  ULONG GetPropertySubDataType(QDataType* type) const;
  // Holds one reference on `optional` (null removes it); copies share it.
  ULONG SetOptionalProperty(IQOptionalProperty* optional);

 private:
  struct EnumEntry {
    detail::SharedText text;
    long long id;
  };

  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId);
  friend Shell;
  struct Copied {
    std::vector<EnumEntry> entries;
    ULONG subDataType;
    QRef<IQOptionalProperty> optional;
  };
  static Copied TakeCopy(CQEnumProperty& source);
  void PutCopy(Copied&& copied);
  bool Is64() const;
  ULONG Append(const WCHAR* text, ULONG length, long long id);
  ULONG AddNarrow(const char* text, long long id);
  ULONG AddWide(const WCHAR* text, long long id);
  ULONG StoreIndex(ULONG index, bool notify);
  ULONG StoreIndex64(long long value, bool notify);
  ULONG SelectById(long long id, bool lowBitsOnly, bool notify);
  ULONG SelectById64(long long id, bool notify);
  ULONG SelectByText(const WCHAR* text, bool notify);
  ULONG CopyText(const EnumEntry& entry, WCHAR* text, ULONG* byteLength) const;

  std::vector<EnumEntry> entries_;
  std::atomic<ULONG> subDataType_;
  detail::OptionalPropertySlot optional_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_ENUM_PROPERTY_H_
