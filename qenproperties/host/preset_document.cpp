#include "qenproperties/host/preset_document.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <deque>
#include <string_view>

#include <nlohmann/json.hpp>

#include "qenproperties/enum/enum_long_property.h"
#include "qenproperties/enum/enum_property.h"
#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/enum/ratio_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/property_text.h"
#include "qenproperties/host/query_as.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace host {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kFormat = "qenprops-preset";

// Entry: one document entry after its shape was checked. The texts are views into the document or into
// storage the reader keeps for the length of the load.
struct Entry {
  std::string_view name;
  std::string_view value;
  ULONG id = 0;
  ULONG type = 0;
  ULONG size = 0;
  ULONG flags = 0;
  bool hasType = false;
  bool hasSize = false;
  bool hasFlags = false;
};

std::string VersionOf(IQPropertyVault* vault) {
  ULONG length = 0;
  vault->GetVersion(nullptr, &length);
  std::vector<WCHAR> text(length + 1, 0);
  if (length != 0) vault->GetVersion(text.data(), &length);
  return Utf8(text.data());
}

bool ReadUnsigned(const Json& object, const char* key, ULONG* value, bool* present, DocumentError* error,
                  const std::string& pointer) {
  auto it = object.find(key);
  if (it == object.end()) return true;
  if (!it->is_number_unsigned() || it->get<unsigned long long>() > 0xFFFFFFFFull) {
    error->pointer = pointer + "/" + key;
    error->message = "expected a whole number from 0 to 4294967295";
    return false;
  }
  *value = static_cast<ULONG>(it->get<unsigned long long>());
  *present = true;
  return true;
}

// EntryCollector reads a well-formed preset document through the JSON library's event interface, straight into
// entries, without building a tree. It stops at the first thing it does not expect (any syntax or shape
// problem, or "entries" given twice); the load then reads the document again with ReadDocument, which builds
// the tree and names the problem exactly. Repeated keys keep their last value, as the tree does.
class EntryCollector {
 public:
  EntryCollector(std::string* version, std::vector<Entry>* entries, std::deque<std::string>* storage)
      : version_(version), entries_(entries), storage_(storage) {}

  // Complete tells whether the document had the shape of a preset document.
  bool Complete() const { return formatOk_ && sawEntries_; }

  bool null() { return Scalar(); }
  bool boolean(bool /*value*/) { return Scalar(); }
  bool number_integer(Json::number_integer_t /*value*/) { return Scalar(); }
  bool number_float(Json::number_float_t /*value*/, const Json::string_t& /*text*/) { return Scalar(); }
  bool binary(Json::binary_t& /*value*/) { return Scalar(); }
  bool number_unsigned(Json::number_unsigned_t value) {
    if (skip_ != 0 || depth_ != 3) return Scalar();
    ULONG* field = nullptr;
    bool* present = nullptr;
    if (key_ == "id") field = &entry_.id, present = &hasId_;
    if (key_ == "type") field = &entry_.type, present = &entry_.hasType;
    if (key_ == "size") field = &entry_.size, present = &entry_.hasSize;
    if (key_ == "flags") field = &entry_.flags, present = &entry_.hasFlags;
    if (field == nullptr) return key_ != "value";  // a name that is no text is ignored
    if (value > 0xFFFFFFFFull) return false;
    *field = static_cast<ULONG>(value);
    *present = true;
    return true;
  }
  bool string(Json::string_t& value) {
    if (skip_ != 0) return true;
    if (depth_ == 1) {
      if (key_ == "format") formatOk_ = value == kFormat;
      if (key_ == "version") *version_ = std::move(value);
      return key_ != "entries";
    }
    if (depth_ != 3) return false;  // an entry that is no object
    if (key_ == "value") {
      storage_->push_back(std::move(value));
      entry_.value = storage_->back();
      hasValue_ = true;
    } else if (key_ == "name") {
      storage_->push_back(std::move(value));
      entry_.name = storage_->back();
    } else if (key_ == "id" || key_ == "type" || key_ == "size" || key_ == "flags") {
      return false;
    }
    return true;
  }
  bool key(Json::string_t& value) {
    if (skip_ == 0) key_ = std::move(value);
    return true;
  }
  bool start_object(std::size_t /*size*/) {
    if (skip_ != 0) return Skip();
    if (depth_ == 0 || depth_ == 2) {  // the document, or one entry
      ++depth_;
      entry_ = Entry();
      hasId_ = hasValue_ = false;
      return true;
    }
    return Unread() && Skip();
  }
  bool end_object() {
    if (skip_ != 0) return Unskip();
    if (depth_ == 3) {
      if (!hasId_ || !hasValue_) return false;
      entries_->push_back(entry_);
      depth_ = 2;
      return true;
    }
    --depth_;
    return true;
  }
  bool start_array(std::size_t /*size*/) {
    if (skip_ != 0) return Skip();
    if (depth_ == 1 && key_ == "entries") {
      if (sawEntries_) return false;
      sawEntries_ = true;
      depth_ = 2;
      return true;
    }
    return Unread() && Skip();
  }
  bool end_array() {
    if (skip_ != 0) return Unskip();
    depth_ = 1;
    return true;
  }
  bool parse_error(std::size_t /*at*/, const std::string& /*token*/, const nlohmann::detail::exception& /*e*/) {
    return false;
  }

