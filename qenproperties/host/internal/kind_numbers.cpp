// The rows of the number kinds: long, float and bool.
#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <string>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/internal/kind_rows.h"
#include "qenproperties/host/internal/kind_support.h"
#include "qenproperties/host/internal/value_grammar.h"
#include "qenproperties/scalar/bool_property.h"
#include "qenproperties/scalar/float_property.h"
#include "qenproperties/scalar/long_property.h"

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// ---- long ---------------------------------------------------------------------------------------------------

struct Bounds {
  long long lo;
  long long hi;
};

// ValueWidth: the numbers a long property of `type` can hold (the library stores 1, 2 or 4 bytes).
Bounds ValueWidth(ULONG type) {
  switch (type) {
    case kDataTypeUInt8: return {0, 0xFF};
    case kDataTypeUInt16: return {0, 0xFFFF};
    case kDataTypeInt32: return {INT32_MIN, INT32_MAX};
    default: return {0, 0xFFFFFFFFLL};
  }
}

// PresetWidth: what its preset text may hold. The library writes the 32-bit value as a signed number, so an
// unsigned value above 2147483647 is written as its negative 32-bit equivalent.
Bounds PresetWidth(ULONG type) {
  if (type == kDataTypeUInt8 || type == kDataTypeUInt16 || type == kDataTypeInt32) return ValueWidth(type);
  return {INT32_MIN, 0xFFFFFFFFLL};
}

long long AsNumber(ULONG word, ULONG type) {
  return type == kDataTypeInt32 ? static_cast<long long>(static_cast<std::int32_t>(word)) : word;
}

// LongBounds: the width, narrowed by the property's own range when it checks one (both bounds non-zero) and by
// the panel's declared range.
Bounds LongBounds(CQLongProperty* l, const DeclaredRange* declared) {
  const ULONG type = DataTypeOf(l);
  Bounds b = ValueWidth(type);
  ULONG minimum = 0;
  ULONG maximum = 0;
  l->GetMinRange(&minimum);
  l->GetMaxRange(&maximum);
  if (minimum != 0 && maximum != 0) {
    b.lo = std::max(b.lo, AsNumber(minimum, type));
    b.hi = std::min(b.hi, AsNumber(maximum, type));
  }
  if (declared != nullptr) {
    b.lo = std::max(b.lo, static_cast<long long>(declared->min));
    b.hi = std::min(b.hi, static_cast<long long>(declared->max));
  }
  return b;
}

std::string LongValueText(IQProperty* p) {
  auto* l = As<CQLongProperty>(p);
  ULONG value = 0;
  if (l == nullptr || !HasValue(p) || l->GetCurValue(&value) != kResultOk) return "";
  return std::to_string(AsNumber(value, DataTypeOf(p)));
}

Limits LongLimits(IQProperty* p, const DeclaredRange* declared) {
  Limits limits;
  auto* l = As<CQLongProperty>(p);
  if (l == nullptr) return limits;
  const Bounds b = LongBounds(l, declared);
  WithRange(&limits, static_cast<double>(b.lo), static_cast<double>(b.hi), std::to_string(b.lo), std::to_string(b.hi));
  return limits;
}

// SetLong checks a number read from `text` against the bounds and stores it.
ULONG SetLong(CQLongProperty* l, std::string_view text, Parsed parsed, long long number, Store store,
              const DeclaredRange* declared, std::string* refusal) {
  const Bounds b = LongBounds(l, declared);
  if (parsed != Parsed::kOk) return Refuse(refusal, kResultInvalidArgument, l, text, WholeRangeText(b.lo, b.hi));
  const ULONG word = static_cast<ULONG>(static_cast<std::uint32_t>(number));
  const long long value = AsNumber(word, DataTypeOf(l));
  if (value < b.lo || value > b.hi) return Refuse(refusal, kResultOutOfRange, l, text, WholeRangeText(b.lo, b.hi));
  return store == Store::kNotify ? l->SetCurValue(word) : l->SetDirectCurValue(word);
}

ULONG LongSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* declared,
                  std::string* refusal) {
  auto* l = As<CQLongProperty>(p);
  if (l == nullptr) return kResultNoInterface;
  const Bounds width = ValueWidth(DataTypeOf(p));
  long long number = 0;
  const Parsed parsed = ParseWhole(text, width.lo, width.hi, &number);
  return SetLong(l, text, parsed, number, store, declared, refusal);
}

