// A panel's preset documents: a load gives back exactly the values that were saved and runs no rule, the limits
// still hold (mended by a cap, or the entry refused), entries of other properties survive every save, and, over
// random reachable states of the sample panel and of random panels, save, load, save is the same text.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "qenproperties/host/kinds.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/panel_testing.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/host/text.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

using test::Build;
using test::Values;

const PresetEntryReport& Line(const PresetLoadReport& report, const std::string& name) {
  for (const PresetEntryReport& e : report.entries) {
    if (e.name == name) return e;
  }
  static const PresetEntryReport kNone;
  ADD_FAILURE() << "no report line for " << name;
  return kNone;
}

// Copy loads `text` into a fresh panel of `description`; the load must be complete.
std::unique_ptr<Panel> Copy(const std::string& description, const std::string& text) {
  std::unique_ptr<Panel> panel = Build(description);
  PresetLoadReport report;
  DocumentError error;
  EXPECT_TRUE(panel->LoadPreset(text, &report, &error)) << error.Describe("doc");
  EXPECT_TRUE(report.Complete());
  EXPECT_EQ(0u, report.Count(PresetOutcome::kMissing));
  return panel;
}

class SamplePresetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_ = Build(SamplePanelDescription());
    ASSERT_TRUE(panel_);
  }
  // Load loads `text`, which must be a document, into the panel.
  PresetLoadReport Load(const std::string& text) {
    PresetLoadReport report;
    DocumentError error;
    EXPECT_TRUE(panel_->LoadPreset(text, &report, &error)) << error.Describe("doc");
    return report;
  }
  std::unique_ptr<Panel> panel_;
};

// A width set by the user keeps the height the rule gave it, and both load back as they were: the rule that
// would turn that height into another width acts on edits, not on loads.
TEST_F(SamplePresetTest, ALoadGivesBackExactlyWhatWasSaved) {
  const Panel::Outcome outcome = panel_->Set("Width", "1001");
  ASSERT_RESULT(kResultOk, outcome.code);
  ASSERT_EQ("564", ValueText(panel_->Find("Height")));
  const std::string saved = panel_->SavePreset();
  std::unique_ptr<Panel> copy = Copy(SamplePanelDescription(), saved);
  EXPECT_EQ("1001", ValueText(copy->Find("Width")));
  EXPECT_EQ("564", ValueText(copy->Find("Height")));
  EXPECT_EQ(Values(*panel_), Values(*copy));
  EXPECT_EQ(saved, copy->SavePreset());
}

TEST_F(SamplePresetTest, NoRuleActsOnALoadButTheLimitsHold) {
  // Reachable by edits: AV1 moves the container to WebM, the user then picks MP4, which AV1 allows.
  ASSERT_RESULT(kResultOk, panel_->Set("Codec", "AV1").code);
  ASSERT_RESULT(kResultOk, panel_->Set("Container", "MP4").code);
  const std::string av1InMp4 = panel_->SavePreset();
  panel_->ResetAll();
  PresetLoadReport report = Load(av1InMp4);
  EXPECT_TRUE(report.Complete());
  EXPECT_EQ("MP4", ValueText(panel_->Find("Container"))) << "the codec's rule does not move the container";
  EXPECT_EQ("16000", ValueText(panel_->Find("Bitrate")));

  // A bitrate above what the loaded codec allows is lowered to it, and the report says so.
  std::string text = av1InMp4;
  text.replace(text.find("\"value\": \"16000\""), 17, "\"value\": \"40000\"");
  report = Load(text);
  EXPECT_FALSE(report.Complete());
  const PresetEntryReport& bitrate = Line(report, "Bitrate");
  EXPECT_EQ(PresetOutcome::kAdjusted, bitrate.outcome);
  EXPECT_NE(std::string::npos, bitrate.reason.find("lowered to 25000")) << bitrate.reason;
  EXPECT_EQ("25000", ValueText(panel_->Find("Bitrate")));

  // WebM with H.264 breaks a limit no rule can mend: the container is refused and keeps its value.
  panel_->ResetAll();
  ASSERT_RESULT(kResultOk, panel_->Set("Container", "MKV").code);
  std::unique_ptr<Panel> webm = Build(SamplePanelDescription());
  ASSERT_RESULT(kResultOk, webm->Set("Codec", "VP9").code);
  text = webm->SavePreset();  // VP9 in WebM; its codec entry becomes the H.264 record below
  const std::string h264 = Build(SamplePanelDescription())->SavePreset();
  const std::size_t codec = h264.find("\"name\": \"Codec\"");
  const std::size_t codecValue = h264.find("\"value\": ", codec);
  const std::string h264Record = h264.substr(codecValue, h264.find('\n', codecValue) - codecValue);
  const std::size_t vp9At = text.find("\"value\": ", text.find("\"name\": \"Codec\""));
  text.replace(vp9At, text.find('\n', vp9At) - vp9At, h264Record);
  report = Load(text);
  const PresetEntryReport& container = Line(report, "Container");
  EXPECT_EQ(PresetOutcome::kRefused, container.outcome);
  EXPECT_RESULT(kResultChangeRefused, container.code);
  EXPECT_NE(std::string::npos, container.reason.find("VP9 or AV1")) << container.reason;
  EXPECT_EQ("MKV", ValueText(panel_->Find("Container")));
  EXPECT_EQ("H.264 (50000)", ValueText(panel_->Find("Codec")));
}

