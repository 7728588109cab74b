#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/group/group_property.h"
#include "qenproperties/property/property.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::PresetTextOf;
using testing::ValueOf;

using Words = std::pair<ULONG, ULONG>;  // {attribute, state}

// The 8 record bytes read back as words; a value of any other length reads as {~0, ~0}.
Words AsWords(const std::vector<unsigned char>& bytes) {
  if (bytes.size() != sizeof(grPropData)) return {0xFFFFFFFFu, 0xFFFFFFFFu};
  grPropData record{};
  std::memcpy(&record, bytes.data(), sizeof(record));
  return {record.attribute, record.state};
}

Words Value(IQProperty* property) { return AsWords(ValueOf(property)); }
Words Default(IQProperty* property) { return AsWords(testing::DefaultOf(property)); }

Words Reported(IQGroupProperty* group) {
  Words words{0xDEADBEEF, 0xDEADBEEF};
  group->GetGroupAttribute(&words.first);
  group->GetGroupState(&words.second);
  return words;
}

class GroupPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQGroupProperty> Make(ULONG attribute, ULONG state, IQPropertyMediator* mediator = nullptr) {
    return QRef<CQGroupProperty>::Adopt(
        new CQGroupProperty("Layout", "Layout group", 4, 21, attribute, state, &host_, mediator));
  }
};

TEST_F(GroupPropertyTest, ConstructorsHoldTheRecordInValueDefaultAndOwnCopy) {
  auto group = Make(2, 5, &mediator_);
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
  EXPECT_EQ((Words{2, 5}), Default(group.get()));
  EXPECT_EQ(kDataTypeGroup, testing::TypeOf(group.get()));
  EXPECT_EQ(1u, mediator_.calls.size()) << "the constructor stores the value by the notifying store";

  const WCHAR name[] = {'G', 0};
  const WCHAR description[] = {'D', 0};
  auto wide = QRef<CQGroupProperty>::Adopt(new CQGroupProperty(name, description, 1, 2, 6, 7, &host_, &mediator_));
  EXPECT_EQ(2u, mediator_.calls.size()) << "the wide constructor notifies once too";
  EXPECT_EQ((Words{6, 7}), Value(wide.get()));
  EXPECT_EQ(2u, testing::Out<ULONG>(wide.get(), &CQGroupProperty::GetPropertyID))
      << "the fourth argument is the property ID";

  auto plain = QRef<CQGroupProperty>::Adopt(new CQGroupProperty(&host_, nullptr));
  EXPECT_EQ((Words{0, 0}), Reported(plain.get()));
  EXPECT_EQ((Words{0, 0}), Value(plain.get()));
  EXPECT_EQ((Words{0, 0}), Default(plain.get()));
}

TEST_F(GroupPropertyTest, OnlySetGroupStateCallsTheMediatorAndARefusalKeepsTheValue) {
  auto group = Make(2, 5, &mediator_);
  EXPECT_RESULT(kResultOk, group->SetGroupState(7));
  EXPECT_EQ((Words{2, 7}), Value(group.get()));
  ASSERT_EQ(2u, mediator_.calls.size());
  EXPECT_EQ((Words{2, 5}), AsWords(mediator_.calls[1].previousValue));

  EXPECT_RESULT(kResultOk, group->SetDirectGroupState(8));
  EXPECT_EQ((Words{2, 8}), Value(group.get()));
  EXPECT_RESULT(kResultOk, group->SetGroupAttribute(3));
  EXPECT_EQ((Words{3, 8}), Value(group.get()));
  EXPECT_EQ((Words{3, 8}), Reported(group.get()));
  EXPECT_EQ(2u, mediator_.calls.size());

  group = Make(2, 5, &mediator_);
  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused, group->SetGroupState(7));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
  EXPECT_EQ((Words{2, 7}), Reported(group.get()));
  // The direct attribute store carries the own copy, refused state included, into the value.
  EXPECT_RESULT(kResultOk, group->SetGroupAttribute(1));
  EXPECT_EQ((Words{1, 7}), Value(group.get()));
}

TEST_F(GroupPropertyTest, ValueDefaultAndResetMoveOnlyTheBaseBytesUntilAPresetRoundTrip) {
  auto group = Make(2, 5);
  EXPECT_RESULT(kResultOk, group->SetPropertyData(grPropData{1, 1}));
  EXPECT_EQ((Words{1, 1}), Value(group.get()));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));

  std::vector<WCHAR> text = PresetTextOf(group.get());
  EXPECT_RESULT(kResultOk, group->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ((Words{1, 1}), Reported(group.get()));

  group = Make(2, 5);
  EXPECT_RESULT(kResultOk, group->SetPropertyDefaultData(grPropData{4, 9}));
  EXPECT_EQ((Words{4, 9}), Default(group.get()));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
  EXPECT_RESULT(kResultOk, group->Reset());
  EXPECT_EQ((Words{4, 9}), Value(group.get()));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  grPropData raw{6, 6};
  EXPECT_RESULT(kResultOk, group->SetPropertyData(&raw, sizeof(raw)));
  EXPECT_EQ((Words{6, 6}), Value(group.get()));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
}

