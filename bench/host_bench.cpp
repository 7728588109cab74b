// host_bench.cpp: the host kit's whole preset document of a vault of 10,000 mixed properties.
//
// BM_DocumentSave   PresetDocument::Save of the vault (the JSON text of every entry).
// BM_DocumentLoad   PresetDocument::Load of that text back into the vault.
// One operation is the whole document.
#include <qenproperties/host/preset_document.h>
#include <qenproperties/qenproperties.h>

#include <string>

#include "alloc_counter.h"
#include "mixed_vault.h"

namespace {

using namespace Quenneth;

constexpr ULONG kProperties = 10000;

void BM_DocumentSave(benchmark::State& state) {
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(kProperties);
  std::size_t size = 0;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    const std::string document = host::PresetDocument::Save(mixed.vault.get());
    size = document.size();
    benchmark::DoNotOptimize(document.data());
  }
  meter.Report(state);
  state.counters["document bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_DocumentSave)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

void BM_DocumentLoad(benchmark::State& state) {
  const qenbench::MixedVault mixed = qenbench::MakeMixedVault(kProperties);
  const std::string document = host::PresetDocument::Save(mixed.vault.get());
  std::size_t loaded = 0;
  bool ok = true;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    host::PresetLoadReport report;
    host::DocumentError error;
    ok = host::PresetDocument::Load(document, mixed.vault.get(), &report, &error) && ok;
    loaded = report.Count(host::PresetOutcome::kLoaded);
  }
  meter.Report(state);
  if (!ok || loaded != kProperties) state.SkipWithError("the document did not load every property");
  if (host::PresetDocument::Save(mixed.vault.get()) != document) {
    state.SkipWithError("the loaded vault saves another document");
  }
}
BENCHMARK(BM_DocumentLoad)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace

BENCHMARK_MAIN();
