#include "targets.h"

#include <gtest/gtest.h>

#include <string>

namespace qenbench {
namespace {

using Json = nlohmann::json;

Json Aggregate(const std::string& run, const std::string& aggregate, double cpu, const std::string& unit = "ns") {
  return Json{{"name", run + "_" + aggregate},
              {"run_name", run},
              {"run_type", "aggregate"},
              {"aggregate_name", aggregate},
              {"cpu_time", cpu},
              {"real_time", cpu * 3},
              {"time_unit", unit},
              {"allocs/op", 0.0}};
}

Json Iteration(const std::string& run, double cpu, double allocations) {
  return Json{{"name", run},     {"run_name", run},   {"run_type", "iteration"},
              {"cpu_time", cpu}, {"time_unit", "ns"}, {"allocs/op", allocations}};
}

Json Output(std::initializer_list<Json> runs) { return Json{{"context", Json::object()}, {"benchmarks", runs}}; }

class TargetsTest : public ::testing::Test {
 protected:
  ResultSet results_;
};

TEST_F(TargetsTest, RatioOfMediansAcrossUnitsAndPrograms) {
  ASSERT_TRUE(results_.Add(Output({Aggregate("BM_Ours", "mean", 999.0), Aggregate("BM_Ours", "median", 80.0),
                                   Aggregate("BM_OursToo", "median", 0.02, "us")})));
  ASSERT_TRUE(results_.Add(Output({Aggregate("BM_Peer", "median", 0.0001, "ms")})));

  const TargetResult pass = Judge(results_, RatioTarget{"t", {"BM_Ours", "BM_OursToo"}, {"BM_Peer"}, 1.0});
  EXPECT_EQ(pass.verdict, Verdict::kPass) << pass.figures;
  EXPECT_NE(pass.figures.find("1.00x"), std::string::npos) << pass.figures;  // (80 + 20) / 100

  const TargetResult miss = Judge(results_, RatioTarget{"t", {"BM_Ours", "BM_OursToo"}, {"BM_Peer"}, 0.85});
  EXPECT_EQ(miss.verdict, Verdict::kMiss);
  EXPECT_NE(miss.target.find("0.85"), std::string::npos);
}

TEST_F(TargetsTest, ScaleMakesTheRatioOnePerElement) {
  ASSERT_TRUE(results_.Add(
      Output({Aggregate("BM_Load/1000", "median", 1.0, "ms"), Aggregate("BM_Load/100000", "median", 115.0, "ms")})));
  const TargetResult flat = Judge(results_, RatioTarget{"t", {"BM_Load/100000"}, {"BM_Load/1000"}, 1.2, 100.0});
  EXPECT_EQ(flat.verdict, Verdict::kPass) << flat.figures;
  EXPECT_NE(flat.figures.find("1.15x"), std::string::npos) << flat.figures;
  const TargetResult steep = Judge(results_, RatioTarget{"t", {"BM_Load/100000"}, {"BM_Load/1000"}, 1.1, 100.0});
  EXPECT_EQ(steep.verdict, Verdict::kMiss);
}

TEST_F(TargetsTest, MissingRunsAreNotMeasuredAndNamed) {
  ASSERT_TRUE(results_.Add(Output({Aggregate("BM_Ours", "median", 10.0)})));
  const TargetResult peerless = Judge(results_, RatioTarget{"t", {"BM_Ours"}, {"BM_QtPeer"}, 1.0});
  EXPECT_EQ(peerless.verdict, Verdict::kNotMeasured);
  EXPECT_NE(peerless.figures.find("BM_QtPeer"), std::string::npos);
  EXPECT_EQ(Judge(results_, AllocationTarget{"t", "BM_Gone", 0}).verdict, Verdict::kNotMeasured);
}

TEST_F(TargetsTest, SingleRepetitionsAndFailedRuns) {
  Json failed = Iteration("BM_Failed", 1.0, 0.0);
  failed["error_occurred"] = true;
  ASSERT_TRUE(results_.Add(Output(
      {Iteration("BM_Runs", 30.0, 2.0), Iteration("BM_Runs", 10.0, 2.0), Iteration("BM_Runs", 20.0, 2.0), failed})));
  const Figures* runs = results_.Find("BM_Runs");
  ASSERT_NE(runs, nullptr);
  EXPECT_DOUBLE_EQ(runs->cpuNanoseconds, 20.0);  // the middle one
  EXPECT_EQ(results_.Find("BM_Failed"), nullptr);
  EXPECT_FALSE(results_.Add(Output({})));
  EXPECT_FALSE(results_.Add(Json{{"context", Json::object()}}));
}

TEST_F(TargetsTest, OutputWithNotANumberIsRead) {
  const std::string text = R"({"benchmarks": [
    {"run_name": "BM_Zero", "run_type": "aggregate", "aggregate_name": "median", "cpu_time": 12.5,
     "time_unit": "ns", "allocs/op": 0, "label": "NaN stays text", "note": "say \"inf\""},
    {"run_name": "BM_Zero", "run_type": "aggregate", "aggregate_name": "cv", "cpu_time": 0.01,
     "time_unit": "ns", "allocs/op": NaN, "bytes/op": -nan, "other": Infinity, "more": -inf}]})";
  ASSERT_TRUE(results_.AddText(text));
  const Figures* zero = results_.Find("BM_Zero");
  ASSERT_NE(zero, nullptr);
  EXPECT_DOUBLE_EQ(zero->cpuNanoseconds, 12.5);
  EXPECT_DOUBLE_EQ(zero->allocations, 0.0);
  EXPECT_FALSE(results_.AddText("{\"benchmarks\": [nonsense]}"));
}

