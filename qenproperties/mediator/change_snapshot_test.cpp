// change_snapshot_test.cpp: what the callbacks of a change are handed stays what they saw. Snapshots are
// objects of the registered property's class with the old and the new value and its current attributes, a
// snapshot or `previous` that a callback keeps holds on to its values whatever changes follow, nested changes
// get snapshots of their own, and a host's own classes are cloned through their CloneProperty every time.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "qenproperties/internal/kept_snapshots.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/counting_optional.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/host_property.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::LongOf;
using testing::ReadText;
using testing::RefCount;

constexpr ULONG kLevelId = 40;
constexpr ULONG kOtherId = 41;

// Seen: one snapshot pair as a callback saw it, with a reference kept when asked.
struct Seen {
  IQProperty* previous;
  IQProperty* current;
  ULONG previousValue;
  ULONG currentValue;
};

using Hook = std::function<ULONG(IQProperty*, IQProperty*, CModifiedPropIterator*, enumPropChangeStatus)>;

ULONG RunHook(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
              enumPropChangeStatus status) {
  return (*static_cast<Hook*>(user))(previous, current, iterator, status);
}

using NotifyHook = std::function<unsigned char(IQProperty*, IQProperty*, CModifiedPropIterator*, ULONG)>;

unsigned char RunNotify(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                        ULONG stage) {
  return (*static_cast<NotifyHook*>(user))(previous, current, iterator, stage);
}

std::string NameOf(IQProperty* property) {
  return ReadText([&](WCHAR* buffer, ULONG* length) { return property->GetPropertyName(buffer, length); });
}

ULONG AttributeOf(IQProperty* property) {
  QRef<IQPropertyAdvanced> advanced;
  ULONG attribute = 0xFFFFFFFF;
  if (property->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid()) == kResultOk) {
    advanced->GetAttribute(&attribute);
  }
  return attribute;
}

class ChangeSnapshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mediator_ = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&host_));
    level_ = MakeLong("Level", kLevelId);
    other_ = MakeLong("Other", kOtherId);
    ASSERT_EQ(kResultOk, mediator_->RegisterDependency(kLevelId, &RunHook, &levelHook_, &handle_));
    ASSERT_EQ(kResultOk, mediator_->RegisterDependency(kOtherId, &RunHook, &otherHook_, &handle_));
    ASSERT_EQ(kResultOk, mediator_->RegisterDependencyNotifyCallback(&RunNotify, &notifyHook_));
  }

  void TearDown() override {
    for (const QRef<CQLongProperty>& property : {level_, other_}) mediator_->UnRegisterProperty(property.get());
    for (const QRef<CQLongProperty>& property : many_) mediator_->UnRegisterProperty(property.get());
    many_.clear();
    level_.reset();
    other_.reset();
    mediator_.reset();
    EXPECT_EQ(0u, host_.Count()) << "services manager references leaked";
  }

  QRef<CQLongProperty> MakeLong(const char* name, ULONG id) {
    auto property = QRef<CQLongProperty>::Adopt(
        new CQLongProperty(name, "A level", 1, id, kDataTypeUInt32, 5, 5, 1, 1000, &host_, mediator_.get()));
    EXPECT_EQ(kResultOk, mediator_->RegisterProperty(property.get()));
    property->SetDirectCurValue(5);  // the named constructor's value was refused: it was not registered yet
    return property;
  }

  // MakeMany registers `count` more long properties, numbered from `firstId`; TearDown unregisters them.
  void MakeMany(ULONG count, ULONG firstId) {
    for (ULONG i = 0; i < count; ++i) many_.push_back(MakeLong("More", firstId + i));
  }

  // AllocationsToChange counts what changing the properties of many_ at `which` (in that order) allocates.
  std::size_t AllocationsToChange(std::initializer_list<std::size_t> which) {
    std::vector<ULONG> values;  // read first: LongOf allocates
    for (std::size_t at : which) values.push_back(LongOf(many_[at].get()) % 900 + 1);
    testing::AllocationFailure counting(static_cast<std::size_t>(-1));
    std::size_t i = 0;
    for (std::size_t at : which) EXPECT_RESULT(kResultOk, many_[at]->SetCurValue(values[i++]));
    return counting.Count();
  }

  // Records the snapshots of every preview of Level; keeps a reference on them when `keep` is set.
  void RecordLevel(std::vector<Seen>* seen, std::vector<QRef<IQProperty>>* kept = nullptr) {
    levelHook_ = [seen, kept](IQProperty* previous, IQProperty* current, CModifiedPropIterator*,
                              enumPropChangeStatus status) {
      if (status != ePropChangePreview) return kResultOk;
      seen->push_back(Seen{previous, current, LongOf(previous), LongOf(current)});
      if (kept != nullptr) {
        kept->push_back(QRef<IQProperty>::Retain(previous));
        kept->push_back(QRef<IQProperty>::Retain(current));
      }
      return kResultOk;
    };
  }

  CountingServicesManager host_;
  QRef<CQPropertyMediator> mediator_;
  QRef<CQLongProperty> level_;
  QRef<CQLongProperty> other_;
  std::vector<QRef<CQLongProperty>> many_;
  Hook levelHook_ = [](IQProperty*, IQProperty*, CModifiedPropIterator*, enumPropChangeStatus) { return kResultOk; };
  Hook otherHook_ = levelHook_;
  NotifyHook notifyHook_ = [](IQProperty*, IQProperty*, CModifiedPropIterator*, ULONG) -> unsigned char { return 1; };
  ULONG handle_ = 0;
};

