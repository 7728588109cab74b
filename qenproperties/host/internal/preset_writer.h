// preset_writer.h: PresetWriter, the text of a preset document, written entry by entry into one buffer
// (internal).
//
// The text is what the JSON library writes for the document with an indent of two, byte for byte, so a document
// written here, read and written again, is the same text. See preset_reader.h for the format.
//
//   PresetWriter writer("2", count);
//   writer.Add(name, id, group, flags, type, size, value);   // a property's entry
//   writer.Add(carried);                                     // an entry read from an earlier document
//   std::string text = writer.Finish();
#ifndef QENPROPERTIES_HOST_INTERNAL_PRESET_WRITER_H_
#define QENPROPERTIES_HOST_INTERNAL_PRESET_WRITER_H_

#include <cstddef>
#include <string>
#include <string_view>

#include "qenproperties/frame/types.h"
#include "qenproperties/host/internal/preset_reader.h"

namespace Quenneth {
namespace host {
namespace detail {

class PresetWriter {
 public:
  // `entries` is how many entries are likely to come, so the buffer rarely grows.
  PresetWriter(std::string_view version, std::size_t entries);

  // Add writes a property's entry; its name and value are zero-terminated UTF-16, converted as the library's
  // codec converts in its replacing mode.
  void Add(const WCHAR* name, ULONG id, ULONG group, ULONG flags, ULONG type, ULONG size, const WCHAR* value);
  // Add writes the fields the entry has, in the order above.
  void Add(const PresetEntry& entry);
  // Finish closes the document (ending with a newline) and gives its text; the writer is then empty.
  std::string Finish();

  // Key: a field's key as written first in its entry and after another field, up to its value (the opening
  // quote of a text included), so a field is one copy of its key and then its value.
  struct Key {
    std::string_view first;
    std::string_view next;
  };

 private:
  // Room makes room for `n` more bytes and gives where they go; Advance then moves past what was written. The
  // text is written through a pointer into one buffer that doubles when it must: a document of ten thousand
  // entries is a few allocations.
  char* Room(std::size_t n);
  void Advance(const char* end) { at_ = static_cast<std::size_t>(end - text_.data()); }
  void Put(std::string_view part);
  void Open();
  void Field(const Key& key, ULONG number);
  void Field(const Key& key, std::string_view text);
  void Field(const Key& key, const WCHAR* text);
  void Close() { Put("\n    }"); }

  std::string text_;
  std::size_t at_ = 0;
  std::string scratch_;  // a text that is not all ASCII, converted before it is escaped
  bool any_ = false;
  bool firstField_ = true;
};

// PutJsonString writes `text` (UTF-8) as the inside of a JSON string, escaped as the JSON library escapes, at
// `out`, which has room for 6 bytes per byte of text; gives the end.
char* PutJsonString(std::string_view text, char* out);

}  // namespace detail
}  // namespace host
}  // namespace Quenneth

#endif  // QENPROPERTIES_HOST_INTERNAL_PRESET_WRITER_H_
