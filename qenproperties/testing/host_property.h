// host_property.h: properties a host writes itself, for the tests of how the library treats classes it did not
// make. Reporting<Base> answers the attribute getters from a fixed record, whatever Base holds (a host class
// derived from a library class); HostProperty is a whole property written against the interface alone.
//
//   auto hosted = QRef<HostProperty>::Adopt(new HostProperty({"", "", 60, 0, kDataTypeUInt32, 1, id}, 5, mediator));
#ifndef QENPROPERTIES_TESTING_HOST_PROPERTY_H_
#define QENPROPERTIES_TESTING_HOST_PROPERTY_H_

#include <cstring>
#include <string>
#include <utility>

#include "qenproperties/qenproperties.h"

namespace Quenneth {
namespace testing {

// The attributes a host's property reports through its getters.
struct HostAttributes {
  std::string name;
  std::string description;
  ULONG id = 0;
  ULONG groupId = 0;
  QDataType type = kDataTypeUInt32;
  ULONG flags = 0;
  _QGUID objectId = {};
};

// ReportText: `ascii` under the code-unit length protocol of the name getters.
inline ULONG ReportText(const std::string& ascii, WCHAR* buffer, ULONG* length) {
  if (length != nullptr) *length = static_cast<ULONG>(ascii.size());
  if (buffer != nullptr) {
    for (char c : ascii) *buffer++ = static_cast<unsigned char>(c);
    *buffer = 0;
  }
  return kResultOk;
}

// ReportBytes: `ascii` under the byte length protocol of the enumeration getters.
inline ULONG ReportBytes(const std::string& ascii, WCHAR* buffer, ULONG* byteLength) {
  ReportText(ascii, buffer, byteLength);
  *byteLength *= 2;
  return kResultOk;
}

// Reporting<Base>: the attribute getters report `reported`, not what Base holds.
template <class Base>
class Reporting : public Base {
 public:
  template <class... Args>
  explicit Reporting(HostAttributes reported, Args&&... args)
      : Base(std::forward<Args>(args)...), reported_(std::move(reported)) {}

  ULONG GetPropertyName(WCHAR* buffer, ULONG* length) override { return ReportText(reported_.name, buffer, length); }
  ULONG GetPropertyDescription(WCHAR* buffer, ULONG* length) override {
    return ReportText(reported_.description, buffer, length);
  }
  ULONG GetPropertyID(ULONG* id) override {
    *id = reported_.id;
    return kResultOk;
  }
  ULONG GetPropertyGroupID(ULONG* id) override {
    *id = reported_.groupId;
    return kResultOk;
  }
  ULONG GetPropertyDataType(QDataType* type) override {
    *type = reported_.type;
    return kResultOk;
  }
  ULONG GetPropertyFlags(ULONG* flags) override {
    *flags = reported_.flags;
    return kResultOk;
  }
  ULONG GetObjectId(_QGUID* id) override {
    *id = reported_.objectId;
    return kResultOk;
  }

 protected:
  ~Reporting() = default;

  HostAttributes reported_;
};

// HostProperty: a 32-bit value word that tells its mediator of each change with a clone of itself taken before,
// and restores the word when the mediator refuses. It counts the clones made of it in `*clones` when given: the
// library copies a class it does not know only through CloneProperty.
class HostProperty final : public Reporting<IQProperty> {
 public:
  HostProperty(HostAttributes reported, ULONG value, IQPropertyMediator* mediator, int* clones = nullptr)
      : Reporting(std::move(reported)), value_(value), mediator_(mediator), clones_(clones) {}

  ULONG QueryInterface(const _QGUID& iid, void** out) override {
    *out = iid == IID_IQProperty || iid == IID_IQUnknown ? this : nullptr;
    if (*out == nullptr) return kResultNoInterface;
    AddRef();
    return kResultOk;
  }
  ULONG AddRef() override { return ++count_; }
  ULONG Release() override {
    const ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }
  ULONG GetPropertyDefaultData(void* buffer, ULONG* length) override { return GetPropertyData(buffer, length); }
  ULONG GetPropertyData(void* buffer, ULONG* length) override {
    *length = sizeof value_;
    if (buffer != nullptr) std::memcpy(buffer, &value_, sizeof value_);
    return kResultOk;
  }
  ULONG SetPropertyData(const void* data, ULONG length) override {
    if (length != sizeof value_) return kResultInvalidArgument;
    QRef<IQProperty> before;
    if (mediator_ != nullptr) CloneProperty(before.Put());
    const ULONG previous = value_;
    std::memcpy(&value_, data, sizeof value_);
    const ULONG result = mediator_ != nullptr ? mediator_->PropertyChanged(before.get(), this) : kResultOk;
    if (result != kResultOk) value_ = previous;
    return result;
  }
  ULONG GetCapabilities(ULONG, void*, void*, ULONG*) override { return kResultCapabilityUnknown; }
  ULONG CloneProperty(IQProperty** out) override {
    if (clones_ != nullptr) ++*clones_;
    *out = new HostProperty(reported_, value_, nullptr, clones_);
    return kResultOk;
  }
  ULONG SetProperyMediator(IQPropertyMediator* mediator) override {
    mediator_ = mediator;
    return kResultOk;
  }
  ULONG Reset() override { return kResultOk; }

 private:
  virtual ~HostProperty() = default;

  ULONG value_;
  IQPropertyMediator* mediator_;  // not held: the test keeps the mediator alive
  int* clones_;
  ULONG count_ = 1;
};

}  // namespace testing
}  // namespace Quenneth

#endif  // QENPROPERTIES_TESTING_HOST_PROPERTY_H_
