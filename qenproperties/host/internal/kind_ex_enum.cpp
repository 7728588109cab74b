// The row of the extended enum: choices that carry a number (their sub data), one of which, the custom choice,
// takes a number of the user's.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/host/text.h"
#include "qenproperties/internal/sub_data_width.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

using Quenneth::detail::SubDataWidth;

// The value is a record of six little-endian 32-bit fields, then the selected choice's sub data: total size,
// sub data type, sub data size, custom choice ID, selected choice ID, selected index.
constexpr std::size_t kRecordHead = 24;

struct Choice {
  std::string text;
  ULONG id = 0;
  std::vector<unsigned char> data;
};

struct ExChoices {
  std::vector<Choice> choices;
  ULONG customId = 0;
  ULONG subType = 0;
  ULONG width = 0;

  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const Choice& c : choices) texts.push_back(c.text);
    return texts;
  }
};

ExChoices ListOf(CQExEnumProperty* x) {
  ExChoices list;
  x->GetCustomEnumID(&list.customId);
  x->GetEnumSubDataDataType(&list.subType);
  list.width = SubDataWidth(list.subType);
  ULONG count = 0;
  x->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG size = 0;
    Choice choice;
    if (x->GetEnumStringAndSubData(i, nullptr, &bytes, &choice.id, nullptr, &size) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    choice.data.assign(size, 0);
    x->GetEnumStringAndSubData(i, text.data(), &bytes, &choice.id, size != 0 ? choice.data.data() : nullptr, &size);
    choice.text = Utf8(text.data());
    list.choices.push_back(std::move(choice));
  }
  return list;
}

