// hand_change.cpp: the change protocol written by hand, the floor of the library's change road.
//
// BM_FloorNotifiedChange   the protocol of BM_NotifiedChange for one setting with a range: one recursive mutex
//                          (the mediator's) held across the change, the old and the new snapshot on the stack, an
//                          empty list of further changes on the stack, two dependency callbacks called to preview
//                          and to apply, a notify callback asked before and told after; a refusal puts the old
//                          value back.
// BM_FloorDirectChange     the range check and the store under the setting's own recursive mutex.
// Callbacks are plain function pointers registered at run time, as a host registers them with the library.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <mutex>

#include "../alloc_counter.h"

namespace {

enum class Step { kApply, kCancel, kPreview };

constexpr std::uint32_t kRefused = 1;
constexpr std::uint32_t kOutOfRange = 2;

struct Snapshot {
  std::uint32_t id;
  std::uint32_t value;
};

// ChangeList: the further changes the preview callbacks record, in place on the stack.
struct ChangeList {
  Snapshot items[4];
  std::size_t count = 0;
};

using Dependency = std::uint32_t (*)(const Snapshot* previous, const Snapshot* next, ChangeList* list, void* user,
                                     Step step);
using Notify = bool (*)(const Snapshot* previous, const Snapshot* next, ChangeList* list, void* user, int stage);

class HandMediator {
 public:
  std::recursive_mutex& Lock() { return lock_; }

  void AddDependency(Dependency callback, void* user) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (count_ < kMaxRecords) records_[count_++] = {callback, user};
  }
  void SetNotify(Notify callback, void* user) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    notify_ = callback;
    notifyUser_ = user;
  }

  std::uint32_t Changed(const Snapshot& previous, const Snapshot& next) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    ChangeList list;
    for (std::size_t i = 0; i < count_; ++i) {
      const std::uint32_t result = records_[i].callback(&previous, &next, &list, records_[i].user, Step::kPreview);
      if (result != 0) return result;
    }
    const bool allowed = notify_ == nullptr || notify_(&previous, &next, &list, notifyUser_, 0);
    std::uint32_t result = allowed ? 0 : kRefused;
    for (std::size_t i = 0; i < count_; ++i) {
      const std::uint32_t answer =
          records_[i].callback(&previous, &next, nullptr, records_[i].user, allowed ? Step::kApply : Step::kCancel);
      if (allowed && answer != 0) {
        result = answer;
        break;
      }
    }
    if (notify_ != nullptr) notify_(nullptr, nullptr, &list, notifyUser_, 1);
    return result;
  }

 private:
  static constexpr std::size_t kMaxRecords = 8;
  struct Record {
    Dependency callback;
    void* user;
  };
  std::recursive_mutex lock_;
  Record records_[kMaxRecords] = {};
  std::size_t count_ = 0;
  Notify notify_ = nullptr;
  void* notifyUser_ = nullptr;
};

class HandSetting {
 public:
  HandSetting(std::uint32_t id, std::uint32_t minimum, std::uint32_t maximum, std::uint32_t value,
              HandMediator* mediator)
      : id_(id), minimum_(minimum), maximum_(maximum), value_(value), mediator_(mediator) {}

  std::uint32_t Set(std::uint32_t value) {
    std::lock_guard<std::recursive_mutex> guard(mediator_->Lock());
    if (value < minimum_ || value > maximum_) return kOutOfRange;
    const Snapshot previous{id_, value_};
    value_ = value;
    const std::uint32_t result = mediator_->Changed(previous, Snapshot{id_, value});
    if (result != 0) value_ = previous.value;
    return result;
  }

  std::uint32_t SetDirect(std::uint32_t value) {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    if (value < minimum_ || value > maximum_) return kOutOfRange;
    value_ = value;
    return 0;
  }

  std::uint32_t Value() {
    std::lock_guard<std::recursive_mutex> guard(lock_);
    return value_;
  }

 private:
  std::recursive_mutex lock_;
  std::uint32_t id_;
  std::uint32_t minimum_;
  std::uint32_t maximum_;
  std::uint32_t value_;
  HandMediator* mediator_;
};

std::uint32_t CountingDependency(const Snapshot*, const Snapshot*, ChangeList*, void* user, Step) {
  ++*static_cast<std::uint32_t*>(user);
  return 0;
}

bool AllowEverything(const Snapshot*, const Snapshot*, ChangeList*, void*, int) { return true; }

void BM_FloorNotifiedChange(benchmark::State& state) {
  HandMediator mediator;
  std::uint32_t calls = 0;
  mediator.AddDependency(&CountingDependency, &calls);
  mediator.AddDependency(&CountingDependency, &calls);
  mediator.SetNotify(&AllowEverything, nullptr);
  HandSetting setting(100, 1, 1000, 50, &mediator);
  std::uint32_t value = 10;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    value ^= 1;
    const std::uint32_t result = setting.Set(value);
    benchmark::DoNotOptimize(result);
  }
  meter.Report(state);
  if (setting.Value() != value || calls == 0) state.SkipWithError("the change did not go through the mediator");
}
BENCHMARK(BM_FloorNotifiedChange)->ComputeStatistics("min", qenbench::Fastest);

void BM_FloorDirectChange(benchmark::State& state) {
  HandSetting setting(100, 1, 1000, 50, nullptr);
  std::uint32_t value = 10;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    value ^= 1;
    const std::uint32_t result = setting.SetDirect(value);
    benchmark::DoNotOptimize(result);
  }
  meter.Report(state);
  if (setting.Value() != value) state.SkipWithError("the value was not stored");
}
BENCHMARK(BM_FloorDirectChange)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace
