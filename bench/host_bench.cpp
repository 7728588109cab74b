// host_bench.cpp: the host kit's whole preset document of a vault of 10,000 mixed properties.
//
// BM_DocumentSave/N   PresetDocument::Save of a vault of N mixed properties (the JSON text of every entry).
// BM_DocumentLoad/N   PresetDocument::Load of that text back into the vault, from 1,000 to 100,000 entries, with
//                     the complexity fit of the sizes and the time, allocations and bytes per entry.
// One operation is the whole document.
#include <qenproperties/host/preset_document.h>
#include <qenproperties/qenproperties.h>

#include <string>

#include "alloc_counter.h"
#include "mixed_vault.h"

namespace {

using namespace Quenneth;

// PerEntry reports the time per document entry beside the time per document.
void PerEntry(benchmark::State& state) {
  state.counters["ns/entry"] = benchmark::Counter(
      static_cast<double>(state.range(0)), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DocumentSave(benchmark::State& state) {
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(static_cast<ULONG>(state.range(0)));
  std::size_t size = 0;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    const std::string document = host::PresetDocument::Save(mixed.vault.get());
    size = document.size();
    benchmark::DoNotOptimize(document.data());
  }
  meter.Report(state);
  state.counters["document bytes"] = static_cast<double>(size);
  PerEntry(state);
}
BENCHMARK(BM_DocumentSave)->Arg(10000)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

void BM_DocumentLoad(benchmark::State& state) {
  const auto entries = static_cast<ULONG>(state.range(0));
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(entries);
  const std::string document = host::PresetDocument::Save(mixed.vault.get());
  bool ok = true;
  // Each load replaces the report of the one before (its lines are freed within the load, as they were freed
  // after it); the last report is counted outside the timing.
  host::PresetLoadReport report;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    host::DocumentError error;
    ok = host::PresetDocument::Load(document, mixed.vault.get(), &report, &error) && ok;
  }
  const std::size_t loaded = report.Count(host::PresetOutcome::kLoaded);
  meter.Report(state);
  PerEntry(state);
  // What a load allocates should not grow faster than its entries: fresh memory is fresh pages to fault in.
  state.counters["allocs/entry"] = state.counters["allocs/op"].value / entries;
  state.counters["bytes/entry"] = state.counters["bytes/op"].value / entries;
  state.SetComplexityN(state.range(0));
  if (!ok || loaded != entries) state.SkipWithError("the document did not load every property");
  if (host::PresetDocument::Save(mixed.vault.get()) != document) {
    state.SkipWithError("the loaded vault saves another document");
  }
}
BENCHMARK(BM_DocumentLoad)->Apply(qenbench::GrowingSizes);

}  // namespace

BENCHMARK_MAIN();
