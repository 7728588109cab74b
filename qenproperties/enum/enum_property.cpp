#include "qenproperties/enum/enum_property.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <typeinfo>
#include <vector>

#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/foundation/utf16_stream.h"
#include "qenproperties/internal/little_endian.h"
#include "qenproperties/internal/preset_text.h"

namespace Quenneth {
namespace {

constexpr char kLoadedEntryText[] = "use enum id";

long long ZeroExtended(ULONG id) { return static_cast<long long>(static_cast<unsigned long long>(id)); }

detail::SharedText LoadedEntryText() {
  WCHAR wide[sizeof kLoadedEntryText];
  for (std::size_t i = 0; i < sizeof kLoadedEntryText; ++i) {
    wide[i] = static_cast<unsigned char>(kLoadedEntryText[i]);
  }
  return detail::SharedText::Copy(wide, static_cast<ULONG>(sizeof kLoadedEntryText - 1));
}

}  // namespace

template <class Char>
void CQEnumProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId) {
  if (Is64()) {
    SetPropertyDefaultData64(0);
  } else {
    SetPropertyDefaultData(0);
  }
  Describe(name, description, groupId, propertyId, kDataTypeEnum);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQEnumProperty::CQEnumProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                               IQServicesManager* servicesManager, IQPropertyMediator* mediator, QDataType subDataType)
    : TypedProperty(servicesManager, mediator), subDataType_(static_cast<ULONG>(subDataType)) {
  Init(name, description, groupId, propertyId);
}

CQEnumProperty::CQEnumProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                               IQServicesManager* servicesManager, IQPropertyMediator* mediator, QDataType subDataType)
    : TypedProperty(servicesManager, mediator), subDataType_(static_cast<ULONG>(subDataType)) {
  Init(name, description, groupId, propertyId);
}

CQEnumProperty::CQEnumProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator, QDataType subDataType)
    : TypedProperty(servicesManager, mediator), subDataType_(static_cast<ULONG>(subDataType)) {
  base_->SetPropertyDataType(kDataTypeEnum);
}

CQEnumProperty::CQEnumProperty(CQEnumProperty& source)
    : TypedProperty(source), subDataType_(source.subDataType_.load()) {
  CopyFrom(source);
}

CQEnumProperty& CQEnumProperty::operator=(const CQEnumProperty& source) { return Assign(source); }

CQEnumProperty::~CQEnumProperty() = default;

// The source's entries are read under its own lock, so no text is renamed between sizing a buffer and
// filling it. The library's own class hands over its entries as they are (the texts are immutable and
// shared, so nothing is copied); a host class that derives from it is read through its virtual GetEnumCount
// and GetEnumString64, so what it reports is what the copy holds. As the wide add does, entries with an
// empty text are not carried over. Allocation failures pass through (the clone turns them into
// kResultOutOfMemory).
CQEnumProperty::Copied CQEnumProperty::TakeCopy(CQEnumProperty& source) {
  Copied copied{{}, source.subDataType_.load(), source.optional_.Get()};
  detail::QLockGuard guard(source.ObjectLock());
  if (typeid(source) == typeid(CQEnumProperty)) {
    copied.entries.reserve(source.entries_.size());
    for (const EnumEntry& entry : source.entries_) {
      if (entry.text.length() != 0) copied.entries.push_back(entry);
    }
    return copied;
  }
  ULONG count = 0;
  source.GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    long long id = 0;
    if (source.GetEnumString64(i, nullptr, &bytes, &id) != kResultOk || bytes == 0) continue;
    std::vector<WCHAR> text(bytes / sizeof(WCHAR) + 1, 0);
    if (source.GetEnumString64(i, text.data(), &bytes, &id) != kResultOk) continue;
    copied.entries.push_back(EnumEntry{detail::SharedText::Copy(text.data(), StringUtils::QWLen(text.data())), id});
  }
  return copied;
}

// A new copy has no entries yet and takes them whole; an assignment appends them to its own.
void CQEnumProperty::PutCopy(Copied&& copied) {
  if (entries_.empty()) {
    entries_.swap(copied.entries);
  } else {
    entries_.insert(entries_.end(), copied.entries.begin(), copied.entries.end());
  }
  subDataType_.store(copied.subDataType);
  optional_.Set(std::move(copied.optional));
}

ULONG CQEnumProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQEnumProperty);
  return QueryTyped(kInterfaces, iid, out, &optional_);
}

