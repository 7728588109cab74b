#include "qenproperties/server/internal/panel_adapter.h"

#include <utility>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/kinds.h"
#include "qenproperties/host/preset_document.h"
#include "qenproperties/host/text.h"

namespace Quenneth {
namespace server {
namespace detail {
namespace {

bool IsNumberKind(const std::string& kind) { return kind == "long" || kind == "float"; }
bool IsChoiceKind(const std::string& kind) {
  return kind == "enum" || kind == "enum-long" || kind == "ex-enum" || kind == "ratio";
}

// LimitsJson gives what a value keeps to, as the page draws it: "text" in one line; numbers "ranged", "min",
// "max" and a float's "decimals"; enumerations "choices" (value texts) and "custom" ({"label", "form"}) for the
// entry that takes a value of the user's: the label is the option a page shows for it, the form what it sends
// ("Custom (N)" with a number for N, or "N:M").
Json LimitsJson(const host::Limits& limits, const std::string& kind) {
  Json out = {{"text", limits.text}};
  if (IsNumberKind(kind)) {
    out["ranged"] = limits.ranged;
    if (limits.ranged) {
      out["min"] = kind == "long" ? Json(static_cast<long long>(limits.min)) : Json(limits.min);
      out["max"] = kind == "long" ? Json(static_cast<long long>(limits.max)) : Json(limits.max);
    }
    if (limits.decimals >= 0) out["decimals"] = limits.decimals;
  }
  if (!IsChoiceKind(kind)) return out;
  std::vector<std::string> choices = limits.choices;
  if (!limits.custom.empty()) {
    // An extended enum lists its custom entry by its text among the choices and takes "Text (N)"; a ratio
    // lists only the named ratios and takes "N:M" for its custom entry.
    const std::string suffix = " (N)";
    const bool number = limits.custom.size() > suffix.size() &&
                        limits.custom.compare(limits.custom.size() - suffix.size(), suffix.size(), suffix) == 0;
    const std::string label = number ? limits.custom.substr(0, limits.custom.size() - suffix.size()) : "Custom";
    for (auto it = choices.begin(); it != choices.end();) it = *it == label ? choices.erase(it) : std::next(it);
    out["custom"] = {{"label", label}, {"form", limits.custom}};
  }
  out["choices"] = std::move(choices);
  return out;
}

std::vector<ChangeRecord> Records(const std::vector<host::Panel::Change>& changes) {
  std::vector<ChangeRecord> records;
  records.reserve(changes.size());
  for (const host::Panel::Change& c : changes) {
    records.push_back(
        ChangeRecord{c.name, c.before, c.after, c.beforePreset != c.afterPreset || c.beforeFlags != c.afterFlags});
  }
  return records;
}

ActionResult Unknown(const std::string& name, std::size_t index = 0) {
  ActionResult result;
  result.status = ActionStatus::kUnknownName;
  result.code = kResultInvalidArgument;
  // A name of any length may come in; the answer quotes at most the start of it, cut between characters.
  constexpr std::size_t kQuoted = 80;
  std::size_t cut = name.size() > kQuoted ? kQuoted : name.size();
  while (cut < name.size() && cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
  result.name = cut < name.size() ? name.substr(0, cut) + "..." : name;
  result.message = "no property is named \"" + result.name + "\"";
  result.index = index;
  return result;
}

}  // namespace

PanelAdapter::PanelAdapter(std::unique_ptr<host::Panel> panel) : panel_(std::move(panel)) {}
PanelAdapter::~PanelAdapter() = default;

const std::string& PanelAdapter::Title() const { return panel_->Title(); }
const std::string& PanelAdapter::Version() const { return panel_->Version(); }

Json PanelAdapter::Describe(std::size_t index) const {
  IQProperty* p = panel_->At(index);
  const host::PropertyKind& kind = host::KindOf(p);
  Json out;
  out["name"] = host::NameOf(p);
  out["id"] = host::PropertyIdOf(p);
  out["kind"] = kind.name;
  out["group"] = panel_->GroupName(host::GroupIdOf(p));
  out["description"] = host::DescriptionOf(p);
  out["flags"] = host::FlagsOf(p);
  if (!kind.keepsPreset) return out;  // a button has no value
  out["value"] = kind.valueText(p);
  out["default"] = panel_->DefaultAt(index);
  out["limits"] = LimitsJson(panel_->LimitsAt(index), kind.name);
  return out;
}

Json PanelAdapter::Properties() const {
  Json list = Json::array();
  for (std::size_t i = 0; i < panel_->Count(); ++i) list.push_back(Describe(i));
  return list;
}

Json PanelAdapter::Property(const std::string& name) const {
  IQProperty* p = panel_->Find(name);
  for (std::size_t i = 0; p != nullptr && i < panel_->Count(); ++i) {
    if (panel_->At(i) == p) return Describe(i);
  }
  return nullptr;
}

std::vector<std::string> PanelAdapter::Values() const {
  std::vector<std::string> values;
  values.reserve(panel_->Count());
  for (std::size_t i = 0; i < panel_->Count(); ++i) values.push_back(host::ValueText(panel_->At(i)));
  return values;
}

ActionResult PanelAdapter::Done(host::Panel::Outcome outcome) const {
  ActionResult result;
  result.code = outcome.code;
  result.message = std::move(outcome.message);
  if (outcome.code != kResultOk) {
    result.status = ActionStatus::kRefused;
    return result;
  }
  result.changes = Records(outcome.changes);
  return result;
}

ActionResult PanelAdapter::Set(const std::vector<Assignment>& assignments) {
  for (std::size_t i = 0; i < assignments.size(); ++i) {
    if (panel_->Find(assignments[i].name) == nullptr) return Unknown(assignments[i].name, i);
  }
  if (assignments.size() == 1) {
    ActionResult result = Done(panel_->Set(assignments[0].name, assignments[0].value));
    if (result.status == ActionStatus::kRefused) result.name = host::NameOf(panel_->Find(assignments[0].name));
    return result;
  }
  std::vector<host::Panel::Assignment> all;
  for (const Assignment& a : assignments) all.push_back(host::Panel::Assignment{a.name, a.value});
  ActionResult result = Done(panel_->Set(all));
  if (result.status != ActionStatus::kRefused) return result;
  // The panel names the refused assignment at the start of its sentence: "Name=value: why".
  for (std::size_t i = 0; i < assignments.size(); ++i) {
    if (result.message.compare(0, assignments[i].name.size() + assignments[i].value.size() + 3,
                               assignments[i].name + "=" + assignments[i].value + ": ") == 0) {
      result.name = host::NameOf(panel_->Find(assignments[i].name));
      result.index = i;
      break;
    }
  }
  return result;
}

ActionResult PanelAdapter::Reset(const std::string& name) {
  if (name.empty()) return Done(panel_->ResetAll());
  if (panel_->Find(name) == nullptr) return Unknown(name);
  ActionResult result = Done(panel_->Reset(name));
  if (result.status == ActionStatus::kRefused) result.name = host::NameOf(panel_->Find(name));
  return result;
}

ActionResult PanelAdapter::Click(const std::string& name) {
  IQProperty* p = panel_->Find(name);
  if (p == nullptr) return Unknown(name);
  ActionResult result = Done(panel_->Click(name));
  if (result.status == ActionStatus::kRefused) {
    result.name = host::NameOf(p);
    result.message = result.name + " is no button";
  }
  return result;
}

ActionResult PanelAdapter::Undo() { return Done(panel_->Undo()); }
ActionResult PanelAdapter::Redo() { return Done(panel_->Redo()); }
std::size_t PanelAdapter::UndoDepth() const { return panel_->UndoDepth(); }
std::size_t PanelAdapter::RedoDepth() const { return panel_->RedoDepth(); }

std::string PanelAdapter::SavePreset() const { return panel_->SavePreset(); }

PresetLoad PanelAdapter::LoadPreset(const std::string& text, bool undoable) {
  PresetLoad load;
  const std::vector<std::string> before = Values();
  host::PresetLoadReport report;
  host::DocumentError error;
  if (!panel_->LoadPreset(text, &report, &error)) {
    load.error = error.message;
    load.line = error.line;
    load.column = error.column;
    load.pointer = error.pointer;
    return load;
  }
  if (!undoable) panel_->ClearHistory();
  load.read = true;
  Json entries = Json::array();
  for (const host::PresetEntryReport& e : report.entries) {
    Json entry = {{"name", e.name}, {"id", e.id}, {"outcome", host::OutcomeName(e.outcome)}};
    if (e.outcome == host::PresetOutcome::kRefused) entry["result"] = ResultName(e.code);
    if (!e.reason.empty()) entry["reason"] = e.reason;
    entries.push_back(std::move(entry));
  }
  load.report = {{"documentVersion", report.documentVersion},
                 {"panelVersion", report.vaultVersion},
                 {"loaded", report.Count(host::PresetOutcome::kLoaded)},
                 {"adjusted", report.Count(host::PresetOutcome::kAdjusted)},
                 {"refused", report.Count(host::PresetOutcome::kRefused)},
                 {"unknown", report.Count(host::PresetOutcome::kUnknownId)},
                 {"missing", report.Count(host::PresetOutcome::kMissing)},
                 {"entries", std::move(entries)}};
  for (std::size_t i = 0; i < panel_->Count(); ++i) {
    std::string after = host::ValueText(panel_->At(i));
    if (after != before[i]) load.changes.push_back(ChangeRecord{host::NameOf(panel_->At(i)), before[i], after, true});
  }
  return load;
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
