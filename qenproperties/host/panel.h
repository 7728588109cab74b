// panel.h: Panel, a settings panel built from a JSON description: its properties in a vault, registered with
// one mediator, its dependency rules wired as mediator callbacks, and its preset documents.
//
//   host::DocumentError error;
//   std::unique_ptr<host::Panel> panel = host::Panel::FromJson(text, &error);
//   host::Panel::Outcome outcome = panel->Set("Codec", "VP9");
//   // outcome.code == kResultOk; outcome.changes: Codec, then what changed with it (Container, Bitrate)
//
// The description is an object with "title", "version", "properties" and "rules":
//   properties: {"name", "kind", "id" (1 to 4294967295), "group" (a group's name), "description", "default",
//               ...}, and by kind:
//     "long"      "min", "max" (whole numbers), "signed" (true or false)
//     "float"     "min", "max", "decimals" (a whole number from 0 to 17; 2 when not given)
//     "bool", "text", "group" (default "expanded" or "collapsed")
//     "enum"      "choices": ["MP4", ...] or [{"text", "id"}, ...] (IDs default to the position + 1)
//     "enum-long" "choices": [1, 12, ...]
//     "ex-enum"   "choices": [{"text", "id", "data"}, ...], "custom": {"text", "id", "data"} (data: a whole number)
//     "ratio"     "choices": ["16:9", ...] or [{"text": "16:9", "id"}], "custom": {"text", "id"}
//     "button"    "action": "reset" | "estimate", "sum": [names] (estimate: kbit/s to MB per minute)
//   A default is a value text of the property (kinds.h), written as a text, a number or true/false.
//   rules:
//     {"when": A, "cap": B}                       B may not exceed A's number (an ex-enum's data); a change
//                                                 of A lowers B to it, a change of B above it is refused
//     {"when": A, "is": [..], "set": B, "to": V, "unless": [..]}
//                                                 A becoming one of the values sets B to V unless B is one of
//                                                 "unless"; without "is", any change of A does
//     {"limit": A, "is": [..], "requires": B, "in": [..]}
//                                                 while A is one of the values, B must be one of "in"
//     {"keep": R, "width": W, "height": H}        W and H keep the ratio R: W or R sets H, H sets W
// A description is refused, with the JSON pointer of the offending value and a sentence, for anything it does
// not say exactly: an unknown or repeated key, a minimum above the maximum, two properties of one name or ID,
// choices that repeat a text (in any letter case) or an ID, a custom choice that repeats one, "decimals" that
// are no whole number, a ratio with a part of 0, a rule value that is no value of its property, defaults that
// break a limit, and the caps of preset_document.h (size, depth, NUL). A declared range always holds, also
// where the property itself checks none (a bound of 0): the panel checks it.
//
// The road of a change: the property's notifying setter reaches the mediator; the panel's dependency callback
// previews it, works out the dependent changes the rules bring and records each (the live property and a copy
// holding its new value) in the iterator; the notify callback reads them back and refuses the change when the
// state it would make breaks a limit; the apply step stores the dependent values with the direct setters.
//
// Every action reports each value it changed, before and after, exactly: Restore puts them back, and the
// panel keeps its actions as steps to undo and redo. Preset documents load exactly (no rule acts on a load) and keep
// the entries of properties the panel does not have for every later save.
//
// Not thread-safe: one thread uses a panel at a time. The destructor unregisters every property.
#ifndef QENPROPERTIES_HOST_PANEL_H_
#define QENPROPERTIES_HOST_PANEL_H_

#include <memory>
#include <string>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/document_error.h"
#include "qenproperties/host/host_export.h"
#include "qenproperties/host/kinds.h"
#include "qenproperties/host/preset_document.h"
#include "qenproperties/property/property_interface.h"
#include "qenproperties/vault/property_vault_interface.h"