bool CQEnumProperty::Is64() const { return subDataType_.load() == static_cast<ULONG>(kDataTypeEnum64); }

// ---- list building --------------------------------------------------------------------------------------

// Append adds one entry; a failed allocation leaves the list as it was.
ULONG CQEnumProperty::Append(const WCHAR* text, ULONG length, long long id) {
  EnumEntry entry{detail::SharedText::Copy(text, length), id};
  entries_.push_back(std::move(entry));
  return kResultOk;
}

ULONG CQEnumProperty::AddNarrow(const char* text, long long id) {
  SetterGuard guard(*this);
  if (text == nullptr) return kResultInvalidArgument;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    QWString converted;
    const ULONG result = StringUtils::QUTF8ToUTF16(QU8String(text), converted);
    if (result != kResultOk) return result;
    return Append(converted.c_str(), static_cast<ULONG>(converted.size()), id);
  });
}

ULONG CQEnumProperty::AddWide(const WCHAR* text, long long id) {
  SetterGuard guard(*this);
  if (text == nullptr) return kResultInvalidArgument;
  const ULONG length = StringUtils::QWLen(text);
  if (length == 0) return kResultOk;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] { return Append(text, length, id); });
}

ULONG CQEnumProperty::AddEnumString(const char* text, ULONG id) { return AddNarrow(text, ZeroExtended(id)); }
ULONG CQEnumProperty::AddEnumString64(const char* text, long long id) { return AddNarrow(text, id); }
ULONG CQEnumProperty::AddEnumString(const WCHAR* text, ULONG id) { return AddWide(text, ZeroExtended(id)); }
ULONG CQEnumProperty::AddEnumString64(const WCHAR* text, long long id) { return AddWide(text, id); }

ULONG CQEnumProperty::RemoveAllEnumStrings() {
  SetterGuard guard(*this);
  entries_.clear();
  return kResultOk;
}

// ---- list reading ---------------------------------------------------------------------------------------
// The readers take the object's lock (recursive, and never held while waiting on an outer lock) so a list
// growing on another thread is never read in the middle of a reallocation.

