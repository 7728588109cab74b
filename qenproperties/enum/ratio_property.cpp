#include "qenproperties/enum/ratio_property.h"

#include <cstdint>
#include <typeinfo>
#include <utility>
#include <vector>

#include "qenproperties/foundation/string_utils.h"
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
  base_->SetPropertyFlag(1 | kFlagValueSet);
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
  base_->SetPropertyDataType(kDataTypeRatio);
}

CQRatioProperty::CQRatioProperty(CQRatioProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQRatioProperty& CQRatioProperty::operator=(const CQRatioProperty& source) { return Assign(source); }

CQRatioProperty::~CQRatioProperty() = default;

// The source is read under its own lock, so no string is renamed between sizing a buffer and filling it. The
// library's own class hands over its entries and ratio as they are (the strings are immutable and shared); a
// host class that derives from it is read through its GetEnumCount, GetEnumString and GetCustomRatio, so what
// it reports is what the copy holds. As the wide add does, entries with an empty string are not carried over.
CQRatioProperty::Copied CQRatioProperty::TakeCopy(CQRatioProperty& source) {
  Copied copied{{}, 1, 0, source.customEnumId_.load(), source.optional_.Get()};
  detail::QLockGuard guard(source.ObjectLock());
  if (typeid(source) == typeid(CQRatioProperty)) {
    copied.entries.reserve(source.entries_.size());
    for (const Entry& entry : source.entries_) {
      if (entry.text.length() != 0) copied.entries.push_back(entry);
    }
    copied.numerator = source.numerator_.load();
    copied.denominator = source.denominator_.load();
    return copied;
  }
  ULONG count = 0;
  source.GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG id = 0;
    if (source.GetEnumString(i, nullptr, &bytes, &id) != kResultOk || bytes == 0) continue;
    std::vector<WCHAR> text(bytes / sizeof(WCHAR) + 1, 0);
    if (source.GetEnumString(i, text.data(), &bytes, &id) != kResultOk) continue;
    copied.entries.push_back(Entry{detail::SharedText::Copy(text.data(), StringUtils::QWLen(text.data())), id});
  }
  source.GetCustomRatio(&copied.numerator, &copied.denominator);
  return copied;
}

// A copy appends the source's entries to its own: an assignment does not empty the target's list first.
void CQRatioProperty::PutCopy(Copied&& copied) {
  entries_.insert(entries_.end(), copied.entries.begin(), copied.entries.end());
  numerator_.store(copied.numerator);
  denominator_.store(copied.denominator);
  customEnumId_.store(copied.customEnumId);
  optional_.Set(std::move(copied.optional));
}

ULONG CQRatioProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQRatioProperty);
  return QueryTyped(kInterfaces, iid, out, &optional_);
}

ULONG CQRatioProperty::Reset() {
  SetterGuard guard(*this);
  const ULONG result = base_->Reset();
  numerator_.store(1);
  denominator_.store(0);
  return result;
}

// The adds give kResultOutOfMemory, list unchanged, when the entry cannot be allocated.
ULONG CQRatioProperty::AddEnumString(const char* string, ULONG id) {
  if (string == nullptr) return kResultInvalidArgument;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    QWString wide;
    StringUtils::QUTF8ToUTF16(string, wide);
    return Append(wide.c_str(), static_cast<ULONG>(wide.size()), id);
  });
}

ULONG CQRatioProperty::AddEnumString(const WCHAR* string, ULONG id) {
  if (string == nullptr) return kResultInvalidArgument;
  if (string[0] == 0) return kResultOk;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] { return Append(string, StringUtils::QWLen(string), id); });
}

ULONG CQRatioProperty::Append(const WCHAR* string, ULONG length, ULONG id) {
  Entry entry{detail::SharedText::Copy(string, length), id};
  SetterGuard guard(*this);
  entries_.push_back(std::move(entry));
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
  CopyText(entry, string, stringSize);
  if (id != nullptr) *id = entry.id;
  return kResultOk;
}

