// panel_item.h: PanelItem, one property of a panel and what the description said about it (internal).
#ifndef QENPROPERTIES_HOST_INTERNAL_PANEL_ITEM_H_
#define QENPROPERTIES_HOST_INTERNAL_PANEL_ITEM_H_

#include <optional>
#include <string>
#include <vector>

#include "qenproperties/frame/qref.h"
#include "qenproperties/host/kinds.h"

namespace Quenneth {
namespace host {
namespace detail {

// Exact: a value exactly, as the panel keeps it to put it back: the value text, the preset text, the flags.
struct Exact {
  std::string text;
  std::string preset;
  ULONG flags = 0;
};

struct PanelItem {
  std::string name;
  ULONG id = 0;
  std::size_t index = 0;  // the position in the vault
  const PropertyKind* kind = nullptr;
  QRef<IQProperty> property;
  std::optional<DeclaredRange> range;
  std::string defaultText;  // the default's value text, which a reset sets through the mediator
  Exact defaultValue;       // the default exactly, which a reset of the whole panel loads
  // Buttons: what a click does ("reset" or "estimate") and, for an estimate, the properties it sums.
  std::string action;
  std::vector<const PanelItem*> sum;
  void* owner = nullptr;  // the panel, for the callbacks that get only the item

  const DeclaredRange* Range() const { return range ? &*range : nullptr; }
  // Read gives the item's value exactly.
  Exact Read() const;
  // Put loads a value read by Read (or a default) directly, flags included; the code, and why it failed.
  ULONG Put(const Exact& value, std::string* refusal) const;
};

// Planned: a value a rule gives a property as a consequence of an edit.
struct Planned {
  PanelItem* item;
  std::string text;
};

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PANEL_ITEM_H_
