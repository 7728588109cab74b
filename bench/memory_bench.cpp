// memory_bench.cpp: what one named long property costs to make and to keep.
//
// Each iteration constructs one named long property and keeps it; after the loop the bytes still held (the
// property, its base property, advanced attribute object, name and description) are divided by the number made.
// The time is that of one named construction.
#include <qenproperties/qenproperties.h>

#include <vector>

#include "alloc_counter.h"

namespace {

using namespace Quenneth;

constexpr int kProperties = 10000;

void BM_NamedLongMemory(benchmark::State& state) {
  std::vector<QRef<CQLongProperty>> kept;
  kept.reserve(static_cast<std::size_t>(kProperties));
  const qenbench::AllocationTotals before = qenbench::CurrentAllocations();
  for (auto _ : state) {
    kept.push_back(QRef<CQLongProperty>::Adopt(
        new CQLongProperty("Volume", "Output volume", 1, 100, kDataTypeUInt32, 50, 60, 1, 1000, nullptr, nullptr)));
  }
  const qenbench::AllocationTotals after = qenbench::CurrentAllocations();
  const double made = static_cast<double>(kept.size());
  state.counters["bytes/property"] = static_cast<double>(after.liveBytes - before.liveBytes) / made;
  state.counters["allocs/property"] = static_cast<double>(after.allocations - before.allocations) / made;
  state.counters["object bytes"] =
      static_cast<double>(sizeof(CQLongProperty) + sizeof(CQProperty) + sizeof(CQPropertyAdvanced));
}
BENCHMARK(BM_NamedLongMemory)->Iterations(kProperties)->ComputeStatistics("min", qenbench::Fastest);

}  // namespace

BENCHMARK_MAIN();
