#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/fake_mediator.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::FakeMediator;

std::vector<unsigned char> ValueOf(IQProperty* property) {
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  std::vector<unsigned char> bytes(length);
  if (length != 0) property->GetPropertyData(bytes.data(), &length);
  return bytes;
}

// Field reads a little-endian 32-bit field of a stored record.
ULONG Field(const std::vector<unsigned char>& record, std::size_t offset) {
  if (record.size() < offset + 4) return 0xBADBADu;
  return static_cast<ULONG>(record[offset]) | static_cast<ULONG>(record[offset + 1]) << 8 |
         static_cast<ULONG>(record[offset + 2]) << 16 | static_cast<ULONG>(record[offset + 3]) << 24;
}

std::vector<unsigned char> Tail(const std::vector<unsigned char>& record) {
  return record.size() < 24 ? std::vector<unsigned char>{} : std::vector<unsigned char>(record.begin() + 24, record.end());
}

template <class T>
std::vector<unsigned char> BytesOf(T value) {
  std::vector<unsigned char> bytes(sizeof(T));
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;
}

std::vector<unsigned char> Record(ULONG total, ULONG type, ULONG subSize, ULONG custom, ULONG selectedId,
                                  ULONG selectedIndex, std::vector<unsigned char> value) {
  std::vector<unsigned char> bytes;
  for (ULONG field : {total, type, subSize, custom, selectedId, selectedIndex}) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(field >> shift));
  }
  bytes.insert(bytes.end(), value.begin(), value.end());
  return bytes;
}

std::vector<WCHAR> Wide(const std::string& text) {
  std::vector<WCHAR> wide(text.begin(), text.end());
  wide.push_back(0);
  return wide;
}

std::string CurSelString(CQExEnumProperty* p) {
  ULONG size = 0;
  if (p->GetCurSelString(nullptr, &size) != kResultOk) return "<none>";
  std::vector<WCHAR> text(size / 2 + 1);
  p->GetCurSelString(text.data(), &size);
  return std::string(text.begin(), text.begin() + size / 2);
}

class ExEnumPropertyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(0u, host_.Count());
    EXPECT_EQ(0u, mediator_.Count());
  }
  QRef<CQExEnumProperty> Make(ULONG custom, ULONG type, IQPropertyMediator* mediator = nullptr) {
    return QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty("Mode", "A mode", 4, 21, custom, type, &host_, mediator));
  }
  // Float entries: "auto" (1, 1.5f), "custom" (7, 2.5f), "off" (2, no sub data); custom enum ID 7.
  QRef<CQExEnumProperty> MakeFloats(IQPropertyMediator* mediator = nullptr) {
    auto p = Make(7, kDataTypeFloat, mediator);
    auto a = BytesOf(1.5f);
    auto c = BytesOf(2.5f);
    EXPECT_RESULT(kResultOk, p->AddEnumStringAndSubData("auto", 1, a.data(), 4));
    EXPECT_RESULT(kResultOk, p->AddEnumStringAndSubData("custom", 7, c.data(), 4));
    EXPECT_RESULT(kResultOk, p->AddEnumStringAndSubData("off", 2, nullptr, 0));
    return p;
  }
  // PresetOf gives the preset text of arbitrary value bytes, as a host's saved file would hold them.
  std::vector<WCHAR> PresetOf(const std::vector<unsigned char>& bytes) {
    auto carrier = Make(0, kDataTypeFloat);
    carrier->SetPropertyData(bytes.data(), static_cast<ULONG>(bytes.size()));
    ULONG length = 0;
    carrier->GetPropertyDataToSave(nullptr, &length);
    std::vector<WCHAR> text(length + 1, 0);
    carrier->GetPropertyDataToSave(text.data(), &length);
    return text;
  }

  CountingServicesManager host_;
  FakeMediator mediator_;
};

