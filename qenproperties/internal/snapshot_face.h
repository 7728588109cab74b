// snapshot_face.h: SnapshotFace, what a mediator needs of a typed property to keep its snapshots (internal).
//
// The typed skeleton implements it; internal/snapshot_pool.h says how its snapshots are kept and reused.
#ifndef QENPROPERTIES_INTERNAL_SNAPSHOT_FACE_H_
#define QENPROPERTIES_INTERNAL_SNAPSHOT_FACE_H_

#include <cstdint>
#include <utility>

#include "qenproperties/frame/qref.h"
#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class CQProperty;

namespace detail {

// SnapshotFace: what keeping snapshots needs of a typed property of the library's own classes (the typed skeleton
// implements it). It is found once, when a property is registered, and used only for objects whose dynamic
// type is exactly the library class.
class SnapshotFace {
 public:
  // SnapshotExact tells whether the object's snapshots may be reused: its dynamic type is exactly the library
  // class, and that class's value is nothing but its base property's bytes.
  virtual bool SnapshotExact() const = 0;
  virtual IQProperty* SnapshotObject() = 0;
  virtual std::uint64_t SnapshotStamp() const = 0;
  // SnapshotUnshared tells whether the caller's reference is the only one.
  virtual bool SnapshotUnshared() const = 0;
  // CopyForSnapshot makes a copy (count 1, for the caller) as CloneProperty does; may throw std::bad_alloc.
  virtual SnapshotFace* CopyForSnapshot() = 0;
  // ShowValue makes this copy of `source` (same class, same stamp) hold the value, the flags and the advanced
  // attribute word `source` holds now; with `value`, the value bytes of that base property instead, as a store
  // through SetPropertyData leaves them. It returns false, and changes nothing, when the caller's reference is
  // not the only one. May throw std::bad_alloc (a value too large to be held inside the object); the object is
  // then unfit for reuse.
  virtual bool ShowValue(SnapshotFace& source, const CQProperty* value) = 0;
  // SnapshotBase is the owned base property, which reports the object's changes to the mediator.
  virtual CQProperty* SnapshotBase() = 0;

 protected:
  ~SnapshotFace() = default;
};

// SpareSnapshot: a snapshot of a typed property, kept for the next change or in use (internal/snapshot_pool.h).
// `object` holds the reference; `face` is null for an empty one and for a snapshot made by the source's
// CloneProperty, which is never kept.
struct SpareSnapshot {
  QRef<IQProperty> object;
  SnapshotFace* face = nullptr;
  std::uint64_t stamp = 0;  // the stamp of the source it shows

  // TakeFrom moves `other` here (releasing what was here) and leaves it empty.
  void TakeFrom(SpareSnapshot& other) {
    object = std::move(other.object);
    face = other.face;
    stamp = other.stamp;
    other.face = nullptr;
  }
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SNAPSHOT_FACE_H_
