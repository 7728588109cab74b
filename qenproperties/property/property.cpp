#include "qenproperties/property/property.h"

#include <cstring>
#include <new>
#include <typeinfo>
#include <vector>

#include "qenproperties/foundation/encoding.h"
#include "qenproperties/foundation/guid.h"
#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/internal/change_lock.h"
#include "qenproperties/internal/interface_table.h"
#include "qenproperties/internal/out_of_memory.h"
#include "qenproperties/internal/snapshot_pool.h"

namespace Quenneth {
namespace {

// Copies a text getter's answer: the length in code units, and the text with its terminator when asked.
void WriteText(const detail::SharedText& text, WCHAR* buffer, ULONG* length) {
  if (length != nullptr) *length = text.length();
  if (buffer != nullptr && text) StringUtils::QWCopy(buffer, text.get(), 0);
}

// Copies `length` bytes of which `bytes` holds the first `held`; the rest reads as zeros.
void WriteBytes(const detail::ByteBuffer& bytes, ULONG length, void* buffer, ULONG* outLength) {
  if (outLength != nullptr) *outLength = length;
  if (buffer == nullptr || length == 0) return;
  ULONG held = bytes.size() < length ? bytes.size() : length;
  if (held != 0) std::memcpy(buffer, bytes.data(), held);
  if (held < length) std::memset(static_cast<unsigned char*>(buffer) + held, 0, length - held);
}

}  // namespace

// Snapshot: the copy of itself with the old value that a change hands the mediator: the spare copy this
// property kept from its last change, refreshed, or a new one; kept again when it goes. Null when it could not
// be made. Only the library's own class bound to a library mediator keeps a spare (internal/snapshot_pool.h
// says why that is safe); a class that derives from it, or a change told to a host's mediator, is cloned
// through CloneProperty as always. Made and dropped under the source's lock.
class QEN_LOCAL CQProperty::Snapshot {
 public:
  explicit Snapshot(CQProperty& source);
  Snapshot(const Snapshot&) = delete;
  Snapshot& operator=(const Snapshot&) = delete;
  ~Snapshot();
  IQProperty* get() const;

  // CopyValue is ShowValueOf for a caller that holds the lock of `source` or knows that nobody else sees it:
  // it copies the value, its length and the flags into `copy` and gives the attribute word, which
  // ShowAttribute then shows (the advanced object is replaced rather than changed when another holds it).
  static ULONG CopyValue(CQProperty& copy, const CQProperty& source, ULONG extraFlags) {
    copy.value_ = source.value_;
    copy.valueLength_ = source.valueLength_;
    copy.flags_.store(source.flags_.load(std::memory_order_relaxed) | extraFlags, std::memory_order_relaxed);
    return source.advanced_ ? source.advanced_->Attribute() : 0;
  }
  static void ShowAttribute(CQProperty& copy, ULONG attribute) {
    // The host may have taken this snapshot's advanced object in an earlier change: that one stays as it was.
    if (copy.advanced_->Attribute() == attribute) return;
    if (copy.advanced_->Unshared()) {
      copy.advanced_->SetAttribute(attribute);
    } else {
      copy.advanced_ = QRef<CQPropertyAdvanced>::Adopt(new CQPropertyAdvanced(copy.servicesManager_.get(), attribute));
    }
  }

