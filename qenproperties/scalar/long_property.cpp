#include "qenproperties/scalar/long_property.h"

#include <cstring>
#include <vector>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/foundation/utf16_stream.h"
#include "qenproperties/internal/little_endian.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

// Width of the stored value for a data type; 0 for types that store nothing.
ULONG WidthOf(QDataType type) {
  switch (type) {
    case kDataTypeUInt8: return 1;
    case kDataTypeUInt16: return 2;
    case kDataTypeUInt32:
    case kDataTypeInt32: return 4;
    default: return 0;
  }
}

}  // namespace

template <class Char>
void CQLongProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, QDataType type,
                          ULONG defaultValue, ULONG currentValue, ULONG minimum, ULONG maximum) {
  Describe(name, description, groupId, propertyId, type);
  SetPropertyDefaultData(defaultValue);
  SetPropertyData(currentValue);
  SetRange(minimum, maximum);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQLongProperty::CQLongProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                               QDataType type, ULONG defaultValue, ULONG currentValue, ULONG minimum, ULONG maximum,
                               IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId, type, defaultValue, currentValue, minimum, maximum);
}

CQLongProperty::CQLongProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                               QDataType type, ULONG defaultValue, ULONG currentValue, ULONG minimum, ULONG maximum,
                               IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId, type, defaultValue, currentValue, minimum, maximum);
}

CQLongProperty::CQLongProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {}

CQLongProperty::CQLongProperty(CQLongProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQLongProperty& CQLongProperty::operator=(const CQLongProperty& source) { return Assign(source); }

CQLongProperty::~CQLongProperty() = default;

// The range is read through the source's getters, so a host class that overrides them is copied as it reports.
CQLongProperty::Copied CQLongProperty::TakeCopy(CQLongProperty& source) {
  Copied copied{0, 0xFFFFFFFFu, source.optional_.Get()};
  source.GetMinRange(&copied.minimum);
  source.GetMaxRange(&copied.maximum);
  return copied;
}

void CQLongProperty::PutCopy(Copied&& copied) {
  minimum_.store(copied.minimum);
  maximum_.store(copied.maximum);
  optional_.Set(std::move(copied.optional));
}

ULONG CQLongProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQLongProperty);
  return QueryTyped(kInterfaces, iid, out, &optional_);
}

bool CQLongProperty::RangeActive() const { return minimum_.load() != 0 && maximum_.load() != 0; }

// Below compares as the data type reads: signed for kDataTypeInt32, unsigned otherwise.
bool CQLongProperty::Below(ULONG value, ULONG bound, QDataType type) const {
  if (type == kDataTypeInt32) return static_cast<std::int32_t>(value) < static_cast<std::int32_t>(bound);
  return value < bound;
}

ULONG CQLongProperty::GetMinRange(ULONG* minimum) {
  if (minimum == nullptr) return kResultInvalidArgument;
  *minimum = minimum_.load();
  return kResultOk;
}

ULONG CQLongProperty::GetMaxRange(ULONG* maximum) {
  if (maximum == nullptr) return kResultInvalidArgument;
  *maximum = maximum_.load();
  return kResultOk;
}

ULONG CQLongProperty::GetCurValue(ULONG* value) {
  if (value == nullptr) return kResultInvalidArgument;
  const ULONG width = WidthOf(base_->DataType());
  if (width == 0) return kResultOk;
  // At most the width is taken: a shorter value reads as zero-extended, a longer one is cut, and nothing is
  // written past the caller's variable.
  std::uint64_t stored = 0;
  if (ReadStored(width, stored)) *value = static_cast<ULONG>(stored);
  return kResultOk;
}

