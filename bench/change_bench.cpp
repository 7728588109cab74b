// change_bench.cpp: the change road of a long property, and clones.
//
// BM_NotifiedChange   SetCurValue on a registered long property with two dependency callbacks and a notify
//                     callback that allows every change: the whole preview, ask, apply and done protocol with
//                     its three snapshots.
// BM_DirectChange     SetDirectCurValue on the same kind of property: validation and the store, no mediator.
// BM_Clone*           CloneProperty of a named long property and of an enum property with 20 entries.
#include <qenproperties/qenproperties.h>

#include <cstdio>

#include "alloc_counter.h"

namespace {

using namespace Quenneth;

ULONG CountingDependency(IQProperty*, IQProperty*, CModifiedPropIterator*, void* user, enumPropChangeStatus) {
  ++*static_cast<ULONG*>(user);
  return kResultOk;
}

unsigned char AllowEverything(IQProperty*, IQProperty*, CModifiedPropIterator*, void*, ULONG) { return 1; }

QRef<CQLongProperty> MakeLong(IQPropertyMediator* mediator) {
  return QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Volume", "Output volume", 1, 100, kDataTypeUInt32, 50, 50, 1, 1000, nullptr, mediator));
}

void BM_NotifiedChange(benchmark::State& state) {
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  QRef<CQLongProperty> property = MakeLong(mediator.get());
  ULONG calls = 0;
  ULONG handles[2] = {};
  mediator->RegisterProperty(property.get());
  mediator->RegisterDependency(100, &CountingDependency, &calls, &handles[0]);
  mediator->RegisterDependency(100, &CountingDependency, &calls, &handles[1]);
  mediator->RegisterDependencyNotifyCallback(&AllowEverything, nullptr);
  property->SetCurValue(11);  // the first change warms every cache the road has

  ULONG value = 10;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    value ^= 1;
    const ULONG result = property->SetCurValue(value);
    benchmark::DoNotOptimize(result);
  }
  meter.Report(state);

  ULONG stored = 0;
  property->GetCurValue(&stored);
  if (stored != value || calls == 0) state.SkipWithError("the change did not go through the mediator");
  mediator->UnRegisterProperty(property.get());
}
BENCHMARK(BM_NotifiedChange)->ComputeStatistics("min", qenbench::Fastest);

void BM_DirectChange(benchmark::State& state) {
  QRef<CQLongProperty> property = MakeLong(nullptr);
  ULONG value = 10;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    value ^= 1;
    const ULONG result = property->SetDirectCurValue(value);
    benchmark::DoNotOptimize(result);
  }
  meter.Report(state);
  ULONG stored = 0;
  property->GetCurValue(&stored);
  if (stored != value) state.SkipWithError("the value was not stored");
}
BENCHMARK(BM_DirectChange)->ComputeStatistics("min", qenbench::Fastest);

void BM_CloneNamedLong(benchmark::State& state) {
  QRef<CQLongProperty> property = MakeLong(nullptr);
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    QRef<IQProperty> clone;
    property->CloneProperty(clone.Put());
    benchmark::DoNotOptimize(clone.get());
  }
  meter.Report(state);
}
BENCHMARK(BM_CloneNamedLong)->ComputeStatistics("min", qenbench::Fastest);

void BM_CloneEnum20(benchmark::State& state) {
  auto property = QRef<CQEnumProperty>::Adopt(
      new CQEnumProperty("Mode", "Processing mode", 1, 200, nullptr, nullptr, kDataTypeUInt32));
  for (ULONG i = 0; i < 20; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "Choice %u", static_cast<unsigned>(i));
    property->AddEnumString(text, 1000 + i);
  }
  property->SetDirectCurSel(7);
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    QRef<IQProperty> clone;
    property->CloneProperty(clone.Put());
    benchmark::DoNotOptimize(clone.get());
  }
  meter.Report(state);
}
BENCHMARK(BM_CloneEnum20)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace

BENCHMARK_MAIN();
