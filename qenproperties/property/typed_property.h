// typed_property.h: the skeleton every typed property is built on.
//
// PropertyShell<Derived, IPrimary, Extra...> owns the base property (one reference) and the services manager
// (one reference), forwards the common IQProperty operations to the base property, and gives CloneProperty,
// SetProperyMediator, GetObjectId and Reset. TypedProperty<Derived, IPrimary> adds the IQPropertySerializer part
// with its forwarding slots and the size word. A typed class then holds only what is particular to it:
//
//   class CQLongProperty : public detail::TypedProperty<CQLongProperty, IQLongProperty> { ... };
//
// The skeleton adds no virtual slot: a typed class keeps its interface's slot order and declares its virtual
// destructor and its own virtual operations after it. A class that answers differently (the command button has
// no serializer part) derives from PropertyShell alone.
//
// Locking: SetterGuard takes the bound mediator's change lock, then the object's own lock (see
// internal/change_lock.h); every typed setter holds one for its run. Forwarded getters take no typed lock.
#ifndef QENPROPERTIES_PROPERTY_TYPED_PROPERTY_H_
#define QENPROPERTIES_PROPERTY_TYPED_PROPERTY_H_

#include <cstdint>
#include <new>
#include <typeinfo>
#include <utility>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/optional_property.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/frame/services_manager.h"
#include "qenproperties/internal/counted.h"
#include "qenproperties/internal/interface_table.h"
#include "qenproperties/internal/lock.h"
#include "qenproperties/internal/snapshot_pool.h"
#include "qenproperties/property/property.h"
#include "qenproperties/property/property_serializer.h"

namespace Quenneth {
namespace detail {

template <class Derived, class IPrimary, class... Extra>
class PropertyShell : public Counted<Derived, IPrimary, Extra...>, public SnapshotFace {
 public:
  ULONG GetPropertyName(WCHAR* buffer, ULONG* length) override { return inner_->GetPropertyName(buffer, length); }
  ULONG GetPropertyDescription(WCHAR* buffer, ULONG* length) override {
    return inner_->GetPropertyDescription(buffer, length);
  }
  ULONG GetPropertyID(ULONG* id) override { return inner_->GetPropertyID(id); }
  ULONG GetPropertyGroupID(ULONG* id) override { return inner_->GetPropertyGroupID(id); }
  ULONG GetPropertyDataType(QDataType* type) override { return inner_->GetPropertyDataType(type); }
  ULONG GetPropertyDefaultData(void* buffer, ULONG* length) override {
    return inner_->GetPropertyDefaultData(buffer, length);
  }
  ULONG GetPropertyData(void* buffer, ULONG* length) override { return inner_->GetPropertyData(buffer, length); }
  ULONG GetPropertyFlags(ULONG* flags) override { return inner_->GetPropertyFlags(flags); }
  ULONG GetCapabilities(ULONG capability, void* input, void* output, ULONG* size) override {
    return inner_->GetCapabilities(capability, input, output, size);
  }

  // SetPropertyData: raw bytes to the base property's notifying store, unchecked but for a null pointer.
  ULONG SetPropertyData(const void* data, ULONG length) override {
    if (data == nullptr) return kResultInvalidArgument;
    ValueGuard guard(*this);
    return inner_->SetPropertyData(data, length);
  }

  // CloneProperty: a new object made by the class's copy constructor (count 1, same object ID, no mediator).
  ULONG CloneProperty(IQProperty** out) override {
    if (out == nullptr) return kResultNullPointer;
    try {
      *out = new Derived(static_cast<Derived&>(*this));
    } catch (const std::bad_alloc&) {
      return kResultOutOfMemory;
    }
    return kResultOk;
  }

  // The mediator is bound to the base property, which reports the changes.
  ULONG SetProperyMediator(IQPropertyMediator* mediator) override { return inner_->SetProperyMediator(mediator); }

  ULONG GetObjectId(_QGUID* id) override {
    if (id == nullptr) return kResultOk;
    return inner_->GetObjectId(id);
  }

  // Reset: the default bytes become the value, kFlagValueSet is cleared, the mediator is not told.
  ULONG Reset() override {
    ValueGuard guard(*this);
    return inner_->Reset();
  }

  // Inner gives the owned base property (never null after construction); no reference is added.
  CQProperty* Inner() const { return inner_.get(); }

  // SnapshotFace (internal/snapshot_pool.h): how a mediator's pool reuses snapshots of this class.
  bool SnapshotExact() const override { return typeid(*this) == typeid(Derived); }
  const void* SnapshotKind() const override {
    static const char kind = 0;
    return &kind;
  }
  IQProperty* SnapshotObject() override { return static_cast<IPrimary*>(static_cast<Derived*>(this)); }
  std::uint64_t SnapshotStamp() const override { return inner_->Stamp(); }
  bool SnapshotUnshared() const override { return this->Unshared(); }
  SnapshotFace* CopyForSnapshot() override { return new Derived(static_cast<Derived&>(*this)); }
  void ShowSource(SnapshotFace& source, bool attributes, const CQProperty* value) override {
    auto& from = static_cast<Derived&>(source);
    if (attributes) static_cast<Derived&>(*this) = from;
    // A store sets kFlagValueSet.
    if (value != nullptr) {
      inner_->ShowValueOf(*value, kFlagValueSet);
    } else if (!attributes) {
      inner_->ShowValueOf(*from.inner_, 0);
    }
  }
  CQProperty* SnapshotBase() override { return inner_.get(); }
  bool SnapshotPlainValue() const override { return Derived::kPlainValue; }

 protected:
  // kPlainValue: the class's value is its base property's bytes and nothing else (no field of its own
  // follows the value). A class that is so declares it true; snapshots of it then take a value by copying.
  static constexpr bool kPlainValue = false;

  // ValueGuard: the mediator's change lock first, then the object's lock. For setters that change only the
  // value bytes (what a snapshot refreshes on every change anyway).
  class ValueGuard {
   public:
    explicit ValueGuard(const PropertyShell& shell)
        : change_(shell.inner_ ? shell.inner_->MediatorChangeLock() : nullptr), own_(shell.ObjectLock()) {}

   private:
    QLockGuard change_;
    QLockGuard own_;
  };

  // SetterGuard: the same locks, for every other setter. The base property takes a new stamp, so the next
  // snapshot of this object copies its attributes anew.
  class SetterGuard : public ValueGuard {
   public:
    explicit SetterGuard(const PropertyShell& shell) : ValueGuard(shell) {
      if (shell.inner_) shell.inner_->Touch();
    }
  };

  // The base property is created with the services manager and the mediator, flags 1.
  PropertyShell(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
      : servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)),
        inner_(QRef<CQProperty>::Adopt(new CQProperty(servicesManager, mediator))) {
    inner_->SetPropertyFlag(1);
  }
  // A copy starts empty; the class's copy constructor fills it with CopyShellFrom.
  PropertyShell(const PropertyShell& source) : Counted<Derived, IPrimary, Extra...>(source) {}
  PropertyShell& operator=(const PropertyShell&) = delete;
  ~PropertyShell() = default;

  // Describe gives the base property its name, description, IDs and data type (narrow texts are UTF-8). A null
  // text leaves it unset.
  template <class Char>
  void Describe(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, QDataType type) {
    inner_->SetPropertyName(name);
    inner_->SetPropertyDesc(description);
    inner_->SetPropertyID(propertyId);
    inner_->SetPropertyGroupID(groupId);
    inner_->SetPropertyDataType(type);
  }

  // CopyShellFrom replaces the base property by a copy of the source's (same attributes, value and object ID,
  // no mediator) and takes the source's services manager. The copy is made before anything is replaced.
  void CopyShellFrom(const PropertyShell& source) {
    auto inner = QRef<CQProperty>::Adopt(new CQProperty(*source.inner_));
    QLockGuard guard(this->ObjectLock());
    inner_ = std::move(inner);
    servicesManager_ = source.servicesManager_;
  }

  QRef<IQServicesManager> servicesManager_;
  QRef<CQProperty> inner_;
};

template <class Derived, class IPrimary>
class TypedProperty : public PropertyShell<Derived, IPrimary, IQPropertySerializer> {
  using Shell = PropertyShell<Derived, IPrimary, IQPropertySerializer>;

 public:
  // IQPropertySerializer slots that forward to the base property; the setters always return 0.
  ULONG GetDataSize(ULONG* size) override {
    this->inner_->GetPropertyData(nullptr, size);
    return kResultOk;
  }
  ULONG SetPropertyName(const char* name) override {
    this->inner_->SetPropertyName(name);
    return kResultOk;
  }
  ULONG SetPropertyID(ULONG id) override { return this->inner_->SetPropertyID(id); }
  ULONG SetPropertyDataType(QDataType type) override { return this->inner_->SetPropertyDataType(type); }
  ULONG SetPropertyFlag(ULONG flags) override { return this->inner_->SetPropertyFlag(flags); }
  // SetDataSize records the length the class's preset load stores (only the long property reads it).
  ULONG SetDataSize(ULONG size) override {
    typename Shell::SetterGuard guard(*this);
    sizeWord_ = size;
    return kResultOk;
  }

 protected:
  using Shell::Shell;
  TypedProperty(const TypedProperty& source) : Shell(source) {}
  ~TypedProperty() = default;

  // QueryTyped answers the class's own identifier, IQProperty and IQUnknown with the object, the serializer
  // identifier with the serializer part, IQOptionalProperty with `optional` while one is held, and passes
  // anything else to the base property (which answers IQPropertyAdvanced).
  ULONG QueryTyped(const _QGUID& own, const _QGUID& iid, void** out, IQOptionalProperty* optional = nullptr) {
    if (out == nullptr) return kResultNullPointer;
    if (iid == own || iid == IID_IQProperty || iid == IID_IQUnknown) {
      return HandOut(static_cast<IPrimary*>(static_cast<Derived*>(this)), out);
    }
    if (iid == IID_IQPropertySerializer) {
      return HandOut(static_cast<IQPropertySerializer*>(static_cast<Derived*>(this)), out);
    }
    if (iid == IID_IQOptionalProperty && optional != nullptr) return HandOut(optional, out);
    return this->inner_->QueryInterface(iid, out);
  }

  ULONG sizeWord_ = 0;
};

}  // namespace detail
}  // namespace Quenneth

#endif  // QENPROPERTIES_PROPERTY_TYPED_PROPERTY_H_
