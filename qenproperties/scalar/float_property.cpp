#include "qenproperties/scalar/float_property.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iomanip>
#include <limits>
#include <new>
#include <vector>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/foundation/utf16_stream.h"
#include "qenproperties/internal/fixed_text.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

// Preset texts of up to kStackPrecision digits after the point are formatted in a stack buffer of
// kStackTextSize characters: a sign, the 309 integer digits of the largest double, the point and the digits.
constexpr int kStackPrecision = 100;
constexpr std::size_t kStackTextSize = 512;

// ToSingle rounds to the nearest single as the IEEE conversion does, but spells out the overflow, which the
// language leaves undefined: beyond the largest single by half a unit or more the result is an infinity.
float ToSingle(double value) {
  const double limit = static_cast<double>(FLT_MAX) + std::ldexp(1.0, 127 - 24);
  if (std::isfinite(value) && std::fabs(value) > static_cast<double>(FLT_MAX)) {
    if (std::fabs(value) >= limit) {
      return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    }
    return value > 0 ? FLT_MAX : -FLT_MAX;
  }
  return static_cast<float>(value);
}

}  // namespace

const double CQFloatProperty::kTolerance = static_cast<double>(1e-6f);

template <class Char>
void CQFloatProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId, QDataType type,
                           double defaultValue, double currentValue, double minimum, double maximum) {
  Describe(name, description, groupId, propertyId, type);
  SetPropertyDefaultData(defaultValue);
  SetPropertyData(currentValue);  // a value outside the bounds is refused here, unreported
  SetRange(minimum, maximum);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQFloatProperty::CQFloatProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                 QDataType type, double defaultValue, double currentValue, double minimum,
                                 double maximum, IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator), minimum_(minimum), maximum_(maximum) {
  Init(name, description, groupId, propertyId, type, defaultValue, currentValue, minimum, maximum);
}

CQFloatProperty::CQFloatProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                 QDataType type, double defaultValue, double currentValue, double minimum,
                                 double maximum, IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator), minimum_(minimum), maximum_(maximum) {
  Init(name, description, groupId, propertyId, type, defaultValue, currentValue, minimum, maximum);
}

CQFloatProperty::CQFloatProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator),
      minimum_(-std::numeric_limits<double>::max()),
      maximum_(std::numeric_limits<double>::max()) {}

CQFloatProperty::CQFloatProperty(CQFloatProperty& source)
    : TypedProperty(source), minimum_(source.minimum_.load()), maximum_(source.maximum_.load()) {
  CopyFrom(source);
}

CQFloatProperty& CQFloatProperty::operator=(const CQFloatProperty& source) { return Assign(source); }

CQFloatProperty::~CQFloatProperty() = default;

// The range and the digit count are read through the source's getters, so a host class that overrides them
// is copied as it reports.
CQFloatProperty::Copied CQFloatProperty::TakeCopy(CQFloatProperty& source) {
  Copied copied{-std::numeric_limits<double>::max(), std::numeric_limits<double>::max(), 2};
  source.GetMinRange(&copied.minimum);
  source.GetMaxRange(&copied.maximum);
  source.GetSignificantDigitAfterPoint(&copied.digits);
  return copied;
}

void CQFloatProperty::PutCopy(Copied&& copied) {
  minimum_.store(copied.minimum);
  maximum_.store(copied.maximum);
  digits_.store(copied.digits);
}

ULONG CQFloatProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQFloatProperty);
  return QueryTyped(kInterfaces, iid, out);
}

bool CQFloatProperty::RangeActive() const { return minimum_.load() != 0.0 && maximum_.load() != 0.0; }

ULONG CQFloatProperty::GetMinRange(double* minimum) {
  if (minimum == nullptr) return kResultInvalidArgument;
  *minimum = minimum_.load();
  return kResultOk;
}

ULONG CQFloatProperty::GetMaxRange(double* maximum) {
  if (maximum == nullptr) return kResultInvalidArgument;
  *maximum = maximum_.load();
  return kResultOk;
}

// Choice for a single-precision property: 8 or more stored bytes are read as a double, fewer as a single. The
// value setters store 4 bytes, while Reset copies the 8-byte double default into the value, so a reset
// property reads its default back. Stored bytes short of the width read as zeros; no more than 4 bytes are
// ever copied into the single.
ULONG CQFloatProperty::GetCurValue(double* value) {
  if (value == nullptr) return kResultInvalidArgument;
  const QDataType type = base_->DataType();
  if (type != kDataTypeFloat && type != kDataTypeDouble) return kResultOk;
  ULONG held = 0;
  unsigned char bytes[sizeof(double)];
  base_->ReadFirst8(bytes, &held);
  if (held == 0) return kResultOk;
  if (type == kDataTypeDouble || held >= sizeof(double)) {
    double stored = 0.0;
    std::memcpy(&stored, bytes, sizeof(stored));
    *value = stored;
  } else {
    float stored = 0.0f;
    std::memcpy(&stored, bytes, sizeof(stored));
    *value = static_cast<double>(stored);
  }
  return kResultOk;
}

