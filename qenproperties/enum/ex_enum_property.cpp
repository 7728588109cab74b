#include "qenproperties/enum/ex_enum_property.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <typeinfo>
#include <utility>

#include "qenproperties/foundation/binary_stream.h"
#include "qenproperties/foundation/port.h"
#include "qenproperties/foundation/string_utils.h"
#include "qenproperties/internal/sub_data_width.h"

namespace Quenneth {
namespace {

constexpr ULONG kRecordHead = 24;  // the six leading 32-bit fields
constexpr ULONG kNoSelection = 0xFFFFFFFFu;

// Width of a sub-data value in the record; 0 for a type the record cannot carry.
constexpr ULONG (&WidthOf)(ULONG) = detail::SubDataWidth;

template <class T>
T Load(const unsigned char* bytes) {
  T value;
  std::memcpy(&value, bytes, sizeof(T));
  return value;
}

template <class T>
void Keep(T value, unsigned char* bytes) {
  std::memcpy(bytes, &value, sizeof(T));
}

void WriteValue(CWriteStream& stream, ULONG type, const unsigned char* value) {
  switch (type) {
    case kDataTypeUInt8: stream.PutByte(value[0]); break;
    case kDataTypeUInt16: stream.PutShort(Load<short>(value)); break;
    case kDataTypeUInt32:
    case kDataTypeInt32: stream.PutInt(Load<std::int32_t>(value)); break;
    case kDataTypeInt64: stream.PutInt64(Load<long long>(value)); break;
    case kDataTypeFloat: stream.PutFloat(Load<float>(value)); break;
    case kDataTypeDouble: stream.PutDouble(Load<double>(value)); break;
    default: break;
  }
}

void ReadValue(CReadStream& stream, ULONG type, unsigned char* value) {
  switch (type) {
    case kDataTypeUInt8: stream.ReadByte(value[0]); break;
    case kDataTypeUInt16: {
      short v = 0;
      stream.ReadShort(v);
      Keep(v, value);
      break;
    }
    case kDataTypeUInt32:
    case kDataTypeInt32: {
      std::int32_t v = 0;
      stream.ReadInt(v);
      Keep(v, value);
      break;
    }
    case kDataTypeInt64: {
      long long v = 0;
      stream.ReadInt(v);
      Keep(v, value);
      break;
    }
    case kDataTypeFloat: {
      float v = 0;
      stream.ReadFloat(v);
      Keep(v, value);
      break;
    }
    case kDataTypeDouble: {
      double v = 0;
      stream.ReadDouble(v);
      Keep(v, value);
      break;
    }
    default: break;
  }
}

}  // namespace

template <class Char>
void CQExEnumProperty::Init(const Char* name, const Char* description, ULONG groupId, ULONG propertyId) {
  BuildInitialRecord();
  Describe(name, description, groupId, propertyId, kDataTypeExEnum);
  base_->SetPropertyFlag(1 | kFlagValueSet);
}

CQExEnumProperty::CQExEnumProperty(const char* name, const char* description, ULONG groupId, ULONG propertyId,
                                   ULONG customEnumId, ULONG subDataType, IQServicesManager* servicesManager,
                                   IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator), customEnumId_(customEnumId), subDataType_(subDataType) {
  Init(name, description, groupId, propertyId);
}

CQExEnumProperty::CQExEnumProperty(const WCHAR* name, const WCHAR* description, ULONG groupId, ULONG propertyId,
                                   ULONG customEnumId, ULONG subDataType, IQServicesManager* servicesManager,
                                   IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator), customEnumId_(customEnumId), subDataType_(subDataType) {
  Init(name, description, groupId, propertyId);
}

CQExEnumProperty::CQExEnumProperty(IQServicesManager* servicesManager, IQPropertyMediator* mediator)
    : TypedProperty(servicesManager, mediator) {
  BuildInitialRecord();
  base_->SetPropertyFlag(1);  // the initial store must not count as a host's change
  base_->SetPropertyDataType(kDataTypeExEnum);
}

CQExEnumProperty::CQExEnumProperty(CQExEnumProperty& source) : TypedProperty(source) { CopyFrom(source); }

CQExEnumProperty& CQExEnumProperty::operator=(const CQExEnumProperty& source) { return Assign(source); }

CQExEnumProperty::~CQExEnumProperty() = default;

// The source's entries are read under its own lock, so no entry changes between sizing a buffer and filling
// it. The library's own class hands over its entries as they are; a host class that derives from it is read
// through its virtual GetEnumCount and GetEnumStringAndSubData, so what it reports is what the copy holds (an
// entry it refuses is skipped).
CQExEnumProperty::Copied CQExEnumProperty::TakeCopy(CQExEnumProperty& source) {
  Copied copied{{}, source.subDataType_.load(), source.customEnumId_.load()};
  detail::QLockGuard guard(source.ObjectLock());
  if (typeid(source) == typeid(CQExEnumProperty)) {
    copied.entries = source.entries_;
    return copied;
  }
  ULONG count = 0;
  source.GetEnumCount(&count);
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    ULONG id = 0;
    ULONG subDataSize = 0;
    if (source.GetEnumStringAndSubData(i, nullptr, &bytes, &id, nullptr, &subDataSize) != kResultOk) continue;
    std::vector<WCHAR> text(bytes / sizeof(WCHAR) + 1, 0);
    std::vector<unsigned char> subData(subDataSize);
    if (source.GetEnumStringAndSubData(i, text.data(), &bytes, &id, subData.data(), &subDataSize) != kResultOk) {
      continue;
    }
    copied.entries.push_back(
        Entry{detail::SharedText::Copy(text.data(), StringUtils::QWLen(text.data())), id, std::move(subData)});
  }
  return copied;
}