template <class T>
T Read(const unsigned char* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// DataNumber reads sub data as the number its type names; false when it is not of the type's width.
bool DataNumber(ULONG type, const std::vector<unsigned char>& data, double* number) {
  if (SubDataWidth(type) == 0 || data.size() != SubDataWidth(type)) return false;
  switch (type) {
    case kDataTypeUInt8: *number = data[0]; return true;
    case kDataTypeUInt16: *number = Read<std::uint16_t>(data.data()); return true;
    case kDataTypeUInt32: *number = Read<std::uint32_t>(data.data()); return true;
    case kDataTypeInt32: *number = Read<std::int32_t>(data.data()); return true;
    case kDataTypeInt64: *number = static_cast<double>(Read<std::int64_t>(data.data())); return true;
    case kDataTypeFloat: *number = Read<float>(data.data()); return true;
    default: *number = Read<double>(data.data()); return true;
  }
}

std::string DataText(ULONG type, const std::vector<unsigned char>& data) {
  if (SubDataWidth(type) == 0 || data.size() != SubDataWidth(type)) return "";
  if (type == kDataTypeInt64) return std::to_string(Read<std::int64_t>(data.data()));
  double number = 0;
  DataNumber(type, data, &number);
  return FormatShortest(number);
}

template <class T>
std::vector<unsigned char> Bytes(T value) {
  std::vector<unsigned char> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

// DataBytes reads a number of the sub data type from text, as the sub data that holds it.
bool DataBytes(ULONG type, std::string_view text, std::vector<unsigned char>* bytes) {
  long long whole = 0;
  double real = 0;
  switch (type) {
    case kDataTypeUInt8:
      if (ParseWhole(text, 0, 0xFF, &whole) != Parsed::kOk) return false;
      *bytes = Bytes(static_cast<std::uint8_t>(whole));
      return true;
    case kDataTypeUInt16:
      if (ParseWhole(text, 0, 0xFFFF, &whole) != Parsed::kOk) return false;
      *bytes = Bytes(static_cast<std::uint16_t>(whole));
      return true;
    case kDataTypeUInt32:
      if (ParseWhole(text, 0, 0xFFFFFFFFLL, &whole) != Parsed::kOk) return false;
      *bytes = Bytes(static_cast<std::uint32_t>(whole));
      return true;
    case kDataTypeInt32:
      if (ParseWhole(text, INT32_MIN, INT32_MAX, &whole) != Parsed::kOk) return false;
      *bytes = Bytes(static_cast<std::int32_t>(whole));
      return true;
    case kDataTypeInt64:
      if (ParseWhole(text, INT64_MIN, INT64_MAX, &whole) != Parsed::kOk) return false;
      *bytes = Bytes(static_cast<std::int64_t>(whole));
      return true;
    case kDataTypeFloat:
      if (ParseDecimal(text, &real) != Parsed::kOk || real < -3.4028234663852886e38 || real > 3.4028234663852886e38) {
        return false;
      }
      *bytes = Bytes(static_cast<float>(real));
      return true;
    case kDataTypeDouble:
      if (ParseDecimal(text, &real) != Parsed::kOk) return false;
      *bytes = Bytes(real);
      return true;
    default: return false;
  }
}

std::string ChoiceValueText(const ExChoices& list, const Choice& choice) {
  const std::string data = DataText(list.subType, choice.data);
  return data.empty() ? choice.text : choice.text + " (" + data + ")";
}

const char* DataKind(ULONG type) {
  return type == kDataTypeFloat || type == kDataTypeDouble ? "a decimal N" : "a whole number N";
}

std::string Takes(const ExChoices& list) {
  std::vector<std::string> forms;
  std::string custom;
  for (const Choice& c : list.choices) {
    if (c.id == list.customId) {
      custom = c.text;
      continue;
    }
    forms.push_back(c.text);
  }
  if (custom.empty()) return OneOf(forms);
  forms.push_back(custom);
  forms.push_back(custom + " (N) with " + DataKind(list.subType));
  return OneOf(forms);
}

long SelectedAt(CQExEnumProperty* x, const ExChoices& list) {
  ULONG index = 0xFFFFFFFFu;
  x->GetCurSel(&index);
  return index < list.choices.size() ? static_cast<long>(index) : -1;
}

std::string ExEnumValueText(IQProperty* p) {
  auto* x = As<CQExEnumProperty>(p);
  if (x == nullptr) return "";
  const ExChoices list = ListOf(x);
  const long at = SelectedAt(x, list);
  return at < 0 ? "" : ChoiceValueText(list, list.choices[static_cast<std::size_t>(at)]);
}

std::string ExEnumChoiceText(IQProperty* p) {
  auto* x = As<CQExEnumProperty>(p);
  if (x == nullptr) return "";
  const ExChoices list = ListOf(x);
  const long at = SelectedAt(x, list);
  return at < 0 ? "" : list.choices[static_cast<std::size_t>(at)].text;
}

Limits ExEnumLimits(IQProperty* p, const DeclaredRange* /*declared*/) {
  Limits limits;
  auto* x = As<CQExEnumProperty>(p);
  if (x == nullptr) return limits;
  const ExChoices list = ListOf(x);
  std::vector<std::string> shown;
  for (const Choice& c : list.choices) {
    if (c.id == list.customId) {
      limits.choices.push_back(c.text);
      limits.custom = c.text + " (N)";
      shown.push_back(limits.custom);
    } else {
      limits.choices.push_back(ChoiceValueText(list, c));
      shown.push_back(limits.choices.back());
    }
  }
  limits.text = Joined(shown, " | ");
  return limits;
}

// Select selects the choice at `at`; with `data`, the custom choice takes it. Stored directly, the choice is
// selected first so the record takes the data; through the mediator the data comes first, so the change it is
// told of carries it, and is given back when the change is refused.
ULONG Select(CQExEnumProperty* x, const ExChoices& list, long at, const std::vector<unsigned char>* data, Store store) {
  const Choice& choice = list.choices[static_cast<std::size_t>(at)];
  const bool newData = data != nullptr && *data != choice.data;
  const auto index = static_cast<ULONG>(at);
  if (store == Store::kDirect) {
    const ULONG rc = x->SetDirectCurSel(index);
    if (rc != kResultOk || !newData) return rc;
    return x->SetDirectCustomData(data->data(), static_cast<ULONG>(data->size()));
  }
  if (newData) {
    const ULONG rc = x->SetDirectCustomData(data->data(), static_cast<ULONG>(data->size()));
    if (rc != kResultOk) return rc;
  }
  const ULONG rc = x->SetCurSel(index);
  if (rc != kResultOk && newData) {
    x->SetDirectCustomData(choice.data.data(), static_cast<ULONG>(choice.data.size()));
  }
  return rc;
}

// The value text is a choice's text, optionally followed by its data in parentheses; only the custom choice
// takes data other than its own.
ULONG ExEnumSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                    std::string* refusal) {
  auto* x = As<CQExEnumProperty>(p);
  if (x == nullptr) return kResultNoInterface;
  const ExChoices list = ListOf(x);
  std::string_view name = text;
  std::string_view dataText;
  const std::size_t open = text.rfind(" (");
  const bool withData = open != std::string_view::npos && !text.empty() && text.back() == ')';
  if (withData) {
    name = text.substr(0, open);
    dataText = text.substr(open + 2, text.size() - open - 3);
  }
  const long at = FindChoice(list.Texts(), name);
  if (at < 0) return Refuse(refusal, kResultInvalidArgument, p, text, Takes(list));
  const Choice& choice = list.choices[static_cast<std::size_t>(at)];
  std::vector<unsigned char> data;
  if (withData) {
    if (!DataBytes(list.subType, dataText, &data)) return Refuse(refusal, kResultInvalidArgument, p, text, Takes(list));
    if (choice.id != list.customId && data != choice.data) {
      return Refuse(refusal, kResultInvalidArgument, p, text, Takes(list) + " (only the custom choice takes data)");
    }
  }
  return Select(x, list, at, withData && choice.id == list.customId ? &data : nullptr, store);
}

std::uint32_t Field(const std::vector<unsigned char>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The preset text is the record's bytes as hexadecimal digits. Only a whole record of this property is taken:
// its sizes, type and custom ID are the property's, it selects one of the property's choices by index and ID,
// and a choice other than the custom one carries its own data.
ULONG ExEnumLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  auto* x = As<CQExEnumProperty>(p);
  if (x == nullptr) return kResultNoInterface;
  const ExChoices list = ListOf(x);
  const std::string takes = "the record of one of its choices (" + Joined(list.Texts(), ", ") + ") as " +
                            std::to_string(kRecordHead + list.width) + " bytes in hexadecimal digits";
  std::vector<unsigned char> bytes;
  if (!ParseByteText(text, &bytes) || bytes.size() != kRecordHead + list.width || Field(bytes, 0) != bytes.size() ||
      Field(bytes, 4) != list.subType || Field(bytes, 12) != list.customId) {
    return Refuse(refusal, kResultInvalidArgument, p, text, takes);
  }
  const std::uint32_t index = Field(bytes, 20);
  if (index >= list.choices.size()) return Refuse(refusal, kResultInvalidArgument, p, text, takes);
  const Choice& choice = list.choices[index];
  const std::vector<unsigned char> data(bytes.begin() + kRecordHead, bytes.end());
  const bool carriesData = list.width != 0 && choice.data.size() == list.width;
  if (Field(bytes, 16) != choice.id || Field(bytes, 8) != choice.data.size() ||
      (carriesData && choice.id != list.customId && data != choice.data)) {
    return Refuse(refusal, kResultInvalidArgument, p, text, takes);
  }
  return Select(x, list, static_cast<long>(index), carriesData && choice.id == list.customId ? &data : nullptr,
                Store::kDirect);
}

bool ExEnumNumber(IQProperty* p, double* value) {
  auto* x = As<CQExEnumProperty>(p);
  if (x == nullptr) return false;
  const ExChoices list = ListOf(x);
  const long at = SelectedAt(x, list);
  return at >= 0 && DataNumber(list.subType, list.choices[static_cast<std::size_t>(at)].data, value);
}

// A choice of a description: {"text", "id", "data"}, the data a whole number.
bool DataChoice(const ChoiceDecl& c, long long position, Choice* choice, DocumentError* error) {
  if (!c.text || !c.data || c.number)
    return Fail(error, c.pointer, "an ex-enum choice is {\"text\", \"id\", \"data\"}");
  if (c.text->empty()) return Fail(error, c.pointer, "a choice's text is not empty");
  long long id = position + 1;
  long long data = 0;
  if (c.id && !Whole(c.id, 0, 0xFFFFFFFFLL, c.pointer, "/id", "the ID", &id, error)) return false;
  if (!Whole(c.data, INT32_MIN, INT32_MAX, c.pointer, "/data", "the data", &data, error)) return false;
  choice->text = *c.text;
  choice->id = static_cast<ULONG>(id);
  choice->data = Bytes(static_cast<std::int32_t>(data));
  return true;
}

bool ExEnumBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  if (!NeedChoices(decl, error)) return false;
  std::vector<Choice> choices;
  std::vector<std::string> texts;
  std::vector<long long> ids;
  std::vector<std::string> pointers;
  std::vector<ChoiceDecl> all = *decl.choices;
  if (decl.custom) all.push_back(*decl.custom);
  for (std::size_t i = 0; i < all.size(); ++i) {
    Choice choice;
    if (!DataChoice(all[i], static_cast<long long>(i), &choice, error)) return false;
    texts.push_back(choice.text);
    ids.push_back(choice.id);
    pointers.push_back(all[i].pointer);
    choices.push_back(std::move(choice));
  }
  if (!DistinctChoices(texts, ids, pointers, error)) return false;
  const ULONG customId = decl.custom ? choices.back().id : UnusedId(ids);
  auto x = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(decl.name.c_str(), decl.description.c_str(), decl.group,
                                                              decl.id, customId, kDataTypeInt32, nullptr, nullptr));
  for (Choice& c : choices) {
    x->AddEnumStringAndSubData(c.text.c_str(), c.id, c.data.data(), static_cast<ULONG>(c.data.size()));
  }
  if (!ApplyDefault(kExEnumKind, x.get(), decl, texts.front(), nullptr, error)) return false;
  built->property = x;
  return true;
}

bool ServesExEnum(IQProperty* p) { return Serves<CQExEnumProperty>(p); }

const char* const kKeys[] = {"choices", "custom", nullptr};

const ULONG kTypes[] = {kDataTypeExEnum, kNoDataType};

}  // namespace

// One row per class, each field as kinds.h names it.
// clang-format off
const PropertyKind kExEnumKind = {
    "ex-enum",              // name
    &IID_IQExEnumProperty,  // iid
    kTypes,                 // dataTypes
    kKeys,                  // keys
    ServesExEnum,           // serves
    ExEnumValueText,        // valueText
    ExEnumChoiceText,       // choiceText
    ExEnumLimits,           // limits
    ExEnumSetText,          // setText
    ExEnumNumber,           // number
    nullptr,                // ratio
    true,                   // keepsPreset
    ExEnumLoadText,         // loadText
    ExEnumBuild,            // build
};
// clang-format on

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
