// ratio_property.h: CQRatioProperty, a list of ratio choices (string + ID) and one custom ratio.
//
// The value is the 4-byte index of the selected entry. The entry whose ID equals the custom enum ID stands for
// the custom ratio (numerator:denominator, 1:0 when new and after Reset). Preset text: the selected entry's ID
// as signed 32-bit decimal, followed by "#numerator#denominator" when it is the custom enum ID ("3#16#9").
#ifndef QENPROPERTIES_ENUM_RATIO_PROPERTY_H_
#define QENPROPERTIES_ENUM_RATIO_PROPERTY_H_

#include <atomic>
#include <vector>

#include "qenproperties/enum/ratio_property_interface.h"
#include "qenproperties/frame/export.h"
#include "qenproperties/internal/optional_property_slot.h"
#include "qenproperties/internal/shared_text.h"
#include "qenproperties/property/typed_property.h"

namespace Quenneth {

class QEN_API CQRatioProperty : public detail::TypedProperty<CQRatioProperty, IQRatioProperty> {
 public:
  // Named forms: default value 4 zero bytes, data type 26, flags 9; no current value.
  CQRatioProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                  IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQRatioProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                  IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  CQRatioProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Appends the source's entries and takes its custom ratio as its GetEnumString and GetCustomRatio report
  // them; takes its custom enum ID, base property (no mediator) and optional property.
  CQRatioProperty(CQRatioProperty& source);
  CQRatioProperty& operator=(const CQRatioProperty& source);

  ULONG QueryInterface(const _QGUID& iid, void** out) override;
  ULONG Reset() override;

  ULONG GetEnumCount(ULONG* count) const override;
  ULONG GetEnumString(ULONG index, WCHAR* string, ULONG* stringSize, ULONG* id) const override;
  ULONG GetCurSel(ULONG* index) const override;
  ULONG GetCurSelString(WCHAR* string, ULONG* stringSize) const override;
  ULONG SetCurSel(ULONG index) override;
  ULONG SetCurSelString(WCHAR* string) override;
  ULONG GetCurSelId(ULONG* id) const override;
  ULONG SetCurSelById(ULONG id) override;
  ULONG GetCustomRatio(ULONG* numerator, ULONG* denominator) const override;
  ULONG SetCustomRatio(ULONG numerator, ULONG denominator) override;
  ULONG GetCustomEuumId(ULONG* id) const override;

  virtual ~CQRatioProperty();

  // IQPropertySerializer
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  ULONG SetDataSize(ULONG size) override;
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;

  ULONG AddEnumString(const char* string, ULONG id);
  ULONG AddEnumString(const WCHAR* string, ULONG id);
  ULONG RemoveAllEnumStrings();
  ULONG SetDirectCurSel(ULONG index);
  ULONG SetDirectCurSelById(ULONG id);
  ULONG SetDirectCurSelString(const char* string);
  ULONG SetDirectCurSelString(WCHAR* string);
  ULONG ChangeCurSelString(const WCHAR* string);
  using TypedProperty::SetPropertyData;
  ULONG SetPropertyData(ULONG index);
  ULONG SetPropertyDefaultData(ULONG index);
  ULONG SetOptionalProperty(IQOptionalProperty* optional);
  ULONG SetCustomEnumId(ULONG id);

 private:
  struct Entry {
    detail::SharedText text;
    ULONG id;
  };

  template <class Char>
  void Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId);
  friend Shell;
  struct Copied {
    std::vector<Entry> entries;
    ULONG numerator;
    ULONG denominator;
    ULONG customEnumId;
    QRef<IQOptionalProperty> optional;
  };
  static Copied TakeCopy(CQRatioProperty& source);
  void PutCopy(Copied&& copied);
  ULONG Append(const WCHAR* string, ULONG length, ULONG id);
  static void CopyText(const Entry& entry, WCHAR* string, ULONG* stringSize);
  ULONG FindId(ULONG id, ULONG& index) const;
  ULONG FindString(const WCHAR* string, ULONG& index) const;

  std::vector<Entry> entries_;
  std::atomic<ULONG> numerator_{1};
  std::atomic<ULONG> denominator_{0};
  detail::OptionalPropertySlot optional_;
  std::atomic<ULONG> customEnumId_{0xFFFFFFFFu};
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_ENUM_RATIO_PROPERTY_H_