 private:
  bool IsDocumentKey() const { return key_ == "format" || key_ == "version" || key_ == "entries"; }
  bool IsEntryKey() const {
    return key_ == "id" || key_ == "type" || key_ == "size" || key_ == "flags" || key_ == "value" || key_ == "name";
  }
  // Unread tells whether the value met here belongs to a key the collector does not read.
  bool Unread() const { return (depth_ == 1 && !IsDocumentKey()) || (depth_ == 3 && !IsEntryKey()); }
  // Scalar accepts a value of a key that is not read, and refuses one where a read key needs another type
  // (a name that is no text is ignored, as the tree reading ignores it).
  bool Scalar() const { return skip_ != 0 || Unread() || (depth_ == 3 && key_ == "name"); }
  bool Skip() {
    ++skip_;
    return true;
  }
  bool Unskip() {
    --skip_;
    return true;
  }

  std::string* version_;
  std::vector<Entry>* entries_;
  std::deque<std::string>* storage_;
  std::string key_;
  Entry entry_;
  int depth_ = 0;  // 0 outside, 1 in the document, 2 in the entries, 3 in an entry
  int skip_ = 0;   // nesting inside a value that is not read
  bool hasId_ = false;
  bool hasValue_ = false;
  bool formatOk_ = false;
  bool sawEntries_ = false;
};

// ReadDocument reads and checks the whole document through the JSON library before any property is touched;
// the entries' texts are kept in `storage`.
bool ReadDocument(const std::string& text, std::string* version, std::vector<Entry>* entries,
                  std::deque<std::string>* storage, DocumentError* error) {
  Json document;
  try {
    document = Json::parse(text);
  } catch (const Json::exception&) {
    *error = JsonErrorOf(text);
    return false;
  }
  if (!document.is_object()) {
    error->pointer = "/";
    error->message = "a preset document is a JSON object";
    return false;
  }
  auto format = document.find("format");
  if (format == document.end() || !format->is_string() || format->get<std::string>() != kFormat) {
    error->pointer = "/format";
    error->message = std::string("expected \"") + kFormat + "\"";
    return false;
  }
  auto versionIt = document.find("version");
  if (versionIt != document.end()) {
    if (!versionIt->is_string()) {
      error->pointer = "/version";
      error->message = "expected a text";
      return false;
    }
    *version = versionIt->get<std::string>();
  }
  auto list = document.find("entries");
  if (list == document.end() || !list->is_array()) {
    error->pointer = "/entries";
    error->message = "expected an array of entries";
    return false;
  }
  for (std::size_t i = 0; i < list->size(); ++i) {
    const Json& item = (*list)[i];
    const std::string pointer = "/entries/" + std::to_string(i);
    if (!item.is_object()) {
      error->pointer = pointer;
      error->message = "expected an object";
      return false;
    }
    Entry entry;
    bool hasId = false;
    if (!ReadUnsigned(item, "id", &entry.id, &hasId, error, pointer) ||
        !ReadUnsigned(item, "type", &entry.type, &entry.hasType, error, pointer) ||
        !ReadUnsigned(item, "size", &entry.size, &entry.hasSize, error, pointer) ||
        !ReadUnsigned(item, "flags", &entry.flags, &entry.hasFlags, error, pointer)) {
      return false;
    }
    if (!hasId) {
      error->pointer = pointer + "/id";
      error->message = "every entry needs a property ID";
      return false;
    }
    auto value = item.find("value");
    if (value == item.end() || !value->is_string()) {
      error->pointer = pointer + "/value";
      error->message = "expected the value's preset text";
      return false;
    }
    storage->push_back(value->get<std::string>());
    entry.value = storage->back();
    auto name = item.find("name");
    if (name != item.end() && name->is_string()) {
      storage->push_back(name->get<std::string>());
      entry.name = storage->back();
    }
    entries->push_back(std::move(entry));
  }
  return true;
}