// CopyText answers a string getter: the length in bytes without the terminator, and the string with its
// terminator when a buffer is given.
void CQRatioProperty::CopyText(const Entry& entry, WCHAR* string, ULONG* stringSize) {
  *stringSize = entry.text.length() * static_cast<ULONG>(sizeof(WCHAR));
  if (string != nullptr) StringUtils::QWCopy(string, entry.text.get(), 0);
}

ULONG CQRatioProperty::GetCurSel(ULONG* index) const {
  if (index == nullptr) return kResultInvalidArgument;
  std::uint64_t value = 0;
  if (ReadStored(4, value)) *index = static_cast<ULONG>(value);
  return kResultOk;
}

ULONG CQRatioProperty::GetCurSelId(ULONG* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  std::uint64_t index = 0;
  if (!ReadStored(4, index)) return kResultOk;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultNoSelection;
  *id = entries_[index].id;
  return kResultOk;
}

ULONG CQRatioProperty::GetCurSelString(WCHAR* string, ULONG* stringSize) const {
  if (stringSize == nullptr) return kResultInvalidArgument;
  std::uint64_t index = 0;
  if (!ReadStored(4, index)) return kResultOk;
  detail::QLockGuard guard(ObjectLock());
  // A stored index that designates no entry (left over after RemoveAllEnumStrings, or a host's raw value)
  // writes nothing and reports success, as the index form of the enum property does.
  if (index >= entries_.size()) return kResultOk;
  CopyText(entries_[index], string, stringSize);
  return kResultOk;
}

ULONG CQRatioProperty::ChangeCurSelString(const WCHAR* string) {
  if (string == nullptr) return kResultNullPointer;
  std::uint64_t index = 0;  // index 0 while no value is stored
  ReadStored(4, index);
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    detail::SharedText copy = detail::SharedText::Copy(string, StringUtils::QWLen(string));
    detail::QLockGuard guard(ObjectLock());
    if (index >= entries_.size()) return kResultIndexOutOfRange;
    entries_[index].text = std::move(copy);
    return kResultOk;
  });
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
    if (StringUtils::QWIsEqual(entries_[i].text.get(), string, 0) != 0) {
      index = static_cast<ULONG>(i);
      return kResultOk;
    }
  }
  return kResultInvalidArgument;
}

ULONG CQRatioProperty::SetCurSel(ULONG index) {
  SetterGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  return StoreWord(index, true);
}

ULONG CQRatioProperty::SetDirectCurSel(ULONG index) {
  SetterGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  return StoreWord(index, false);
}

ULONG CQRatioProperty::SetCurSelById(ULONG id) {
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindId(id, index);
  return result != kResultOk ? result : StoreWord(index, true);
}

ULONG CQRatioProperty::SetDirectCurSelById(ULONG id) {
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindId(id, index);
  return result != kResultOk ? result : StoreWord(index, false);
}

ULONG CQRatioProperty::SetCurSelString(WCHAR* string) {
  if (string == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindString(string, index);
  return result != kResultOk ? result : StoreWord(index, true);
}

ULONG CQRatioProperty::SetDirectCurSelString(WCHAR* string) {
  if (string == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindString(string, index);
  return result != kResultOk ? result : StoreWord(index, false);
}

ULONG CQRatioProperty::SetDirectCurSelString(const char* string) {
  if (string == nullptr) return kResultInvalidArgument;
  QWString wide;
  StringUtils::QUTF8ToUTF16(string, wide);
  SetterGuard guard(*this);
  ULONG index = 0;
  const ULONG result = FindString(wide.c_str(), index);
  return result != kResultOk ? result : StoreWord(index, false);
}

ULONG CQRatioProperty::SetPropertyData(ULONG index) {
  SetterGuard guard(*this);
  return StoreWord(index, true);
}

ULONG CQRatioProperty::SetPropertyDefaultData(ULONG index) { return StoreDefaultWord(index); }

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
