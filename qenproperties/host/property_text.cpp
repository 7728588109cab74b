#include "qenproperties/host/property_text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qenproperties/enum/enum_long_property.h"
#include "qenproperties/enum/enum_property.h"
#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/enum/ratio_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/group/cmd_button_property.h"
#include "qenproperties/group/group_property.h"
#include "qenproperties/host/query_as.h"
#include "qenproperties/property/property_serializer.h"
#include "qenproperties/scalar/bool_property.h"
#include "qenproperties/scalar/float_property.h"
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/scalar/wstring_property.h"

namespace Quenneth {
namespace host {
namespace {

// Typed gives the library class behind `property` when it answers `iid`; the pointer is borrowed.
template <class Class, class Interface>
Class* Typed(IQProperty* property, const _QGUID& iid) {
  QRef<Interface> typed = QueryAs<Interface>(property, iid);
  return static_cast<Class*>(typed.get());
}

struct Choice {
  std::string text;
  ULONG id = 0;
  std::vector<unsigned char> subData;
};

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])) != 0) ++begin;
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])) != 0) --end;
  return text.substr(begin, end - begin);
}

bool SameLetters(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// FindChoice: an exact match first, then one that differs only in letter case; -1 when none.
long FindChoice(const std::vector<Choice>& choices, const std::string& text) {
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i].text == text) return static_cast<long>(i);
  }
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (SameLetters(choices[i].text, text)) return static_cast<long>(i);
  }
  return -1;
}

bool ParseInteger(const std::string& raw, long long* value) {
  const std::string text = Trim(raw);
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0') return false;
  *value = parsed;
  return true;
}

bool ParseDouble(const std::string& raw, double* value) {
  const std::string text = Trim(raw);
  if (text.empty()) return false;
  char* end = nullptr;
  const double parsed = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

std::string FormatDouble(double value, ULONG digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.*f", static_cast<int>(digits > 15 ? 15 : digits), value);
  return buffer;
}

std::string FormatNumber(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return std::to_string(static_cast<long long>(value));
  }
  return FormatDouble(value, 3);
}

ULONG SubDataWidth(ULONG type) {
  switch (type) {
    case kDataTypeUInt8: return 1;
    case kDataTypeUInt16: return 2;
    case kDataTypeUInt32:
    case kDataTypeInt32:
    case kDataTypeFloat: return 4;
    case kDataTypeInt64:
    case kDataTypeDouble: return 8;
    default: return 0;
  }
}

// SubDataNumber reads sub data of the given type (stored in host order) as a number.
bool SubDataNumber(ULONG type, const std::vector<unsigned char>& bytes, double* number) {
  if (SubDataWidth(type) == 0 || bytes.size() < SubDataWidth(type)) return false;
  switch (type) {
    case kDataTypeUInt8: *number = bytes[0]; return true;
    case kDataTypeUInt16: {
      std::int16_t v;
      std::memcpy(&v, bytes.data(), sizeof(v));
      *number = v;
      return true;
    }
    case kDataTypeUInt32:
    case kDataTypeInt32: {
      std::int32_t v;
      std::memcpy(&v, bytes.data(), sizeof(v));
      *number = v;
      return true;
    }
    case kDataTypeInt64: {
      std::int64_t v;
      std::memcpy(&v, bytes.data(), sizeof(v));
      *number = static_cast<double>(v);
      return true;
    }
    case kDataTypeFloat: {
      float v;
      std::memcpy(&v, bytes.data(), sizeof(v));
      *number = v;
      return true;
    }
    default: {
      double v;
      std::memcpy(&v, bytes.data(), sizeof(v));
      *number = v;
      return true;
    }
  }
}

