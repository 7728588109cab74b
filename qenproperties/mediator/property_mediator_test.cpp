// property_mediator_test.cpp: the registry, the order of a change's steps and what each refusal, exception or
// failed allocation leaves behind. Sequences are written as change_recorder.h describes.
#include <new>
#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/change_recorder.h"

namespace Quenneth {
namespace {

using testing::LongOf;
using testing::RefCount;

constexpr ULONG kLevelId = 17;
constexpr ULONG kOtherId = 18;
constexpr ULONG kCallbackFailure = 0xC0FFEE01;

class PropertyMediatorTest : public testing::MediatorTest {
 protected:
  CQLongProperty* level_ = Long(kLevelId, false);
  CQLongProperty* other_ = Long(kOtherId, false);
  void RegisterBoth() {
    ASSERT_RESULT(kResultOk, mediator_->RegisterProperty(level_));
    ASSERT_RESULT(kResultOk, mediator_->RegisterProperty(other_));
  }
};

// The registry matches the identity a property has now: a change after SetPropertyID reaches the records of the
// new ID (and TearDown's unregistration finds it), one after a new object ID is not registered until the old one
// is back.
TEST_F(PropertyMediatorTest, OnlyARegisteredPropertyTakesTheValueFoundByItsPresentIdentity) {
  constexpr ULONG kRenumbered = 40;
  Listen(kLevelId, a_);
  Listen(kRenumbered, b_);
  EXPECT_RESULT(kResultNotRegistered, level_->SetCurValue(9));
  EXPECT_EQ(5u, LongOf(level_));
  EXPECT_TRUE(log_.empty());

  RegisterBoth();
  EXPECT_RESULT(kResultOk, other_->SetCurValue(9)) << "registered, without listeners";
  EXPECT_EQ(9u, LongOf(other_));
  EXPECT_RESULT(kResultOk, level_->SetCurValue(8));  // the mediator now remembers this entry
  level_->SetPropertyID(kRenumbered);
  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ("A2A0B2B0", Sequence());
  EXPECT_EQ(9u, LongOf(level_));

  const _QGUID original = testing::ObjectIdOf(level_);
  _QGUID moved = original;
  moved.Data1 ^= 0x5A5A5A5Au;
  level_->BaseProperty()->SetObjectId(moved);
  EXPECT_RESULT(kResultNotRegistered, level_->SetCurValue(10));
  EXPECT_EQ(9u, LongOf(level_));
  level_->BaseProperty()->SetObjectId(original);
  EXPECT_RESULT(kResultOk, level_->SetCurValue(11));
  EXPECT_EQ(11u, LongOf(level_));
}

// The preview and the apply call of one change are handed the same snapshots: what a preview did to one is what
// the apply call sees. The notify callback sees the live arguments at stage 0 and nothing at stage 1.
TEST_F(PropertyMediatorTest, StepsRunInOrderForEveryRecordOfTheIdOnTheSameSnapshots) {
  RegisterBoth();
  a_.OnPreview([](const testing::Call& call) {
    const unsigned char bytes[4] = {7, 0, 0, 0};
    EXPECT_RESULT(kResultOk, call.previous->SetPropertyData(bytes, 4));
  });
  Listen(kLevelId, a_);
  Listen(kOtherId, c_);
  Listen(kLevelId, b_);
  ListenToNotify();

  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ(9u, LongOf(level_));
  ASSERT_EQ("A2B2N0A0B0N1", Sequence());
  CModifiedPropIterator* iterator = log_[0].iterator;
  ASSERT_NE(nullptr, iterator);
  const CModifiedPropIterator* expected[] = {iterator, iterator, iterator, nullptr, nullptr, iterator};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(expected[i], log_[i].iterator) << i;
  EXPECT_EQ(5u, log_[0].previousValue);
  EXPECT_EQ(7u, log_[3].previousValue);
  EXPECT_NE(log_[0].previous, log_[2].previous);
  EXPECT_NE(log_[0].current, log_[2].current);
  EXPECT_EQ(5u, log_[2].previousValue);
  EXPECT_EQ(9u, log_[2].currentValue);
  EXPECT_EQ(nullptr, log_[5].previous);
  EXPECT_EQ(nullptr, log_[5].current);
}

// A disabled notifier is never asked (its answer would refuse): the change goes through. Every change's iterator
// starts empty (the notifier finds only what this change's preview put in) and lets go of what it held.
TEST_F(PropertyMediatorTest, EveryRefusalRestoresTheValueAndEndsTheStepsItShould) {
  struct Case {
    ULONG preview;
    ULONG apply;
    unsigned char allow;
    unsigned char enabled;
    ULONG result;
    const char* steps;
  };
  const Case cases[] = {
      {kCallbackFailure, kResultOk, 1, 1, kCallbackFailure, "A2"},          // a preview refusal ends everything
      {kResultOk, kCallbackFailure, 1, 1, kCallbackFailure, "A2B2N0A0N1"},  // later applies skipped, notify ended
      {kResultOk, kResultOk, 0, 0, kResultOk, "A2B2A0B0"},                  // the disabled notifier is not asked
      {kResultOk, kResultOk, 0, 1, kResultChangeRefused, "A2B2N0A1B1N1"},   // the notifier cancels for all
  };
  RegisterBoth();
  Listen(kLevelId, a_);
  Listen(kLevelId, b_);
  ListenToNotify();
  a_.OnPreview([&](const testing::Call& call) { call.iterator->AddToList(other_, nullptr, 7); });
  std::vector<int> items;
  notify_.during = [&](const testing::Call& call) {
    if (call.step == 0) items.push_back(testing::CountItems(call.iterator));
  };
  unsigned char flag = 7;
  EXPECT_RESULT(kResultOk, mediator_->GetEnableNotifierFlag(&flag));
  EXPECT_EQ(1, flag);
  EXPECT_RESULT(kResultInvalidArgument, mediator_->GetEnableNotifierFlag(nullptr));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    log_.clear();
    level_->SetDirectCurValue(5);
    a_.previewAnswer = c.preview;
    a_.applyAnswer = c.apply;
    notify_.allow = c.allow;
    EXPECT_RESULT(kResultOk, mediator_->SetEnableNotifierFlag(c.enabled));
    EXPECT_RESULT(kResultOk, mediator_->GetEnableNotifierFlag(&flag));
    EXPECT_EQ(c.enabled, flag);
    EXPECT_RESULT(c.result, level_->SetCurValue(9));
    ASSERT_EQ(c.steps, Sequence());
    EXPECT_EQ(c.result == kResultOk ? 9u : 5u, LongOf(level_));
    EXPECT_EQ(2u, RefCount(other_)) << "the iterator still holds Other";
  }
  EXPECT_EQ(items, (std::vector<int>{1, 1}));
  // The cancel calls (last case) see the change's snapshots but no iterator; the closing notify sees nothing.
  EXPECT_EQ(nullptr, log_[3].iterator);
  EXPECT_EQ(nullptr, log_[4].iterator);
  EXPECT_EQ(5u, log_[3].previousValue);
  EXPECT_EQ(9u, log_[3].currentValue);
  EXPECT_EQ(nullptr, log_[5].previous);
  EXPECT_EQ(nullptr, log_[5].current);
}

// A callback may change another bound property, and take records out, while the change runs. The records were
// collected before the first call: B still runs through this change.
TEST_F(PropertyMediatorTest, CallbacksMayChangeAnotherPropertyAndUnregisterRecords) {
  RegisterBoth();
  ULONG handleB = 0;
  a_.during = [&](const testing::Call& call) {
    if (call.step == ePropChangePreview) {
      call.iterator->AddToList(other_, nullptr, 1);
      EXPECT_RESULT(kResultOk, mediator_->UnRegisterDependency(handleB));
    }
    if (call.step == ePropChangeApply) {
      EXPECT_RESULT(kResultOk, other_->SetCurValue(call.currentValue * 2));
    }
  };
  Listen(kLevelId, a_);
  handleB = Listen(kLevelId, b_);
  Listen(kOtherId, c_);

  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ("A2B2A0C2C0B0", Sequence());
  EXPECT_EQ(9u, LongOf(level_));
  EXPECT_EQ(18u, LongOf(other_));
  // The nested change had its own iterator; the recorded reference went back with the outer one.
  EXPECT_NE(log_[0].iterator, log_[3].iterator);
  EXPECT_EQ(2u, RefCount(other_));  // creator and registry
  log_.clear();
  a_.during = nullptr;
  EXPECT_RESULT(kResultOk, level_->SetCurValue(10));
  EXPECT_EQ("A2A0", Sequence());
}

TEST_F(PropertyMediatorTest, HandlesRiseByOneRegistryGoesByIdentityAndOnlyTheMediatorInterfaceAnswers) {
  EXPECT_EQ(1u, Listen(kLevelId, a_));
  ULONG handle = 0xDEADBEEF;
  EXPECT_RESULT(kResultNullPointer, mediator_->RegisterDependency(kLevelId, nullptr, &a_, &handle));
  EXPECT_EQ(0xDEADBEEFu, handle);
  EXPECT_RESULT(kResultNullPointer, mediator_->RegisterDependency(kLevelId, &testing::RecordDependency, &a_, nullptr));
  EXPECT_EQ(2u, Listen(kOtherId, b_));
  EXPECT_RESULT(kResultOk, mediator_->UnRegisterDependency(2));
  EXPECT_RESULT(kResultNotAvailable, mediator_->UnRegisterDependency(2));
  EXPECT_EQ(3u, Listen(kLevelId, a_));
  EXPECT_RESULT(kResultNotAvailable, mediator_->UnRegisterDependency(0));

  EXPECT_RESULT(kResultNullPointer, mediator_->RegisterProperty(nullptr));
  EXPECT_RESULT(kResultNullPointer, mediator_->UnRegisterProperty(nullptr));
  EXPECT_RESULT(kResultOk, mediator_->RegisterProperty(level_));
  EXPECT_EQ(2u, RefCount(level_));
  EXPECT_RESULT(kResultAlreadyRegistered, mediator_->RegisterProperty(level_));
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, level_->CloneProperty(clone.Put()));
  EXPECT_RESULT(kResultAlreadyRegistered, mediator_->RegisterProperty(clone.get()));
  // A clone has the same identity, so it unregisters the origin and gives back the origin's reference.
  EXPECT_RESULT(kResultOk, mediator_->UnRegisterProperty(clone.get()));
  EXPECT_EQ(1u, RefCount(level_));
  EXPECT_RESULT(kResultNotRegistered, mediator_->UnRegisterProperty(level_));