 private:
  CQProperty& source_;
  QRef<CQProperty> kept_;
  std::uint64_t stamp_ = 0;
  QRef<IQProperty> cloned_;
};

CQProperty::Snapshot::Snapshot(CQProperty& source) : source_(source) {
  if (source.MediatorChangeLock() == nullptr || typeid(source) != typeid(CQProperty)) {
    source.CloneProperty(cloned_.Put());
    return;
  }
  stamp_ = source.Stamp();
  kept_.swap(source.spare_);
  try {
    if (kept_ && kept_->Unshared()) {
      if (source.spareStamp_ != stamp_) kept_->ShowAllOf(source);
      // NotifyHeld, the only maker, holds the source's lock.
      ShowAttribute(*kept_, CopyValue(*kept_, source, 0));
    } else {
      kept_ = QRef<CQProperty>::Adopt(MakePooled(source));
    }
  } catch (const std::bad_alloc&) {
    kept_.reset();
  }
}

CQProperty::Snapshot::~Snapshot() {
  // A nested change of the same property may have kept its own meanwhile: then this one goes.
  if (kept_ && kept_->Unshared() && !source_.spare_) {
    source_.spare_.swap(kept_);
    source_.spareStamp_ = stamp_;
  }
}

IQProperty* CQProperty::Snapshot::get() const { return kept_ ? static_cast<IQProperty*>(kept_.get()) : cloned_.get(); }

CQProperty::CQProperty() : CQProperty(nullptr, nullptr) {}

CQProperty::CQProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : stamp_(detail::NextStamp()), servicesManager_(QRef<IQServicesManager>::Retain(servicesManager)) {
  detail::QLockGuard guard(ObjectLock());
  QGenerateGUID(&objectId_);
  BindMediator(QRef<IQPropertyMediator>::Retain(mediator));
  advanced_ = QRef<CQPropertyAdvanced>::Adopt(new CQPropertyAdvanced(servicesManager));
}

// The copy road of every snapshot. No other thread can see the new object yet, so it takes the source's
// state without its own lock.
CQProperty::CQProperty(CQProperty& source) : CountedCore(source), stamp_(detail::NextStamp()) {
  State state = source.TakeState();
  QRef<CQPropertyAdvanced> advanced = AdvancedFor(state, false);
  Install(std::move(state), std::move(advanced));
}

CQProperty& CQProperty::operator=(const CQProperty& source) {
  if (this != &source) CopyFrom(source);
  return *this;
}

CQProperty::~CQProperty() = default;

// TakeState reads the library's own class field by field. A host class that derives from it is read through
// its IQProperty getters and its advanced attribute object's GetAttribute, so that what it reports is what
// the copy holds; its lock is held meanwhile (its getters take it again), so the lengths asked for hold while
// the texts and bytes are fetched.
CQProperty::State CQProperty::TakeState() const {
  detail::QLockGuard guard(ObjectLock());
  State state;
  state.servicesManager = servicesManager_;
  if (typeid(*this) != typeid(CQProperty)) {
    ReadThroughGetters(const_cast<CQProperty&>(*this), state);  // the getters are not const; they only read
    return state;
  }
  state.name = name_;
  state.description = description_;
  state.propertyId = propertyId_.load(std::memory_order_relaxed);
  state.groupId = groupId_.load(std::memory_order_relaxed);
  state.dataType = dataType_.load(std::memory_order_relaxed);
  state.flags = flags_.load(std::memory_order_relaxed);
  state.objectId = objectId_;
  state.value = value_;
  state.valueLength = valueLength_;
  state.defaultBytes = default_;
  if (advanced_) advanced_->GetAttribute(&state.attribute);
  return state;
}

void CQProperty::ReadThroughGetters(CQProperty& source, State& state) {
  QDataType type = kDataTypeBool;
  source.GetPropertyDataType(&type);
  state.dataType = type;
  source.GetPropertyGroupID(&state.groupId);
  source.GetPropertyID(&state.propertyId);
  source.GetPropertyFlags(&state.flags);
  source.GetObjectId(&state.objectId);
  state.name = ReadText(source, &CQProperty::GetPropertyName);
  state.description = ReadText(source, &CQProperty::GetPropertyDescription);
  state.value = ReadBytes(source, &CQProperty::GetPropertyData);
  state.valueLength = state.value.size();
  state.defaultBytes = ReadBytes(source, &CQProperty::GetPropertyDefaultData);
  QRef<IQPropertyAdvanced> advanced;
  source.QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid());
  if (advanced) advanced->GetAttribute(&state.attribute);
}

// ReadText asks a text getter for the length, then for the text; no text (length 0) reads as none.
detail::SharedText CQProperty::ReadText(CQProperty& source, ULONG (CQProperty::*getter)(WCHAR*, ULONG*)) {
  ULONG length = 0;
  (source.*getter)(nullptr, &length);
  if (length == 0) return {};
  std::vector<WCHAR> text(static_cast<std::size_t>(length) + 1, 0);
  (source.*getter)(text.data(), &length);
  return detail::SharedText::Copy(text.data(), StringUtils::QWLen(text.data()));
}

// ReadBytes asks a byte getter for the length, then for the bytes.
detail::ByteBuffer CQProperty::ReadBytes(CQProperty& source, ULONG (CQProperty::*getter)(void*, ULONG*)) {
  ULONG length = 0;
  (source.*getter)(nullptr, &length);
  detail::ByteBuffer bytes;
  if (length == 0) return bytes;
  std::vector<unsigned char> held(length, 0);
  (source.*getter)(held.data(), &length);
  bytes.Assign(held.data(), static_cast<ULONG>(held.size()));
  return bytes;
}

