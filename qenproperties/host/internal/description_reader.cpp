#include "qenproperties/host/internal/description_reader.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "qenproperties/host/internal/value_grammar.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// TreeArena: the memory of the description trees read on this thread. A tree is some ten small blocks per
// property; taken from the heap one by one, they cost an allocation each, and for a large description fresh pages
// each time, which the heap gives back to the system when the tree goes. The arena hands them out of large blocks
// and takes none back until the tree is gone; it keeps up to kKept bytes of blocks for the thread's next
// description, as the document parser keeps its buffers. kKept holds the tree of about 10,000 properties: a host
// reads its descriptions once, so memory kept beyond that would only serve repeated builds of huge panels.
class TreeArena {
 public:
  static TreeArena& ThisThread() {
    thread_local TreeArena arena;
    return arena;
  }

  void* Take(std::size_t bytes) {
    bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
    while (block_ < blocks_.size() && used_ + bytes > blocks_[block_].size) {
      ++block_;
      used_ = 0;
    }
    if (block_ == blocks_.size()) {
      const std::size_t size = bytes > kBlock ? bytes : kBlock;
      blocks_.push_back(Block{std::make_unique<char[]>(size), size});
      used_ = 0;
    }
    void* taken = blocks_[block_].bytes.get() + used_;
    used_ += bytes;
    return taken;
  }

  // Scope starts a tree's use of the arena; when it ends, the tree is gone and the blocks are for the next one.
  class Scope {
   public:
    Scope() : arena_(ThisThread()) { arena_.Rewind(); }
    ~Scope() { arena_.Rewind(); }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    TreeArena& arena_;
  };

 private:
  static constexpr std::size_t kAlign = 16;  // what operator new gives, and all a tree's values need
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  static constexpr std::size_t kKept = std::size_t{16} << 20;

  struct Block {
    std::unique_ptr<char[]> bytes;
    std::size_t size;
  };

  void Rewind() {
    std::size_t kept = 0;
    std::size_t count = 0;
    while (count < blocks_.size() && kept + blocks_[count].size <= kKept) kept += blocks_[count++].size;
    blocks_.resize(count);
    block_ = 0;
    used_ = 0;
  }

  std::vector<Block> blocks_;
  std::size_t block_ = 0;
  std::size_t used_ = 0;
};

// TreeAllocator takes a tree's memory from this thread's arena (the tree is made and dropped on one thread).
template <class T>
struct TreeAllocator {
  using value_type = T;
  TreeAllocator() = default;
  template <class U>
  explicit TreeAllocator(const TreeAllocator<U>& /*other*/) {}
  T* allocate(std::size_t count) { return static_cast<T*>(TreeArena::ThisThread().Take(count * sizeof(T))); }
  void deallocate(T* /*pointer*/, std::size_t /*count*/) {}
  template <class U>
  bool operator==(const TreeAllocator<U>& /*other*/) const {
    return true;
  }
  template <class U>
  bool operator!=(const TreeAllocator<U>& /*other*/) const {
    return false;
  }
};

using Json =
    nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t, std::uint64_t, double, TreeAllocator>;

// TreeReader reads the text through the JSON library's event interface into a tree, and stops at a key given
// twice in one object (the tree would keep only one of them), or at a syntax error. One pass both checks and
// builds; a key is looked for in the object being built, so checking keeps no set of its own.
class TreeReader {
 public:
  TreeReader(std::string_view text, Json* root, DocumentError* error) : text_(text), root_(root), error_(error) {}

  bool null() { return Scalar(Json()); }
  bool boolean(bool value) { return Scalar(Json(value)); }
  bool number_integer(Json::number_integer_t value) { return Scalar(Json(value)); }
  bool number_unsigned(Json::number_unsigned_t value) { return Scalar(Json(value)); }
  bool number_float(Json::number_float_t value, const Json::string_t& /*text*/) { return Scalar(Json(value)); }
  bool string(Json::string_t& value) { return Scalar(Json(std::move(value))); }
  bool binary(Json::binary_t& value) { return Scalar(Json::binary(std::move(value))); }
  bool key(Json::string_t& value) {
    Frame& frame = frames_.back();
    if (frame.value->contains(value)) {
      frame.key = value;
      *error_ = DocumentError{};
      error_->pointer = Pointer();
      error_->message = "\"" + value + "\" is given twice in one object";
      return false;
    }
    frame.key = std::move(value);
    return true;
  }
  bool start_object(std::size_t /*size*/) { return Open(Json::object(), true); }
  bool start_array(std::size_t /*size*/) { return Open(Json::array(), false); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }
  bool parse_error(std::size_t position, const std::string& /*token*/, const nlohmann::detail::exception& e) {
    *error_ = ErrorAt(text_, position == 0 ? 0 : position - 1, ParseErrorMessage(e.what()));
    return false;
  }