ULONG LongLoadText(IQProperty* p, std::string_view text, const DeclaredRange* declared, std::string* refusal) {
  auto* l = As<CQLongProperty>(p);
  if (l == nullptr) return kResultNoInterface;
  const Bounds width = PresetWidth(DataTypeOf(p));
  long long number = 0;
  const Parsed parsed = ParseWhole(text, width.lo, width.hi, &number);
  return SetLong(l, text, parsed, number, Store::kDirect, declared, refusal);
}

bool LongNumber(IQProperty* p, double* value) {
  auto* l = As<CQLongProperty>(p);
  ULONG word = 0;
  if (l == nullptr || !HasValue(p) || l->GetCurValue(&word) != kResultOk) return false;
  *value = static_cast<double>(AsNumber(word, DataTypeOf(p)));
  return true;
}

bool LongBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  const bool isSigned = decl.isSigned.value_or(false);
  const ULONG type = isSigned ? kDataTypeInt32 : kDataTypeUInt32;
  const Bounds width = ValueWidth(type);
  Bounds b = width;
  if (decl.min && !Whole(decl.min, width.lo, width.hi, decl.pointer, "/min", "the minimum", &b.lo, error)) {
    return false;
  }
  if (decl.max && !Whole(decl.max, width.lo, width.hi, decl.pointer, "/max", "the maximum", &b.hi, error)) {
    return false;
  }
  if (b.lo > b.hi) {
    return Fail(error, decl.pointer + "/min",
                "the minimum " + std::to_string(b.lo) + " is above the maximum " + std::to_string(b.hi));
  }
  if (decl.min || decl.max) built->range = DeclaredRange{static_cast<double>(b.lo), static_cast<double>(b.hi)};
  const auto lo = static_cast<ULONG>(static_cast<std::uint32_t>(b.lo));
  const auto hi = static_cast<ULONG>(static_cast<std::uint32_t>(b.hi));
  auto l =
      QRef<CQLongProperty>::Adopt(new CQLongProperty(decl.name.c_str(), decl.description.c_str(), decl.group, decl.id,
                                                     static_cast<QDataType>(type), lo, lo, lo, hi, nullptr, nullptr));
  if (!ApplyDefault(kLongKind, l.get(), decl, std::to_string(b.lo), built->range ? &*built->range : nullptr, error)) {
    return false;
  }
  ULONG value = 0;
  l->GetCurValue(&value);
  l->SetPropertyDefaultData(value);
  built->property = l;
  return true;
}

// ---- float --------------------------------------------------------------------------------------------------

// Digits after the point beyond which a value is kept as read: a double has no more than 17 significant digits.
constexpr ULONG kRoundedDigits = 17;
// Digits shown at most, so a property that asks for millions does not make texts of millions.
constexpr ULONG kShownDigits = 100;

struct FloatBounds {
  bool bounded = false;
  double lo = -DBL_MAX;
  double hi = DBL_MAX;
};

ULONG DigitsOf(CQFloatProperty* f) {
  ULONG digits = 2;
  f->GetSignificantDigitAfterPoint(&digits);
  return digits;
}

std::string FloatText(double value, ULONG digits) { return FormatFixed(value, std::min(digits, kShownDigits)); }

// FloatBounds: the property's own range when it checks one (both bounds non-zero, and not the whole range of a
// double), narrowed by the panel's declared range.
FloatBounds BoundsOf(CQFloatProperty* f, const DeclaredRange* declared) {
  FloatBounds b;
  double minimum = 0;
  double maximum = 0;
  f->GetMinRange(&minimum);
  f->GetMaxRange(&maximum);
  if (minimum != 0 && maximum != 0 && !(minimum == -DBL_MAX && maximum == DBL_MAX)) {
    b = FloatBounds{true, minimum, maximum};
  }
  if (declared != nullptr) b = FloatBounds{true, std::max(b.lo, declared->min), std::min(b.hi, declared->max)};
  return b;
}

std::string FloatTakes(CQFloatProperty* f, const FloatBounds& b) {
  const ULONG digits = DigitsOf(f);
  const std::string kept = " (kept to " + std::to_string(digits) + " digits after the point)";
  if (!b.bounded) return "a decimal" + kept;
  return "a decimal from " + FloatText(b.lo, digits) + " to " + FloatText(b.hi, digits) + kept;
}

std::string FloatValueText(IQProperty* p) {
  auto* f = As<CQFloatProperty>(p);
  double value = 0;
  if (f == nullptr || !HasValue(p) || f->GetCurValue(&value) != kResultOk) return "";
  return FloatText(value, DigitsOf(f));
}

