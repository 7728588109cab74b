// panel_adapter.h: PanelAdapter, everything the server asks of a host kit panel, in the server's own terms: the
// properties as JSON, assignments applied all or nothing, reset, click, undo and redo, and preset documents.
// It is the one place that knows the host kit's panel API.
//
// The host kit's panel does the work: its kinds table gives values, limits and defaults, its actions are all or
// nothing and kept as undo steps; the adapter turns them into the API's JSON and result statuses.
//
//   PanelAdapter adapter(std::move(panel));
//   ActionResult r = adapter.Set({{"Codec", "AV1"}});
//   // r.status == ActionStatus::kApplied; r.changes: Codec, then Bitrate and Container that moved with it
//
// Not thread-safe: the server holds its panel lock around every call.
#ifndef QENPROPERTIES_SERVER_INTERNAL_PANEL_ADAPTER_H_
#define QENPROPERTIES_SERVER_INTERNAL_PANEL_ADAPTER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/server/internal/json_body.h"

namespace Quenneth {
namespace server {
namespace detail {

// ChangeRecord: one property's value before and after, as text in the host kit's value grammar. `moved`: the
// value or its flags changed (setting a value it already had marks it as set by the user: an undo step too).
struct ChangeRecord {
  std::string name;
  std::string before;
  std::string after;
  bool moved = true;
};

struct Assignment {
  std::string name;
  std::string value;
};

enum class ActionStatus {
  kApplied,      // done; `changes` lists what moved (maybe nothing)
  kUnknownName,  // `name` is no property of the panel; nothing was touched
  kRefused,      // the panel refused: `code` and `message` say why; every value is as it was
};

// ActionResult: what became of one request. For a batch, `name` and `index` point at the assignment that
// failed. `message` also carries what a button did.
struct ActionResult {
  ActionStatus status = ActionStatus::kApplied;
  ULONG code = 0;
  std::string message;
  std::string name;
  std::size_t index = 0;
  std::vector<ChangeRecord> changes;
};

// PresetLoad: a preset document loaded into the panel. `read` false: the text is no preset document
// (`error` with its line and column, or its JSON pointer) and nothing changed.
struct PresetLoad {
  bool read = false;
  std::string error;
  std::size_t line = 0;
  std::size_t column = 0;
  std::string pointer;
  Json report;
  std::vector<ChangeRecord> changes;
};

class PanelAdapter {
 public:
  explicit PanelAdapter(std::unique_ptr<host::Panel> panel);
  ~PanelAdapter();
  PanelAdapter(const PanelAdapter&) = delete;
  PanelAdapter& operator=(const PanelAdapter&) = delete;

  const std::string& Title() const;
  const std::string& Version() const;
  // Properties gives every property in vault order (see the README's API section for the fields by kind).
  Json Properties() const;
  // Property gives one property's JSON; null JSON for an unknown name.
  Json Property(const std::string& name) const;

  // Set applies the assignments in order, all or nothing: on the first refusal every earlier one is undone.
  // One undo step.
  ActionResult Set(const std::vector<Assignment>& assignments);
  // Reset sets one property back to its default through the mediator, or every property directly when
  // `name` is empty. One undo step.
  ActionResult Reset(const std::string& name);
  // Click presses a command button; refused (kResultInvalidArgument) for a property that is no button.
  ActionResult Click(const std::string& name);
  // Undo restores the values before the last step; Redo applies it again. Refused with kResultNotAvailable
  // when there is nothing to undo or redo.
  ActionResult Undo();
  ActionResult Redo();
  std::size_t UndoDepth() const;
  std::size_t RedoDepth() const;

  // SavePreset gives the preset document of the panel's values, with the entries of other panels that the
  // last loaded document held.
  std::string SavePreset() const;
  // LoadPreset loads a document exactly (no rule acts on it) and reports each entry. One undo step when
  // `undoable`; a load at start-up is none, and leaves no history.
  PresetLoad LoadPreset(const std::string& text, bool undoable);

 private:
  std::vector<std::string> Values() const;
  ActionResult Done(host::Panel::Outcome outcome) const;
  Json Describe(std::size_t index) const;

  std::unique_ptr<host::Panel> panel_;
};

}  // namespace detail
}  // namespace server
}  // namespace Quenneth

#endif  // QENPROPERTIES_SERVER_INTERNAL_PANEL_ADAPTER_H_
