// The panel's actions on the sample panel and on small panels of their own: edits with their dependent changes,
// refusals that change nothing, all-or-nothing assignments, resets and buttons, and undoing and redoing an
// action exactly from what it reported.
#include "qenproperties/host/panel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "qenproperties/host/kinds.h"
#include "qenproperties/host/panel_testing.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

using test::Build;
using test::Values;

std::string After(const Panel::Outcome& outcome, const std::string& name) {
  for (const Panel::Change& c : outcome.changes) {
    if (c.name == name) return c.after;
  }
  return "(unchanged)";
}

class SamplePanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_ = Build(SamplePanelDescription());
    ASSERT_TRUE(panel_);
  }
  std::unique_ptr<Panel> panel_;
};

TEST_F(SamplePanelTest, ChoosingACodecCapsTheBitrateAndMovesTheContainer) {
  ASSERT_RESULT(kResultOk, panel_->Set("Bitrate", "45000").code);
  const Panel::Outcome outcome = panel_->Set("Codec", "AV1");
  ASSERT_RESULT(kResultOk, outcome.code);
  ASSERT_EQ(3u, outcome.changes.size());
  EXPECT_EQ("Codec", outcome.changes[0].name);
  EXPECT_FALSE(outcome.changes[0].dependent);
  EXPECT_TRUE(outcome.changes[1].dependent && outcome.changes[2].dependent);
  EXPECT_EQ("25000", After(outcome, "Bitrate"));
  EXPECT_EQ("WebM", After(outcome, "Container"));
  EXPECT_EQ("25000", ValueText(panel_->Find("Bitrate")));
  // MKV holds every codec, so going back to H.264 leaves it alone.
  ASSERT_RESULT(kResultOk, panel_->Set("Container", "MKV").code);
  EXPECT_EQ("(unchanged)", After(panel_->Set("Codec", "H.264"), "Container"));
  // Names are found in any letter case.
  EXPECT_EQ(panel_->Find("Bitrate"), panel_->Find("bitRATE"));
}

TEST_F(SamplePanelTest, RefusalsSayWhyAndLeaveEveryValue) {
  const std::vector<std::string> before = Values(*panel_);
  struct Case {
    const char* name;
    std::string value;
    ULONG code;
    const char* mentions;
  };
  const Case cases[] = {
      {"Bitrate", "60000", kResultChangeRefused, "the most Codec H.264 (50000) allows"},
      {"Container", "WebM", kResultChangeRefused, "VP9 or AV1"},
      {"Quality", "0", kResultOutOfRange, "from 1 to 100"},
      {"Quality", "abc", kResultInvalidArgument, "from 1 to 100"},
      {"Quality", "50abc", kResultInvalidArgument, "whole number"},
      {"Frame rate", "nan", kResultInvalidArgument, "decimal from 1.000 to 240.000"},
      {"Codec", "VP9 (1)", kResultInvalidArgument, "only the custom choice takes data"},
      {"Aspect ratio", "3:0", kResultInvalidArgument, "N:M"},
      {"Include audio", "maybe", kResultInvalidArgument, "true or false"},
      {"Title", std::string("a\0b", 3), kResultInvalidArgument, "NUL"},
      {"Nothing", "1", kResultInvalidArgument, "Nothing"},
      {"Estimate size", "1", kResultInvalidArgument, "button"},
  };
  for (const Case& c : cases) {
    const Panel::Outcome outcome = panel_->Set(c.name, c.value);
    EXPECT_RESULT(c.code, outcome.code) << c.name << "=" << c.value;
    EXPECT_TRUE(outcome.changes.empty());
    EXPECT_NE(std::string::npos, outcome.message.find(c.mentions)) << outcome.message;
    EXPECT_EQ(before, Values(*panel_)) << c.name << "=" << c.value;
  }
}

TEST_F(SamplePanelTest, WidthHeightAndRatioFollowEachOther) {
  EXPECT_EQ("720", After(panel_->Set("Width", "1280"), "Height"));
  EXPECT_EQ("960", After(panel_->Set("Aspect ratio", "4:3"), "Height"));
  EXPECT_EQ("1920", After(panel_->Set("Height", "1440"), "Width"));
  EXPECT_EQ("810", After(panel_->Set("Aspect ratio", "64:27"), "Height"));
  EXPECT_EQ("64:27", ValueText(panel_->Find("Aspect ratio")));
  // A dependent value outside its own range refuses the whole change.
  ASSERT_RESULT(kResultOk, panel_->Set("Aspect ratio", "1:1").code);
  const Panel::Outcome refused = panel_->Set("Width", "7680");
  EXPECT_RESULT(kResultOutOfRange, refused.code);
  EXPECT_NE(std::string::npos, refused.message.find("Height")) << refused.message;
  EXPECT_EQ("1920", ValueText(panel_->Find("Width")));
  EXPECT_EQ("1920", ValueText(panel_->Find("Height")));
}

