// property.h: CQProperty, the base property.
//
// A base property stores what every property has in common: name, description, property ID, group ID, data
// type, flags, default and current value as raw bytes, and an object ID. Every typed property owns exactly one
// and forwards the common queries to it; a host may also use one on its own as an untyped property whose preset
// text is the encoded form of its bytes.
//
// References held: the services manager, the advanced attribute object (created by every constructor) and the
// bound mediator. A copy (copy constructor, operator=, CloneProperty) has the same object ID and is bound to no
// mediator.
//
// Locking: setters, Reset and SetPropertyData take the object's recursive lock; SetPropertyData holds it while
// it calls the mediator, so a callback may re-enter the same property on the same thread. Getters that read
// buffers take the lock briefly, so a getter never sees a buffer being replaced.
#ifndef QENPROPERTIES_PROPERTY_PROPERTY_H_
#define QENPROPERTIES_PROPERTY_PROPERTY_H_

#include <atomic>
#include <cstdint>

#include "qenproperties/frame/export.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/byte_buffer.h"
#include "qenproperties/internal/counted.h"
#include "qenproperties/internal/shared_text.h"
#include "qenproperties/property/property_advanced.h"
#include "qenproperties/property/property_interface.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {

class QEN_API CQProperty : public detail::CountedCore<CQProperty, IQProperty, IQPropertySerializer> {
 public:
  // No services manager, no mediator. Flags 1, a fresh object ID, data type 0 until set.
  CQProperty();
  // Holds a reference on each non-null argument; the mediator is told of every SetPropertyData.
  CQProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator);
  // Same attributes, value and default bytes and object ID as `source`, as its getters report them (a host
  // class that overrides a getter is copied as it reports); the source's services manager; no mediator; a new
  // advanced attribute object with the source's attribute word and no window-string callback.
  CQProperty(CQProperty& source);
  // As the copy constructor, into this object (the mediator binding is dropped). Self-assignment does nothing.
  CQProperty& operator=(const CQProperty& source);

  // IQUnknown: IQProperty and IQUnknown give the object, IQPropertySerializer its serializer part,
  // IQPropertyAdvanced the advanced attribute object.
  ULONG QueryInterface(const _QGUID& iid, void** out) override;

  // IQProperty
  ULONG GetPropertyName(WCHAR* buffer, ULONG* length) override;
  ULONG GetPropertyDescription(WCHAR* buffer, ULONG* length) override;
  ULONG GetPropertyID(ULONG* id) override;
  ULONG GetPropertyGroupID(ULONG* id) override;
  ULONG GetPropertyDataType(QDataType* type) override;
  // A length recorded by SetDataSize beyond the bytes held is reported as it is; the bytes not held are
  // written as zeros, so a caller that sized its buffer from the reported length is filled and never read past.
  ULONG GetPropertyDefaultData(void* buffer, ULONG* length) override;
  ULONG GetPropertyData(void* buffer, ULONG* length) override;
  // Without a mediator, SetDirectData. With one: the previous value is kept, the new bytes stored, and
  // PropertyChanged(snapshot with the old value, this) called; any non-zero answer (or an exception) puts the
  // previous bytes and length back (kFlagValueSet stays set) and is returned. Null `data` with a non-zero
  // length gives kResultInvalidArgument.
  ULONG SetPropertyData(const void* data, ULONG length) override;
  ULONG GetPropertyFlags(ULONG* flags) override;
  ULONG GetCapabilities(ULONG capability, void* input, void* output, ULONG* size) override;
  // kResultNullPointer for null `out`; kResultOutOfMemory when the copy cannot be made.
  ULONG CloneProperty(IQProperty** out) override;
  ULONG SetProperyMediator(IQPropertyMediator* mediator) override;
  ULONG GetObjectId(_QGUID* id) override;
  ULONG Reset() override;

  virtual ~CQProperty();
  virtual ULONG SetObjectId(_QGUID id);

  // IQPropertySerializer. GetDataSize, SetPropertyID, SetPropertyDataType, SetDataSize and SetPropertyFlag
  // always return 0.
  ULONG GetDataSize(ULONG* size) override;
  // The encoded value bytes; length in code units without the terminator. An empty value writes nothing.
  ULONG GetPropertyDataToSave(WCHAR* text, ULONG* length) override;
  // UTF-8; kResultInvalidArgument for null; a conversion error is returned and leaves no name.
  ULONG SetPropertyName(const char* name) override;
  ULONG SetPropertyID(ULONG id) override;
  ULONG SetPropertyDataType(QDataType type) override;
  // Records `size` as the value length without touching the bytes.
  ULONG SetDataSize(ULONG size) override;
  // Replaces the whole flags word.
  ULONG SetPropertyFlag(ULONG flags) override;
  // Decodes `text` and stores the bytes with SetPropertyData (the mediator is told); text that decodes to no
  // bytes changes nothing and gives 0. kResultNullPointer for null text. `size` is not used.
  ULONG LoadDirectDataFromPreset(WCHAR* text, ULONG size) override;

  // Wide setters: kResultInvalidArgument for a null name, kResultNullPointer for a null description.
  ULONG SetPropertyName(const WCHAR* name);
  ULONG SetPropertyDesc(const char* description);
  ULONG SetPropertyDesc(const WCHAR* description);
  // Stores the group ID (the serializer has no load-side slot for it).
  ULONG SetPropertyGroupID(ULONG groupId);
  // Replaces the default bytes; the mediator is not told.
  ULONG SetPropertyDefaultData(const void* data, ULONG length);
  // Stores value bytes without telling the mediator and sets kFlagValueSet; kResultStorageFailed when the
  // bytes cannot be allocated (the property then holds no value bytes).
  ULONG SetDirectData(const void* data, ULONG length);
  // StoreHeld is SetDirectData for a caller that holds SharedLock() already (the typed skeleton's setters).
  ULONG StoreHeld(const void* data, ULONG length);
  // NotifyHeld is SetPropertyData for a caller that holds SharedLock() and the change lock `changeLock` it read
  // from MediatorChangeLock() (the typed skeleton's setters, which enter both once for their whole step). When
  // another mediator was bound meanwhile, its change lock is taken as SetPropertyData takes it.
  ULONG NotifyHeld(detail::QLock* changeLock, const void* data, ULONG length);
  // ReadValue gives the value length and copies the first bytes of the value, at most `capacity`, into
  // `buffer`, all under one lock: the typed getters read a value of known width in one step instead of asking
  // for the length and then the bytes (and never overrun their buffer when the value grows in between).
  // Bytes beyond those held read as zeros, as GetPropertyData gives them.
  void ReadValue(void* buffer, ULONG capacity, ULONG* length) const;
  // ReadFirst8 is ReadValue for the typed values of up to 8 bytes, without a variable-length copy.
  void ReadFirst8(unsigned char (&bytes)[8], ULONG* length) const;

  // The owned texts (null when unset) and the property ID. The pointers stay valid until the text is replaced.
  const WCHAR* GetPropertyName() const { return name_.get(); }
  const WCHAR* GetPropertyDesc() const { return description_.get(); }
  ULONG GetPropertyID() const { return propertyId_.load(std::memory_order_relaxed); }
  // DataType is GetPropertyDataType without the call, for the typed properties' setters.
  QDataType DataType() const { return static_cast<QDataType>(dataType_.load(std::memory_order_relaxed)); }

  // The lock that serialises the changes of the bound mediator, or null (see internal/change_lock.h).
  detail::QLock* MediatorChangeLock() const { return mediatorLock_.load(std::memory_order_acquire); }

  // Internal, for snapshots (internal/snapshot_pool.h). Stamp changes with every change of anything but the
  // value bytes, their length and the flags; Touch gives a new one (the typed setters call it for their own
  // attributes). ShowValueOf and ShowAllOf make this object, a snapshot nobody else holds, show what a copy of
  // `source` would hold: the value, length, flags (with `extraFlags` added) and advanced attribute word, or all
  // of it. Both may throw std::bad_alloc (a value too large to be held inside the object, a new advanced
  // object).
  std::uint64_t Stamp() const { return stamp_.load(std::memory_order_acquire); }
  void Touch();
  void ShowValueOf(const CQProperty& source, ULONG extraFlags);
  // ShowsValueOf tells whether this object, a snapshot nobody else holds, shows already what ShowValueOf would
  // make it show (the same value bytes, length, flags and attribute word), so that it need not be refreshed.
  bool ShowsValueOf(const CQProperty& source, ULONG extraFlags) const;
  void ShowAllOf(const CQProperty& source);
  // MakePooled makes the copy of `source` that is kept as a snapshot (see ShowValueOf).
  static CQProperty* MakePooled(CQProperty& source);

  // Internal, for the typed skeleton. SharedLock is the lock this property guards itself with; the typed
  // property that owns it guards itself with the same lock. The skeleton's assignment installs a copy into
  // the base property it owns: StageCopy reads this property's state under its lock and makes what installing
  // it needs (a new advanced attribute object), so that InstallCopy, run under the target's lock, needs no
  // allocation; InstallCopy gives back the mediator the target was bound to, to be released once the caller
  // has left the target's locks.
  detail::QLock& SharedLock() const { return ObjectLock(); }
  struct State {
    QRef<IQServicesManager> servicesManager;
    detail::SharedText name;
    detail::SharedText description;
    ULONG propertyId = 0;
    ULONG groupId = 0;
    ULONG dataType = kDataTypeBool;
    ULONG flags = 1;
    _QGUID objectId{};
    detail::ByteBuffer value;
    ULONG valueLength = 0;
    detail::ByteBuffer defaultBytes;
    ULONG attribute = 0;
  };
  struct StagedCopy {
    State state;
    QRef<CQPropertyAdvanced> advanced;
  };
  StagedCopy StageCopy() const;
  QRef<IQPropertyMediator> InstallCopy(StagedCopy&& staged);

 protected:
  // The object's recursive lock (internal/lock.h).
  detail::QLock& ObjectLock() const { return lock_; }

 private:
  // Everything a copy takes from its source, read in one go under the source's lock, so that no two property
  // locks are ever held together.
  State TakeState() const;
  static void ReadThroughGetters(CQProperty& source, State& state);
  static detail::SharedText ReadText(CQProperty& source, ULONG (CQProperty::*getter)(WCHAR*, ULONG*));
  static detail::ByteBuffer ReadBytes(CQProperty& source, ULONG (CQProperty::*getter)(void*, ULONG*));
  void CopyFrom(const CQProperty& source);
  QRef<CQPropertyAdvanced> AdvancedFor(const State& state, bool reuse);
  QRef<IQPropertyMediator> Install(State&& state, QRef<CQPropertyAdvanced>&& advanced);
  // Snapshot: the copy of itself with the old value that a change hands the mediator (property.cpp).
  class QEN_LOCAL Snapshot;
  QRef<IQPropertyMediator> BindMediator(QRef<IQPropertyMediator> mediator);
  // The parts of StoreHeld and NotifyHeld that a plain store does not run: a value held on the heap or a store
  // through a derived class's flag setter, and a change told to the bound mediator.
  QEN_LOCAL ULONG StoreAllocating(const void* data, ULONG length);
  QEN_LOCAL ULONG NotifyMediator(const void* data, ULONG length);
  ULONG StoreText(detail::SharedText& target, const char* text);

  // What a preset text's read or store of a value of up to 8 bytes touches lies in the 60 bytes after the
  // count (offsets 20 to 80: the length, the lock, the data type, the flags, the mediator and the first value
  // bytes), so that a pass over many properties reads one or two cache lines of each rather than three or four.
  ULONG valueLength_ = 0;
  mutable detail::QLock lock_;
  std::atomic<ULONG> dataType_{kDataTypeBool};
  std::atomic<ULONG> flags_{1};
  std::atomic<detail::QLock*> mediatorLock_{nullptr};
  QRef<IQPropertyMediator> mediator_;
  detail::ByteBuffer value_;
  std::atomic<std::uint64_t> stamp_;  // set by every constructor
  QRef<IQServicesManager> servicesManager_;
  detail::SharedText name_;
  detail::SharedText description_;
  std::atomic<ULONG> propertyId_{0};
  std::atomic<ULONG> groupId_{0};
  detail::ByteBuffer default_;
  _QGUID objectId_{};
  ULONG capability_ = 0;
  QRef<CQPropertyAdvanced> advanced_;
  // Made as a snapshot: a copy handed only to the callbacks of changes, never owned by a typed property.
  bool pooled_ = false;
  // The copy of itself the last change handed the mediator, and the stamp it shows; kept for the next change
  // and used under this property's lock only (see Snapshot).
  QRef<CQProperty> spare_;
  std::uint64_t spareStamp_ = 0;
};

}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_PROPERTY_H_
