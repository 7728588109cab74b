#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/testing/change_recorder.h"

#if defined(__SANITIZE_THREAD__)
// The lock-order detector sees only pairs of locks. Inside a change every bound property's locks are taken
// under the mediator's change lock, which is held first by every change, so chains that cross properties in
// opposite orders cannot meet; the detector does not know that gate. The constructors bind the mediator while
// holding the new property's lock, before any other thread can see the property.
extern "C" const char* __tsan_default_suppressions() {
  return "deadlock:Quenneth::CQPropertyMediator::PropertyChanged\n"
         "deadlock:Quenneth::CQLongProperty::CQLongProperty\n";
}
#endif

namespace Quenneth {
namespace {

using testing::LongOf;

constexpr int kThreads = 4;
constexpr int kProperties = 4;
constexpr int kIterations = 300;
// A change to a value that is not the last of its block of eight sets the next property to the value after
// it, so every chain started at a multiple of eight ends after at most seven further changes.
constexpr ULONG kChainBlock = 8;

struct Counts {
  std::atomic<int> applies{0};
  std::atomic<int> nestedChanges{0};
  std::atomic<int> failures{0};
};
struct Link {
  CQLongProperty* target;
  Counts* counts;
};

ULONG PassOn(IQProperty*, IQProperty* current, CModifiedPropIterator* iterator, void* user,
             enumPropChangeStatus status) {
  auto* link = static_cast<Link*>(user);
  const ULONG value = LongOf(current);
  const bool passes = value % kChainBlock != kChainBlock - 1;
  if (status == ePropChangePreview && passes) iterator->AddToList(link->target, nullptr, value + 1);
  if (status == ePropChangeApply) {
    ++link->counts->applies;
    if (passes) {
      ++link->counts->nestedChanges;
      if (link->target->SetCurValue(value + 1) != kResultOk) ++link->counts->failures;
    }
  }
  return kResultOk;
}

// Walking the list the previews filled is what a host does before it allows a change.
unsigned char AllowAfterReading(IQProperty*, IQProperty*, CModifiedPropIterator* iterator, void*, ULONG stage) {
  if (stage == 0) testing::CountItems(iterator);
  return 1;
}

// OnThreads runs `work(t)` on kThreads threads started together, so that their changes overlap from the first.
template <class Work>
void OnThreads(Work work) {
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      work(t);
    });
  }
  for (std::thread& thread : threads) thread.join();
}

// Every thread starts chains on every property, and chains cross from one property to the next, so without
// the mediator's change lock two threads would take a property's locks and the mediator's in opposite orders.
// The fixture's TearDown checks that the iterators gave back every reference they recorded.
using MediatorThreadsTest = testing::MediatorTest;

TEST_F(MediatorThreadsTest, CrossingChainsOnSeveralThreadsNeitherDeadlockNorLeak) {
  ASSERT_RESULT(kResultOk, mediator_->RegisterDependencyNotifyCallback(&AllowAfterReading, nullptr));
  std::vector<CQLongProperty*> properties;
  for (int i = 0; i < kProperties; ++i) properties.push_back(Long(static_cast<ULONG>(100 + i), true, "Link"));
  Counts counts;
  std::vector<Link> links(kProperties);
  for (int i = 0; i < kProperties; ++i) {
    links[i] = Link{properties[(i + 1) % kProperties], &counts};
    ULONG handle = 0;
    ASSERT_RESULT(kResultOk, mediator_->RegisterDependency(static_cast<ULONG>(100 + i), &PassOn, &links[i], &handle));
  }

  std::atomic<int> directChanges{0};
  OnThreads([&](int t) {
    for (int n = 0; n < kIterations; ++n) {
      // Some chains start mid-block and are shorter.
      const ULONG start = static_cast<ULONG>(n) * kChainBlock + static_cast<ULONG>((t + n) % 3);
      if (properties[(t + n) % kProperties]->SetCurValue(start) != kResultOk) ++counts.failures;
      ++directChanges;
    }
  });

  EXPECT_EQ(0, counts.failures.load());
  EXPECT_EQ(kThreads * kIterations, directChanges.load());
  // Every change, direct or made by a callback, reached exactly one apply call.
  EXPECT_EQ(directChanges.load() + counts.nestedChanges.load(), counts.applies.load());
  EXPECT_GT(counts.nestedChanges.load(), directChanges.load());
}

// OrderScene: the apply callback of the first property's change, holding the mediator's change lock, lets
// another thread start a change of the second property, waits a while, then sets the second property itself.
struct OrderScene {
  CQLongProperty* second;
  std::atomic<bool> applying{false};
  std::atomic<ULONG> result{0};
};