 private:
  struct Frame {
    Json* value;
    bool object;
    std::size_t count = 0;
    std::string key;
  };

  std::string Pointer() const {
    std::string out;
    for (const Frame& frame : frames_) {
      out += "/" + (frame.object ? PointerToken(frame.key) : std::to_string(frame.count));
    }
    return out;
  }
  // Place puts a value into the object or array being read (or makes it the root) and gives where it is.
  Json* Place(Json&& value) {
    if (frames_.empty()) {
      *root_ = std::move(value);
      return root_;
    }
    Frame& frame = frames_.back();
    if (frame.object) return &((*frame.value)[frame.key] = std::move(value));
    frame.value->push_back(std::move(value));
    return &frame.value->back();
  }
  // Counted counts an element of an array once it is read whole, so a pointer names the element being read.
  bool Counted() {
    if (!frames_.empty() && !frames_.back().object) ++frames_.back().count;
    return true;
  }
  bool Scalar(Json&& value) {
    Place(std::move(value));
    return Counted();
  }
  bool Open(Json&& value, bool object) {
    // The pointer stays good: an object's entries do not move, and an array grows only while no child of it
    // is open.
    Json* placed = Place(std::move(value));
    frames_.push_back(Frame{placed, object, 0, {}});
    return true;
  }
  bool Close() {
    frames_.pop_back();
    return Counted();
  }

  std::string_view text_;
  Json* root_;
  DocumentError* error_;
  std::vector<Frame> frames_;
};

// Reader walks the tree; each check returns false with the error at its pointer.
class Reader {
 public:
  explicit Reader(DocumentError* error) : error_(error) {}

  bool Fail(const std::string& pointer, const std::string& message) {
    *error_ = DocumentError{};
    error_->pointer = pointer.empty() ? "/" : pointer;
    error_->message = message;
    return false;
  }

  bool Text(const Json& value, const std::string& pointer, std::string* out) {
    if (!value.is_string()) return Fail(pointer, "expected a text");
    *out = value.get<std::string>();
    return true;
  }

  bool Number(const Json& value, const std::string& pointer, std::optional<double>* out) {
    if (!value.is_number()) return Fail(pointer, "expected a number");
    *out = value.get<double>();
    return true;
  }

  bool Texts(const Json& value, const std::string& pointer, std::vector<std::string>* out) {
    if (!value.is_array()) return Fail(pointer, "expected a list of texts");
    for (std::size_t i = 0; i < value.size(); ++i) {
      std::string text;
      if (!Text(value[i], pointer + "/" + std::to_string(i), &text)) return false;
      out->push_back(std::move(text));
    }
    return true;
  }

  // ValueText gives a value written as a text, a number or true/false as the value text it stands for.
  bool ValueText(const Json& value, const std::string& pointer, std::optional<std::string>* out) {
    if (value.is_string()) {
      *out = value.get<std::string>();
    } else if (value.is_boolean()) {
      *out = value.get<bool>() ? "true" : "false";
    } else if (value.is_number_unsigned()) {
      *out = std::to_string(value.get<unsigned long long>());
    } else if (value.is_number_integer()) {
      *out = std::to_string(value.get<long long>());
    } else if (value.is_number()) {
      *out = FormatShortest(value.get<double>());
    } else {
      return Fail(pointer, "expected a text, a number or true/false");
    }
    return true;
  }

  bool Choice(const Json& value, const std::string& pointer, ChoiceDecl* choice) {
    choice->pointer = pointer;
    if (value.is_string()) {
      choice->text = value.get<std::string>();
      return true;
    }
    if (value.is_number()) {
      choice->number = value.get<double>();
      return true;
    }
    if (!value.is_object()) return Fail(pointer, "expected a text, a number or {\"text\", \"id\", \"data\"}");
    for (const auto& [key, item] : value.items()) {
      const std::string at = pointer + "/" + PointerToken(key);
      if (key == "text") {
        std::string text;
        if (!Text(item, at, &text)) return false;
        choice->text = std::move(text);
      } else if (key == "id") {
        if (!Number(item, at, &choice->id)) return false;
      } else if (key == "data") {
        if (!Number(item, at, &choice->data)) return false;
      } else {
        return Fail(at, "a choice has no key \"" + key + "\" (it takes text, id and data)");
      }
    }
    return true;
  }

