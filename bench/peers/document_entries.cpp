#include "document_entries.h"

namespace qenpeers {
namespace {

using namespace Quenneth;

// Utf8 converts UTF-16 text (the vault's texts are of the basic plane) to UTF-8.
std::string Utf8(const WCHAR* text) {
  std::string out;
  for (; *text != 0; ++text) {
    const unsigned c = *text;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

PlainDocument DocumentOf(const qenbench::MixedVault& mixed) {
  PlainDocument document;
  std::vector<WCHAR> buffer(256, 0);
  ULONG length = 0;
  mixed.vault->GetVersion(nullptr, &length);
  buffer.assign(static_cast<std::size_t>(length) + 1, 0);
  mixed.vault->GetVersion(buffer.data(), &length);
  document.version = Utf8(buffer.data());
  for (const QRef<IQPropertySerializer>& serializer : mixed.serializers) {
    PlainEntry entry;
    QDataType type = kDataTypeBool;
    serializer->GetPropertyID(&entry.id);
    serializer->GetPropertyGroupID(&entry.group);
    serializer->GetPropertyFlags(&entry.flags);
    serializer->GetPropertyDataType(&type);
    serializer->GetDataSize(&entry.size);
    entry.type = type;
    serializer->GetPropertyName(nullptr, &length);
    buffer.assign(static_cast<std::size_t>(length) + 1, 0);
    serializer->GetPropertyName(buffer.data(), &length);
    entry.name = Utf8(buffer.data());
    length = 0;
    serializer->GetPropertyDataToSave(nullptr, &length);
    buffer.assign(static_cast<std::size_t>(length) + 1, 0);
    if (length != 0) serializer->GetPropertyDataToSave(buffer.data(), &length);
    entry.value = Utf8(buffer.data());
    document.entries.push_back(std::move(entry));
  }
  return document;
}

std::string ReferenceText(const PlainDocument& document) {
  return TreeOf<nlohmann::ordered_json>(document).dump(2) + "\n";
}

bool ReadCheck::Matches(const PlainDocument& document) const {
  ReadCheck expected;
  for (const PlainEntry& e : document.entries)
    expected.Add(e.name.size(), e.id, e.group, e.flags, e.type, e.size, e.value.size());
  return entries_ == expected.entries_ && sum_ == expected.sum_;
}

}  // namespace qenpeers
