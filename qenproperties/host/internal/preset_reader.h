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
// before anything is read. No tree is built: the entries are read as the text is parsed, so the reader can be
// replaced by a faster one behind this one function.
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

// ReadPresetDocument reads `text`; false with `error` for a text that is no preset document (and `content`
// then holds nothing of use).
bool ReadPresetDocument(std::string_view text, const JsonBounds& bounds, PresetContent* content, DocumentError* error);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PRESET_READER_H_