// SubDataBytes encodes a number as sub data of the given type; false when it does not fit.
bool SubDataBytes(ULONG type, double number, std::vector<unsigned char>* bytes) {
  bytes->assign(SubDataWidth(type), 0);
  switch (type) {
    case kDataTypeUInt8:
    case kDataTypeUInt16:
    case kDataTypeUInt32:
    case kDataTypeInt32:
    case kDataTypeInt64: {
      if (number != std::floor(number)) return false;
      const std::int64_t v = static_cast<std::int64_t>(number);
      if (type == kDataTypeUInt8 && (v < 0 || v > 255)) return false;
      if (type == kDataTypeUInt16 && (v < -32768 || v > 32767)) return false;
      if ((type == kDataTypeUInt32 || type == kDataTypeInt32) && (v < INT32_MIN || v > INT32_MAX)) return false;
      if (type == kDataTypeUInt8) {
        (*bytes)[0] = static_cast<unsigned char>(v);
      } else if (type == kDataTypeUInt16) {
        const std::int16_t s = static_cast<std::int16_t>(v);
        std::memcpy(bytes->data(), &s, sizeof(s));
      } else if (type == kDataTypeInt64) {
        std::memcpy(bytes->data(), &v, sizeof(v));
      } else {
        const std::int32_t i = static_cast<std::int32_t>(v);
        std::memcpy(bytes->data(), &i, sizeof(i));
      }
      return true;
    }
    case kDataTypeFloat: {
      const float f = static_cast<float>(number);
      std::memcpy(bytes->data(), &f, sizeof(f));
      return true;
    }
    case kDataTypeDouble: std::memcpy(bytes->data(), &number, sizeof(number)); return true;
    default: return false;
  }
}

std::string WideText(const std::vector<WCHAR>& buffer) { return Utf8(buffer.data()); }

// IdChoices reads the entries of an enum or ratio property, which list their texts and IDs alike.
template <class Enumeration>
std::vector<Choice> IdChoices(Enumeration* e) {
  std::vector<Choice> choices;
  ULONG count = 0;
  e->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    Choice choice;
    if (e->GetEnumString(i, nullptr, &bytes, &choice.id) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    e->GetEnumString(i, text.data(), &bytes, &choice.id);
    choice.text = WideText(text);
    choices.push_back(std::move(choice));
  }
  return choices;
}

std::vector<Choice> EnumChoices(CQEnumProperty* e) { return IdChoices(e); }
std::vector<Choice> RatioChoices(CQRatioProperty* r) { return IdChoices(r); }

std::vector<Choice> ExEnumChoices(CQExEnumProperty* x) {
  std::vector<Choice> choices;
  ULONG count = 0;
  x->GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG subSize = 0;
    Choice choice;
    if (x->GetEnumStringAndSubData(i, nullptr, &bytes, &choice.id, nullptr, &subSize) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / 2 + 1, 0);
    choice.subData.assign(subSize, 0);
    x->GetEnumStringAndSubData(i, text.data(), &bytes, &choice.id, subSize ? choice.subData.data() : nullptr, &subSize);
    choice.text = WideText(text);
    choices.push_back(std::move(choice));
  }
  return choices;
}

std::string ExEnumChoiceText(CQExEnumProperty* x, const Choice& choice) {
  ULONG type = 0;
  x->GetEnumSubDataDataType(&type);
  double number = 0;
  if (!SubDataNumber(type, choice.subData, &number)) return choice.text;
  return choice.text + " (" + FormatNumber(number) + ")";
}

bool ReadIndex(IQProperty* property, ULONG* index) {
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  if (length != sizeof(ULONG)) return false;
  unsigned char bytes[4];
  property->GetPropertyData(bytes, &length);
  std::memcpy(index, bytes, sizeof(ULONG));
  return true;
}

bool GroupState(IQProperty* property, ULONG* state) {
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  if (length != 8) return false;
  unsigned char bytes[8];
  property->GetPropertyData(bytes, &length);
  std::memcpy(state, bytes + 4, sizeof(ULONG));
  return true;
}

std::string LongText(CQLongProperty* l, ULONG value) {
  QDataType type = kDataTypeUInt32;
  l->GetPropertyDataType(&type);
  if (type == kDataTypeInt32) return std::to_string(static_cast<std::int32_t>(value));
  return std::to_string(value);
}

// SplitRatio reads "N:M" (spaces allowed around the numbers).
bool SplitRatio(const std::string& text, ULONG* numerator, ULONG* denominator) {
  const std::size_t colon = text.find(':');
  if (colon == std::string::npos) return false;
  long long n = 0;
  long long d = 0;
  if (!ParseInteger(text.substr(0, colon), &n) || !ParseInteger(text.substr(colon + 1), &d)) return false;
  if (n <= 0 || d < 0 || n > 0xFFFFFFFFLL || d > 0xFFFFFFFFLL) return false;
  *numerator = static_cast<ULONG>(n);
  *denominator = static_cast<ULONG>(d);
  return true;
}

