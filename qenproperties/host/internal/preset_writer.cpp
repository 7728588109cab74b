#include "qenproperties/host/internal/preset_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "qenproperties/foundation/string_utils.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

using Key = PresetWriter::Key;
const Key kName = {"\n      \"name\": \"", ",\n      \"name\": \""};
const Key kId = {"\n      \"id\": ", ",\n      \"id\": "};
const Key kGroup = {"\n      \"group\": ", ",\n      \"group\": "};
const Key kFlags = {"\n      \"flags\": ", ",\n      \"flags\": "};
const Key kType = {"\n      \"type\": ", ",\n      \"type\": "};
const Key kSize = {"\n      \"size\": ", ",\n      \"size\": "};
const Key kValue = {"\n      \"value\": \"", ",\n      \"value\": \""};

}  // namespace

char* PutJsonString(std::string_view text, char* out) {
  static const char kHex[] = "0123456789abcdef";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && c != '"' && c != '\\') {
      *out++ = c;
      continue;
    }
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
        *out++ = kHex[u >> 4];
        *out++ = kHex[u & 0xF];
    }
  }
  return out;
}

PresetWriter::PresetWriter(std::string_view version, std::size_t entries) {
  text_.resize(256 + entries * 192);  // an entry of a short name and value is about 160 bytes
  Put("{\n  \"format\": \"");
  Put(kPresetFormat);
  Put("\",\n  \"version\": \"");
  Advance(PutJsonString(version, Room(version.size() * 6)));
  Put("\",\n  \"entries\": [");
}

char* PresetWriter::Room(std::size_t n) {
  if (text_.size() - at_ < n) text_.resize(std::max(text_.size() * 2, at_ + n));
  return &text_[at_];
}

void PresetWriter::Put(std::string_view part) {
  std::memcpy(Room(part.size()), part.data(), part.size());
  at_ += part.size();
}

void PresetWriter::Open() {
  Put(any_ ? ",\n    {" : "\n    {");
  any_ = true;
  firstField_ = true;
}

void PresetWriter::Field(const Key& key, ULONG number) {
  Put(firstField_ ? key.first : key.next);
  firstField_ = false;
  char* out = Room(10);
  Advance(std::to_chars(out, out + 10, number).ptr);
}

void PresetWriter::Field(const Key& key, std::string_view value) {
  Put(firstField_ ? key.first : key.next);
  firstField_ = false;
  char* out = PutJsonString(value, Room(value.size() * 6 + 1));
  *out++ = '"';
  Advance(out);
}

// Most names and values are ASCII: they are copied and escaped straight into the document, in one pass. A text
// that is not goes through the codec first. Either way a code unit takes at most six bytes.
void PresetWriter::Field(const Key& key, const WCHAR* text) {
  const std::string_view prefix = firstField_ ? key.first : key.next;
  firstField_ = false;
  const std::size_t units = StringUtils::QWLen(text);
  char* out = Room(prefix.size() + units * 6 + 1);
  std::memcpy(out, prefix.data(), prefix.size());
  out += prefix.size();
  char* const start = out;
  bool ascii = true;
  for (std::size_t i = 0; i < units && ascii; ++i) {
    const WCHAR unit = text[i];
    const char c = static_cast<char>(unit);
    if (unit >= 0x80) {
      ascii = false;
    } else if (unit >= 0x20 && c != '"' && c != '\\') {
      *out++ = c;
    } else {
      out = PutJsonString(std::string_view(&c, 1), out);
    }
  }
  if (!ascii) {
    StringUtils::QUTF16ToUTF8(text, units, scratch_, QUtfErrors::kReplace);
    out = PutJsonString(scratch_, start);
  }
  *out++ = '"';
  Advance(out);
}

void PresetWriter::Add(const WCHAR* name, ULONG id, ULONG group, ULONG flags, ULONG type, ULONG size,
                       const WCHAR* value) {
  Open();
  Field(kName, name);
  Field(kId, id);
  Field(kGroup, group);
  Field(kFlags, flags);
  Field(kType, type);
  Field(kSize, size);
  Field(kValue, value);
  Close();
}

void PresetWriter::Add(const PresetEntry& entry) {
  Open();
  if (entry.Has(preset_keys::kName)) Field(kName, entry.name);
  Field(kId, entry.id);
  if (entry.Has(preset_keys::kGroup)) Field(kGroup, entry.group);
  if (entry.Has(preset_keys::kFlags)) Field(kFlags, entry.flags);
  if (entry.Has(preset_keys::kType)) Field(kType, entry.type);
  if (entry.Has(preset_keys::kSize)) Field(kSize, entry.size);
  Field(kValue, entry.value);
  Close();
}

std::string PresetWriter::Finish() {
  Put(any_ ? "\n  ]\n}\n" : "]\n}\n");
  any_ = false;
  text_.resize(at_);
  at_ = 0;
  return std::move(text_);
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