ULONG CQEnumProperty::GetEnumCount(ULONG* count) const {
  if (count == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  *count = static_cast<ULONG>(entries_.size());
  return kResultOk;
}

ULONG CQEnumProperty::CopyText(const EnumEntry& entry, WCHAR* text, ULONG* byteLength) const {
  *byteLength = entry.text.length() * static_cast<ULONG>(sizeof(WCHAR));
  if (text != nullptr) StringUtils::QWCopy(text, entry.text.get(), 0);
  return kResultOk;
}

ULONG CQEnumProperty::GetEnumString(ULONG index, WCHAR* text, ULONG* byteLength, ULONG* id) const {
  long long wide = 0;
  const ULONG result = GetEnumString64(index, text, byteLength, &wide);
  if (result == kResultOk && id != nullptr) *id = static_cast<ULONG>(static_cast<unsigned long long>(wide));
  return result;
}

ULONG CQEnumProperty::GetEnumString64(ULONG index, WCHAR* text, ULONG* byteLength, long long* id) const {
  if (byteLength == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  CopyText(entries_[index], text, byteLength);
  if (id != nullptr) *id = entries_[index].id;
  return kResultOk;
}

// ---- reading the selection ------------------------------------------------------------------------------

// The readers take the stored value through the skeleton's ReadStored: a value of any length (the raw setter
// stores whatever it is given) is never read past, and the 4-byte readers on a 64-bit-form property take the
// low 32 bits instead of writing 8 bytes into a 32-bit variable.

ULONG CQEnumProperty::GetCurSel(ULONG* index) const {
  if (index == nullptr) return kResultInvalidArgument;
  std::uint64_t value = 0;
  if (ReadStored(4, value)) *index = static_cast<ULONG>(value);
  return kResultOk;
}

// In the index form only the low 4 bytes of the caller's variable are written; the high 4 keep their value.
ULONG CQEnumProperty::GetCurSel64(long long* value) const {
  if (value == nullptr) return kResultInvalidArgument;
  const bool wide = Is64();
  std::uint64_t stored = 0;
  if (!ReadStored(wide ? 8 : 4, stored)) return kResultOk;
  if (!wide) stored |= static_cast<std::uint64_t>(*value) & 0xFFFFFFFF00000000ull;
  *value = static_cast<long long>(stored);
  return kResultOk;
}

ULONG CQEnumProperty::GetCurSelId(ULONG* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  // One lock for the index and the list (the base property's lock is this object's).
  detail::QLockGuard guard(ObjectLock());
  std::uint64_t stored = 0;
  if (!ReadStored(4, stored)) return kResultOk;
  if (stored >= entries_.size()) return kResultNoSelection;
  *id = static_cast<ULONG>(static_cast<unsigned long long>(entries_[stored].id));
  return kResultOk;
}

// An ID that no entry has reads as the first entry's ID (the ID a load selects stands first in a fresh list).
ULONG CQEnumProperty::GetCurSelId64(long long* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  std::uint64_t stored = 0;
  if (!ReadStored(8, stored)) return kResultOk;
  long long answer = static_cast<long long>(stored);
  bool found = entries_.empty();
  for (const EnumEntry& entry : entries_) {
    if (entry.id == answer) {
      found = true;
      break;
    }
  }
  if (!found) answer = entries_.front().id;
  *id = answer;
  return kResultOk;
}

ULONG CQEnumProperty::GetCurSelString(WCHAR* text, ULONG* byteLength) const {
  if (byteLength == nullptr) return kResultInvalidArgument;
  const bool wide = Is64();
  std::uint64_t stored = 0;
  if (!ReadStored(wide ? 8 : 4, stored)) return kResultOk;
  detail::QLockGuard guard(ObjectLock());
  if (!wide) {
    if (stored < entries_.size()) CopyText(entries_[stored], text, byteLength);
    return kResultOk;
  }
  for (const EnumEntry& entry : entries_) {
    if (entry.id == static_cast<long long>(stored)) return CopyText(entry, text, byteLength);
  }
  return kResultOk;
}

// Renaming takes the object's lock as well, so a reader never copies a text while it is being replaced.
ULONG CQEnumProperty::ChangeCurSelString(const WCHAR* text) {
  if (text == nullptr) return kResultNullPointer;
  std::uint64_t stored = 0;  // index 0 while no value is stored
  ReadStored(4, stored);
  detail::QLockGuard guard(ObjectLock());
  if (stored >= entries_.size()) return kResultIndexOutOfRange;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    entries_[stored].text = detail::SharedText::Copy(text, StringUtils::QWLen(text));
    return kResultOk;
  });
}

// ---- selection ------------------------------------------------------------------------------------------

// Only the value changes, so the attributes' stamp stays (the list is read under the lock).
ULONG CQEnumProperty::StoreIndex(ULONG index, bool notify) {
  ValueGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  return StoreWord(guard, index, notify);
}

ULONG CQEnumProperty::StoreIndex64(long long value, bool notify) {
  ValueGuard guard(*this);
  if (value < 0 || static_cast<unsigned long long>(value) >= entries_.size()) return kResultIndexOutOfRange;
  const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(value));
  return StoreValue(guard, bytes.data(), 8, notify);
}

ULONG CQEnumProperty::SelectById(long long id, bool lowBitsOnly, bool notify) {
  SetterGuard guard(*this);
  for (ULONG i = 0; i < entries_.size(); ++i) {
    const long long own = entries_[i].id;
    const bool match = lowBitsOnly ? static_cast<ULONG>(static_cast<unsigned long long>(own)) ==
                                         static_cast<ULONG>(static_cast<unsigned long long>(id))
                                   : own == id;
    if (match) return StoreIndex(i, notify);
  }
  return kResultInvalidArgument;
}

ULONG CQEnumProperty::SelectById64(long long id, bool notify) {
  SetterGuard guard(*this);
  for (const EnumEntry& entry : entries_) {
    if (entry.id == id) {
      const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(id));
      return StoreValue(bytes.data(), 8, notify);
    }
  }
  return kResultInvalidArgument;
}

ULONG CQEnumProperty::SelectByText(const WCHAR* text, bool notify) {
  SetterGuard guard(*this);
  if (text == nullptr) return kResultInvalidArgument;
  for (ULONG i = 0; i < entries_.size(); ++i) {
    if (StringUtils::QWIsEqual(entries_[i].text.get(), text, 0) != 0) return StoreIndex(i, notify);
  }
  return kResultInvalidArgument;
}

