#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/enum/ex_enum_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/enum_checks.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::FlagsOf;
using testing::OkOut;
using testing::Out;
using testing::ValueOf;
using testing::Wide;

// Tail: the value field of a stored record.
std::vector<unsigned char> Tail(const std::vector<unsigned char>& record) {
  return record.size() < 24 ? std::vector<unsigned char>{}
                            : std::vector<unsigned char>(record.begin() + 24, record.end());
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

ULONG Count(IQExEnumProperty* p) {
  ULONG count = 0xDEADBEEF;
  p->GetEnumCount(&count);
  return count;
}

std::string CurSelString(IQExEnumProperty* p) {
  return testing::ByteText([p](WCHAR* text, ULONG* bytes) { return p->GetCurSelString(text, bytes); });
}

class ExEnumPropertyTest : public testing::ReferenceBalanceTest {
 protected:
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
    return testing::PresetTextOf(carrier.get());
  }
};

TEST_F(ExEnumPropertyTest, ConstructorStoresInitialRecord) {
  auto p = Make(7, kDataTypeFloat);
  EXPECT_EQ(Record(28, 8, 4, 7, 7, 0xFFFFFFFF, {0, 0, 0, 0}), ValueOf(p.get()));
  EXPECT_EQ(kDataTypeExEnum, testing::TypeOf(p.get()));

  EXPECT_EQ(0xFFFFFFFFu, OkOut<ULONG>(p.get(), &CQExEnumProperty::GetCurSel));
  ULONG size = 0;
  EXPECT_RESULT(kResultNotAvailable, p->GetCurSelString(nullptr, &size));
  ULONG id = 0;
  EXPECT_RESULT(kResultOutOfRange, p->GetCurSelId(&id));

  auto plain = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(&host_, nullptr));
  EXPECT_EQ(Record(28, 8, 4, 0, 0, 0xFFFFFFFF, {0, 0, 0, 0}), ValueOf(plain.get()));
  auto unsupported = Make(3, 5);
  EXPECT_EQ(Record(24, 5, 0, 3, 3, 0xFFFFFFFF, {}), ValueOf(unsupported.get()))
      << "a type the record cannot carry has no value field";
}

TEST_F(ExEnumPropertyTest, SelectionRewritesRecordAndNotifiesOnlyWhenAsked) {
  auto p = MakeFloats(&mediator_);
  EXPECT_RESULT(kResultOk, p->SetCurSel(0));
  EXPECT_EQ(1u, mediator_.calls.size());
  EXPECT_EQ(Record(28, 8, 4, 7, 1, 0, BytesOf(1.5f)), ValueOf(p.get()));
  EXPECT_EQ("auto", CurSelString(p.get()));

  float sub = 0;
  ULONG size = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSelSubData(&sub, &size));
  EXPECT_EQ(4u, size);
  EXPECT_EQ(1.5f, sub);

  EXPECT_RESULT(kResultOk, p->SetDirectCurSelById(7));
  EXPECT_RESULT(kResultOk, p->SetDirectCurSelString("custom"));
  EXPECT_EQ(1u, mediator_.calls.size()) << "direct selections never call the mediator";
  EXPECT_EQ(Record(28, 8, 4, 7, 7, 1, BytesOf(2.5f)), ValueOf(p.get()));

  // An entry without sub data keeps the value field of the previous selection.
  EXPECT_RESULT(kResultOk, p->SetCurSelString(Wide("off").data()));
  const auto record = ValueOf(p.get());
  EXPECT_EQ(Record(28, 8, 0, 7, 2, 2, BytesOf(2.5f)), record);
  EXPECT_EQ(2u, OkOut<ULONG>(p.get(), &CQExEnumProperty::GetCurSelId));

  EXPECT_RESULT(kResultIndexOutOfRange, p->SetCurSel(3));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelById(99));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelString(Wide("none").data()));
  EXPECT_RESULT(kResultInvalidArgument, p->SetDirectCurSelString("none"));
  EXPECT_EQ(record, ValueOf(p.get()));

  mediator_.answer = kResultChangeRefused;
  EXPECT_NE(kResultOk, p->SetCurSelById(1));
  EXPECT_EQ(record, ValueOf(p.get())) << "a refused change keeps the previous record";
}