TEST_F(SamplePresetTest, EntriesOfOtherPropertiesSurviveEverySave) {
  std::string text = panel_->SavePreset();
  text.insert(text.rfind("\n  ]"), ",\n    {\"name\": \"Sharpness\", \"id\": 150, \"type\": 3, \"value\": \"7\"}");
  PresetLoadReport report = Load(text);
  EXPECT_TRUE(report.Complete());
  EXPECT_EQ(PresetOutcome::kUnknownId, Line(report, "Sharpness").outcome);
  ASSERT_RESULT(kResultOk, panel_->Set("Quality", "55").code);
  const std::string saved = panel_->SavePreset();
  EXPECT_NE(std::string::npos, saved.find("\"name\": \"Sharpness\"")) << saved;
  EXPECT_EQ(saved, Copy(SamplePanelDescription(), saved)->SavePreset()) << "and it is carried on from there";
  // A document without it replaces what the panel held.
  Load(Build(SamplePanelDescription())->SavePreset());
  EXPECT_EQ(std::string::npos, panel_->SavePreset().find("Sharpness"));
}

TEST_F(SamplePresetTest, ADocumentThatIsNoneChangesNothing) {
  ASSERT_RESULT(kResultOk, panel_->Set("Quality", "55").code);
  const std::string before = panel_->SavePreset();
  PresetLoadReport report;
  DocumentError error;
  std::string duplicate = before;
  duplicate.replace(duplicate.find("\"id\": 203"), 9, "\"id\": 202");
  EXPECT_FALSE(panel_->LoadPreset(duplicate, &report, &error));
  EXPECT_NE(std::string::npos, error.pointer.find("/id")) << error.pointer;
  EXPECT_FALSE(panel_->LoadPreset("{\"format\": \"qenprops-preset\", \"entries\": [", &report, &error));
  EXPECT_EQ(before, panel_->SavePreset());
}

// ---- random reachable states --------------------------------------------------------------------------------

// RandomValue picks a value text for the property at `index`: mostly one it takes (a choice, a custom form, a
// number in its range, a text), sometimes one it refuses.
std::string RandomValue(const Panel& panel, std::size_t index, std::mt19937& random) {
  const Limits limits = panel.LimitsAt(index);
  const std::string kind = KindOf(panel.At(index)).name;
  auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
  if (pick(10) == 0) return std::vector<std::string>{"", "x", "-", "1e999", "999999999999"}[pick(5)];
  if (!limits.custom.empty() && pick(3) == 0) {
    const std::string n = std::to_string(1 + pick(kind == "ratio" ? 64 : 60000));
    if (kind == "ratio") return n + ":" + std::to_string(1 + pick(64));
    return limits.custom.substr(0, limits.custom.size() - 2) + n + ")";
  }
  if (!limits.choices.empty()) return limits.choices[pick(limits.choices.size())];
  if (limits.ranged) {
    const double span = limits.max - limits.min;
    const double value = limits.min + span * (random() % 1001) / 1000.0;
    if (limits.decimals >= 0) return std::to_string(value);
    return std::to_string(static_cast<long long>(value));
  }
  if (kind == "text") {
    const char* texts[] = {"", "Trip", "Ferien \xC3\xA9t\xC3\xA9", "a \"quoted\"\ttab\\", "\xF0\x9F\x8E\xAC clap", "0"};
    return texts[pick(6)];
  }
  return "x";
}

// Walk makes `steps` random edits (some of them several assignments at once, some resets and clicks); each is
// either done or refused, so the panel only ever holds states its user could reach.
void Walk(Panel& panel, int steps, std::mt19937& random) {
  for (int step = 0; step < steps; ++step) {
    const std::size_t index = random() % panel.Count();
    const std::string name = NameOf(panel.At(index));
    switch (random() % 10) {
      case 0: panel.Reset(name); break;
      case 1: panel.Click(name); break;
      case 2: {
        const std::size_t other = random() % panel.Count();
        panel.Set(std::vector<Panel::Assignment>{{name, RandomValue(panel, index, random)},
                                                 {NameOf(panel.At(other)), RandomValue(panel, other, random)}});
        break;
      }
      default: panel.Set(name, RandomValue(panel, index, random));
    }
  }
}

void ExpectExactRoundTrip(const std::string& description, const Panel& panel) {
  const std::string saved = panel.SavePreset();
  std::unique_ptr<Panel> copy = Copy(description, saved);
  ASSERT_TRUE(copy);
  EXPECT_EQ(Values(panel), Values(*copy));
  for (std::size_t i = 0; i < panel.Count(); ++i) EXPECT_EQ(FlagsOf(panel.At(i)), FlagsOf(copy->At(i)));
  ASSERT_EQ(saved, copy->SavePreset()) << description;
}

