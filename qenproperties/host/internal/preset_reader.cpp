#include "qenproperties/host/internal/preset_reader.h"

#include <algorithm>

#include "qenproperties/host/internal/preset_fast_reader.h"

#include <nlohmann/json.hpp>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

using namespace preset_keys;

using Json = nlohmann::json;

// Pointer gives a key as a step of a JSON pointer: "/" and its token.
std::string Pointer(const std::string& key) { return "/" + PointerToken(key); }

// Collector reads the document through the JSON library's event interface straight into entries. It stops at
// the first thing that is not a preset document, with the error at its JSON pointer; the library itself
// reports syntax errors, at their byte.
class Collector {
 public:
  Collector(std::string_view text, PresetContent* content) : text_(text), content_(content) {}

  const DocumentError& Error() const { return error_; }
  // SawNul: a text held a NUL, which the reader then places by its line and column.
  bool SawNul() const { return sawNul_; }

  bool null() { return Wrong(); }
  bool boolean(bool /*value*/) { return Wrong(); }
  bool number_integer(Json::number_integer_t /*value*/) { return Wrong(); }
  bool number_float(Json::number_float_t /*value*/, const Json::string_t& /*text*/) { return Wrong(); }
  bool binary(Json::binary_t& /*value*/) { return Wrong(); }
  bool number_unsigned(Json::number_unsigned_t value) {
    if (level_ != kInEntry || (bit_ & (kId | kGroup | kFlags | kType | kSize)) == 0 || value > 0xFFFFFFFFull) {
      return Wrong();
    }
    const auto word = static_cast<ULONG>(value);
    switch (bit_) {
      case kId: entry_.id = word; break;
      case kGroup: entry_.group = word; break;
      case kFlags: entry_.flags = word; break;
      case kType: entry_.type = word; break;
      default: entry_.size = word; break;
    }
    return true;
  }
  bool string(Json::string_t& value) {
    if (value.find('\0') != std::string::npos) sawNul_ = true;
    if (level_ == kInRoot && bit_ == kFormat) {
      if (value == kPresetFormat) return true;
      return Fail(Pointer(key_), std::string("expected \"") + kPresetFormat + "\", the format of a preset document");
    }
    if (level_ == kInRoot && bit_ == kVersion) {
      content_->version = std::move(value);
      return true;
    }
    if (level_ == kInEntry && bit_ == kName) {
      entry_.name = content_->Keep(std::move(value));
      return true;
    }
    if (level_ == kInEntry && bit_ == kValue) {
      entry_.value = content_->Keep(std::move(value));
      return true;
    }
    return Wrong();
  }
  bool key(Json::string_t& value) {
    if (value.find('\0') != std::string::npos) sawNul_ = true;
    key_ = std::move(value);
    if (level_ == kInRoot) return Key(RootBit(key_), "a preset document", &rootSeen_, "");
    return Key(EntryBit(key_), "an entry", &entrySeen_, EntryPointer());
  }
  bool start_object(std::size_t /*size*/) {
    if (level_ == kOutside) {
      level_ = kInRoot;
      return true;
    }
    if (level_ == kInEntries) {
      level_ = kInEntry;
      entry_ = PresetEntry();
      entrySeen_ = 0;
      return true;
    }
    return Wrong();
  }
  bool end_object() {
    if (level_ == kInEntry) {
      if ((entrySeen_ & kId) == 0) return Fail(EntryPointer(), "the entry has no \"id\"");
      if ((entrySeen_ & kValue) == 0) return Fail(EntryPointer(), "the entry has no \"value\"");
      entry_.given = entrySeen_;
      content_->entries.push_back(entry_);
      level_ = kInEntries;
      return true;
    }
    level_ = kOutside;
    if ((rootSeen_ & kFormat) == 0) {
      return Fail("", std::string("a preset document has \"format\": \"") + kPresetFormat + "\"");
    }
    if ((rootSeen_ & kEntries) == 0) return Fail("", "a preset document has \"entries\", a list");
    return true;
  }
  bool start_array(std::size_t /*size*/) {
    if (level_ == kInRoot && bit_ == kEntries) {
      level_ = kInEntries;
      return true;
    }
    return Wrong();
  }
  bool end_array() {
    level_ = kInRoot;
    return true;
  }
  bool parse_error(std::size_t position, const std::string& /*token*/, const nlohmann::detail::exception& e) {
    error_ = ErrorAt(text_, position == 0 ? 0 : position - 1, ParseErrorMessage(e.what()));
    return false;
  }

 private:
  enum Level { kOutside, kInRoot, kInEntries, kInEntry };

  std::string EntryPointer() const { return "/entries/" + std::to_string(content_->entries.size()); }

  bool Fail(const std::string& pointer, const std::string& message) {
    error_ = DocumentError{};
    error_.pointer = pointer.empty() ? "/" : pointer;
    error_.message = message;
    return false;
  }