// ---- text conversion ------------------------------------------------------------------------------------

// PutEscaped writes an ASCII character that a JSON string escapes, as the JSON library writes it; gives the end.
char* PutEscaped(unsigned char c, char* out) {
  static const char kHex[] = "0123456789abcdef";
  *out++ = '\\';
  switch (c) {
    case '"': *out++ = '"'; break;
    case '\\': *out++ = '\\'; break;
    case '\b': *out++ = 'b'; break;
    case '\f': *out++ = 'f'; break;
    case '\n': *out++ = 'n'; break;
    case '\r': *out++ = 'r'; break;
    case '\t': *out++ = 't'; break;
    default:
      *out++ = 'u';
      *out++ = '0';
      *out++ = '0';
      *out++ = kHex[c >> 4];
      *out++ = kHex[c & 0xF];
  }
  return out;
}

// PutUtf8 writes zero-terminated UTF-16 as UTF-8, as Utf8 converts it, and gives the end; with `json`, the
// characters a JSON string escapes are escaped as the JSON library writes them. Each code unit takes at most
// three bytes, or six with `json`.
char* PutUtf8(const WCHAR* text, char* out, bool json) {
  for (std::size_t i = 0; text[i] != 0; ++i) {
    std::uint32_t c = text[i];
    if (c < 0x80) {
      if (json && (c < 0x20 || c == '"' || c == '\\')) {
        out = PutEscaped(static_cast<unsigned char>(c), out);
      } else {
        *out++ = static_cast<char>(c);
      }
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x800) {
      *out++ = static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
      *out++ = static_cast<char>(0xE0 | (c >> 12));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
      *out++ = static_cast<char>(0xF0 | (c >> 18));
      *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

// Units makes `buffer` hold `length` + 1 code units, all zero, for a getter that writes `length` units.
WCHAR* Units(std::vector<WCHAR>* buffer, ULONG length) {
  if (buffer->size() < static_cast<std::size_t>(length) + 1) buffer->resize(static_cast<std::size_t>(length) + 1);
  std::fill(buffer->begin(), buffer->begin() + static_cast<std::ptrdiff_t>(length) + 1, WCHAR{0});
  return buffer->data();
}

// NameUnits reads the property's name into `buffer`, as NameOf reads it, and gives its length in code units.
ULONG NameUnits(IQProperty* property, std::vector<WCHAR>* buffer) {
  ULONG length = 0;
  property->GetPropertyName(nullptr, &length);
  const ULONG units = length;  // the text ends at a zero no later than here
  WCHAR* text = Units(buffer, length);
  if (length != 0) property->GetPropertyName(text, &length);
  return units;
}

// DocumentText: the document's text, written into one buffer that grows as needed.
class DocumentText {
 public:
  explicit DocumentText(std::size_t capacity) { text_.resize(capacity); }

  // Room makes room for `n` more bytes and gives where they go; Advance then moves past what was written.
  char* Room(std::size_t n) {
    if (text_.size() - at_ < n) text_.resize(std::max(text_.size() * 2, at_ + n));
    return &text_[at_];
  }
  void Advance(const char* end) { at_ = static_cast<std::size_t>(end - text_.data()); }

  void Put(std::string_view part) {
    std::memcpy(Room(part.size()), part.data(), part.size());
    at_ += part.size();
  }

  void Number(ULONG value) {
    char digits[10];
    int n = 0;
    do {
      digits[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    char* out = Room(10);
    while (n > 0) *out++ = digits[--n];
    Advance(out);
  }

  // Wide writes zero-terminated UTF-16 of at most `units` code units as the text of a JSON string.
  void Wide(const WCHAR* text, ULONG units) { Advance(PutUtf8(text, Room(static_cast<std::size_t>(units) * 6), true)); }

  // Narrow writes UTF-8 as the text of a JSON string.
  void Narrow(std::string_view text) {
    char* out = Room(text.size() * 6);
    for (char c : text) {
      const auto u = static_cast<unsigned char>(c);
      if (u < 0x20 || u == '"' || u == '\\') {
        out = PutEscaped(u, out);
      } else {
        *out++ = c;
      }
    }
    Advance(out);
  }

  std::string Take() {
    text_.resize(at_);
    return std::move(text_);
  }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

// IdIndex finds, per property ID, the document's entries with that ID in document order. IDs close together
// (the usual case) index a table directly, which a load walking the vault reads in order; others go through a
// hash table of eight-byte slots.
class IdIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  explicit IdIndex(const std::vector<Entry>& entries) : next_(entries.size(), kEnd) {
    if (entries.empty()) return;
    ULONG low = entries[0].id;
    ULONG high = entries[0].id;
    for (const Entry& entry : entries) {
      low = std::min(low, entry.id);
      high = std::max(high, entry.id);
    }
    if (static_cast<std::size_t>(high - low) < entries.size() * 4 + 64) {
      low_ = low;
      heads_.assign(static_cast<std::size_t>(high - low) + 1, kEnd);
      for (std::size_t i = entries.size(); i-- > 0;) {
        std::uint32_t& head = heads_[entries[i].id - low];
        next_[i] = head;
        head = static_cast<std::uint32_t>(i);
      }
      return;
    }
    std::size_t capacity = 16;
    shift_ = 60;
    while (capacity < entries.size() * 2) {
      capacity *= 2;
      --shift_;
    }
    slots_.assign(capacity, Slot{});
    mask_ = capacity - 1;
    // Entries are linked from the last to the first, so each list starts with the first in the document.
    for (std::size_t i = entries.size(); i-- > 0;) {
      Slot& slot = slots_[Find(entries[i].id)];
      next_[i] = slot.head;
      slot.id = entries[i].id;
      slot.head = static_cast<std::uint32_t>(i);
      slot.filled = 1;
    }
  }

  // Take gives the first entry with `id` not yet taken, and takes it; kNone when there is none.
  std::size_t Take(ULONG id) {
    if (!heads_.empty()) {
      if (id < low_ || id - low_ >= heads_.size()) return kNone;
      std::uint32_t& head = heads_[id - low_];
      if (head == kEnd) return kNone;
      const std::size_t found = head;
      head = next_[found];
      return found;
    }
    if (slots_.empty()) return kNone;
    Slot& slot = slots_[Find(id)];
    if (slot.head == kEnd) return kNone;
    const std::size_t found = slot.head;
    slot.head = next_[found];
    return found;
  }

 private:
  static constexpr std::uint32_t kEnd = 0x7FFFFFFF;  // no entry (a document holds far fewer)

  struct Slot {
    ULONG id = 0;
    std::uint32_t head : 31;  // kEnd in a slot never filled, and in one whose entries were all taken
    std::uint32_t filled : 1;
    Slot() : head(kEnd), filled(0) {}
  };

  // Find gives the slot of `id`, or the empty slot where it would go (the table is never full).
  std::size_t Find(ULONG id) const {
    // The high bits of the product depend on every bit of the ID.
    std::size_t at = static_cast<std::size_t>((id * 0x9E3779B97F4A7C15ull) >> shift_);
    while (slots_[at].filled != 0 && slots_[at].id != id) at = (at + 1) & mask_;
    return at;
  }

  std::vector<std::uint32_t> heads_;  // the direct table, indexed by ID - low_
  ULONG low_ = 0;
  std::vector<Slot> slots_;  // the hash table
  std::vector<std::uint32_t> next_;
  std::size_t mask_ = 0;
  unsigned shift_ = 60;
};

// IsByteText: text of hexadecimal digit pairs, as the base property encodes value bytes.
bool IsByteText(std::string_view text) {
  if (text.size() % 2 != 0) return false;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c)) == 0) return false;
  }
  return true;
}

// DigitsOnly reads a text of 1 to 18 decimal digits and nothing else, the form a saved enumeration ID has.
bool DigitsOnly(std::string_view text, long long* value) {
  if (text.empty() || text.size() > 18) return false;
  long long v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

// Loader holds what loading entries reuses from one entry to the next.
struct Loader {
  std::vector<WCHAR> wide;

  ULONG LoadText(IQPropertySerializer* serializer, const Entry& entry) {
    if (entry.hasSize) serializer->SetDataSize(entry.size);
    Utf16Into(entry.value, &wide);
    return serializer->LoadDirectDataFromPreset(wide.data(), static_cast<ULONG>(wide.size() - 1));
  }

  // LoadChoice loads an enumeration's preset text into a scratch copy with an empty list, then selects what
  // it names on the live property. An enum's text of plain digits is read directly instead: its load into the
  // copy would list that one ID and select it, so the live property selects the ID the copy would give.
  ULONG LoadChoice(IQProperty* property, PropertyKind kind, const Entry& entry) {
    if (kind == PropertyKind::kEnum) {
      QRef<IQEnumProperty> typed = QueryAs<IQEnumProperty>(property, IID_IQEnumProperty);
      auto* live = static_cast<CQEnumProperty*>(typed.get());
      QDataType subType = kDataTypeUInt32;
      long long id = 0;
      if (live != nullptr && live->GetPropertySubDataType(&subType) == kResultOk && subType != kDataTypeEnum64 &&
          DigitsOnly(entry.value, &id)) {
        return live->SetCurSelById(static_cast<ULONG>(static_cast<unsigned long long>(id)));
      }
    }
    QRef<IQProperty> scratch;
    ULONG rc = property->CloneProperty(scratch.Put());
    if (rc != kResultOk) return rc;
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(scratch, IID_IQPropertySerializer);
    if (!serializer) return kResultNoInterface;
    switch (kind) {
      case PropertyKind::kEnum: {
        auto* copy = static_cast<CQEnumProperty*>(QueryAs<IQEnumProperty>(scratch, IID_IQEnumProperty).get());
        auto* live = static_cast<CQEnumProperty*>(QueryAs<IQEnumProperty>(property, IID_IQEnumProperty).get());
        copy->RemoveAllEnumStrings();
        if ((rc = LoadText(serializer.get(), entry)) != kResultOk) return rc;
        ULONG id = 0;
        if ((rc = copy->GetCurSelId(&id)) != kResultOk) return rc;
        return live->SetCurSelById(id);
      }
      case PropertyKind::kEnumLong: {
        auto* copy =
            static_cast<CQEnumLongProperty*>(QueryAs<IQEnumLongProperty>(scratch, IID_IQEnumLongProperty).get());
        auto* live =
            static_cast<CQEnumLongProperty*>(QueryAs<IQEnumLongProperty>(property, IID_IQEnumLongProperty).get());
        copy->RemoveAllEnumValuess();
        if ((rc = LoadText(serializer.get(), entry)) != kResultOk) return rc;
        ULONG value = 0;
        if ((rc = copy->GetCurSelLongValue(&value)) != kResultOk) return rc;
        return live->SetCurSelLongValue(value);
      }
      case PropertyKind::kRatio: {
        auto* copy = static_cast<CQRatioProperty*>(QueryAs<IQRatioProperty>(scratch, IID_IQRatioProperty).get());
        auto* live = static_cast<CQRatioProperty*>(QueryAs<IQRatioProperty>(property, IID_IQRatioProperty).get());
        copy->RemoveAllEnumStrings();
        if ((rc = LoadText(serializer.get(), entry)) != kResultOk) return rc;
        ULONG id = 0;
        ULONG customId = 0;
        ULONG numerator = 1;
        ULONG denominator = 0;
        ULONG oldNumerator = 1;
        ULONG oldDenominator = 0;
        if ((rc = copy->GetCurSelId(&id)) != kResultOk) return rc;
        live->GetCustomEuumId(&customId);
        live->GetCustomRatio(&oldNumerator, &oldDenominator);
        if (id == customId) {
          copy->GetCustomRatio(&numerator, &denominator);
          live->SetCustomRatio(numerator, denominator);
        }
        rc = live->SetCurSelById(id);
        if (rc != kResultOk) live->SetCustomRatio(oldNumerator, oldDenominator);
        return rc;
      }
      default: {  // extended enum: the load rebuilds the copy's list from the record
        auto* copy = static_cast<CQExEnumProperty*>(QueryAs<IQExEnumProperty>(scratch, IID_IQExEnumProperty).get());
        auto* live = static_cast<CQExEnumProperty*>(QueryAs<IQExEnumProperty>(property, IID_IQExEnumProperty).get());
        if ((rc = LoadText(serializer.get(), entry)) != kResultOk) return rc;
        ULONG id = 0;
        ULONG customId = 0;
        if ((rc = copy->GetCurSelId(&id)) != kResultOk) return rc;
        live->GetCustomEnumID(&customId);
        std::vector<unsigned char> custom;
        std::vector<unsigned char> oldCustom;
        ULONG size = 0;
        const bool customSelected = id == customId && copy->GetCurSelSubData(nullptr, &size) == kResultOk;
        if (customSelected) {
          custom.assign(size, 0);
          oldCustom.assign(size, 0);
          copy->GetCurSelSubData(custom.data(), &size);
          live->GetCustomData(oldCustom.data(), &size);
          live->SetDirectCustomData(custom.data(), size);
        }
        rc = live->SetCurSelById(id);
        if (rc != kResultOk && customSelected) live->SetDirectCustomData(oldCustom.data(), size);
        return rc;
      }
    }
  }

  ULONG LoadEntry(IQProperty* property, IQPropertySerializer* serializer, const Entry& entry) {
    QDataType type = kDataTypeBool;
    serializer->GetPropertyDataType(&type);
    if (entry.hasType && entry.type != static_cast<ULONG>(type)) return kResultInvalidArgument;
    const PropertyKind kind = KindOf(property);
    // These classes store the encoded bytes of their value and quietly keep it when the text is no such
    // encoding; a document entry that holds none is refused instead.
    if ((kind == PropertyKind::kExEnum || kind == PropertyKind::kGroup || kind == PropertyKind::kPlain) &&
        !IsByteText(entry.value)) {
      return kResultInvalidArgument;
    }
    ULONG rc = kResultOk;
    if (kind == PropertyKind::kEnum || kind == PropertyKind::kEnumLong || kind == PropertyKind::kRatio ||
        kind == PropertyKind::kExEnum) {
      rc = LoadChoice(property, kind, entry);
    } else {
      rc = LoadText(serializer, entry);
    }
    if (rc == kResultOk && entry.hasFlags) serializer->SetPropertyFlag(entry.flags);
    return rc;
  }
};

// AppendCarried appends an entry of an earlier document as the JSON library writes it inside the entries
// list (two levels deep).
void AppendCarried(const Json& entry, DocumentText* out) {
  const std::string text = entry.dump(2);
  out->Put("    ");
  std::size_t line = 0;
  for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', line)) {
    out->Put(std::string_view(text).substr(line, at + 1 - line));
    out->Put("    ");
    line = at + 1;
  }
  out->Put(std::string_view(text).substr(line));
}

}  // namespace