Limits FloatLimits(IQProperty* p, const DeclaredRange* declared) {
  Limits limits;
  auto* f = As<CQFloatProperty>(p);
  if (f == nullptr) return limits;
  const ULONG digits = DigitsOf(f);
  limits.decimals = static_cast<int>(std::min(digits, kShownDigits));
  const FloatBounds b = BoundsOf(f, declared);
  if (b.bounded) {
    WithRange(&limits, b.lo, b.hi, FloatText(b.lo, digits), FloatText(b.hi, digits));
  } else {
    limits.text = "any";
  }
  return limits;
}

// A float's preset text is a decimal in fixed notation, which the value grammar reads as any decimal: both
// texts load the same way. The value is rounded to the property's digits, so what is stored is exactly what its
// text says.
ULONG FloatSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* declared,
                   std::string* refusal) {
  auto* f = As<CQFloatProperty>(p);
  if (f == nullptr) return kResultNoInterface;
  const FloatBounds b = BoundsOf(f, declared);
  double value = 0;
  if (ParseDecimal(text, &value) != Parsed::kOk) {
    return Refuse(refusal, kResultInvalidArgument, p, text, FloatTakes(f, b));
  }
  const ULONG digits = DigitsOf(f);
  if (digits <= kRoundedDigits) value = RoundToDigits(value, digits);
  if (b.bounded && (value < b.lo || value > b.hi)) {
    return Refuse(refusal, kResultOutOfRange, p, text, FloatTakes(f, b));
  }
  return store == Store::kNotify ? f->SetCurValue(value) : f->SetDirectCurValue(value);
}

ULONG FloatLoadText(IQProperty* p, std::string_view text, const DeclaredRange* declared, std::string* refusal) {
  return FloatSetText(p, text, Store::kDirect, declared, refusal);
}

bool FloatNumber(IQProperty* p, double* value) {
  auto* f = As<CQFloatProperty>(p);
  return f != nullptr && HasValue(p) && f->GetCurValue(value) == kResultOk;
}

bool FloatBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  long long decimals = 2;
  if (decl.decimals &&
      !Whole(decl.decimals, 0, kRoundedDigits, decl.pointer, "/decimals", "\"decimals\"", &decimals, error)) {
    return false;
  }
  double lo = decl.min.value_or(-DBL_MAX);
  double hi = decl.max.value_or(DBL_MAX);
  // A bound the property's digits cannot write would shut out values that show as inside the range.
  for (const auto& [bound, key] : {std::make_pair(decl.min, "min"), std::make_pair(decl.max, "max")}) {
    if (bound && RoundToDigits(*bound, static_cast<ULONG>(decimals)) != *bound) {
      return Fail(error, decl.pointer + "/" + key,
                  FormatShortest(*bound) + " has more digits after the point than the " + std::to_string(decimals) +
                      " the property keeps (\"decimals\")");
    }
  }
  if (lo > hi) {
    return Fail(error, decl.pointer + "/min",
                "the minimum " + FormatShortest(lo) + " is above the maximum " + FormatShortest(hi));
  }
  if (decl.min || decl.max) built->range = DeclaredRange{lo, hi};
  auto f =
      QRef<CQFloatProperty>::Adopt(new CQFloatProperty(decl.name.c_str(), decl.description.c_str(), decl.group, decl.id,
                                                       kDataTypeDouble, 0.0, 0.0, lo, hi, nullptr, nullptr));
  f->SetSignificantDigitAfterPoint(static_cast<ULONG>(decimals));
  const std::string fallback = decl.min ? FormatShortest(lo) : "0";
  if (!ApplyDefault(kFloatKind, f.get(), decl, fallback, built->range ? &*built->range : nullptr, error)) {
    return false;
  }
  double value = 0;
  f->GetCurValue(&value);
  f->SetPropertyDefaultData(value);
  built->property = f;
  return true;
}

// ---- bool ---------------------------------------------------------------------------------------------------

const char* const kBoolTakes = "true or false (or yes/no, on/off, 1/0, in any letter case)";

std::string BoolValueText(IQProperty* p) {
  auto* b = As<CQBoolProperty>(p);
  unsigned char value = 0;
  if (b == nullptr || !HasValue(p) || b->GetCurValue(&value) != kResultOk) return "";
  return value != 0 ? "TRUE" : "FALSE";
}

