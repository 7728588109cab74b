// snapshot_pool.h: SnapshotPool, the spare snapshot objects of one mediator (internal).
//
// Every change through a mediator hands its callbacks snapshots: the base property's copy of itself with the
// old value, and the mediator's old and new copies of the registered property. Making them new for every change
// was most of what a change cost. The pool keeps the snapshots a change is done with and gives them to a later
// change, which refreshes them in place: the value always, the attributes only when the source's stamp moved
// since the snapshot last showed it.
//
// Why a reused snapshot is never one somebody else sees:
//  - a snapshot goes back into the pool only when the pool's reference is its only one. A callback that kept a
//    snapshot (or any interface of it) holds a reference, so that snapshot is dropped and never touched again;
//  - only objects of exactly a library class are pooled. A host's own property, or a class derived from a
//    library class, is cloned through its own CloneProperty for every change;
//  - a snapshot leaves the pool while its change runs, so a nested change never gets one that is in use;
//  - the pool is used only under its mediator's change lock, which every change holds from the setter's start
//    to its end, so it needs no lock of its own.
//
//   PooledSnapshot snapshot = pool.Take(*face);  // shows the source's attributes and value
//   ... the callbacks run with snapshot.object ...
//   pool.Give(std::move(snapshot));
#ifndef QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_
#define QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_

#include <array>
#include <cstdint>

#include "qenproperties/frame/qref.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class CQProperty;

namespace detail {

// NextStamp gives a number never given before in this process. A property takes a new one whenever anything
// but its value changes, so two equal stamps mean the same object with the same attributes.
std::uint64_t NextStamp();

// SnapshotFace: what the pool needs of a typed property of the library's own classes (the typed skeleton
// implements it). It is found once, when a property is registered, and used only for objects whose dynamic
// type is exactly the library class.
class SnapshotFace {
 public:
  // SnapshotExact tells whether the object's dynamic type is exactly the library class.
  virtual bool SnapshotExact() const = 0;
  // SnapshotKind is one address per class: a snapshot is reused only for a source of the same class.
  virtual const void* SnapshotKind() const = 0;
  virtual IQProperty* SnapshotObject() = 0;
  virtual std::uint64_t SnapshotStamp() const = 0;
  // SnapshotUnshared tells whether the caller's reference is the only one.
  virtual bool SnapshotUnshared() const = 0;
  // CopyForSnapshot makes a copy (count 1, for the caller) as CloneProperty does; may throw std::bad_alloc.
  virtual SnapshotFace* CopyForSnapshot() = 0;
  // ShowSource makes this unshared object hold what a copy of `source` (same class) would hold: all of it
  // with `attributes`, otherwise the value, the flags and the advanced attribute word. With `value`, the value
  // bytes are those of that base property instead, stored as a store through SetPropertyData would leave them
  // (for a class whose SnapshotPlainValue is true only). May throw std::bad_alloc; the object is then unfit for
  // reuse.
  virtual void ShowSource(SnapshotFace& source, bool attributes, const CQProperty* value) = 0;
  // SnapshotBase is the owned base property, which reports the object's changes to the mediator.
  virtual CQProperty* SnapshotBase() = 0;
  // SnapshotPlainValue tells whether the class's value is nothing but its base property's bytes: its
  // SetPropertyData only checks them (and bytes a change hands the mediator have passed those checks), so a
  // snapshot may take them by copying.
  virtual bool SnapshotPlainValue() const = 0;

 protected:
  ~SnapshotFace() = default;
};

// PooledSnapshot: a snapshot while a change uses it. `object` holds the reference; `face` is null for a
// snapshot made by the source's CloneProperty, which never goes back into a pool.
struct PooledSnapshot {
  QRef<IQProperty> object;
  SnapshotFace* face = nullptr;
  const void* kind = nullptr;  // face->SnapshotKind(), kept so a search makes no call
  std::uint64_t stamp = 0;     // the stamp of the source it shows
};

// BaseSnapshot: the same for a base property's copy of itself.
struct BaseSnapshot {
  QRef<CQProperty> object;
  std::uint64_t stamp = 0;
};

class SnapshotPool {
 public:
  // Out of line: the spares are made and released where CQProperty is complete.
  SnapshotPool();
  ~SnapshotPool();
  SnapshotPool(const SnapshotPool&) = delete;
  SnapshotPool& operator=(const SnapshotPool&) = delete;

  // Take gives a snapshot of `source`: a spare of its class refreshed in place, or a new copy; with `value`,
  // holding that base property's value bytes (see SnapshotFace::ShowSource). Empty when no memory was left.
  PooledSnapshot Take(SnapshotFace& source, const CQProperty* value);
  // Give takes a snapshot back after its change; it is kept when only the pool would hold it and a slot is free.
  void Give(PooledSnapshot&& snapshot);

  // TakeBase and GiveBase do the same for the base property's copy of itself (of exactly CQProperty).
  BaseSnapshot TakeBase(CQProperty& source);
  void GiveBase(BaseSnapshot&& snapshot);

 private:
  // Room for the snapshots of a few classes and a few nested changes; more are made and dropped as needed.
  static constexpr std::size_t kSlots = 16;
  static constexpr std::size_t kBaseSlots = 4;

  std::array<PooledSnapshot, kSlots> slots_;
  std::array<BaseSnapshot, kBaseSlots> baseSlots_;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SNAPSHOT_POOL_H_