TEST_F(ChangeSnapshotTest, EveryChangeSeesItsOwnOldAndNewValues) {
  std::vector<Seen> seen;
  RecordLevel(&seen);
  const ULONG values[] = {11, 12, 12, 900, 1, 77};
  for (ULONG value : values) ASSERT_RESULT(kResultOk, level_->SetCurValue(value));

  ASSERT_EQ(seen.size(), sizeof(values) / sizeof(values[0]));
  ULONG before = 5;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].previousValue, before) << "change " << i;
    EXPECT_EQ(seen[i].currentValue, values[i]) << "change " << i;
    EXPECT_NE(seen[i].previous, seen[i].current);
    EXPECT_NE(seen[i].previous, static_cast<IQProperty*>(level_.get()));
    EXPECT_NE(seen[i].current, static_cast<IQProperty*>(level_.get()));
    before = values[i];
  }
  EXPECT_EQ(LongOf(level_.get()), 77u);
}

TEST_F(ChangeSnapshotTest, SnapshotsAreOfTheRegisteredClassAndNotifyNobody) {
  bool typed = false;
  ULONG changedSnapshot = kResultNotAvailable;
  levelHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status != ePropChangePreview) return kResultOk;
    QRef<IQLongProperty> old;
    QRef<IQLongProperty> now;
    typed = previous->QueryInterface(IID_IQLongProperty, old.PutVoid()) == kResultOk &&
            current->QueryInterface(IID_IQLongProperty, now.PutVoid()) == kResultOk;
    if (now) changedSnapshot = now->SetCurValue(3);  // a snapshot is bound to no mediator: nobody hears of it
    return kResultOk;
  };
  for (ULONG value : {20u, 21u}) {
    typed = false;
    ASSERT_RESULT(kResultOk, level_->SetCurValue(value));
    EXPECT_TRUE(typed);
    EXPECT_RESULT(kResultOk, changedSnapshot);
    EXPECT_EQ(LongOf(level_.get()), value);
  }
}