ULONG CQEnumProperty::SetCurSel(ULONG index) { return StoreIndex(index, true); }
ULONG CQEnumProperty::SetDirectCurSel(ULONG index) { return StoreIndex(index, false); }
ULONG CQEnumProperty::SetCurSel64(long long value) { return StoreIndex64(value, true); }
ULONG CQEnumProperty::SetDirectCurSel64(long long value) { return StoreIndex64(value, false); }
ULONG CQEnumProperty::SetCurSelById(ULONG id) { return SelectById(ZeroExtended(id), false, true); }
ULONG CQEnumProperty::SetDirectCurSelById(ULONG id) { return SelectById(ZeroExtended(id), true, false); }
ULONG CQEnumProperty::SetCurSelById64(long long id) { return SelectById64(id, true); }
ULONG CQEnumProperty::SetDirectCurSelById64(long long id) { return SelectById64(id, false); }
ULONG CQEnumProperty::SetCurSelString(WCHAR* text) { return SelectByText(text, true); }
ULONG CQEnumProperty::SetDirectCurSelString(WCHAR* text) { return SelectByText(text, false); }

// A text that is no valid UTF-8 converts to empty text and so selects the first entry with an empty text.
ULONG CQEnumProperty::SetDirectCurSelString(const char* text) {
  if (text == nullptr) return kResultInvalidArgument;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    QWString converted;
    StringUtils::QUTF8ToUTF16(QU8String(text), converted);
    return SelectByText(converted.c_str(), false);
  });
}

// An empty store (null data, length 0) is accepted.
ULONG CQEnumProperty::SetPropertyData(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  return StoreRaw(data, length);
}

ULONG CQEnumProperty::SetPropertyData(ULONG value) {
  SetterGuard guard(*this);
  return StoreWord(value, true);
}

ULONG CQEnumProperty::SetPropertyData64(long long value) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(value));
  return base_->SetPropertyData(bytes.data(), 8);
}

ULONG CQEnumProperty::SetPropertyDefaultData(ULONG value) { return StoreDefaultWord(value); }

ULONG CQEnumProperty::SetPropertyDefaultData64(long long value) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(value));
  return base_->SetPropertyDefaultData(bytes.data(), 8);
}

ULONG CQEnumProperty::SetPropertySubDataType(QDataType type) {
  subDataType_.store(static_cast<ULONG>(type));
  base_->Touch();  // snapshots copy the sub data type anew
  return kResultOk;
}

ULONG CQEnumProperty::GetPropertySubDataType(QDataType* type) const {
  if (type == nullptr) return kResultInvalidArgument;
  *type = static_cast<QDataType>(subDataType_.load());
  return kResultOk;
}

ULONG CQEnumProperty::SetOptionalProperty(IQOptionalProperty* optional) {
  SetterGuard guard(*this);
  optional_.Set(QRef<IQOptionalProperty>::Retain(optional));
  return kResultOk;
}

ULONG CQEnumProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

// ---- preset text ----------------------------------------------------------------------------------------

ULONG CQEnumProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  if (length == nullptr) return kResultNullPointer;
  if (Is64()) {
    long long id = 0;
    const ULONG result = GetCurSelId64(&id);
    if (result != kResultOk) return result;
    detail::PutDecimalText(id, text, length);
  } else {
    ULONG id = 0;
    const ULONG result = GetCurSelId(&id);
    if (result != kResultOk) return result;
    detail::PutDecimalText(static_cast<unsigned long long>(id), text, length);
  }
  return kResultOk;
}

ULONG CQEnumProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*length*/) {
  if (text == nullptr || text[0] == 0) return kResultInvalidArgument;
  // The text is the caller's, read before the locks are taken; the list grows and the selection is stored
  // under them.
  long long id = 0;
  if (!detail::ReadPlainDecimal(text, id)) {
    iUTF16StringStream stream(text);
    stream >> id;
    if (stream.fail()) return kResultUnreadablePreset;
  }
  SetterGuard guard(*this);
  // The entry a load adds always has the same text, so every load shares one immutable copy of it instead of
  // converting and allocating it again (AddEnumString64 with the narrow text would store the same units).
  // As the add it stands for, a failed append is not examined: the selection below still runs.
  detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    static const detail::SharedText kLoadedText = LoadedEntryText();  // made again later if this throws
    entries_.push_back(EnumEntry{kLoadedText, id});
    return kResultOk;
  });
  return Is64() ? SetCurSel64(0) : SetCurSel(0);
}

}  // namespace Quenneth
