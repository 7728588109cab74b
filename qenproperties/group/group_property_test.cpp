#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/group/group_property.h"
#include "qenproperties/property/property.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/fake_mediator.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::FakeMediator;

struct Words {
  ULONG attribute;
  ULONG state;
  bool operator==(const Words& other) const { return attribute == other.attribute && state == other.state; }
};

std::ostream& operator<<(std::ostream& out, const Words& words) {
  return out << "{" << words.attribute << ", " << words.state << "}";
}

// The 8 record bytes read back as words; a value of any other length reads as {~0, ~0}.
Words AsWords(const std::vector<unsigned char>& bytes) {
  if (bytes.size() != sizeof(grPropData)) return {0xFFFFFFFFu, 0xFFFFFFFFu};
  grPropData record{};
  std::memcpy(&record, bytes.data(), sizeof(record));
  return {record.attribute, record.state};
}

std::vector<unsigned char> ValueBytes(IQProperty* property) {
  ULONG length = 0;
  property->GetPropertyData(nullptr, &length);
  std::vector<unsigned char> bytes(length);
  if (length != 0) property->GetPropertyData(bytes.data(), &length);
  return bytes;
}

Words Value(IQProperty* property) { return AsWords(ValueBytes(property)); }

Words Default(IQProperty* property) {
  ULONG length = 0;
  property->GetPropertyDefaultData(nullptr, &length);
  std::vector<unsigned char> bytes(length);
  if (length != 0) property->GetPropertyDefaultData(bytes.data(), &length);
  return AsWords(bytes);
}

Words Reported(IQGroupProperty* group) {
  Words words{0xDEADBEEF, 0xDEADBEEF};
  group->GetGroupAttribute(&words.attribute);
  group->GetGroupState(&words.state);
  return words;
}

// The preset text with its terminator, as a loader receives it.
std::vector<WCHAR> PresetText(IQPropertySerializer* serializer) {
  ULONG length = 0;
  EXPECT_RESULT(kResultOk, serializer->GetPropertyDataToSave(nullptr, &length));
  std::vector<WCHAR> text(length + 1, 0);
  serializer->GetPropertyDataToSave(text.data(), &length);
  return text;
}

class GroupPropertyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(0u, host_.Count());
    EXPECT_EQ(0u, mediator_.Count());
  }
  QRef<CQGroupProperty> Make(ULONG attribute, ULONG state, IQPropertyMediator* mediator = nullptr) {
    return QRef<CQGroupProperty>::Adopt(
        new CQGroupProperty("Layout", "Layout group", 4, 21, attribute, state, &host_, mediator));
  }
  static ULONG Flags(IQProperty* property) {
    ULONG flags = 0;
    property->GetPropertyFlags(&flags);
    return flags;
  }

  CountingServicesManager host_;
  FakeMediator mediator_;
};

TEST_F(GroupPropertyTest, NamedPropertyHoldsTheRecordInValueDefaultAndOwnCopy) {
  auto group = Make(2, 5, &mediator_);
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
  EXPECT_EQ((Words{2, 5}), Default(group.get()));
  EXPECT_EQ(9u, Flags(group.get()));
  QDataType type = kDataTypeBool;
  group->GetPropertyDataType(&type);
  EXPECT_EQ(kDataTypeGroup, type);
  EXPECT_EQ(1u, mediator_.calls.size()) << "the constructor stores the value by the notifying store";
}

TEST_F(GroupPropertyTest, WideConstructorNotifiesOnceToo) {
  const WCHAR name[] = {'G', 0};
  const WCHAR description[] = {'D', 0};
  auto group =
      QRef<CQGroupProperty>::Adopt(new CQGroupProperty(name, description, 1, 2, 6, 7, &host_, &mediator_));
  EXPECT_EQ(1u, mediator_.calls.size());
  EXPECT_EQ((Words{6, 7}), Value(group.get()));
  ULONG id = 0;
  group->GetPropertyID(&id);
  EXPECT_EQ(2u, id) << "the fourth argument is the property ID";
}

TEST_F(GroupPropertyTest, DefaultConstructorHoldsZerosWithFlagsOne) {
  auto group = QRef<CQGroupProperty>::Adopt(new CQGroupProperty(&host_, nullptr));
  EXPECT_EQ((Words{0, 0}), Reported(group.get()));
  EXPECT_EQ((Words{0, 0}), Value(group.get()));
  EXPECT_EQ((Words{0, 0}), Default(group.get()));
  EXPECT_EQ(1u, Flags(group.get()));
}