ULONG SetExEnum(CQExEnumProperty* x, const std::string& raw, bool direct) {
  std::string text = Trim(raw);
  std::string dataText;
  const std::size_t open = text.find('(');
  if (open != std::string::npos) {
    if (text.back() != ')') return kResultInvalidArgument;
    dataText = text.substr(open + 1, text.size() - open - 2);
    text = Trim(text.substr(0, open));
  }
  const std::vector<Choice> choices = ExEnumChoices(x);
  const long index = FindChoice(choices, text);
  if (index < 0) return kResultInvalidArgument;
  const Choice& choice = choices[static_cast<std::size_t>(index)];
  ULONG customId = 0;
  x->GetCustomEnumID(&customId);
  bool dataChanged = false;
  if (!dataText.empty()) {
    ULONG type = 0;
    x->GetEnumSubDataDataType(&type);
    double number = 0;
    double current = 0;
    std::vector<unsigned char> bytes;
    if (!ParseDouble(dataText, &number) || !SubDataBytes(type, number, &bytes)) return kResultInvalidArgument;
    const bool same = SubDataNumber(type, choice.subData, &current) && current == number;
    if (!same) {
      // Only the custom entry's sub data may be chosen.
      if (choice.id != customId) return kResultInvalidArgument;
      const ULONG rc = x->SetDirectCustomData(bytes.data(), static_cast<ULONG>(bytes.size()));
      if (rc != kResultOk) return rc;
      dataChanged = true;
    }
  }
  const ULONG rc = direct ? x->SetDirectCurSel(static_cast<ULONG>(index)) : x->SetCurSel(static_cast<ULONG>(index));
  if (rc != kResultOk && dataChanged && !choice.subData.empty()) {
    x->SetDirectCustomData(choice.subData.data(), static_cast<ULONG>(choice.subData.size()));
  }
  return rc;
}

ULONG SetRatio(CQRatioProperty* r, const std::string& raw, bool direct) {
  const std::string text = Trim(raw);
  const std::vector<Choice> choices = RatioChoices(r);
  long index = FindChoice(choices, text);
  ULONG oldNumerator = 1;
  ULONG oldDenominator = 0;
  r->GetCustomRatio(&oldNumerator, &oldDenominator);
  bool ratioChanged = false;
  if (index < 0) {
    ULONG numerator = 0;
    ULONG denominator = 0;
    ULONG customId = 0;
    r->GetCustomEuumId(&customId);
    if (!SplitRatio(text, &numerator, &denominator) || denominator == 0) return kResultInvalidArgument;
    for (std::size_t i = 0; i < choices.size(); ++i) {
      if (choices[i].id == customId) index = static_cast<long>(i);
    }
    if (index < 0) return kResultInvalidArgument;
    r->SetCustomRatio(numerator, denominator);
    ratioChanged = true;
  }
  const ULONG rc = direct ? r->SetDirectCurSel(static_cast<ULONG>(index)) : r->SetCurSel(static_cast<ULONG>(index));
  if (rc != kResultOk && ratioChanged) r->SetCustomRatio(oldNumerator, oldDenominator);
  return rc;
}

}  // namespace

std::string Utf8(const WCHAR* text) {
  std::string out;
  if (text == nullptr) return out;
  for (std::size_t i = 0; text[i] != 0; ++i) {
    std::uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void Utf16Into(std::string_view text, std::vector<WCHAR>* out) {
  out->resize(text.size() + 1);  // a byte gives at most one code unit, four bytes two
  WCHAR* w = out->data();
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    std::uint32_t c = s[i];
    if (c < 0x80) {
      *w++ = static_cast<WCHAR>(c);
      ++i;
      continue;
    }
    std::size_t extra = 0;
    if (c >= 0xF0 && c < 0xF8) {
      extra = 3;
      c &= 0x07;
    } else if (c >= 0xE0) {
      extra = 2;
      c &= 0x0F;
    } else if (c >= 0xC0) {
      extra = 1;
      c &= 0x1F;
    } else {
      c = 0xFFFD;
    }
    ++i;
    for (std::size_t k = 0; k < extra; ++k, ++i) {
      if (i >= n || (s[i] & 0xC0) != 0x80) {
        c = 0xFFFD;
        break;
      }
      c = (c << 6) | (s[i] & 0x3F);
    }
    if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      *w++ = static_cast<WCHAR>(0xD800 + (c >> 10));
      *w++ = static_cast<WCHAR>(0xDC00 + (c & 0x3FF));
    } else {
      *w++ = static_cast<WCHAR>(c > 0x10FFFF ? 0xFFFD : c);
    }
  }
  *w++ = 0;
  out->resize(static_cast<std::size_t>(w - out->data()));
}