  // KindKey reads a key that belongs to some kinds: its JSON type is the same whichever kind takes it.
  bool KindKey(const std::string& key, const Json& value, const std::string& at, PropertyDecl* decl) {
    if (key == "min") return Number(value, at, &decl->min);
    if (key == "max") return Number(value, at, &decl->max);
    if (key == "decimals") return Number(value, at, &decl->decimals);
    if (key == "signed") {
      if (!value.is_boolean()) return Fail(at, "expected true or false");
      decl->isSigned = value.get<bool>();
      return true;
    }
    if (key == "action") {
      std::string action;
      if (!Text(value, at, &action)) return false;
      decl->action = std::move(action);
      return true;
    }
    if (key == "sum") {
      std::vector<std::string> names;
      if (!Texts(value, at, &names)) return false;
      decl->sum = std::move(names);
      return true;
    }
    if (key == "custom") {
      ChoiceDecl custom;
      if (!value.is_object()) return Fail(at, "expected {\"text\", \"id\", ...}");
      if (!Choice(value, at, &custom)) return false;
      decl->custom = std::move(custom);
      return true;
    }
    // "choices"
    if (!value.is_array()) return Fail(at, "expected a list of choices");
    decl->choices.emplace();
    for (std::size_t i = 0; i < value.size(); ++i) {
      ChoiceDecl choice;
      if (!Choice(value[i], at + "/" + std::to_string(i), &choice)) return false;
      decl->choices->push_back(std::move(choice));
    }
    return true;
  }

  // Property reads the property at decl->pointer.
  bool Property(const Json& value, PropertyDecl* decl, std::string* groupName) {
    const std::string& pointer = decl->pointer;
    if (!value.is_object()) return Fail(pointer, "a property is a JSON object");
    const auto kind = value.find("kind");
    if (kind == value.end()) return Fail(pointer, "the property has no \"kind\"");
    std::string& at = at_;  // one buffer for the pointers of every property's keys
    if (!Text(*kind, at.assign(pointer).append("/kind"), &decl->kind)) return false;
    const PropertyKind* row = KindNamed(decl->kind);
    if (row == nullptr || row->build == nullptr) {
      std::string kinds;
      for (const PropertyKind* k : Kinds()) {
        if (k->build != nullptr) kinds += std::string(kinds.empty() ? "" : ", ") + k->name;
      }
      return Fail(pointer + "/kind", "there is no kind \"" + decl->kind + "\" (the kinds are " + kinds + ")");
    }
    bool hasName = false;
    bool hasId = false;
    for (const auto& [key, item] : value.items()) {
      if (key == "kind") continue;
      at.assign(pointer).append("/").append(PointerToken(key));
      if (key == "name") {
        if (!Text(item, at, &decl->name)) return false;
        hasName = true;
      } else if (key == "id") {
        long long id = 0;
        std::optional<double> number;
        if (!Number(item, at, &number)) return false;
        if (!(*number == std::floor(*number)) || *number < 1 || *number > 4294967295.0) {
          return Fail(at, "a property ID is a whole number from 1 to 4294967295");
        }
        id = static_cast<long long>(*number);
        decl->id = static_cast<ULONG>(id);
        hasId = true;
      } else if (key == "group") {
        if (!Text(item, at, groupName)) return false;
      } else if (key == "description") {
        if (!Text(item, at, &decl->description)) return false;
      } else if (key == "default") {
        if (!ValueText(item, at, &decl->defaultText)) return false;
      } else if (Takes(*row, key)) {
        if (!KindKey(key, item, at, decl)) return false;
      } else {
        return Fail(at, "a " + decl->kind + " property has no key \"" + key + "\"" + Keys(*row));
      }
    }
    if (!hasName) return Fail(pointer, "the property has no \"name\"");
    if (decl->name.empty() || decl->name.find('=') != std::string::npos) {
      return Fail(pointer + "/name", "a name is not empty and holds no \"=\"");
    }
    if (!hasId) return Fail(pointer, "the property has no \"id\"");
    if (decl->description.empty()) decl->description = decl->name;
    return true;
  }

