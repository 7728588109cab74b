// Undo and redo of a panel's actions: one step per action with its dependent changes, exact restores, and the
// redo list cleared by a new action.
#include "qenproperties/host/panel.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/panel_testing.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

using test::Values;

// State is what "exactly" means: the saved document holds every value's preset text and flags.
std::string State(const Panel& panel) { return panel.SavePreset(); }

class PanelHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_ = test::Build(SamplePanelDescription());
    ASSERT_TRUE(panel_);
  }
  std::string Value(const std::string& name) const { return ValueText(panel_->Find(name)); }
  std::unique_ptr<Panel> panel_;
};

TEST_F(PanelHistoryTest, UndoPutsBackADependentChangeExactlyAndRedoAppliesItAgain) {
  const std::string start = State(*panel_);
  ASSERT_RESULT(kResultOk, panel_->Set("Bitrate", "45000").code);
  const std::string middle = State(*panel_);
  ASSERT_RESULT(kResultOk, panel_->Set("Codec", "AV1").code);  // caps Bitrate, moves Container
  const std::string end = State(*panel_);
  ASSERT_EQ("25000", Value("Bitrate"));
  EXPECT_EQ(2u, panel_->UndoDepth());

  const Panel::Outcome undo = panel_->Undo();
  ASSERT_RESULT(kResultOk, undo.code);
  EXPECT_EQ(3u, undo.changes.size());  // Codec, Bitrate and Container come back together
  EXPECT_EQ(middle, State(*panel_));
  EXPECT_EQ("45000", Value("Bitrate"));
  EXPECT_EQ(1u, panel_->UndoDepth());
  EXPECT_EQ(1u, panel_->RedoDepth());

  ASSERT_RESULT(kResultOk, panel_->Redo().code);
  EXPECT_EQ(end, State(*panel_));
  ASSERT_RESULT(kResultOk, panel_->Undo().code);
  ASSERT_RESULT(kResultOk, panel_->Undo().code);
  EXPECT_EQ(start, State(*panel_));
  const Panel::Outcome none = panel_->Undo();
  EXPECT_RESULT(kResultNotAvailable, none.code);
  EXPECT_EQ("there is nothing to undo", none.message);
  EXPECT_EQ(start, State(*panel_));
}

TEST_F(PanelHistoryTest, ANewActionClearsWhatCouldBeRedone) {
  ASSERT_RESULT(kResultOk, panel_->Set("Quality", "50").code);
  ASSERT_RESULT(kResultOk, panel_->Set("Quality", "60").code);
  ASSERT_RESULT(kResultOk, panel_->Undo().code);
  EXPECT_EQ(1u, panel_->RedoDepth());
  // Refused actions and actions that move nothing are no steps and keep the redo list.
  EXPECT_NE(kResultOk, panel_->Set("Quality", "500").code);
  ASSERT_RESULT(kResultOk, panel_->Click("Estimate size").code);
  EXPECT_EQ(1u, panel_->RedoDepth());
  ASSERT_RESULT(kResultOk, panel_->Set("Width", "1280").code);
  EXPECT_EQ(0u, panel_->RedoDepth());
  EXPECT_RESULT(kResultNotAvailable, panel_->Redo().code);
  EXPECT_EQ("50", Value("Quality"));
}

