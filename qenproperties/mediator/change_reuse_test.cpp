// change_reuse_test.cpp: what a change reuses from the change before it. The new snapshot of one change is
// handed out as the old snapshot of the next only while it shows exactly what the old snapshot must show (the
// value, the flags and the attribute word the property has when the next change begins), and the dependency
// records a change calls stay its own while callbacks start nested changes of other properties.
#include <gtest/gtest.h>

#include <vector>

#include "qenproperties/testing/change_recorder.h"

namespace Quenneth {
namespace {

using testing::AttributeOf;
using testing::Call;
using testing::FlagsOf;

constexpr ULONG kLevelId = 40;
constexpr ULONG kOtherId = 41;
constexpr ULONG kHostFlag = 0x100;

// Level reports to recorder A, Other to B, every change to the notify recorder. A's previews also note the
// flags and attribute word of the old snapshot they are handed.
class ChangeReuseTest : public testing::MediatorTest {
 protected:
  void SetUp() override {
    Listen(kLevelId, a_);
    Listen(kOtherId, b_);
    ListenToNotify();
    a_.OnPreview([this](const Call& call) {
      oldFlags_.push_back(FlagsOf(call.previous));
      oldAttributes_.push_back(AttributeOf(call.previous));
    });
  }

  CQLongProperty* level_ = Long(kLevelId);
  CQLongProperty* other_ = Long(kOtherId, true, "Other");
  std::vector<ULONG> oldFlags_;
  std::vector<ULONG> oldAttributes_;
};

// In a run of changes each old snapshot is the object the change before handed out as its new one, still
// showing that value, and never the new snapshot of its own change.
TEST_F(ChangeReuseTest, TheLastNewSnapshotIsTheNextOldOneWhileItShowsTheOldValue) {
  for (ULONG value : {11u, 12u, 13u}) EXPECT_RESULT(kResultOk, level_->SetCurValue(value));
  const std::vector<Call> previews = Previews('A');
  ASSERT_EQ(3u, previews.size());
  const ULONG expected[][2] = {{5, 11}, {11, 12}, {12, 13}};
  for (std::size_t i = 0; i < previews.size(); ++i) {
    EXPECT_EQ(expected[i][0], previews[i].previousValue) << "change " << i;
    EXPECT_EQ(expected[i][1], previews[i].currentValue) << "change " << i;
    EXPECT_NE(previews[i].previous, previews[i].current) << "change " << i;
  }
  EXPECT_EQ(previews[0].current, previews[1].previous);
  EXPECT_EQ(previews[1].current, previews[2].previous);
}

// A value stored without a change, a refused value, or flags or an attribute word set between two changes:
// the last change's new snapshot does not show what the property holds, and the next change's old snapshot
// shows it all the same.
TEST_F(ChangeReuseTest, WhatChangedBetweenTwoChangesIsInTheOldSnapshot) {
  EXPECT_RESULT(kResultOk, level_->SetCurValue(11));
  EXPECT_RESULT(kResultOk, level_->SetDirectCurValue(20));
  EXPECT_RESULT(kResultOk, level_->SetCurValue(30));

  ULONG flags = 0;
  EXPECT_RESULT(kResultOk, level_->GetPropertyFlags(&flags));
  EXPECT_RESULT(kResultOk, level_->SetPropertyFlag(flags | kHostFlag));
  EXPECT_RESULT(kResultOk, level_->SetCurValue(31));

  QRef<IQPropertyAdvanced> advanced;
  ASSERT_RESULT(kResultOk, level_->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid()));
  EXPECT_RESULT(kResultOk, advanced->SetAttribute(7));
  EXPECT_RESULT(kResultOk, level_->SetCurValue(32));

  notify_.allow = 0;
  EXPECT_RESULT(kResultChangeRefused, level_->SetCurValue(40));
  notify_.allow = 1;
  EXPECT_RESULT(kResultOk, level_->SetCurValue(41));

  const std::vector<Call> previews = Previews('A');
  ASSERT_EQ(6u, previews.size());
  EXPECT_EQ(20u, previews[1].previousValue);
  EXPECT_EQ(30u, previews[1].currentValue);
  ASSERT_EQ(6u, oldFlags_.size());
  EXPECT_EQ(0u, oldFlags_[1] & kHostFlag);
  EXPECT_EQ(kHostFlag, oldFlags_[2] & kHostFlag);
  EXPECT_EQ(kHostFlag, oldFlags_[3] & kHostFlag);
  EXPECT_NE(7u, oldAttributes_[2]);
  EXPECT_EQ(7u, oldAttributes_[3]);
  EXPECT_EQ(31u, previews[3].previousValue);
  EXPECT_EQ(32u, previews[5].previousValue);
  EXPECT_EQ(41u, previews[5].currentValue);
}

// Level has two records, A and C. A's first preview changes Other, whose record B runs in the nested change;
// the outer change then calls C and applies A and C, as registered when it began.
TEST_F(ChangeReuseTest, ANestedChangeOfAnotherPropertyLeavesTheOuterRecordsAsTheyWere) {
  Listen(kLevelId, c_);
  EXPECT_RESULT(kResultOk, level_->SetCurValue(10));  // the records of Level are the ones the mediator holds
  log_.clear();
  bool nested = false;
  a_.OnPreview([&](const Call&) {
    if (nested) return;
    nested = true;
    EXPECT_RESULT(kResultOk, other_->SetCurValue(21));
  });
  EXPECT_RESULT(kResultOk, level_->SetCurValue(11));
  EXPECT_EQ("A2B2N0B0N1C2N0A0C0N1", Sequence());
  EXPECT_EQ(21u, testing::WordOf(other_));

  // Afterwards each property calls its own records again.
  log_.clear();
  EXPECT_RESULT(kResultOk, other_->SetCurValue(22));
  EXPECT_RESULT(kResultOk, level_->SetCurValue(12));
  EXPECT_EQ("B2N0B0N1A2C2N0A0C0N1", Sequence());
}

}  // namespace
}  // namespace Quenneth