TEST_F(ExEnumPropertyTest, SizeQueriesGiveTheSubDataTypesWidthWrittenLittleEndian) {
  struct Width {
    ULONG type;
    ULONG width;       // what both size queries report
    ULONG valueField;  // the stored record's value field
    ULONG result;
  };
  const Width widths[] = {{1, 1, 1, kResultOk},  {2, 2, 2, kResultOk},         {3, 4, 4, kResultOk},
                          {4, 8, 8, kResultOk},  {8, 4, 4, kResultOk},         {9, 8, 8, kResultOk},
                          {14, 4, 4, kResultOk}, {5, 8, 0, kResultNoSelection}};  // 5: a type the record cannot carry
  for (const Width& w : widths) {
    SCOPED_TRACE(w.type);
    auto p = Make(0, w.type);
    for (auto query : {&CQExEnumProperty::GetCurSelSubData, &CQExEnumProperty::GetCustomData}) {
      ULONG size = 0;
      EXPECT_RESULT(w.result, (p.get()->*query)(nullptr, &size));
      EXPECT_EQ(w.width, size);
      EXPECT_RESULT(kResultNullPointer, (p.get()->*query)(nullptr, nullptr));
    }
    EXPECT_EQ(24u + w.valueField, ValueOf(p.get()).size());
  }

  for (auto [type, sub] : {std::make_pair(kDataTypeInt64, BytesOf<long long>(0x0102030405060708LL)),
                           std::make_pair(kDataTypeUInt16, BytesOf<short>(0x1234))}) {
    auto p = Make(1, type);
    p->AddEnumStringAndSubData("x", 1, sub.data(), static_cast<ULONG>(sub.size()));
    EXPECT_RESULT(kResultOk, p->SetCurSel(0));
    EXPECT_EQ(sub, Tail(ValueOf(p.get()))) << "the value field holds the entry's bytes as given";
  }
}

TEST_F(ExEnumPropertyTest, SubDataOfOtherThanWidthNeverOverrunsEitherBuffer) {
  auto p = Make(7, kDataTypeFloat);
  unsigned char shortData[2] = {0xAA, 0xBB};
  unsigned char longData[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  p->AddEnumStringAndSubData("short", 1, shortData, 2);
  p->AddEnumStringAndSubData("long", 7, longData, 12);

  EXPECT_RESULT(kResultOk, p->SetCurSel(0));
  EXPECT_EQ(Record(28, 8, 2, 7, 1, 0, {0xAA, 0xBB, 0, 0}), ValueOf(p.get()));
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
  const auto record = ValueOf(p.get());
  EXPECT_RESULT(kResultOk, p->RemoveAllEnumStrings());
  EXPECT_EQ(record, ValueOf(p.get())) << "removing entries leaves the record";
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
  EXPECT_EQ(Record(28, 8, 4, 7, 1, 0, BytesOf(6.5f)), ValueOf(p.get()));

  // Direct form with the custom entry selected rewrites the record too.
  p->SetDirectCurSel(1);
  EXPECT_RESULT(kResultOk, p->SetDirectCustomData(&direct, 4));
  EXPECT_EQ(BytesOf(4.25f), Tail(ValueOf(p.get())));
  EXPECT_TRUE(mediator_.calls.empty());

  auto noCustom = Make(99, kDataTypeFloat);
  noCustom->AddEnumStringAndSubData("a", 1, nullptr, 0);
  EXPECT_RESULT(kResultInvalidArgument, noCustom->SetCustomData(&custom, 4));
}

TEST_F(ExEnumPropertyTest, ValuesWithoutWholeRecordChangeNothing) {
  auto p = MakeFloats();
  p->SetPropertyDefaultData(5);
  EXPECT_RESULT(kResultOk, p->Reset());
  const auto four = ValueOf(p.get());
  ASSERT_EQ(4u, four.size());
  EXPECT_EQ(0x1234u, OkOut<ULONG>(p.get(), &CQExEnumProperty::GetCurSel, ULONG{0x1234}));
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
  auto text = testing::PresetTextOf(source.get());

  auto target = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(&host_, nullptr));
  target->AddEnumStringAndSubData("old", 3, nullptr, 0);
  EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  ASSERT_EQ(2u, Count(target.get()));
  EXPECT_EQ(7u, Out<ULONG>(target.get(), &CQExEnumProperty::GetCustomEnumID));
  EXPECT_EQ(kDataTypeInt32, Out<ULONG>(target.get(), &CQExEnumProperty::GetEnumSubDataDataType));
  EXPECT_EQ(1u, Out<ULONG>(target.get(), &CQExEnumProperty::GetCurSel));
  EXPECT_EQ("String 2", CurSelString(target.get()));
  ULONG id = 0;
  std::int32_t sub = 0;
  ULONG size = 0;
  ULONG value = 0;
  std::vector<WCHAR> name(16);
  target->GetEnumStringAndSubData(0, name.data(), &size, &id, &sub, &value);
  EXPECT_EQ(16u, size);
  EXPECT_EQ(7u, id);
  EXPECT_EQ(5, sub);
  EXPECT_EQ(4u, value);
  EXPECT_EQ(1u, Out<ULONG>(target.get(), &CQExEnumProperty::GetCurSelId));

  source->SetCurSel(1);
  text = testing::PresetTextOf(source.get());
  EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ(1u, Count(target.get()));
  EXPECT_EQ("String 1", CurSelString(target.get()));
  EXPECT_EQ(Record(28, kDataTypeInt32, 4, 7, 7, 0, nine), ValueOf(target.get()));
}