ULONG CQLongProperty::Store(ULONG value, bool notify) {
  ValueGuard guard(*this);
  const QDataType type = base_->DataType();
  if (RangeActive() && (Below(value, minimum_.load(), type) || Below(maximum_.load(), value, type))) {
    return kResultOutOfRange;
  }
  const ULONG width = WidthOf(type);
  if (width == 0) return kResultOk;
  const auto bytes = detail::StoreLE32(value);
  // The guard holds the base property's lock (this object's), so the direct store needs no other.
  return notify ? base_->NotifyHeld(guard.ChangeLock(), bytes.data(), width) : base_->StoreHeld(bytes.data(), width);
}

ULONG CQLongProperty::SetCurValue(ULONG value) { return Store(value, true); }
ULONG CQLongProperty::SetPropertyData(ULONG value) { return Store(value, true); }
ULONG CQLongProperty::SetDirectCurValue(ULONG value) { return Store(value, false); }

ULONG CQLongProperty::SetPropertyData(const void* data, ULONG length) {
  if (data == nullptr) return kResultInvalidArgument;
  ValueGuard guard(*this);
  if (RangeActive() && (length == 1 || length == 2 || length == 4)) {
    QDataType type = kDataTypeUInt32;
    if (length == 4) {
      const ULONG result = base_->GetPropertyDataType(&type);
      if (result != kResultOk) return result;
    }
    const auto value = static_cast<ULONG>(detail::LoadLE(static_cast<const unsigned char*>(data), length));
    if (Below(value, minimum_.load(), type) || Below(maximum_.load(), value, type)) return kResultOutOfRange;
  }
  return base_->NotifyHeld(guard.ChangeLock(), data, length);
}

ULONG CQLongProperty::SetPropertyDefaultData(ULONG value) { return StoreDefaultWord(value); }

ULONG CQLongProperty::SetRange(ULONG minimum, ULONG maximum) {
  SetterGuard guard(*this);
  minimum_.store(minimum);
  maximum_.store(maximum);
  ULONG value = 0;
  ULONG result = GetCurValue(&value);
  if (result != kResultOk) return result;
  if (!RangeActive()) return kResultOk;
  QDataType type = kDataTypeBool;
  base_->GetPropertyDataType(&type);
  if (Below(maximum, value, type)) {
    result = SetDirectCurValue(maximum);
    if (result != kResultOk) return result;
  } else if (Below(value, minimum, type)) {
    return SetDirectCurValue(minimum);
  }
  return kResultOk;
}

ULONG CQLongProperty::SetOptionalProperty(IQOptionalProperty* optional) {
  optional_.Set(QRef<IQOptionalProperty>::Retain(optional));
  base_->Touch();  // snapshots copy the optional property anew
  return kResultOk;
}

ULONG CQLongProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  ULONG value = 0;
  const ULONG result = GetCurValue(&value);
  if (length == nullptr) return kResultNullPointer;
  if (result != kResultOk) return result;
  detail::PutDecimalText(static_cast<long long>(static_cast<std::int32_t>(value)), text, length);
  return kResultOk;
}

ULONG CQLongProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*size*/) {
  if (text == nullptr) return kResultNullPointer;
  ValueGuard guard(*this);
  std::int32_t value = 0;
  long long plain = 0;
  if (detail::ReadPlainDecimal(text, plain) && plain >= INT32_MIN && plain <= INT32_MAX) {
    value = static_cast<std::int32_t>(plain);
  } else {
    iUTF16StringStream stream(text);
    stream >> value;  // text that is no number loads 0, unreported
  }
  // The size word gives the stored length; bytes beyond the 4 of the value are zeros, never read past it.
  unsigned char bytes[8] = {};
  const auto encoded = detail::StoreLE32(static_cast<ULONG>(value));
  std::memcpy(bytes, encoded.data(), encoded.size());
  if (sizeWord_ <= sizeof(bytes)) return SetPropertyData(bytes, sizeWord_);
  std::vector<unsigned char> padded(sizeWord_, 0);
  std::memcpy(padded.data(), encoded.data(), encoded.size());
  return SetPropertyData(padded.data(), sizeWord_);
}

}  // namespace Quenneth
