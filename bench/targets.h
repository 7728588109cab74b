// targets.h: the performance targets, judged from the JSON output of the benchmark programs.
//
// Each target compares figures of one run: ours against a peer measured in the same run (a ratio of median
// CPU times, so the load of a shared machine mostly cancels out), ours at a large size against ours at a
// small one, or an allocation count against its ceiling. A target whose benchmarks did not run (a peer that
// was not built, a filter) is reported as not measured, never as passed.
//
//   qenbench::ResultSet results;
//   results.Add(nlohmann::json::parse(file));          // once per program's output
//   for (const auto& line : qenbench::Evaluate(results)) ...
#ifndef QENPROPERTIES_BENCH_TARGETS_H_
#define QENPROPERTIES_BENCH_TARGETS_H_

#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qenbench {

// Figures: the median of one benchmark run over its repetitions.
struct Figures {
  double cpuNanoseconds = 0.0;
  double allocations = -1.0;  // allocs/op; negative when the benchmark does not count them
};

class ResultSet {
 public:
  // Add takes the benchmarks of one program's JSON output; false when it holds none.
  bool Add(const nlohmann::json& output);
  // AddText parses one program's output first. The benchmark library writes NaN and inf (for example as the
  // coefficient of variation of a counter that is always 0), which are no JSON: they read as null.
  bool AddText(const std::string& text);

  // Find gives the median figures of a run ("BM_DocumentLoad/10000"), or null when it did not run. Without
  // aggregates (a single repetition), the run itself is its median.
  const Figures* Find(const std::string& run) const;

  // Fits gives one line per complexity fit ("BM_PanelBuild: O(N), 1.52 us per N, RMS 3%").
  const std::vector<std::string>& Fits() const { return fits_; }

 private:
  std::map<std::string, Figures> medians_;
  std::vector<std::string> fits_;
};

enum class Verdict { kPass, kMiss, kNotMeasured };

struct TargetResult {
  std::string target;   // what is compared, with its limit
  std::string figures;  // the figures behind the verdict
  Verdict verdict = Verdict::kNotMeasured;
};

// RatioTarget: the sum of `ours` divided by the sum of `reference` (median CPU times), divided by `scale`,
// is at most `limit`. The scale turns a ratio of totals into one per element (100 for a cost per entry from
// 1,000 to 100,000 entries).
struct RatioTarget {
  std::string target;
  std::vector<std::string> ours;
  std::vector<std::string> reference;
  double limit;
  double scale = 1.0;
};

// AllocationTarget: the run's allocations per operation are at most `limit`.
struct AllocationTarget {
  std::string target;
  std::string run;
  double limit;
};

TargetResult Judge(const ResultSet& results, const RatioTarget& target);
TargetResult Judge(const ResultSet& results, const AllocationTarget& target);

// Evaluate judges the library's targets, in the order of the performance table.
std::vector<TargetResult> Evaluate(const ResultSet& results);

const char* VerdictName(Verdict verdict);

}  // namespace qenbench

#endif  // QENPROPERTIES_BENCH_TARGETS_H_