// AdvancedFor makes the advanced attribute object a copy of `state` gets: a new one with the source's attribute
// word and no window-string callback, made before anything changes so that a failed allocation leaves this
// property as it was. A snapshot that nobody else holds keeps its own instead (`reuse`).
QRef<CQPropertyAdvanced> CQProperty::AdvancedFor(const State& state, bool reuse) {
  if (reuse && advanced_ && advanced_->Unshared() && servicesManager_ == state.servicesManager) {
    advanced_->SetAttribute(state.attribute);
    advanced_->SetWindowStringChangeCallback(nullptr, nullptr);
    return advanced_;
  }
  return QRef<CQPropertyAdvanced>::Adopt(new CQPropertyAdvanced(state.servicesManager.get(), state.attribute));
}

// Install takes a source's state: the same attributes, bytes and object ID, and no mediator, since a copy is
// never bound. It hands back the mediator this property was bound to, for the caller to release once it has
// left this property's locks.
QRef<IQPropertyMediator> CQProperty::Install(State&& state, QRef<CQPropertyAdvanced>&& advanced) {
  QRef<IQPropertyMediator> previousMediator;
  detail::QLockGuard guard(ObjectLock());
  dataType_.store(state.dataType, std::memory_order_relaxed);
  groupId_.store(state.groupId, std::memory_order_relaxed);
  propertyId_.store(state.propertyId, std::memory_order_relaxed);
  objectId_ = state.objectId;
  name_ = std::move(state.name);
  description_ = std::move(state.description);
  value_ = std::move(state.value);
  valueLength_ = state.valueLength;
  default_ = std::move(state.defaultBytes);
  flags_.store(state.flags, std::memory_order_relaxed);
  servicesManager_ = std::move(state.servicesManager);
  previousMediator = BindMediator(nullptr);
  advanced_ = std::move(advanced);
  stamp_.store(detail::NextStamp(), std::memory_order_release);
  return previousMediator;
}

CQProperty::StagedCopy CQProperty::StageCopy() const {
  State state = TakeState();
  auto advanced = QRef<CQPropertyAdvanced>::Adopt(new CQPropertyAdvanced(state.servicesManager.get(), state.attribute));
  return StagedCopy{std::move(state), std::move(advanced)};
}

QRef<IQPropertyMediator> CQProperty::InstallCopy(StagedCopy&& staged) {
  return Install(std::move(staged.state), std::move(staged.advanced));
}

void CQProperty::ShowAllOf(const CQProperty& source) {
  State state = source.TakeState();
  QRef<CQPropertyAdvanced> advanced = AdvancedFor(state, true);
  Install(std::move(state), std::move(advanced));
}

void CQProperty::Touch() { stamp_.store(detail::NextStamp(), std::memory_order_release); }

CQProperty* CQProperty::MakePooled(CQProperty& source) {
  auto* copy = new CQProperty(source);
  copy->pooled_ = true;
  return copy;
}

void CQProperty::ShowValueOf(const CQProperty& source, ULONG extraFlags) {
  ULONG attribute = 0;
  {
    // A pooled copy that only the caller holds is seen by no other thread (the callbacks of its change have
    // not run yet when a snapshot is made from it), so it is read without its lock.
    detail::QLockGuard guard(source.pooled_ && source.Unshared() ? nullptr : &source.ObjectLock());
    attribute = Snapshot::CopyValue(*this, source, extraFlags);
  }
  Snapshot::ShowAttribute(*this, attribute);
}

bool CQProperty::ShowsValueOf(const CQProperty& source, ULONG extraFlags) const {
  detail::QLockGuard guard(source.pooled_ && source.Unshared() ? nullptr : &source.ObjectLock());
  const ULONG size = value_.size();
  if (valueLength_ != source.valueLength_ || size != source.value_.size() ||
      flags_.load(std::memory_order_relaxed) != (source.flags_.load(std::memory_order_relaxed) | extraFlags)) {
    return false;
  }
  // Bytes past the size are never read, so they need not match. The widths of the typed values are compared
  // in place; a call to the library's comparison costs more than they do.
  const unsigned char* const own = value_.data();
  const unsigned char* const other = source.value_.data();
  bool same = true;
  switch (size) {
    case 0: break;
    case 1: same = std::memcmp(own, other, 1) == 0; break;
    case 2: same = std::memcmp(own, other, 2) == 0; break;
    case 4: same = std::memcmp(own, other, 4) == 0; break;
    case 8: same = std::memcmp(own, other, 8) == 0; break;
    default: same = std::memcmp(own, other, size) == 0; break;
  }
  return same && advanced_->Attribute() == (source.advanced_ ? source.advanced_->Attribute() : 0);
}

