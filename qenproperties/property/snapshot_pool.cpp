#include "qenproperties/internal/snapshot_pool.h"

#include <atomic>
#include <new>
#include <utility>

#include "qenproperties/property/property.h"

namespace Quenneth {
namespace detail {
namespace {

// The spares fill the first `used` slots of their array, a stack whose top is the last one given back. Find
// gives the place of the spare to reuse for a source of `stamp`, looking from the top: one that shows it
// already, else the first that fits; `used` when none fits.
template <class Slot, std::size_t kSize, class Fits>
std::size_t Find(const std::array<Slot, kSize>& slots, std::size_t used, std::uint64_t stamp, Fits fits) {
  std::size_t found = used;
  for (std::size_t i = used; i-- > 0;) {
    if (!fits(slots[i])) continue;
    if (found == used) found = i;
    if (slots[i].stamp == stamp) return i;
  }
  return found;
}

// Remove closes the hole a taken spare left at `at` with the top one. The slots are moved field by field: a
// whole-struct copy here reads with wide loads what was just written with narrow stores, which stalls.
template <class Slot, std::size_t kSize>
void Remove(std::array<Slot, kSize>& slots, std::size_t& used, std::size_t at) {
  --used;
  if (at != used) slots[at].TakeFrom(slots[used]);
}

}  // namespace

std::uint64_t NextStamp() {
  static std::atomic<std::uint64_t> last{0};
  return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

SnapshotPool::SnapshotPool() = default;
SnapshotPool::~SnapshotPool() = default;

void SnapshotPool::Take(const SnapshotSource& source, const CQProperty* value, PooledSnapshot& taken) {
  const void* kind = source.kind;
  const std::uint64_t stamp = source.stamp;
  // Only a spare that shows this very source with its present attributes is refreshed (its value); a copy of
  // a source whose attributes changed is made anew, which is what a change of attributes costs.
  const std::size_t at = Find(slots_, used_, stamp, [kind](const PooledSnapshot& slot) { return slot.kind == kind; });
  try {
    if (at != used_ && slots_[at].stamp == stamp) {
      taken.TakeFrom(slots_[at]);
      Remove(slots_, used_, at);
      taken.face->ShowValue(*source.face, value);
    } else {
      if (at != used_) {  // a spare of the class showing other attributes: this copy takes its place
        PooledSnapshot dropped;
        dropped.TakeFrom(slots_[at]);
        Remove(slots_, used_, at);
      }
      SnapshotFace* copy = source.face->CopyForSnapshot();
      taken.object = QRef<IQProperty>::Adopt(copy->SnapshotObject());
      taken.face = copy;
      taken.kind = kind;
      if (value != nullptr) copy->ShowValue(*source.face, value);
    }
  } catch (const std::bad_alloc&) {
    taken.TakeFrom(PooledSnapshot{});  // a spare that could not be refreshed is released
    return;
  }
  taken.stamp = stamp;
}

void SnapshotPool::Give(PooledSnapshot& snapshot) {
  if (snapshot.face != nullptr && snapshot.face->SnapshotUnshared() && used_ < kSlots) {
    slots_[used_++].TakeFrom(snapshot);
  }
  snapshot.TakeFrom(PooledSnapshot{});
}

void SnapshotPool::TakeBase(CQProperty& source, BaseSnapshot& taken) {
  const std::uint64_t stamp = source.Stamp();
  const std::size_t at = Find(baseSlots_, baseUsed_, stamp, [](const BaseSnapshot&) { return true; });
  try {
    if (at != baseUsed_) {
      taken.TakeFrom(baseSlots_[at]);
      Remove(baseSlots_, baseUsed_, at);
      if (taken.stamp != stamp) taken.object->ShowAllOf(source);
      taken.object->ShowValueOf(source, 0);
    } else {
      taken.object = QRef<CQProperty>::Adopt(CQProperty::MakePooled(source));
    }
  } catch (const std::bad_alloc&) {
    taken.TakeFrom(BaseSnapshot{});
    return;
  }
  taken.stamp = stamp;
}

void SnapshotPool::GiveBase(BaseSnapshot& snapshot) {
  if (snapshot.object && snapshot.object->Unshared() && baseUsed_ < kBaseSlots) {
    baseSlots_[baseUsed_++].TakeFrom(snapshot);
  }
  snapshot.TakeFrom(BaseSnapshot{});
}

}  // namespace detail
}  // namespace Quenneth
