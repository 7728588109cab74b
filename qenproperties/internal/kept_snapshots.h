// kept_snapshots.h: the old and new snapshots the mediator keeps for the registry entries changed last
// (the mediator's member, installed only because property_mediator.h holds one).
//
// A change leaves its registered property's old and new snapshots where the next change of the same property
// takes them and refreshes them in place instead of making them anew (internal/snapshot_pool.h). Kept for every
// entry ever changed, they would cost about 1 KB in 6 allocations per long property for as long as it stays
// registered: 100,000 properties changed once each would hold about 100 MB of copies nobody reuses.
// Only the kKept entries changed most recently keep theirs: their pairs sit in a fixed table, ordered by recency
// through a ring of links of their own, and a change of one more entry empties the pair of the entry changed
// least recently and takes its slot. Finding, claiming and forgetting a pair are each a few loads and stores,
// whatever the number of entries, and allocate nothing.
//
// Why 64: what changes repeatedly at one time is a handful of properties (a slider and its dependants, the page
// of a panel being edited, the values an animation drives), far fewer than 64, so those changes stay free of
// allocations; and 64 pairs of long-property copies are about 62 KB however many entries are registered.
//
// An entry names its pair by a serial number of its own (never 0, never given twice) and the slot it was given
// last; the slot may have gone to another entry since, which its owner's serial tells. Entries may move in
// memory, so no slot points back at one. Used under the mediator's change lock only.
#ifndef QENPROPERTIES_INTERNAL_KEPT_SNAPSHOTS_H_
#define QENPROPERTIES_INTERNAL_KEPT_SNAPSHOTS_H_

#include <cstdint>

#include "qenproperties/internal/snapshot_face.h"

namespace Quenneth {
namespace detail {

class KeptSnapshots {
 public:
  static constexpr std::uint8_t kKept = 64;

  // Pair: the old and new snapshots of one entry's last change; either may be empty.
  struct Pair {
    SpareSnapshot previous;
    SpareSnapshot next;
  };

  KeptSnapshots() {
    for (std::uint8_t i = 0; i < kKept; ++i) {
      slots_[i].older = static_cast<std::uint8_t>((i + 1) % kKept);
      slots_[i].newer = static_cast<std::uint8_t>((i + kKept - 1) % kKept);
    }
  }
  KeptSnapshots(const KeptSnapshots&) = delete;
  KeptSnapshots& operator=(const KeptSnapshots&) = delete;

  // Find gives the pair `owner` keeps at `slot`, or null when that slot is another entry's now.
  Pair* Find(std::uint64_t owner, std::uint8_t slot) {
    return slots_[slot].owner == owner ? &slots_[slot].pair : nullptr;
  }

  // Claim gives the pair of `owner`, made the one changed most recently. An owner without one (at `*slot`)
  // takes the slot of the pair changed least recently, whose snapshots are released first, and `*slot` is set.
  // The steady case, the entry changed last changing again, is a test inline; the rest is out of line.
  Pair& Claim(std::uint64_t owner, std::uint8_t* slot) {
    const std::uint8_t at = *slot;
    if (at == newest_ && slots_[at].owner == owner) return slots_[at].pair;
    return ClaimMoved(owner, slot);
  }

  // Forget moves the pair `owner` keeps at `slot` (if it still does) into `out`, so the caller releases it
  // where it chooses, and frees the slot: it is the first to be taken again.
  void Forget(std::uint64_t owner, std::uint8_t slot, Pair* out) {
    Slot& freed = slots_[slot];
    if (freed.owner != owner) return;
    out->previous.TakeFrom(freed.pair.previous);
    out->next.TakeFrom(freed.pair.next);
    freed.owner = 0;
    if (slot == newest_) {
      newest_ = freed.older;  // the ring turns: the newest becomes the oldest
      return;
    }
    if (slot == Oldest()) return;
    Unlink(slot);
    LinkAfterNewest(slot);
  }

 private:
  // The ring runs from the newest slot through older ones to the oldest, whose older link is the newest.
  struct Slot {
    std::uint64_t owner = 0;  // 0: free
    Pair pair;
    std::uint8_t newer = 0;
    std::uint8_t older = 0;
  };

  std::uint8_t Oldest() const { return slots_[newest_].newer; }

  // ClaimMoved is Claim for an owner that is not the newest (kept_snapshots.cpp).
  Pair& ClaimMoved(std::uint64_t owner, std::uint8_t* slot);

  void MakeNewest(std::uint8_t at) {
    if (at == newest_) return;
    if (at != Oldest()) {
      Unlink(at);
      LinkAfterNewest(at);
    }
    newest_ = at;  // the oldest, next to the newest in the ring, becomes the newest by turning it
  }

  void Unlink(std::uint8_t at) {
    slots_[slots_[at].newer].older = slots_[at].older;
    slots_[slots_[at].older].newer = slots_[at].newer;
  }

  // LinkAfterNewest puts `at` between the oldest and the newest: it is the oldest now.
  void LinkAfterNewest(std::uint8_t at) {
    const std::uint8_t oldest = Oldest();
    slots_[at].older = newest_;
    slots_[at].newer = oldest;
    slots_[oldest].older = at;
    slots_[newest_].newer = at;
  }

  Slot slots_[kKept];
  std::uint8_t newest_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_KEPT_SNAPSHOTS_H_
