#include "qenproperties/host/internal/id_index.h"

namespace Quenneth {
namespace host {
namespace detail {

void IdIndex::Prepare(ULONG lowest, ULONG highest, std::size_t count) {
  direct_.clear();
  slots_.clear();
  if (count == 0) return;
  if (static_cast<std::size_t>(highest - lowest) < count * 4 + 64) {
    low_ = lowest;
    direct_.assign(static_cast<std::size_t>(highest - lowest) + 1, kEmpty);
    return;
  }
  std::size_t capacity = 16;
  shift_ = 60;
  while (capacity < count * 2) {
    capacity *= 2;
    --shift_;
  }
  slots_.assign(capacity, Slot{});
  mask_ = capacity - 1;
}

bool IdIndex::Place(ULONG id, std::size_t at) {
  if (!direct_.empty()) {
    std::uint32_t& position = direct_[id - low_];
    if (position != kEmpty) return false;
    position = static_cast<std::uint32_t>(at);
    return true;
  }
  Slot& slot = slots_[Probe(id)];
  if (slot.at != kEmpty) return false;
  slot.id = id;
  slot.at = static_cast<std::uint32_t>(at);
  return true;
}

std::size_t IdIndex::Find(ULONG id) const {
  if (!direct_.empty()) {
    if (id < low_ || id - low_ >= direct_.size()) return kNone;
    const std::uint32_t at = direct_[id - low_];
    return at == kEmpty ? kNone : at;
  }
  if (slots_.empty()) return kNone;
  const Slot& slot = slots_[Probe(id)];
  return slot.at == kEmpty ? kNone : slot.at;
}

// Probe gives the slot of `id`, or the empty slot where it would go (the table is never full).
std::size_t IdIndex::Probe(ULONG id) const {
  // The high bits of the product depend on every bit of the ID.
  std::size_t at = static_cast<std::size_t>((id * 0x9E3779B97F4A7C15ull) >> shift_);
  while (slots_[at].at != kEmpty && slots_[at].id != id) at = (at + 1) & mask_;
  return at;
}

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
