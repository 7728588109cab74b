// panel_impl.h: Panel::Impl, what a panel holds and the mediator's callbacks (internal). panel.cpp builds the
// panel and carries out its actions; panel_presets.cpp loads and saves its documents.
#ifndef QENPROPERTIES_HOST_INTERNAL_PANEL_IMPL_H_
#define QENPROPERTIES_HOST_INTERNAL_PANEL_IMPL_H_

#include <memory>
#include <string>
#include <vector>

#include "qenproperties/frame/qref.h"
#include "qenproperties/host/internal/description_reader.h"
#include "qenproperties/host/internal/id_index.h"
#include "qenproperties/host/internal/name_index.h"
#include "qenproperties/host/internal/panel_item.h"
#include "qenproperties/host/internal/panel_rules.h"
#include "qenproperties/host/internal/preset_reader.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/mediator/property_mediator.h"
#include "qenproperties/vault/property_vault.h"

namespace Quenneth {
namespace host {

class Panel::Impl {
 public:
  using Item = detail::PanelItem;

  ~Impl();

  // Build makes the properties of `decl` (and sets each one's group ID in it).
  bool Build(detail::PanelDecl& decl, DocumentError* error);
  Item* Find(const std::string& name) const;

  // SetItem changes one value through the mediator and reports what changed.
  Outcome SetItem(Item* item, const std::string& value);
  // ReadAll and Diff: every value exactly, and the changes since such a reading.
  std::vector<detail::Exact> ReadAll() const;
  std::vector<Change> Diff(const std::vector<detail::Exact>& before) const;
  // ResetEverything loads every default directly.
  void ResetEverything();
  static Change Record(const Item& item, const detail::Exact& before, const detail::Exact& after);

  // The mediator's callbacks and the button's click procedure; `user` is the item, or the panel for the
  // notify callback.
  static ULONG OnDependency(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                            enumPropChangeStatus status);
  static unsigned char OnNotify(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                                ULONG stage);
  static ULONG OnClick(void* user);

  ULONG Preview(Item* item, IQProperty* proposed, CModifiedPropIterator* iterator);
  ULONG Apply();
  bool Allowed(CModifiedPropIterator* iterator);
  void RunAction(const Item& button);

  std::string title_;
  std::string version_;
  QRef<CQPropertyMediator> mediator_;
  QRef<CQPropertyVault> vault_;
  std::vector<std::unique_ptr<Item>> items_;
  // The items by name (letter case aside: two names never differ only in it) and by property ID, sized once.
  detail::NameIndex byName_;
  detail::IdIndex byId_;
  detail::PanelRules rules_;
  std::vector<ULONG> handles_;
  // The consequences of the edit under way, from its preview to its apply step, and what the apply step did.
  std::vector<detail::Planned> pending_;
  std::vector<Change> applied_;
  // Why the edit under way was refused, or what a button did.
  std::string message_;
  // The entries of the last loaded document whose property IDs the panel lacks, for every save.
  detail::PresetContent carried_;

  // Remember keeps an action's changes as one step to undo (panel_history.cpp) and passes its outcome on.
  Outcome Remember(Outcome outcome);
  Outcome Replay(std::vector<std::vector<Change>>* from, std::vector<std::vector<Change>>* to, bool undo, Panel* panel);
  std::vector<std::vector<Change>> undo_;
  std::vector<std::vector<Change>> redo_;
};

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PANEL_IMPL_H_