// A copy appends the source's entries to its own: an assignment does not empty the target's list first.
void CQExEnumProperty::PutCopy(Copied&& copied) {
  entries_.insert(entries_.end(), std::make_move_iterator(copied.entries.begin()),
                  std::make_move_iterator(copied.entries.end()));
  subDataType_.store(copied.subDataType);
  customEnumId_.store(copied.customEnumId);
}

ULONG CQExEnumProperty::QueryInterface(const _QGUID& iid, void** out) {
  static const InterfaceTable kInterfaces = TypedInterfaces(IID_IQExEnumProperty);
  return QueryTyped(kInterfaces, iid, out);
}

void CQExEnumProperty::BuildInitialRecord() {
  exEnumPropData record;
  record.subDataType = static_cast<std::int32_t>(subDataType_.load());
  record.subDataSize = static_cast<std::int32_t>(WidthOf(subDataType_.load()));
  record.customEnumId = static_cast<std::int32_t>(customEnumId_.load());
  record.selectedEnumId = record.customEnumId;
  record.selectedIndex = static_cast<std::int32_t>(kNoSelection);
  StoreRecord(record, false);
}

CQExEnumProperty::Held CQExEnumProperty::ReadRecord(exEnumPropData& record) const {
  ULONG held = 0;
  base_->GetPropertyData(nullptr, &held);
  if (held == 0) return Held::kEmpty;
  if (held < kRecordHead) return Held::kInvalid;
  std::vector<unsigned char> bytes(held);
  if (base_->GetPropertyData(bytes.data(), &held) != kResultOk || held != bytes.size()) return Held::kInvalid;
  auto port = CPort::ReadOnlyRamPort(bytes.data(), held);
  CReadStream stream(*port, kQuenLittleEndian, 4096, 0, 0);
  stream.ReadInt(record.totalSize);
  stream.ReadInt(record.subDataType);
  stream.ReadInt(record.subDataSize);
  stream.ReadInt(record.customEnumId);
  stream.ReadInt(record.selectedEnumId);
  stream.ReadInt(record.selectedIndex);
  // Only a value whose total-size field gives both the stored length and the length its own type needs is a
  // record: a lying size, a cut value or trailing bytes are all refused before the value field is read.
  const ULONG width = WidthOf(static_cast<ULONG>(record.subDataType));
  if (static_cast<ULONG>(record.totalSize) != held || held != kRecordHead + width) return Held::kInvalid;
  std::memset(record.value, 0, sizeof(record.value));
  ReadValue(stream, static_cast<ULONG>(record.subDataType), record.value);
  return stream.Failed() ? Held::kInvalid : Held::kRecord;
}

ULONG CQExEnumProperty::StoreRecord(exEnumPropData& record, bool notify) {
  const ULONG type = notify ? static_cast<ULONG>(record.subDataType) : subDataType_.load();
  // The total size always tells the bytes actually written, so the stored record reads back as whole even
  // when the type written by differs from the one the record came with.
  record.totalSize = static_cast<std::int32_t>(kRecordHead + WidthOf(type));
  std::vector<unsigned char> buffer(static_cast<ULONG>(record.totalSize), 0);
  {
    auto port = CPort::StaticRamPort(buffer.data(), static_cast<ULONG>(buffer.size()));
    CWriteStream stream(*port, kQuenLittleEndian, 4096, 0, 0);
    stream.PutInt(record.totalSize);
    stream.PutInt(record.subDataType);
    stream.PutInt(record.subDataSize);
    stream.PutInt(record.customEnumId);
    stream.PutInt(record.selectedEnumId);
    stream.PutInt(record.selectedIndex);
    WriteValue(stream, type, record.value);
    stream.Flush(1);
  }
  return StoreValue(buffer.data(), static_cast<ULONG>(buffer.size()), notify);
}