std::vector<WCHAR> Utf16(const std::string& text) {
  std::vector<WCHAR> out;
  Utf16Into(text, &out);
  return out;
}

PropertyKind KindOf(IQProperty* p) {
  if (QueryAs<IQLongProperty>(p, IID_IQLongProperty)) return PropertyKind::kLong;
  if (QueryAs<IQFloatProperty>(p, IID_IQFloatProperty)) return PropertyKind::kFloat;
  if (QueryAs<IQBoolProperty>(p, IID_IQBoolProperty)) return PropertyKind::kBool;
  if (QueryAs<IQWStringProperty>(p, IID_IQWStringProperty)) return PropertyKind::kText;
  if (QueryAs<IQEnumProperty>(p, IID_IQEnumProperty)) return PropertyKind::kEnum;
  if (QueryAs<IQEnumLongProperty>(p, IID_IQEnumLongProperty)) return PropertyKind::kEnumLong;
  if (QueryAs<IQExEnumProperty>(p, IID_IQExEnumProperty)) return PropertyKind::kExEnum;
  if (QueryAs<IQRatioProperty>(p, IID_IQRatioProperty)) return PropertyKind::kRatio;
  if (QueryAs<IQGroupProperty>(p, IID_IQGroupProperty)) return PropertyKind::kGroup;
  if (QueryAs<IQCmdButtonProperty>(p, IID_IQCmdButtonProperty)) return PropertyKind::kButton;
  return PropertyKind::kPlain;
}

const char* KindName(PropertyKind kind) {
  switch (kind) {
    case PropertyKind::kLong: return "long";
    case PropertyKind::kFloat: return "float";
    case PropertyKind::kBool: return "bool";
    case PropertyKind::kText: return "text";
    case PropertyKind::kEnum: return "enum";
    case PropertyKind::kEnumLong: return "enum-long";
    case PropertyKind::kExEnum: return "ex-enum";
    case PropertyKind::kRatio: return "ratio";
    case PropertyKind::kGroup: return "group";
    case PropertyKind::kButton: return "button";
    case PropertyKind::kPlain: return "plain";
  }
  return "plain";
}

std::string NameOf(IQProperty* property) {
  ULONG length = 0;
  property->GetPropertyName(nullptr, &length);
  std::vector<WCHAR> text(length + 1, 0);
  if (length != 0) property->GetPropertyName(text.data(), &length);
  return Utf8(text.data());
}

std::string DescriptionOf(IQProperty* property) {
  ULONG length = 0;
  property->GetPropertyDescription(nullptr, &length);
  std::vector<WCHAR> text(length + 1, 0);
  if (length != 0) property->GetPropertyDescription(text.data(), &length);
  return Utf8(text.data());
}

ULONG PropertyIdOf(IQProperty* property) {
  ULONG id = 0;
  property->GetPropertyID(&id);
  return id;
}

ULONG GroupIdOf(IQProperty* property) {
  ULONG id = 0;
  property->GetPropertyGroupID(&id);
  return id;
}

ULONG FlagsOf(IQProperty* property) {
  ULONG flags = 0;
  property->GetPropertyFlags(&flags);
  return flags;
}

