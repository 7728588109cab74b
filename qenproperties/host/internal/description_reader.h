// description_reader.h: reading a panel description's text into property and rule declarations (internal).
//
// The description is a JSON object: {"title", "version", "properties": [...], "rules": [...]}; panel.h gives
// its keys. The reader checks the JSON shape of every key (and that no key is unknown or given twice) and turns
// each property into a PropertyDecl for its kind's row to build; what the values mean (ranges, choices,
// defaults, rule values) is checked by the rows and the rules. Every refusal carries the JSON pointer of the
// offending value, or the line and column of a syntax error, and a sentence.
#ifndef QENPROPERTIES_HOST_INTERNAL_DESCRIPTION_READER_H_
#define QENPROPERTIES_HOST_INTERNAL_DESCRIPTION_READER_H_

#include <cstddef>
#include <memory>
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

// RuleDecl: one rule as written; which keys it has depends on its type (see panel.h).
struct RuleDecl {
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

// Blocks: a sequence kept in blocks of a few dozen elements. A description of a hundred thousand properties would
// otherwise ask for one block of tens of megabytes, which the allocator maps afresh, page by page, for every
// description read, and gives back to the system after it.
template <class T>
class Blocks {
 public:
  std::size_t size() const { return size_; }
  // resize grows the sequence to `count` elements; the new ones are T().
  void resize(std::size_t count) {
    for (std::size_t have = blocks_.size() * kBlock; have < count; have += kBlock) {
      blocks_.push_back(std::make_unique<T[]>(kBlock));
    }
    size_ = count;
  }
  // DropBefore frees the blocks that hold only elements before `count`, for a reader that is done with them; those
  // elements are not to be reached again.
  void DropBefore(std::size_t count) {
    for (; dropped_ < count / kBlock && dropped_ < blocks_.size(); ++dropped_) blocks_[dropped_].reset();
  }
  T& operator[](std::size_t i) { return blocks_[i / kBlock][i % kBlock]; }
  const T& operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }

 private:
  static constexpr std::size_t kBlock = 64;
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t size_ = 0;
  std::size_t dropped_ = 0;  // the blocks before this one are freed
};

struct PanelDecl {
  std::string title = "Settings";
  std::string version = "1";
  Blocks<PropertyDecl> properties;
  std::vector<std::string> groupNames;  // per property, the name its "group" gives ("" for none)
  std::vector<RuleDecl> rules;
};

bool ReadPanelDescription(std::string_view text, const JsonBounds& bounds, PanelDecl* decl, DocumentError* error);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_DESCRIPTION_READER_H_
