#include "qenproperties/server/internal/panel_adapter.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "qenproperties/enum/enum_long_property_interface.h"
#include "qenproperties/enum/enum_property_interface.h"
#include "qenproperties/enum/ex_enum_property_interface.h"
#include "qenproperties/enum/ratio_property_interface.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/preset_document.h"
#include "qenproperties/host/property_text.h"
#include "qenproperties/host/query_as.h"
#include "qenproperties/scalar/float_property_interface.h"
#include "qenproperties/scalar/long_property_interface.h"
#include "qenproperties/scalar/wstring_property_interface.h"

namespace Quenneth {
namespace server {
namespace detail {
namespace {

using host::PropertyKind;

// SubDataText reads an extended enum entry's sub data (host byte order) as the number its value text shows.
std::string SubDataText(ULONG type, const std::vector<unsigned char>& bytes) {
  auto read = [&bytes](auto value) -> std::string {
    if (bytes.size() < sizeof(value)) return "";
    std::memcpy(&value, bytes.data(), sizeof(value));
    return Json(value).dump();
  };
  switch (type) {
    case kDataTypeUInt8: return read(std::uint8_t{});
    case kDataTypeUInt16: return read(std::int16_t{});
    case kDataTypeUInt32:
    case kDataTypeInt32: return read(std::int32_t{});
    case kDataTypeInt64: return read(std::int64_t{});
    case kDataTypeFloat: return read(float{});
    case kDataTypeDouble: return read(double{});
    default: return "";
  }
}

// Texts of the entries of an enum or ratio property, with the position of the custom entry (-1 for none).
template <class Enumeration>
std::vector<std::string> EntryTexts(Enumeration* e, ULONG customId, long* customAt) {
  std::vector<std::string> texts;
  ULONG count = 0;
  e->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG id = 0;
    if (e->GetEnumString(i, nullptr, &bytes, &id) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    e->GetEnumString(i, text.data(), &bytes, &id);
    if (id == customId && customId != 0) *customAt = static_cast<long>(texts.size());
    texts.push_back(host::Utf8(text.data()));
  }
  return texts;
}

void RangeLimits(bool ranged, const Json& min, const Json& max, Json* limits) {
  (*limits)["ranged"] = ranged;
  if (!ranged) return;
  (*limits)["min"] = min;
  (*limits)["max"] = max;
}

void LongLimits(IQProperty* p, Json* limits) {
  QRef<IQLongProperty> l = host::QueryAs<IQLongProperty>(p, IID_IQLongProperty);
  QDataType type = kDataTypeUInt32;
  ULONG minimum = 0;
  ULONG maximum = 0;
  p->GetPropertyDataType(&type);
  l->GetMinRange(&minimum);
  l->GetMaxRange(&maximum);
  const bool isSigned = type == kDataTypeInt32;
  // The property holds its range only when both bounds are non-zero.
  RangeLimits(minimum != 0 && maximum != 0, isSigned ? Json(static_cast<std::int32_t>(minimum)) : Json(minimum),
              isSigned ? Json(static_cast<std::int32_t>(maximum)) : Json(maximum), limits);
}

void FloatLimits(IQProperty* p, Json* limits) {
  QRef<IQFloatProperty> f = host::QueryAs<IQFloatProperty>(p, IID_IQFloatProperty);
  double minimum = 0;
  double maximum = 0;
  ULONG digits = 2;
  f->GetMinRange(&minimum);
  f->GetMaxRange(&maximum);
  f->GetSignificantDigitAfterPoint(&digits);
  RangeLimits(minimum != 0 && maximum != 0, minimum, maximum, limits);
  (*limits)["decimals"] = digits;
}

void ExEnumLimits(IQProperty* p, Json* limits) {
  QRef<IQExEnumProperty> x = host::QueryAs<IQExEnumProperty>(p, IID_IQExEnumProperty);
  ULONG type = 0;
  ULONG count = 0;
  ULONG customId = 0;
  x->GetEnumSubDataDataType(&type);
  x->GetEnumCount(&count);
  x->GetCustomEnumID(&customId);
  Json choices = Json::array();
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG size = 0;
    ULONG id = 0;
    if (x->GetEnumStringAndSubData(i, nullptr, &bytes, &id, nullptr, &size) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    std::vector<unsigned char> data(size, 0);
    x->GetEnumStringAndSubData(i, text.data(), &bytes, &id, size != 0 ? data.data() : nullptr, &size);
    const std::string name = host::Utf8(text.data());
    if (id == customId) {
      (*limits)["custom"] = {{"label", name}, {"form", name + " (N)"}};
    } else {
      const std::string number = SubDataText(type, data);
      choices.push_back(number.empty() ? name : name + " (" + number + ")");
    }
  }
  (*limits)["choices"] = std::move(choices);
}

void RatioLimits(IQProperty* p, Json* limits) {
  QRef<IQRatioProperty> r = host::QueryAs<IQRatioProperty>(p, IID_IQRatioProperty);
  ULONG customId = 0;
  r->GetCustomEuumId(&customId);
  long customAt = -1;
  std::vector<std::string> texts = EntryTexts(r.get(), customId, &customAt);
  if (customAt >= 0) {
    (*limits)["custom"] = {{"label", texts[static_cast<std::size_t>(customAt)]}, {"form", "N:M"}};
    texts.erase(texts.begin() + customAt);
  }
  (*limits)["choices"] = texts;
}

void EnumLongLimits(IQProperty* p, Json* limits) {
  QRef<IQEnumLongProperty> e = host::QueryAs<IQEnumLongProperty>(p, IID_IQEnumLongProperty);
  Json choices = Json::array();
  ULONG count = 0;
  e->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG value = 0;
    if (e->GetEnumLongValue(i, &value) == kResultOk) choices.push_back(std::to_string(value));
  }
  (*limits)["choices"] = std::move(choices);
}

// LimitsJson gives what a value keeps to, as the page draws it: "text" in one line; numbers "ranged", "min",
// "max" and a float's "decimals"; enumerations "choices" (value texts) and "custom" ({"label", "form"}) for an
// entry that takes a value of the user's.
Json LimitsJson(IQProperty* p, PropertyKind kind) {
  Json limits = {{"text", host::LimitsText(p)}};
  switch (kind) {
    case PropertyKind::kLong: LongLimits(p, &limits); break;
    case PropertyKind::kFloat: FloatLimits(p, &limits); break;
    case PropertyKind::kEnum: {
      QRef<IQEnumProperty> e = host::QueryAs<IQEnumProperty>(p, IID_IQEnumProperty);
      long none = -1;
      limits["choices"] = EntryTexts(e.get(), 0, &none);
      break;
    }
    case PropertyKind::kEnumLong: EnumLongLimits(p, &limits); break;
    case PropertyKind::kExEnum: ExEnumLimits(p, &limits); break;
    case PropertyKind::kRatio: RatioLimits(p, &limits); break;
    case PropertyKind::kText: {
      ULONG maxLength = 0;
      host::QueryAs<IQWStringProperty>(p, IID_IQWStringProperty)->GetMaxStringLength(&maxLength);
      if (maxLength != 0) limits["maxLength"] = maxLength;
      break;
    }
    default: break;
  }
  return limits;
}

// DefaultText: a copy of the property, reset, shows the default in the same grammar as the value.
std::string DefaultText(IQProperty* p) {
  QRef<IQProperty> copy;
  if (p->CloneProperty(copy.Put()) != kResultOk || copy->Reset() != kResultOk) return "";
  return host::ValueText(copy.get());
}

Json Describe(const host::Panel& panel, IQProperty* p) {
  const PropertyKind kind = host::KindOf(p);
  Json out;
  out["name"] = host::NameOf(p);
  out["id"] = host::PropertyIdOf(p);
  out["kind"] = host::KindName(kind);
  out["group"] = panel.GroupName(host::GroupIdOf(p));
  out["description"] = host::DescriptionOf(p);
  out["flags"] = host::FlagsOf(p);
  if (kind == PropertyKind::kButton) return out;
  out["value"] = host::ValueText(p);
  out["default"] = DefaultText(p);
  out["limits"] = LimitsJson(p, kind);
  return out;
}

std::vector<ChangeRecord> Records(const std::vector<host::Panel::Change>& changes) {
  std::vector<ChangeRecord> records;
  records.reserve(changes.size());
  for (const host::Panel::Change& c : changes) records.push_back(ChangeRecord{c.name, c.before, c.after});
  return records;
}

ActionResult Refused(ULONG code, std::string message, std::string name = "", std::size_t index = 0) {
  ActionResult result;
  result.status = ActionStatus::kRefused;
  result.code = code;
  result.message = std::move(message);
  result.name = std::move(name);
  result.index = index;
  return result;
}

ActionResult Unknown(const std::string& name, std::size_t index = 0) {
  ActionResult result;
  result.status = ActionStatus::kUnknownName;
  result.code = kResultInvalidArgument;
  // A name of any length may come in; the answer quotes at most the start of it.
  constexpr std::size_t kQuoted = 80;
  std::size_t cut = name.size() > kQuoted ? kQuoted : name.size();
  while (cut < name.size() && cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;  // whole UTF-8
  result.name = cut < name.size() ? name.substr(0, cut) + "..." : name;
  result.message = "no property is named \"" + result.name + "\"";
  result.index = index;
  return result;
}

}  // namespace

// History: the undo and redo stacks. A step holds each property it moved once, with the value before the
// step's first change and after its last, so undoing it restores exactly what the user saw.
class PanelAdapter::History {
 public:
  void Record(const std::vector<ChangeRecord>& changes) {
    std::vector<ChangeRecord> step;
    std::map<std::string, std::size_t> where;
    for (const ChangeRecord& c : changes) {
      auto found = where.find(c.name);
      if (found == where.end()) {
        where.emplace(c.name, step.size());
        step.push_back(c);
      } else {
        step[found->second].after = c.after;
      }
    }
    std::vector<ChangeRecord> moved;
    for (ChangeRecord& c : step) {
      if (c.before != c.after) moved.push_back(std::move(c));
    }
    if (moved.empty()) return;
    undo.push_back(std::move(moved));
    redo.clear();
  }