TEST_F(ChangeSnapshotTest, KeptSnapshotsAndPreviousStayAsTheyWere) {
  std::vector<Seen> seen;
  std::vector<QRef<IQProperty>> kept;
  RecordLevel(&seen, &kept);
  std::vector<QRef<IQProperty>> keptPrevious;
  notifyHook_ = [&](IQProperty* previous, IQProperty*, CModifiedPropIterator*, ULONG stage) -> unsigned char {
    if (stage == 0 && keptPrevious.empty()) keptPrevious.push_back(QRef<IQProperty>::Retain(previous));
    return 1;
  };
  ASSERT_RESULT(kResultOk, level_->SetCurValue(30));
  RecordLevel(&seen);  // later changes keep nothing
  for (ULONG value : {31u, 32u, 33u}) ASSERT_RESULT(kResultOk, level_->SetCurValue(value));

  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(LongOf(kept[0].get()), 5u);
  EXPECT_EQ(LongOf(kept[1].get()), 30u);
  ASSERT_EQ(keptPrevious.size(), 1u);
  EXPECT_EQ(LongOf(keptPrevious[0].get()), 5u);
  for (std::size_t i = 1; i < seen.size(); ++i) {
    EXPECT_NE(seen[i].previous, kept[0].get());
    EXPECT_NE(seen[i].current, kept[1].get());
  }
  // Only this test holds them now: the mediator let go of what it handed out.
  EXPECT_EQ(RefCount(kept[0].get()), 1u);
  EXPECT_EQ(RefCount(kept[1].get()), 1u);
  EXPECT_EQ(RefCount(keptPrevious[0].get()), 1u);
  EXPECT_EQ(NameOf(kept[1].get()), "Level");
}

TEST_F(ChangeSnapshotTest, SnapshotsFollowTheAttributesOfTheirSource) {
  std::vector<Seen> seen;
  RecordLevel(&seen);
  ASSERT_RESULT(kResultOk, level_->SetCurValue(40));

  ULONG minimum = 0;
  ULONG maximum = 0;
  std::string name;
  ULONG attribute = 0;
  ULONG defaults = 0;
  bool optional = false;
  levelHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status != ePropChangePreview) return kResultOk;
    QRef<IQOptionalProperty> held;
    optional = previous->QueryInterface(IID_IQOptionalProperty, held.PutVoid()) == kResultOk;
    QRef<IQLongProperty> typed;
    current->QueryInterface(IID_IQLongProperty, typed.PutVoid());
    typed->GetMinRange(&minimum);
    typed->GetMaxRange(&maximum);
    name = NameOf(previous);
    attribute = AttributeOf(current);
    std::vector<unsigned char> bytes = testing::DefaultOf(current);
    defaults = bytes.size() == 4 ? bytes[0] : 0xFFFFFFFF;
    return kResultOk;
  };
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
// the iterator are refreshed in place. A refused change and one whose callbacks record further changes too,
// and the change after a refused one sees the value put back.
TEST_F(ChangeSnapshotTest, SteadyChangesAllocateNothing) {
  // The callback reads the values without allocating, unlike LongOf.
  auto word = [](IQProperty* property) {
    ULONG value = 0;
    ULONG length = sizeof(value);
    property->GetPropertyData(&value, &length);
    return value;
  };
  std::vector<Seen> seen;
  seen.reserve(64);
  levelHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status == ePropChangePreview) seen.push_back(Seen{previous, current, word(previous), word(current)});
    return kResultOk;
  };
  unsigned char answer = 1;
  notifyHook_ = [&](IQProperty*, IQProperty*, CModifiedPropIterator*, ULONG stage) -> unsigned char {
    return stage == 0 ? answer : 0;
  };
  ASSERT_RESULT(kResultOk, level_->SetCurValue(100));
  {
    testing::AllocationFailure counting(static_cast<std::size_t>(-1));
    for (ULONG value = 101; value < 120; ++value) ASSERT_RESULT(kResultOk, level_->SetCurValue(value));
    answer = 0;
    EXPECT_RESULT(kResultChangeRefused, level_->SetCurValue(7));
    EXPECT_EQ(counting.Count(), 0u);
  }
  EXPECT_EQ(LongOf(level_.get()), 119u) << "the refused value was put back";
  EXPECT_EQ(seen.back().currentValue, 7u);
  EXPECT_EQ(seen.back().previousValue, 119u);
  // The change after a refused one starts from the value put back.
  answer = 1;
  ASSERT_RESULT(kResultOk, level_->SetCurValue(120));
  EXPECT_EQ(seen.back().previousValue, 119u);
  EXPECT_EQ(seen.back().currentValue, 120u);
}