ULONG CQFloatProperty::Store(const ValueGuard& held, double value, bool notify) {
  const QDataType type = base_->DataType();
  if (type == kDataTypeFloat) {
    const float single = ToSingle(value);
    return StoreValue(held, &single, sizeof(single), notify);
  }
  if (type == kDataTypeDouble) return StoreValue(held, &value, sizeof(value), notify);
  return kResultOk;
}

ULONG CQFloatProperty::SetCurValue(double value) {
  SetterGuard guard(*this);
  if (RangeActive()) {
    const double minimum = minimum_.load();
    const double maximum = maximum_.load();
    if (value < minimum - kTolerance || value > maximum + kTolerance) return kResultOutOfRange;
    if (value < minimum) value = minimum;
    if (value > maximum) value = maximum;
  }
  return Store(guard, value, true);
}

ULONG CQFloatProperty::SetPropertyData(double value) {
  SetterGuard guard(*this);
  if (value > maximum_.load() || value < minimum_.load()) return kResultOutOfRange;
  return Store(guard, value, true);
}

// Only the value changes, so the attributes' stamp stays.
ULONG CQFloatProperty::SetDirectCurValue(double value) {
  ValueGuard guard(*this);
  if (RangeActive() && (value < minimum_.load() || value > maximum_.load())) return kResultOutOfRange;
  return Store(guard, value, false);
}

ULONG CQFloatProperty::SetPropertyDefaultData(double value) {
  SetterGuard guard(*this);
  return base_->SetPropertyDefaultData(&value, sizeof(value));
}

ULONG CQFloatProperty::SetRange(double minimum, double maximum) {
  SetterGuard guard(*this);
  minimum_.store(minimum);
  maximum_.store(maximum);
  double value = 0.0;
  ULONG result = GetCurValue(&value);
  if (result != kResultOk) return result;
  if (maximum < value) {
    result = SetDirectCurValue(maximum);
    if (result != kResultOk) return result;
  }
  if (minimum > value) return SetDirectCurValue(minimum);
  return kResultOk;
}

ULONG CQFloatProperty::GetSignificantDigitAfterPoint(ULONG* digits) {
  if (digits == nullptr) return kResultNullPointer;
  *digits = digits_.load();
  return kResultOk;
}

ULONG CQFloatProperty::SetSignificantDigitAfterPoint(ULONG digits) {
  SetterGuard guard(*this);
  digits_.store(digits);
  return kResultOk;
}

ULONG CQFloatProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  double value = 0.0;
  ULONG result = GetCurValue(&value);
  if (length == nullptr) return kResultNullPointer;
  if (result != kResultOk) return result;
  ULONG digits = 0;
  result = GetSignificantDigitAfterPoint(&digits);
  if (result != kResultOk) return result;
  // The usual values and digit counts take the exact fixed-point writer, which counts the text for the length
  // query and writes it for the text query, each time from the value.
  if (detail::PutFixedText(value, digits, text, length)) return kResultOk;
  // The stream's precision is an int; a larger count asks for more digits than any text could hold anyway.
  const int precision = digits > static_cast<ULONG>(INT_MAX) ? INT_MAX : static_cast<int>(digits);
  // Other values with up to kStackPrecision digits are formatted on the stack, by the same conversion the stream
  // makes for them (fixed notation with that precision), so a preset pass allocates nothing; they are rare enough
  // (beyond 2^52 units of the last digit, or on a unit that keeps wider intermediates) to be formatted again for
  // the text query. Very long texts take the stream.
  if (precision <= kStackPrecision) {
    char formatted[kStackTextSize];
    const std::to_chars_result converted =
        std::to_chars(formatted, formatted + sizeof formatted, value, std::chars_format::fixed, precision);
    if (converted.ec == std::errc()) {
      detail::PutAsciiText(formatted, converted.ptr, text, length);
      return kResultOk;
    }
  }
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    oUTF16StringStream stream;
    stream << std::setiosflags(std::ios_base::fixed) << std::setprecision(precision) << value;
    const QWString formatted = stream.str();
    *length = static_cast<ULONG>(formatted.size());
    if (text != nullptr) StringUtils::QWCopy(text, formatted.c_str(), 0);
    return kResultOk;
  });
}

ULONG CQFloatProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*size*/) {
  if (text == nullptr) return kResultNullPointer;
  // The text is the caller's: it is read with no lock held, and the store takes this object's locks.
  double value = 0.0;
  if (!detail::ReadPlainReal(text, value)) {
    iUTF16StringStream stream(text);
    stream >> value;
    if (stream.fail()) return kResultNotFound;
  }
  return SetDirectCurValue(value);
}

ULONG CQFloatProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

}  // namespace Quenneth
