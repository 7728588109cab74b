// bench_report.cpp: prints every performance target with its figures and whether it is met.
//
//   bench_report build/bench/results     # every *.json output of the benchmark programs in that folder
//
// Exits 0 whether targets are met or not (scripts/bench shows the verdicts); 2 when no results can be read.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "targets.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_report RESULTS_FOLDER\n");
    return 2;
  }
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& item : std::filesystem::directory_iterator(argv[1], error)) {
    if (item.path().extension() == ".json") files.push_back(item.path());
  }
  std::sort(files.begin(), files.end());
  qenbench::ResultSet results;
  std::size_t read = 0;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (results.AddText(text)) ++read;
  }
  if (read == 0) {
    std::fprintf(stderr, "bench_report: no benchmark results in %s\n", argv[1]);
    return 2;
  }
  std::printf("== Targets: ratios of median CPU times measured in this run\n");
  for (const qenbench::TargetResult& line : qenbench::Evaluate(results)) {
    std::printf("%-13s %-72s %s\n", qenbench::VerdictName(line.verdict), line.target.c_str(), line.figures.c_str());
  }
  if (!results.Fits().empty()) {
    std::printf("== Complexity fits\n");
    for (const std::string& fit : results.Fits()) std::printf("%s\n", fit.c_str());
  }
  return 0;
}
