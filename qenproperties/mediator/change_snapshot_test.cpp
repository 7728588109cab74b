// change_snapshot_test.cpp: what the callbacks of a change are handed stays what they saw. Snapshots are
// objects of the registered property's class with the old and the new value and its current attributes, a
// snapshot or `previous` that a callback keeps holds on to its values whatever changes follow, nested changes
// get snapshots of their own, and a host's own classes are cloned through their CloneProperty every time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qenproperties/internal/kept_snapshots.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/change_recorder.h"
#include "qenproperties/testing/counting_optional.h"
#include "qenproperties/testing/host_property.h"

namespace Quenneth {
namespace {

using testing::AttributeOf;
using testing::Call;
using testing::LongOf;
using testing::RefCount;

constexpr ULONG kLevelId = 40;
constexpr ULONG kOtherId = 41;
constexpr std::size_t kKept = detail::KeptSnapshots::kKept;

std::string NameOf(IQProperty* property) {
  return testing::ReadText([&](WCHAR* buffer, ULONG* length) { return property->GetPropertyName(buffer, length); });
}

QRef<IQProperty> Hold(IQProperty* property) { return QRef<IQProperty>::Retain(property); }

// Level and Other report to recorders A and B, every change to the notify recorder.
class ChangeSnapshotTest : public testing::MediatorTest {
 protected:
  void SetUp() override {
    Listen(kLevelId, a_);
    Listen(kOtherId, b_);
    ListenToNotify();
  }

  // AllocationsToChange counts what changing `many[at]` for each `at` (in that order) allocates.
  std::size_t AllocationsToChange(const std::vector<CQLongProperty*>& many, std::initializer_list<std::size_t> which) {
    log_.clear();
    log_.reserve(64);
    testing::AllocationFailure counting(static_cast<std::size_t>(-1));
    for (std::size_t at : which) EXPECT_RESULT(kResultOk, many[at]->SetCurValue(testing::WordOf(many[at]) % 900 + 1));
    return counting.Count();
  }
  std::vector<CQLongProperty*> Many(std::size_t count) {
    std::vector<CQLongProperty*> many;
    for (std::size_t i = 0; i < count; ++i) many.push_back(Long(static_cast<ULONG>(100 + i), true, "More"));
    return many;
  }

  CQLongProperty* level_ = Long(kLevelId);
  CQLongProperty* other_ = Long(kOtherId, true, "Other");
};

// Each change hands out two objects of the registered class, neither of them the property, with its own old
// and new values, whatever the callback does to the registry: take the property out and put it back, or register
// enough others to move the entries (the snapshots a change keeps go back to its entry). The snapshots are bound
// to no mediator, so changing one tells nobody.
TEST_F(ChangeSnapshotTest, EveryChangeSeesItsOwnSnapshotsOfTheRegisteredClass) {
  int typed = 0;
  a_.OnPreview([&](const Call& call) {
    if (typed == 0) {
      EXPECT_RESULT(kResultOk, mediator_->UnRegisterProperty(level_));
      EXPECT_RESULT(kResultOk, mediator_->RegisterProperty(level_));
    } else if (typed == 1) {
      Many(64);
    }
    EXPECT_EQ(LongOf(call.previous), call.previousValue);
    EXPECT_EQ(LongOf(call.current), call.currentValue);
    QRef<IQLongProperty> old;
    QRef<IQLongProperty> now;
    typed += call.previous->QueryInterface(IID_IQLongProperty, old.PutVoid()) == kResultOk &&
             call.current->QueryInterface(IID_IQLongProperty, now.PutVoid()) == kResultOk;
    if (now) {
      EXPECT_RESULT(kResultOk, now->SetCurValue(3));
    }
  });
  const ULONG values[] = {11, 12, 12, 900, 1, 77};
  std::vector<Call> seen;
  for (ULONG value : values) {
    log_.clear();
    ASSERT_RESULT(kResultOk, level_->SetCurValue(value));
    EXPECT_EQ("A2N0A0N1", Sequence());
    EXPECT_EQ(LongOf(level_), value);
    seen.push_back(log_[0]);
  }
  EXPECT_EQ(typed, 6);
  ULONG before = 5;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].previousValue, before) << "change " << i;
    EXPECT_EQ(seen[i].currentValue, values[i]) << "change " << i;
    EXPECT_NE(seen[i].previous, seen[i].current);
    EXPECT_NE(seen[i].previous, static_cast<IQProperty*>(level_));
    EXPECT_NE(seen[i].current, static_cast<IQProperty*>(level_));
    before = values[i];
  }
}

