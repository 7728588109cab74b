// long_property.h: CQLongProperty, an 8-, 16- or 32-bit integer setting with an optional range.
//
// The data type gives the stored width and the comparison: kDataTypeUInt8 (1 byte), kDataTypeUInt16 (2 bytes),
// kDataTypeUInt32 (4 bytes) compare unsigned; kDataTypeInt32 (4 bytes) compares signed. For any other type the
// value setters store nothing and return 0. Values are little-endian; the default is always 4 bytes.
//
// The range is in force only while both bounds are non-zero; it is checked before the value is cut to its
// width (type 1 with range [1, 300] accepts 300 and stores 44).
//
// Preset text: the value as signed 32-bit decimal ("-2147483648"), length in code units. The load reads a
// signed decimal number (0 when none can be read) and stores as many bytes as the size word set with
// SetDataSize, through the validating raw SetPropertyData, so the mediator is told.
//
// QueryInterface answers IID_IQLongProperty, and IID_IQOptionalProperty while an optional property is held.
#ifndef QENPROPERTIES_SCALAR_LONG_PROPERTY_H_
#define QENPROPERTIES_SCALAR_LONG_PROPERTY_H_

#include <atomic>

#include "qenproperties/frame/export.h"
#include "qenproperties/internal/optional_property_slot.h"
#include "qenproperties/property/typed_property.h"
#include "qenproperties/scalar/long_property_interface.h"

namespace Quenneth {

class QEN_API CQLongProperty : public detail::TypedProperty<CQLongProperty, IQLongProperty> {
 public:
  // Named forms: the default is stored as 4 bytes, the current value through the notifying store while the
  // range is still off (a mediator given here refuses it, as the property is not registered yet), then
  // SetRange(minimum, maximum) pulls the value in. Flags end as 9.
  CQLongProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId, QDataType type,
                 ULONG defaultValue, ULONG currentValue, ULONG minimum, ULONG maximum,
                 IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQLongProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId, QDataType type,
                 ULONG defaultValue, ULONG currentValue, ULONG minimum, ULONG maximum,
                 IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Range [0, 0xFFFFFFFF] (off), no value, flags 1.
  CQLongProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Range (read through the source's getters), base property (without mediator) and optional property of the
  // source; the size word stays.
  CQLongProperty(CQLongProperty& source);
  CQLongProperty& operator=(const CQLongProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  // Raw store: kResultInvalidArgument for null data; with an active range, lengths 1, 2 and 4 are checked
  // (kResultOutOfRange); the bytes are stored as given with a notification.
  ULONG SetPropertyData(const void* data, ULONG length) override;

  ULONG GetMinRange(ULONG* minimum) override;
  ULONG GetMaxRange(ULONG* maximum) override;
  // Reads at most the type's width; stored bytes short of it read as zeros. Leaves `*value` unchanged for an
  // unknown type or when no value is stored.
  ULONG GetCurValue(ULONG* value) override;
  ULONG SetCurValue(ULONG value) override;

  virtual ~CQLongProperty();
  // As SetCurValue, but the mediator is not told.
  virtual ULONG SetDirectCurValue(ULONG value);

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;

  // SetRange stores the bounds (unchecked) and moves a value outside them to the nearer bound without telling
  // the mediator.
  ULONG SetRange(ULONG minimum, ULONG maximum);
  // The same operation as SetCurValue.
  ULONG SetPropertyData(ULONG value);
  // The 4 bytes of `value` become the default; no range check, mediator not told.
  ULONG SetPropertyDefaultData(ULONG value);
  // Holds one reference on `optional` (null removes it); copies share it.
  ULONG SetOptionalProperty(IQOptionalProperty* optional);

 private:
  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, QDataType type,
            ULONG defaultValue, ULONG currentValue, ULONG minimum, ULONG maximum);
  friend Shell;
  struct Copied {
    ULONG minimum;
    ULONG maximum;
    QRef<IQOptionalProperty> optional;
  };
  static Copied TakeCopy(CQLongProperty& source);
  void PutCopy(Copied&& copied);
  ULONG Store(ULONG value, bool notify);
  bool RangeActive() const;
  bool Below(ULONG value, ULONG bound, QDataType type) const;

  std::atomic<ULONG> minimum_{0};
  std::atomic<ULONG> maximum_{0xFFFFFFFFu};
  detail::OptionalPropertySlot optional_;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_SCALAR_LONG_PROPERTY_H_
