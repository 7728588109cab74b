#include "qenproperties/host/kinds.h"

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/query_as.h"

namespace Quenneth {
namespace host {

const std::vector<const PropertyKind*>& Kinds() {
  static const std::vector<const PropertyKind*> kinds = {
      &detail::kLongKind,  &detail::kFloatKind,    &detail::kBoolKind,   &detail::kTextKind,
      &detail::kEnumKind,  &detail::kEnumLongKind, &detail::kExEnumKind, &detail::kRatioKind,
      &detail::kGroupKind, &detail::kButtonKind,   &detail::kPlainKind,  &detail::kOtherKind};
  return kinds;
}

const PropertyKind& KindOf(IQProperty* property) { return detail::KindFor(property, DataTypeOf(property)); }

// The data type names the likely row, so finding it usually costs one look at the property.
const PropertyKind& detail::KindFor(IQProperty* property, ULONG type) {
  for (const PropertyKind* kind : Kinds()) {
    for (const ULONG* t = kind->dataTypes; *t != kNoDataType; ++t) {
      if (*t == type && kind->serves(property)) return *kind;
    }
  }
  for (const PropertyKind* kind : Kinds()) {
    if (kind->serves(property)) return *kind;
  }
  return detail::kOtherKind;
}

const PropertyKind* KindNamed(std::string_view name) {
  for (const PropertyKind* kind : Kinds()) {
    if (name == kind->name) return kind;
  }
  return nullptr;
}

std::string ValueText(IQProperty* property) { return KindOf(property).valueText(property); }

std::string LimitsText(IQProperty* property) { return KindOf(property).limits(property, nullptr).text; }

ULONG SetValueText(IQProperty* property, std::string_view text, Store store, std::string* refusal) {
  return KindOf(property).setText(property, text, store, nullptr, refusal);
}

bool NumberOf(IQProperty* property, double* value) {
  const PropertyKind& kind = KindOf(property);
  return kind.number != nullptr && kind.number(property, value);
}

bool PresetTextOf(IQProperty* property, std::string* text) {
  const PropertyKind& kind = KindOf(property);
  QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(property, IID_IQPropertySerializer);
  return kind.keepsPreset && serializer && detail::SerializerText(serializer.get(), text);
}

ULONG PropertyIdOf(IQProperty* property) {
  ULONG id = 0;
  property->GetPropertyID(&id);
  return id;
}

ULONG GroupIdOf(IQProperty* property) {
  ULONG id = 0;
  property->GetPropertyGroupID(&id);
  return id;
}

ULONG FlagsOf(IQProperty* property) {
  ULONG flags = 0;
  property->GetPropertyFlags(&flags);
  return flags;
}

ULONG DataTypeOf(IQProperty* property) {
  QDataType type = kDataTypeBool;
  if (property->GetPropertyDataType(&type) != kResultOk) return 0;
  return static_cast<ULONG>(type);
}

}  // namespace host
}  // namespace Quenneth