// A callback keeps the snapshots of Level's first change (made anew) and of its third (refreshed, kept since
// the second) while that change and the later ones pass the bound on kept snapshots; the notifier keeps the
// first `previous` it sees. They all stay whole and unchanged, are never handed out again (the first pair to no
// later change, the second to the changes after its own), and only the test holds them at the end.
TEST_F(ChangeSnapshotTest, KeptSnapshotsStayAsTheyWereAndAreNotHandedOutAgain) {
  const std::vector<CQLongProperty*> many = Many(kKept + 1);
  std::vector<QRef<IQProperty>> kept;
  a_.OnPreview([&](const Call& call) {
    if (call.currentValue != 30 && call.currentValue != 32) return;
    kept.insert(kept.end(), {Hold(call.previous), Hold(call.current)});
    if (call.currentValue != 32) return;
    for (CQLongProperty* property : many) EXPECT_RESULT(kResultOk, property->SetCurValue(9));
  });
  notify_.during = [&](const Call& call) {
    if (call.step == 0 && kept.size() == 2) kept.push_back(Hold(call.previous));
  };
  for (ULONG value : {30u, 31u, 32u, 33u, 34u}) {
    ASSERT_RESULT(kResultOk, level_->SetCurValue(value));
    for (std::size_t i = 0; value == 32 && i < many.size(); ++i) ASSERT_RESULT(kResultOk, many[i]->SetCurValue(10));
  }

  const ULONG values[] = {5, 30, 5, 31, 32};
  ASSERT_EQ(kept.size(), 5u);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(LongOf(kept[i].get()), values[i]) << i;
    EXPECT_EQ(RefCount(kept[i].get()), 1u) << i;  // the mediator let go of what it handed out
  }
  const std::vector<Call> seen = Previews('A');
  ASSERT_EQ(seen.size(), 5u);
  for (std::size_t i = 1; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].previousValue, 29u + i);
    for (std::size_t pair = 0; pair < (i < 3 ? 1u : 2u); ++pair) {
      EXPECT_NE(seen[i].previous, kept[pair * 3].get()) << i;
      EXPECT_NE(seen[i].current, kept[pair * 3 + 1].get()) << i;
    }
  }
  EXPECT_EQ(NameOf(kept[1].get()), "Level");
}

TEST_F(ChangeSnapshotTest, SnapshotsFollowTheAttributesOfTheirSource) {
  ASSERT_RESULT(kResultOk, level_->SetCurValue(40));  // the snapshots the changes below refresh
  ULONG minimum = 0;
  ULONG maximum = 0;
  std::string name;
  ULONG attribute = 0;
  ULONG defaults = 0;
  bool optional = false;
  a_.OnPreview([&](const Call& call) {
    QRef<IQOptionalProperty> held;
    optional = call.previous->QueryInterface(IID_IQOptionalProperty, held.PutVoid()) == kResultOk;
    QRef<IQLongProperty> typed;
    call.current->QueryInterface(IID_IQLongProperty, typed.PutVoid());
    typed->GetMinRange(&minimum);
    typed->GetMaxRange(&maximum);
    name = NameOf(call.previous);
    attribute = AttributeOf(call.current);
    std::vector<unsigned char> bytes = testing::DefaultOf(call.current);
    defaults = bytes.size() == 4 ? bytes[0] : 0xFFFFFFFF;
  });
  QRef<IQPropertySerializer> serializer;
  ASSERT_EQ(kResultOk, level_->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid()));
  serializer->SetPropertyName("Level, renamed");
  level_->SetRange(2, 500);
  level_->SetPropertyDefaultData(9);
  QRef<IQPropertyAdvanced> advanced;
  ASSERT_EQ(kResultOk, level_->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid()));
  advanced->SetAttribute(0x24);
  testing::CountingOptional host;
  level_->SetOptionalProperty(&host);

  ASSERT_RESULT(kResultOk, level_->SetCurValue(41));
  EXPECT_EQ(minimum, 2u);
  EXPECT_EQ(maximum, 500u);
  EXPECT_EQ(name, "Level, renamed");
  EXPECT_EQ(attribute, 0x24u);
  EXPECT_EQ(defaults, 9u);
  EXPECT_TRUE(optional);

  level_->SetOptionalProperty(nullptr);
  ASSERT_RESULT(kResultOk, level_->SetCurValue(42));
  EXPECT_FALSE(optional);
  EXPECT_EQ(host.count, 0u);  // the snapshots the mediator keeps let go of it as well
}

