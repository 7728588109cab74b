// typed_property.h: the skeleton every typed property is built on.
//
// PropertyShell<Derived, IPrimary, Extra...> owns the base property (one reference) and the services manager
// (one reference), forwards the common IQProperty operations to the base property, and gives CloneProperty,
// SetProperyMediator, GetObjectId, Reset and the steps every class repeats: reading and storing the value word,
// and CopyFrom. TypedProperty<Derived, IPrimary> adds the IQPropertySerializer part with its forwarding slots,
// the size word and QueryTyped. A typed class then holds only what is particular to it:
//
//   class CQLongProperty : public detail::TypedProperty<CQLongProperty, IQLongProperty> { ... };
//
// The skeleton adds no virtual slot: a typed class keeps its interface's slot order and declares its virtual
// destructor and its own virtual operations after it. Its hooks are static CRTP calls (Copied, TakeCopy,
// PutCopy). A class that answers differently (the command button has no serializer part) derives from
// PropertyShell alone.
//
// Locking: a typed property guards itself with its base property's lock, so a change takes one property lock,
// not two. The base property is made by the constructor and never replaced (a copy is installed into it), so
// the lock stays the same for the object's life. SetterGuard and ValueGuard take the bound mediator's change
// lock, then that lock (see internal/change_lock.h); every typed setter holds one for its run.
//
// Snapshots: the skeleton is the SnapshotFace through which a mediator reuses the snapshots of a class (see
// internal/snapshot_face.h). A setter that changes anything but the value bytes holds a SetterGuard, which
// gives the base property a new stamp, so that the next snapshot copies the attributes anew; a setter that
// changes only the value bytes holds a ValueGuard.
#ifndef QENPROPERTIES_PROPERTY_TYPED_PROPERTY_H_
#define QENPROPERTIES_PROPERTY_TYPED_PROPERTY_H_

#include <array>
#include <cstdint>
#include <typeinfo>
#include <utility>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/optional_property.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/counted.h"
#include "qenproperties/internal/interface_table.h"
#include "qenproperties/internal/little_endian.h"
#include "qenproperties/internal/lock.h"
#include "qenproperties/internal/optional_property_slot.h"
#include "qenproperties/internal/out_of_memory.h"
#include "qenproperties/internal/snapshot_face.h"
#include "qenproperties/property/property.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace detail {

template <class Derived, class IPrimary, class... Extra>
class PropertyShell : public CountedCore<Derived, IPrimary, Extra...>, public SnapshotFace {
 public:
  ULONG GetPropertyName(WCHAR* buffer, ULONG* length) override { return base_->GetPropertyName(buffer, length); }
  ULONG GetPropertyDescription(WCHAR* buffer, ULONG* length) override {
    return base_->GetPropertyDescription(buffer, length);
  }
  ULONG GetPropertyID(ULONG* id) override { return base_->GetPropertyID(id); }
  ULONG GetPropertyGroupID(ULONG* id) override { return base_->GetPropertyGroupID(id); }
  ULONG GetPropertyDataType(QDataType* type) override { return base_->GetPropertyDataType(type); }
  ULONG GetPropertyDefaultData(void* buffer, ULONG* length) override {
    return base_->GetPropertyDefaultData(buffer, length);
  }
  ULONG GetPropertyData(void* buffer, ULONG* length) override { return base_->GetPropertyData(buffer, length); }
  ULONG GetPropertyFlags(ULONG* flags) override { return base_->GetPropertyFlags(flags); }
  ULONG GetCapabilities(ULONG capability, void* input, void* output, ULONG* size) override {
    return base_->GetCapabilities(capability, input, output, size);
  }

  // SetPropertyData: raw bytes to the base property's notifying store, unchecked but for a null pointer.
  ULONG SetPropertyData(const void* data, ULONG length) override {
    if (data == nullptr) return kResultInvalidArgument;
    return StoreRaw(data, length);
  }

