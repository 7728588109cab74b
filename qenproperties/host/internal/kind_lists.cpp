// The rows of the plain enumerations: enum (texts with IDs) and enum-long (numbers).
#include <cstring>
#include <string>
#include <vector>

#include "qenproperties/enum/enum_long_property.h"
#include "qenproperties/enum/enum_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/host/text.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// ---- enum ---------------------------------------------------------------------------------------------------

// An enum keeps its value either as the 4-byte index of the selected entry, or (sub data type 64-bit enum) as
// the 8-byte ID of the selected entry.
struct EnumEntries {
  std::vector<std::string> texts;
  std::vector<long long> ids;
  bool byId = false;
};

EnumEntries EntriesOf(CQEnumProperty* e) {
  EnumEntries entries;
  QDataType subType = kDataTypeUInt32;
  e->GetPropertySubDataType(&subType);
  entries.byId = subType == kDataTypeEnum64;
  ULONG count = 0;
  e->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    long long id = 0;
    if (e->GetEnumString64(i, nullptr, &bytes, &id) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    e->GetEnumString64(i, text.data(), &bytes, &id);
    entries.texts.push_back(Utf8(text.data()));
    entries.ids.push_back(id);
  }
  return entries;
}

long FindId(const EnumEntries& entries, long long id) {
  for (std::size_t i = 0; i < entries.ids.size(); ++i) {
    if (entries.ids[i] == id) return static_cast<long>(i);
  }
  return -1;
}

// Selected gives the position of the selected entry; -1 for none (no value, or one that names no entry).
long Selected(IQProperty* p, const EnumEntries& entries) {
  const std::vector<unsigned char> bytes = ValueBytes(p);
  if (entries.byId) {
    if (bytes.size() != 8) return -1;
    long long id = 0;
    std::memcpy(&id, bytes.data(), sizeof id);
    return FindId(entries, id);
  }
  if (bytes.size() != 4) return -1;
  ULONG index = 0;
  std::memcpy(&index, bytes.data(), sizeof index);
  return index < entries.texts.size() ? static_cast<long>(index) : -1;
}

std::string EnumValueText(IQProperty* p) {
  auto* e = As<CQEnumProperty>(p);
  if (e == nullptr) return "";
  const EnumEntries entries = EntriesOf(e);
  const long at = Selected(p, entries);
  return at < 0 ? "" : entries.texts[static_cast<std::size_t>(at)];
}

Limits EnumLimits(IQProperty* p, const DeclaredRange* /*declared*/) {
  Limits limits;
  if (auto* e = As<CQEnumProperty>(p)) limits.choices = EntriesOf(e).texts;
  limits.text = Joined(limits.choices, " | ");
  return limits;
}

ULONG SelectEntry(CQEnumProperty* e, const EnumEntries& entries, long at, Store store) {
  const auto index = static_cast<ULONG>(at);
  if (entries.byId) {
    const long long id = entries.ids[static_cast<std::size_t>(at)];
    return store == Store::kNotify ? e->SetCurSelById64(id) : e->SetDirectCurSelById64(id);
  }
  return store == Store::kNotify ? e->SetCurSel(index) : e->SetDirectCurSel(index);
}

ULONG EnumSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                  std::string* refusal) {
  auto* e = As<CQEnumProperty>(p);
  if (e == nullptr) return kResultNoInterface;
  const EnumEntries entries = EntriesOf(e);
  const long at = FindChoice(entries.texts, text);
  if (at < 0) return Refuse(refusal, kResultInvalidArgument, p, text, OneOf(entries.texts));
  return SelectEntry(e, entries, at, store);
}