TEST_F(ExEnumPropertyTest, ConstructorStoresInitialRecord) {
  auto p = Make(7, kDataTypeFloat);
  const auto record = ValueOf(p.get());
  ASSERT_EQ(28u, record.size());
  EXPECT_EQ(28u, Field(record, 0));
  EXPECT_EQ(8u, Field(record, 4));
  EXPECT_EQ(4u, Field(record, 8));
  EXPECT_EQ(7u, Field(record, 12));
  EXPECT_EQ(7u, Field(record, 16));
  EXPECT_EQ(0xFFFFFFFFu, Field(record, 20));
  EXPECT_EQ(std::vector<unsigned char>(4, 0), Tail(record));
  ULONG flags = 0;
  p->GetPropertyFlags(&flags);
  EXPECT_EQ(9u, flags);
  QDataType type = kDataTypeBool;
  p->GetPropertyDataType(&type);
  EXPECT_EQ(kDataTypeExEnum, type);

  ULONG index = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSel(&index));
  EXPECT_EQ(0xFFFFFFFFu, index);
  ULONG size = 0;
  EXPECT_RESULT(kResultNotAvailable, p->GetCurSelString(nullptr, &size));
  ULONG id = 0;
  EXPECT_RESULT(kResultOutOfRange, p->GetCurSelId(&id));

  auto d = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(&host_, nullptr));
  const auto fresh = ValueOf(d.get());
  EXPECT_EQ(28u, fresh.size());
  EXPECT_EQ(0u, Field(fresh, 12));
  d->GetPropertyFlags(&flags);
  EXPECT_EQ(1u, flags);

  auto unsupported = Make(3, 5);
  const auto bare = ValueOf(unsupported.get());
  EXPECT_EQ(24u, bare.size()) << "a type the record cannot carry has no value field";
  EXPECT_EQ(0u, Field(bare, 8));
}

TEST_F(ExEnumPropertyTest, SelectionRewritesRecordAndNotifiesOnlyWhenAsked) {
  auto p = MakeFloats(&mediator_);
  EXPECT_RESULT(kResultOk, p->SetCurSel(0));
  EXPECT_EQ(1u, mediator_.calls.size());
  auto record = ValueOf(p.get());
  EXPECT_EQ(0u, Field(record, 20));
  EXPECT_EQ(1u, Field(record, 16));
  EXPECT_EQ(7u, Field(record, 12));
  EXPECT_EQ(4u, Field(record, 8));
  EXPECT_EQ(BytesOf(1.5f), Tail(record));
  EXPECT_EQ("auto", CurSelString(p.get()));

  float sub = 0;
  ULONG size = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSelSubData(&sub, &size));
  EXPECT_EQ(4u, size);
  EXPECT_EQ(1.5f, sub);

  EXPECT_RESULT(kResultOk, p->SetDirectCurSelById(7));
  EXPECT_RESULT(kResultOk, p->SetDirectCurSelString("custom"));
  EXPECT_EQ(1u, mediator_.calls.size()) << "direct selections never call the mediator";
  record = ValueOf(p.get());
  EXPECT_EQ(1u, Field(record, 20));
  EXPECT_EQ(BytesOf(2.5f), Tail(record));

  // An entry without sub data keeps the value field of the previous selection.
  auto off = Wide("off");
  EXPECT_RESULT(kResultOk, p->SetCurSelString(off.data()));
  record = ValueOf(p.get());
  EXPECT_EQ(2u, Field(record, 20));
  EXPECT_EQ(0u, Field(record, 8));
  EXPECT_EQ(BytesOf(2.5f), Tail(record));
  ULONG id = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSelId(&id));
  EXPECT_EQ(2u, id);

  EXPECT_RESULT(kResultIndexOutOfRange, p->SetCurSel(3));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelById(99));
  auto missing = Wide("none");
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelString(missing.data()));
  EXPECT_RESULT(kResultInvalidArgument, p->SetDirectCurSelString("none"));
  EXPECT_EQ(record, ValueOf(p.get()));

  mediator_.answer = kResultChangeRefused;
  EXPECT_NE(kResultOk, p->SetCurSelById(1));
  EXPECT_EQ(record, ValueOf(p.get())) << "a refused change keeps the previous record";
  p->SetProperyMediator(nullptr);
}

