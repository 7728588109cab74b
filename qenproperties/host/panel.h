// panel.h: Panel, a settings panel built from a JSON description: its properties in a vault, registered with
// one mediator, and the panel's dependency rules wired as mediator callbacks.
//
//   host::DocumentError error;
//   std::unique_ptr<host::Panel> panel = host::Panel::FromJson(text, &error);
//   host::Panel::Outcome outcome = panel->Set("Codec", "VP9");
//   // outcome.code == kResultOk; outcome.changes: Codec, then what changed with it (Container, Bitrate)
//
// The description is an object with "title", "version", "properties" and "rules":
//   properties: {"name", "kind", "id", "group" (a group's name), "description", "default", ...}, by kind:
//     "long"      "min", "max", "signed"
//     "float"     "min", "max", "decimals"
//     "bool", "text", "group" (default "expanded" or "collapsed")
//     "enum"      "choices": ["MP4", ...] or [{"text", "id"}, ...]
//     "enum-long" "choices": [1, 12, ...]
//     "ex-enum"   "choices": [{"text", "id", "data"}, ...], "custom": {"text", "id", "data"} (data: a whole number)
//     "ratio"     "choices": ["16:9", ...] or [{"text", "id"}], "custom": {"text", "id"}
//     "button"    "action": "reset" | "estimate", "sum": [names] (estimate: kbit/s to MB per minute)
//   rules:
//     {"when": A, "cap": B}                       B may not exceed A's number (an ex-enum's sub data); a change
//                                                 of A lowers B to it, a change of B above it is refused
//     {"when": A, "is": [..], "set": B, "to": V, "unless": [..]}
//                                                 A becoming one of the values sets B to V unless B is in unless
//     {"limit": A, "is": [..], "requires": B, "in": [..]}
//                                                 while A is one of the values, B must be one of "in"
//     {"keep": R, "width": W, "height": H}        W and H keep the ratio R: W or R sets H, H sets W
//
// The road of a change: the property's notifying setter reaches the mediator; the panel's dependency callback
// previews it, works out the dependent changes and records each (the live property and a copy holding its new
// value) in the iterator; the notify callback reads them back from the iterator and refuses the change when the
// proposed values break a limit; the apply step stores the dependent values with the direct setters.
//
// Not thread-safe: one thread uses a panel. The destructor unregisters every property from the mediator.
#ifndef QENPROPERTIES_HOST_PANEL_H_
#define QENPROPERTIES_HOST_PANEL_H_

#include <memory>
#include <string>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/document_error.h"
#include "qenproperties/host/host_export.h"
#include "qenproperties/property/property_interface.h"
#include "qenproperties/vault/property_vault_interface.h"

namespace Quenneth {
namespace host {

class QEN_HOST_API Panel {
 public:
  // Change: one property's value before and after.
  struct Change {
    std::string name;
    std::string before;
    std::string after;
  };
  // Outcome: the result code, the property's own change first and then every dependent change (empty when
  // refused), and a sentence saying why a change was refused or what a button did.
  struct Outcome {
    ULONG code = 0;
    std::vector<Change> changes;
    std::string message;
  };

  // FromJson builds the panel; null with `error` set when the text is no JSON or no valid description.
  static std::unique_ptr<Panel> FromJson(const std::string& text, DocumentError* error);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  const std::string& Title() const;
  const std::string& Version() const;
  // Vault holds every property in description order; no reference is added.
  IQPropertyVault* Vault() const;
  // Count and At walk the properties in vault order; Find looks a name up (exact, then ignoring letter case),
  // null when none. No reference is added.
  std::size_t Count() const;
  IQProperty* At(std::size_t index) const;
  IQProperty* Find(const std::string& name) const;
  // GroupName gives the name of the group property with that property ID, or "" for none.
  std::string GroupName(ULONG groupId) const;

  // Set changes a value through the mediator, as a settings panel does. kResultInvalidArgument for an unknown
  // name or a text that is no value of the property.
  Outcome Set(const std::string& name, const std::string& value);
  // Reset sets one property back to its default through the mediator (dependent changes follow).
  Outcome Reset(const std::string& name);
  // ResetAll gives every property its default directly (the defaults are consistent); returns what changed.
  std::vector<Change> ResetAll();
  // Click presses a command button: kResultInvalidArgument for a name that is no button.
  Outcome Click(const std::string& name);

  class Impl;

 private:
  explicit Panel(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PANEL_H_