// Only the entries changed most recently keep their snapshots: changes cycling through as many properties as are
// kept allocate nothing, one more drops the snapshots of the entry changed least recently (and they are
// released), and an unregistered entry gives its slot to the next.
TEST_F(ChangeSnapshotTest, OnlyTheEntriesChangedLastKeepTheirSnapshots) {
  constexpr std::size_t kKept = detail::KeptSnapshots::kKept;
  MakeMany(kKept + 2, 100);
  for (std::size_t i = 0; i <= kKept; ++i) ASSERT_RESULT(kResultOk, many_[i]->SetCurValue(7));  // 0 goes last
  std::size_t cycle = 0;
  for (std::size_t round = 0; round < 2; ++round) {
    for (std::size_t i = 1; i <= kKept; ++i) cycle += AllocationsToChange({i});
  }
  EXPECT_EQ(cycle, 0u) << "changes cycling through " << kKept << " properties allocated";

  const std::size_t fresh = AllocationsToChange({0});  // made anew; 1, changed least recently, goes
  EXPECT_GT(fresh, 0u) << "more than " << kKept << " entries kept their snapshots";
  EXPECT_EQ(AllocationsToChange({0}), 0u);
  // Recency, not the order of first changes, decides: 2 changes again, so 3 goes for 1 and 2 stays.
  EXPECT_EQ(AllocationsToChange({2}), 0u);
  EXPECT_EQ(AllocationsToChange({1}), fresh);
  EXPECT_EQ(AllocationsToChange({2}), 0u);
  EXPECT_EQ(AllocationsToChange({3}), fresh);  // 4 goes for it: 5 is the oldest kept now

  // Dropped snapshots were released: unregistering 4 releases no more of the copies' references to the
  // services manager, unregistering 2 releases its copies'.
  const std::size_t references = host_.Count();
  ASSERT_RESULT(kResultOk, mediator_->UnRegisterProperty(many_[4].get()));
  EXPECT_EQ(host_.Count(), references);
  ASSERT_RESULT(kResultOk, mediator_->UnRegisterProperty(many_[2].get()));
  EXPECT_LT(host_.Count(), references);
  // 2's slot is free: the never-changed last property takes it, and 5, the oldest kept, stays.
  ASSERT_RESULT(kResultOk, many_[kKept + 1]->SetCurValue(7));
  EXPECT_EQ(AllocationsToChange({5}), 0u);
}

// A callback keeps the snapshots it was handed (refreshed ones, kept since the change before) while its own
// change and later ones pass the bound on kept snapshots: they stay whole and unchanged, and are never handed
// out again.
TEST_F(ChangeSnapshotTest, HeldSnapshotsOutliveTheBound) {
  constexpr std::size_t kKept = detail::KeptSnapshots::kKept;
  MakeMany(kKept + 1, 100);
  std::vector<Seen> seen;
  std::vector<QRef<IQProperty>> held;
  ASSERT_RESULT(kResultOk, level_->SetCurValue(20));  // the snapshots the next change refreshes
  levelHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status != ePropChangePreview) return kResultOk;
    seen.push_back(Seen{previous, current, LongOf(previous), LongOf(current)});
    if (!held.empty()) return kResultOk;
    held.push_back(QRef<IQProperty>::Retain(previous));
    held.push_back(QRef<IQProperty>::Retain(current));
    for (const QRef<CQLongProperty>& property : many_) EXPECT_RESULT(kResultOk, property->SetCurValue(9));
    return kResultOk;
  };
  ASSERT_RESULT(kResultOk, level_->SetCurValue(21));
  for (const QRef<CQLongProperty>& property : many_) ASSERT_RESULT(kResultOk, property->SetCurValue(10));
  for (ULONG value : {22u, 23u}) ASSERT_RESULT(kResultOk, level_->SetCurValue(value));

  ASSERT_EQ(held.size(), 2u);
  EXPECT_EQ(LongOf(held[0].get()), 20u);
  EXPECT_EQ(LongOf(held[1].get()), 21u);
  EXPECT_EQ(RefCount(held[0].get()), 1u);
  EXPECT_EQ(RefCount(held[1].get()), 1u);
  ASSERT_EQ(seen.size(), 3u);
  for (std::size_t i = 1; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].previousValue, 20u + i);
    EXPECT_NE(seen[i].previous, held[0].get());
    EXPECT_NE(seen[i].current, held[1].get());
  }
}

