// document_entries.h: the entries of the preset document of a mixed vault, as plain records for the JSON peers.
//
// The peers save and read the document of the same vault the host kit's benchmarks save and load: one entry
// per property with its name, property ID, group ID, flags, data type, value size and preset text. They start
// from these records (their natural input, no property interface in the way) and check what they read against
// them.
//
//   const qenpeers::PlainDocument document = qenpeers::DocumentOf(qenbench::MakeMixedVault(10000));
//   const std::string text = qenpeers::ReferenceText(document);  // two-space indent, as the host kit writes
#ifndef QENPROPERTIES_BENCH_PEERS_DOCUMENT_ENTRIES_H_
#define QENPROPERTIES_BENCH_PEERS_DOCUMENT_ENTRIES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "../mixed_vault.h"

namespace qenpeers {

constexpr const char* kDocumentFormat = "qenprops-preset";

struct PlainEntry {
  std::string name;
  std::uint32_t id = 0;
  std::uint32_t group = 0;
  std::uint32_t flags = 0;
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::string value;
};

struct PlainDocument {
  std::string version;
  std::vector<PlainEntry> entries;
};

// DocumentOf reads every property of the vault through its serializer part; texts become UTF-8.
PlainDocument DocumentOf(const qenbench::MixedVault& mixed);

// TreeOf builds the document as a tree of the JSON library (nlohmann::json or nlohmann::ordered_json).
template <class Json>
Json TreeOf(const PlainDocument& document) {
  Json root;
  root["format"] = kDocumentFormat;
  root["version"] = document.version;
  Json& entries = root["entries"] = Json::array();
  for (const PlainEntry& entry : document.entries) {
    entries.push_back({{"name", entry.name},
                       {"id", entry.id},
                       {"group", entry.group},
                       {"flags", entry.flags},
                       {"type", entry.type},
                       {"size", entry.size},
                       {"value", entry.value}});
  }
  return root;
}

// ReferenceText is the document as JSON with a two-space indent and a final newline, keys in entry order.
std::string ReferenceText(const PlainDocument& document);

// ReadCheck adds up what a reader took from the entries; Matches compares it with the document's own.
class ReadCheck {
 public:
  // The texts count by their length (UTF-8 bytes or, for readers that give UTF-16, code units: the vault's
  // texts are ASCII, so both agree).
  void Add(std::size_t nameLength, std::uint32_t id, std::uint32_t group, std::uint32_t flags, std::uint32_t type,
           std::uint32_t size, std::size_t valueLength) {
    ++entries_;
    sum_ += std::uint64_t{id} + group + flags + type + size + nameLength + valueLength;
  }
  bool Matches(const PlainDocument& document) const;

 private:
  std::size_t entries_ = 0;
  std::uint64_t sum_ = 0;
};

}  // namespace qenpeers

#endif  // QENPROPERTIES_BENCH_PEERS_DOCUMENT_ENTRIES_H_