std::string ValueText(IQProperty* p) {
  ULONG length = 0;
  p->GetPropertyData(nullptr, &length);
  switch (KindOf(p)) {
    case PropertyKind::kLong: {
      auto* l = Typed<CQLongProperty, IQLongProperty>(p, IID_IQLongProperty);
      ULONG value = 0;
      if (length == 0) return "";
      l->GetCurValue(&value);
      return LongText(l, value);
    }
    case PropertyKind::kFloat: {
      auto* f = Typed<CQFloatProperty, IQFloatProperty>(p, IID_IQFloatProperty);
      double value = 0;
      ULONG digits = 2;
      if (length == 0) return "";
      f->GetCurValue(&value);
      f->GetSignificantDigitAfterPoint(&digits);
      return FormatDouble(value, digits);
    }
    case PropertyKind::kBool: {
      unsigned char value = 0;
      if (length == 0) return "";
      Typed<CQBoolProperty, IQBoolProperty>(p, IID_IQBoolProperty)->GetCurValue(&value);
      return value != 0 ? "TRUE" : "FALSE";
    }
    case PropertyKind::kText: {
      auto* w = Typed<CQWStringProperty, IQWStringProperty>(p, IID_IQWStringProperty);
      ULONG bytes = 0;
      w->GetCurString(nullptr, &bytes);
      std::vector<WCHAR> text(bytes / 2 + 1, 0);
      if (bytes != 0) w->GetCurString(text.data(), &bytes);
      return Utf8(text.data());
    }
    case PropertyKind::kEnum: {
      auto* e = Typed<CQEnumProperty, IQEnumProperty>(p, IID_IQEnumProperty);
      ULONG index = 0;
      const std::vector<Choice> choices = EnumChoices(e);
      if (!ReadIndex(p, &index) || index >= choices.size()) return "";
      return choices[index].text;
    }
    case PropertyKind::kEnumLong: {
      ULONG value = 0;
      if (Typed<CQEnumLongProperty, IQEnumLongProperty>(p, IID_IQEnumLongProperty)->GetCurSelLongValue(&value) !=
          kResultOk) {
        return "";
      }
      return std::to_string(value);
    }
    case PropertyKind::kExEnum: {
      auto* x = Typed<CQExEnumProperty, IQExEnumProperty>(p, IID_IQExEnumProperty);
      ULONG index = 0xFFFFFFFFu;
      x->GetCurSel(&index);
      const std::vector<Choice> choices = ExEnumChoices(x);
      if (index >= choices.size()) return "";
      Choice selected = choices[index];
      ULONG size = 0;
      x->GetCurSelSubData(nullptr, &size);
      selected.subData.assign(size, 0);
      if (x->GetCurSelSubData(selected.subData.data(), &size) != kResultOk) selected.subData.clear();
      return ExEnumChoiceText(x, selected);
    }
    case PropertyKind::kRatio: {
      auto* r = Typed<CQRatioProperty, IQRatioProperty>(p, IID_IQRatioProperty);
      ULONG index = 0;
      ULONG customId = 0;
      r->GetCustomEuumId(&customId);
      const std::vector<Choice> choices = RatioChoices(r);
      if (!ReadIndex(p, &index) || index >= choices.size()) return "";
      if (choices[index].id != customId) return choices[index].text;
      ULONG numerator = 0;
      ULONG denominator = 0;
      r->GetCustomRatio(&numerator, &denominator);
      return std::to_string(numerator) + ":" + std::to_string(denominator);
    }
    case PropertyKind::kGroup: {
      ULONG state = 0;
      if (!GroupState(p, &state)) return "";
      if (state == 1) return "expanded";
      if (state == 0) return "collapsed";
      return std::to_string(state);
    }
    case PropertyKind::kButton: return "";
    case PropertyKind::kPlain: break;
  }
  QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(p, IID_IQPropertySerializer);
  if (!serializer) return "";
  ULONG units = 0;
  if (serializer->GetPropertyDataToSave(nullptr, &units) != kResultOk || units == 0) return "";
  std::vector<WCHAR> text(units + 1, 0);
  serializer->GetPropertyDataToSave(text.data(), &units);
  return Utf8(text.data());
}