TEST_F(SamplePanelTest, SeveralAssignmentsAreAllOrNothing) {
  const std::string before = panel_->SavePreset();
  const Panel::Outcome refused =
      panel_->Set({{"Quality", "50"}, {"Codec", "VP9"}, {"Title", "Trip"}, {"Bitrate", "99999999"}});
  EXPECT_RESULT(kResultOutOfRange, refused.code);
  EXPECT_TRUE(refused.changes.empty());
  EXPECT_NE(std::string::npos, refused.message.find("Bitrate=99999999")) << refused.message;
  EXPECT_NE(std::string::npos, refused.message.find("nothing was applied")) << refused.message;
  EXPECT_EQ(before, panel_->SavePreset()) << "the earlier assignments and their dependent changes are undone";

  const Panel::Outcome done = panel_->Set({{"Quality", "50"}, {"Codec", "VP9"}, {"Title", "Trip"}});
  ASSERT_RESULT(kResultOk, done.code);
  ASSERT_EQ(4u, done.changes.size());  // Quality, Codec, Container (dependent), Title
  EXPECT_EQ("Container", done.changes[2].name);
  EXPECT_TRUE(done.changes[2].dependent);
}

// What an action reports is enough to undo it and do it again, exactly, flags included.
TEST_F(SamplePanelTest, RestoringTheReportedChangesUndoesAndRedoesExactly) {
  ASSERT_RESULT(kResultOk, panel_->Set("Codec", "Custom (35000)").code);
  ASSERT_RESULT(kResultOk, panel_->Set("Bitrate", "30000").code);
  const std::string before = panel_->SavePreset();
  const Panel::Outcome action = panel_->Set("Codec", "AV1");
  ASSERT_RESULT(kResultOk, action.code);
  ASSERT_EQ(3u, action.changes.size());
  const std::string after = panel_->SavePreset();

  const Panel::Outcome undo = panel_->Restore(action.changes, true);
  ASSERT_RESULT(kResultOk, undo.code);
  EXPECT_EQ(before, panel_->SavePreset());
  EXPECT_EQ("Custom (35000)", ValueText(panel_->Find("Codec")));
  ASSERT_EQ(3u, undo.changes.size());
  EXPECT_EQ("Codec", undo.changes.back().name) << "undone last change first";

  ASSERT_RESULT(kResultOk, panel_->Restore(action.changes, false).code);
  EXPECT_EQ(after, panel_->SavePreset());

  Panel::Change stranger = action.changes.front();
  stranger.name = "Nothing";
  EXPECT_RESULT(kResultInvalidArgument, panel_->Restore({stranger}, true).code);
}

TEST_F(SamplePanelTest, ResetsAndButtons) {
  ASSERT_RESULT(kResultOk, panel_->Set("Codec", "VP9").code);
  ASSERT_RESULT(kResultOk, panel_->Set("Title", "Trip").code);
  const Panel::Outcome one = panel_->Reset("Codec");
  ASSERT_RESULT(kResultOk, one.code);
  EXPECT_EQ("H.264 (50000)", After(one, "Codec"));
  EXPECT_EQ("MP4", After(one, "Container")) << "a reset of one property goes through the rules";
  EXPECT_EQ(0u, FlagsOf(panel_->Find("Codec")) & kFlagValueSet) << "a default counts as not set";
  EXPECT_EQ("Trip", ValueText(panel_->Find("Title")));

  const Panel::Outcome estimate = panel_->Click("Estimate size");
  EXPECT_RESULT(kResultOk, estimate.code);
  double video = 0;
  double audio = 0;
  ASSERT_TRUE(NumberOf(panel_->Find("Bitrate"), &video));
  ASSERT_TRUE(NumberOf(panel_->Find("Audio bitrate"), &audio));
  char megabytes[32];
  std::snprintf(megabytes, sizeof(megabytes), "%.1f MB per minute", (video + audio) * 60 / 8 / 1000);
  EXPECT_NE(std::string::npos, estimate.message.find(megabytes)) << estimate.message;
  const Panel::Outcome restore = panel_->Click("Restore defaults");
  EXPECT_RESULT(kResultOk, restore.code);
  EXPECT_EQ("Untitled", After(restore, "Title"));
  EXPECT_RESULT(kResultInvalidArgument, panel_->Click("Title").code);
  EXPECT_TRUE(panel_->ResetAll().changes.empty());
  std::unique_ptr<Panel> fresh = Build(SamplePanelDescription());
  EXPECT_EQ(fresh->SavePreset(), panel_->SavePreset()) << "defaults are loaded exactly, flags included";
}