  std::vector<std::vector<ChangeRecord>> undo;
  std::vector<std::vector<ChangeRecord>> redo;
};

PanelAdapter::PanelAdapter(std::unique_ptr<host::Panel> panel)
    : panel_(std::move(panel)), history_(std::make_unique<History>()) {}

PanelAdapter::~PanelAdapter() = default;

const std::string& PanelAdapter::Title() const { return panel_->Title(); }
const std::string& PanelAdapter::Version() const { return panel_->Version(); }

Json PanelAdapter::Properties() const {
  Json list = Json::array();
  for (std::size_t i = 0; i < panel_->Count(); ++i) list.push_back(Describe(*panel_, panel_->At(i)));
  return list;
}

Json PanelAdapter::Property(const std::string& name) const {
  IQProperty* p = panel_->Find(name);
  return p != nullptr ? Describe(*panel_, p) : Json(nullptr);
}

std::vector<std::string> PanelAdapter::Values() const {
  std::vector<std::string> values;
  values.reserve(panel_->Count());
  for (std::size_t i = 0; i < panel_->Count(); ++i) values.push_back(host::ValueText(panel_->At(i)));
  return values;
}

std::vector<ChangeRecord> PanelAdapter::Since(const std::vector<std::string>& before) const {
  std::vector<ChangeRecord> changes;
  for (std::size_t i = 0; i < panel_->Count(); ++i) {
    std::string after = host::ValueText(panel_->At(i));
    if (after != before[i]) changes.push_back(ChangeRecord{host::NameOf(panel_->At(i)), before[i], std::move(after)});
  }
  return changes;
}

void PanelAdapter::Restore(const std::vector<std::string>& values) {
  for (std::size_t i = 0; i < panel_->Count(); ++i) {
    if (host::ValueText(panel_->At(i)) != values[i]) host::SetValueText(panel_->At(i), values[i], true);
  }
}

ActionResult PanelAdapter::Set(const std::vector<Assignment>& assignments) {
  for (std::size_t i = 0; i < assignments.size(); ++i) {
    if (panel_->Find(assignments[i].name) == nullptr) return Unknown(assignments[i].name, i);
  }
  const std::vector<std::string> before = Values();
  ActionResult result;
  for (std::size_t i = 0; i < assignments.size(); ++i) {
    const Assignment& a = assignments[i];
    const std::string name = host::NameOf(panel_->Find(a.name));
    if (a.value.find('\0') != std::string::npos) {
      Restore(before);
      return Refused(kResultInvalidArgument, "a value holds no NUL character", name, i);
    }
    host::Panel::Outcome outcome = panel_->Set(a.name, a.value);
    if (outcome.code != kResultOk) {
      Restore(before);
      return Refused(outcome.code, outcome.message, name, i);
    }
    for (ChangeRecord& c : Records(outcome.changes)) result.changes.push_back(std::move(c));
  }
  history_->Record(result.changes);
  return result;
}

ActionResult PanelAdapter::Reset(const std::string& name) {
  ActionResult result;
  if (name.empty()) {
    result.changes = Records(panel_->ResetAll());
  } else {
    if (panel_->Find(name) == nullptr) return Unknown(name);
    host::Panel::Outcome outcome = panel_->Reset(name);
    if (outcome.code != kResultOk) return Refused(outcome.code, outcome.message, name);
    result.changes = Records(outcome.changes);
  }
  history_->Record(result.changes);
  return result;
}

ActionResult PanelAdapter::Click(const std::string& name) {
  IQProperty* p = panel_->Find(name);
  if (p == nullptr) return Unknown(name);
  host::Panel::Outcome outcome = panel_->Click(name);
  if (outcome.code != kResultOk) {
    return Refused(outcome.code, host::NameOf(p) + " is no button", host::NameOf(p));
  }
  ActionResult result;
  result.message = outcome.message;
  result.changes = Records(outcome.changes);
  history_->Record(result.changes);
  return result;
}

ActionResult PanelAdapter::Replay(bool undo) {
  auto& from = undo ? history_->undo : history_->redo;
  auto& to = undo ? history_->redo : history_->undo;
  if (from.empty()) return Refused(kResultNotAvailable, undo ? "there is nothing to undo" : "there is nothing to redo");
  std::vector<ChangeRecord> step = std::move(from.back());
  from.pop_back();
  ActionResult result;
  // Undo walks the step backwards, so a property moved by a later change comes back before its driver.
  for (std::size_t k = 0; k < step.size(); ++k) {
    const ChangeRecord& c = step[undo ? step.size() - 1 - k : k];
    IQProperty* p = panel_->Find(c.name);
    const std::string& target = undo ? c.before : c.after;
    const std::string now = host::ValueText(p);
    host::SetValueText(p, target, true);
    result.changes.push_back(ChangeRecord{c.name, now, host::ValueText(p)});
  }
  to.push_back(std::move(step));
  return result;
}

ActionResult PanelAdapter::Undo() { return Replay(true); }
ActionResult PanelAdapter::Redo() { return Replay(false); }
std::size_t PanelAdapter::UndoDepth() const { return history_->undo.size(); }
std::size_t PanelAdapter::RedoDepth() const { return history_->redo.size(); }

std::string PanelAdapter::SavePreset(const std::string& earlier) const {
  return host::PresetDocument::Save(panel_->Vault(), earlier);
}

PresetLoad PanelAdapter::LoadPreset(const std::string& text, bool undoable) {
  PresetLoad load;
  const std::vector<std::string> before = Values();
  host::PresetLoadReport report;
  host::DocumentError error;
  if (!host::PresetDocument::Load(text, panel_->Vault(), &report, &error)) {
    load.error = error.message;
    load.line = error.line;
    load.column = error.column;
    load.pointer = error.pointer;
    return load;
  }
  load.read = true;
  Json entries = Json::array();
  for (const host::PresetEntryReport& e : report.entries) {
    Json entry = {{"name", e.name}, {"id", e.id}, {"outcome", host::OutcomeName(e.outcome)}};
    if (e.outcome == host::PresetOutcome::kRefused) entry["result"] = ResultName(e.code);
    entries.push_back(std::move(entry));
  }
  load.report = {{"documentVersion", report.documentVersion},
                 {"panelVersion", report.vaultVersion},
                 {"loaded", report.Count(host::PresetOutcome::kLoaded)},
                 {"refused", report.Count(host::PresetOutcome::kRefused)},
                 {"unknown", report.Count(host::PresetOutcome::kUnknownId)},
                 {"missing", report.Count(host::PresetOutcome::kMissing)},
                 {"entries", std::move(entries)}};
  load.changes = Since(before);
  if (undoable) history_->Record(load.changes);
  return load;
}

}  // namespace detail
}  // namespace server
}  // namespace Quenneth