Limits BoolLimits(IQProperty* /*p*/, const DeclaredRange* /*declared*/) {
  Limits limits;
  limits.choices = {"TRUE", "FALSE"};
  limits.text = "TRUE | FALSE";
  return limits;
}

ULONG BoolSetText(IQProperty* p, std::string_view text, Store store, const DeclaredRange* /*declared*/,
                  std::string* refusal) {
  auto* b = As<CQBoolProperty>(p);
  if (b == nullptr) return kResultNoInterface;
  bool value = false;
  if (!ParseBool(text, &value)) return Refuse(refusal, kResultInvalidArgument, p, text, kBoolTakes);
  const unsigned char byte = value ? 1 : 0;
  return store == Store::kNotify ? b->SetCurValue(byte) : b->SetDirectCurValue(byte);
}

ULONG BoolLoadText(IQProperty* p, std::string_view text, const DeclaredRange* declared, std::string* refusal) {
  return BoolSetText(p, text, Store::kDirect, declared, refusal);
}

bool BoolNumber(IQProperty* p, double* value) {
  auto* b = As<CQBoolProperty>(p);
  unsigned char byte = 0;
  if (b == nullptr || !HasValue(p) || b->GetCurValue(&byte) != kResultOk) return false;
  *value = byte != 0 ? 1 : 0;
  return true;
}

bool BoolBuild(const PropertyDecl& decl, Built* built, DocumentError* error) {
  auto b = QRef<CQBoolProperty>::Adopt(
      new CQBoolProperty(decl.name.c_str(), decl.description.c_str(), decl.group, decl.id, 0, 0, nullptr, nullptr));
  if (!ApplyDefault(kBoolKind, b.get(), decl, "false", nullptr, error)) return false;
  unsigned char value = 0;
  b->GetCurValue(&value);
  b->SetPropertyDefaultData(value);
  built->property = b;
  return true;
}

bool ServesLong(IQProperty* p) { return Serves<CQLongProperty>(p); }
bool ServesFloat(IQProperty* p) { return Serves<CQFloatProperty>(p); }
bool ServesBool(IQProperty* p) { return Serves<CQBoolProperty>(p); }

const char* const kLongKeys[] = {"min", "max", "signed", nullptr};
const char* const kFloatKeys[] = {"min", "max", "decimals", nullptr};
const char* const kNoKeys[] = {nullptr};

const ULONG kBoolTypes[] = {kDataTypeBool, kNoDataType};
const ULONG kFloatTypes[] = {kDataTypeFloat, kDataTypeDouble, kNoDataType};
const ULONG kLongTypes[] = {kDataTypeUInt8, kDataTypeUInt16, kDataTypeUInt32, kDataTypeInt32, kNoDataType};

}  // namespace

// One row per class, each field as kinds.h names it.
// clang-format off
const PropertyKind kLongKind = {
    "long",               // name
    &IID_IQLongProperty,  // iid
    kLongTypes,           // dataTypes
    kLongKeys,            // keys
    ServesLong,           // serves
    LongValueText,        // valueText
    LongValueText,        // choiceText
    LongLimits,           // limits
    LongSetText,          // setText
    LongNumber,           // number
    nullptr,              // ratio
    true,                 // keepsPreset
    LongLoadText,         // loadText
    LongBuild,            // build
};
const PropertyKind kFloatKind = {
    "float",               // name
    &IID_IQFloatProperty,  // iid
    kFloatTypes,           // dataTypes
    kFloatKeys,            // keys
    ServesFloat,           // serves
    FloatValueText,        // valueText
    FloatValueText,        // choiceText
    FloatLimits,           // limits
    FloatSetText,          // setText
    FloatNumber,           // number
    nullptr,               // ratio
    true,                  // keepsPreset
    FloatLoadText,         // loadText
    FloatBuild,            // build
};
const PropertyKind kBoolKind = {
    "bool",               // name
    &IID_IQBoolProperty,  // iid
    kBoolTypes,           // dataTypes
    kNoKeys,              // keys
    ServesBool,           // serves
    BoolValueText,        // valueText
    BoolValueText,        // choiceText
    BoolLimits,           // limits
    BoolSetText,          // setText
    BoolNumber,           // number
    nullptr,              // ratio
    true,                 // keepsPreset
    BoolLoadText,         // loadText
    BoolBuild,            // build
};
// clang-format on

}  // namespace detail
}  // namespace host
}  // namespace Quenneth
