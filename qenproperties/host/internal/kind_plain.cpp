// The rows of the kinds whose value is no number and no choice: text, group, button, the base property
// ("plain"), and "other", the row of every property no other row serves.
#include <cstring>
#include <string>
#include <vector>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/group/cmd_button_property.h"
#include "qenproperties/group/group_property.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/host/text.h"
#include "qenproperties/property/property.h"
#include "qenproperties/property/property_serializer.h"
#include "qenproperties/scalar/wstring_property.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

const char* const kAnyText = "any text in UTF-8 without a NUL character";
// The limits of the kinds whose values are no number and no choice.
constexpr char kTextLimits[] = "text";
constexpr char kButtonLimits[] = "click";
constexpr char kPlainLimits[] = "bytes in hexadecimal digits";
constexpr char kOtherLimits[] = "preset text";

// WideText converts a value text for a zero-terminated setter into `wide`, or, for a direct setter (which calls
// no one who could convert again meanwhile), into a buffer kept from call to call; null for malformed UTF-8 and
// for embedded NULs.
const WCHAR* WideText(std::string_view text, std::vector<WCHAR>* wide) {
  return !HasNul(text) && ToUtf16(text, wide) ? wide->data() : nullptr;
}
const WCHAR* WideText(std::string_view text) {
  thread_local std::vector<WCHAR> wide;
  return WideText(text, &wide);
}

// ---- text ---------------------------------------------------------------------------------------------------

std::string TextValueText(IQProperty* p) {
  auto* w = As<CQWStringProperty>(p);
  ULONG bytes = 0;
  if (w == nullptr || w->GetCurString(nullptr, &bytes) != kResultOk || bytes == 0) return "";
  std::vector<WCHAR> text(bytes / 2 + 1, 0);
  w->GetCurString(text.data(), &bytes);
  return Utf8(text.data());
}

ULONG TextSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                  std::string* refusal) {
  auto* w = As<CQWStringProperty>(p);
  if (w == nullptr) return kResultNoInterface;
  std::vector<WCHAR> notified;
  const WCHAR* wide = store == Store::kNotify ? WideText(text, &notified) : WideText(text);
  if (wide == nullptr) return Refuse(refusal, kResultInvalidArgument, p, text, kAnyText);
  // The direct setter takes a WCHAR* but only reads it.
  return store == Store::kNotify ? w->SetCurString(wide) : w->SetDirectCurString(const_cast<WCHAR*>(wide));
}

// The preset text of a text property is the text itself.
ULONG TextLoadText(IQProperty* p, std::string_view text, const DeclaredRange* declared, std::string* refusal) {
  return TextSetText(p, text, Store::kDirect, declared, refusal);
}

bool TextBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  const WCHAR empty[] = {0};
  auto w = QRef<CQWStringProperty>::Adopt(new CQWStringProperty(decl.name.c_str(), decl.description.c_str(), decl.group,
                                                                decl.id, empty, empty, nullptr, nullptr));
  if (!ApplyDefault(kTextKind, w.get(), decl, "", nullptr, error)) return false;
  std::vector<WCHAR> wide;
  ToUtf16(TextValueText(w.get()), &wide);
  w->SetPropertyDefaultData(wide.data());
  built->property = w;
  return true;
}

// ---- group --------------------------------------------------------------------------------------------------

// A group's value is the record {attribute, state}, two 32-bit words in host order; its value text names the
// state: 1 is expanded and 0 collapsed.
constexpr ULONG kExpanded = 1;
constexpr ULONG kCollapsed = 0;
const char* const kGroupTakes = "expanded, collapsed or a whole number from 0 to 4294967295";

bool GroupRecord(IQProperty* p, grPropData* record) {
  const std::vector<unsigned char> bytes = ValueBytes(p);
  if (bytes.size() != sizeof(grPropData)) return false;
  std::memcpy(record, bytes.data(), sizeof(grPropData));
  return true;
}

std::string GroupValueText(IQProperty* p) {
  grPropData record{};
  if (As<CQGroupProperty>(p) == nullptr || !GroupRecord(p, &record)) return "";
  if (record.state == kExpanded) return "expanded";
  if (record.state == kCollapsed) return "collapsed";
  return std::to_string(record.state);
}