TEST_F(ExEnumPropertyTest, SizeQueriesGiveWidthOfSubDataType) {
  const std::pair<ULONG, ULONG> widths[] = {{1, 1}, {2, 2}, {3, 4}, {4, 8}, {8, 4}, {9, 8}, {14, 4}};
  for (const auto& w : widths) {
    auto p = Make(0, w.first);
    ULONG size = 0;
    EXPECT_RESULT(kResultOk, p->GetCurSelSubData(nullptr, &size));
    EXPECT_EQ(w.second, size) << "type " << w.first;
    size = 0;
    EXPECT_RESULT(kResultOk, p->GetCustomData(nullptr, &size));
    EXPECT_EQ(w.second, size);
    EXPECT_EQ(24u + w.second, ValueOf(p.get()).size());
  }
  auto odd = Make(0, 5);
  ULONG size = 0;
  EXPECT_RESULT(kResultNoSelection, odd->GetCurSelSubData(nullptr, &size));
  EXPECT_EQ(8u, size);
  size = 0;
  EXPECT_RESULT(kResultNoSelection, odd->GetCustomData(nullptr, &size));
  EXPECT_EQ(8u, size);
  EXPECT_RESULT(kResultNullPointer, odd->GetCurSelSubData(nullptr, nullptr));
  EXPECT_RESULT(kResultNullPointer, odd->GetCustomData(nullptr, nullptr));
}

TEST_F(ExEnumPropertyTest, WideTypesAreWrittenLittleEndian) {
  auto p = Make(1, kDataTypeInt64);
  auto v = BytesOf<long long>(0x0102030405060708LL);
  p->AddEnumStringAndSubData("big", 1, v.data(), 8);
  EXPECT_RESULT(kResultOk, p->SetCurSel(0));
  EXPECT_EQ((std::vector<unsigned char>{8, 7, 6, 5, 4, 3, 2, 1}), Tail(ValueOf(p.get())));

  auto s = Make(1, kDataTypeUInt16);
  auto w = BytesOf<short>(0x1234);
  s->AddEnumStringAndSubData("word", 1, w.data(), 2);
  s->SetCurSel(0);
  EXPECT_EQ((std::vector<unsigned char>{0x34, 0x12}), Tail(ValueOf(s.get())));
}

TEST_F(ExEnumPropertyTest, SubDataOfOtherThanWidthNeverOverrunsEitherBuffer) {
  auto p = Make(7, kDataTypeFloat);
  unsigned char shortData[2] = {0xAA, 0xBB};
  unsigned char longData[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  p->AddEnumStringAndSubData("short", 1, shortData, 2);
  p->AddEnumStringAndSubData("long", 7, longData, 12);

  EXPECT_RESULT(kResultOk, p->SetCurSel(0));
  auto record = ValueOf(p.get());
  EXPECT_EQ(28u, record.size());
  EXPECT_EQ(2u, Field(record, 8));
  EXPECT_EQ((std::vector<unsigned char>{0xAA, 0xBB, 0, 0}), Tail(record));
  unsigned char out[8];
  std::memset(out, 0xEE, sizeof(out));
  ULONG size = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSelSubData(out, &size));
  EXPECT_EQ((std::vector<unsigned char>{0xAA, 0xBB, 0xEE, 0xEE, 0xEE}), std::vector<unsigned char>(out, out + 5));

  EXPECT_RESULT(kResultOk, p->SetCurSel(1));
  EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4}), Tail(ValueOf(p.get())));
  std::memset(out, 0xEE, sizeof(out));
  EXPECT_RESULT(kResultOk, p->GetCustomData(out, &size));
  EXPECT_EQ((std::vector<unsigned char>{1, 2, 3, 4, 0xEE}), std::vector<unsigned char>(out, out + 5));
}

