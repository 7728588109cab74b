// description_reader.h: reading a panel description's text into property and rule specifications (internal).
//
// The description is a JSON object: {"title", "version", "properties": [...], "rules": [...]}; panel.h gives
// its keys. The reader checks the JSON shape of every key (and that no key is unknown or given twice) and turns
// each property into a PropertySpec for its kind's row to build; what the values mean (ranges, choices,
// defaults, rule values) is checked by the rows and the rules. Every refusal carries the JSON pointer of the
// offending value, or the line and column of a syntax error, and a sentence.
#ifndef QENPROPERTIES_HOST_INTERNAL_DESCRIPTION_READER_H_
#define QENPROPERTIES_HOST_INTERNAL_DESCRIPTION_READER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/host/document_error.h"
#include "qenproperties/host/internal/json_bounds.h"
#include "qenproperties/host/kinds.h"

namespace Quenneth {
namespace host {
namespace detail {

// RuleSpec: one rule as written; which keys it has depends on its type (see panel.h).
struct RuleSpec {
  enum class Type { kCap, kSet, kLimit, kKeep };
  Type type = Type::kCap;
  std::string pointer;  // "/rules/2"
  // The properties it names, by key: cap {when, cap}; set {when, set}; limit {limit, requires}; keep {keep,
  // width, height}.
  std::vector<std::pair<std::string, std::string>> names;
  std::vector<std::string> is;
  std::vector<std::string> unless;
  std::vector<std::string> in;
  std::optional<std::string> to;

  // Named gives the name given for `key`.
  const std::string& Named(const char* key) const;
};

struct PanelSpec {
  std::string title = "Settings";
  std::string version = "1";
  std::vector<PropertySpec> properties;
  std::vector<std::string> groupNames;  // per property, the name its "group" gives ("" for none)
  std::vector<RuleSpec> rules;
};

bool ReadPanelDescription(std::string_view text, const JsonBounds& bounds, PanelSpec* spec, DocumentError* error);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_DESCRIPTION_READER_H_
