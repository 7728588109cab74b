// alloc_counter.h: counts the heap allocations of a benchmark binary.
//
// alloc_counter.cpp replaces the global operator new and delete (every form) for the whole process, the shared
// library included, so a benchmark can report how many allocations one operation makes and how many bytes an
// object keeps. Counting is atomic and costs a few nanoseconds per allocation; the benchmarks that measure time
// are dominated by far larger costs.
//
//   AllocationMeter meter;
//   for (auto _ : state) property->SetCurValue(++v & 1);
//   meter.Report(state);  // adds the counters "allocs/op" and "bytes/op"
#ifndef QENPROPERTIES_BENCH_ALLOC_COUNTER_H_
#define QENPROPERTIES_BENCH_ALLOC_COUNTER_H_

#include <cstdint>
#include <vector>

#include <benchmark/benchmark.h>

namespace qenbench {

struct AllocationTotals {
  std::uint64_t allocations;  // operator new calls since start
  std::uint64_t bytes;        // bytes asked for since start
  std::int64_t liveBytes;     // bytes asked for and not given back yet
};

AllocationTotals CurrentAllocations();

// Fastest is the "min" statistic of repeated runs: on a machine shared with other work the median moves with
// the load, the fastest repetition much less.
double Fastest(const std::vector<double>& values);

// GrowingSizes runs a benchmark at 1,000 to 100,000 elements, in milliseconds, with its complexity fit: the
// sizes over which costs must grow linearly.
void GrowingSizes(benchmark::internal::Benchmark* benchmark);

// AllocationMeter takes the totals when it is made; Report divides what happened since by the iterations.
class AllocationMeter {
 public:
  AllocationMeter() : start_(CurrentAllocations()) {}
  void Report(benchmark::State& state) const;

 private:
  AllocationTotals start_;
};

}  // namespace qenbench

#endif  // QENPROPERTIES_BENCH_ALLOC_COUNTER_H_