  bool Key(unsigned bit, const char* what, unsigned* seen, const std::string& at) {
    bit_ = bit;
    if (bit == 0) return Fail(at + Pointer(key_), std::string(what) + " has no key \"" + key_ + "\"");
    if ((*seen & bit) != 0) return Fail(at + Pointer(key_), "\"" + key_ + "\" is given twice");
    *seen |= bit;
    return true;
  }

  // Wrong refuses a value that is not what its place holds.
  bool Wrong() {
    switch (level_) {
      case kOutside: return Fail("", "a preset document is a JSON object");
      case kInEntries: return Fail(EntryPointer(), "an entry is a JSON object");
      case kInEntry:
        return Fail(EntryPointer() + Pointer(key_), bit_ == kName || bit_ == kValue
                                                        ? "expected a text"
                                                        : "expected a whole number from 0 to 4294967295");
      default:
        return Fail(Pointer(key_), bit_ == kEntries  ? "expected a list of entries"
                                   : bit_ == kFormat ? std::string("expected \"") + kPresetFormat + "\""
                                                     : "expected a text");
    }
  }

  std::string_view text_;
  PresetContent* content_;
  DocumentError error_;
  Level level_ = kOutside;
  std::string key_;
  unsigned bit_ = 0;
  unsigned rootSeen_ = 0;
  unsigned entrySeen_ = 0;
  bool sawNul_ = false;
  PresetEntry entry_;
};

}  // namespace

PresetContent::PresetContent(PresetContent&& other) noexcept
    : version(std::move(other.version)),
      entries(std::move(other.entries)),
      index(std::move(other.index)),
      texts_(std::move(other.texts_)),
      storage_(other.storage_) {
  other.storage_ = Storage{};
}

PresetContent& PresetContent::operator=(PresetContent&& other) noexcept {
  if (this == &other) return *this;
  Release();
  version = std::move(other.version);
  entries = std::move(other.entries);
  index = std::move(other.index);
  texts_ = std::move(other.texts_);
  storage_ = other.storage_;
  other.storage_ = Storage{};
  return *this;
}

PresetContent::~PresetContent() { Release(); }

std::string_view PresetContent::Keep(std::string text) {
  texts_.push_front(std::move(text));
  return texts_.front();
}

void PresetContent::Adopt(const PresetEntry& entry) {
  PresetEntry copy = entry;
  copy.name = Keep(std::string(entry.name));
  copy.value = Keep(std::string(entry.value));
  entries.push_back(copy);
}

void PresetContent::Hold(Storage storage) {
  Release();
  storage_ = storage;
}

void PresetContent::Release() {
  if (storage_.release != nullptr) storage_.release(storage_.memory);
  storage_ = Storage{};
}

namespace {

// IndexEntries builds the index of the entries by ID; false with the error at the second of two entries with
// one ID.
bool IndexEntries(PresetContent* content, DocumentError* error) {
  const std::vector<PresetEntry>& entries = content->entries;
  const std::size_t twice = content->index.Build(entries.size(), [&entries](std::size_t i) { return entries[i].id; });
  if (twice == IdIndex::kNone) return true;
  const ULONG id = entries[twice].id;
  const std::size_t first = content->index.Find(id);
  *error = DocumentError{};
  error->pointer = "/entries/" + std::to_string(twice) + "/id";
  error->message = "the property ID " + std::to_string(id) + " is the ID of /entries/" + std::to_string(first) +
                   " too: a document holds one entry per property";
  return false;
}

}  // namespace

bool ReadPresetEvents(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error) {
  *content = PresetContent();
  // The size is checked first. Depth and NULs are not scanned for before parsing: the collector takes no value
  // nested deeper than an entry's, and notes a NUL in any text. When reading fails or met a NUL, the scan of
  // the caps places a NUL or a depth beyond the cap by its line and column, before any other error.
  if (text.size() > bounds.maxBytes) return CheckJsonBounds(text, bounds, error);
  Collector collector(text, content);
  if (!Json::sax_parse(text.begin(), text.end(), &collector)) {
    if (!CheckJsonBounds(text, bounds, error)) return false;
    *error = collector.Error();
    return false;
  }
  if (collector.SawNul() && !CheckJsonBounds(text, bounds, error)) return false;
  return IndexEntries(content, error);
}

// A well-formed document within the size cap takes the fast road (nesting past an entry's, and a NUL, it
// leaves to this one); anything else is read by the event reader, which places the problem.
bool ReadPresetDocument(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error,
                        std::size_t readable) {
  *content = PresetContent();
  if (text.size() <= bounds.maxBytes && ReadPresetFast(text, std::max(readable, text.size()), content)) {
    return IndexEntries(content, error);
  }
  return ReadPresetEvents(text, bounds, content, error);
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