  // CloneProperty: a new object made by the class's copy constructor (count 1, same object ID, no mediator);
  // kResultNullPointer for null `out`, kResultOutOfMemory when the copy cannot be made.
  ULONG CloneProperty(IQProperty** out) override {
    if (out == nullptr) return kResultNullPointer;
    return OutOfMemoryAs(kResultOutOfMemory, [&] {
      *out = new Derived(static_cast<Derived&>(*this));
      return kResultOk;
    });
  }

  // The mediator is bound to the base property, which reports the changes.
  ULONG SetProperyMediator(IQPropertyMediator* mediator) override { return base_->SetProperyMediator(mediator); }

  ULONG GetObjectId(_QGUID* id) override {
    if (id == nullptr) return kResultOk;
    return base_->GetObjectId(id);
  }

  // Reset: the default bytes become the value, kFlagValueSet is cleared, the mediator is not told.
  ULONG Reset() override {
    ValueGuard guard(*this);
    return base_->Reset();
  }

  // BaseProperty gives the owned base property (never null after construction); no reference is added.
  CQProperty* BaseProperty() const { return base_.get(); }

  // Each class assigns through its own operator=, which runs CopyFrom.
  PropertyShell& operator=(const PropertyShell&) = delete;

  // SnapshotFace (internal/snapshot_face.h): how a mediator reuses snapshots of this class. Only a class
  // whose value is nothing but its base property's bytes has its snapshots reused: a class with fields that
  // follow the value is cloned for every change, as a host's class is.
  bool SnapshotExact() const override { return Derived::kPlainValue && typeid(*this) == typeid(Derived); }
  IQProperty* SnapshotObject() override { return static_cast<IPrimary*>(static_cast<Derived*>(this)); }
  std::uint64_t SnapshotStamp() const override { return base_->Stamp(); }
  bool SnapshotUnshared() const override { return this->Unshared(); }
  SnapshotFace* CopyForSnapshot() override { return new Derived(static_cast<Derived&>(*this)); }
  bool ShowValue(SnapshotFace& source, const CQProperty* value) override {
    if (!this->Unshared()) return false;
    // A store sets kFlagValueSet.
    if (value != nullptr) {
      base_->ShowValueOf(*value, kFlagValueSet);
    } else {
      base_->ShowValueOf(*static_cast<Derived&>(source).base_, 0);
    }
    return true;
  }
  CQProperty* SnapshotBase() override { return base_.get(); }

 protected:
  using Shell = PropertyShell;

  // kPlainValue: the class's value is its base property's bytes and nothing else (no field of its own follows
  // the value, and its SetPropertyData only checks the bytes). A class that is so declares it true; snapshots
  // of it then take a value by copying.
  static constexpr bool kPlainValue = false;

  // ObjectLock is the base property's lock, which this object shares.
  QLock& ObjectLock() const { return base_->SharedLock(); }

  // ValueGuard: the mediator's change lock first, then the object's lock. For setters that change only the
  // value bytes, which a snapshot refreshes on every change anyway.
  class ValueGuard {
   public:
    explicit ValueGuard(const PropertyShell& shell)
        : changeLock_(shell.base_->MediatorChangeLock()), change_(changeLock_), own_(shell.ObjectLock()) {}

    // The change lock taken (null when none was bound), for CQProperty::NotifyHeld.
    QLock* ChangeLock() const { return changeLock_; }

   private:
    QLock* const changeLock_;
    QLockGuard change_;
    QLockGuard own_;
  };

  // SetterGuard: the same locks, for every other setter. The base property takes a new stamp, so the next
  // snapshot of this object copies its attributes anew.
  class SetterGuard : public ValueGuard {
   public:
    explicit SetterGuard(const PropertyShell& shell) : ValueGuard(shell) { shell.base_->Touch(); }
  };

