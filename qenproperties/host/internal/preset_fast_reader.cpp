#include "qenproperties/host/internal/preset_fast_reader.h"

#include <simdjson.h>

#include <cstdint>
#include <cstring>
#include <memory>

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

// Text reads a string (a text holding a NUL never reaches the parser).
bool Text(element value, std::string_view* text) { return value.get_string().get(*text) == simdjson::SUCCESS; }

// Whole reads a whole number from 0 to 4294967295 (not -0: see MinusZeroAt).
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
    ULONG word = 0;
    switch (bit) {
      case kName:
        if (!Text(field.value, &entry->name)) return false;
        break;
      case kValue:
        if (!Text(field.value, &entry->value)) return false;
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
  entry->given = seen;
  return (seen & kId) != 0 && (seen & kValue) != 0;
}

// EscapeJudgedApart: the backslash at `at` writes a NUL ("\u0000") or a UTF-16 surrogate ("\ud83d") as an escape,
// which only the event reader judges (the first is placed by its line and column, the second read alone or
// paired). The second backslash of an escaped one may match too; such a document only takes the slower road.
bool EscapeJudgedApart(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size() || text[at + 1] != 'u') return false;
  const std::string_view code = text.substr(at + 2, 4);
  if (code == "0000") return true;
  if (code.size() < 2 || (code[0] != 'd' && code[0] != 'D')) return false;
  const char next = code[1];
  return (next >= '8' && next <= '9') || (next >= 'a' && next <= 'f') || (next >= 'A' && next <= 'F');
}

// MinusZeroAt: the "-" at `at` may begin the number -0 (after a colon, comma or bracket, with no digit, point or
// exponent after it), which the SIMD parser reads as the whole number 0 and the event reader as a signed one.
// A "-0" inside a string may match too; such a document only takes the slower road.
bool MinusZeroAt(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size() || text[at + 1] != '0') return false;
  const char after = at + 2 < text.size() ? text[at + 2] : ' ';
  if ((after >= '0' && after <= '9') || after == '.' || after == 'e' || after == 'E') return false;
  std::size_t before = at;
  while (before > 0 && (text[before - 1] == ' ' || text[before - 1] == '\t' || text[before - 1] == '\n' ||
                        text[before - 1] == '\r')) {
    --before;
  }
  return before > 0 && (text[before - 1] == ':' || text[before - 1] == ',' || text[before - 1] == '[');
}

// LeftToEventReader: the text holds what the two parsers judge apart: a NUL byte, an escape as above, or -0.
// It is looked over once, in blocks small enough to stay in the cache while each is searched for all three: a
// document larger than the caches is then read from memory once rather than three times, and no string needs a
// look of its own after parsing.
bool LeftToEventReader(std::string_view text) {
  constexpr std::size_t kBlock = std::size_t{1} << 15;
  for (std::size_t start = 0; start < text.size(); start += kBlock) {
    const std::string_view block = text.substr(start, kBlock);
    if (block.find('\0') != std::string_view::npos) return true;
    for (std::size_t at = block.find('\\'); at != std::string_view::npos; at = block.find('\\', at + 1)) {
      if (EscapeJudgedApart(text, start + at)) return true;
    }
    for (std::size_t at = block.find('-'); at != std::string_view::npos; at = block.find('-', at + 1)) {
      if (MinusZeroAt(text, start + at)) return true;
    }
  }
  return false;
}

// The parser of this thread that no content holds. A content holds the parser that read it, whose buffers its
// entries' texts view, until it is destroyed, and the parser then comes back here for the thread's next
// document: its buffers (several times the largest document read) are allocated once rather than for every
// document, which would touch fresh pages each time. A document read while another's content lives takes a
// parser of its own.
thread_local std::unique_ptr<simdjson::dom::parser> idleParser;

void GiveBack(void* memory) {
  std::unique_ptr<simdjson::dom::parser> parser(static_cast<simdjson::dom::parser*>(memory));
  if (!idleParser) idleParser = std::move(parser);
}

}  // namespace

bool FastReaderBuiltIn() { return true; }

bool ReadPresetFast(std::string_view text, std::size_t readable, PresetContent* content) {
  if (LeftToEventReader(text)) return false;
  std::unique_ptr<simdjson::dom::parser> parser = std::move(idleParser);
  if (!parser) parser = std::make_unique<simdjson::dom::parser>();
  simdjson::dom::parser& reader = *parser;
  content->Hold(PresetContent::Storage{parser.release(), &GiveBack});
  // The parser reads past the end of its input: a text without room for that after it is copied into the
  // parser's padded buffer first, which for a large document is another pass over memory the caches do not hold.
  const bool inPlace = readable >= text.size() + simdjson::SIMDJSON_PADDING;
  element root;
  if (reader.parse(text.data(), text.size(), !inPlace).get(root) != simdjson::SUCCESS) return false;
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
