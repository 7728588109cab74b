// kinds.h: the table of property kinds, one row per property class of the library, holding everything the host
// kit does with a value of that class. Panels, preset documents and the qenprops tool reach a value only
// through its row; adding a class means adding a row.
//
//   const host::PropertyKind& kind = host::KindOf(property);   // "ex-enum"
//   std::string refusal;
//   ULONG rc = kind.setText(property, "Custom (35000)", host::Store::kNotify, nullptr, &refusal);
//   if (rc != kResultOk) ... refusal says what the property takes ...
//
// Two text forms of a value, both read by the one value grammar of internal/value_grammar.h:
// - the value text is what a person reads and types: "H.264 (50000)", "16:9", "expanded", "29.970";
// - the preset text is what the library's serializer writes and a preset document keeps: "0102...", "3#16#9".
// Reading either is strict: trailing garbage, blanks, NaN and infinities, numbers beyond the value's width and
// embedded NULs are refused with kResultInvalidArgument; a number outside the range with kResultOutOfRange.
// Either way `refusal` gets a sentence naming the property and what it takes.
//
// Every function borrows the property for the call. The rows serve the library's classes and classes derived
// from them (found with dynamic_cast); any other property, a host's own implementation of an interface
// included, gets the last row, "other", which goes through its serializer.
#ifndef QENPROPERTIES_HOST_KINDS_H_
#define QENPROPERTIES_HOST_KINDS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/types.h"
#include "qenproperties/host/document_error.h"
#include "qenproperties/host/host_export.h"
#include "qenproperties/property/property_interface.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace host {

// Store: how a value is stored. kNotify uses the property's notifying setter: a bound mediator previews the
// change, may refuse it, and its dependency callbacks run. kDirect uses the direct setter: nothing is told.
enum class Store { kNotify, kDirect };

// DeclaredRange: the range a panel declares for a number. The host kit holds it whatever the property's own
// check does (the library's long and float properties check no range that has 0 as a bound).
struct DeclaredRange {
  double min = 0;
  double max = 0;
};

// Limits: what a value keeps to, for display and for a client that draws a control per kind.
struct Limits {
  bool ranged = false;  // numbers: the value lies in [min, max]
  double min = 0;
  double max = 0;
  int decimals = -1;                 // floats: digits after the point; -1 for the other kinds
  std::vector<std::string> choices;  // enumerations: the value text of every entry, in list order
  std::string custom;                // the form of a free value beside the choices ("N:M", "Custom (N)"), or ""
  std::string text;                  // all of it in one line: "1 to 100", "MP4 | MKV | WebM", "16:9 | N:M"
};

// ChoiceDecl and PropertyDecl: a property as a panel description declares it. The description reader checks
// the JSON types of the keys; what a kind makes of them (and whether it takes them) is its row's `build`.
struct ChoiceDecl {
  std::string pointer;              // "/properties/3/choices/1"
  std::optional<std::string> text;  // a choice given as text, or its "text"
  std::optional<double> number;     // a choice given as a number (an enum-long's values)
  std::optional<double> id;         // "id"
  std::optional<double> data;       // "data"
};

struct PropertyDecl {
  std::string pointer;  // "/properties/3"
  std::string name;
  std::string kind;
  std::string description;
  ULONG id = 0;
  ULONG group = 0;  // the property ID of its group property, 0 for none
  // The default as value text: a JSON text as it is, a number in its shortest form, a bool as true or false.
  std::optional<std::string> defaultText;
  std::optional<double> min;
  std::optional<double> max;
  std::optional<double> decimals;
  std::optional<bool> isSigned;
  std::optional<std::vector<ChoiceDecl>> choices;
  std::optional<ChoiceDecl> custom;
  std::optional<std::string> action;  // buttons: what a click does; the panel reads it
  std::optional<std::vector<std::string>> sum;
};

// Built: what a row makes of a PropertyDecl: the property (holding its default value, bound to no mediator)
// and the range the panel must hold for it, if any.
struct Built {
  QRef<IQProperty> property;
  std::optional<DeclaredRange> range;
};