// The preset text is the selected entry's ID: its low 32 bits as an unsigned number in the index form, the
// whole signed 64-bit ID in the ID form.
ULONG EnumLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  auto* e = As<CQEnumProperty>(p);
  if (e == nullptr) return kResultNoInterface;
  QDataType subType = kDataTypeUInt32;
  e->GetPropertySubDataType(&subType);
  const bool byId = subType == kDataTypeEnum64;
  long long id = 0;
  const Parsed parsed = byId ? ParseWhole(text, INT64_MIN, INT64_MAX, &id) : ParseWhole(text, 0, 0xFFFFFFFFLL, &id);
  ULONG count = 0;
  e->GetEnumCount(&count);
  // The entries' IDs are read one by one (a load needs no texts, and no list of them).
  for (ULONG i = 0; parsed == Parsed::kOk && i < count; ++i) {
    ULONG bytes = 0;
    long long entryId = 0;
    if (e->GetEnumString64(i, nullptr, &bytes, &entryId) != kResultOk) continue;
    if ((byId ? entryId : (entryId & 0xFFFFFFFFLL)) != id) continue;
    return byId ? e->SetDirectCurSelById64(entryId) : e->SetDirectCurSel(i);
  }
  const EnumEntries entries = EntriesOf(e);
  std::vector<std::string> named;
  for (std::size_t i = 0; i < entries.ids.size(); ++i) {
    named.push_back(entries.texts[i] + " = " + std::to_string(entries.ids[i]));
  }
  return Refuse(refusal, kResultInvalidArgument, p, text, "the ID of a choice: " + Joined(named, ", "));
}

bool EnumBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  std::vector<std::string> texts;
  std::vector<long long> ids;
  std::vector<std::string> pointers;
  if (!TextChoices(decl, &texts, &ids, &pointers, error)) return false;
  auto e = QRef<CQEnumProperty>::Adopt(new CQEnumProperty(decl.name.c_str(), decl.description.c_str(), decl.group,
                                                          decl.id, nullptr, nullptr, kDataTypeUInt32));
  for (std::size_t i = 0; i < texts.size(); ++i) e->AddEnumString(texts[i].c_str(), static_cast<ULONG>(ids[i]));
  if (!ApplyDefault(kEnumKind, e.get(), decl, texts.front(), nullptr, error)) return false;
  ULONG index = 0;
  e->GetCurSel(&index);
  e->SetPropertyDefaultData(index);
  built->property = e;
  return true;
}

// ---- enum-long ----------------------------------------------------------------------------------------------

std::vector<ULONG> ValuesOf(CQEnumLongProperty* e) {
  std::vector<ULONG> values;
  ULONG count = 0;
  e->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG value = 0;
    if (e->GetEnumLongValue(i, &value) == kResultOk) values.push_back(value);
  }
  return values;
}

std::vector<std::string> ValueTexts(const std::vector<ULONG>& values) {
  std::vector<std::string> texts;
  for (ULONG value : values) texts.push_back(std::to_string(value));
  return texts;
}

std::string EnumLongValueText(IQProperty* p) {
  auto* e = As<CQEnumLongProperty>(p);
  ULONG value = 0;
  if (e == nullptr || !HasValue(p) || e->GetCurSelLongValue(&value) != kResultOk) return "";
  return std::to_string(value);
}

Limits EnumLongLimits(IQProperty* p, const DeclaredRange* /*declared*/) {
  Limits limits;
  if (auto* e = As<CQEnumLongProperty>(p)) limits.choices = ValueTexts(ValuesOf(e));
  limits.text = Joined(limits.choices, " | ");
  return limits;
}

// SelectValue selects the first position of a number read from `text` (within `lo` to 4294967295, its words
// taken as unsigned).
ULONG SelectValue(IQProperty* p, std::string_view text, long long lo, Store store, std::string* refusal) {
  auto* e = As<CQEnumLongProperty>(p);
  if (e == nullptr) return kResultNoInterface;
  const std::vector<ULONG> values = ValuesOf(e);
  long long number = 0;
  if (ParseWhole(text, lo, 0xFFFFFFFFLL, &number) == Parsed::kOk) {
    const auto word = static_cast<ULONG>(static_cast<unsigned long long>(number) & 0xFFFFFFFFull);
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (values[i] != word) continue;
      const auto index = static_cast<ULONG>(i);
      return store == Store::kNotify ? e->SetCurSelIndex(index) : e->SetDirectCurSelIndex(index);
    }
  }
  return Refuse(refusal, kResultInvalidArgument, p, text, OneOf(ValueTexts(values)));
}

