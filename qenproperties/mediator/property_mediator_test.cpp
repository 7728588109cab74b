#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/mediator/modified_prop_iterator.h"
#include "qenproperties/mediator/property_mediator.h"
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::LongOf;
using testing::RefCount;

constexpr ULONG kLevelId = 17;
constexpr ULONG kOtherId = 18;
constexpr ULONG kCallbackFailure = 0xC0FFEE01;

// One observed callback call. Values are read while the call runs, since snapshots die with the notification.
struct Call {
  char who;
  ULONG step;  // the status of a dependency callback, the stage of the notify callback
  IQProperty* previous;
  IQProperty* current;
  CModifiedPropIterator* iterator;
  ULONG previousValue;
  ULONG currentValue;
};

struct Dependency {
  Dependency(char name, std::vector<Call>* calls) : who(name), log(calls) {}
  char who;
  std::vector<Call>* log;
  ULONG previewAnswer = kResultOk;
  ULONG applyAnswer = kResultOk;
  std::function<void(IQProperty*, IQProperty*, CModifiedPropIterator*, enumPropChangeStatus)> during;
};

struct Notify {
  std::vector<Call>* log;
  unsigned char answer = 1;
};

ULONG OnDependency(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                   enumPropChangeStatus status) {
  auto* dep = static_cast<Dependency*>(user);
  dep->log->push_back(Call{dep->who, static_cast<ULONG>(status), previous, current, iterator,
                           previous != nullptr ? LongOf(previous) : 0, current != nullptr ? LongOf(current) : 0});
  if (dep->during) dep->during(previous, current, iterator, status);
  if (status == ePropChangePreview) return dep->previewAnswer;
  if (status == ePropChangeApply) return dep->applyAnswer;
  return kCallbackFailure;  // a cancel answer is ignored, whatever it says
}

unsigned char OnNotify(IQProperty* previous, IQProperty* current, CModifiedPropIterator* iterator, void* user,
                       ULONG stage) {
  auto* notify = static_cast<Notify*>(user);
  notify->log->push_back(Call{'N', stage, previous, current, iterator, previous != nullptr ? LongOf(previous) : 0,
                              current != nullptr ? LongOf(current) : 0});
  return stage == 0 ? notify->answer : 0;
}

class PropertyMediatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mediator_ = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&host_));
    level_ = MakeBound(kLevelId);
    other_ = MakeBound(kOtherId);
  }
  void TearDown() override {
    // The mediator keeps what is registered even past its own end: give it back here.
    mediator_->UnRegisterProperty(level_.get());
    mediator_->UnRegisterProperty(other_.get());
    EXPECT_EQ(1u, RefCount(level_.get()));
    level_.reset();
    other_.reset();
    EXPECT_EQ(1u, RefCount(mediator_.get()));
    mediator_.reset();
    EXPECT_EQ(0u, host_.Count());
  }

  QRef<CQLongProperty> MakeBound(ULONG propertyId) {
    auto p = QRef<CQLongProperty>::Adopt(
        new CQLongProperty("Level", "A level", 3, propertyId, kDataTypeUInt32, 0, 0, 0, 0, &host_, mediator_.get()));
    p->SetDirectCurValue(5);
    return p;
  }
  void RegisterBoth() {
    ASSERT_RESULT(kResultOk, mediator_->RegisterProperty(level_.get()));
    ASSERT_RESULT(kResultOk, mediator_->RegisterProperty(other_.get()));
  }
  ULONG Add(ULONG propertyId, Dependency& dep) {
    ULONG handle = 0;
    EXPECT_RESULT(kResultOk, mediator_->RegisterDependency(propertyId, &OnDependency, &dep, &handle));
    return handle;
  }
  // The calls so far as letter-digit pairs (see the key below).
  std::string Sequence() const {
    std::string sequence;
    for (const Call& call : log_) sequence += {call.who, static_cast<char>('0' + call.step)};
    return sequence;
  }

  CountingServicesManager host_;
  QRef<CQPropertyMediator> mediator_;
  QRef<CQLongProperty> level_;
  QRef<CQLongProperty> other_;
  std::vector<Call> log_;
  Dependency a_{'A', &log_};
  Dependency b_{'B', &log_};
  Dependency c_{'C', &log_};
  Notify notify_{&log_};
};

