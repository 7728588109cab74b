#include "qenproperties/host/panel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "qenproperties/host/property_text.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

std::unique_ptr<Panel> Build(const std::string& text) {
  DocumentError error;
  std::unique_ptr<Panel> panel = Panel::FromJson(text, &error);
  EXPECT_TRUE(panel) << error.Describe("panel");
  return panel;
}

std::vector<std::string> Values(const Panel& panel) {
  std::vector<std::string> values;
  for (std::size_t i = 0; i < panel.Count(); ++i) values.push_back(ValueText(panel.At(i)));
  return values;
}

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
  EXPECT_EQ("25000", After(outcome, "Bitrate"));
  EXPECT_EQ("WebM", After(outcome, "Container"));
  EXPECT_EQ("25000", ValueText(panel_->Find("Bitrate")));
  // MKV holds every codec, so going back to H.264 leaves it alone.
  ASSERT_RESULT(kResultOk, panel_->Set("Container", "MKV").code);
  EXPECT_EQ("(unchanged)", After(panel_->Set("Codec", "H.264"), "Container"));
}

TEST_F(SamplePanelTest, RefusalsNameTheLimitAndLeaveEveryValue) {
  const std::vector<std::string> before = Values(*panel_);
  struct Case {
    const char* name;
    const char* value;
    ULONG code;
    const char* mentions;
  };
  const Case cases[] = {
      {"Bitrate", "60000", kResultChangeRefused, "H.264"},
      {"Container", "WebM", kResultChangeRefused, "VP9 or AV1"},
      {"Quality", "0", kResultOutOfRange, "1 to 100"},
      {"Codec", "VP9 (1)", kResultInvalidArgument, "Custom"},  // only the custom entry takes data
      {"Aspect ratio", "3:0", kResultInvalidArgument, "N:M"},
      {"Include audio", "maybe", kResultInvalidArgument, "TRUE | FALSE"},
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

TEST_F(SamplePanelTest, ResetsAndButtons) {
  ASSERT_RESULT(kResultOk, panel_->Set("Codec", "VP9").code);
  ASSERT_RESULT(kResultOk, panel_->Set("Title", "Trip").code);
  const Panel::Outcome one = panel_->Reset("Codec");
  ASSERT_RESULT(kResultOk, one.code);
  EXPECT_EQ("H.264 (50000)", After(one, "Codec"));
  EXPECT_EQ("MP4", After(one, "Container")) << "a reset of one property goes through the rules";
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
  EXPECT_TRUE(panel_->ResetAll().empty());
  EXPECT_EQ(Values(*Build(SamplePanelDescription())), Values(*panel_));
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

TEST(PanelTest, DescriptionErrorsPointAtTheirPlace) {
  struct Case {
    const char* text;
    const char* pointer;
    std::size_t line;
  };
  const Case cases[] = {
      {"{\"properties\": [\n{\"name\": \"A\", \"kind\": \"bool\", \"id\": 1},\n]}", "", 3},
      {"{}", "/properties", 0},
      {R"({"properties": [{"name": "A", "kind": "bool"}]})", "/properties/0", 0},
      {R"({"properties": [{"name": "A", "kind": "bool", "id": 1}, {"name": "B", "kind": "bool", "id": 1}]})",
       "/properties/1/id", 0},
      {R"({"properties": [{"name": "A", "kind": "bool", "id": 1}, {"name": "a", "kind": "bool", "id": 2}]})",
       "/properties/1/name", 0},
      {R"({"properties": [{"name": "A", "kind": "bool", "id": 1, "group": "G"}]})", "/properties/0/group", 0},
      {R"({"properties": [{"name": "A", "kind": "enum", "id": 1, "choices": ["x"], "default": "y"}]})",
       "/properties/0/default", 0},
      {R"({"properties": [{"name": "A", "kind": "long", "id": 1, "min": 1, "max": 9, "default": 10}]})",
       "/properties/0/default", 0},
      {R"({"properties": [{"name": "A", "kind": "ex-enum", "id": 1, "choices": [{"text": "x"}]}]})",
       "/properties/0/choices/0/data", 0},
      {R"({"properties": [{"name": "A", "kind": "bool", "id": 1}], "rules": [{"when": "A", "cap": "B"}]})",
       "/rules/0/cap", 0},
      {R"({"properties": [{"name": "A", "kind": "bool", "id": 1}], "rules": [{"when": "A"}]})", "/rules/0", 0},
      {"{\"properties\":\n [1e400]}", "", 2},  // a number beyond a double
      {R"({"properties": [{"name": "A", "kind": "float", "id": 1, "decimals": -3}]})", "/properties/0/decimals", 0},
      {R"({"properties": [{"name": "A", "kind": "long", "id": 1, "min": -1e300}]})", "/properties/0/min", 0},
  };
  for (const Case& c : cases) {
    DocumentError error;
    EXPECT_FALSE(Panel::FromJson(c.text, &error)) << c.text;
    EXPECT_EQ(c.pointer, error.pointer) << c.text << ": " << error.message;
    EXPECT_EQ(c.line, error.line) << c.text;
    EXPECT_FALSE(error.message.empty());
  }
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