TEST_F(ExEnumPropertyTest, SelectedIndexDesignatingNoEntryCopiesNothing) {
  auto p = MakeFloats();
  unsigned char out[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  ULONG size = 0;
  EXPECT_RESULT(kResultNotAvailable, p->GetCurSelSubData(out, &size)) << "nothing selected yet";
  EXPECT_EQ(0xEE, out[0]);

  p->SetCurSel(2);
  EXPECT_RESULT(kResultOk, p->RemoveAllEnumStrings());
  EXPECT_EQ(2u, Field(ValueOf(p.get()), 20)) << "removing entries leaves the record";
  EXPECT_RESULT(kResultNotAvailable, p->GetCurSelSubData(out, &size));
  EXPECT_EQ(0xEE, out[0]);
  EXPECT_EQ("<none>", CurSelString(p.get()));
}

TEST_F(ExEnumPropertyTest, CustomDataSetters) {
  auto p = MakeFloats(&mediator_);
  p->SetDirectCurSel(0);
  const auto before = ValueOf(p.get());
  const float wrong = 3.0f;
  EXPECT_RESULT(kResultNoSelection, p->SetCustomData(&wrong, 2));
  EXPECT_EQ(before, ValueOf(p.get()));

  // Direct form while a non-custom entry is selected: only the entry changes.
  const float direct = 4.25f;
  EXPECT_RESULT(kResultOk, p->SetDirectCustomData(&direct, 4));
  EXPECT_EQ(before, ValueOf(p.get()));
  float got = 0;
  ULONG size = 0;
  EXPECT_RESULT(kResultOk, p->GetCustomData(&got, &size));
  EXPECT_EQ(4.25f, got);

  // Notifying form rewrites the value field whichever entry is selected, keeping the selection.
  const float custom = 6.5f;
  EXPECT_RESULT(kResultOk, p->SetCustomData(&custom, 4));
  auto record = ValueOf(p.get());
  EXPECT_EQ(0u, Field(record, 20));
  EXPECT_EQ(1u, Field(record, 16));
  EXPECT_EQ(BytesOf(6.5f), Tail(record));

  // Direct form with the custom entry selected rewrites the record too.
  p->SetDirectCurSel(1);
  EXPECT_RESULT(kResultOk, p->SetDirectCustomData(&direct, 4));
  EXPECT_EQ(BytesOf(4.25f), Tail(ValueOf(p.get())));
  EXPECT_TRUE(mediator_.calls.empty());

  auto noCustom = Make(99, kDataTypeFloat);
  noCustom->AddEnumStringAndSubData("a", 1, nullptr, 0);
  EXPECT_RESULT(kResultInvalidArgument, noCustom->SetCustomData(&custom, 4));
  p->SetProperyMediator(nullptr);
}

TEST_F(ExEnumPropertyTest, ValuesWithoutWholeRecordChangeNothing) {
  auto p = MakeFloats();
  p->SetPropertyDefaultData(5);
  EXPECT_RESULT(kResultOk, p->Reset());
  const auto four = ValueOf(p.get());
  ASSERT_EQ(4u, four.size());
  ULONG index = 0x1234;
  EXPECT_RESULT(kResultOk, p->GetCurSel(&index));
  EXPECT_EQ(0x1234u, index);
  EXPECT_NE(kResultOk, p->SetCurSel(0));
  const float v = 1.0f;
  EXPECT_RESULT(kResultNotAvailable, p->SetCustomData(&v, 4));
  EXPECT_RESULT(kResultNotAvailable, p->SetDirectCustomData(&v, 4));
  EXPECT_EQ(four, ValueOf(p.get()));

  auto empty = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(&host_, nullptr));
  empty->AddEnumStringAndSubData("a", 0, nullptr, 0);
  EXPECT_RESULT(kResultOk, empty->Reset());
  EXPECT_TRUE(ValueOf(empty.get()).empty());
  EXPECT_RESULT(kResultOk, empty->SetCurSel(0)) << "an empty value: nothing to change";
  EXPECT_TRUE(ValueOf(empty.get()).empty());
  EXPECT_RESULT(kResultNotAvailable, empty->SetCustomData(&v, 4));
}

