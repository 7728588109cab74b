// snapshot_face.h: SnapshotFace, what a mediator's snapshot pool needs of a typed property (internal).
//
// The typed skeleton implements it; internal/snapshot_pool.h says how the pool uses it.
#ifndef QENPROPERTIES_INTERNAL_SNAPSHOT_FACE_H_
#define QENPROPERTIES_INTERNAL_SNAPSHOT_FACE_H_

#include <cstdint>

#include "qenproperties/property/property_interface.h"

namespace Quenneth {

class CQProperty;

namespace detail {

// SnapshotFace: what the pool needs of a typed property of the library's own classes (the typed skeleton
// implements it). It is found once, when a property is registered, and used only for objects whose dynamic
// type is exactly the library class.
class SnapshotFace {
 public:
  // SnapshotExact tells whether the object's snapshots may be reused: its dynamic type is exactly the library
  // class, and that class's value is nothing but its base property's bytes.
  virtual bool SnapshotExact() const = 0;
  // SnapshotKind is one address per class: a snapshot is reused only for a source of the same class.
  virtual const void* SnapshotKind() const = 0;
  virtual IQProperty* SnapshotObject() = 0;
  virtual std::uint64_t SnapshotStamp() const = 0;
  // SnapshotUnshared tells whether the caller's reference is the only one.
  virtual bool SnapshotUnshared() const = 0;
  // CopyForSnapshot makes a copy (count 1, for the caller) as CloneProperty does; may throw std::bad_alloc.
  virtual SnapshotFace* CopyForSnapshot() = 0;
  // ShowValue makes this unshared copy of `source` (same class, same stamp) hold the value, the flags and the
  // advanced attribute word `source` holds now; with `value`, the value bytes of that base property instead,
  // as a store through SetPropertyData leaves them. May throw std::bad_alloc (a value too large to be held
  // inside the object); the object is then unfit for reuse.
  virtual void ShowValue(SnapshotFace& source, const CQProperty* value) = 0;
  // SnapshotBase is the owned base property, which reports the object's changes to the mediator.
  virtual CQProperty* SnapshotBase() = 0;

 protected:
  ~SnapshotFace() = default;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_INTERNAL_SNAPSHOT_FACE_H_
