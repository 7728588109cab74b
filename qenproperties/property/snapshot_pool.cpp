#include "qenproperties/internal/snapshot_pool.h"

#include <atomic>
#include <new>
#include <utility>

#include "qenproperties/property/property.h"

namespace Quenneth {
namespace detail {
namespace {

// The spares fill the first `used` slots of their array, a stack whose top is the last one given back.
// TakeOut takes out the spare to reuse for a source of `stamp`, looking from the top: one that shows it
// already, else the first that fits; an empty slot when none fits. A spare taken from below the top changes
// place with the top first.
template <class Slot, std::size_t kSize, class Fits>
Slot TakeOut(std::array<Slot, kSize>& slots, std::size_t& used, std::uint64_t stamp, Fits fits) {
  std::size_t found = kSize;
  for (std::size_t i = used; i-- > 0;) {
    if (!fits(slots[i])) continue;
    if (found == kSize) found = i;
    if (slots[i].stamp == stamp) {
      found = i;
      break;
    }
  }
  if (found == kSize) return Slot{};
  if (found != used - 1) std::swap(slots[found], slots[used - 1]);
  return std::move(slots[--used]);
}

// Keep puts `snapshot` on top; with no slot left it is dropped (released) with `snapshot`.
template <class Slot, std::size_t kSize>
void Keep(std::array<Slot, kSize>& slots, std::size_t& used, Slot& snapshot) {
  if (used < kSize) slots[used++] = std::move(snapshot);
}

}  // namespace

std::uint64_t NextStamp() {
  static std::atomic<std::uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

SnapshotPool::SnapshotPool() = default;
SnapshotPool::~SnapshotPool() = default;

PooledSnapshot SnapshotPool::Take(SnapshotFace& source, const CQProperty* value) {
  const void* kind = source.SnapshotKind();
  // Read before anything is copied: an attribute that changes meanwhile moves the stamp again, and the next
  // change copies the attributes anew.
  const std::uint64_t stamp = source.SnapshotStamp();
  PooledSnapshot taken =
      TakeOut(slots_, used_, stamp, [kind](const PooledSnapshot& slot) { return slot.kind == kind; });
  try {
    if (taken.face != nullptr) {
      taken.face->ShowSource(source, taken.stamp != stamp, value);
    } else {
      SnapshotFace* copy = source.CopyForSnapshot();
      taken.object = QRef<IQProperty>::Adopt(copy->SnapshotObject());
      taken.face = copy;
      taken.kind = kind;
      if (value != nullptr) copy->ShowSource(source, false, value);
    }
  } catch (const std::bad_alloc&) {
    return {};  // a spare that could not be refreshed is released with `taken`
  }
  taken.stamp = stamp;
  return taken;
}

void SnapshotPool::Give(PooledSnapshot&& snapshot) {
  PooledSnapshot held = std::exchange(snapshot, PooledSnapshot{});
  if (held.face == nullptr || !held.face->SnapshotUnshared()) return;
  Keep(slots_, used_, held);
}

BaseSnapshot SnapshotPool::TakeBase(CQProperty& source) {
  const std::uint64_t stamp = source.Stamp();
  BaseSnapshot taken = TakeOut(baseSlots_, baseUsed_, stamp, [](const BaseSnapshot&) { return true; });
  try {
    if (taken.object) {
      if (taken.stamp != stamp) taken.object->ShowAllOf(source);
      taken.object->ShowValueOf(source, 0);
    } else {
      taken.object = QRef<CQProperty>::Adopt(CQProperty::MakePooled(source));
    }
  } catch (const std::bad_alloc&) {
    return {};
  }
  taken.stamp = stamp;
  return taken;
}

void SnapshotPool::GiveBase(BaseSnapshot&& snapshot) {
  BaseSnapshot held = std::move(snapshot);
  if (!held.object || !held.object->Unshared()) return;
  Keep(baseSlots_, baseUsed_, held);
}

}  // namespace detail
}  // namespace Quenneth