ULONG CQExEnumProperty::GetEnumSubDataDataType(ULONG* type) const {
  if (type == nullptr) return kResultNullPointer;
  *type = subDataType_.load();
  return kResultOk;
}

ULONG CQExEnumProperty::GetCustomEnumID(ULONG* id) const {
  if (id == nullptr) return kResultNullPointer;
  *id = customEnumId_.load();
  return kResultOk;
}

ULONG CQExEnumProperty::GetNoSubDataEnumID(ULONG* id) const {
  if (id == nullptr) return kResultNullPointer;
  *id = noSubDataEnumId_.load();
  return kResultOk;
}

// The entry list is read under the object's lock: a getter racing an add must not see a vector mid-growth.
ULONG CQExEnumProperty::GetEnumCount(ULONG* count) const {
  if (count == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  *count = static_cast<ULONG>(entries_.size());
  return kResultOk;
}

ULONG CQExEnumProperty::GetEnumStringAndSubData(ULONG index, WCHAR* string, ULONG* stringSize, ULONG* enumID,
                                                void* subData, ULONG* subDataSize) const {
  if (stringSize == nullptr) return kResultInvalidArgument;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  const Entry& entry = entries_[index];
  CopyText(entry, string, stringSize);
  if (enumID != nullptr) *enumID = entry.id;
  if (subDataSize != nullptr) *subDataSize = static_cast<ULONG>(entry.subData.size());
  if (subData != nullptr && !entry.subData.empty()) {
    std::memcpy(subData, entry.subData.data(), entry.subData.size());
  }
  return kResultOk;
}

ULONG CQExEnumProperty::GetCurSel(ULONG* index) const {
  if (index == nullptr) return kResultInvalidArgument;
  exEnumPropData record;
  // A value that holds no whole record answers as an empty one: success, index untouched.
  if (ReadRecord(record) == Held::kRecord) *index = static_cast<ULONG>(record.selectedIndex);
  return kResultOk;
}

ULONG CQExEnumProperty::CurrentIndex(ULONG& index) const {
  index = 0;  // an empty value designates entry 0
  return GetCurSel(&index);
}

ULONG CQExEnumProperty::GetCurSelString(WCHAR* string, ULONG* stringSize) const {
  if (stringSize == nullptr) return kResultInvalidArgument;
  ULONG index = 0;
  if (CurrentIndex(index) != kResultOk) return kResultNotAvailable;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultNotAvailable;
  CopyText(entries_[index], string, stringSize);
  return kResultOk;
}

ULONG CQExEnumProperty::GetCurSelId(ULONG* id) const {
  if (id == nullptr) return kResultInvalidArgument;
  ULONG index = 0;
  if (CurrentIndex(index) != kResultOk) return kResultOutOfRange;
  detail::QLockGuard guard(ObjectLock());
  if (index >= entries_.size()) return kResultOutOfRange;
  *id = entries_[index].id;
  return kResultOk;
}

// CopySubData copies at most the type's width, and never more than the entry holds: an entry whose sub data is
// shorter or longer than the width neither overreads its block nor overruns the caller's width-sized buffer.
// CopyText answers a string getter: the length in bytes without the terminator, and the string with its
// terminator when a buffer is given.
void CQExEnumProperty::CopyText(const Entry& entry, WCHAR* string, ULONG* stringSize) {
  *stringSize = entry.text.length() * static_cast<ULONG>(sizeof(WCHAR));
  if (string != nullptr) StringUtils::QWCopy(string, entry.text.get(), 0);
}

ULONG CQExEnumProperty::CopySubData(const Entry& entry, void* buffer) const {
  const std::size_t count = std::min<std::size_t>(entry.subData.size(), WidthOf(subDataType_.load()));
  if (count != 0) std::memcpy(buffer, entry.subData.data(), count);
  return kResultOk;
}

ULONG CQExEnumProperty::GetCurSelSubData(void* buffer, ULONG* size) const {
  if (size == nullptr) return kResultNullPointer;
  *size = 8;
  const ULONG width = WidthOf(subDataType_.load());
  if (width == 0) return kResultNoSelection;
  *size = width;
  if (buffer == nullptr) return kResultOk;
  ULONG index = 0;
  // Reading the record allocates.
  const ULONG result = detail::OutOfMemoryAs(kResultStorageFailed, [&] { return CurrentIndex(index); });
  if (result != kResultOk) return result;
  detail::QLockGuard guard(ObjectLock());
  // A selected index that designates no entry (nothing selected yet, or the list emptied since) copies
  // nothing and says so, rather than reading outside the list.
  if (index >= entries_.size()) return kResultNotAvailable;
  return CopySubData(entries_[index], buffer);
}

ULONG CQExEnumProperty::GetCustomData(void* buffer, ULONG* size) const {
  if (size == nullptr) return kResultNullPointer;
  *size = 8;
  const ULONG width = WidthOf(subDataType_.load());
  if (width == 0) return kResultNoSelection;
  *size = width;
  if (buffer == nullptr) return kResultOk;
  detail::QLockGuard guard(ObjectLock());
  const ULONG custom = customEnumId_.load();
  for (const Entry& entry : entries_) {
    if (entry.id == custom) return CopySubData(entry, buffer);
  }
  return kResultOk;
}

ULONG CQExEnumProperty::Select(ULONG index, bool notify) {
  SetterGuard guard(*this);
  if (index >= entries_.size()) return kResultIndexOutOfRange;
  exEnumPropData record;
  const Held held = ReadRecord(record);
  if (held == Held::kEmpty) return kResultOk;
  // A value that holds no whole record is left as it is: rewriting it from a guessed record would invent
  // fields the host never stored.
  if (held == Held::kInvalid) return kResultNotAvailable;
  const Entry& entry = entries_[index];
  record.selectedIndex = static_cast<std::int32_t>(index);
  record.subDataType = static_cast<std::int32_t>(subDataType_.load());
  record.subDataSize = static_cast<std::int32_t>(entry.subData.size());
  record.selectedEnumId = static_cast<std::int32_t>(entry.id);
  const std::size_t count = std::min<std::size_t>(entry.subData.size(), WidthOf(subDataType_.load()));
  if (count != 0) std::memcpy(record.value, entry.subData.data(), count);
  return StoreRecord(record, notify);
}

ULONG CQExEnumProperty::SetCurSel(ULONG index) { return Select(index, true); }
ULONG CQExEnumProperty::SetDirectCurSel(ULONG index) { return Select(index, false); }

ULONG CQExEnumProperty::SetCurSelById(ULONG id) {
  SetterGuard guard(*this);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].id == id) return SetCurSel(static_cast<ULONG>(i));
  }
  return kResultInvalidArgument;
}