// PropertyKind: one row. A null function means the kind has no such thing (see each member).
struct PropertyKind {
  const char* name;   // "long", "float", "bool", "text", "enum", "enum-long", "ex-enum", "ratio", "group",
                      // "button", "plain" (the base property: raw bytes), "other" (any other class)
  const _QGUID* iid;  // the interface the row serves (null for "other")
  // dataTypes: the data types the class gives its properties, ending with kNoDataType; KindOf tries the rows of
  // a property's data type first.
  const ULONG* dataTypes;
  // keys: the description keys the kind takes beyond name, kind, id, group, description and default; a
  // null-terminated list.
  const char* const* keys;

  // serves tells whether the row serves this property.
  bool (*serves)(IQProperty* property);
  // valueText gives the value text; "" for an empty value.
  std::string (*valueText)(IQProperty* property);
  // choiceText gives what rules compare: the selected entry's text for an enumeration whose value text adds
  // data ("VP9" for "VP9 (30000)"), the value text otherwise.
  std::string (*choiceText)(IQProperty* property);
  // limits gives the range or the choices; `declared` (may be null) is the panel's range.
  Limits (*limits)(IQProperty* property, const DeclaredRange* declared);
  // setText parses a value text and stores it. Returns kResultOk, kResultInvalidArgument or
  // kResultOutOfRange (with `refusal` set), or the setter's own code (a mediator's refusal, with `refusal`
  // empty; a refused change leaves the value as it was).
  using SetText = ULONG (*)(IQProperty* property, std::string_view text, Store store, const DeclaredRange* declared,
                            std::string* refusal);
  SetText setText;
  // number gives the value as a number: long, float, bool (0 or 1), enum-long, and the ex-enum's sub data;
  // false for the other kinds or an empty value. Null for kinds that never have one.
  bool (*number)(IQProperty* property, double* value);
  // ratio gives a ratio's selected numerator and denominator; null for the other kinds.
  bool (*ratio)(IQProperty* property, ULONG* numerator, ULONG* denominator);
  // keepsPreset: the kind keeps a preset text, the text its serializer part writes (PresetTextOf gives it);
  // documents hold one entry per property that keeps one, and leave the others (buttons) out.
  bool keepsPreset;
  // loadText parses a preset text strictly and stores it directly: no mediator is told, no rule runs, and a
  // value loaded from what PresetTextOf gave is exactly the value it was given from. Codes as setText.
  ULONG (*loadText)(IQProperty* property, std::string_view text, const DeclaredRange* declared, std::string* refusal);
  // build makes a property of this kind from a description; false with `error` (a JSON pointer and a
  // sentence) for a description the kind cannot honour. Null for the kinds no description declares.
  bool (*build)(const PropertyDecl& decl, Built* built, DocumentError* error);
};

constexpr ULONG kNoDataType = 0xFFFFFFFFu;

// Kinds gives every row, in the order KindOf tries them ("other" last).
QEN_HOST_API const std::vector<const PropertyKind*>& Kinds();
// KindOf gives the row that serves the property; KindNamed the row of a kind name, null when none.
QEN_HOST_API const PropertyKind& KindOf(IQProperty* property);
QEN_HOST_API const PropertyKind* KindNamed(std::string_view name);

// The same through the property's row, for callers that do not keep the row.
QEN_HOST_API std::string ValueText(IQProperty* property);
QEN_HOST_API std::string LimitsText(IQProperty* property);
QEN_HOST_API ULONG SetValueText(IQProperty* property, std::string_view text, Store store, std::string* refusal);
QEN_HOST_API bool NumberOf(IQProperty* property, double* value);
// PresetTextOf gives the preset text; false for a property that keeps none.
QEN_HOST_API bool PresetTextOf(IQProperty* property, std::string* text);

// What every kind shares: a property's identifiers and flags (0 when the getter answers nothing).
QEN_HOST_API ULONG PropertyIdOf(IQProperty* property);
QEN_HOST_API ULONG GroupIdOf(IQProperty* property);
QEN_HOST_API ULONG FlagsOf(IQProperty* property);
QEN_HOST_API ULONG DataTypeOf(IQProperty* property);

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_KINDS_H_