ULONG EnumLongSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                      std::string* refusal) {
  return SelectValue(p, text, 0, store, refusal);
}

// The preset text writes the number as a signed 32-bit number: 4294967295 is written -1.
ULONG EnumLongLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  return SelectValue(p, text, INT32_MIN, Store::kDirect, refusal);
}

bool EnumLongNumber(IQProperty* p, double* value) {
  auto* e = As<CQEnumLongProperty>(p);
  ULONG number = 0;
  if (e == nullptr || !HasValue(p) || e->GetCurSelLongValue(&number) != kResultOk) return false;
  *value = number;
  return true;
}

bool EnumLongBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  if (!NeedChoices(decl, error)) return false;
  std::vector<std::string> texts;
  std::vector<long long> values;
  std::vector<std::string> pointers;
  for (const ChoiceDecl& c : *decl.choices) {
    long long value = 0;
    if (!c.number) return Fail(error, c.pointer, "an enum-long choice is a whole number");
    if (!Whole(c.number, 0, 0xFFFFFFFFLL, c.pointer, "", "the choice", &value, error)) return false;
    texts.push_back(std::to_string(value));
    values.push_back(value);
    pointers.push_back(c.pointer);
  }
  if (!DistinctChoices(texts, values, pointers, error)) return false;
  auto e = QRef<CQEnumLongProperty>::Adopt(
      new CQEnumLongProperty(decl.name.c_str(), decl.description.c_str(), decl.group, decl.id, nullptr, nullptr));
  for (long long value : values) e->AddEnumLongValue(static_cast<ULONG>(value));
  if (!ApplyDefault(kEnumLongKind, e.get(), decl, texts.front(), nullptr, error)) return false;
  ULONG index = 0;
  e->GetCurSelIndex(&index);
  e->SetPropertyDefaultData(index);
  built->property = e;
  return true;
}

bool ServesEnum(IQProperty* p) { return Serves<CQEnumProperty>(p); }
bool ServesEnumLong(IQProperty* p) { return Serves<CQEnumLongProperty>(p); }

const char* const kChoiceKeys[] = {"choices", nullptr};

const ULONG kEnumLongTypes[] = {kDataTypeEnumLong, kNoDataType};
const ULONG kEnumTypes[] = {kDataTypeEnum, kNoDataType};

}  // namespace

// One row per class, each field as kinds.h names it.
// clang-format off
const PropertyKind kEnumKind = {
    "enum",               // name
    &IID_IQEnumProperty,  // iid
    kEnumTypes,           // dataTypes
    kChoiceKeys,          // keys
    ServesEnum,           // serves
    EnumValueText,        // valueText
    EnumValueText,        // choiceText
    EnumLimits,           // limits
    EnumSetText,          // setText
    nullptr,              // number
    nullptr,              // ratio
    true,                 // keepsPreset
    EnumLoadText,         // loadText
    EnumBuild,            // build
};
const PropertyKind kEnumLongKind = {
    "enum-long",              // name
    &IID_IQEnumLongProperty,  // iid
    kEnumLongTypes,           // dataTypes
    kChoiceKeys,              // keys
    ServesEnumLong,           // serves
    EnumLongValueText,        // valueText
    EnumLongValueText,        // choiceText
    EnumLongLimits,           // limits
    EnumLongSetText,          // setText
    EnumLongNumber,           // number
    nullptr,                  // ratio
    true,                     // keepsPreset
    EnumLongLoadText,         // loadText
    EnumLongBuild,            // build
};
// clang-format on

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