ULONG SetSecondWhileAnotherThreadWaits(IQProperty*, IQProperty*, CModifiedPropIterator*, void* user,
                                       enumPropChangeStatus status) {
  auto* scene = static_cast<OrderScene*>(user);
  if (status != ePropChangeApply) return kResultOk;
  scene->applying = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // the other thread's set is waiting by now
  scene->result = scene->second->SetCurValue(7);
  return kResultOk;
}

// A set takes the mediator's change lock before its property's own, so a set waiting for a change under way
// holds no property lock that the change's callbacks might need. Taken the other way round, the two threads
// would wait for each other for ever: a set that has not ended after ten seconds fails the test (and ends the
// program, whose threads cannot be joined then).
TEST_F(MediatorThreadsTest, ASetWaitingForAChangeHoldsNoLockItsCallbacksNeed) {
  CQLongProperty* first = Long(200);
  OrderScene scene{Long(201)};
  ULONG handle = 0;
  ASSERT_RESULT(kResultOk, mediator_->RegisterDependency(200, &SetSecondWhileAnotherThreadWaits, &scene, &handle));
  std::atomic<int> finished{0};
  std::thread changer([&] {
    first->SetCurValue(6);
    ++finished;
  });
  std::thread waiter([&] {
    while (!scene.applying.load()) std::this_thread::yield();
    scene.second->SetCurValue(9);
    ++finished;
  });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (finished.load() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (finished.load() < 2) {
    ADD_FAILURE() << "the two sets wait for each other";
    std::abort();
  }
  changer.join();
  waiter.join();
  EXPECT_EQ(kResultOk, scene.result.load());
  EXPECT_EQ(9u, LongOf(scene.second));  // the waiting set went through after the change
}

// KeepSome keeps every fourth snapshot pair it previews, with the values it saw, in a queue that another
// thread reads and empties.
struct Kept {
  QRef<IQProperty> previous;
  QRef<IQProperty> current;
  ULONG previousValue;
  ULONG currentValue;
};
struct KeptQueue {
  std::mutex mutex;
  std::deque<Kept> items;
  std::atomic<int> seen{0};
};

ULONG KeepSome(IQProperty* previous, IQProperty* current, CModifiedPropIterator*, void* user,
               enumPropChangeStatus status) {
  auto* queue = static_cast<KeptQueue*>(user);
  if (status != ePropChangePreview || queue->seen.fetch_add(1) % 4 != 0) return kResultOk;
  Kept kept{QRef<IQProperty>::Retain(previous), QRef<IQProperty>::Retain(current), LongOf(previous), LongOf(current)};
  std::lock_guard<std::mutex> guard(queue->mutex);
  queue->items.push_back(std::move(kept));
  return kResultOk;
}

// Snapshots kept by a callback are read and let go on another thread while the changes go on: whatever the
// mediator reuses, a kept snapshot still holds the values its callback saw.
TEST_F(MediatorThreadsTest, SnapshotsKeptAndReleasedOnAnotherThreadStayAsTheyWere) {
  KeptQueue queue;
  std::vector<CQLongProperty*> properties;
  for (int i = 0; i < kThreads; ++i) {
    const auto id = static_cast<ULONG>(200 + i);
    properties.push_back(Long(id, true, "Kept"));
    ULONG handle = 0;
    ASSERT_RESULT(kResultOk, mediator_->RegisterDependency(id, &KeepSome, &queue, &handle));
  }

  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::atomic<int> checked{0};
  std::thread reader([&] {
    for (bool last = false; !last; std::this_thread::yield()) {
      last = done.load();  // read before the queue is: once the changes are done it holds all there is
      std::deque<Kept> items;
      {
        std::lock_guard<std::mutex> guard(queue.mutex);
        items.swap(queue.items);
      }
      for (const Kept& kept : items) {
        wrong += LongOf(kept.previous.get()) != kept.previousValue || LongOf(kept.current.get()) != kept.currentValue;
        ++checked;
      }
    }  // the kept snapshots let go here, on this thread
  });
  std::atomic<int> failures{0};
  OnThreads([&](int t) {
    for (int n = 1; n <= kIterations; ++n) {
      if (properties[t]->SetCurValue(static_cast<ULONG>(n * 10 + t)) != kResultOk) ++failures;
    }
  });
  done = true;
  reader.join();

  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(0, wrong.load());
  EXPECT_EQ(kThreads * kIterations / 4, checked.load());
}

}  // namespace
}  // namespace Quenneth