TEST_F(GroupPropertyTest, OnlySetGroupStateCallsTheMediator) {
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
}

TEST_F(GroupPropertyTest, RefusedStateKeepsOldValueWhileOwnCopyTakesTheNewState) {
  auto group = Make(2, 5, &mediator_);
  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused, group->SetGroupState(7));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
  EXPECT_EQ((Words{2, 7}), Reported(group.get()));
  // The direct attribute store carries the own copy, refused state included, into the value.
  EXPECT_RESULT(kResultOk, group->SetGroupAttribute(1));
  EXPECT_EQ((Words{1, 7}), Value(group.get()));
}

TEST_F(GroupPropertyTest, ValueSettersLeaveTheOwnCopyUntilAPresetRoundTrip) {
  auto group = Make(2, 5);
  EXPECT_RESULT(kResultOk, group->SetPropertyData(grPropData{1, 1}));
  EXPECT_EQ((Words{1, 1}), Value(group.get()));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));

  std::vector<WCHAR> text = PresetText(group.get());
  EXPECT_RESULT(kResultOk, group->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ((Words{1, 1}), Reported(group.get()));
}

TEST_F(GroupPropertyTest, DefaultAndResetMoveOnlyTheBaseBytes) {
  auto group = Make(2, 5);
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

TEST_F(GroupPropertyTest, SetDataSizeAcceptsOnlyTheRecordSizeAndStoresNothing) {
  auto group = Make(2, 5);
  EXPECT_RESULT(kResultOk, group->SetDataSize(8));
  EXPECT_RESULT(kResultInvalidArgument, group->SetDataSize(4));
  EXPECT_RESULT(kResultInvalidArgument, group->SetDataSize(16));
  ULONG size = 0;
  group->GetDataSize(&size);
  EXPECT_EQ(8u, size);
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
}

TEST_F(GroupPropertyTest, PresetOfFourBytesIsRefusedAndTheOwnCopyStays) {
  auto source = QRef<CQProperty>::Adopt(new CQProperty());
  const ULONG four = 0x01020304;
  ASSERT_RESULT(kResultOk, source->SetDirectData(&four, sizeof(four)));
  std::vector<WCHAR> text = PresetText(source.get());

  auto group = Make(2, 5, &mediator_);
  EXPECT_RESULT(kResultNoSelection,
                group->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  EXPECT_EQ(4u, ValueBytes(group.get()).size()) << "the value keeps what the load stored";
  EXPECT_EQ(2u, mediator_.calls.size()) << "the load stores by the notifying store";
}

TEST_F(GroupPropertyTest, RefusedPresetLoadLeavesTheOwnCopy) {
  auto group = Make(2, 5, &mediator_);
  auto other = Make(8, 9);
  std::vector<WCHAR> text = PresetText(other.get());
  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused,
                group->LoadDirectDataFromPreset(text.data(), static_cast<ULONG>(text.size() - 1)));
  EXPECT_EQ((Words{2, 5}), Reported(group.get()));
  EXPECT_EQ((Words{2, 5}), Value(group.get()));
}

TEST_F(GroupPropertyTest, NullOutputsAreRefused) {
  auto group = Make(2, 5);
  EXPECT_RESULT(kResultNullPointer, group->GetGroupState(nullptr));
  EXPECT_RESULT(kResultNullPointer, group->GetGroupAttribute(nullptr));
  WCHAR text[64] = {};
  EXPECT_RESULT(kResultNullPointer, group->GetPropertyDataToSave(text, nullptr));
  EXPECT_RESULT(kResultNullPointer, group->CloneProperty(nullptr));
}

TEST_F(GroupPropertyTest, CopiesCarryBothTheValueAndTheOwnCopy) {
  auto group = Make(2, 5, &mediator_);
  group->SetPropertyData(grPropData{9, 9});
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, group->CloneProperty(clone.Put()));
  QRef<IQGroupProperty> typed;
  ASSERT_RESULT(kResultOk, clone->QueryInterface(IID_IQGroupProperty, typed.PutVoid()));
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
