// property_text.h: a property's value, limits and kind as text a person reads, and values set from such text.
//
// These functions work on the library's property classes (they find the class through QueryInterface) and
// borrow the property: the caller keeps its reference for the length of the call.
//
//   host::ValueText(codec)                       "H.264 (50000)"
//   host::LimitsText(quality)                    "1 to 100"
//   host::SetValueText(ratio, "21:9", false)     selects 21:9 through the mediator; kResultOk or its refusal
//
// Natural forms, by kind: long and enum-long values as decimal numbers; float values with the property's
// digits after the point; bool "TRUE" or "FALSE"; text as itself; enum the selected entry's text; ex-enum the
// selected entry's text and its sub data in parentheses ("Custom (20000)"); ratio the entry text ("16:9"), or
// "N:M" for the custom ratio; group "expanded" or "collapsed" (other states as numbers); a plain base property
// its preset text.
#ifndef QENPROPERTIES_HOST_PROPERTY_TEXT_H_
#define QENPROPERTIES_HOST_PROPERTY_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/host_export.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {
namespace host {

// PropertyKind: the property class, as found through QueryInterface.
enum class PropertyKind { kLong, kFloat, kBool, kText, kEnum, kEnumLong, kExEnum, kRatio, kGroup, kButton, kPlain };

QEN_HOST_API PropertyKind KindOf(IQProperty* property);
// KindName: "long", "float", "bool", "text", "enum", "enum-long", "ex-enum", "ratio", "group", "button", "plain".
QEN_HOST_API const char* KindName(PropertyKind kind);

// Utf8 and Utf16 convert between UTF-8 and zero-terminated UTF-16 (malformed input becomes U+FFFD).
QEN_HOST_API std::string Utf8(const WCHAR* text);
QEN_HOST_API std::vector<WCHAR> Utf16(const std::string& text);
// Utf16Into is Utf16 into a buffer the caller reuses: `out` ends zero-terminated, its size counting the zero.
QEN_HOST_API void Utf16Into(std::string_view text, std::vector<WCHAR>* out);

QEN_HOST_API std::string NameOf(IQProperty* property);
QEN_HOST_API std::string DescriptionOf(IQProperty* property);
QEN_HOST_API ULONG PropertyIdOf(IQProperty* property);
QEN_HOST_API ULONG GroupIdOf(IQProperty* property);
QEN_HOST_API ULONG FlagsOf(IQProperty* property);

// ValueText gives the value in its natural form; an empty value gives "".
QEN_HOST_API std::string ValueText(IQProperty* property);
// LimitsText gives the range ("1 to 100") or the choices ("MP4 | MKV | WebM") a value must keep to.
QEN_HOST_API std::string LimitsText(IQProperty* property);

// SetValueText parses `text` by the property's kind and stores it: through the notifying setters (the bound
// mediator is told and may refuse) or, with `direct`, through the direct setters. Returns the setter's result,
// or kResultInvalidArgument when the text is no value of that kind (an unknown choice, "abc" for a number, a
// button). A refused change leaves the value as it was.
QEN_HOST_API ULONG SetValueText(IQProperty* property, const std::string& text, bool direct);

// NumberOf gives the value as a number: long, float, bool (0 or 1), enum-long, and the ex-enum's selected sub
// data. False for the other kinds or an empty value.
QEN_HOST_API bool NumberOf(IQProperty* property, double* number);

// RatioOf gives the ratio's selected numerator and denominator (the custom ratio, or an entry text "N:M").
QEN_HOST_API bool RatioOf(IQProperty* property, ULONG* numerator, ULONG* denominator);

}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_PROPERTY_TEXT_H_