TEST_F(PanelHistoryTest, EachKindOfActionIsOneStep) {
  const std::vector<std::string> start = Values(*panel_);
  ASSERT_RESULT(kResultOk, panel_->Set({{"Width", "1280"}, {"Codec", "VP9"}, {"Quality", "20"}}).code);
  EXPECT_EQ(1u, panel_->UndoDepth());
  // A refused batch puts its earlier assignments back and adds no step.
  EXPECT_NE(kResultOk, panel_->Set({{"Title", "x"}, {"Bitrate", "99000"}}).code);
  EXPECT_EQ(1u, panel_->UndoDepth());
  ASSERT_RESULT(kResultOk, panel_->Reset("Quality").code);
  ASSERT_RESULT(kResultOk, panel_->Click("Restore defaults").code);
  EXPECT_EQ(3u, panel_->UndoDepth());
  EXPECT_EQ(start, Values(*panel_));
  ASSERT_RESULT(kResultOk, panel_->Undo().code);  // before "Restore defaults"
  EXPECT_EQ("1280", Value("Width"));
  EXPECT_EQ("720", Value("Height"));
  ASSERT_RESULT(kResultOk, panel_->Undo().code);  // before the reset of Quality
  EXPECT_EQ("20", Value("Quality"));
  ASSERT_RESULT(kResultOk, panel_->Undo().code);  // before the batch
  EXPECT_EQ(start, Values(*panel_));

  ASSERT_RESULT(kResultOk, panel_->Set("Title", "Edited").code);
  ASSERT_RESULT(kResultOk, panel_->ResetAll().code);
  ASSERT_RESULT(kResultOk, panel_->Undo().code);
  EXPECT_EQ("Edited", Value("Title"));
}

TEST_F(PanelHistoryTest, ALoadIsOneStepAndClearHistoryForgetsEverything) {
  ASSERT_RESULT(kResultOk, panel_->Set({{"Codec", "H.265"}, {"Title", "Saved"}}).code);
  const std::string saved = State(*panel_);
  ASSERT_RESULT(kResultOk, panel_->ResetAll().code);
  const std::string reset = State(*panel_);
  PresetLoadReport report;
  DocumentError error;
  ASSERT_TRUE(panel_->LoadPreset(saved, &report, &error)) << error.message;
  EXPECT_EQ(saved, State(*panel_));
  EXPECT_EQ(3u, panel_->UndoDepth());
  ASSERT_RESULT(kResultOk, panel_->Undo().code);
  EXPECT_EQ(reset, State(*panel_));
  // A document that is no document changes nothing and is no step.
  EXPECT_FALSE(panel_->LoadPreset("{", &report, &error));
  EXPECT_EQ(2u, panel_->UndoDepth());
  panel_->ClearHistory();
  EXPECT_EQ(0u, panel_->UndoDepth());
  EXPECT_EQ(0u, panel_->RedoDepth());
  EXPECT_RESULT(kResultNotAvailable, panel_->Undo().code);
}

// A random walk of edits, then every step undone, then every step redone: the panel passes back through every
// state it reached, exactly.
TEST_F(PanelHistoryTest, UndoingEveryStepRetracesEveryStateExactly) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> edits = {
      {"Codec", {"H.264", "H.265", "VP9", "AV1", "Custom (18000)", "Custom (21000)"}},
      {"Container", {"MP4", "MKV", "WebM"}},
      {"Bitrate", {"800", "12000", "24000", "26000", "45000"}},
      {"Aspect ratio", {"16:9", "4:3", "21:9", "3:2", "7:5"}},
      {"Width", {"640", "1280", "1921", "3840"}},
      {"Height", {"480", "1081", "2160"}},
      {"Frame rate", {"23.976", "29.97", "60", "120.5"}},
      {"Include audio", {"true", "false"}},
      {"Audio", {"expanded", "collapsed"}},
      {"Title", {"", "A", "Ünïcode", "x y z"}}};
  std::mt19937 random(20261206);
  std::vector<std::string> states = {State(*panel_)};
  for (int k = 0; k < 300; ++k) {
    const auto& edit = edits[random() % edits.size()];
    const Panel::Outcome outcome = panel_->Set(edit.first, edit.second[random() % edit.second.size()]);
    if (outcome.code == kResultOk && State(*panel_) != states.back()) states.push_back(State(*panel_));
  }
  ASSERT_EQ(states.size() - 1, panel_->UndoDepth());
  for (std::size_t k = states.size() - 1; k > 0; --k) {
    ASSERT_RESULT(kResultOk, panel_->Undo().code);
    ASSERT_EQ(states[k - 1], State(*panel_)) << "after undoing step " << k;
  }
  for (std::size_t k = 1; k < states.size(); ++k) {
    ASSERT_RESULT(kResultOk, panel_->Redo().code);
    ASSERT_EQ(states[k], State(*panel_)) << "after redoing step " << k;
  }
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
