// ex_enum_property.h: CQExEnumProperty, an enumeration whose entries carry a small value of one scalar type.
//
// The value is not an index but an exEnumPropData record: six little-endian 32-bit fields (total size,
// sub-data type, sub-data size, custom enum ID, selected enum ID, selected index) followed by the selected
// entry's sub data, encoded by the sub-data type (1: byte, 2: short, 3 and 14: int, 4: 64-bit int, 8: float,
// 9: double; any other type has no value bytes). The preset text is the base property's text of those bytes.
//
// A stored value that holds no whole record (shorter than 24 bytes plus its type's width, or whose total-size
// field does not give the stored length) is treated as no record: readers answer as for an empty value,
// setters change nothing.
#ifndef QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_H_
#define QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_H_

#include <atomic>
#include <cstdint>
#include <vector>

#include "qenproperties/enum/ex_enum_property_interface.h"
#include "qenproperties/frame/export.h"
#include "qenproperties/internal/shared_text.h"
#include "qenproperties/property/typed_property.h"

namespace Quenneth {

// The in-memory copy of the stored record. `value` holds the value field in the host's layout of the sub-data
// type; 8 bytes cover the widest type.
struct exEnumPropData {
  std::int32_t totalSize = 0;
  std::int32_t subDataType = 0;
  std::int32_t subDataSize = 0;
  std::int32_t customEnumId = 0;
  std::int32_t selectedEnumId = 0;
  std::int32_t selectedIndex = 0;
  unsigned char value[8] = {};
};

class QEN_API CQExEnumProperty : public detail::TypedProperty<CQExEnumProperty, IQExEnumProperty> {
 public:
  // Named forms: base flags 9, data type 27; the initial record selects nothing and holds a zero value.
  CQExEnumProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId, ULONG customEnumId,
                   ULONG subDataType, IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQExEnumProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId, ULONG customEnumId,
                   ULONG subDataType, IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Custom enum ID 0, sub-data type 8 (float), flags 1.
  CQExEnumProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Appends the source's entries as its GetEnumStringAndSubData reports them; takes its base property (no
  // mediator), sub-data type, custom enum ID and services manager.
  CQExEnumProperty(CQExEnumProperty& source);
  CQExEnumProperty& operator=(const CQExEnumProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;

  ULONG GetEnumSubDataDataType(ULONG* type) const override;
  ULONG GetCustomEnumID(ULONG* id) const override;
  ULONG GetNoSubDataEnumID(ULONG* id) const override;
  ULONG GetEnumCount(ULONG* count) const override;
  ULONG GetEnumStringAndSubData(ULONG index, WCHAR* string, ULONG* stringSize, ULONG* enumID, void* subData,
                                ULONG* subDataSize) const override;
  ULONG GetCurSel(ULONG* index) const override;
  ULONG GetCurSelString(WCHAR* string, ULONG* stringSize) const override;
  ULONG GetCurSelSubData(void* buffer, ULONG* size) const override;
  ULONG GetCustomData(void* buffer, ULONG* size) const override;
  ULONG GetCurSelId(ULONG* id) const override;
  ULONG SetCurSel(ULONG index) override;
  ULONG SetCurSelString(WCHAR* string) override;
  ULONG SetCustomData(const void* data, ULONG size) override;
  ULONG SetCurSelById(ULONG id) override;

  virtual ~CQExEnumProperty();
  // As SetCustomData, but the record is rewritten only while the custom entry is the selected one.
  virtual ULONG SetDirectCustomData(const void* data, ULONG size);

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG SetPropertyFlag(ULONG flags) override;
  ULONG SetDataSize(ULONG size) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;

  ULONG AddEnumStringAndSubData(const char* string, ULONG enumID, unsigned char* subData, ULONG subDataSize);
  ULONG AddEnumStringAndSubData(const WCHAR* string, ULONG enumID, unsigned char* subData, ULONG subDataSize);
  ULONG RemoveAllEnumStrings();
  ULONG SetDirectCurSel(ULONG index);
  ULONG SetDirectCurSelById(ULONG id);
  ULONG SetDirectCurSelString(const char* string);
  ULONG SetPropertyDefaultData(ULONG value);
  ULONG SetPropertyFlagBit(ULONG bits);

 private:
  struct Entry {
    detail::SharedText text;
    ULONG id;
    std::vector<unsigned char> subData;
  };
  // What reading the stored value found.
  enum class Held { kEmpty, kInvalid, kRecord };

  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId);
  void BuildInitialRecord();
  friend Shell;
  struct Copied {
    std::vector<Entry> entries;
    ULONG subDataType;
    ULONG customEnumId;
  };
  static Copied TakeCopy(CQExEnumProperty& source);
  void PutCopy(Copied&& copied);
  static void CopyText(const Entry& entry, WCHAR* string, ULONG* stringSize);
  Held ReadRecord(exEnumPropData& record) const;
  ULONG StoreRecord(exEnumPropData& record, bool notify);
  ULONG Select(ULONG index, bool notify);
  ULONG SetCustom(const void* data, ULONG size, bool always);
  ULONG CopySubData(const Entry& entry, void* buffer) const;
  ULONG CurrentIndex(ULONG& index) const;

  std::vector<Entry> entries_;
  std::atomic<ULONG> customEnumId_{0};
  std::atomic<ULONG> subDataType_{kDataTypeFloat};
  // No operation gives it a value; zero says "none".
  std::atomic<ULONG> noSubDataEnumId_{0};
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_EX_ENUM_PROPERTY_H_