// Step letters: A/B/C dependency records, N the notify callback; digits: 2 preview, 0 apply, 1 cancel, and the
// notify stages 0 and 1.

TEST_F(PropertyMediatorTest, OnlyARegisteredPropertyTakesTheValue) {
  Add(kLevelId, a_);
  EXPECT_RESULT(kResultNotRegistered, level_->SetCurValue(9));
  EXPECT_EQ(5u, LongOf(level_.get()));
  EXPECT_TRUE(log_.empty());

  RegisterBoth();
  EXPECT_RESULT(kResultOk, other_->SetCurValue(9)) << "registered, without listeners";
  EXPECT_EQ(9u, LongOf(other_.get()));
}

// The registry matches the property ID a registered property has now, not the one it was registered with: a
// change after SetPropertyID reaches the records of the new ID, and TearDown's unregistration finds it.
TEST_F(PropertyMediatorTest, ARegisteredPropertyIsKnownByItsPresentId) {
  constexpr ULONG kRenumbered = 40;
  RegisterBoth();
  Add(kLevelId, a_);
  Add(kRenumbered, b_);
  EXPECT_RESULT(kResultOk, level_->SetCurValue(8));  // the mediator now remembers this entry
  ASSERT_EQ("A2A0", Sequence());

  level_->SetPropertyID(kRenumbered);
  log_.clear();
  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ("B2B0", Sequence());
  EXPECT_EQ(9u, LongOf(level_.get()));
}

TEST_F(PropertyMediatorTest, StepsRunInOrderForEveryRecordOfTheId) {
  RegisterBoth();
  Add(kLevelId, a_);
  Add(kOtherId, c_);
  Add(kLevelId, b_);
  mediator_->RegisterDependencyNotifyCallback(&OnNotify, &notify_);

  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ(9u, LongOf(level_.get()));
  ASSERT_EQ("A2B2N0A0B0N1", Sequence());

  CModifiedPropIterator* iterator = log_[0].iterator;
  ASSERT_NE(nullptr, iterator);
  EXPECT_EQ(iterator, log_[1].iterator);
  EXPECT_EQ(iterator, log_[2].iterator);
  EXPECT_EQ(nullptr, log_[3].iterator);
  EXPECT_EQ(nullptr, log_[4].iterator);
  EXPECT_EQ(iterator, log_[5].iterator);
  // The notify callback sees the live arguments at stage 0 and nothing at stage 1.
  EXPECT_NE(log_[0].previous, log_[2].previous);
  EXPECT_NE(log_[0].current, log_[2].current);
  EXPECT_EQ(5u, log_[2].previousValue);
  EXPECT_EQ(9u, log_[2].currentValue);
  EXPECT_EQ(nullptr, log_[5].previous);
  EXPECT_EQ(nullptr, log_[5].current);
}

// The preview and the apply call of one change are handed the same snapshots: what a preview did to one is what
// the apply call sees.
TEST_F(PropertyMediatorTest, PreviewAndApplyShareTheChangesSnapshots) {
  RegisterBoth();
  a_.during = [&](IQProperty* previous, IQProperty*, CModifiedPropIterator*, enumPropChangeStatus status) {
    const unsigned char bytes[4] = {7, 0, 0, 0};
    if (status == ePropChangePreview) {
      EXPECT_RESULT(kResultOk, previous->SetPropertyData(bytes, 4));
    }
  };
  Add(kLevelId, a_);

  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  ASSERT_EQ("A2A0", Sequence());
  EXPECT_EQ(5u, log_[0].previousValue);
  EXPECT_EQ(7u, log_[1].previousValue);
  EXPECT_EQ(9u, LongOf(level_.get()));
}

