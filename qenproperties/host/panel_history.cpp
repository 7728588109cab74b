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

Panel::Outcome Panel::Undo() {
  if (impl_->undo_.empty()) return Outcome{kResultNotAvailable, {}, "there is nothing to undo"};
  Outcome outcome = Restore(impl_->undo_.back(), true);
  if (outcome.code != kResultOk) return outcome;
  impl_->redo_.push_back(std::move(impl_->undo_.back()));
  impl_->undo_.pop_back();
  return outcome;
}

Panel::Outcome Panel::Redo() {
  if (impl_->redo_.empty()) return Outcome{kResultNotAvailable, {}, "there is nothing to redo"};
  Outcome outcome = Restore(impl_->redo_.back(), false);
  if (outcome.code != kResultOk) return outcome;
  impl_->undo_.push_back(std::move(impl_->redo_.back()));
  impl_->redo_.pop_back();
  return outcome;
}

std::size_t Panel::UndoDepth() const { return impl_->undo_.size(); }
std::size_t Panel::RedoDepth() const { return impl_->redo_.size(); }

void Panel::ClearHistory() {
  impl_->undo_.clear();
  impl_->redo_.clear();
}

}  // namespace host
}  // namespace Quenneth