TEST_F(ChangeSnapshotTest, NestedChangesHaveSnapshotsOfTheirOwn) {
  std::vector<Seen> inner;
  std::vector<Seen> outer;
  otherHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status == ePropChangePreview) inner.push_back(Seen{previous, current, LongOf(previous), LongOf(current)});
    return kResultOk;
  };
  bool again = true;
  levelHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status != ePropChangePreview) return kResultOk;
    const Seen mine{previous, current, LongOf(previous), LongOf(current)};
    other_->SetCurValue(mine.currentValue + 100);  // another registered property
    if (again) {                                   // and this one, once, from inside its own change
      again = false;
      level_->SetCurValue(mine.currentValue + 1);
    }
    // What this call was handed is untouched by the changes it made.
    EXPECT_EQ(LongOf(previous), mine.previousValue);
    EXPECT_EQ(LongOf(current), mine.currentValue);
    outer.push_back(mine);
    return kResultOk;
  };
  ASSERT_RESULT(kResultOk, level_->SetCurValue(50));

  ASSERT_EQ(outer.size(), 2u);  // the nested change of Level finishes first
  EXPECT_EQ(outer[0].currentValue, 51u);
  EXPECT_EQ(outer[0].previousValue, 50u);
  EXPECT_EQ(outer[1].currentValue, 50u);
  EXPECT_EQ(outer[1].previousValue, 5u);
  EXPECT_NE(outer[0].current, outer[1].current);
  EXPECT_NE(outer[0].previous, outer[1].previous);
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_EQ(inner[0].currentValue, 150u);
  EXPECT_EQ(inner[1].currentValue, 151u);
  EXPECT_EQ(inner[1].previousValue, 150u);
  // The nested changes stored their values after the outer one had stored its own.
  EXPECT_EQ(LongOf(level_.get()), 51u);
  EXPECT_EQ(LongOf(other_.get()), 151u);
}

TEST_F(ChangeSnapshotTest, TheIteratorOfEveryChangeStartsEmptyAndLetsGo) {
  const ULONG otherCount = RefCount(other_.get());
  std::vector<int> itemsSeen;
  levelHook_ = [&](IQProperty*, IQProperty*, CModifiedPropIterator* iterator, enumPropChangeStatus status) {
    if (status == ePropChangePreview) iterator->AddToList(other_.get(), nullptr, 7);
    return kResultOk;
  };
  notifyHook_ = [&](IQProperty*, IQProperty*, CModifiedPropIterator* iterator, ULONG stage) -> unsigned char {
    if (stage != 0) return 0;
    int items = 0;
    QRef<IQProperty> first;
    QRef<IQProperty> second;
    ULONG status = 0;
    for (ULONG rc = iterator->GetFirstModifiedProperty(first.Put(), second.Put(), &status); rc == kResultOk;
         rc = iterator->GetNextModifiedProperty(first.Put(), second.Put(), &status)) {
      ++items;
    }
    itemsSeen.push_back(items);
    return 1;
  };
  for (ULONG value : {70u, 71u, 72u}) {
    ASSERT_RESULT(kResultOk, level_->SetCurValue(value));
    EXPECT_EQ(RefCount(other_.get()), otherCount) << "the iterator still holds Other";
  }
  EXPECT_EQ(itemsSeen, (std::vector<int>{1, 1, 1}));
}

// The snapshots a change keeps go back to its registry entry. A callback that takes the property out of the
// registry and puts it back, or registers enough others to move the entries, leaves what it was handed whole
// and the changes after it right.
TEST_F(ChangeSnapshotTest, ChangesOutliveTheRegistryMovingUnderThem) {
  std::vector<QRef<CQLongProperty>> more;
  std::vector<Seen> seen;
  int step = 0;
  levelHook_ = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status != ePropChangePreview) return kResultOk;
    const Seen mine{previous, current, LongOf(previous), LongOf(current)};
    if (step == 0) {
      EXPECT_RESULT(kResultOk, mediator_->UnRegisterProperty(level_.get()));
      EXPECT_RESULT(kResultOk, mediator_->RegisterProperty(level_.get()));
    } else if (step == 1) {
      for (ULONG i = 0; i < 64; ++i) more.push_back(MakeLong("More", 100 + i));
    }
    ++step;
    EXPECT_EQ(LongOf(previous), mine.previousValue);
    EXPECT_EQ(LongOf(current), mine.currentValue);
    seen.push_back(mine);
    return kResultOk;
  };
  const ULONG values[] = {80, 81, 82, 83};
  for (ULONG value : values) ASSERT_RESULT(kResultOk, level_->SetCurValue(value));

  ASSERT_EQ(seen.size(), 4u);
  ULONG before = 5;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].previousValue, before) << "change " << i;
    EXPECT_EQ(seen[i].currentValue, values[i]) << "change " << i;
    before = values[i];
  }
  for (const QRef<CQLongProperty>& property : more) mediator_->UnRegisterProperty(property.get());
}

