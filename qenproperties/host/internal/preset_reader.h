// preset_reader.h: reading a preset document's text into its entries (internal).
//
// A preset document is a JSON object:
//   {"format": "qenprops-preset", "version": "2", "entries": [
//      {"name": "Width", "id": 207, "group": 200, "flags": 9, "type": 3, "size": 4, "value": "1280"}, ...]}
// "format" and "entries" are required, "version" is optional; every entry needs "id" (a whole number from 0
// to 4294967295) and "value" (the property's preset text); "name" (a text) and "group", "flags", "type",
// "size" (whole numbers like "id") are optional.
//
// The reading is strict: a key that is none of these, a key given twice in one object, a value of another
// JSON type, and two entries with one ID are each an error at their JSON pointer; a syntax error, a NUL and
// nesting deeper than the cap are errors at their line and column; a text over the size cap is an error
// before anything is read. No tree is built: a well-formed document is read by a SIMD JSON parser
// (preset_fast_reader.h), and any other text by the JSON library's event interface, which names the problem.
#ifndef QENPROPERTIES_HOST_INTERNAL_PRESET_READER_H_
#define QENPROPERTIES_HOST_INTERNAL_PRESET_READER_H_

#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/document_error.h"
#include "qenproperties/host/internal/id_index.h"
#include "qenproperties/host/internal/json_bounds.h"

namespace Quenneth {
namespace host {
namespace detail {

constexpr const char* kPresetFormat = "qenprops-preset";

// The keys of the document and of an entry, each with its bit in a mask of the keys seen; RootBit and EntryBit
// give a key's bit, 0 for a key that is none of them. Both readers take them from here.
namespace preset_keys {

enum RootKey : unsigned { kFormat = 1, kVersion = 2, kEntries = 4 };
enum EntryKey : unsigned { kName = 1, kId = 2, kGroup = 4, kFlags = 8, kType = 16, kSize = 32, kValue = 64 };

inline unsigned RootBit(std::string_view key) {
  if (key == "format") return kFormat;
  if (key == "version") return kVersion;
  if (key == "entries") return kEntries;
  return 0;
}

// EntryBit is read for every key of every entry: it compares by length first.
inline unsigned EntryBit(std::string_view key) {
  static constexpr std::string_view kKeys[] = {"name", "id", "group", "flags", "type", "size", "value"};
  for (unsigned i = 0; i < 7; ++i) {
    if (key.size() == kKeys[i].size() && key == kKeys[i]) return 1u << i;
  }
  return 0;
}

}  // namespace preset_keys

// PresetEntry: one entry of a document. `given` holds the preset_keys::EntryKey bits of the keys it gives; a
// number it does not give reads 0, a text "". Its texts are views into what the PresetContent that holds it
// keeps, so an entry is only good while that content lives.
struct PresetEntry {
  ULONG id = 0;
  ULONG group = 0;
  ULONG flags = 0;
  ULONG type = 0;
  ULONG size = 0;
  unsigned given = 0;
  std::string_view name;
  std::string_view value;

  bool Has(unsigned key) const { return (given & key) != 0; }
};

// PresetContent: a document's entries, and the texts they view. A document of many entries takes a few
// allocations, not one or two per entry: the fast road's texts stay where its parser put them (the content
// holds that parser until it is destroyed), and the event reader's are kept one by one. It moves but cannot be
// copied (the copies' entries would view the first one's texts).
class PresetContent {
 public:
  // Storage: memory the content holds for its texts, and how to give it back.
  struct Storage {
    void* memory = nullptr;
    void (*release)(void* memory) = nullptr;
  };

  PresetContent() = default;
  PresetContent(PresetContent&& other) noexcept;
  PresetContent& operator=(PresetContent&& other) noexcept;
  PresetContent(const PresetContent&) = delete;
  PresetContent& operator=(const PresetContent&) = delete;
  ~PresetContent();

  // Keep moves `text` into the content and gives its view there, good for the content's life.
  std::string_view Keep(std::string text);
  // Adopt appends a copy of `entry` (of another content) with its texts.
  void Adopt(const PresetEntry& entry);
  // Hold keeps `storage` until the content is destroyed or assigned, then releases it.
  void Hold(Storage storage);

  std::optional<std::string> version;
  std::vector<PresetEntry> entries;
  IdIndex index;  // the entries by ID

 private:
  void Release();

  std::forward_list<std::string> texts_;  // its nodes never move, so views into their strings stay good
  Storage storage_;
};

// ReadPresetDocument reads `text`; false with `error` for a text that is no preset document (and `content`
// then holds nothing of use). `readable`, when more than the text's size, is how many bytes from its start may
// be read (a string's capacity): the fast road then reads the text in place (see ReadPresetFast).
bool ReadPresetDocument(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error,
                        std::size_t readable = 0);

// ReadPresetEvents is ReadPresetDocument without the fast road: the event reader alone, which every text the
// fast road does not take goes to (tests compare the two).
bool ReadPresetEvents(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PRESET_READER_H_
