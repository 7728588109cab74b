// vault_bench.cpp: look-ups by ID and by name among 1,000 properties.
//
// The argument picks the wanted element: 0 the front, 500 the middle, -1 one that is not there (a full walk).
#include <qenproperties/qenproperties.h>

#include <cstdio>
#include <vector>

#include "alloc_counter.h"
#include "widen.h"

namespace {

using namespace Quenneth;

constexpr ULONG kCount = 1000;

QWString NameOf(ULONG index) {
  char narrow[32];
  std::snprintf(narrow, sizeof narrow, "Setting number %04u", static_cast<unsigned>(index));
  return qenbench::Widen(narrow);
}

QRef<CQPropertyVault> MakeVault() {
  auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  for (ULONG i = 0; i < kCount; ++i) {
    const QWString name = NameOf(i);
    auto property = QRef<CQLongProperty>::Adopt(
        new CQLongProperty(name.c_str(), name.c_str(), 1, 1000 + i, kDataTypeUInt32, 0, i, 0, 0, nullptr, nullptr));
    vault->AddProperty(property.get());
  }
  return vault;
}

// Elements walked for the argument: the position found plus one, or all of them for a miss.
double Walked(std::int64_t wanted) { return wanted < 0 ? kCount : static_cast<double>(wanted + 1); }

void BM_VaultLookupByID(benchmark::State& state) {
  QRef<CQPropertyVault> vault = MakeVault();
  const std::int64_t wanted = state.range(0);
  const ULONG id = wanted < 0 ? 99999 : 1000 + static_cast<ULONG>(wanted);
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    QRef<IQProperty> found;
    const ULONG result = vault->GetPropertyInfoByID(id, found.Put());
    benchmark::DoNotOptimize(result);
  }
  meter.Report(state);
  state.counters["allocs/element"] = state.counters["allocs/op"] / Walked(wanted);
}
BENCHMARK(BM_VaultLookupByID)->Arg(0)->Arg(500)->Arg(-1)->ComputeStatistics("min", qenbench::Fastest);

void BM_VaultLookupByName(benchmark::State& state) {
  QRef<CQPropertyVault> vault = MakeVault();
  const std::int64_t wanted = state.range(0);
  const QWString name = wanted < 0 ? qenbench::Widen("No such setting") : NameOf(static_cast<ULONG>(wanted));
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    QRef<IQProperty> found;
    const ULONG result = vault->GetPropertyInfoByName(name.c_str(), found.Put());
    benchmark::DoNotOptimize(result);
  }
  meter.Report(state);
  state.counters["allocs/element"] = state.counters["allocs/op"] / Walked(wanted);
}
BENCHMARK(BM_VaultLookupByName)->Arg(0)->Arg(500)->Arg(-1)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace

BENCHMARK_MAIN();
