// preset_bench.cpp: preset text of a vault of 10,000 mixed properties.
//
// BM_PresetSave   every element's GetPropertyDataToSave, asking for the length first and then writing the text
//                 into one buffer that the host reuses (so only the library's own allocations are counted).
// BM_PresetLoad   every element's LoadDirectDataFromPreset with the texts saved before.
// One operation is the whole pass over the 10,000 properties.
#include <qenproperties/qenproperties.h>

#include <cstdio>
#include <vector>

#include "alloc_counter.h"
#include "mixed_vault.h"

namespace {

using namespace Quenneth;

constexpr ULONG kProperties = 10000;

void BM_PresetSave(benchmark::State& state) {
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(kProperties);
  std::vector<WCHAR> buffer(256);
  ULONG failures = 0;
  qenbench::AllocationMeter meter;
  for (auto _ : state) failures += qenbench::SaveAll(mixed, buffer, nullptr);
  meter.Report(state);
  if (failures != 0) state.SkipWithError("a property did not save");
  state.counters["ns/property"] = benchmark::Counter(
      static_cast<double>(kProperties), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PresetSave)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

void BM_PresetLoad(benchmark::State& state) {
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(kProperties);
  std::vector<WCHAR> buffer(256);
  std::vector<QWString> texts;
  texts.reserve(kProperties);
  qenbench::SaveAll(mixed, buffer, &texts);

  ULONG failures = 0;
  std::uint64_t allocations = 0;
  for (auto _ : state) {
    state.PauseTiming();
    mixed.ClearEnumLists();
    const std::uint64_t start = qenbench::CurrentAllocations().allocations;
    state.ResumeTiming();
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (mixed.serializers[i]->LoadDirectDataFromPreset(&texts[i][0], static_cast<ULONG>(texts[i].size())) !=
          kResultOk) {
        ++failures;
      }
    }
    allocations += qenbench::CurrentAllocations().allocations - start;
  }
  if (failures != 0) state.SkipWithError("a property did not load");
  state.counters["allocs/op"] = static_cast<double>(allocations) / static_cast<double>(state.iterations());

  // The loaded vault saves the same texts again.
  std::vector<QWString> again;
  again.reserve(kProperties);
  qenbench::SaveAll(mixed, buffer, &again);
  for (std::size_t i = 0; i < texts.size(); ++i) {
    if (again[i] != texts[i]) {
      std::fprintf(stderr, "element %zu (class %zu) differs after loading\n", i, i % qenbench::kMixedClasses);
      state.SkipWithError("the loaded values differ from the saved ones");
      break;
    }
  }
}
BENCHMARK(BM_PresetLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace

BENCHMARK_MAIN();
