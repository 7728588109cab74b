#include "qenproperties/internal/snapshot_pool.h"

#include <atomic>
#include <new>
#include <utility>

#include "qenproperties/property/property.h"

namespace Quenneth {
namespace detail {
namespace {

// Pick gives the slot to take for a source with `stamp`: one that already shows it, else any that is filled;
// null when none is filled. `filled` tells whether a slot holds a snapshot fit for the source.
template <class Slot, class Fits>
Slot* Pick(Slot* first, Slot* last, std::uint64_t stamp, Fits filled) {
  Slot* found = nullptr;
  for (Slot* slot = first; slot != last; ++slot) {
    if (!filled(*slot)) continue;
    found = slot;
    if (slot->stamp == stamp) break;
  }
  return found;
}

// Keep puts `snapshot` into the first free slot; without one it is dropped (released) with `snapshot`.
template <class Slot, class Free>
void Keep(Slot* first, Slot* last, Slot& snapshot, Free free) {
  for (Slot* slot = first; slot != last; ++slot) {
    if (free(*slot)) {
      *slot = std::move(snapshot);
      return;
    }
  }
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
  PooledSnapshot* slot = Pick(slots_.data(), slots_.data() + slots_.size(), stamp,
                              [kind](const PooledSnapshot& s) { return s.kind == kind; });
  PooledSnapshot taken;
  try {
    if (slot != nullptr) {
      taken = std::exchange(*slot, PooledSnapshot{});
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
  Keep(slots_.data(), slots_.data() + slots_.size(), held, [](const PooledSnapshot& s) { return s.kind == nullptr; });
}

BaseSnapshot SnapshotPool::TakeBase(CQProperty& source) {
  const std::uint64_t stamp = source.Stamp();
  BaseSnapshot* slot = Pick(baseSlots_.data(), baseSlots_.data() + baseSlots_.size(), stamp,
                            [](const BaseSnapshot& s) { return static_cast<bool>(s.object); });
  BaseSnapshot taken;
  try {
    if (slot != nullptr) {
      taken = std::exchange(*slot, BaseSnapshot{});
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
  Keep(baseSlots_.data(), baseSlots_.data() + baseSlots_.size(), held, [](const BaseSnapshot& s) { return !s.object; });
}

}  // namespace detail
}  // namespace Quenneth
