#include "qenproperties/enum/ratio_property.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <utility>

#include "qenproperties/foundation/utf16_stream.h"

namespace Quenneth {
namespace {

// Decimal writes a 32-bit value as signed, so 4294967295 reads back from "-1".
QWString Decimal(ULONG value) {
  oUTF16StringStream stream;
  stream << static_cast<std::int32_t>(value);
  return stream.str();
}

}  // namespace

template <class Char>
void CQRatioProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId) {
  SetPropertyDefaultData(0);
  Describe(name, description, groupId, propertyId, kDataTypeRatio);
  inner_->SetPropertyFlag(1 | kFlagValueSet);
}

CQRatioProperty::CQRatioProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                 IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId);
}

CQRatioProperty::CQRatioProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                 IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  Init(name, description, groupId, propertyId);
}

CQRatioProperty::CQRatioProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  inner_->SetPropertyDataType(kDataTypeRatio);
}

CQRatioProperty::CQRatioProperty(CQRatioProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQRatioProperty& CQRatioProperty::operator=(const CQRatioProperty& source) {
  if (this != &source) CopyFrom(source);
  return *this;
}

CQRatioProperty::~CQRatioProperty() = default;

void CQRatioProperty::CopyFrom(const CQRatioProperty& source) {
  // The source's entries are taken under its own lock before ours is taken, so two properties assigned to
  // each other from two threads never wait on one another.
  std::vector<Entry> taken;
  {
    detail::QLockGuard guard(source.ObjectLock());
    taken = source.entries_;
  }
  CopyShellFrom(source);
  SetterGuard guard(*this);
  for (const Entry& entry : taken) AddEnumString(entry.text.c_str(), entry.id);
  numerator_.store(source.numerator_.load());
  denominator_.store(source.denominator_.load());
  customEnumId_.store(source.customEnumId_.load());
  optional_.Set(source.optional_.Get());
}

ULONG CQRatioProperty::QueryInterface(const _QGUID& iid, void** out) {
  return QueryTyped(IID_IQRatioProperty, iid, out, optional_.Get().get());
}

ULONG CQRatioProperty::Reset() {
  SetterGuard guard(*this);
  const ULONG result = inner_->Reset();
  numerator_.store(1);
  denominator_.store(0);
  return result;
}

ULONG CQRatioProperty::AddEnumString(const char* string, ULONG id) {
  if (string == nullptr) return kResultInvalidArgument;
  try {
    QWString wide;
    StringUtils::QUTF8ToUTF16(string, wide);
    SetterGuard guard(*this);
    entries_.push_back(Entry{std::move(wide), id});
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
  return kResultOk;
}

ULONG CQRatioProperty::AddEnumString(const WCHAR* string, ULONG id) {
  if (string == nullptr) return kResultInvalidArgument;
  if (string[0] == 0) return kResultOk;
  try {
    QWString wide(string);
    SetterGuard guard(*this);
    entries_.push_back(Entry{std::move(wide), id});
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
  return kResultOk;
}

ULONG CQRatioProperty::RemoveAllEnumStrings() {
  SetterGuard guard(*this);
  entries_.clear();
  return kResultOk;
}

// The entry list is read under the object's lock: a getter racing an add must not see a vector mid-growth.
ULONG CQRatioProperty::GetEnumCount(ULONG* count) const {
  if (count == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  *count = static_cast<ULONG>(entries_.size());
  return kResultOk;
}

ULONG CQRatioProperty::GetEnumString(ULONG index, WCHAR* string, ULONG* stringSize, ULONG* id) const {
  if (stringSize == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  const Entry& entry = entries_[index];
  *stringSize = StringUtils::QWLen(entry.text.c_str()) * 2;
  if (string != nullptr) StringUtils::QWCopy(string, entry.text.c_str(), 0);
  if (id != nullptr) *id = entry.id;
  return kResultOk;
}

ULONG CQRatioProperty::ReadIndex(ULONG& index, bool& present) const {
  present = false;
  ULONG held = 0;
  inner_->GetPropertyData(nullptr, &held);
  if (held == 0) return kResultOk;
  // The whole value is fetched into a buffer of its own size; a host's longer raw value is cut to the index,
  // a shorter one reads zero-extended.
  std::vector<unsigned char> bytes(std::max<ULONG>(held, sizeof(ULONG)), 0);
  const ULONG result = inner_->GetPropertyData(bytes.data(), &held);
  if (result != kResultOk) return result;
  std::memcpy(&index, bytes.data(), sizeof(ULONG));
  present = true;
  return kResultOk;
}

ULONG CQRatioProperty::GetCurSel(ULONG* index) const {
  if (index == nullptr) return kResultInvalidArgument;
  bool present = false;
  ULONG value = 0;
  const ULONG result = ReadIndex(value, present);
  if (present) *index = value;
  return result;
}

ULONG CQRatioProperty::GetCurSelId(ULONG* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  bool present = false;
  ULONG index = 0;
  const ULONG result = ReadIndex(index, present);
  if (result != kResultOk || !present) return result;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultNoSelection;
  *id = entries_[index].id;
  return kResultOk;
}

ULONG CQRatioProperty::GetCurSelString(WCHAR* string, ULONG* stringSize) const {
  if (stringSize == nullptr) return kResultInvalidArgument;
  bool present = false;
  ULONG index = 0;
  const ULONG result = ReadIndex(index, present);
  if (result != kResultOk || !present) return result;
  detail::QLockGuard guard(ObjectLock());
  // A stored index that designates no entry (left over after RemoveAllEnumStrings, or a host's raw value)
  // writes nothing and reports success, as the index form of the enum property does.
  if (index >= entries_.size()) return kResultOk;
  *stringSize = StringUtils::QWLen(entries_[index].text.c_str()) * 2;
  if (string != nullptr) StringUtils::QWCopy(string, entries_[index].text.c_str(), 0);
  return kResultOk;
}

ULONG CQRatioProperty::ChangeCurSelString(const WCHAR* string) {
  if (string == nullptr) return kResultNullPointer;
  bool present = false;
  ULONG index = 0;
  const ULONG result = ReadIndex(index, present);
  if (result != kResultOk) return result;
  try {
    QWString copy(string);
    detail::QLockGuard guard(ObjectLock());
    if (index >= entries_.size()) return kResultIndexOutOfRange;
    entries_[index].text.swap(copy);
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
  return kResultOk;
}

ULONG CQRatioProperty::StoreIndex(ULONG index, bool notify) {
  unsigned char bytes[sizeof(ULONG)];
  std::memcpy(bytes, &index, sizeof(bytes));
  return notify ? inner_->SetPropertyData(bytes, sizeof(bytes)) : inner_->SetDirectData(bytes, sizeof(bytes));
}

ULONG CQRatioProperty::FindId(ULONG id, ULONG& index) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].id == id) {
      index = static_cast<ULONG>(i);
      return kResultOk;
    }
  }
  return kResultInvalidArgument;
}

ULONG CQRatioProperty::FindString(const WCHAR* string, ULONG& index) const {
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (StringUtils::QWIsEqual(entries_[i].text.c_str(), string, 0) != 0) {
      index = static_cast<ULONG>(i);
      return kResultOk;
    }
  }
  return kResultInvalidArgument;
}

ULONG CQRatioProperty::SetCurSel(ULONG index) {
  SetterGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  return StoreIndex(index, true);
}

ULONG CQRatioProperty::SetDirectCurSel(ULONG index) {
  SetterGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  return StoreIndex(index, false);
}

ULONG CQRatioProperty::SetCurSelById(ULONG id) {
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindId(id, index);
  return result != kResultOk ? result : StoreIndex(index, true);
}

ULONG CQRatioProperty::SetDirectCurSelById(ULONG id) {
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindId(id, index);
  return result != kResultOk ? result : StoreIndex(index, false);
}

ULONG CQRatioProperty::SetCurSelString(WCHAR* string) {
  if (string == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindString(string, index);
  return result != kResultOk ? result : StoreIndex(index, true);
}

ULONG CQRatioProperty::SetDirectCurSelString(WCHAR* string) {
  if (string == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindString(string, index);
  return result != kResultOk ? result : StoreIndex(index, false);
}

ULONG CQRatioProperty::SetDirectCurSelString(const char* string) {
  if (string == nullptr) return kResultInvalidArgument;
  QWString wide;
  StringUtils::QUTF8ToUTF16(string, wide);
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindString(wide.c_str(), index);
  return result != kResultOk ? result : StoreIndex(index, false);
}

ULONG CQRatioProperty::SetPropertyData(ULONG index) {
  SetterGuard guard(*this);
  return StoreIndex(index, true);
}

ULONG CQRatioProperty::SetPropertyDefaultData(ULONG index) {
  SetterGuard guard(*this);
  unsigned char bytes[sizeof(ULONG)];
  std::memcpy(bytes, &index, sizeof(bytes));
  return inner_->SetPropertyDefaultData(bytes, sizeof(bytes));
}

ULONG CQRatioProperty::SetOptionalProperty(IQOptionalProperty* optional) {
  SetterGuard guard(*this);
  optional_.Set(QRef<IQOptionalProperty>::Retain(optional));
  return kResultOk;
}

ULONG CQRatioProperty::GetCustomRatio(ULONG* numerator, ULONG* denominator) const {
  if (numerator == nullptr || denominator == nullptr) return kResultNotFound;
  detail::QLockGuard guard(ObjectLock());  // both halves of one ratio, never one old and one new
  *numerator = numerator_.load();
  *denominator = denominator_.load();
  return kResultOk;
}

ULONG CQRatioProperty::SetCustomRatio(ULONG numerator, ULONG denominator) {
  SetterGuard guard(*this);
  numerator_.store(numerator);
  denominator_.store(denominator);
  return kResultOk;
}

ULONG CQRatioProperty::SetCustomEnumId(ULONG id) {
  SetterGuard guard(*this);
  customEnumId_.store(id);
  return kResultOk;
}

ULONG CQRatioProperty::GetCustomEuumId(ULONG* id) const {
  if (id == nullptr) return kResultNullPointer;
  *id = customEnumId_.load();
  return kResultOk;
}

ULONG CQRatioProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

ULONG CQRatioProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  // The size is written on every successful path, so a missing one is refused before anything else.
  if (length == nullptr) return kResultNullPointer;
  ULONG id = 0;
  const ULONG result = GetCurSelId(&id);
  if (result != kResultOk) {
    if (text != nullptr) text[0] = 0;
    return result;
  }
  QWString formatted = Decimal(id);
  if (id == customEnumId_.load()) {
    ULONG numerator = 1;
    ULONG denominator = 0;
    GetCustomRatio(&numerator, &denominator);
    formatted.push_back(static_cast<WCHAR>('#'));
    formatted += Decimal(numerator);
    formatted.push_back(static_cast<WCHAR>('#'));
    formatted += Decimal(denominator);
  }
  *length = static_cast<ULONG>(formatted.size());
  if (text != nullptr) StringUtils::QWCopy(text, formatted.c_str(), 0);
  return kResultOk;
}

ULONG CQRatioProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*size*/) {
  if (text == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  QWString copy(text);
  QWString parts[3];
  const std::size_t first = copy.find(static_cast<WCHAR>('#'));
  const std::size_t second = first == QWString::npos ? QWString::npos : copy.find(static_cast<WCHAR>('#'), first + 1);
  parts[0] = copy.substr(0, first);
  if (second != QWString::npos) {
    parts[1] = copy.substr(first + 1, second - first - 1);
    parts[2] = copy.substr(second + 1);
  }
  std::int32_t id = 0;
  iUTF16StringStream(parts[0].c_str()) >> id;  // no number, or one beyond 32 bits, loads the ID 0
  AddEnumString("use enum id", static_cast<ULONG>(id));
  const ULONG result = SetCurSel(0);
  // The custom ratio is replaced only when both numbers can be read; a text without both "#" separators, or
  // with an unreadable number, keeps the ratio the property had.
  if (second != QWString::npos && static_cast<ULONG>(id) == customEnumId_.load()) {
    std::int32_t numerator = 0;
    std::int32_t denominator = 0;
    iUTF16StringStream numeratorStream(parts[1].c_str());
    numeratorStream >> numerator;
    iUTF16StringStream denominatorStream(parts[2].c_str());
    denominatorStream >> denominator;
    if (!numeratorStream.fail() && !denominatorStream.fail()) {
      SetCustomRatio(static_cast<ULONG>(numerator), static_cast<ULONG>(denominator));
    }
  }
  return result;
}

}  // namespace Quenneth