void CQProperty::CopyFrom(const CQProperty& source) { InstallCopy(source.StageCopy()); }

// BindMediator swaps the binding and hands back the previous mediator. The caller releases it (and adds the new
// reference) outside the property's lock: the mediator counts under its change lock, which is always taken
// before a property's lock.
QRef<IQPropertyMediator> CQProperty::BindMediator(QRef<IQPropertyMediator> mediator) {
  auto* owner = dynamic_cast<detail::ChangeLockOwner*>(mediator.get());
  mediator_.swap(mediator);
  mediatorLock_.store(owner != nullptr ? &owner->ChangeLock() : nullptr, std::memory_order_release);
  return mediator;
}

ULONG CQProperty::QueryInterface(const _QGUID& iid, void** out) {
  if (out == nullptr) return kResultNullPointer;
  static const detail::InterfaceEntry<CQProperty> kTable[] = {
      {&IID_IQProperty, &detail::InterfaceCast<CQProperty, IQProperty>},
      {&IID_IQUnknown, &detail::InterfaceCast<CQProperty, IQProperty>},
      {&IID_IQPropertySerializer, &detail::InterfaceCast<CQProperty, IQPropertySerializer>},
  };
  if (detail::FindInterface(this, kTable, iid, out)) return kResultOk;
  if (iid == IID_IQPropertyAdvanced) {
    QRef<CQPropertyAdvanced> advanced;
    {
      detail::QLockGuard guard(ObjectLock());
      advanced = advanced_;
    }
    if (advanced) return detail::HandOut(static_cast<IQPropertyAdvanced*>(advanced.get()), out);
  }
  return detail::NoInterface(out);
}

ULONG CQProperty::GetPropertyName(WCHAR* buffer, ULONG* length) {
  detail::QLockGuard guard(ObjectLock());
  WriteText(name_, buffer, length);
  return kResultOk;
}

ULONG CQProperty::GetPropertyDescription(WCHAR* buffer, ULONG* length) {
  detail::QLockGuard guard(ObjectLock());
  WriteText(description_, buffer, length);
  return kResultOk;
}

ULONG CQProperty::GetPropertyID(ULONG* id) {
  if (id != nullptr) *id = propertyId_.load(std::memory_order_relaxed);
  return kResultOk;
}

ULONG CQProperty::GetPropertyGroupID(ULONG* id) {
  if (id != nullptr) *id = groupId_.load(std::memory_order_relaxed);
  return kResultOk;
}

ULONG CQProperty::GetPropertyDataType(QDataType* type) {
  if (type != nullptr) *type = static_cast<QDataType>(dataType_.load(std::memory_order_relaxed));
  return kResultOk;
}

ULONG CQProperty::GetPropertyDefaultData(void* buffer, ULONG* length) {
  detail::QLockGuard guard(ObjectLock());
  WriteBytes(default_, default_.size(), buffer, length);
  return kResultOk;
}

ULONG CQProperty::GetPropertyData(void* buffer, ULONG* length) {
  detail::QLockGuard guard(ObjectLock());
  WriteBytes(value_, valueLength_, buffer, length);
  return kResultOk;
}

void CQProperty::ReadValue(void* buffer, ULONG capacity, ULONG* length) const {
  detail::QLockGuard guard(ObjectLock());
  *length = valueLength_;
  ULONG ignored = 0;
  WriteBytes(value_, valueLength_ < capacity ? valueLength_ : capacity, buffer, &ignored);
}

// The value bytes always have 8 bytes behind them (the inline buffer is larger, a heap block holds more than
// it), so all 8 are copied in one fixed-size step and those beyond the value are cleared.
void CQProperty::ReadFirst8(unsigned char (&bytes)[8], ULONG* length) const {
  static_assert(detail::ByteBuffer::kInlineCapacity >= 8, "the first 8 bytes are read in one step");
  detail::QLockGuard guard(ObjectLock());
  *length = valueLength_;
  const ULONG held = value_.size() < valueLength_ ? value_.size() : valueLength_;
  // The bytes past those held are cleared with a mask whose first `held` bytes are set, read from a window
  // into kKeep, whatever the machine's byte order.
  static constexpr unsigned char kKeep[16] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  std::uint64_t word = 0;
  std::uint64_t mask = 0;
  std::memcpy(&word, value_.data(), sizeof(word));
  std::memcpy(&mask, kKeep + (held < sizeof(word) ? sizeof(word) - held : 0), sizeof(mask));
  word &= mask;
  std::memcpy(bytes, &word, sizeof(word));
}