TEST_F(TargetsTest, AllocationCeilings) {
  Json uncounted = Aggregate("BM_Uncounted", "median", 5.0);
  uncounted.erase("allocs/op");
  ASSERT_TRUE(results_.Add(Output({Iteration("BM_None", 5.0, 0.0), Iteration("BM_Nine", 5.0, 9.0), uncounted})));
  EXPECT_EQ(Judge(results_, AllocationTarget{"t", "BM_None", 0}).verdict, Verdict::kPass);
  const TargetResult nine = Judge(results_, AllocationTarget{"t", "BM_Nine", 3});
  EXPECT_EQ(nine.verdict, Verdict::kMiss);
  EXPECT_NE(nine.figures.find("9 allocations"), std::string::npos);
  EXPECT_EQ(Judge(results_, AllocationTarget{"t", "BM_Nine", 9}).verdict, Verdict::kPass);
  EXPECT_EQ(Judge(results_, AllocationTarget{"t", "BM_Uncounted", 0}).verdict, Verdict::kNotMeasured);
}

TEST_F(TargetsTest, ComplexityFitsAreListed) {
  Json fit = Aggregate("BM_Build", "BigO", 0.0, "us");
  fit["cpu_coefficient"] = 25.0;
  fit["big_o"] = "N";
  Json rms = Aggregate("BM_Build", "RMS", 0.0);
  rms["rms"] = 0.04;
  ASSERT_TRUE(results_.Add(Output({fit, rms})));
  ASSERT_EQ(results_.Fits().size(), 1u);
  EXPECT_EQ(results_.Fits()[0], "BM_Build: O(N), 25 us per N, RMS 4%");
}

TEST_F(TargetsTest, EveryTargetIsJudgedAndNoneDefaultsToPass) {
  const std::vector<TargetResult> none = Evaluate(results_);
  ASSERT_FALSE(none.empty());
  for (const TargetResult& line : none) EXPECT_EQ(line.verdict, Verdict::kNotMeasured) << line.target;
  for (std::size_t i = 1; i < none.size(); ++i) EXPECT_LE(none[i - 1].target.front(), none[i].target.front());

  ASSERT_TRUE(
      results_.Add(Output({Iteration("BM_NotifiedChange", 80.0, 0.0), Iteration("BM_QtNotifiedChange", 100.0, 0.0)})));
  int passed = 0;
  for (const TargetResult& line : Evaluate(results_)) passed += line.verdict == Verdict::kPass ? 1 : 0;
  EXPECT_EQ(passed, 2);  // the ratio and the allocation count of the notified change
}

}  // namespace
}  // namespace qenbench