  bool Rule(const Json& value, const std::string& pointer, RuleDecl* rule) {
    rule->pointer = pointer;
    if (!value.is_object()) return Fail(pointer, "a rule is a JSON object");
    struct Shape {
      const char* key;
      RuleDecl::Type type;
      std::vector<const char*> names;
      std::vector<const char*> lists;
    };
    static const Shape kShapes[] = {
        {"cap", RuleDecl::Type::kCap, {"when", "cap"}, {}},
        {"set", RuleDecl::Type::kSet, {"when", "set"}, {"is", "unless"}},
        {"limit", RuleDecl::Type::kLimit, {"limit", "requires"}, {"is", "in"}},
        {"keep", RuleDecl::Type::kKeep, {"keep", "width", "height"}, {}},
    };
    const Shape* shape = nullptr;
    for (const Shape& s : kShapes) {
      if (!value.contains(s.key)) continue;
      if (shape != nullptr) return Fail(pointer, "a rule has one of \"cap\", \"set\", \"limit\" and \"keep\", not two");
      shape = &s;
    }
    if (shape == nullptr) return Fail(pointer, "a rule has one of \"cap\", \"set\", \"limit\" or \"keep\"");
    rule->type = shape->type;
    for (const char* name : shape->names) {
      const auto it = value.find(name);
      if (it == value.end()) return Fail(pointer, std::string("the rule has no \"") + name + "\"");
      std::string text;
      if (!Text(*it, pointer + "/" + name, &text)) return false;
      rule->names.emplace_back(name, std::move(text));
    }
    for (const auto& [key, item] : value.items()) {
      const std::string at = pointer + "/" + PointerToken(key);
      bool named = false;
      for (const char* name : shape->names) named = named || key == name;
      if (named) continue;
      bool listed = false;
      for (const char* list : shape->lists) listed = listed || key == list;
      if (listed) {
        if (!Texts(item, at, key == "is" ? &rule->is : key == "unless" ? &rule->unless : &rule->in)) return false;
      } else if (key == "to" && rule->type == RuleDecl::Type::kSet) {
        if (!ValueText(item, at, &rule->to)) return false;
      } else {
        return Fail(at, std::string("a \"") + shape->key + "\" rule has no key \"" + key + "\"");
      }
    }
    if (rule->type == RuleDecl::Type::kSet && !rule->to) return Fail(pointer, "the rule has no \"to\"");
    if (rule->type == RuleDecl::Type::kLimit && (!value.contains("is") || !value.contains("in"))) {
      return Fail(pointer, "a \"limit\" rule has \"is\" and \"in\"");
    }
    return true;
  }

 private:
  static bool Takes(const PropertyKind& kind, const std::string& key) {
    for (const char* const* k = kind.keys; *k != nullptr; ++k) {
      if (key == *k) return true;
    }
    return false;
  }

  static std::string Keys(const PropertyKind& kind) {
    std::string keys;
    for (const char* const* k = kind.keys; *k != nullptr; ++k) keys += std::string(keys.empty() ? "" : ", ") + *k;
    return " (beside name, kind, id, group, description and default it takes " + (keys.empty() ? "nothing" : keys) +
           ")";
  }

  DocumentError* error_;
  std::string at_;
};

}  // namespace

const std::string& RuleDecl::Named(const char* key) const {
  static const std::string kNone;
  for (const auto& [name, value] : names) {
    if (name == key) return value;
  }
  return kNone;
}

bool ReadPanelDescription(std::string_view text, const JsonBounds& bounds, PanelDecl* decl, DocumentError* error) {
  *decl = PanelDecl();
  if (!CheckJsonBounds(text, bounds, error)) return false;
  const TreeArena::Scope arena;
  Json root;
  TreeReader tree(text, &root, error);
  if (!Json::sax_parse(text.begin(), text.end(), &tree)) return false;
  Reader reader(error);
  if (!root.is_object()) return reader.Fail("", "a panel description is a JSON object");
  bool hasProperties = false;
  for (const auto& [key, value] : root.items()) {
    const std::string at = "/" + PointerToken(key);
    if (key == "title") {
      if (!reader.Text(value, at, &decl->title)) return false;
    } else if (key == "version") {
      if (!reader.Text(value, at, &decl->version)) return false;
    } else if (key == "properties") {
      if (!value.is_array() || value.empty()) return reader.Fail(at, "expected a non-empty list of properties");
      hasProperties = true;
      decl->properties.resize(value.size());
      decl->groupNames.resize(value.size());
      for (std::size_t i = 0; i < value.size(); ++i) {
        PropertyDecl& property = decl->properties[i];
        property.pointer.assign(at).append("/").append(std::to_string(i));
        if (!reader.Property(value[i], &property, &decl->groupNames[i])) return false;
      }
    } else if (key == "rules") {
      if (!value.is_array()) return reader.Fail(at, "expected a list of rules");
      for (std::size_t i = 0; i < value.size(); ++i) {
        RuleDecl rule;
        if (!reader.Rule(value[i], at + "/" + std::to_string(i), &rule)) return false;
        decl->rules.push_back(std::move(rule));
      }
    } else {
      return reader.Fail(
          at, "a panel description has no key \"" + key + "\" (it takes title, version, properties and rules)");
    }
  }
  if (!hasProperties) return reader.Fail("", "a panel description has \"properties\", a non-empty list");
  return true;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