std::string LimitsText(IQProperty* p) {
  std::string out;
  auto join = [&out](const std::string& item) { out += (out.empty() ? "" : " | ") + item; };
  switch (KindOf(p)) {
    case PropertyKind::kLong: {
      auto* l = Typed<CQLongProperty, IQLongProperty>(p, IID_IQLongProperty);
      ULONG minimum = 0;
      ULONG maximum = 0;
      l->GetMinRange(&minimum);
      l->GetMaxRange(&maximum);
      if (minimum == 0 || maximum == 0) return "any";
      return LongText(l, minimum) + " to " + LongText(l, maximum);
    }
    case PropertyKind::kFloat: {
      auto* f = Typed<CQFloatProperty, IQFloatProperty>(p, IID_IQFloatProperty);
      double minimum = 0;
      double maximum = 0;
      ULONG digits = 2;
      f->GetMinRange(&minimum);
      f->GetMaxRange(&maximum);
      f->GetSignificantDigitAfterPoint(&digits);
      if (minimum == 0 || maximum == 0) return "any";
      return FormatDouble(minimum, digits) + " to " + FormatDouble(maximum, digits);
    }
    case PropertyKind::kBool: return "TRUE | FALSE";
    case PropertyKind::kText: return "text";
    case PropertyKind::kEnum:
      for (const Choice& c : EnumChoices(Typed<CQEnumProperty, IQEnumProperty>(p, IID_IQEnumProperty))) join(c.text);
      return out;
    case PropertyKind::kEnumLong: {
      auto* e = Typed<CQEnumLongProperty, IQEnumLongProperty>(p, IID_IQEnumLongProperty);
      ULONG count = 0;
      e->GetEnumCount(&count);
      for (ULONG i = 0; i < count; ++i) {
        ULONG value = 0;
        e->GetEnumLongValue(i, &value);
        join(std::to_string(value));
      }
      return out;
    }
    case PropertyKind::kExEnum: {
      auto* x = Typed<CQExEnumProperty, IQExEnumProperty>(p, IID_IQExEnumProperty);
      ULONG customId = 0;
      x->GetCustomEnumID(&customId);
      for (const Choice& c : ExEnumChoices(x)) join(c.id == customId ? c.text + " (N)" : ExEnumChoiceText(x, c));
      return out;
    }
    case PropertyKind::kRatio: {
      auto* r = Typed<CQRatioProperty, IQRatioProperty>(p, IID_IQRatioProperty);
      ULONG customId = 0;
      r->GetCustomEuumId(&customId);
      for (const Choice& c : RatioChoices(r)) join(c.id == customId ? "N:M" : c.text);
      return out;
    }
    case PropertyKind::kGroup: return "expanded | collapsed";
    case PropertyKind::kButton: return "click";
    case PropertyKind::kPlain: return "preset text";
  }
  return out;
}

ULONG SetValueText(IQProperty* p, const std::string& text, bool direct) {
  switch (KindOf(p)) {
    case PropertyKind::kLong: {
      auto* l = Typed<CQLongProperty, IQLongProperty>(p, IID_IQLongProperty);
      long long value = 0;
      if (!ParseInteger(text, &value)) return kResultInvalidArgument;
      if (value < INT32_MIN || value > 0xFFFFFFFFLL) return kResultOutOfRange;
      QDataType type = kDataTypeUInt32;
      l->GetPropertyDataType(&type);
      if (type != kDataTypeInt32 && value < 0) return kResultOutOfRange;
      const ULONG stored = static_cast<ULONG>(value);
      return direct ? l->SetDirectCurValue(stored) : l->SetCurValue(stored);
    }
    case PropertyKind::kFloat: {
      auto* f = Typed<CQFloatProperty, IQFloatProperty>(p, IID_IQFloatProperty);
      double value = 0;
      if (!ParseDouble(text, &value)) return kResultInvalidArgument;
      return direct ? f->SetDirectCurValue(value) : f->SetCurValue(value);
    }
    case PropertyKind::kBool: {
      auto* b = Typed<CQBoolProperty, IQBoolProperty>(p, IID_IQBoolProperty);
      const std::string t = Trim(text);
      unsigned char value = 0;
      if (SameLetters(t, "true") || SameLetters(t, "yes") || SameLetters(t, "on") || t == "1") {
        value = 1;
      } else if (!(SameLetters(t, "false") || SameLetters(t, "no") || SameLetters(t, "off") || t == "0")) {
        return kResultInvalidArgument;
      }
      return direct ? b->SetDirectCurValue(value) : b->SetCurValue(value);
    }
    case PropertyKind::kText: {
      auto* w = Typed<CQWStringProperty, IQWStringProperty>(p, IID_IQWStringProperty);
      std::vector<WCHAR> wide = Utf16(text);
      return direct ? w->SetDirectCurString(wide.data()) : w->SetCurString(wide.data());
    }
    case PropertyKind::kEnum: {
      auto* e = Typed<CQEnumProperty, IQEnumProperty>(p, IID_IQEnumProperty);
      const long index = FindChoice(EnumChoices(e), Trim(text));
      if (index < 0) return kResultInvalidArgument;
      return direct ? e->SetDirectCurSel(static_cast<ULONG>(index)) : e->SetCurSel(static_cast<ULONG>(index));
    }
    case PropertyKind::kEnumLong: {
      auto* e = Typed<CQEnumLongProperty, IQEnumLongProperty>(p, IID_IQEnumLongProperty);
      long long value = 0;
      if (!ParseInteger(text, &value) || value < 0 || value > 0xFFFFFFFFLL) return kResultInvalidArgument;
      const ULONG v = static_cast<ULONG>(value);
      return direct ? e->SetDirectCurSelLongValue(v) : e->SetCurSelLongValue(v);
    }
    case PropertyKind::kExEnum:
      return SetExEnum(Typed<CQExEnumProperty, IQExEnumProperty>(p, IID_IQExEnumProperty), text, direct);
    case PropertyKind::kRatio:
      return SetRatio(Typed<CQRatioProperty, IQRatioProperty>(p, IID_IQRatioProperty), text, direct);
    case PropertyKind::kGroup: {
      auto* g = Typed<CQGroupProperty, IQGroupProperty>(p, IID_IQGroupProperty);
      const std::string t = Trim(text);
      long long state = 0;
      if (SameLetters(t, "expanded")) {
        state = 1;
      } else if (SameLetters(t, "collapsed")) {
        state = 0;
      } else if (!ParseInteger(t, &state) || state < 0 || state > 0xFFFFFFFFLL) {
        return kResultInvalidArgument;
      }
      return direct ? g->SetDirectGroupState(static_cast<ULONG>(state)) : g->SetGroupState(static_cast<ULONG>(state));
    }
    case PropertyKind::kButton: return kResultInvalidArgument;
    case PropertyKind::kPlain: break;
  }
  QRef<IQPropertySerializer> serializer = QueryAs<IQPropertySerializer>(p, IID_IQPropertySerializer);
  if (!serializer) return kResultInvalidArgument;
  std::vector<WCHAR> wide = Utf16(text);
  return serializer->LoadDirectDataFromPreset(wide.data(), static_cast<ULONG>(wide.size() - 1));
}

