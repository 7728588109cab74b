#include "qenproperties/enum/enum_property.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

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
  inner_->SetPropertyFlag(1 | kFlagValueSet);
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
  inner_->SetPropertyDataType(kDataTypeEnum);
}

CQEnumProperty::CQEnumProperty(CQEnumProperty& source)
    : TypedProperty(source), subDataType_(source.subDataType_.load()) {
  CopyFrom(source);
}

CQEnumProperty& CQEnumProperty::operator=(const CQEnumProperty& source) {
  if (this != &source) CopyFrom(source);
  return *this;
}

CQEnumProperty::~CQEnumProperty() = default;

// The source's entries are taken as one snapshot under the source's own lock, released before the target is
// touched: reading them one by one through the getters could see a text renamed longer between sizing a
// buffer and filling it, and holding both locks at once could deadlock two assignments crossing each other.
// The texts are immutable and shared, so the snapshot copies no text. Allocation failures pass through (the
// clone turns them into kResultOutOfMemory).
void CQEnumProperty::CopyFrom(const CQEnumProperty& source) {
  std::vector<EnumEntry> snapshot;
  {
    detail::QLockGuard sourceGuard(source.ObjectLock());
    snapshot.reserve(source.entries_.size());
    for (const EnumEntry& entry : source.entries_) {
      if (entry.text.length() != 0) snapshot.push_back(entry);  // as the wide add, empty texts are skipped
    }
  }
  detail::QLockGuard guard(ObjectLock());
  // A new copy has no entries yet and takes the snapshot whole; an assignment appends to its own.
  if (entries_.empty()) {
    entries_.swap(snapshot);
  } else {
    entries_.insert(entries_.end(), snapshot.begin(), snapshot.end());
  }
  CopyShellFrom(source);
  subDataType_.store(source.subDataType_.load());
  optional_.Set(source.optional_.Get());
}

ULONG CQEnumProperty::QueryInterface(const _QGUID& iid, void** out) {
  return QueryTyped(IID_IQEnumProperty, iid, out, optional_.Get().get());
}

bool CQEnumProperty::Is64() const { return subDataType_.load() == static_cast<ULONG>(kDataTypeEnum64); }

// ---- list building --------------------------------------------------------------------------------------