const char* OutcomeName(PresetOutcome outcome) {
  switch (outcome) {
    case PresetOutcome::kLoaded: return "loaded";
    case PresetOutcome::kRefused: return "refused";
    case PresetOutcome::kUnknownId: return "unknown id, skipped";
    case PresetOutcome::kMissing: return "missing from the document";
  }
  return "";
}

std::size_t PresetLoadReport::Count(PresetOutcome outcome) const {
  std::size_t n = 0;
  for (const PresetEntryReport& e : entries) n += e.outcome == outcome ? 1 : 0;
  return n;
}

// The document is written as the JSON library writes it with an indent of two: the same text, byte for byte.
std::string PresetDocument::Save(IQPropertyVault* vault, const std::string& earlier) {
  ULONG count = 0;
  vault->GetPropertyInfoCount(&count);
  DocumentText out(256 + static_cast<std::size_t>(count) * 160);
  out.Put("{\n  \"format\": \"");
  out.Put(kFormat);
  out.Put("\",\n  \"version\": \"");
  out.Narrow(VersionOf(vault));
  out.Put("\",\n  \"entries\": [");
  bool any = false;
  std::vector<WCHAR> buffer(64, 0);
  for (ULONG i = 0; i < count; ++i) {
    QRef<IQProperty> property;
    if (vault->GetPropertyInfoByIndex(i, property.Put()) != kResultOk) continue;
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(property, IID_IQPropertySerializer);
    if (!serializer) continue;
    ULONG id = 0;
    ULONG group = 0;
    ULONG flags = 0;
    ULONG size = 0;
    QDataType type = kDataTypeBool;
    serializer->GetPropertyID(&id);
    serializer->GetPropertyGroupID(&group);
    serializer->GetPropertyFlags(&flags);
    serializer->GetPropertyDataType(&type);
    serializer->GetDataSize(&size);
    out.Put(any ? ",\n    {\n      \"name\": \"" : "\n    {\n      \"name\": \"");
    any = true;
    const ULONG nameUnits = NameUnits(property.get(), &buffer);
    out.Wide(buffer.data(), nameUnits);
    out.Put("\",\n      \"id\": ");
    out.Number(id);
    out.Put(",\n      \"group\": ");
    out.Number(group);
    out.Put(",\n      \"flags\": ");
    out.Number(flags);
    out.Put(",\n      \"type\": ");
    out.Number(static_cast<ULONG>(type));
    out.Put(",\n      \"size\": ");
    out.Number(size);
    out.Put(",\n      \"value\": \"");
    // Some classes count bytes, others code units: length + 1 units hold either.
    ULONG length = 0;
    if (serializer->GetPropertyDataToSave(nullptr, &length) == kResultOk && length != 0) {
      const ULONG units = length;  // the text ends at a zero no later than here
      serializer->GetPropertyDataToSave(Units(&buffer, length), &length);
      out.Wide(buffer.data(), units);
    }
    out.Put("\"\n    }");
  }
  if (!earlier.empty()) {
    std::string version;
    std::vector<Entry> known;
    std::deque<std::string> storage;
    DocumentError ignored;
    const Json previous = Json::parse(earlier, nullptr, false);
    if (ReadDocument(earlier, &version, &known, &storage, &ignored)) {
      for (const Json& entry : previous["entries"]) {
        QRef<IQProperty> found;
        if (vault->GetPropertyInfoByID(entry["id"].get<ULONG>(), found.Put()) == kResultOk) continue;
        out.Put(any ? ",\n" : "\n");
        any = true;
        AppendCarried(entry, &out);
      }
    }
  }
  out.Put(any ? "\n  ]\n}\n" : "]\n}\n");
  return out.Take();
}