Limits GroupLimits(IQProperty* /*p*/, const DeclaredRange* /*declared*/) {
  Limits limits;
  limits.choices = {"expanded", "collapsed"};
  limits.text = "expanded | collapsed";
  return limits;
}

ULONG GroupSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                   std::string* refusal) {
  auto* g = As<CQGroupProperty>(p);
  if (g == nullptr) return kResultNoInterface;
  long long state = 0;
  if (EqualIgnoringCase(text, "expanded")) {
    state = kExpanded;
  } else if (EqualIgnoringCase(text, "collapsed")) {
    state = kCollapsed;
  } else if (ParseWhole(text, 0, 0xFFFFFFFFLL, &state) != Parsed::kOk) {
    return Refuse(refusal, kResultInvalidArgument, p, text, kGroupTakes);
  }
  const auto word = static_cast<ULONG>(state);
  return store == Store::kNotify ? g->SetGroupState(word) : g->SetDirectGroupState(word);
}

// The preset text is the record's eight bytes in hexadecimal digits.
ULONG GroupLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  auto* g = As<CQGroupProperty>(p);
  if (g == nullptr) return kResultNoInterface;
  thread_local std::vector<unsigned char> bytes;
  if (!ParseByteText(text, &bytes) || bytes.size() != sizeof(grPropData)) {
    return Refuse(refusal, kResultInvalidArgument, p, text, "its record: 8 bytes in hexadecimal digits");
  }
  grPropData record{};
  std::memcpy(&record, bytes.data(), sizeof record);
  const ULONG rc = g->SetGroupAttribute(record.attribute);
  return rc != kResultOk ? rc : g->SetDirectGroupState(record.state);
}

bool GroupBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  auto g = QRef<CQGroupProperty>::Adopt(new CQGroupProperty(decl.name.c_str(), decl.description.c_str(), decl.group,
                                                            decl.id, 0, kExpanded, nullptr, nullptr));
  if (!ApplyDefault(kGroupKind, g.get(), decl, "expanded", nullptr, error)) return false;
  grPropData record{};
  GroupRecord(g.get(), &record);
  g->SetPropertyDefaultData(record);
  built->property = g;
  return true;
}

// ---- button -------------------------------------------------------------------------------------------------

std::string NoText(IQProperty* /*p*/) { return ""; }

ULONG ButtonSetText(IQProperty* p, std::string_view text, Store /*store*/, const DeclaredRange* /*declared*/,
                    std::string* refusal) {
  return Refuse(refusal, kResultInvalidArgument, p, text, "no value: it is a button, to be clicked");
}

ULONG ButtonLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  return Refuse(refusal, kResultInvalidArgument, p, text, "no value: a button keeps none");
}

bool ButtonBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  if (decl.defaultText) return Fail(error, decl.pointer + "/default", "a button has no value, so no default");
  built->property = QRef<CQCmdButtonProperty>::Adopt(new CQCmdButtonProperty(
      decl.name.c_str(), decl.description.c_str(), decl.group, decl.id, kDataTypeUInt32, nullptr, nullptr));
  return true;
}

// ---- plain: the library's base property, whose value is raw bytes ---------------------------------------------

const char* const kByteTakes = "bytes as pairs of hexadecimal digits";

std::string PlainValueText(IQProperty* p) {
  std::string text;
  return PresetTextOf(p, &text) ? text : "";
}

ULONG PlainSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                   std::string* refusal) {
  auto* plain = As<CQProperty>(p);
  if (plain == nullptr) return kResultNoInterface;
  std::vector<unsigned char> bytes;
  if (!ParseByteText(text, &bytes)) return Refuse(refusal, kResultInvalidArgument, p, text, kByteTakes);
  const auto length = static_cast<ULONG>(bytes.size());
  return store == Store::kNotify ? plain->SetPropertyData(bytes.data(), length)
                                 : plain->SetDirectData(bytes.data(), length);
}

// The preset text is the bytes in hexadecimal digits: the value text itself.
ULONG PlainLoadText(IQProperty* p, std::string_view text, const DeclaredRange* declared, std::string* refusal) {
  return PlainSetText(p, text, Store::kDirect, declared, refusal);
}

// ---- other: a property of a class of the host's own, known only by its serializer ---------------------------

