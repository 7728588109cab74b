#include <atomic>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/mediator/modified_prop_iterator_interface.h"
#include "qenproperties/mediator/property_mediator.h"
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

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

using testing::CountingServicesManager;
using testing::LongOf;
using testing::RefCount;

constexpr int kThreads = 4;
constexpr int kProperties = 4;
constexpr int kIterations = 300;
// A change to a value that is not the last of its block of eight sets the next property to the value after
// it, so every chain started at a multiple of eight ends after at most seven further changes.
constexpr ULONG kChainBlock = 8;

struct Link {
  CQLongProperty* target = nullptr;
  std::atomic<int>* applies = nullptr;
  std::atomic<int>* nestedChanges = nullptr;
  std::atomic<int>* failures = nullptr;
};

ULONG PassOn(IQProperty*, IQProperty* current, CModifiedPropIterator* iterator, void* user,
             enumPropChangeStatus status) {
  auto* link = static_cast<Link*>(user);
  const ULONG value = LongOf(current);
  const bool passes = value % kChainBlock != kChainBlock - 1;
  if (status == ePropChangePreview && passes) iterator->AddToList(link->target, nullptr, value + 1);
  if (status == ePropChangeApply) {
    ++*link->applies;
    if (passes) {
      ++*link->nestedChanges;
      if (link->target->SetCurValue(value + 1) != kResultOk) ++*link->failures;
    }
  }
  return kResultOk;
}

// Walking the list the previews filled is what a host does before it allows a change.
unsigned char AllowAfterReading(IQProperty*, IQProperty*, CModifiedPropIterator* iterator, void*, ULONG stage) {
  if (stage != 0) return 1;
  IQProperty* first = nullptr;
  IQProperty* second = nullptr;
  ULONG status = 0;
  for (ULONG r = iterator->GetFirstModifiedProperty(&first, &second, &status); r == kResultOk;
       r = iterator->GetNextModifiedProperty(&first, &second, &status)) {
    if (first != nullptr) first->Release();
    if (second != nullptr) second->Release();
  }
  return 1;
}

// Every thread starts chains on every property, and chains cross from one property to the next, so without
// the mediator's change lock two threads would take a property's locks and the mediator's in opposite orders.
TEST(MediatorThreadsTest, CrossingChainsOnSeveralThreadsNeitherDeadlockNorLeak) {
  CountingServicesManager host;
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&host));
  ASSERT_RESULT(kResultOk, mediator->RegisterDependencyNotifyCallback(&AllowAfterReading, nullptr));

  std::vector<QRef<CQLongProperty>> properties;
  for (int i = 0; i < kProperties; ++i) {
    properties.push_back(QRef<CQLongProperty>::Adopt(new CQLongProperty(
        "Link", "chained", 0, static_cast<ULONG>(100 + i), kDataTypeUInt32, 0, 0, 0, 0, &host, mediator.get())));
    ASSERT_RESULT(kResultOk, mediator->RegisterProperty(properties.back().get()));
  }
  std::atomic<int> applies{0};
  std::atomic<int> nestedChanges{0};
  std::atomic<int> failures{0};
  std::vector<Link> links(kProperties);
  for (int i = 0; i < kProperties; ++i) {
    links[i] = Link{properties[(i + 1) % kProperties].get(), &applies, &nestedChanges, &failures};
    ULONG handle = 0;
    ASSERT_RESULT(kResultOk, mediator->RegisterDependency(static_cast<ULONG>(100 + i), &PassOn, &links[i], &handle));
  }

  std::atomic<int> directChanges{0};
  std::atomic<int> ready{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // All threads start together, so their chains overlap from the first change.
      ++ready;
      while (ready.load() < kThreads) std::this_thread::yield();
      for (int n = 0; n < kIterations; ++n) {
        CQLongProperty* property = properties[(t + n) % kProperties].get();
        // Some chains start mid-block and are shorter.
        const ULONG start = static_cast<ULONG>(n) * kChainBlock + static_cast<ULONG>((t + n) % 3);
        if (property->SetCurValue(start) != kResultOk) ++failures;
        ++directChanges;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(kThreads * kIterations, directChanges.load());
  // Every change, direct or made by a callback, reached exactly one apply call.
  EXPECT_EQ(directChanges.load() + nestedChanges.load(), applies.load());
  EXPECT_GT(nestedChanges.load(), directChanges.load());

  for (auto& property : properties) {
    EXPECT_RESULT(kResultOk, mediator->UnRegisterProperty(property.get()));
    EXPECT_EQ(1u, RefCount(property.get()));  // the iterators gave back every reference they recorded
  }
  properties.clear();
  EXPECT_EQ(1u, RefCount(mediator.get()));
  mediator.reset();
  EXPECT_EQ(0u, host.Count());
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
TEST(MediatorThreadsTest, SnapshotsKeptAndReleasedOnAnotherThreadStayAsTheyWere) {
  CountingServicesManager host;
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(&host));
  KeptQueue queue;
  std::vector<QRef<CQLongProperty>> properties;
  for (int i = 0; i < kThreads; ++i) {
    const auto id = static_cast<ULONG>(200 + i);
    properties.push_back(QRef<CQLongProperty>::Adopt(
        new CQLongProperty("Kept", "kept", 0, id, kDataTypeUInt32, 0, 0, 0, 0, &host, mediator.get())));
    ASSERT_RESULT(kResultOk, mediator->RegisterProperty(properties.back().get()));
    ULONG handle = 0;
    ASSERT_RESULT(kResultOk, mediator->RegisterDependency(id, &KeepSome, &queue, &handle));
  }

  std::atomic<bool> done{false};
  std::atomic<int> wrong{0};
  std::atomic<int> checked{0};
  std::thread reader([&] {
    for (;;) {
      Kept kept;
      bool any = false;
      {
        std::lock_guard<std::mutex> guard(queue.mutex);
        if (!queue.items.empty()) {
          kept = std::move(queue.items.front());
          queue.items.pop_front();
          any = true;
        }
      }
      if (!any) {
        if (done.load()) return;
        std::this_thread::yield();
        continue;
      }
      if (LongOf(kept.previous.get()) != kept.previousValue || LongOf(kept.current.get()) != kept.currentValue) {
        ++wrong;
      }
      ++checked;
    }  // `kept` lets go here, on this thread
  });
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int n = 1; n <= kIterations; ++n) {
        if (properties[t]->SetCurValue(static_cast<ULONG>(n * 10 + t)) != kResultOk) ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  done = true;
  reader.join();

  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(0, wrong.load());
  EXPECT_EQ(kThreads * kIterations / 4, checked.load());
  for (auto& property : properties) {
    EXPECT_RESULT(kResultOk, mediator->UnRegisterProperty(property.get()));
    EXPECT_EQ(1u, RefCount(property.get()));
  }
  properties.clear();
  mediator.reset();
  EXPECT_EQ(0u, host.Count());
}

}  // namespace
}  // namespace Quenneth
