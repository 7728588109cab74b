// panel_bench.cpp: a panel built from a JSON description of N long properties, and one change through it.
//
// BM_PanelBuild/N   host::Panel::FromJson of the description (and the panel's destruction), N from 1,000 to
//                   100,000, with the complexity fit of the sizes.
// BM_PanelSet/N     Panel::Set of one property's value by name in a panel of N properties (values alternate):
//                   the look-up, the text's reading and the change through the mediator.
#include <qenproperties/host/panel.h>
#include <qenproperties/qenproperties.h>

#include <cstdio>
#include <memory>
#include <string>

#include "alloc_counter.h"

namespace {

using namespace Quenneth;

// Description gives the description of `count` long properties named "Long 00000" on, IDs from 1.
std::string Description(long count) {
  std::string text = R"({"title": "Benchmark", "version": "1", "properties": [)";
  char item[160];
  for (long i = 0; i < count; ++i) {
    std::snprintf(item, sizeof item,
                  R"(%s{"name": "Long %05ld", "kind": "long", "id": %ld, "min": 0, "max": 1000000, "default": %ld})",
                  i == 0 ? "" : ", ", i, i + 1, i % 1000);
    text += item;
  }
  text += R"(], "rules": []})";
  return text;
}

void BM_PanelBuild(benchmark::State& state) {
  const std::string text = Description(state.range(0));
  bool built = true;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    host::DocumentError error;
    std::unique_ptr<host::Panel> panel = host::Panel::FromJson(text, &error);
    built = built && panel != nullptr;
    benchmark::DoNotOptimize(panel.get());
  }
  meter.Report(state);
  state.SetComplexityN(state.range(0));
  if (!built) state.SkipWithError("the description did not build");
}
BENCHMARK(BM_PanelBuild)->Apply(qenbench::GrowingSizes);

void BM_PanelSet(benchmark::State& state) {
  const long count = state.range(0);
  host::DocumentError error;
  std::unique_ptr<host::Panel> panel = host::Panel::FromJson(Description(count), &error);
  if (!panel) {
    state.SkipWithError("the description did not build");
    return;
  }
  char name[32];
  std::snprintf(name, sizeof name, "Long %05ld", count / 2);  // one from the middle
  const std::string target = name;
  const std::string values[2] = {"123", "456"};
  int which = 0;
  ULONG failures = 0;
  qenbench::AllocationMeter meter;
  for (auto _ : state) {
    which ^= 1;
    const host::Panel::Outcome outcome = panel->Set(target, values[which]);
    if (outcome.code != kResultOk) ++failures;
    benchmark::DoNotOptimize(outcome.changes.data());
  }
  meter.Report(state);
  state.SetComplexityN(count);
  if (failures != 0) state.SkipWithError("a change was refused");
}
BENCHMARK(BM_PanelSet)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Complexity()
    ->ComputeStatistics("min", qenbench::Fastest);

}  // namespace

BENCHMARK_MAIN();