  void* out = nullptr;
  EXPECT_RESULT(kResultOk, mediator_->QueryInterface(IID_IQPropertyMediator, &out));
  EXPECT_EQ(static_cast<IQPropertyMediator*>(mediator_.get()), out);
  EXPECT_EQ(4u, RefCount(mediator_.get()));  // creator, two bound properties, this answer
  static_cast<IQPropertyMediator*>(out)->Release();
  out = &out;
  EXPECT_RESULT(kResultNoInterface, mediator_->QueryInterface(IID_IQUnknown, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_RESULT(kResultNullPointer, mediator_->QueryInterface(IID_IQPropertyMediator, nullptr));
}

TEST_F(PropertyMediatorTest, ExceptionFromCallbackRestoresTheValueAndFreesTheMediator) {
  RegisterBoth();
  a_.during = [&](const testing::Call& call) {
    if (call.step == ePropChangePreview) call.iterator->AddToList(other_, other_, 0);
    if (call.step == ePropChangeApply) throw std::runtime_error("host failure");
  };
  Listen(kLevelId, a_);
  EXPECT_THROW(level_->SetCurValue(9), std::runtime_error);
  EXPECT_EQ(5u, LongOf(level_));
  EXPECT_EQ(2u, RefCount(other_));  // the iterator gave its references back

  // The lock was left: another thread gets through, and the next change runs normally.
  std::thread other([&] { EXPECT_RESULT(kResultOk, mediator_->RegisterDependencyNotifyCallback(nullptr, nullptr)); });
  other.join();
  a_.during = nullptr;
  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ(9u, LongOf(level_));
}

TEST_F(PropertyMediatorTest, OutOfMemoryAnywhereLeavesTheValueAndTheCounts) {
  RegisterBoth();
  Listen(kLevelId, a_);
  bool sawIteratorFailure = false;
  for (std::size_t n = 1;; ++n) {
    ASSERT_LT(n, 500u);
    level_->SetDirectCurValue(5);
    log_.clear();
    testing::AllocationFailure fail(n);  // fails once: what follows the failure allocates freely
    ULONG result = 0xBADA110C;           // left by a throw
    try {
      result = level_->SetCurValue(9);
    } catch (const std::bad_alloc&) {
    }
    if (!fail.Triggered()) {
      EXPECT_RESULT(kResultOk, result);
      break;
    }
    sawIteratorFailure |= result == kResultOutOfMemory && log_.empty();
    if (result != kResultOk) {
      EXPECT_EQ(5u, testing::WordOf(level_)) << n;
    }
  }
  EXPECT_TRUE(sawIteratorFailure);
}

TEST(PropertyMediatorLifetimeTest, DestructionKeepsTheReferencesOfRegisteredProperties) {
  testing::CountingServicesManager host;
  auto property = QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Free", "unbound", 0, 3, kDataTypeUInt32, 0, 0, 0, 0, &host, nullptr));
  auto* mediator = new CQPropertyMediator(&host);
  const ULONG hostBefore = host.Count();
  ASSERT_RESULT(kResultOk, mediator->RegisterProperty(property.get()));
  EXPECT_EQ(0u, mediator->Release());
  EXPECT_EQ(2u, RefCount(property.get()));
  property->Release();  // the reference the host forgot to unregister
  property.reset();
  EXPECT_EQ(0u, host.Count());
  EXPECT_NE(0u, hostBefore);  // the mediator held the services manager while it lived
}

}  // namespace
}  // namespace Quenneth
