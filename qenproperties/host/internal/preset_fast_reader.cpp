#include "qenproperties/host/internal/preset_fast_reader.h"

#include <simdjson.h>

#include <cstdint>
#include <cstring>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

using namespace preset_keys;

using simdjson::dom::element;

// Seen marks `bit` in `seen`; false for an unknown key (bit 0) or one met before.
bool Seen(unsigned bit, unsigned* seen) {
  if (bit == 0 || (*seen & bit) != 0) return false;
  *seen |= bit;
  return true;
}

// Text reads a string without a NUL.
bool Text(element value, std::string_view* text) {
  return value.get_string().get(*text) == simdjson::SUCCESS && text->find('\0') == std::string_view::npos;
}

// Whole reads a whole number from 0 to 4294967295 (not -0: see WritesMinusZero).
bool Whole(element value, ULONG* word) {
  std::uint64_t number = 0;
  if (value.get_uint64().get(number) != simdjson::SUCCESS || number > 0xFFFFFFFFull) return false;
  *word = static_cast<ULONG>(number);
  return true;
}

bool Entry(element item, PresetEntry* entry) {
  simdjson::dom::object object;
  if (item.get_object().get(object) != simdjson::SUCCESS) return false;
  unsigned seen = 0;
  for (simdjson::dom::key_value_pair field : object) {
    const unsigned bit = EntryBit(field.key);
    if (!Seen(bit, &seen)) return false;
    std::string_view text;
    ULONG word = 0;
    switch (bit) {
      case kName:
        if (!Text(field.value, &text)) return false;
        entry->name.emplace(text);
        break;
      case kValue:
        if (!Text(field.value, &text)) return false;
        entry->value.assign(text);
        break;
      default:
        if (!Whole(field.value, &word)) return false;
        if (bit == kId) entry->id = word;
        if (bit == kGroup) entry->group = word;
        if (bit == kFlags) entry->flags = word;
        if (bit == kType) entry->type = word;
        if (bit == kSize) entry->size = word;
    }
  }
  return (seen & kId) != 0 && (seen & kValue) != 0;
}

// EscapesSurrogate: the text writes a UTF-16 surrogate as an escape ("\ud83d"), which only the event reader
// judges (alone or paired).
bool EscapesSurrogate(std::string_view text) {
  for (std::size_t at = text.find("\\u"); at != std::string_view::npos; at = text.find("\\u", at + 2)) {
    if (at + 3 < text.size() && (text[at + 2] == 'd' || text[at + 2] == 'D')) {
      const char next = text[at + 3];
      if ((next >= '8' && next <= '9') || (next >= 'a' && next <= 'f') || (next >= 'A' && next <= 'F')) return true;
    }
  }
  return false;
}

// WritesMinusZero: the text may hold the number -0 (after a colon, comma or bracket, with no digit, point or
// exponent after it), which the SIMD parser reads as the whole number 0 and the event reader as a signed one.
// A "-0" inside a string may match too; such a document only takes the slower road.
bool WritesMinusZero(std::string_view text) {
  for (std::size_t at = text.find("-0"); at != std::string_view::npos; at = text.find("-0", at + 2)) {
    const char after = at + 2 < text.size() ? text[at + 2] : ' ';
    if ((after >= '0' && after <= '9') || after == '.' || after == 'e' || after == 'E') continue;
    std::size_t before = at;
    while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t' || text[before - 1] == '\n' ||
                          text[before - 1] == '\r')) {
      --before;
    }
    if (before > 0 && (text[before - 1] == ':' || text[before - 1] == ',' || text[before - 1] == '[')) return true;
  }
  return false;
}

}  // namespace

bool FastReaderBuiltIn() { return true; }

bool ReadPresetFast(std::string_view text, PresetContent* content) {
  if (EscapesSurrogate(text) || WritesMinusZero(text)) return false;
  // One parser per thread, kept: its buffers (several times the largest document the thread has read) are
  // allocated once instead of for every document, which would touch fresh pages each time. The parser reads
  // past the end of its input, so the text is copied into its padded buffer.
  thread_local simdjson::dom::parser parser;
  element root;
  if (parser.parse(text.data(), text.size(), true).get(root) != simdjson::SUCCESS) return false;
  simdjson::dom::object object;
  if (root.get_object().get(object) != simdjson::SUCCESS) return false;
  unsigned seen = 0;
  for (simdjson::dom::key_value_pair field : object) {
    const unsigned bit = RootBit(field.key);
    if (!Seen(bit, &seen)) return false;
    std::string_view value;
    if (bit == kFormat) {
      if (!Text(field.value, &value) || value != kPresetFormat) return false;
    } else if (bit == kVersion) {
      if (!Text(field.value, &value)) return false;
      content->version.emplace(value);
    } else {
      simdjson::dom::array list;
      if (field.value.get_array().get(list) != simdjson::SUCCESS) return false;
      content->entries.reserve(list.size());
      for (element item : list) {
        content->entries.emplace_back();
        if (!Entry(item, &content->entries.back())) return false;
      }
    }
  }
  return (seen & kFormat) != 0 && (seen & kEntries) != 0;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
