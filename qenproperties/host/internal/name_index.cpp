#include "qenproperties/host/internal/name_index.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameButCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::uint32_t NameIndex::Hash(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a of the name in lower case
  for (char c : name) {
    hash ^= static_cast<unsigned char>(Lower(c));
    hash *= 1099511628211ull;
  }
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

void NameIndex::Reserve(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < count * 2) capacity *= 2;
  if (capacity > slots_.size()) Rebuild(capacity);
}

void NameIndex::Rebuild(std::size_t capacity) {
  std::vector<Slot> old;
  old.swap(slots_);
  slots_.assign(capacity, Slot{});
  for (const Slot& slot : old) {
    if (slot.at != kEmpty) slots_[Probe(*slot.name, slot.hash)] = slot;
  }
}

void NameIndex::Add(const std::string* name, std::size_t position) {
  if ((size_ + 1) * 2 > slots_.size()) Rebuild(slots_.empty() ? 16 : slots_.size() * 2);
  const std::uint32_t hash = Hash(*name);
  slots_[Probe(*name, hash)] = Slot{name, hash, static_cast<std::uint32_t>(position)};
  ++size_;
}

std::size_t NameIndex::Find(std::string_view name) const {
  if (slots_.empty()) return kNone;
  const Slot& slot = slots_[Probe(name, Hash(name))];
  return slot.at == kEmpty ? kNone : slot.at;
}

std::size_t NameIndex::Probe(std::string_view name, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  // The multiplication spreads the hash over the high bits, which pick the slot.
  std::size_t at = static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  while (slots_[at].at != kEmpty && (slots_[at].hash != hash || !SameButCase(*slots_[at].name, name))) {
    at = (at + 1) & mask;
  }
  return at;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