ULONG CQExEnumProperty::SetDirectCurSelById(ULONG id) {
  SetterGuard guard(*this);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].id == id) return SetDirectCurSel(static_cast<ULONG>(i));
  }
  return kResultInvalidArgument;
}

ULONG CQExEnumProperty::SetCurSelString(WCHAR* string) {
  if (string == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (StringUtils::QWIsEqual(entries_[i].text.get(), string, 0) != 0) return SetCurSel(static_cast<ULONG>(i));
  }
  return kResultInvalidArgument;
}

ULONG CQExEnumProperty::SetDirectCurSelString(const char* string) {
  if (string == nullptr) return kResultInvalidArgument;
  QWString wide;
  StringUtils::QUTF8ToUTF16(string, wide);
  SetterGuard guard(*this);
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (StringUtils::QWIsEqual(entries_[i].text.get(), wide.c_str(), 0) != 0) {
      return SetDirectCurSel(static_cast<ULONG>(i));
    }
  }
  return kResultInvalidArgument;
}

ULONG CQExEnumProperty::SetCustom(const void* data, ULONG size, bool always) {
  SetterGuard guard(*this);
  exEnumPropData record;
  Held held = Held::kEmpty;
  const ULONG read = detail::OutOfMemoryAs(kResultStorageFailed, [&] {
    held = ReadRecord(record);
    return kResultOk;
  });
  if (read != kResultOk) return read;
  if (held != Held::kRecord) return kResultNotAvailable;
  if (size != static_cast<ULONG>(record.subDataSize)) return kResultNoSelection;
  if (data == nullptr && size != 0) return kResultInvalidArgument;  // never read sub data from nowhere
  const ULONG custom = customEnumId_.load();
  auto found = std::find_if(entries_.begin(), entries_.end(), [custom](const Entry& e) { return e.id == custom; });
  if (found == entries_.end()) return kResultInvalidArgument;
  const ULONG replaced = detail::OutOfMemoryAs(kResultStorageFailed, [&] {
    const auto* bytes = static_cast<const unsigned char*>(data);
    found->subData.assign(bytes, bytes + size);
    return kResultOk;
  });
  if (replaced != kResultOk) return replaced;
  const auto selected = static_cast<ULONG>(record.selectedIndex);
  // The direct form leaves the record alone unless the custom entry is the one selected; an index that
  // designates no entry is not the custom entry.
  if (!always && (selected >= entries_.size() || entries_[selected].id != custom)) return kResultOk;
  const std::size_t count = std::min<std::size_t>(size, WidthOf(subDataType_.load()));
  if (count != 0) std::memcpy(record.value, found->subData.data(), count);
  // The store's own result is not reported: the entry has changed either way.
  return detail::OutOfMemoryAs(kResultStorageFailed, [&] {
    StoreRecord(record, false);
    return kResultOk;
  });
}