// A property no row serves is stored through its own preset load, which has no direct form: a mediator bound
// to it is told.
ULONG OtherLoadText(IQProperty* p, std::string_view text, const DeclaredRange* /*declared*/, std::string* refusal) {
  QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(p, IID_IQPropertySerializer);
  if (!serializer) return Refuse(refusal, kResultInvalidArgument, p, text, "no value: it has no preset text");
  std::vector<WCHAR> wide;  // its load may tell a mediator, whose callbacks may convert text of their own
  if (WideText(text, &wide) == nullptr) return Refuse(refusal, kResultInvalidArgument, p, text, kAnyText);
  return serializer->LoadDirectDataFromPreset(wide.data(), static_cast<ULONG>(wide.size() - 1));
}

ULONG OtherSetText(IQProperty* p, std::string_view text, Store /*store*/, const DeclaredRange* declared,
                   std::string* refusal) {
  return OtherLoadText(p, text, declared, refusal);
}

bool ServesText(IQProperty* p) { return Serves<CQWStringProperty>(p); }
bool ServesGroup(IQProperty* p) { return Serves<CQGroupProperty>(p); }
bool ServesButton(IQProperty* p) { return Serves<CQCmdButtonProperty>(p); }
bool ServesPlain(IQProperty* p) { return As<CQProperty>(p) != nullptr; }
bool ServesAny(IQProperty* /*p*/) { return true; }

const char* const kNoKeys[] = {nullptr};
const char* const kButtonKeys[] = {"action", "sum", nullptr};

const ULONG kAnyType[] = {kNoDataType};  // any data type: found by its class alone
const ULONG kGroupTypes[] = {kDataTypeGroup, kNoDataType};
const ULONG kTextTypes[] = {kDataTypeWString, kNoDataType};

}  // namespace

// One row per class, each field as kinds.h names it.
// clang-format off
const PropertyKind kTextKind = {
    "text",                    // name
    &IID_IQWStringProperty,    // iid
    kTextTypes,                // dataTypes
    kNoKeys,                   // keys
    ServesText,                // serves
    TextValueText,             // valueText
    TextValueText,             // choiceText
    FixedLimits<kTextLimits>,  // limits
    TextSetText,               // setText
    nullptr,                   // number
    nullptr,                   // ratio
    true,                      // keepsPreset
    TextLoadText,              // loadText
    TextBuild,                 // build
};
const PropertyKind kGroupKind = {
    "group",               // name
    &IID_IQGroupProperty,  // iid
    kGroupTypes,           // dataTypes
    kNoKeys,               // keys
    ServesGroup,           // serves
    GroupValueText,        // valueText
    GroupValueText,        // choiceText
    GroupLimits,           // limits
    GroupSetText,          // setText
    nullptr,               // number
    nullptr,               // ratio
    true,                  // keepsPreset
    GroupLoadText,         // loadText
    GroupBuild,            // build
};
const PropertyKind kButtonKind = {
    "button",                    // name
    &IID_IQCmdButtonProperty,    // iid
    kAnyType,                    // dataTypes
    kButtonKeys,                 // keys
    ServesButton,                // serves
    NoText,                      // valueText
    NoText,                      // choiceText
    FixedLimits<kButtonLimits>,  // limits
    ButtonSetText,               // setText
    nullptr,                     // number
    nullptr,                     // ratio
    false,                       // keepsPreset
    ButtonLoadText,              // loadText
    ButtonBuild,                 // build
};
const PropertyKind kPlainKind = {
    "plain",                    // name
    &IID_IQProperty,            // iid
    kAnyType,                   // dataTypes
    kNoKeys,                    // keys
    ServesPlain,                // serves
    PlainValueText,             // valueText
    PlainValueText,             // choiceText
    FixedLimits<kPlainLimits>,  // limits
    PlainSetText,               // setText
    nullptr,                    // number
    nullptr,                    // ratio
    true,                       // keepsPreset
    PlainLoadText,              // loadText
    nullptr,                    // build
};
const PropertyKind kOtherKind = {
    "other",                    // name
    nullptr,                    // iid
    kAnyType,                   // dataTypes
    kNoKeys,                    // keys
    ServesAny,                  // serves
    PlainValueText,             // valueText
    PlainValueText,             // choiceText
    FixedLimits<kOtherLimits>,  // limits
    OtherSetText,               // setText
    nullptr,                    // number
    nullptr,                    // ratio
    true,                       // keepsPreset
    OtherLoadText,              // loadText
    nullptr,                    // build
};
// clang-format on

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