ULONG CQProperty::SetDirectData(const void* data, ULONG length) {
  detail::QLockGuard guard(ObjectLock());
  return StoreHeld(data, length);
}

ULONG CQProperty::StoreHeld(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  // A value held inside the object needs no allocation, and the library's own flag store none either. The
  // other stores are out of line, so that this one saves no registers.
  if (length <= detail::ByteBuffer::kInlineCapacity && typeid(*this) == typeid(CQProperty)) {
    valueLength_ = length;
    value_.Assign(data, length);
    flags_.store(flags_.load(std::memory_order_relaxed) | kFlagValueSet, std::memory_order_relaxed);
    return kResultOk;
  }
  return StoreAllocating(data, length);
}

ULONG CQProperty::StoreAllocating(const void* data, ULONG length) {
  valueLength_ = length;
  // A failed allocation leaves no value bytes and the new length recorded.
  return detail::OutOfMemoryAs(kResultStorageFailed, [&] {
    value_.Assign(data, length);
    return SetPropertyFlag(flags_.load(std::memory_order_relaxed) | kFlagValueSet);
  });
}

ULONG CQProperty::SetPropertyData(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  detail::QLock* changeLock = MediatorChangeLock();
  detail::QLockGuard changeGuard(changeLock);
  detail::QLockGuard guard(ObjectLock());
  return NotifyHeld(changeLock, data, length);
}

// A mediator is bound under this property's lock, so once the caller holds it the binding stays; one bound
// between the caller's reading of the change lock and its taking this lock has another change lock, which is
// then taken as SetPropertyData takes it.
ULONG CQProperty::NotifyHeld(detail::QLock* changeLock, const void* data, ULONG length) {
  if (MediatorChangeLock() != changeLock) return SetPropertyData(data, length);
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  if (!mediator_) return StoreHeld(data, length);
  return NotifyMediator(data, length);
}

ULONG CQProperty::NotifyMediator(const void* data, ULONG length) {
  // A snapshot that cannot be made is passed as null; the mediator refuses it and the store is undone. It is
  // kept again on every way out, while this property's lock is still held.
  Snapshot snapshot(*this);
  // The previous bytes are put back on every way out but the mediator's acceptance: a refusal, or an
  // exception from a callback, which passes to the caller.
  struct PutBack {
    CQProperty& property;
    detail::ByteBuffer bytes;
    ULONG length;
    bool accepted = false;
    ~PutBack() {
      if (accepted) return;
      property.value_ = std::move(bytes);
      property.valueLength_ = length;
    }
  } previous{*this, std::move(value_), valueLength_};

  StoreHeld(data, length);
  const ULONG result = mediator_->PropertyChanged(snapshot.get(), this);
  previous.accepted = result == kResultOk;
  return result;
}

ULONG CQProperty::GetPropertyFlags(ULONG* flags) {
  if (flags == nullptr) return kResultNullPointer;
  *flags = flags_.load(std::memory_order_relaxed);
  return kResultOk;
}

ULONG CQProperty::GetCapabilities(ULONG capability, void* /*input*/, void* output, ULONG* size) {
  if (capability != 1) return kResultCapabilityUnknown;
  if (size != nullptr) *size = sizeof(ULONG);
  if (output != nullptr) std::memcpy(output, &capability_, sizeof(ULONG));
  return kResultOk;
}

ULONG CQProperty::CloneProperty(IQProperty** out) {
  if (out == nullptr) return kResultNullPointer;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    *out = new CQProperty(*this);
    return kResultOk;
  });
}

ULONG CQProperty::SetProperyMediator(IQPropertyMediator* mediator) {
  if (mediator == nullptr) return kResultOk;
  auto added = QRef<IQPropertyMediator>::Retain(mediator);
  QRef<IQPropertyMediator> previous;
  {
    detail::QLockGuard guard(ObjectLock());
    previous = BindMediator(std::move(added));
  }
  return kResultOk;
}

ULONG CQProperty::GetObjectId(_QGUID* id) {
  if (id == nullptr) return kResultOk;
  detail::QLockGuard guard(ObjectLock());
  *id = objectId_;
  return kResultOk;
}

ULONG CQProperty::Reset() {
  detail::QLockGuard guard(ObjectLock());
  const detail::ByteBuffer defaults = default_;
  const ULONG result = SetDirectData(defaults.data(), defaults.size());
  flags_.fetch_and(~kFlagValueSet, std::memory_order_relaxed);
  return result;
}