ULONG CQExEnumProperty::SetCustomData(const void* data, ULONG size) { return SetCustom(data, size, true); }
ULONG CQExEnumProperty::SetDirectCustomData(const void* data, ULONG size) { return SetCustom(data, size, false); }

ULONG CQExEnumProperty::AddEnumStringAndSubData(const char* string, ULONG enumID, unsigned char* subData,
                                                ULONG subDataSize) {
  if (string == nullptr) return kResultInvalidArgument;
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    QWString wide;
    StringUtils::QUTF8ToUTF16(string, wide);
    return AddEnumStringAndSubData(wide.c_str(), enumID, subData, subDataSize);
  });
}

ULONG CQExEnumProperty::AddEnumStringAndSubData(const WCHAR* string, ULONG enumID, unsigned char* subData,
                                                ULONG subDataSize) {
  if (string == nullptr) return kResultInvalidArgument;
  if (subData == nullptr && subDataSize != 0) return kResultInvalidArgument;  // never read sub data from nowhere
  return detail::OutOfMemoryAs(kResultOutOfMemory, [&] {
    Entry entry{detail::SharedText::Copy(string, StringUtils::QWLen(string)), enumID,
                std::vector<unsigned char>(subData, subData + subDataSize)};
    SetterGuard guard(*this);
    entries_.push_back(std::move(entry));
    return kResultOk;
  });
}

ULONG CQExEnumProperty::RemoveAllEnumStrings() {
  SetterGuard guard(*this);
  entries_.clear();
  return kResultOk;
}

ULONG CQExEnumProperty::SetPropertyDefaultData(ULONG value) { return StoreDefaultWord(value); }

ULONG CQExEnumProperty::SetPropertyFlagBit(ULONG bits) {
  ULONG flags = 0;
  base_->GetPropertyFlags(&flags);
  base_->SetPropertyFlag(flags | bits);
  return kResultOk;
}

ULONG CQExEnumProperty::GetPropertyDataToSave(WCHAR* text, ULONG* length) {
  if (length == nullptr) return kResultInvalidArgument;
  return base_->GetPropertyDataToSave(text, length);
}

ULONG CQExEnumProperty::SetPropertyFlag(ULONG flags) {
  base_->SetPropertyFlag(flags);
  return kResultOk;
}

ULONG CQExEnumProperty::SetDataSize(ULONG /*size*/) { return kResultOk; }

ULONG CQExEnumProperty::LoadDirectDataFromPreset(WCHAR* text, ULONG size) {
  if (text == nullptr) return kResultInvalidArgument;
  SetterGuard guard(*this);
  const ULONG result = base_->LoadDirectDataFromPreset(text, size);
  entries_.clear();
  exEnumPropData record;
  // A decoded value that holds no whole record leaves the list empty: there is no choice to rebuild.
  if (ReadRecord(record) != Held::kRecord) return result;
  customEnumId_.store(static_cast<ULONG>(record.customEnumId));
  subDataType_.store(static_cast<ULONG>(record.subDataType));
  record.selectedIndex = 0;
  // The record's own sub-data size may claim more than its value field holds; only the field is carried.
  const ULONG carried =
      std::min(static_cast<ULONG>(record.subDataSize), WidthOf(static_cast<ULONG>(record.subDataType)));
  AddEnumStringAndSubData("String 1", static_cast<ULONG>(record.customEnumId), record.value, carried);
  if (record.customEnumId != record.selectedEnumId) {
    AddEnumStringAndSubData("String 2", static_cast<ULONG>(record.selectedEnumId), record.value, carried);
    record.selectedIndex = 1;
  }
  StoreRecord(record, false);
  return result;
}

}  // namespace Quenneth