TEST_F(ExEnumPropertyTest, PresetLoadRebuildsOneOrTwoEntries) {
  auto source = Make(7, kDataTypeInt32);
  auto five = BytesOf<std::int32_t>(5);
  auto nine = BytesOf<std::int32_t>(9);
  source->AddEnumStringAndSubData("a", 1, five.data(), 4);
  source->AddEnumStringAndSubData("b", 7, nine.data(), 4);
  source->SetCurSel(0);
  ULONG length = 0;
  ASSERT_RESULT(kResultOk, source->GetPropertyDataToSave(nullptr, &length));
  std::vector<WCHAR> text(length + 1);
  source->GetPropertyDataToSave(text.data(), &length);

  auto target = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(&host_, nullptr));
  target->AddEnumStringAndSubData("old", 3, nullptr, 0);
  EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(text.data(), length));
  ULONG count = 0;
  target->GetEnumCount(&count);
  ASSERT_EQ(2u, count);
  ULONG value = 0;
  ULONG type = 0;
  target->GetCustomEnumID(&value);
  EXPECT_EQ(7u, value);
  target->GetEnumSubDataDataType(&type);
  EXPECT_EQ(kDataTypeInt32, type);
  target->GetCurSel(&value);
  EXPECT_EQ(1u, value);
  EXPECT_EQ("String 2", CurSelString(target.get()));
  ULONG id = 0;
  std::int32_t sub = 0;
  ULONG size = 0;
  std::vector<WCHAR> name(16);
  target->GetEnumStringAndSubData(0, name.data(), &size, &id, &sub, &value);
  EXPECT_EQ(16u, size);
  EXPECT_EQ(7u, id);
  EXPECT_EQ(5, sub);
  EXPECT_EQ(4u, value);
  target->GetCurSelId(&id);
  EXPECT_EQ(1u, id);

  source->SetCurSel(1);
  source->GetPropertyDataToSave(text.data(), &length);
  EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(text.data(), length));
  target->GetEnumCount(&count);
  EXPECT_EQ(1u, count);
  EXPECT_EQ("String 1", CurSelString(target.get()));
  EXPECT_EQ(0u, Field(ValueOf(target.get()), 20));
  EXPECT_EQ(nine, Tail(ValueOf(target.get())));
}

TEST_F(ExEnumPropertyTest, MalformedPresetsLeaveNoEntriesAndNoCrash) {
  const std::vector<std::vector<unsigned char>> malformed = {
      std::vector<unsigned char>(10, 0x41),                                  // shorter than the head
      Record(28, 8, 4, 7, 7, 0, {1, 2}),                                     // value field cut short
      Record(28, 8, 4, 7, 7, 0, {1, 2, 3, 4, 5, 6, 7, 8}),                   // longer than its total size
      Record(1000, 8, 4, 7, 1, 0, {1, 2, 3, 4}),                             // lying total size
      Record(28, 9, 8, 7, 1, 0, {1, 2, 3, 4}),                               // type needs 8 value bytes
      Record(0xFFFFFFFF, 8, 0xFFFFFFFF, 7, 1, 0xFFFFFFFF, {1, 2, 3, 4}),     // everything negative
  };
  for (std::size_t i = 0; i < malformed.size(); ++i) {
    SCOPED_TRACE(i);
    auto text = PresetOf(malformed[i]);
    auto p = MakeFloats();
    p->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1));
    ULONG count = 5;
    p->GetEnumCount(&count);
    EXPECT_EQ(0u, count);
    const auto stored = ValueOf(p.get());
    ULONG index = 0x55;
    EXPECT_RESULT(kResultOk, p->GetCurSel(&index));
    EXPECT_EQ(0x55u, index);
    p->AddEnumStringAndSubData("x", 7, nullptr, 0);
    EXPECT_NE(kResultOk, p->SetCurSel(0));
    const float v = 1.0f;
    EXPECT_RESULT(kResultNotAvailable, p->SetCustomData(&v, 4));
    float out = 0;
    ULONG size = 0;
    p->GetCurSelSubData(&out, &size);
    EXPECT_EQ(stored, ValueOf(p.get()));
  }
}

