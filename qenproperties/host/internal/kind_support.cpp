#include "qenproperties/host/internal/kind_support.h"

#include <cmath>
#include <set>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/host/text.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace host {
namespace detail {

std::vector<unsigned char> ValueBytes(IQProperty* property) {
  ULONG length = 0;
  if (property->GetPropertyData(nullptr, &length) != kResultOk || length == 0) return {};
  std::vector<unsigned char> bytes(length, 0);
  if (property->GetPropertyData(bytes.data(), &length) != kResultOk) return {};
  bytes.resize(std::min<std::size_t>(bytes.size(), length));
  return bytes;
}

bool HasValue(IQProperty* property) {
  ULONG length = 0;
  return property->GetPropertyData(nullptr, &length) == kResultOk && length != 0;
}

bool SerializerText(IQPropertySerializer* serializer, std::string* text) {
  ULONG length = 0;
  if (serializer->GetPropertyDataToSave(nullptr, &length) != kResultOk) return false;
  // Some classes count bytes, others code units: length + 1 units hold either, and the text ends at its zero.
  // The buffer and `text` keep their storage from one call to the next, so saving a document of many values
  // allocates next to nothing.
  thread_local std::vector<WCHAR> buffer;
  buffer.assign(static_cast<std::size_t>(length) + 1, 0);
  if (length != 0 && serializer->GetPropertyDataToSave(buffer.data(), &length) != kResultOk) return false;
  StringUtils::QUTF16ToUTF8(buffer.data(), StringUtils::QWLen(buffer.data()), *text, QUtfErrors::kReplace);
  return true;
}

std::string Quoted(std::string_view text) {
  QWString wide;
  StringUtils::QUTF8ToUTF16(text.data(), text.size(), wide, QUtfErrors::kReplace);
  constexpr std::size_t kLongest = 60;
  bool cut = false;
  if (wide.size() > kLongest) {
    std::size_t keep = kLongest - 3;
    if (wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF) --keep;  // never half a surrogate pair
    wide.resize(keep);
    cut = true;
  }
  for (WCHAR& unit : wide) {
    if (unit < 0x20) unit = '?';  // a control character would move the reader's terminal
  }
  return "\"" + Utf8(wide.data(), wide.size()) + (cut ? "...\"" : "\"");
}

ULONG Refuse(std::string* refusal, ULONG code, IQProperty* property, std::string_view text, const std::string& takes) {
  const std::string name = NameOf(property);
  if (code == kResultOutOfRange) {
    *refusal = Quoted(text) + " is outside the range of " + name + ", which takes " + takes;
  } else {
    *refusal = Quoted(text) + " is no value of " + name + ", which takes " + takes;
  }
  return code;
}

long FindChoice(const std::vector<std::string>& texts, std::string_view text) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (texts[i] == text) return static_cast<long>(i);
  }
  long found = -1;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (!EqualIgnoringCase(texts[i], text)) continue;
    if (found >= 0) return -1;
    found = static_cast<long>(i);
  }
  return found;
}

std::string Joined(const std::vector<std::string>& texts, const char* separator) {
  std::string out;
  for (const std::string& text : texts) out += (out.empty() ? "" : separator) + text;
  return out;
}

std::string OneOf(const std::vector<std::string>& texts) {
  if (texts.empty()) return "nothing (it has no choices)";
  if (texts.size() == 1) return texts.front();
  std::vector<std::string> head(texts.begin(), texts.end() - 1);
  return "one of " + Joined(head, ", ") + " or " + texts.back();
}

void WithRange(Limits* limits, double min, double max, const std::string& minText, const std::string& maxText) {
  limits->ranged = true;
  limits->min = min;
  limits->max = max;
  limits->text = minText + " to " + maxText;
}

bool Fail(DocumentError* error, const std::string& pointer, const std::string& message) {
  error->pointer = pointer;
  error->message = message;
  error->line = 0;
  error->column = 0;
  return false;
}

bool Whole(const std::optional<double>& number, long long lo, long long hi, const std::string& pointer, const char* key,
           const char* what, long long* value, DocumentError* error) {
  const double n = *number;
  if (!(n == std::floor(n)) || n < static_cast<double>(lo) || n > static_cast<double>(hi)) {
    return Fail(error, pointer + key,
                std::string(what) + " is " + FormatShortest(n) + ", but it must be " + WholeRangeText(lo, hi));
  }
  *value = static_cast<long long>(n);
  return true;
}

bool NeedChoices(const PropertyDecl& decl, DocumentError* error) {
  if (!decl.choices || decl.choices->empty()) {
    return Fail(error, decl.pointer + (decl.choices ? "/choices" : ""),
                "a " + decl.kind + " property needs a non-empty list of \"choices\"");
  }
  return true;
}

bool DistinctChoices(const std::vector<std::string>& texts, const std::vector<long long>& ids,
                     const std::vector<std::string>& pointers, DocumentError* error) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t k = 0; k < i; ++k) {
      if (EqualIgnoringCase(texts[i], texts[k])) {
        return Fail(error, pointers[i],
                    "the choice " + Quoted(texts[i]) + " is the choice at " + pointers[k] +
                        (texts[i] == texts[k] ? " again" : " but for letter case") +
                        ": a saved choice could not be told from it");
      }
    }
  }
  std::set<long long> seen;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    if (!seen.insert(ids[i]).second) {
      return Fail(error, pointers[i],
                  "the ID " + std::to_string(ids[i]) +
                      " is already another choice's: a saved choice would reload "
                      "as that one");
    }
  }
  return true;
}

// TextChoices reads an enum's or a ratio's choices: a text, or {"text", "id"}; IDs default to the position + 1.
bool TextChoices(const PropertyDecl& decl, std::vector<std::string>* texts, std::vector<long long>* ids,
                 std::vector<std::string>* pointers, DocumentError* error) {
  if (!NeedChoices(decl, error)) return false;
  for (std::size_t i = 0; i < decl.choices->size(); ++i) {
    const ChoiceDecl& c = (*decl.choices)[i];
    if (!c.text || c.data || c.number) {
      return Fail(error, c.pointer, "a " + decl.kind + " choice is a text or {\"text\", \"id\"}");
    }
    if (c.text->empty()) return Fail(error, c.pointer, "a choice's text is not empty");
    long long id = static_cast<long long>(i) + 1;
    if (c.id && !Whole(c.id, 0, 0xFFFFFFFFLL, c.pointer, "/id", "the ID", &id, error)) return false;
    texts->push_back(*c.text);
    ids->push_back(id);
    pointers->push_back(c.pointer);
  }
  return DistinctChoices(*texts, *ids, *pointers, error);
}

ULONG UnusedId(const std::vector<long long>& ids) {
  const std::set<long long> used(ids.begin(), ids.end());
  long long id = 0xFFFFFFFFLL;
  while (used.count(id) != 0) --id;
  return static_cast<ULONG>(id);
}

bool ApplyDefault(const PropertyKind& kind, IQProperty* property, const PropertyDecl& decl, const std::string& fallback,
                  const DeclaredRange* range, DocumentError* error) {
  const std::string text = decl.defaultText ? *decl.defaultText : fallback;
  std::string refusal;
  if (kind.setText(property, text, Store::kDirect, range, &refusal) == kResultOk) return true;
  if (decl.defaultText) return Fail(error, decl.pointer + "/default", "the default " + refusal);
  return Fail(error, decl.pointer, "no \"default\" is given, and the value it would start at, " + refusal);
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