// A change is matched to its registry entry without a look-up while the property's identity is the one found
// before; a new object ID is looked up again (and is not registered), the old one found again.
TEST_F(ChangeSnapshotTest, AChangedIdentityIsLookedUpAgain) {
  ASSERT_RESULT(kResultOk, level_->SetCurValue(90));
  _QGUID original{};
  ASSERT_RESULT(kResultOk, level_->GetObjectId(&original));
  _QGUID moved = original;
  moved.Data1 ^= 0x5A5A5A5Au;
  level_->BaseProperty()->SetObjectId(moved);
  EXPECT_RESULT(kResultNotRegistered, level_->SetCurValue(91));
  EXPECT_EQ(LongOf(level_.get()), 90u);
  level_->BaseProperty()->SetObjectId(original);
  EXPECT_RESULT(kResultOk, level_->SetCurValue(92));
  EXPECT_EQ(LongOf(level_.get()), 92u);
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

TEST_F(ChangeSnapshotTest, HostDerivedClassesAreClonedOnEveryChange) {
  int clones = 0;
  auto counted = QRef<CountingLong>::Adopt(new CountingLong(&host_, mediator_.get(), &clones));
  ASSERT_EQ(kResultOk, mediator_->RegisterProperty(counted.get()));
  bool derived = false;
  Hook hook = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status == ePropChangePreview) {
      derived = dynamic_cast<CountingLong*>(previous) != nullptr && dynamic_cast<CountingLong*>(current) != nullptr;
    }
    return kResultOk;
  };
  ULONG handle = 0;
  ASSERT_EQ(kResultOk, mediator_->RegisterDependency(kLevelId + 10, &RunHook, &hook, &handle));
  clones = 0;
  for (ULONG value : {80u, 81u, 82u}) ASSERT_RESULT(kResultOk, counted->SetCurValue(value));
  EXPECT_EQ(clones, 6);  // an old and a new snapshot per change
  EXPECT_TRUE(derived);
  mediator_->UnRegisterDependency(handle);
  mediator_->UnRegisterProperty(counted.get());
}

TEST_F(ChangeSnapshotTest, HostPropertiesAreClonedOnEveryChange) {
  constexpr ULONG kHostId = 60;
  constexpr _QGUID kHostObject = {0x600D, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  int clones = 0;
  auto hosted = QRef<testing::HostProperty>::Adopt(
      new testing::HostProperty({"", "", kHostId, 0, kDataTypeUInt32, 1, kHostObject}, 5, mediator_.get(), &clones));
  ASSERT_EQ(kResultOk, mediator_->RegisterProperty(hosted.get()));
  std::vector<ULONG> seen;
  Hook hook = [&](IQProperty* previous, IQProperty* current, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status == ePropChangePreview) {
      seen.push_back(LongOf(previous));
      seen.push_back(LongOf(current));
    }
    return kResultOk;
  };
  ULONG handle = 0;
  ASSERT_EQ(kResultOk, mediator_->RegisterDependency(kHostId, &RunHook, &hook, &handle));
  for (ULONG value : {90u, 91u}) {
    ASSERT_RESULT(kResultOk, hosted->SetPropertyData(&value, 4));
  }
  // Per change: the host's own snapshot, then the mediator's old and new ones, all through CloneProperty.
  EXPECT_EQ(clones, 6);
  EXPECT_EQ(seen, (std::vector<ULONG>{5, 90, 90, 91}));
  mediator_->UnRegisterDependency(handle);
  mediator_->UnRegisterProperty(hosted.get());
}

}  // namespace
}  // namespace Quenneth