TEST_F(SamplePanelTest, LimitsAndDefaultsForAClient) {
  const Limits rate = panel_->LimitsAt(7);
  EXPECT_TRUE(rate.ranged);
  EXPECT_EQ(1, rate.min);
  EXPECT_EQ(240, rate.max);
  EXPECT_EQ(3, rate.decimals);
  EXPECT_EQ("30.000", panel_->DefaultAt(7));
  const Limits codec = panel_->LimitsAt(3);
  EXPECT_EQ((std::vector<std::string>{"H.264 (50000)", "H.265 (40000)", "VP9 (30000)", "AV1 (25000)", "Custom"}),
            codec.choices);
  EXPECT_EQ("Custom (N)", codec.custom);
  EXPECT_EQ("Video", panel_->GroupName(GroupIdOf(panel_->Find("Codec"))));
  EXPECT_EQ("", panel_->GroupName(GroupIdOf(panel_->Find("Video"))));
}

// A dependent change recorded in the iterator is what the limits are checked against: here Mode=Video would
// switch Light off, which a limit forbids while Flash is on.
TEST(PanelTest, LimitsSeeTheDependentChangesOfThePreview) {
  std::unique_ptr<Panel> panel = Build(R"({"properties": [
      {"name": "Mode", "kind": "enum", "id": 1, "choices": ["Photo", "Video"]},
      {"name": "Light", "kind": "bool", "id": 2, "default": true},
      {"name": "Flash", "kind": "bool", "id": 3, "default": true}],
    "rules": [{"when": "Mode", "is": ["Video"], "set": "Light", "to": "FALSE"},
              {"limit": "Flash", "is": ["TRUE"], "requires": "Light", "in": ["TRUE"]}]})");
  ASSERT_TRUE(panel);
  const Panel::Outcome refused = panel->Set("Mode", "Video");
  EXPECT_RESULT(kResultChangeRefused, refused.code);
  EXPECT_EQ("Photo", ValueText(panel->Find("Mode")));
  EXPECT_EQ("TRUE", ValueText(panel->Find("Light")));
  ASSERT_RESULT(kResultOk, panel->Set("Flash", "FALSE").code);
  EXPECT_EQ("FALSE", After(panel->Set("Mode", "Video"), "Light"));
}

// The library's long and float properties check no range with a bound of 0; the panel still holds it.
TEST(PanelTest, ADeclaredRangeWithZeroAsABoundHolds) {
  std::unique_ptr<Panel> panel = Build(R"({"properties": [
      {"name": "Quality", "kind": "long", "id": 1, "min": 0, "max": 100, "default": 5},
      {"name": "Gain", "kind": "float", "id": 2, "min": -2, "max": 0},
      {"name": "Level", "kind": "long", "id": 3, "max": 0, "signed": true, "default": -4}]})");
  ASSERT_TRUE(panel);
  EXPECT_RESULT(kResultOutOfRange, panel->Set("Quality", "4000000000").code);
  EXPECT_RESULT(kResultOutOfRange, panel->Set("Quality", "101").code);
  EXPECT_RESULT(kResultOk, panel->Set("Quality", "0").code);
  EXPECT_RESULT(kResultOutOfRange, panel->Set("Gain", "0.5").code);
  EXPECT_RESULT(kResultOk, panel->Set("Gain", "-2").code);
  EXPECT_RESULT(kResultOutOfRange, panel->Set("Level", "1").code);
  EXPECT_RESULT(kResultOk, panel->Set("Level", "-2147483648").code);
  EXPECT_EQ("0 to 100", panel->LimitsAt(0).text);
  // A document cannot bring a value outside it either.
  const std::string saved = panel->SavePreset();
  std::string hostile = saved;
  hostile.replace(hostile.find("\"value\": \"0\""), 12, "\"value\": \"200\"");
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(panel->LoadPreset(hostile, &report, &error)) << error.Describe("doc");
  EXPECT_EQ(PresetOutcome::kRefused, report.entries[0].outcome);
  EXPECT_EQ("0", ValueText(panel->Find("Quality")));
}

TEST(PanelTest, ACapLowersTheCappedNumberAndRefusesOneAboveIt) {
  std::unique_ptr<Panel> panel = Build(R"({"properties": [
      {"name": "Lens", "kind": "ex-enum", "id": 1,
       "choices": [{"text": "Wide", "id": 1, "data": 30}, {"text": "Tele", "id": 2, "data": 10}],
       "custom": {"text": "Own", "id": 9, "data": 5}},
      {"name": "Shutter", "kind": "long", "id": 2, "min": 1, "max": 60, "default": 20}],
    "rules": [{"when": "Lens", "cap": "Shutter"}]})");
  ASSERT_TRUE(panel);
  EXPECT_EQ("10", After(panel->Set("Lens", "Tele"), "Shutter"));
  EXPECT_RESULT(kResultChangeRefused, panel->Set("Shutter", "11").code);
  EXPECT_EQ("3", After(panel->Set("Lens", "Own (3)"), "Shutter"));
  // A cap below the capped number's own range refuses the edit instead.
  const Panel::Outcome refused = panel->Set("Lens", "Own (0)");
  EXPECT_RESULT(kResultOutOfRange, refused.code);
  EXPECT_EQ("Own (3)", ValueText(panel->Find("Lens")));
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