TEST_F(PropertyMediatorTest, EveryRefusalRestoresTheValueAndEndsTheStepsItShould) {
  struct Case {
    ULONG preview;
    ULONG apply;
    unsigned char allow;
    ULONG result;
    const char* steps;
  };
  const Case cases[] = {
      {kCallbackFailure, kResultOk, 1, kCallbackFailure, "A2"},          // a preview refusal ends everything
      {kResultOk, kCallbackFailure, 1, kCallbackFailure, "A2B2N0A0N1"},  // later applies skipped, notify ended
      {kResultOk, kResultOk, 0, kResultChangeRefused, "A2B2N0A1B1N1"},   // the notifier cancels for all
  };
  RegisterBoth();
  Add(kLevelId, a_);
  Add(kLevelId, b_);
  mediator_->RegisterDependencyNotifyCallback(&OnNotify, &notify_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.steps);
    log_.clear();
    a_.previewAnswer = c.preview;
    a_.applyAnswer = c.apply;
    notify_.answer = c.allow;
    EXPECT_RESULT(c.result, level_->SetCurValue(9));
    ASSERT_EQ(c.steps, Sequence());
    EXPECT_EQ(5u, LongOf(level_.get()));
  }
  // The cancel calls (last case) see the change's snapshots but no iterator; the closing notify sees nothing.
  EXPECT_EQ(nullptr, log_[3].iterator);
  EXPECT_EQ(nullptr, log_[4].iterator);
  EXPECT_EQ(5u, log_[3].previousValue);
  EXPECT_EQ(9u, log_[3].currentValue);
  EXPECT_EQ(nullptr, log_[5].previous);
  EXPECT_EQ(nullptr, log_[5].current);
}

TEST_F(PropertyMediatorTest, DisabledNotifierIsNeverAsked) {
  RegisterBoth();
  Add(kLevelId, a_);
  notify_.answer = 0;
  mediator_->RegisterDependencyNotifyCallback(&OnNotify, &notify_);
  unsigned char flag = 7;
  EXPECT_RESULT(kResultOk, mediator_->GetEnableNotifierFlag(&flag));
  EXPECT_EQ(1, flag);
  EXPECT_RESULT(kResultOk, mediator_->SetEnableNotifierFlag(0));
  EXPECT_RESULT(kResultOk, mediator_->GetEnableNotifierFlag(&flag));
  EXPECT_EQ(0, flag);
  EXPECT_RESULT(kResultInvalidArgument, mediator_->GetEnableNotifierFlag(nullptr));

  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ("A2A0", Sequence());
  EXPECT_EQ(9u, LongOf(level_.get()));
}

TEST_F(PropertyMediatorTest, CallbackMaySetAnotherBoundPropertyOnTheSameThread) {
  RegisterBoth();
  a_.during = [&](IQProperty*, IQProperty* current, CModifiedPropIterator* iterator, enumPropChangeStatus status) {
    if (status == ePropChangePreview) iterator->AddToList(other_.get(), nullptr, 1);
    if (status == ePropChangeApply) {
      EXPECT_RESULT(kResultOk, other_->SetCurValue(LongOf(current) * 2));
    }
  };
  Add(kLevelId, a_);
  Add(kOtherId, c_);

  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ("A2A0C2C0", Sequence());
  EXPECT_EQ(9u, LongOf(level_.get()));
  EXPECT_EQ(18u, LongOf(other_.get()));
  // The nested change had its own iterator; the recorded reference went back with the outer one.
  EXPECT_NE(log_[0].iterator, log_[2].iterator);
  EXPECT_EQ(2u, RefCount(other_.get()));  // creator and registry
}

TEST_F(PropertyMediatorTest, CallbackMayUnregisterRecordsWhileTheyRun) {
  RegisterBoth();
  ULONG handleB = 0;
  a_.during = [&](IQProperty*, IQProperty*, CModifiedPropIterator*, enumPropChangeStatus status) {
    if (status == ePropChangePreview) {
      EXPECT_RESULT(kResultOk, mediator_->UnRegisterDependency(handleB));
    }
  };
  Add(kLevelId, a_);
  handleB = Add(kLevelId, b_);

  // The records were collected before the first call: B still runs through this change.
  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ("A2B2A0B0", Sequence());
  log_.clear();
  a_.during = nullptr;
  EXPECT_RESULT(kResultOk, level_->SetCurValue(10));
  EXPECT_EQ("A2A0", Sequence());
}

