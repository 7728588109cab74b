// kind_support.h: what the rows of the kinds table share (internal): reaching a property's class, reading its
// value bytes and preset text, finding a choice, building refusal sentences, and checking description values.
#ifndef QENPROPERTIES_HOST_INTERNAL_KIND_SUPPORT_H_
#define QENPROPERTIES_HOST_INTERNAL_KIND_SUPPORT_H_

#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/document_error.h"
#include "qenproperties/host/kinds.h"
#include "qenproperties/host/query_as.h"

namespace Quenneth {
namespace host {
namespace detail {

// As gives the library class behind `property` when it is one (or derives from one); null otherwise.
template <class Class>
Class* As(IQProperty* property) {
  return dynamic_cast<Class*>(property);
}

// Serves: the property is the library's class (or derives from it), and so answers the class's interface. The
// class itself, by far the usual case, is recognised without searching the class tree.
template <class Class>
bool Serves(IQProperty* property) {
  return typeid(*property) == typeid(Class) || dynamic_cast<Class*>(property) != nullptr;
}

// ValueBytes gives the property's current value bytes (empty when it holds none).
std::vector<unsigned char> ValueBytes(IQProperty* property);
bool HasValue(IQProperty* property);

// SerializerText reads the preset text a serializer writes; false when it refuses.
bool SerializerText(IQPropertySerializer* serializer, std::string* text);

// Quoted gives `text` for a sentence: in quotes, malformed UTF-8 replaced, cut to 60 characters.
std::string Quoted(std::string_view text);

// Refuse fills `refusal` and returns `code`. kResultOutOfRange reads "TEXT is outside the range of NAME, which
// takes TAKES"; any other code "TEXT is no value of NAME, which takes TAKES" (TEXT quoted).
ULONG Refuse(std::string* refusal, ULONG code, IQProperty* property, std::string_view text, const std::string& takes);

// FindChoice gives the position of `text` among `texts`: the exact text, else the one text that differs only
// in letter case; -1 when there is none (or the letter case leaves two).
long FindChoice(const std::vector<std::string>& texts, std::string_view text);

// Joined gives the texts joined by `separator`.
std::string Joined(const std::vector<std::string>& texts, const char* separator);
// OneOf gives "one of A, B or C".
std::string OneOf(const std::vector<std::string>& texts);

// FixedLimits gives the limits of a kind whose values keep to nothing but a form described by `kText`.
template <const char* kText>
Limits FixedLimits(IQProperty* /*property*/, const DeclaredRange* /*declared*/) {
  Limits limits;
  limits.text = kText;
  return limits;
}

// WithRange fills the numeric part of `limits` and its text ("1 to 100").
void WithRange(Limits* limits, double min, double max, const std::string& minText, const std::string& maxText);

// The checks a row's `build` makes of description values; each returns false with `error` set to the
// pointer and a sentence.
bool Fail(DocumentError* error, const std::string& pointer, const std::string& message);
// Whole reads a whole number from lo to hi; an error is at `pointer` followed by `key` ("/min", or ""), and
// `what` names the number in the sentence ("the minimum").
bool Whole(const std::optional<double>& number, long long lo, long long hi, const std::string& pointer, const char* key,
           const char* what, long long* value, DocumentError* error);
// NeedChoices checks that a description gives a non-empty list of choices.
bool NeedChoices(const PropertyDecl& decl, DocumentError* error);
// DistinctChoices refuses two choices whose texts differ at most in letter case, or that share an ID.
bool DistinctChoices(const std::vector<std::string>& texts, const std::vector<long long>& ids,
                     const std::vector<std::string>& pointers, DocumentError* error);
// TextChoices reads the choices of an enum or a ratio: a text, or {"text", "id"} (IDs default to the position
// + 1), all distinct.
bool TextChoices(const PropertyDecl& decl, std::vector<std::string>* texts, std::vector<long long>* ids,
                 std::vector<std::string>* pointers, DocumentError* error);
// UnusedId gives an ID none of `ids` is, counting down from 4294967295.
ULONG UnusedId(const std::vector<long long>& ids);
// ApplyDefault stores the description's default (or `fallback` when it gives none) through the row's
// setText, directly; a refusal is an error at "/default".
bool ApplyDefault(const PropertyKind& kind, IQProperty* property, const PropertyDecl& decl, const std::string& fallback,
                  const DeclaredRange* range, DocumentError* error);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_KIND_SUPPORT_H_