  // The base property is created with the services manager and the mediator, flags 1.
  PropertyShell(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
      : base_(QRef<CQProperty>::Adopt(new CQProperty(servicesManager, mediator))),
        servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)) {
    base_->SetPropertyFlag(1);
  }
  // A copy starts empty; the class's copy constructor fills it with CopyFrom.
  PropertyShell(const PropertyShell& source) : CountedCore<Derived, IPrimary, Extra...>(source) {}
  ~PropertyShell() = default;

  // Describe gives the base property its name, description, IDs and data type (narrow texts are UTF-8). A null
  // text leaves it unset.
  template <class Char>
  void Describe(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, QDataType type) {
    base_->SetPropertyName(name);
    base_->SetPropertyDesc(description);
    base_->SetPropertyID(propertyId);
    base_->SetPropertyGroupID(groupId);
    base_->SetPropertyDataType(type);
  }

  // The typed state CopyFrom carries over. A class with typed fields declares its own Copied, a static
  // `Copied TakeCopy(Derived& source)` that reads them from the source and a `void PutCopy(Copied&&)` that
  // installs them; these defaults carry nothing.
  struct Copied {};
  static Copied TakeCopy(Derived& /*source*/) { return {}; }
  void PutCopy(Copied&& /*copied*/) {}

  // CopyFrom is the one copy step of every typed class, run by its copy constructor and its assignment.
  //
  // Lock order: everything is read from the source first, with no lock of this object held: the typed state
  // through Derived::TakeCopy (the source's getters, or its fields under its own lock when the source is
  // exactly the library's class), then its base property's state under that base property's lock. Then this
  // object's SetterGuard is taken and all of it installed at once. No two objects' locks are ever held
  // together, so two assignments crossing each other on two threads cannot deadlock, and an allocation that
  // fails while reading leaves this object as it was. The copy constructor makes the base property as a copy
  // (nobody can see the new object yet); an assignment installs into the one it has, whose lock is this
  // object's.
  void CopyFrom(const Derived& source) {
    // The interfaces' getters are not const; a copy only reads through them.
    auto& from = const_cast<Derived&>(source);
    typename Derived::Copied typed = Derived::TakeCopy(from);
    if (!base_) {
      base_ = QRef<CQProperty>::Adopt(new CQProperty(*from.base_));
      static_cast<Derived*>(this)->PutCopy(std::move(typed));
      servicesManager_ = from.servicesManager_;
      return;
    }
    CQProperty::StagedCopy base = from.base_->StageCopy();
    QRef<IQPropertyMediator> unbound;  // released once the guard is left
    SetterGuard guard(*this);
    static_cast<Derived*>(this)->PutCopy(std::move(typed));
    unbound = base_->InstallCopy(std::move(base));
    servicesManager_ = from.servicesManager_;
  }

  // Assign is operator= of every typed class: CopyFrom unless the source is the object itself.
  Derived& Assign(const Derived& source) {
    if (&source != this) CopyFrom(source);
    return static_cast<Derived&>(*this);
  }

  // ReadStored reads the first `width` bytes (at most 8) of the stored value as a little-endian number, in one
  // step under the base property's lock and without allocating: a shorter value reads zero-extended, a longer
  // one is cut, and nothing is ever read past the value. Returns false, leaving `value` alone, when no value is
  // stored.
  bool ReadStored(ULONG width, std::uint64_t& value) const {
    unsigned char bytes[8];
    ULONG held = 0;
    base_->ReadFirst8(bytes, &held);
    if (held == 0) return false;
    // ReadFirst8 clears every byte past those held, so the word read whole and cut to the width is the value
    // zero-extended; reading all 8 bytes at once takes one load where a count known only now took a loop.
    const std::uint64_t word = LoadLE64(bytes);
    value = width >= 8 ? word : word & ((std::uint64_t{1} << (8 * width)) - 1);
    return true;
  }

  // StoreValue hands value bytes to the base property: the notifying store (the mediator is told and may
  // refuse) or the direct one.
  ULONG StoreValue(const void* bytes, ULONG length, bool notify) {
    ValueGuard guard(*this);  // mostly held by the caller already: then it is only re-entered
    return StoreValue(guard, bytes, length, notify);
  }
  // The same for a caller that holds `held` (a SetterGuard is one), which is then not entered again.
  ULONG StoreValue(const ValueGuard& held, const void* bytes, ULONG length, bool notify) {
    return notify ? base_->NotifyHeld(held.ChangeLock(), bytes, length) : base_->StoreHeld(bytes, length);
  }
  // StoreWord stores the 4 little-endian bytes of `word`, notifying or direct.
  ULONG StoreWord(ULONG word, bool notify) {
    ValueGuard guard(*this);  // mostly held by the caller already: then it is only re-entered
    return StoreWord(guard, word, notify);
  }
  ULONG StoreWord(const ValueGuard& held, ULONG word, bool notify) {
    const auto bytes = StoreLE32(word);
    return StoreValue(held, bytes.data(), 4, notify);
  }
  // StoreDefaultWord makes the 4 little-endian bytes of `word` the default; the mediator is not told.
  ULONG StoreDefaultWord(ULONG word) {
    SetterGuard guard(*this);
    const auto bytes = StoreLE32(word);
    return base_->SetPropertyDefaultData(bytes.data(), 4);
  }
  // StoreRaw is the raw SetPropertyData after the class's own checks: the bytes as given, with a notification.
  ULONG StoreRaw(const void* data, ULONG length) {
    ValueGuard guard(*this);
    return base_->NotifyHeld(guard.ChangeLock(), data, length);
  }

  // The base property first: every call of a preset pass reads it, next to the object's table pointers.
  QRef<CQProperty> base_;
  QRef<IQServicesManager> servicesManager_;
};

