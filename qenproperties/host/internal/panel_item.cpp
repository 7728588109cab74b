#include "qenproperties/host/internal/panel_item.h"

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/query_as.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace host {
namespace detail {

Exact PanelItem::Read() const {
  Exact value;
  value.text = kind->valueText(property.get());
  if (kind->keepsPreset) PresetTextOf(property.get(), &value.preset);
  value.flags = FlagsOf(property.get());
  return value;
}

ULONG PanelItem::Put(const Exact& value, std::string* refusal) const {
  if (!kind->keepsPreset) return kResultOk;
  const ULONG rc = kind->loadText(property.get(), value.preset, Range(), refusal);
  if (rc != kResultOk) return rc;
  QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(property, IID_IQPropertySerializer);
  if (serializer) serializer->SetPropertyFlag(value.flags);
  return kResultOk;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
