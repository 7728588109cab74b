// panel_rules.h: PanelRules, the dependency rules of a panel (internal).
//
// Two kinds of rule:
// - consequences, which act on an edit: "set" (a property becoming one of some values sets another) and
//   "keep" (a width and a height keep a ratio);
// - limits, which every state of the panel keeps: "cap" (a number may not exceed another property's number;
//   an edit of that property lowers it) and "limit" (while a property is one of some values, another must be one
//   of others).
// Consequences are planned during the mediator's preview of an edit; limits are checked by the notify callback
// on the state the edit would make, and after a preset load on the loaded state.
//
// Every value a rule names is read when the rule is built, by the property's own row, so a rule that names no
// value of its property is refused with the value's pointer; rules compare choices by their choice text.
#ifndef QENPROPERTIES_HOST_INTERNAL_PANEL_RULES_H_
#define QENPROPERTIES_HOST_INTERNAL_PANEL_RULES_H_

#include <functional>
#include <string>
#include <vector>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/internal/description_reader.h"
#include "qenproperties/host/internal/panel_item.h"

namespace Quenneth {
namespace host {
namespace detail {

class PanelRules {
 public:
  // ValueOf gives the property that holds an item's value in the state being judged.
  using ValueOf = std::function<IQProperty*(const PanelItem*)>;
  // Lookup gives the item of a name, null when none.
  using Lookup = std::function<PanelItem*(const std::string&)>;

  // Build reads and checks the rules; false with `error` at the rule's pointer. The items hold their defaults,
  // which must keep every limit.
  bool Build(const std::vector<RuleDecl>& decls, const Lookup& lookup, DocumentError* error);

  // Drivers gives the items whose edits a consequence or a cap follows.
  std::vector<PanelItem*> Drivers() const;

  // Plan adds to `plan` the values an edit of `item` to the value `proposed` holds brings with it.
  void Plan(const PanelItem* item, IQProperty* proposed, std::vector<Planned>* plan) const;

  // Broken gives the first limit that the state breaks, or -1; `why` then says how.
  int Broken(const ValueOf& value, std::string* why) const;

  // Mend is what a preset load does with a state that breaks limit `rule`: it makes the rule hold again by the
  // rule itself where it can (a cap lowers the capped number to the cap) and returns true with the item it
  // moved and how. Otherwise (a "limit", or a cap whose number cannot go that low) it returns false with the
  // items to put back to their values before the load, in turn, until the rule holds.
  bool Mend(int rule, PanelItem** moved, std::string* how, std::vector<PanelItem*>* restore) const;

 private:
  struct Rule {
    RuleDecl::Type type;
    std::string pointer;
    PanelItem* a = nullptr;  // when / limit / keep
    PanelItem* b = nullptr;  // cap / set / requires / width
    PanelItem* c = nullptr;  // height
    std::vector<std::string> is;
    std::vector<std::string> unless;
    std::vector<std::string> in;
    std::string to;
  };

  static bool Matches(const PanelItem* item, IQProperty* value, const std::vector<std::string>& list);
  std::string Why(const Rule& rule, const ValueOf& value) const;

  std::vector<Rule> rules_;
};

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PANEL_RULES_H_