namespace Quenneth {
namespace host {

class QEN_HOST_API Panel {
 public:
  // Change: one property's value before and after an action: its value texts, and exactly (its preset text
  // and flags), as Restore puts it back. `dependent`: a rule changed it along with the property an edit named.
  struct Change {
    std::string name;
    bool dependent = false;
    std::string before;
    std::string after;
    std::string beforePreset;
    std::string afterPreset;
    ULONG beforeFlags = 0;
    ULONG afterFlags = 0;
  };
  // Outcome: the result code; on success every value the action changed, the property's own change first
  // and then the dependent ones (empty when refused: nothing changed); and a sentence saying why a change was
  // refused or what a button did.
  struct Outcome {
    ULONG code = 0;
    std::vector<Change> changes;
    std::string message;
  };
  struct Assignment {
    std::string name;
    std::string value;
  };

  // FromJson builds the panel; null with `error` set when the text is no valid description.
  static std::unique_ptr<Panel> FromJson(const std::string& text, DocumentError* error);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  const std::string& Title() const;
  const std::string& Version() const;
  // Vault holds every property in description order; no reference is added.
  IQPropertyVault* Vault() const;
  // Count and At walk the properties in vault order; Find looks a name up (exact, else the one name that
  // differs only in letter case), null when none. No reference is added.
  std::size_t Count() const;
  IQProperty* At(std::size_t index) const;
  IQProperty* Find(const std::string& name) const;
  // GroupName gives the name of the group property with that property ID, or "" for none.
  std::string GroupName(ULONG groupId) const;
  // LimitsAt gives the limits of the property at `index`, with the range the panel declares for it.
  Limits LimitsAt(std::size_t index) const;
  // DefaultAt gives the value text of its default.
  const std::string& DefaultAt(std::size_t index) const;

  // Set changes a value through the mediator, as a settings panel does. kResultInvalidArgument for an unknown
  // name or a text that is no value of the property, kResultOutOfRange for a number outside its range,
  // kResultChangeRefused when it would break a limit; the message says why.
  Outcome Set(const std::string& name, const std::string& value);
  // Set of several assignments, in order, all or nothing: when one is refused, the ones before it are put
  // back exactly, the outcome has that refusal's code and no changes, and the message names the assignment.
  Outcome Set(const std::vector<Assignment>& assignments);
  // Reset sets one property back to its default through the mediator (dependent changes follow).
  Outcome Reset(const std::string& name);
  // ResetAll gives every property its default directly (the defaults keep every limit).
  Outcome ResetAll();
  // Click presses a command button: kResultInvalidArgument for a name that is no button.
  Outcome Click(const std::string& name);
  // Restore puts back the values of changes an action reported, directly: their before values, last change
  // first (to undo the action), or their after values, first change first (to do it again). The outcome lists
  // what it changed; kResultInvalidArgument for a change that names no property or holds no value of it.
  Outcome Restore(const std::vector<Change>& changes, bool before);

  // Undo puts back, exactly, every value the last action changed (its own change and the dependent ones);
  // Redo does the action again. Actions are Set (one value or several), Reset, ResetAll, Click and
  // LoadPreset; each that changes a value or its flags is one step, and clears what could be redone. Restore
  // is no action and records nothing. kResultNotAvailable when there is nothing to undo or redo.
  Outcome Undo();
  Outcome Redo();
  std::size_t UndoDepth() const;
  std::size_t RedoDepth() const;
  // ClearHistory forgets every step, as a host does after loading the values it starts from.
  void ClearHistory();

  // LoadPreset loads a preset document into the panel's properties exactly (see preset_document.h): no rule
  // acts on the loaded values, but the limits still hold: a loaded value that breaks one is lowered by its cap
  // (reported as adjusted) or refused (the property keeps its value), with the reason. Entries of property
  // IDs the panel lacks are kept and written by every SavePreset. False with `error` for a text that is no
  // preset document; nothing has changed then.
  bool LoadPreset(const std::string& text, PresetLoadReport* report, DocumentError* error);
  // SavePreset gives the document of every property, followed by the entries the last load kept.
  std::string SavePreset() const;

 private:
  class Impl;
  explicit Panel(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PANEL_H_
