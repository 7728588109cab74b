#include "qenproperties/host/internal/document_io.h"

#include <vector>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/preset_writer.h"
#include "qenproperties/host/query_as.h"
#include "qenproperties/host/text.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// Units makes `buffer` hold at least `length` + 1 code units and ends it at `length`, for a getter that writes
// up to `length` units and a terminator (some count bytes: the text then ends earlier, at its own zero).
WCHAR* Units(std::vector<WCHAR>* buffer, ULONG length) {
  if (buffer->size() < static_cast<std::size_t>(length) + 1) buffer->resize(static_cast<std::size_t>(length) + 1);
  (*buffer)[length] = 0;
  return buffer->data();
}

// NameInto reads the property's name into `name`, keeping the storage of both buffers from call to call.
void NameInto(IQProperty* property, std::vector<WCHAR>* wide, std::string* name) {
  ULONG length = 0;
  property->GetPropertyName(nullptr, &length);
  WCHAR* units = Units(wide, length);
  if (length != 0) property->GetPropertyName(units, &length);
  StringUtils::QUTF16ToUTF8(units, StringUtils::QWLen(units), *name, QUtfErrors::kReplace);
}

// LoadEntry loads one entry into its target, whose data type is `type`; the code, and the reason of a refusal.
ULONG LoadEntry(const Target& target, ULONG type, const PresetEntry& entry, std::string* reason) {
  if (entry.Has(preset_keys::kType) && entry.type != type) {
    *reason = "the entry holds a value of data type " + std::to_string(entry.type) + ", the property is of type " +
              std::to_string(type);
    return kResultInvalidArgument;
  }
  const ULONG rc = target.kind->loadText(target.property, entry.value, target.range, reason);
  if (rc != kResultOk) {
    if (reason->empty()) *reason = "the property refused the value";
    return rc;
  }
  if (entry.Has(preset_keys::kFlags)) {
    // Whether the value counts as set (by the user) travels with it; the other flags are the property's own.
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(target.property, IID_IQPropertySerializer);
    if (serializer) {
      serializer->SetPropertyFlag((FlagsOf(target.property) & ~kFlagValueSet) | (entry.flags & kFlagValueSet));
    }
  }
  return kResultOk;
}

}  // namespace

EntryLoader::EntryLoader(const PresetContent& content, PresetLoadReport* report, std::size_t targets)
    : content_(content), report_(report), used_(content.entries.size(), false) {
  report_->entries.reserve(report_->entries.size() + targets);
}

void EntryLoader::Load(Target target) {
  const ULONG type = DataTypeOf(target.property);
  if (target.kind == nullptr) target.kind = &KindFor(target.property, type);
  if (!target.kind->keepsPreset) return;
  PresetEntryReport& line = report_->entries.emplace_back();
  NameInto(target.property, &wide_, &name_);
  line.name = name_;  // a copy of just its length, which a short name keeps without allocating
  line.id = PropertyIdOf(target.property);
  const std::size_t at = content_.index.Find(line.id);
  if (at == IdIndex::kNone) {
    line.outcome = PresetOutcome::kMissing;
  } else {
    used_[at] = true;
    line.code = LoadEntry(target, type, content_.entries[at], &line.reason);
    line.outcome = line.code == kResultOk ? PresetOutcome::kLoaded : PresetOutcome::kRefused;
  }
}

void EntryLoader::Finish(std::vector<std::size_t>* unknown) {
  for (std::size_t i = 0; i < content_.entries.size(); ++i) {
    if (used_[i]) continue;
    PresetEntryReport& line = report_->entries.emplace_back();
    line.outcome = PresetOutcome::kUnknownId;
    line.name = content_.entries[i].name;
    line.id = content_.entries[i].id;
    unknown->push_back(i);
  }
}

void LoadEntries(const PresetContent& content, const std::vector<Target>& targets, PresetLoadReport* report,
                 std::vector<std::size_t>* unknown) {
  EntryLoader loader(content, report, targets.size());
  for (const Target& target : targets) loader.Load(target);
  loader.Finish(unknown);
}

std::string WriteDocument(std::string_view version, const std::vector<Target>& targets, const PresetContent& carried) {
  PresetWriter writer(version, targets.size() + carried.entries.size());
  std::vector<WCHAR> name;
  std::vector<WCHAR> value;
  for (Target target : targets) {
    IQProperty* p = target.property;
    const ULONG type = DataTypeOf(p);
    if (target.kind == nullptr) target.kind = &KindFor(p, type);
    if (!target.kind->keepsPreset) continue;
    // The preset text is what the serializer part writes (PresetTextOf); read here straight into the buffers the
    // document is written from.
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(p, IID_IQPropertySerializer);
    ULONG length = 0;
    if (!serializer || serializer->GetPropertyDataToSave(nullptr, &length) != kResultOk) continue;
    if (serializer->GetPropertyDataToSave(Units(&value, length), &length) != kResultOk) continue;
    ULONG id = 0;
    ULONG group = 0;
    ULONG flags = 0;
    ULONG size = 0;
    p->GetPropertyID(&id);
    p->GetPropertyGroupID(&group);
    p->GetPropertyFlags(&flags);
    serializer->GetDataSize(&size);
    ULONG nameLength = 0;
    p->GetPropertyName(nullptr, &nameLength);
    WCHAR* nameUnits = Units(&name, nameLength);
    if (nameLength != 0) p->GetPropertyName(nameUnits, &nameLength);
    writer.Add(nameUnits, id, group, flags, type, size, value.data());
  }
  for (const PresetEntry& entry : carried.entries) writer.Add(entry);
  return writer.Finish();
}

std::string VersionOf(IQPropertyVault* vault) {
  ULONG length = 0;
  vault->GetVersion(nullptr, &length);
  std::vector<WCHAR> text(static_cast<std::size_t>(length) + 1, 0);
  if (length != 0) vault->GetVersion(text.data(), &length);
  return Utf8(text.data());
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