bool NumberOf(IQProperty* p, double* number) {
  ULONG length = 0;
  p->GetPropertyData(nullptr, &length);
  if (length == 0) return false;
  switch (KindOf(p)) {
    case PropertyKind::kLong: {
      auto* l = Typed<CQLongProperty, IQLongProperty>(p, IID_IQLongProperty);
      ULONG value = 0;
      l->GetCurValue(&value);
      QDataType type = kDataTypeUInt32;
      l->GetPropertyDataType(&type);
      *number = type == kDataTypeInt32 ? static_cast<double>(static_cast<std::int32_t>(value)) : value;
      return true;
    }
    case PropertyKind::kFloat:
      return Typed<CQFloatProperty, IQFloatProperty>(p, IID_IQFloatProperty)->GetCurValue(number) == kResultOk;
    case PropertyKind::kBool: {
      unsigned char value = 0;
      Typed<CQBoolProperty, IQBoolProperty>(p, IID_IQBoolProperty)->GetCurValue(&value);
      *number = value != 0 ? 1 : 0;
      return true;
    }
    case PropertyKind::kEnumLong: {
      ULONG value = 0;
      if (Typed<CQEnumLongProperty, IQEnumLongProperty>(p, IID_IQEnumLongProperty)->GetCurSelLongValue(&value) !=
          kResultOk) {
        return false;
      }
      *number = value;
      return true;
    }
    case PropertyKind::kExEnum: {
      auto* x = Typed<CQExEnumProperty, IQExEnumProperty>(p, IID_IQExEnumProperty);
      ULONG type = 0;
      ULONG size = 0;
      x->GetEnumSubDataDataType(&type);
      if (x->GetCurSelSubData(nullptr, &size) != kResultOk) return false;
      std::vector<unsigned char> bytes(size, 0);
      if (x->GetCurSelSubData(bytes.data(), &size) != kResultOk) return false;
      return SubDataNumber(type, bytes, number);
    }
    default: return false;
  }
}

bool RatioOf(IQProperty* p, ULONG* numerator, ULONG* denominator) {
  auto* r = Typed<CQRatioProperty, IQRatioProperty>(p, IID_IQRatioProperty);
  if (r == nullptr) return false;
  ULONG index = 0;
  ULONG customId = 0;
  r->GetCustomEuumId(&customId);
  const std::vector<Choice> choices = RatioChoices(r);
  if (!ReadIndex(p, &index) || index >= choices.size()) return false;
  if (choices[index].id == customId) {
    return r->GetCustomRatio(numerator, denominator) == kResultOk && *denominator != 0;
  }
  return SplitRatio(choices[index].text, numerator, denominator) && *denominator != 0;
}

}  // namespace host
}  // namespace Quenneth