TEST_F(PropertyMediatorTest, HandlesRiseByOneRegistryGoesByIdentityAndOnlyTheMediatorInterfaceAnswers) {
  EXPECT_EQ(1u, Add(kLevelId, a_));
  ULONG handle = 0xDEADBEEF;
  EXPECT_RESULT(kResultNullPointer, mediator_->RegisterDependency(kLevelId, nullptr, &a_, &handle));
  EXPECT_EQ(0xDEADBEEFu, handle);
  EXPECT_RESULT(kResultNullPointer, mediator_->RegisterDependency(kLevelId, &OnDependency, &a_, nullptr));
  EXPECT_EQ(2u, Add(kOtherId, b_));
  EXPECT_RESULT(kResultOk, mediator_->UnRegisterDependency(2));
  EXPECT_RESULT(kResultNotAvailable, mediator_->UnRegisterDependency(2));
  EXPECT_EQ(3u, Add(kLevelId, a_));
  EXPECT_RESULT(kResultNotAvailable, mediator_->UnRegisterDependency(0));

  EXPECT_RESULT(kResultNullPointer, mediator_->RegisterProperty(nullptr));
  EXPECT_RESULT(kResultNullPointer, mediator_->UnRegisterProperty(nullptr));
  EXPECT_RESULT(kResultOk, mediator_->RegisterProperty(level_.get()));
  EXPECT_EQ(2u, RefCount(level_.get()));
  EXPECT_RESULT(kResultAlreadyRegistered, mediator_->RegisterProperty(level_.get()));
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, level_->CloneProperty(clone.Put()));
  EXPECT_RESULT(kResultAlreadyRegistered, mediator_->RegisterProperty(clone.get()));

  // A clone has the same identity, so it unregisters the origin and gives back the origin's reference.
  EXPECT_RESULT(kResultOk, mediator_->UnRegisterProperty(clone.get()));
  EXPECT_EQ(1u, RefCount(level_.get()));
  EXPECT_RESULT(kResultNotRegistered, mediator_->UnRegisterProperty(level_.get()));

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
  a_.during = [&](IQProperty*, IQProperty*, CModifiedPropIterator* iterator, enumPropChangeStatus status) {
    if (status == ePropChangePreview) iterator->AddToList(other_.get(), other_.get(), 0);
    if (status == ePropChangeApply) throw std::runtime_error("host failure");
  };
  Add(kLevelId, a_);
  EXPECT_THROW(level_->SetCurValue(9), std::runtime_error);
  EXPECT_EQ(5u, LongOf(level_.get()));
  EXPECT_EQ(2u, RefCount(other_.get()));  // the iterator gave its references back

  // The lock was left: another thread gets through, and the next change runs normally.
  std::thread other([&] { EXPECT_RESULT(kResultOk, mediator_->RegisterDependencyNotifyCallback(nullptr, nullptr)); });
  other.join();
  a_.during = nullptr;
  EXPECT_RESULT(kResultOk, level_->SetCurValue(9));
  EXPECT_EQ(9u, LongOf(level_.get()));
}

TEST_F(PropertyMediatorTest, OutOfMemoryAnywhereLeavesTheValueAndTheCounts) {
  RegisterBoth();
  Add(kLevelId, a_);
  bool sawIteratorFailure = false;
  for (std::size_t n = 1;; ++n) {
    log_.clear();
    ULONG result = kResultOk;
    bool threw = false;
    bool triggered = false;
    {
      testing::AllocationFailure fail(n);
      try {
        result = level_->SetCurValue(9);
      } catch (const std::bad_alloc&) {
        threw = true;
      }
      triggered = fail.Triggered();
    }
    if (!triggered) {
      EXPECT_RESULT(kResultOk, result);
      break;
    }
    if (result == kResultOutOfMemory && log_.empty()) sawIteratorFailure = true;
    if (threw || result != kResultOk) {
      EXPECT_EQ(5u, LongOf(level_.get())) << n;
    }
    level_->SetDirectCurValue(5);
    ASSERT_LT(n, 500u);
  }
  EXPECT_TRUE(sawIteratorFailure);
}

TEST(PropertyMediatorLifetimeTest, DestructionKeepsTheReferencesOfRegisteredProperties) {
  CountingServicesManager host;
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