TEST(PanelPresetRoundTrip, RandomStatesOfTheSamplePanel) {
  std::mt19937 random(1234);
  const std::string description = SamplePanelDescription();
  for (int state = 0; state < 150; ++state) {
    std::unique_ptr<Panel> panel = Build(description);
    Walk(*panel, 1 + state % 25, random);
    ExpectExactRoundTrip(description, *panel);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

// RandomDescription makes a panel of every kind with random ranges, choices, IDs and defaults.
std::string RandomDescription(std::mt19937& random) {
  auto pick = [&random](long long lo, long long hi) {
    return lo + static_cast<long long>(random() % static_cast<unsigned long long>(hi - lo + 1));
  };
  std::string properties;
  const int count = static_cast<int>(pick(1, 12));
  std::vector<std::string> numbers;
  for (int i = 0; i < count; ++i) {
    const std::string name = "P" + std::to_string(i);
    std::string p = "{\"name\": \"" + name + "\", \"id\": " + std::to_string(pick(1, 3) * 1000 + i) + ", ";
    switch (pick(0, 9)) {
      case 0: {
        const bool isSigned = pick(0, 1) == 1;
        const long long lo = isSigned ? pick(-100000, 0) : pick(0, 3) == 0 ? 0 : pick(0, 100000);
        const long long hi = lo + pick(0, 4000000);
        p += "\"kind\": \"long\", \"signed\": " + std::string(isSigned ? "true" : "false");
        if (pick(0, 3) != 0) p += ", \"min\": " + std::to_string(lo) + ", \"max\": " + std::to_string(hi);
        numbers.push_back(name);
        break;
      }
      case 1: {
        const long long lo = pick(-5000, 5000);
        p += "\"kind\": \"float\", \"decimals\": " + std::to_string(pick(2, 6)) + ", \"min\": " + std::to_string(lo) +
             ".25, \"max\": " + std::to_string(lo + pick(1, 9000)) + ".5";
        numbers.push_back(name);
        break;
      }
      case 2: p += "\"kind\": \"bool\", \"default\": " + std::string(pick(0, 1) ? "true" : "false"); break;
      case 3: p += "\"kind\": \"text\", \"default\": \"d" + std::to_string(i) + "\""; break;
      case 4: p += "\"kind\": \"group\", \"default\": \"collapsed\""; break;
      case 5: {
        p += "\"kind\": \"enum\", \"choices\": [";
        const int n = static_cast<int>(pick(1, 5));
        for (int k = 0; k < n; ++k) {
          p += (k ? ", " : "") + std::string("{\"text\": \"C") + std::to_string(k) +
               "\", \"id\": " + std::to_string(k * 7 + pick(0, 6)) + "}";
        }
        p += "]";
        break;
      }
      case 6: {
        p += "\"kind\": \"enum-long\", \"choices\": [";
        const int n = static_cast<int>(pick(1, 5));
        for (int k = 0; k < n; ++k) p += (k ? ", " : "") + std::to_string(k * 1000 + pick(0, 999));
        p += "]";
        numbers.push_back(name);
        break;
      }
      case 7: {
        p += "\"kind\": \"ex-enum\", \"choices\": [";
        const int n = static_cast<int>(pick(1, 4));
        for (int k = 0; k < n; ++k) {
          p += (k ? ", " : "") + std::string("{\"text\": \"X") + std::to_string(k) +
               "\", \"id\": " + std::to_string(k + 1) + ", \"data\": " + std::to_string(pick(-1000000, 1000000)) + "}";
        }
        p += "]";
        if (pick(0, 1)) p += ", \"custom\": {\"text\": \"Own\", \"id\": 99, \"data\": 7}";
        numbers.push_back(name);
        break;
      }
      case 8: {
        p += "\"kind\": \"ratio\", \"choices\": [";
        const int n = static_cast<int>(pick(1, 4));
        for (int k = 0; k < n; ++k) {
          p += (k ? ", " : "") + std::string("\"") + std::to_string(k + 1) + ":" + std::to_string(pick(1, 9)) + "\"";
        }
        p += "]";
        if (pick(0, 1)) p += ", \"custom\": {\"text\": \"Own\", \"id\": 99}";
        break;
      }
      default: p += "\"kind\": \"button\", \"action\": \"" + std::string(pick(0, 1) ? "reset" : "estimate") + "\"";
    }
    properties += (i ? ",\n " : "") + p + "}";
  }
  return "{\"title\": \"Random\", \"version\": \"" + std::to_string(pick(1, 9)) + "\", \"properties\": [" + properties +
         "]}";
}

TEST(PanelPresetRoundTrip, RandomStatesOfRandomPanels) {
  std::mt19937 random(98765);
  for (int round = 0; round < 120; ++round) {
    const std::string description = RandomDescription(random);
    std::unique_ptr<Panel> panel = Build(description);
    ASSERT_TRUE(panel);
    Walk(*panel, static_cast<int>(random() % 30), random);
    ExpectExactRoundTrip(description, *panel);
    if (::testing::Test::HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
