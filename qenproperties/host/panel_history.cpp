// The panel's undo and redo: each action that changed something is kept as one step, the exact changes it
// reported (its own and the dependent ones), which Restore puts back or applies again.
#include <utility>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/panel_impl.h"
#include "qenproperties/host/panel.h"

namespace Quenneth {
namespace host {
namespace {

// Moves: the change altered the value or its flags (setting a value it already had marks it as set by the
// user), so undoing it is something.
bool Moves(const Panel::Change& change) {
  return change.beforePreset != change.afterPreset || change.beforeFlags != change.afterFlags;
}

}  // namespace

Panel::Outcome Panel::Impl::Remember(Outcome outcome) {
  if (outcome.code != kResultOk) return outcome;
  std::vector<Change> step;
  for (const Change& change : outcome.changes) {
    if (Moves(change)) step.push_back(change);
  }
  if (step.empty()) return outcome;  // nothing moved: no step, and what could be redone stays
  undo_.push_back(std::move(step));
  redo_.clear();
  return outcome;
}

// Replay takes the last step of `from`, puts its values back (undo) or applies them again (redo), and moves it
// to `to`. A step that cannot be replayed stays where it was.
Panel::Outcome Panel::Impl::Replay(std::vector<std::vector<Change>>* from, std::vector<std::vector<Change>>* to,
                                   bool undo, Panel* panel) {
  if (from->empty())
    return Outcome{kResultNotAvailable, {}, undo ? "there is nothing to undo" : "there is nothing to redo"};
  Outcome outcome = panel->Restore(from->back(), undo);
  if (outcome.code != kResultOk) return outcome;
  to->push_back(std::move(from->back()));
  from->pop_back();
  return outcome;
}

Panel::Outcome Panel::Undo() { return impl_->Replay(&impl_->undo_, &impl_->redo_, true, this); }
Panel::Outcome Panel::Redo() { return impl_->Replay(&impl_->redo_, &impl_->undo_, false, this); }

std::size_t Panel::UndoDepth() const { return impl_->undo_.size(); }
std::size_t Panel::RedoDepth() const { return impl_->redo_.size(); }

void Panel::ClearHistory() {
  impl_->undo_.clear();
  impl_->redo_.clear();
}

}  // namespace host
}  // namespace Quenneth