bool PresetDocument::Load(const std::string& text, IQPropertyVault* vault, PresetLoadReport* report,
                          DocumentError* error) {
  std::vector<Entry> entries;
  std::deque<std::string> storage;
  report->entries.clear();
  report->documentVersion.clear();
  EntryCollector collector(&report->documentVersion, &entries, &storage);
  if (!Json::sax_parse(text, &collector) || !collector.Complete()) {
    entries.clear();
    storage.clear();
    report->documentVersion.clear();
    if (!ReadDocument(text, &report->documentVersion, &entries, &storage, error)) return false;
  }
  report->vaultVersion = VersionOf(vault);
  ULONG count = 0;
  vault->GetPropertyInfoCount(&count);
  report->entries.reserve(static_cast<std::size_t>(count) + entries.size());
  IdIndex index(entries);
  std::vector<bool> used(entries.size(), false);
  std::vector<WCHAR> buffer(64, 0);
  std::vector<char> name(64, 0);
  Loader loader;
  for (ULONG i = 0; i < count; ++i) {
    QRef<IQProperty> property;
    if (vault->GetPropertyInfoByIndex(i, property.Put()) != kResultOk) continue;
    QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(property, IID_IQPropertySerializer);
    if (!serializer) continue;
    PresetEntryReport line;
    const ULONG nameUnits = NameUnits(property.get(), &buffer);
    if (name.size() < static_cast<std::size_t>(nameUnits) * 3) name.resize(static_cast<std::size_t>(nameUnits) * 3);
    line.name.assign(name.data(), PutUtf8(buffer.data(), name.data(), false));
    line.id = PropertyIdOf(property.get());
    const std::size_t match = index.Take(line.id);
    if (match == IdIndex::kNone) {
      line.outcome = PresetOutcome::kMissing;
    } else {
      used[match] = true;
      line.code = loader.LoadEntry(property.get(), serializer.get(), entries[match]);
      line.outcome = line.code == kResultOk ? PresetOutcome::kLoaded : PresetOutcome::kRefused;
    }
    report->entries.push_back(std::move(line));
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (used[i]) continue;
    PresetEntryReport line;
    line.outcome = PresetOutcome::kUnknownId;
    line.name = std::string(entries[i].name);
    line.id = entries[i].id;
    report->entries.push_back(std::move(line));
  }
  return true;
}

}  // namespace host
}  // namespace Quenneth