// Once a change has run, the next changes of the same property make no allocation at all: the snapshots and
// the iterator are refreshed in place. A refused change too, and the change after it sees the value put back.
TEST_F(ChangeSnapshotTest, SteadyChangesAllocateNothing) {
  ASSERT_RESULT(kResultOk, level_->SetCurValue(100));
  log_.reserve(256);
  {
    testing::AllocationFailure counting(static_cast<std::size_t>(-1));
    for (ULONG value = 101; value < 120; ++value) ASSERT_RESULT(kResultOk, level_->SetCurValue(value));
    notify_.allow = 0;
    EXPECT_RESULT(kResultChangeRefused, level_->SetCurValue(7));
    EXPECT_EQ(counting.Count(), 0u);
  }
  EXPECT_EQ(LongOf(level_), 119u) << "the refused value was put back";
  EXPECT_EQ(Previews('A').back().currentValue, 7u);
  EXPECT_EQ(Previews('A').back().previousValue, 119u);
  notify_.allow = 1;
  ASSERT_RESULT(kResultOk, level_->SetCurValue(120));
  EXPECT_EQ(Previews('A').back().previousValue, 119u);
  EXPECT_EQ(Previews('A').back().currentValue, 120u);
}

// Only the entries changed most recently keep their snapshots: changes cycling through as many properties as are
// kept allocate nothing, one more drops the snapshots of the entry changed least recently (and they are
// released), and an unregistered entry gives its slot to the next.
TEST_F(ChangeSnapshotTest, OnlyTheEntriesChangedLastKeepTheirSnapshots) {
  const std::vector<CQLongProperty*> many = Many(kKept + 2);
  for (std::size_t i = 0; i <= kKept; ++i) ASSERT_RESULT(kResultOk, many[i]->SetCurValue(7));  // 0 goes last
  std::size_t cycle = 0;
  for (std::size_t round = 0; round < 2; ++round) {
    for (std::size_t i = 1; i <= kKept; ++i) cycle += AllocationsToChange(many, {i});
  }
  EXPECT_EQ(cycle, 0u) << "changes cycling through " << kKept << " properties allocated";

  const std::size_t fresh = AllocationsToChange(many, {0});  // made anew; 1, changed least recently, goes
  EXPECT_GT(fresh, 0u) << "more than " << kKept << " entries kept their snapshots";
  // Recency, not the order of first changes, decides: 2 changes again, so 3 goes for 1 and 2 stays; then 4
  // goes for 3, and 5 is the oldest kept.
  const std::size_t at[] = {0, 2, 1, 2, 3};
  const std::size_t allocations[] = {0, 0, fresh, 0, fresh};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(AllocationsToChange(many, {at[i]}), allocations[i]) << at[i];

  // Dropped snapshots were released: unregistering 4 releases no more of the copies' references to the
  // services manager, unregistering 2 releases its copies'.
  const std::size_t references = host_.Count();
  ASSERT_RESULT(kResultOk, mediator_->UnRegisterProperty(many[4]));
  EXPECT_EQ(host_.Count(), references);
  ASSERT_RESULT(kResultOk, mediator_->UnRegisterProperty(many[2]));
  EXPECT_LT(host_.Count(), references);
  // 2's slot is free: the never-changed last property takes it, and 5, the oldest kept, stays.
  ASSERT_RESULT(kResultOk, many[kKept + 1]->SetCurValue(7));
  EXPECT_EQ(AllocationsToChange(many, {5}), 0u);
}

