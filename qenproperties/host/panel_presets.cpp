// Panel's preset documents: an exact load that keeps the panel's limits, and a save that carries what the
// panel does not know.
#include <set>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/document_io.h"
#include "qenproperties/host/internal/panel_impl.h"

namespace Quenneth {
namespace host {

bool Panel::LoadPreset(const std::string& text, PresetLoadReport* report, DocumentError* error) {
  detail::PresetContent content;
  if (!detail::ReadPresetDocument(text, detail::JsonBounds{}, &content, error)) return false;
  *report = PresetLoadReport();
  report->documentVersion = content.version.value_or("");
  report->vaultVersion = impl_->version_;
  const std::vector<detail::Exact> before = impl_->ReadAll();
  std::vector<detail::Target> targets;
  std::vector<PresetEntryReport*> lines(impl_->items_.size(), nullptr);
  for (const auto& item : impl_->items_) {
    targets.push_back(detail::Target{item->property.get(), item->kind, item->Range()});
  }
  std::vector<std::size_t> unknown;
  detail::LoadEntries(content, targets, report, &unknown);
  // The report has one line per item that keeps a preset text, in item order.
  std::size_t line = 0;
  for (const auto& item : impl_->items_) {
    if (item->kind->keepsPreset) lines[item->index] = &report->entries[line++];
  }

  // No rule acts on a load, but the limits hold: a loaded state that breaks one is mended by the rule where it
  // can be, or else loses loaded values, put back to what they were, until every limit holds. The state before
  // the load kept every limit, so this ends.
  std::set<const Impl::Item*> restored;
  for (std::size_t round = 0; round <= 2 * impl_->items_.size(); ++round) {
    std::string why;
    const int broken = impl_->rules_.Broken([](const Impl::Item* item) { return item->property.get(); }, &why);
    if (broken < 0) break;
    Impl::Item* moved = nullptr;
    std::string how;
    std::vector<Impl::Item*> restore;
    if (impl_->rules_.Mend(broken, &moved, &how, &restore)) {
      PresetEntryReport* entry = lines[moved->index];
      entry->outcome = PresetOutcome::kAdjusted;
      entry->reason = why + "; " + how;
      continue;
    }
    bool putBack = false;
    for (Impl::Item* item : restore) {
      PresetEntryReport* entry = lines[item->index];
      const bool loaded = entry->outcome == PresetOutcome::kLoaded || entry->outcome == PresetOutcome::kAdjusted;
      if (!loaded || !restored.insert(item).second) continue;
      std::string refusal;
      item->Put(before[item->index], &refusal);
      entry->outcome = PresetOutcome::kRefused;
      entry->code = kResultChangeRefused;
      entry->reason = why;
      putBack = true;
      break;
    }
    if (!putBack) break;
  }

  impl_->carried_ = detail::PresetContent();
  for (std::size_t at : unknown) impl_->carried_.Adopt(content.entries[at]);
  impl_->Remember(Outcome{kResultOk, impl_->Diff(before), ""});
  return true;
}

std::string Panel::SavePreset() const {
  std::vector<detail::Target> targets;
  for (const auto& item : impl_->items_) {
    targets.push_back(detail::Target{item->property.get(), item->kind, item->Range()});
  }
  return detail::WriteDocument(impl_->version_, targets, impl_->carried_);
}

}  // namespace host
}  // namespace Quenneth
