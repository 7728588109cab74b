// snapshot_pool.h: how the snapshots of a change are kept for the next change of the same property (internal,
// not installed: only the library's own sources use it).
//
// Every change through a mediator hands its callbacks snapshots: the base property's copy of itself with the
// old value, and the mediator's old and new copies of the registered property. Making them new for every change
// was most of what a change cost. So each is kept where its change can find it without a search: the base
// property keeps its own copy of itself, and the mediator keeps the old and new copies of the registered
// properties it saw change last (internal/kept_snapshots.h). The next change takes them out, refreshes their
// value in place and puts them back. When the source's stamp moved since (an attribute changed), the mediator's
// copy is made anew and the base property's copy takes all of its attributes anew: either is then what a copy
// always was.
//
// Why a reused snapshot is never one somebody else sees:
//  - a snapshot is kept only when the keeper's reference is its only one, and is refreshed only after the same
//    test. A callback that kept a snapshot (or any interface of it) holds a reference, so that snapshot is
//    dropped and never touched again;
//  - only objects of exactly a library class whose value is nothing but its base property's bytes are kept
//    (SnapshotFace::SnapshotExact). A host's own property, a class derived from a library class, and a class
//    with fields that follow its value are cloned through their CloneProperty for every change;
//  - a snapshot leaves its keeper while its change runs, so a nested change finds none and makes its own;
//  - the mediator's spares are used only under its change lock, a base property's only under its own lock,
//    both held by every change from the setter's start to its end, so they need no lock of their own.
//
//   SpareSnapshot snapshot;
//   snapshot.TakeFrom(keeper);               // may be empty
//   if (!ShowSnapshot(face, stamp, nullptr, snapshot)) ...  // no memory: no snapshot
//   ... the callbacks run with snapshot.object ...
//   KeepSnapshot(snapshot, keeper);
#ifndef QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_
#define QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_

#include <cstdint>
#include <new>
#include <utility>

#include "qenproperties/internal/snapshot_face.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class CQProperty;

namespace detail {

// NextStamp gives a number never given before in this process. A property takes a new one whenever anything
// but its value changes, so two equal stamps mean the same object with the same attributes.
std::uint64_t NextStamp();

// NewSnapshot makes `taken` a new copy of `source` (which has the stamp `stamp`, read before anything is
// copied), letting go of the spare it held; with `value`, holding that base property's value bytes
// (SnapshotFace::ShowValue). Returns false, with `taken` empty, when no memory was left.
bool NewSnapshot(SnapshotFace& source, std::uint64_t stamp, const CQProperty* value, SpareSnapshot& taken);

// ShowSnapshot makes `taken` a snapshot of `source` as NewSnapshot does, refreshing the spare it holds in place
// when that shows the same stamp and nobody else holds it.
inline bool ShowSnapshot(SnapshotFace& source, std::uint64_t stamp, const CQProperty* value, SpareSnapshot& taken) {
  if (taken.face != nullptr && taken.stamp == stamp) {
    try {
      if (taken.face->ShowValue(source, value)) return true;
    } catch (const std::bad_alloc&) {
      taken.object.reset();  // a spare that could not be refreshed is released
      taken.face = nullptr;
      return false;
    }
  }
  return NewSnapshot(source, stamp, value, taken);
}

// KeepSnapshot puts `snapshot` back into an empty `keeper` when only it would hold it; either way `snapshot`
// is left empty.
inline void KeepSnapshot(SpareSnapshot& snapshot, SpareSnapshot& keeper) {
  if (snapshot.face != nullptr && keeper.face == nullptr && snapshot.face->SnapshotUnshared()) {
    keeper.TakeFrom(snapshot);
    return;
  }
  snapshot.object.reset();
  snapshot.face = nullptr;
}

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_
