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

struct PresetEntry {
  std::optional<std::string> name;
  ULONG id = 0;
  std::optional<ULONG> group;
  std::optional<ULONG> flags;
  std::optional<ULONG> type;
  std::optional<ULONG> size;
  std::string value;
};

struct PresetContent {
  std::optional<std::string> version;
  std::vector<PresetEntry> entries;
  IdIndex index;  // the entries by ID
};

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

// ReadPresetDocument reads `text`; false with `error` for a text that is no preset document (and `content`
// then holds nothing of use).
bool ReadPresetDocument(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error);

// ReadPresetEvents is ReadPresetDocument without the fast road: the event reader alone, which every text the
// fast road does not take goes to (tests compare the two).
bool ReadPresetEvents(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PRESET_READER_H_