TEST_F(ExEnumPropertyTest, MalformedPresetsLeaveNoEntriesAndNoCrash) {
  const std::vector<std::vector<unsigned char>> malformed = {
      std::vector<unsigned char>(10, 0x41),                               // shorter than the head
      Record(28, 8, 4, 7, 7, 0, {1, 2}),                                  // value field cut short
      Record(28, 8, 4, 7, 7, 0, {1, 2, 3, 4, 5, 6, 7, 8}),                // longer than its total size
      Record(1000, 8, 4, 7, 1, 0, {1, 2, 3, 4}),                          // lying total size
      Record(28, 9, 8, 7, 1, 0, {1, 2, 3, 4}),                            // type needs 8 value bytes
      Record(0xFFFFFFFF, 8, 0xFFFFFFFF, 7, 1, 0xFFFFFFFF, {1, 2, 3, 4}),  // everything negative
  };
  for (std::size_t i = 0; i < malformed.size(); ++i) {
    SCOPED_TRACE(i);
    auto text = PresetOf(malformed[i]);
    auto p = MakeFloats();
    p->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1));
    EXPECT_EQ(0u, Count(p.get()));
    const auto stored = ValueOf(p.get());
    EXPECT_EQ(0x55u, OkOut<ULONG>(p.get(), &CQExEnumProperty::GetCurSel, ULONG{0x55}));
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
  EXPECT_EQ(5u, Count(b.get()));
  EXPECT_EQ(7u, Out<ULONG>(b.get(), &CQExEnumProperty::GetCustomEnumID));
  EXPECT_EQ(ValueOf(a.get()), ValueOf(b.get()));

  auto typed = testing::CloneAs<IQExEnumProperty>(a.get(), IID_IQExEnumProperty);
  ASSERT_TRUE(typed);
  EXPECT_EQ(3u, Count(typed.get()));
  EXPECT_EQ("custom", CurSelString(typed.get()));
}

TEST_F(ExEnumPropertyTest, FlagsNullArgumentsAndFailedAdds) {
  auto p = Make(0, kDataTypeFloat);
  EXPECT_RESULT(kResultOk, p->SetPropertyFlagBit(0x20));
  EXPECT_EQ(0x29u, FlagsOf(p.get()));
  EXPECT_RESULT(kResultOk, p->SetPropertyFlag(2));
  EXPECT_EQ(2u, FlagsOf(p.get()));
  EXPECT_RESULT(kResultInvalidArgument, p->GetPropertyDataToSave(nullptr, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
  EXPECT_RESULT(kResultInvalidArgument, p->AddEnumStringAndSubData(static_cast<const char*>(nullptr), 1, nullptr, 0));
  EXPECT_RESULT(kResultInvalidArgument, p->GetEnumCount(nullptr));
  ULONG size = 0;
  EXPECT_RESULT(kResultIndexOutOfRange, p->GetEnumStringAndSubData(0, nullptr, &size, nullptr, nullptr, nullptr));
  unsigned char data[4] = {};
  {
    testing::AllocationFailure fail(1);
    EXPECT_RESULT(kResultOutOfMemory, p->AddEnumStringAndSubData("new one that is long enough", 9, data, 4));
    ASSERT_TRUE(fail.Triggered());
  }
  EXPECT_EQ(0u, Count(p.get())) << "a failed add leaves the list unchanged";
}

}  // namespace
}  // namespace Quenneth