ULONG CQProperty::SetObjectId(_QGUID id) {
  detail::QLockGuard guard(ObjectLock());
  objectId_ = id;
  Touch();
  return kResultOk;
}

ULONG CQProperty::GetDataSize(ULONG* size) {
  if (size != nullptr) {
    detail::QLockGuard guard(ObjectLock());
    *size = valueLength_;
  }
  return kResultOk;
}

// The text is two characters per byte, so a length query needs no text at all; the text is encoded straight
// into the caller's buffer from a stack copy of the bytes (small values) or a heap copy (large ones). The lock
// (which GetPropertyData takes as well) keeps the length and the bytes read from one and the same value.
ULONG CQProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  constexpr ULONG kStackBytes = 64;
  detail::QLockGuard guard(ObjectLock());
  ULONG size = 0;
  GetPropertyData(nullptr, &size);
  if (length == nullptr) return kResultNullPointer;
  if (size == 0) return kResultOk;
  if (text == nullptr) {
    *length = 2 * size;
    return kResultOk;
  }
  unsigned char small[kStackBytes];
  std::vector<unsigned char> large;
  unsigned char* bytes = small;
  if (size > kStackBytes) {
    large.resize(size);
    bytes = large.data();
  }
  const ULONG result = GetPropertyData(bytes, &size);
  *length = 2 * size;
  EncodeTo(bytes, size, text);
  return result;
}

ULONG CQProperty::StoreText(detail::SharedText& target, const char* text) {
  Touch();
  target.reset();
  QWString converted;
  const ULONG result = StringUtils::QUTF8ToUTF16(text, converted);
  if (result != kResultOk) return result;
  target = detail::SharedText::Copy(converted.c_str(), static_cast<ULONG>(converted.size()));
  return kResultOk;
}

ULONG CQProperty::SetPropertyName(const char* name) {
  if (name == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  return StoreText(name_, name);
}

ULONG CQProperty::SetPropertyName(const WCHAR* name) {
  if (name == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  name_ = detail::SharedText::Copy(name, StringUtils::QWLen(name));
  Touch();
  return kResultOk;
}

ULONG CQProperty::SetPropertyDesc(const char* description) {
  if (description == nullptr) return kResultNullPointer;
  detail::QLockGuard guard(ObjectLock());
  return StoreText(description_, description);
}

ULONG CQProperty::SetPropertyDesc(const WCHAR* description) {
  if (description == nullptr) return kResultNullPointer;
  detail::QLockGuard guard(ObjectLock());
  description_ = detail::SharedText::Copy(description, StringUtils::QWLen(description));
  Touch();
  return kResultOk;
}

ULONG CQProperty::SetPropertyGroupID(ULONG groupId) {
  groupId_.store(groupId, std::memory_order_relaxed);
  Touch();
  return kResultOk;
}

ULONG CQProperty::SetPropertyID(ULONG id) {
  propertyId_.store(id, std::memory_order_relaxed);
  Touch();
  return kResultOk;
}

ULONG CQProperty::SetPropertyDataType(QDataType type) {
  dataType_.store(type, std::memory_order_relaxed);
  Touch();
  return kResultOk;
}

ULONG CQProperty::SetDataSize(ULONG size) {
  detail::QLockGuard guard(ObjectLock());
  valueLength_ = size;
  return kResultOk;
}

ULONG CQProperty::SetPropertyFlag(ULONG flags) {
  flags_.store(flags, std::memory_order_relaxed);
  return kResultOk;
}

ULONG CQProperty::SetPropertyDefaultData(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  default_.Assign(data, length);
  Touch();
  return kResultOk;
}

ULONG CQProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*size*/) {
  if (text == nullptr) return kResultNullPointer;
  // Decoded into a stack buffer when the value is small, as almost every value is; text that is no encoding
  // decodes to no bytes and changes nothing.
  constexpr std::size_t kStackBytes = 64;
  const std::size_t units = WCharTraits::length(text);
  if (units == 0 || units % 2 != 0) return kResultOk;
  unsigned char small[kStackBytes];
  std::vector<unsigned char> large;
  unsigned char* bytes = small;
  if (units / 2 > kStackBytes) {
    large.resize(units / 2);
    bytes = large.data();
  }
  if (!DecodeTo(text, units, bytes)) return kResultOk;
  return SetPropertyData(bytes, static_cast<ULONG>(units / 2));
}

}  // namespace Quenneth
