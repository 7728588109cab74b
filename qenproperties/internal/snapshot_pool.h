// snapshot_pool.h: SnapshotPool, the spare snapshot objects of one mediator (internal, not installed: only
// the library's own sources use it).
//
// Every change through a mediator hands its callbacks snapshots: the base property's copy of itself with the
// old value, and the mediator's old and new copies of the registered property. Making them new for every change
// was most of what a change cost. The pool keeps the snapshots a change is done with and gives them to a later
// change of the same source, which refreshes their value in place. When the source's stamp moved since (an
// attribute changed), the spare is dropped and a new copy made: a copy is then what it always was.
//
// Why a reused snapshot is never one somebody else sees:
//  - a snapshot goes back into the pool only when the pool's reference is its only one. A callback that kept a
//    snapshot (or any interface of it) holds a reference, so that snapshot is dropped and never touched again;
//  - only objects of exactly a library class whose value is nothing but its base property's bytes are pooled
//    (SnapshotFace::SnapshotExact). A host's own property, a class derived from a library class, and a class
//    with fields that follow its value are cloned through their CloneProperty for every change;
//  - a snapshot leaves the pool while its change runs, so a nested change never gets one that is in use;
//  - the pool is used only under its mediator's change lock, which every change holds from the setter's start
//    to its end, so it needs no lock of its own.
//
//   const SnapshotSource source = SnapshotSource::Of(face);  // once for all the snapshots of a change
//   PooledSnapshot snapshot;
//   pool.Take(source, nullptr, snapshot);  // shows the source's attributes and value
//   ... the callbacks run with snapshot.object ...
//   pool.Give(snapshot);
#ifndef QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_
#define QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "qenproperties/frame/qref.h"
#include "qenproperties/internal/snapshot_face.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class CQProperty;

namespace detail {

// NextStamp gives a number never given before in this process. A property takes a new one whenever anything
// but its value changes, so two equal stamps mean the same object with the same attributes.
std::uint64_t NextStamp();

// PooledSnapshot: a snapshot while a change uses it. `object` holds the reference; `face` is null for a
// snapshot made by the source's CloneProperty, which never goes back into a pool.
struct PooledSnapshot {
  QRef<IQProperty> object;
  SnapshotFace* face = nullptr;
  const void* kind = nullptr;  // face->SnapshotKind(), kept so a search makes no call
  std::uint64_t stamp = 0;     // the stamp of the source it shows

  // TakeFrom moves `other` here field by field (releasing what was here) and leaves it empty.
  void TakeFrom(PooledSnapshot&& other) { TakeFrom(other); }
  void TakeFrom(PooledSnapshot& other) {
    object = std::move(other.object);
    face = other.face;
    kind = other.kind;
    stamp = other.stamp;
    other.face = nullptr;
    other.kind = nullptr;
  }
};

// BaseSnapshot: the same for a base property's copy of itself.
struct BaseSnapshot {
  QRef<CQProperty> object;
  std::uint64_t stamp = 0;

  void TakeFrom(BaseSnapshot&& other) { TakeFrom(other); }
  void TakeFrom(BaseSnapshot& other) {
    object = std::move(other.object);
    stamp = other.stamp;
  }
};

// SnapshotSource: a source of pooled snapshots and what a search of the pool compares, read once for the
// snapshots of one change; empty (no face) for a source whose snapshots are cloned. The stamp is read before
// anything is copied: an attribute that changes meanwhile moves the stamp again, and the next change copies
// the attributes anew.
struct SnapshotSource {
  SnapshotFace* face = nullptr;
  const void* kind = nullptr;
  std::uint64_t stamp = 0;

  static SnapshotSource Of(SnapshotFace* face) {
    if (face == nullptr) return SnapshotSource{};
    return SnapshotSource{face, face->SnapshotKind(), face->SnapshotStamp()};
  }
};

class SnapshotPool {
 public:
  // Out of line: the spares are made and released where CQProperty is complete.
  SnapshotPool();
  ~SnapshotPool();
  SnapshotPool(const SnapshotPool&) = delete;
  SnapshotPool& operator=(const SnapshotPool&) = delete;

  // Take makes `taken` (empty) a snapshot of `source` (which has a face): a spare of its class refreshed in
  // place, or a new copy; with `value`, holding that base property's value bytes (see SnapshotFace::ShowValue).
  // It stays empty when no memory was left. The snapshots are filled in place rather than returned: they are
  // read right after.
  void Take(const SnapshotSource& source, const CQProperty* value, PooledSnapshot& taken);
  // Give takes a snapshot back after its change and leaves `snapshot` empty; the snapshot is kept when only the
  // pool would hold it and a slot is free.
  void Give(PooledSnapshot& snapshot);

  // TakeBase and GiveBase do the same for the base property's copy of itself (of exactly CQProperty).
  void TakeBase(CQProperty& source, BaseSnapshot& taken);
  void GiveBase(BaseSnapshot& snapshot);

 private:
  // Room for the snapshots of a few classes and a few nested changes; more are made and dropped as needed.
  static constexpr std::size_t kSlots = 16;
  static constexpr std::size_t kBaseSlots = 4;

  // The spares fill the first used_ (baseUsed_) slots.
  std::array<PooledSnapshot, kSlots> slots_;
  std::size_t used_ = 0;
  std::array<BaseSnapshot, kBaseSlots> baseSlots_;
  std::size_t baseUsed_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_
