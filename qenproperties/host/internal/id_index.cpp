#include "qenproperties/host/internal/id_index.h"

#include <algorithm>

namespace Quenneth {
namespace host {
namespace detail {

std::size_t IdIndex::Build(const std::vector<ULONG>& ids) {
  direct_.clear();
  slots_.clear();
  if (ids.empty()) return kNone;
  const auto [lowest, highest] = std::minmax_element(ids.begin(), ids.end());
  std::size_t twice = kNone;
  if (static_cast<std::size_t>(*highest - *lowest) < ids.size() * 4 + 64) {
    low_ = *lowest;
    direct_.assign(static_cast<std::size_t>(*highest - *lowest) + 1, kEmpty);
    for (std::size_t i = 0; i < ids.size(); ++i) {
      std::uint32_t& at = direct_[ids[i] - low_];
      if (at != kEmpty) {
        if (twice == kNone) twice = i;
        continue;
      }
      at = static_cast<std::uint32_t>(i);
    }
    return twice;
  }
  std::size_t capacity = 16;
  shift_ = 60;
  while (capacity < ids.size() * 2) {
    capacity *= 2;
    --shift_;
  }
  slots_.assign(capacity, Slot{});
  mask_ = capacity - 1;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    Slot& slot = slots_[Probe(ids[i])];
    if (slot.at != kEmpty) {
      if (twice == kNone) twice = i;
      continue;
    }
    slot.id = ids[i];
    slot.at = static_cast<std::uint32_t>(i);
  }
  return twice;
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
