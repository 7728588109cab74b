#include "qenproperties/server/internal/panel_adapter.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "qenproperties/frame/result_codes.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace server {
namespace detail {
namespace {

std::map<std::string, std::string> Values(const PanelAdapter& adapter) {
  std::map<std::string, std::string> values;
  for (const Json& p : adapter.Properties()) values[p["name"]] = p.value("value", "");
  return values;
}

class PanelAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::DocumentError error;
    auto panel = host::Panel::FromJson(host::SamplePanelDescription(), &error);
    ASSERT_TRUE(panel) << error.message;
    adapter_ = std::make_unique<PanelAdapter>(std::move(panel));
  }

  std::unique_ptr<PanelAdapter> adapter_;
};

TEST_F(PanelAdapterTest, DescribesEachKindWithWhatAControlNeeds) {
  const Json bitrate = adapter_->Property("Bitrate");
  EXPECT_EQ("long", bitrate["kind"]);
  EXPECT_EQ(true, bitrate["limits"]["ranged"]);
  EXPECT_EQ(500, bitrate["limits"]["min"]);
  EXPECT_EQ(100000, bitrate["limits"]["max"]);
  EXPECT_EQ("500 to 100000", bitrate["limits"]["text"]);
  EXPECT_EQ("Video", bitrate["group"]);
  EXPECT_EQ("Video bitrate in kbit/s", bitrate["description"]);
  EXPECT_EQ("16000", bitrate["default"]);

  const Json rate = adapter_->Property("Frame rate");
  EXPECT_EQ(3, rate["limits"]["decimals"]);
  EXPECT_EQ("30.000", rate["value"]);

  // Choices are value texts, so a page selects the value itself; the custom entry comes apart.
  const Json codec = adapter_->Property("Codec");
  EXPECT_EQ("ex-enum", codec["kind"]);
  EXPECT_EQ("H.264 (50000)", codec["value"]);
  EXPECT_EQ((Json{"H.264 (50000)", "H.265 (40000)", "VP9 (30000)", "AV1 (25000)"}), codec["limits"]["choices"]);
  EXPECT_EQ((Json{{"label", "Custom"}, {"form", "Custom (N)"}}), codec["limits"]["custom"]);

  const Json ratio = adapter_->Property("Aspect ratio");
  EXPECT_EQ((Json{"16:9", "4:3", "21:9", "1:1"}), ratio["limits"]["choices"]);
  EXPECT_EQ("N:M", ratio["limits"]["custom"]["form"]);

  EXPECT_EQ((Json{"1", "12", "24", "48", "60", "120", "250"}),
            adapter_->Property("Keyframe interval")["limits"]["choices"]);
  EXPECT_EQ((Json{"MP4", "MKV", "WebM"}), adapter_->Property("Container")["limits"]["choices"]);
  EXPECT_FALSE(adapter_->Property("Container")["limits"].contains("custom"));
  EXPECT_EQ("expanded", adapter_->Property("Audio")["value"]);
  EXPECT_FALSE(adapter_->Property("Estimate size").contains("value"));
  EXPECT_TRUE(adapter_->Property("No such").is_null());
  // Vault order, every property once.
  const Json all = adapter_->Properties();
  ASSERT_EQ(17u, all.size());
  EXPECT_EQ("Output", all[0]["name"]);
  EXPECT_EQ("Restore defaults", all[16]["name"]);
}

TEST_F(PanelAdapterTest, ABatchIsAllOrNothing) {
  const auto before = Values(*adapter_);
  // The third assignment breaks the codec's cap: the first two are rolled back with their dependents.
  const ActionResult result =
      adapter_->Set({{"Width", "1280"}, {"Codec", "VP9"}, {"Bitrate", "35000"}, {"Quality", "10"}});
  ASSERT_EQ(ActionStatus::kRefused, result.status);
  EXPECT_RESULT(kResultChangeRefused, result.code);
  EXPECT_EQ("Bitrate", result.name);
  EXPECT_EQ(2u, result.index);
  EXPECT_NE(std::string::npos, result.message.find("30000")) << result.message;
  EXPECT_TRUE(result.changes.empty());
  EXPECT_EQ(before, Values(*adapter_));
  EXPECT_EQ(0u, adapter_->UndoDepth());

  // An unknown name is found before anything is touched.
  const ActionResult unknown = adapter_->Set({{"Width", "1280"}, {"Colour", "red"}});
  EXPECT_EQ(ActionStatus::kUnknownName, unknown.status);
  EXPECT_EQ("Colour", unknown.name);
  EXPECT_EQ(1u, unknown.index);
  EXPECT_EQ(before, Values(*adapter_));
}

TEST_F(PanelAdapterTest, ActionsThatMoveNothingAddNoUndoStep) {
  // Setting a value it already has marks it as set by the user: a step, undone exactly; a second time is none.
  ASSERT_EQ(ActionStatus::kApplied, adapter_->Set({{"Quality", "80"}}).status);
  ASSERT_EQ(1u, adapter_->UndoDepth());
  ASSERT_EQ(ActionStatus::kApplied, adapter_->Set({{"Quality", "80"}}).status);
  ASSERT_EQ(1u, adapter_->UndoDepth());
  ASSERT_EQ(ActionStatus::kApplied, adapter_->Undo().status);
  const ActionResult click = adapter_->Click("Estimate size");
  ASSERT_EQ(ActionStatus::kApplied, click.status);
  EXPECT_NE(std::string::npos, click.message.find("MB per minute")) << click.message;
  EXPECT_EQ(0u, adapter_->UndoDepth());
}

TEST_F(PanelAdapterTest, APresetLoadsBackWhatWasSavedAsOneStep) {
  ASSERT_EQ(ActionStatus::kApplied, adapter_->Set({{"Codec", "VP9"}, {"Title", "Holiday"}}).status);
  const auto saved = Values(*adapter_);
  const std::string document = adapter_->SavePreset();
  ASSERT_EQ(ActionStatus::kApplied, adapter_->Reset("").status);
  const std::size_t depth = adapter_->UndoDepth();

  const PresetLoad load = adapter_->LoadPreset(document, true);
  ASSERT_TRUE(load.read) << load.error;
  EXPECT_EQ(saved, Values(*adapter_));
  EXPECT_EQ(0, load.report["refused"]);
  EXPECT_FALSE(load.changes.empty());
  EXPECT_EQ(depth + 1, adapter_->UndoDepth());
}

}  // namespace
}  // namespace detail
}  // namespace server
}  // namespace Quenneth
