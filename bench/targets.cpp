#include "targets.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace qenbench {
namespace {

double NanosecondsPer(const std::string& unit) {
  if (unit == "us") return 1e3;
  if (unit == "ms") return 1e6;
  if (unit == "s") return 1e9;
  return 1.0;
}

// NumberAt gives a field that is a number, or `otherwise` (absent, null where the output had nan, or text).
double NumberAt(const nlohmann::json& run, const char* key, double otherwise) {
  auto it = run.find(key);
  return it != run.end() && it->is_number() ? it->get<double>() : otherwise;
}

std::string TextAt(const nlohmann::json& run, const char* key, const std::string& otherwise) {
  auto it = run.find(key);
  return it != run.end() && it->is_string() ? it->get<std::string>() : otherwise;
}

Figures FiguresOf(const nlohmann::json& run) {
  Figures figures;
  figures.cpuNanoseconds = NumberAt(run, "cpu_time", 0.0) * NanosecondsPer(TextAt(run, "time_unit", "ns"));
  figures.allocations = NumberAt(run, "allocs/op", -1.0);
  return figures;
}

bool IsNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// Time writes a duration with a unit that keeps three or four significant digits.
std::string Time(double nanoseconds) {
  char text[32];
  if (nanoseconds >= 1e6) {
    std::snprintf(text, sizeof text, "%.3g ms", nanoseconds / 1e6);
  } else if (nanoseconds >= 1e4) {
    std::snprintf(text, sizeof text, "%.3g us", nanoseconds / 1e3);
  } else {
    std::snprintf(text, sizeof text, "%.4g ns", nanoseconds);
  }
  return text;
}

std::string Number(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Total adds the median CPU times of the runs; false when one of them did not run.
bool Total(const ResultSet& results, const std::vector<std::string>& runs, double* total, std::string* missing) {
  *total = 0.0;
  for (const std::string& run : runs) {
    const Figures* figures = results.Find(run);
    if (figures == nullptr) {
      *missing = run;
      return false;
    }
    *total += figures->cpuNanoseconds;
  }
  return true;
}

std::string Join(const std::vector<std::string>& runs) {
  std::string text;
  for (const std::string& run : runs) text += (text.empty() ? "" : " + ") + run;
  return text;
}

}  // namespace

bool ResultSet::AddText(const std::string& text) {
  // Bare words outside strings: true, false and null stay; NaN, inf and Infinity, with or without a minus and
  // in any case, become null.
  std::string cleaned;
  cleaned.reserve(text.size());
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      cleaned += c;
      if (c == '\\' && i + 1 < text.size()) {
        cleaned += text[++i];
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') inString = true;
    std::size_t end = i + (c == '-' ? 1 : 0);
    while (end < text.size() && IsNameCharacter(text[end])) ++end;
    std::string word = text.substr(i, end - i);
    for (char& letter : word) letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    if (word == "nan" || word == "-nan" || word == "inf" || word == "-inf" || word == "infinity" ||
        word == "-infinity") {
      cleaned += "null";
      i = end - 1;
      continue;
    }
    cleaned += c;
  }
  const nlohmann::json output = nlohmann::json::parse(cleaned, nullptr, false);
  return !output.is_discarded() && Add(output);
}

bool ResultSet::Add(const nlohmann::json& output) {
  auto benchmarks = output.find("benchmarks");
  if (benchmarks == output.end() || !benchmarks->is_array() || benchmarks->empty()) return false;
  std::map<std::string, std::vector<Figures>> iterations;
  for (const nlohmann::json& run : *benchmarks) {
    const std::string name = TextAt(run, "run_name", TextAt(run, "name", ""));
    auto failed = run.find("error_occurred");
    if (failed != run.end() && failed->is_boolean() && failed->get<bool>()) continue;
    const std::string kind = TextAt(run, "run_type", "iteration");
    if (kind == "iteration") {
      iterations[name].push_back(FiguresOf(run));
      continue;
    }
    const std::string aggregate = TextAt(run, "aggregate_name", "");
    if (aggregate == "median") {
      medians_[name] = FiguresOf(run);
    } else if (aggregate == "BigO") {
      const double coefficient = NumberAt(run, "cpu_coefficient", 0.0);
      fits_.push_back(name + ": O(" + TextAt(run, "big_o", "?") + "), " +
                      Time(coefficient * NanosecondsPer(TextAt(run, "time_unit", "ns"))) + " per N");
    } else if (aggregate == "RMS" && !fits_.empty()) {
      fits_.back() += ", RMS " + Number("%.0f%%", NumberAt(run, "rms", 0.0) * 100.0);
    }
  }
  // Without aggregates (one repetition, or repetitions reported one by one) the middle run by time stands for
  // the median.
  for (auto& [name, runs] : iterations) {
    if (medians_.count(name) != 0) continue;
    std::sort(runs.begin(), runs.end(),
              [](const Figures& a, const Figures& b) { return a.cpuNanoseconds < b.cpuNanoseconds; });
    medians_[name] = runs[runs.size() / 2];
  }
  return true;
}

const Figures* ResultSet::Find(const std::string& run) const {
  auto median = medians_.find(run);
  return median != medians_.end() ? &median->second : nullptr;
}

TargetResult Judge(const ResultSet& results, const RatioTarget& target) {
  TargetResult result;
  result.target = target.target + " (limit " + Number("%.3g", target.limit) + "x)";
  double ours = 0.0;
  double reference = 0.0;
  std::string missing;
  if (!Total(results, target.ours, &ours, &missing) || !Total(results, target.reference, &reference, &missing)) {
    result.figures = missing + " did not run";
    return result;
  }
  if (reference <= 0.0) {
    result.figures = Join(target.reference) + " took no time";
    return result;
  }
  const double ratio = ours / reference / target.scale;
  result.figures = Number("%.2fx", ratio) + ": " + Time(ours) + " against " + Time(reference);
  result.verdict = ratio <= target.limit ? Verdict::kPass : Verdict::kMiss;
  return result;
}

TargetResult Judge(const ResultSet& results, const AllocationTarget& target) {
  TargetResult result;
  result.target = target.target + " (at most " + Number("%g", target.limit) + ")";
  const Figures* figures = results.Find(target.run);
  if (figures == nullptr) {
    result.figures = target.run + " did not run";
    return result;
  }
  if (figures->allocations < 0.0) {
    result.figures = target.run + " counts no allocations";
    return result;
  }
  result.figures = Number("%g", figures->allocations) + " allocations per operation";
  // Counts are exact per operation; the tolerance only absorbs the division by the iteration count.
  result.verdict = figures->allocations <= target.limit + 1e-9 ? Verdict::kPass : Verdict::kMiss;
  return result;
}

std::vector<TargetResult> Evaluate(const ResultSet& results) {
  const std::vector<RatioTarget> ratios = {
      {"1. notified change / Qt signals and slots", {"BM_NotifiedChange"}, {"BM_QtNotifiedChange"}, 0.85},
      {"2. document save + load / QJsonDocument save + parse + read",
       {"BM_DocumentSave/10000", "BM_DocumentLoad/10000"},
       {"BM_QtDocumentSave", "BM_QtDocumentLoad"},
       0.6},
      {"2. document load per entry, 100,000 / 1,000 entries",
       {"BM_DocumentLoad/100000"},
       {"BM_DocumentLoad/1000"},
       1.2,
       100.0},
      {"3. preset text save / to_chars", {"BM_PresetSave"}, {"BM_FloorTextSave"}, 3.0},
      {"3. preset text load / from_chars", {"BM_PresetLoad"}, {"BM_FloorTextLoad"}, 3.0},
      {"4. panel build, 100,000 / 10,000 long properties", {"BM_PanelBuild/100000"}, {"BM_PanelBuild/10000"}, 12.0},
      {"4. Panel::Set, 100,000 / 100 properties", {"BM_PanelSet/100000"}, {"BM_PanelSet/100"}, 1.5},
      {"4. document load, 100,000 / 10,000 entries", {"BM_DocumentLoad/100000"}, {"BM_DocumentLoad/10000"}, 12.0},
      {"5. direct change / hand-written floor", {"BM_DirectChange"}, {"BM_FloorDirectChange"}, 1.5},
  };
  const std::vector<AllocationTarget> allocations = {
      {"1. notified change allocations", "BM_NotifiedChange", 0},
      {"5. direct change allocations", "BM_DirectChange", 0},
      {"5. clone of a named long property, allocations", "BM_CloneNamedLong", 3},
      {"5. clone of an enum property with 20 entries, allocations", "BM_CloneEnum20", 4},
  };
  std::vector<TargetResult> judged;
  for (const RatioTarget& target : ratios) judged.push_back(Judge(results, target));
  for (const AllocationTarget& target : allocations) judged.push_back(Judge(results, target));
  // In the order of the target numbers that start every label.
  std::stable_sort(judged.begin(), judged.end(),
                   [](const TargetResult& a, const TargetResult& b) { return a.target.front() < b.target.front(); });
  return judged;
}

const char* VerdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::kPass: return "pass";
    case Verdict::kMiss: return "MISS";
    case Verdict::kNotMeasured: return "not measured";
  }
  return "?";
}

}  // namespace qenbench