ULONG CQEnumProperty::Append(const WCHAR* text, ULONG length, long long id) {
  try {
    EnumEntry entry{detail::SharedText::Copy(text, length), id};
    entries_.push_back(std::move(entry));  // a failed growth leaves the list as it was
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
  return kResultOk;
}

ULONG CQEnumProperty::AddNarrow(const char* text, long long id) {
  SetterGuard guard(*this);
  if (text == nullptr) return kResultInvalidArgument;
  try {
    QWString converted;
    const ULONG result = StringUtils::QUTF8ToUTF16(QU8String(text), converted);
    if (result != kResultOk) return result;
    return Append(converted.c_str(), static_cast<ULONG>(converted.size()), id);
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
}

ULONG CQEnumProperty::AddWide(const WCHAR* text, long long id) {
  SetterGuard guard(*this);
  if (text == nullptr) return kResultInvalidArgument;
  const ULONG length = StringUtils::QWLen(text);
  if (length == 0) return kResultOk;
  return Append(text, length, id);
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

// ReadStored reads the first bytes of the stored value (at most 8, the widest width asked for) in one step and
// gives its first `width` bytes as a little-endian number; a shorter value reads zero-extended. So a value of
// any length (the raw setter stores whatever it is given) is never read past, and the 4-byte readers on a 64-bit-form
// property take the low 32 bits instead of writing 8 bytes into a 32-bit variable. `present` tells whether a value is
// stored.
ULONG CQEnumProperty::ReadStored(ULONG width, unsigned long long& value, bool& present) const {
  present = false;
  ULONG held = 0;
  unsigned char bytes[8] = {};
  inner_->ReadValue(bytes, sizeof(bytes), &held);  // no value is wider than 8 bytes
  if (held == 0) return kResultOk;
  value = detail::LoadLE(bytes, held < width ? held : width);
  present = true;
  return kResultOk;
}

ULONG CQEnumProperty::GetCurSel(ULONG* index) const {
  if (index == nullptr) return kResultInvalidArgument;
  unsigned long long value = 0;
  bool present = false;
  const ULONG result = ReadStored(4, value, present);
  if (present) *index = static_cast<ULONG>(value);
  return result;
}

// In the index form only the low 4 bytes of the caller's variable are written; the high 4 keep their value.
ULONG CQEnumProperty::GetCurSel64(long long* value) const {
  if (value == nullptr) return kResultInvalidArgument;
  const bool wide = Is64();
  unsigned long long stored = 0;
  bool present = false;
  const ULONG result = ReadStored(wide ? 8 : 4, stored, present);
  if (!present) return result;
  if (!wide) stored |= static_cast<unsigned long long>(*value) & 0xFFFFFFFF00000000ull;
  *value = static_cast<long long>(stored);
  return result;
}

ULONG CQEnumProperty::GetCurSelId(ULONG* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  unsigned long long stored = 0;
  bool present = false;
  const ULONG result = ReadStored(4, stored, present);
  if (!present) return result;
  detail::QLockGuard guard(ObjectLock());
  if (stored >= entries_.size()) return kResultNoSelection;
  *id = static_cast<ULONG>(static_cast<unsigned long long>(entries_[stored].id));
  return kResultOk;
}

// An ID that no entry has reads as the first entry's ID (the ID a load selects stands first in a fresh list).
ULONG CQEnumProperty::GetCurSelId64(long long* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  unsigned long long stored = 0;
  bool present = false;
  const ULONG result = ReadStored(8, stored, present);
  if (!present) return result;
  long long answer = static_cast<long long>(stored);
  detail::QLockGuard guard(ObjectLock());
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
  unsigned long long stored = 0;
  bool present = false;
  const ULONG result = ReadStored(wide ? 8 : 4, stored, present);
  if (!present) return result;
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
  unsigned long long stored = 0;
  bool present = false;
  const ULONG result = ReadStored(4, stored, present);
  if (result != kResultOk) return result;
  detail::QLockGuard guard(ObjectLock());
  if (stored >= entries_.size()) return kResultIndexOutOfRange;
  try {
    entries_[stored].text = detail::SharedText::Copy(text, StringUtils::QWLen(text));
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
  return result;
}

// ---- selection ------------------------------------------------------------------------------------------

ULONG CQEnumProperty::Store(const void* bytes, ULONG length, bool notify) {
  return notify ? inner_->SetPropertyData(bytes, length) : inner_->SetDirectData(bytes, length);
}

ULONG CQEnumProperty::StoreIndex(ULONG index, bool notify) {
  SetterGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  const auto bytes = detail::StoreLE32(index);
  return Store(bytes.data(), 4, notify);
}

ULONG CQEnumProperty::StoreIndex64(long long value, bool notify) {
  SetterGuard guard(*this);
  if (value < 0 || static_cast<unsigned long long>(value) >= entries_.size()) return kResultIndexOutOfRange;
  const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(value));
  return Store(bytes.data(), 8, notify);
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
      return Store(bytes.data(), 8, notify);
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
  try {
    QWString converted;
    StringUtils::QUTF8ToUTF16(QU8String(text), converted);
    return SelectByText(converted.c_str(), false);
  } catch (const std::bad_alloc&) {
    return kResultOutOfMemory;
  }
}

ULONG CQEnumProperty::SetPropertyData(const void* data, ULONG length) {
  if (data == nullptr && length != 0) return kResultInvalidArgument;
  SetterGuard guard(*this);
  return inner_->SetPropertyData(data, length);
}

ULONG CQEnumProperty::SetPropertyData(ULONG value) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE32(value);
  return inner_->SetPropertyData(bytes.data(), 4);
}

ULONG CQEnumProperty::SetPropertyData64(long long value) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(value));
  return inner_->SetPropertyData(bytes.data(), 8);
}

ULONG CQEnumProperty::SetPropertyDefaultData(ULONG value) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE32(value);
  return inner_->SetPropertyDefaultData(bytes.data(), 4);
}

ULONG CQEnumProperty::SetPropertyDefaultData64(long long value) {
  SetterGuard guard(*this);
  const auto bytes = detail::StoreLE64(static_cast<std::uint64_t>(value));
  return inner_->SetPropertyDefaultData(bytes.data(), 8);
}

ULONG CQEnumProperty::SetPropertySubDataType(QDataType type) {
  subDataType_.store(static_cast<ULONG>(type));
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
    const detail::DecimalText decimal(id);
    detail::PutAsciiText(decimal.begin(), decimal.end(), text, length);
  } else {
    ULONG id = 0;
    const ULONG result = GetCurSelId(&id);
    if (result != kResultOk) return result;
    const detail::DecimalText decimal(static_cast<unsigned long long>(id));
    detail::PutAsciiText(decimal.begin(), decimal.end(), text, length);
  }
  return kResultOk;
}

ULONG CQEnumProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG /*length*/) {
  SetterGuard guard(*this);
  if (text == nullptr || text[0] == 0) return kResultInvalidArgument;
  long long id = 0;
  iUTF16StringStream stream(text);
  stream >> id;
  if (stream.fail()) return kResultUnreadablePreset;
  // The entry a load adds always has the same text, so every load shares one immutable copy of it instead of
  // converting and allocating it again (AddEnumString64 with the narrow text would store the same units).
  try {
    static const detail::SharedText kLoadedText = LoadedEntryText();  // made again later if this throws
    entries_.push_back(EnumEntry{kLoadedText, id});
  } catch (const std::bad_alloc&) {
    // as the add it stands for, a failed append is not examined: the selection below still runs
  }
  return Is64() ? SetCurSel64(0) : SetCurSel(0);
}

}  // namespace Quenneth