TEST_F(ExEnumPropertyTest, CopyAppendsEntriesAndTakesRecord) {
  auto a = MakeFloats();
  a->SetCurSel(1);
  auto b = Make(3, kDataTypeUInt8);
  b->AddEnumStringAndSubData("x", 3, nullptr, 0);
  b->AddEnumStringAndSubData("y", 4, nullptr, 0);
  *b = *a;
  ULONG count = 0;
  b->GetEnumCount(&count);
  EXPECT_EQ(5u, count);
  ULONG value = 0;
  b->GetCustomEnumID(&value);
  EXPECT_EQ(7u, value);
  EXPECT_EQ(ValueOf(a.get()), ValueOf(b.get()));

  IQProperty* raw = nullptr;
  ASSERT_RESULT(kResultOk, a->CloneProperty(&raw));
  auto clone = QRef<IQProperty>::Adopt(raw);
  void* out = nullptr;
  ASSERT_RESULT(kResultOk, clone->QueryInterface(IID_IQExEnumProperty, &out));
  auto typed = QRef<IQExEnumProperty>::Adopt(static_cast<IQExEnumProperty*>(out));
  typed->GetEnumCount(&count);
  EXPECT_EQ(3u, count);
  EXPECT_EQ("custom", CurSelString(static_cast<CQExEnumProperty*>(typed.get())));
  EXPECT_RESULT(kResultNullPointer, a->CloneProperty(nullptr));
}

TEST_F(ExEnumPropertyTest, FlagsAndSerializerSlots) {
  auto p = Make(0, kDataTypeFloat);
  EXPECT_RESULT(kResultOk, p->SetPropertyFlagBit(0x20));
  ULONG flags = 0;
  p->GetPropertyFlags(&flags);
  EXPECT_EQ(0x29u, flags);
  EXPECT_RESULT(kResultOk, p->SetPropertyFlag(2));
  p->GetPropertyFlags(&flags);
  EXPECT_EQ(2u, flags);
  EXPECT_RESULT(kResultInvalidArgument, p->GetPropertyDataToSave(nullptr, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
  EXPECT_RESULT(kResultInvalidArgument, p->AddEnumStringAndSubData(static_cast<const char*>(nullptr), 1, nullptr, 0));
  EXPECT_RESULT(kResultInvalidArgument, p->GetEnumCount(nullptr));
  ULONG size = 0;
  EXPECT_RESULT(kResultIndexOutOfRange, p->GetEnumStringAndSubData(0, nullptr, &size, nullptr, nullptr, nullptr));
}

TEST_F(ExEnumPropertyTest, FailedAddLeavesListUnchanged) {
  auto p = MakeFloats();
  unsigned char data[4] = {};
  ULONG result = kResultOk;
  {
    testing::AllocationFailure fail(1);
    result = p->AddEnumStringAndSubData("new one that is long enough", 9, data, 4);
    ASSERT_TRUE(fail.Triggered());
  }
  EXPECT_RESULT(kResultOutOfMemory, result);
  ULONG count = 0;
  p->GetEnumCount(&count);
  EXPECT_EQ(3u, count);
}

}  // namespace
}  // namespace Quenneth