TEST_F(GroupPropertyTest, SizeWordIsTheRecordSizeAndNullOutputsAreRefused) {
  auto group = Make(2, 5);
  EXPECT_RESULT(kResultOk, group->SetDataSize(8));
  EXPECT_RESULT(kResultInvalidArgument, group->SetDataSize(4));
  EXPECT_RESULT(kResultInvalidArgument, group->SetDataSize(16));
  EXPECT_EQ(8u, testing::Out<ULONG>(group.get(), &CQGroupProperty::GetDataSize));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));

  EXPECT_RESULT(kResultNullPointer, group->GetGroupState(nullptr));
  EXPECT_RESULT(kResultNullPointer, group->GetGroupAttribute(nullptr));
  WCHAR text[64] = {};
  EXPECT_RESULT(kResultNullPointer, group->GetPropertyDataToSave(text, nullptr));
}

// The group writes its record's text itself; whatever length a raw store gave the value, the text is the one a
// base property holding the same bytes writes, and an empty value writes nothing.
TEST_F(GroupPropertyTest, PresetTextIsTheBasePropertysTextForEveryValueLength) {
  auto group = Make(0x0A0B0C0D, 0xF00DCAFE);
  auto plain = QRef<CQProperty>::Adopt(new CQProperty());
  const grPropData record{0x0A0B0C0D, 0xF00DCAFE};
  ASSERT_RESULT(kResultOk, plain->SetDirectData(&record, sizeof(record)));
  EXPECT_EQ(PresetTextOf(plain.get()), PresetTextOf(group.get()));

  const unsigned char bytes[12] = {0x00, 0xFF, 0x10, 0x9A, 0x7E, 0x01, 0xC3, 0x5D, 0x80, 0x22, 0xEF, 0x44};
  for (ULONG size : {1u, 7u, 8u, 9u, 12u}) {
    SCOPED_TRACE("value of " + std::to_string(size) + " bytes");
    ASSERT_RESULT(kResultOk, group->SetPropertyData(bytes, size));
    ASSERT_RESULT(kResultOk, plain->SetDirectData(bytes, size));
    const std::vector<WCHAR> text = PresetTextOf(group.get());
    EXPECT_EQ(PresetTextOf(plain.get()), text);
    EXPECT_EQ(2 * size + 1, text.size());
  }

  ASSERT_RESULT(kResultOk, group->SetPropertyData(bytes, 0));
  ULONG length = 77;
  WCHAR text[4] = {'x', 'x', 'x', 0};
  EXPECT_RESULT(kResultOk, group->GetPropertyDataToSave(nullptr, &length));
  EXPECT_RESULT(kResultOk, group->GetPropertyDataToSave(text, &length));
  EXPECT_EQ(77u, length) << "an empty value reports no length";
  EXPECT_EQ('x', text[0]) << "an empty value writes no text";
}

TEST_F(GroupPropertyTest, FailedPresetLoadsLeaveTheOwnCopy) {
  auto source = QRef<CQProperty>::Adopt(new CQProperty());
  const ULONG four = 0x01020304;
  ASSERT_RESULT(kResultOk, source->SetDirectData(&four, sizeof(four)));
  std::vector<WCHAR> text = PresetTextOf(source.get());

  auto group = Make(2, 5, &mediator_);
  EXPECT_RESULT(kResultNoSelection, group->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  EXPECT_EQ(4u, ValueOf(group.get()).size()) << "the value keeps what the load stored";
  EXPECT_EQ(2u, mediator_.calls.size()) << "the load stores by the notifying store";

  group = Make(2, 5, &mediator_);
  auto other = Make(8, 9);
  text = PresetTextOf(other.get());
  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused,
                group->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
}

TEST_F(GroupPropertyTest, CopiesCarryBothTheValueAndTheOwnCopy) {
  auto group = Make(2, 5, &mediator_);
  group->SetPropertyData(grPropData{9, 9});
  auto typed = testing::CloneAs<IQGroupProperty>(group.get(), IID_IQGroupProperty);
  ASSERT_TRUE(typed);
  EXPECT_EQ((Words{2, 5}), Reported(typed.get()));
  EXPECT_EQ((Words{9, 9}), Value(typed.get()));
  const size_t calls = mediator_.calls.size();
  typed->SetGroupState(1);
  EXPECT_EQ(calls, mediator_.calls.size()) << "a copy is bound to no mediator";

  auto target = Make(0, 0);
  *target = *group;
  EXPECT_EQ((Words{2, 5}), Reported(target.get()));
  EXPECT_EQ((Words{9, 9}), Value(target.get()));
  *target = *target;
  EXPECT_EQ((Words{2, 5}), Reported(target.get()));
}

}  // namespace
}  // namespace Quenneth