// A callback changes another registered property and, once, its own from inside its change: what it was handed
// is untouched by them, and the nested changes store their values after the outer one has stored its own.
TEST_F(ChangeSnapshotTest, NestedChangesHaveSnapshotsOfTheirOwn) {
  bool again = true;
  a_.OnPreview([&](const Call& call) {
    other_->SetCurValue(call.currentValue + 100);
    if (again) {
      again = false;
      level_->SetCurValue(call.currentValue + 1);
    }
    EXPECT_EQ(LongOf(call.previous), call.previousValue);
    EXPECT_EQ(LongOf(call.current), call.currentValue);
  });
  ASSERT_RESULT(kResultOk, level_->SetCurValue(50));

  const std::vector<Call> outer = Previews('A');
  ASSERT_EQ(outer.size(), 2u);
  EXPECT_EQ(outer[0].previousValue, 5u);
  EXPECT_EQ(outer[0].currentValue, 50u);
  EXPECT_EQ(outer[1].previousValue, 50u);
  EXPECT_EQ(outer[1].currentValue, 51u);
  EXPECT_NE(outer[0].current, outer[1].current);
  EXPECT_NE(outer[0].previous, outer[1].previous);
  const std::vector<Call> inner = Previews('B');
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_EQ(inner[0].currentValue, 150u);
  EXPECT_EQ(inner[1].currentValue, 151u);
  EXPECT_EQ(inner[1].previousValue, 150u);
  EXPECT_EQ(LongOf(level_), 51u);
  EXPECT_EQ(LongOf(other_), 151u);
}

// A host class derived from the library's long property, which counts its clones.
class CountingLong : public CQLongProperty {
 public:
  CountingLong(IQServicesManager* services, IQPropertyMediator* mediator, int* clones)
      : CQLongProperty("Counted", "A host's level", 1, kLevelId + 10, kDataTypeUInt32, 5, 5, 1, 1000, services,
                       mediator),
        clones_(clones) {}
  CountingLong(CountingLong& source) : CQLongProperty(source), clones_(source.clones_) {}
  ULONG CloneProperty(IQProperty** out) override {
    ++*clones_;
    *out = new CountingLong(*this);
    return kResultOk;
  }

 private:
  int* clones_;
};

// A host's classes, derived from the library's or written against the interface alone, are cloned through
// their own CloneProperty on every change (a HostProperty clones itself once more for its own `previous`).
TEST_F(ChangeSnapshotTest, HostClassesAreClonedOnEveryChange) {
  constexpr ULONG kHostId = 60;
  constexpr _QGUID kHostObject = {0x600D, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  int derivedClones = 0;
  int hostClones = 0;
  auto counted = QRef<CountingLong>::Adopt(new CountingLong(&host_, mediator_.get(), &derivedClones));
  auto hosted = QRef<testing::HostProperty>::Adopt(new testing::HostProperty(
      {"", "", kHostId, 0, kDataTypeUInt32, 1, kHostObject}, 5, mediator_.get(), &hostClones));
  ASSERT_EQ(kResultOk, mediator_->RegisterProperty(counted.get()));
  counted->SetDirectCurValue(5);
  ASSERT_EQ(kResultOk, mediator_->RegisterProperty(hosted.get()));
  int derived = 0;
  c_.OnPreview([&](const Call& call) {
    derived += dynamic_cast<CountingLong*>(call.previous) != nullptr && dynamic_cast<CountingLong*>(call.current);
  });
  Listen(kLevelId + 10, c_);
  Listen(kHostId, c_);
  derivedClones = 0;
  for (ULONG value : {80u, 81u, 82u}) ASSERT_RESULT(kResultOk, counted->SetCurValue(value));
  for (ULONG value : {90u, 91u}) ASSERT_RESULT(kResultOk, hosted->SetPropertyData(&value, 4));
  EXPECT_EQ(derivedClones, 6);  // an old and a new snapshot per change
  EXPECT_EQ(derived, 3);
  EXPECT_EQ(hostClones, 6);  // per change: the host's own snapshot, then the mediator's old and new ones
  std::vector<ULONG> seen;
  for (const Call& call : Previews('C')) seen.insert(seen.end(), {call.previousValue, call.currentValue});
  EXPECT_EQ(seen, (std::vector<ULONG>{5, 80, 80, 81, 81, 82, 5, 90, 90, 91}));
  mediator_->UnRegisterProperty(counted.get());
  mediator_->UnRegisterProperty(hosted.get());
}

}  // namespace
}  // namespace Quenneth
