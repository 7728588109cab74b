#include "qenproperties/internal/kept_snapshots.h"

namespace Quenneth {
namespace detail {

KeptSnapshots::Pair& KeptSnapshots::ClaimMoved(std::uint64_t owner, std::uint8_t* slot) {
  std::uint8_t at = *slot;
  if (slots_[at].owner != owner) {
    at = Oldest();
    Slot& taken = slots_[at];
    taken.pair = Pair();  // the dropped copies are released; one a callback holds stays as it was
    taken.owner = owner;
    *slot = at;
  }
  MakeNewest(at);
  return slots_[at].pair;
}

}  // namespace detail
}  // namespace Quenneth