template <class Derived, class IPrimary>
class TypedProperty : public PropertyShell<Derived, IPrimary, IQPropertySerializer> {
  using Base = PropertyShell<Derived, IPrimary, IQPropertySerializer>;

 public:
  // IQPropertySerializer slots that forward to the base property; the setters always return 0.
  ULONG GetDataSize(ULONG* size) override {
    this->base_->GetPropertyData(nullptr, size);
    return kResultOk;
  }
  ULONG SetPropertyName(const char* name) override {
    this->base_->SetPropertyName(name);
    return kResultOk;
  }
  ULONG SetPropertyID(ULONG id) override { return this->base_->SetPropertyID(id); }
  ULONG SetPropertyDataType(QDataType type) override { return this->base_->SetPropertyDataType(type); }
  ULONG SetPropertyFlag(ULONG flags) override { return this->base_->SetPropertyFlag(flags); }
  // SetDataSize records the length the class's preset load stores (only the long property reads it).
  ULONG SetDataSize(ULONG size) override {
    typename Base::SetterGuard guard(*this);
    sizeWord_ = size;
    return kResultOk;
  }

 protected:
  using Base::Base;
  TypedProperty(const TypedProperty& source) : Base(source) {}
  ~TypedProperty() = default;

  // What every typed class answers with itself: its own interface, IQProperty and IQUnknown through the
  // primary table, IQPropertySerializer through its serializer part.
  using InterfaceTable = std::array<InterfaceEntry<Derived>, 4>;
  static InterfaceTable TypedInterfaces(const _QGUID& own) {
    return {{{&own, &InterfaceCast<Derived, IPrimary>},
             {&IID_IQProperty, &InterfaceCast<Derived, IPrimary>},
             {&IID_IQUnknown, &InterfaceCast<Derived, IPrimary>},
             {&IID_IQPropertySerializer, &InterfaceCast<Derived, IQPropertySerializer>}}};
  }

  // QueryTyped is QueryInterface of every typed class: the table first; then IQOptionalProperty, answered with
  // the held optional property while one is held (classes that hold one pass their slot); anything else is
  // passed to the base property, which answers IQPropertyAdvanced and refuses the rest.
  ULONG QueryTyped(const InterfaceTable& table, const _QGUID& iid, void** out,
                   const OptionalPropertySlot* optional = nullptr) {
    if (out == nullptr) return kResultNullPointer;
    if (FindInterface(static_cast<Derived*>(this), table, iid, out)) return kResultOk;
    if (optional != nullptr && iid == IID_IQOptionalProperty) {
      const QRef<IQOptionalProperty> held = optional->Get();
      if (held) return HandOut(held.get(), out);
    }
    return this->base_->QueryInterface(iid, out);
  }

  ULONG sizeWord_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_TYPED_PROPERTY_H_
