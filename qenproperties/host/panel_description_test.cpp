// Panel descriptions: every description that does not say exactly what it means is refused at the JSON pointer
// of the offending value (or the line of a syntax error) with a sentence; the ones that do build.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "qenproperties/host/kinds.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/sample_panel.h"

namespace Quenneth {
namespace host {
namespace {

// Properties gives a description of the given properties (and rules).
std::string Properties(const std::string& properties, const std::string& rules = "") {
  return "{\"properties\": [" + properties + "]" + (rules.empty() ? "" : ", \"rules\": [" + rules + "]") + "}";
}

const char* const kModeAndLight =
    R"({"name": "Mode", "kind": "enum", "id": 1, "choices": ["Photo", "Video"]},
       {"name": "Light", "kind": "bool", "id": 2}, {"name": "Size", "kind": "long", "id": 3, "min": 1, "max": 9})";

struct Refused {
  std::string text;
  std::string pointer;  // "" for an error with a line
  std::size_t line;
  std::string mentions;
};

class RefusedDescription : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedDescription, IsRefusedAtItsPlaceWithASentence) {
  const Refused& c = GetParam();
  DocumentError error;
  EXPECT_FALSE(Panel::FromJson(c.text, &error)) << c.text;
  EXPECT_EQ(c.pointer, error.pointer) << error.message;
  EXPECT_EQ(c.line, error.line) << error.message;
  EXPECT_NE(std::string::npos, error.message.find(c.mentions)) << error.message;
}

INSTANTIATE_TEST_SUITE_P(
    Shape, RefusedDescription,
    ::testing::Values(
        Refused{"{\"properties\": [\n{\"name\": \"A\", \"kind\": \"bool\", \"id\": 1},\n]}", "", 3, ""},
        Refused{"{}", "/", 0, "properties"}, Refused{"[]", "/", 0, "JSON object"},
        Refused{R"({"properties": [], "title": "x"})", "/properties", 0, "non-empty"},
        Refused{R"({"properties": [{"name": "A", "kind": "bool", "id": 1}], "colour": 1})", "/colour", 0, "no key"},
        Refused{Properties(R"({"name": "A", "kind": "bool"})"), "/properties/0", 0, "\"id\""},
        Refused{Properties(R"({"name": "A", "kind": "dial", "id": 1})"), "/properties/0/kind", 0, "ex-enum"},
        Refused{Properties(R"({"name": "A", "kind": "plain", "id": 1})"), "/properties/0/kind", 0, "no kind"},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 1, "mystery": 1})"), "/properties/0/mystery", 0,
                "min, max, signed"},
        Refused{Properties(R"({"name": "A", "kind": "bool", "id": 1, "min": 1})"), "/properties/0/min", 0, "no key"},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 1, "id": 2})"), "/properties/0/id", 0, "given twice"},
        // The pointer of a key given twice counts the elements read before it, nested lists included; and keys are
        // checked through the whole text before any property's meaning is.
        Refused{Properties(std::string(kModeAndLight) +
                           R"(, {"name": "B", "kind": "enum", "id": 4, "choices": ["x", {"text": "y", "text": "z"}]})"),
                "/properties/3/choices/1/text", 0, "given twice"},
        Refused{Properties(R"({"name": "A", "kind": "enum", "choices": ["x", "y"], "id": 1, "choices": []})"),
                "/properties/0/choices", 0, "given twice"},
        Refused{
            Properties(R"({"name": "A", "kind": "dial", "id": 1}, {"name": "B", "kind": "bool", "id": 2, "id": 3})"),
            "/properties/1/id", 0, "given twice"},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 1.5})"), "/properties/0/id", 0, "whole"},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 0})"), "/properties/0/id", 0, "from 1"},
        Refused{Properties(R"({"name": "A=B", "kind": "long", "id": 1})"), "/properties/0/name", 0, "="},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 1, "signed": "yes"})"), "/properties/0/signed", 0,
                "true or false"},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 1, "min": "1"})"), "/properties/0/min", 0, "number"},
        Refused{Properties(R"({"name": "A", "kind": "long", "id": 1, "default": [1]})"), "/properties/0/default", 0,
                "text, a number"},
        Refused{"{\"properties\":\n [1e400]}", "", 2, ""}),
    [](const ::testing::TestParamInfo<Refused>& param) { return "Case" + std::to_string(param.index); });

INSTANTIATE_TEST_SUITE_P(
    Meaning, RefusedDescription,
    ::testing::Values(
        Refused{Properties(R"({"name": "Q", "kind": "long", "id": 1, "min": 10, "max": 5})"), "/properties/0/min", 0,
                "above the maximum"},
        Refused{Properties(R"({"name": "F", "kind": "float", "id": 1, "min": 2.5, "max": 1.5})"), "/properties/0/min",
                0, "above the maximum"},
        Refused{Properties(R"({"name": "Q", "kind": "long", "id": 1, "min": -1})"), "/properties/0/min", 0,
                "from 0 to 4294967295"},
        Refused{Properties(R"({"name": "Q", "kind": "long", "id": 1, "signed": true, "max": 4294967295})"),
                "/properties/0/max", 0, "2147483647"},
        Refused{Properties(R"({"name": "Q", "kind": "long", "id": 1, "min": 1, "max": 9, "default": 10})"),
                "/properties/0/default", 0, "from 1 to 9"},
        Refused{Properties(R"({"name": "Q", "kind": "long", "id": 1, "default": "5x"})"), "/properties/0/default", 0,
                "whole number"},
        Refused{Properties(R"({"name": "B", "kind": "bool", "id": 1, "default": "maybe"})"), "/properties/0/default", 0,
                "true or false"},
        Refused{Properties(R"({"name": "F", "kind": "float", "id": 1, "decimals": 1.5})"), "/properties/0/decimals", 0,
                "whole number from 0 to 17"},
        Refused{Properties(R"({"name": "F", "kind": "float", "id": 1, "decimals": 18})"), "/properties/0/decimals", 0,
                "0 to 17"},
        Refused{Properties(R"({"name": "F", "kind": "float", "id": 1, "decimals": 1, "min": 0.25})"),
                "/properties/0/min", 0, "more digits after the point than the 1"},
        Refused{Properties(R"({"name": "A", "kind": "bool", "id": 1}, {"name": "a", "kind": "bool", "id": 2})"),
                "/properties/1/name", 0, "letter case"},
        Refused{Properties(R"({"name": "A", "kind": "bool", "id": 1}, {"name": "B", "kind": "bool", "id": 1})"),
                "/properties/1/id", 0, "already the ID"},
        // IDs spread out are indexed otherwise than IDs close together: the first holder is named all the same,
        // and a property before the second holder is judged first.
        Refused{Properties(R"({"name": "A", "kind": "bool", "id": 5}, {"name": "B", "kind": "bool", "id": 4000000000},
                              {"name": "C", "kind": "bool", "id": 7}, {"name": "D", "kind": "bool", "id": 4000000000})"),
                "/properties/3/id", 0, "already the ID of /properties/1"},
        Refused{Properties(R"({"name": "A", "kind": "bool", "id": 1}, {"name": "B", "kind": "long", "id": 2, "max": -1},
                              {"name": "C", "kind": "bool", "id": 1})"),
                "/properties/1/max", 0, ""},
        Refused{Properties(R"({"name": "A", "kind": "bool", "id": 1, "group": "G"})"), "/properties/0/group", 0,
                "no group"},
        // A group is named exactly, and only a group is one.
        Refused{Properties(
                    R"({"name": "G", "kind": "group", "id": 1}, {"name": "A", "kind": "bool", "id": 2, "group": "g"})"),
                "/properties/1/group", 0, "no group"},
        Refused{Properties(
                    R"({"name": "G", "kind": "bool", "id": 1}, {"name": "A", "kind": "bool", "id": 2, "group": "G"})"),
                "/properties/1/group", 0, "no group"},
        Refused{Properties(R"({"name": "E", "kind": "enum", "id": 1, "choices": ["A", "A"]})"),
                "/properties/0/choices/1", 0, "again"},
        Refused{Properties(R"({"name": "E", "kind": "enum", "id": 1, "choices": ["Mp4", "MP4"]})"),
                "/properties/0/choices/1", 0, "letter case"},
        Refused{Properties(R"({"name": "E", "kind": "enum", "id": 1,
                                "choices": [{"text": "A", "id": 1}, {"text": "B", "id": 1}]})"),
                "/properties/0/choices/1", 0, "reload as that one"},
        Refused{Properties(R"({"name": "E", "kind": "enum", "id": 1, "choices": []})"), "/properties/0/choices", 0,
                "non-empty"},
        Refused{Properties(R"({"name": "E", "kind": "enum", "id": 1, "choices": ["x"], "default": "y"})"),
                "/properties/0/default", 0, "no value of E"},
        Refused{Properties(R"({"name": "N", "kind": "enum-long", "id": 1, "choices": [1, 1]})"),
                "/properties/0/choices/1", 0, "again"},
        Refused{Properties(R"({"name": "N", "kind": "enum-long", "id": 1, "choices": [1.5]})"),
                "/properties/0/choices/0", 0, "whole number"},
        Refused{Properties(R"({"name": "X", "kind": "ex-enum", "id": 1, "choices": [{"text": "x"}]})"),
                "/properties/0/choices/0", 0, "data"},
        Refused{Properties(R"({"name": "X", "kind": "ex-enum", "id": 1,
                                "choices": [{"text": "A", "id": 1, "data": 1}],
                                "custom": {"text": "A", "id": 2, "data": 1}})"),
                "/properties/0/custom", 0, "again"},
        Refused{Properties(R"({"name": "X", "kind": "ex-enum", "id": 1,
                                "choices": [{"text": "A", "id": 1, "data": 1}],
                                "custom": {"text": "Own", "id": 1, "data": 1}})"),
                "/properties/0/custom", 0, "another choice's"},
        Refused{Properties(R"({"name": "R", "kind": "ratio", "id": 1, "choices": ["16:0", "4:3"]})"),
                "/properties/0/choices/0", 0, "part of 0"},
        Refused{Properties(R"({"name": "R", "kind": "ratio", "id": 1, "choices": ["wide"]})"),
                "/properties/0/choices/0", 0, "N:M"},
        Refused{Properties(R"({"name": "R", "kind": "ratio", "id": 1, "choices": ["16:9"],
                                "custom": {"text": "Custom", "id": 1}})"),
                "/properties/0/custom", 0, "another choice's"},
        Refused{Properties(R"({"name": "B", "kind": "button", "id": 1, "action": "fly"})"), "/properties/0/action", 0,
                "reset"},
        Refused{Properties(R"({"name": "B", "kind": "button", "id": 1, "action": "estimate", "sum": ["C"]})"),
                "/properties/0/sum/0", 0, "no property with a number"},
        Refused{Properties(R"({"name": "B", "kind": "button", "id": 1, "action": "reset", "default": "x"})"),
                "/properties/0/default", 0, "no value"}),
    [](const ::testing::TestParamInfo<Refused>& param) { return "Case" + std::to_string(param.index); });

INSTANTIATE_TEST_SUITE_P(
    Rules, RefusedDescription,
    ::testing::Values(
        Refused{Properties(kModeAndLight, R"({"when": "Mode", "is": ["Video"], "set": "Light", "to": "maybe"})"),
                "/rules/0/to", 0, "true or false"},
        Refused{Properties(kModeAndLight, R"({"when": "Mode", "is": ["Film"], "set": "Light", "to": true})"),
                "/rules/0/is/0", 0, "Photo or Video"},
        Refused{Properties(kModeAndLight, R"({"when": "Mode", "set": "Light", "to": true, "unless": ["2"]})"),
                "/rules/0/unless/0", 0, "true or false"},
        Refused{Properties(kModeAndLight, R"({"limit": "Light", "is": ["TRUE"], "requires": "Mode", "in": ["Tape"]})"),
                "/rules/0/in/0", 0, "Photo or Video"},
        Refused{Properties(kModeAndLight, R"({"when": "Mode", "cap": "Size"})"), "/rules/0/when", 0, "no number"},
        Refused{Properties(kModeAndLight, R"({"when": "Size", "cap": "Nothing"})"), "/rules/0/cap", 0,
                "no property is named"},
        Refused{Properties(kModeAndLight, R"({"keep": "Mode", "width": "Size", "height": "Size"})"), "/rules/0/keep", 0,
                "no ratio"},
        Refused{Properties(kModeAndLight, R"({"when": "Mode"})"), "/rules/0", 0, "one of"},
        Refused{Properties(kModeAndLight, R"({"when": "Mode", "cap": "Size", "keep": "Mode"})"), "/rules/0", 0,
                "not two"},
        Refused{Properties(kModeAndLight, R"({"when": "Size", "cap": "Size", "extra": 1})"), "/rules/0/extra", 0,
                "no key"},
        Refused{Properties(kModeAndLight, R"({"when": "Mode", "is": ["Video"], "set": "Light"})"), "/rules/0", 0,
                "\"to\""},
        // The defaults must keep every limit.
        Refused{
            Properties(kModeAndLight, R"({"limit": "Light", "is": ["FALSE"], "requires": "Mode", "in": ["Video"]})"),
            "/rules/0", 0, "the defaults break this rule"}),
    [](const ::testing::TestParamInfo<Refused>& param) { return "Case" + std::to_string(param.index); });

// What comes from outside is capped before anything is built from it.
TEST(PanelDescription, HostileTextsAreRefusedBeforeAnyTreeIsBuilt) {
  DocumentError error;
  std::string deep = "{\"properties\": [{\"name\": \"A\", \"kind\": \"bool\", \"id\": 1, \"x\": ";
  deep += std::string(75000, '[') + std::string(75000, ']') + "}]}";
  EXPECT_FALSE(Panel::FromJson(deep, &error));
  EXPECT_EQ(1u, error.line);
  EXPECT_NE(std::string::npos, error.message.find("nested more than")) << error.message;
  EXPECT_FALSE(Panel::FromJson(Properties(R"({"name": "T", "kind": "text", "id": 1, "default": "a\u0000b"})"), &error));
  EXPECT_NE(std::string::npos, error.message.find("NUL")) << error.message;
  EXPECT_FALSE(Panel::FromJson(std::string("{\"properties\": [\0]}", 19), &error));
  EXPECT_EQ(17u, error.column);
}

TEST(PanelDescription, WhatADescriptionSaysIsWhatThePanelHolds) {
  DocumentError error;
  std::unique_ptr<Panel> panel = Panel::FromJson(Properties(R"(
      {"name": "Group", "kind": "group", "id": 10, "default": "collapsed"},
      {"name": "Level", "kind": "long", "id": 11, "group": "Group", "signed": true, "min": -5, "max": 5},
      {"name": "Gain", "kind": "float", "id": 12, "decimals": 1, "default": 0.25},
      {"name": "Names", "kind": "enum", "id": 13, "choices": ["One", {"text": "Two", "id": 7}], "default": "Two"},
      {"name": "Steps", "kind": "enum-long", "id": 14, "choices": [5, 10], "default": 10},
      {"name": "Shape", "kind": "ratio", "id": 15, "choices": ["4:3"], "custom": {"text": "Own", "id": 9},
       "default": "5:4"},
      {"name": "Über", "kind": "text", "id": 16, "default": "größer"})"),
                                                 &error);
  ASSERT_TRUE(panel) << error.Describe("panel");
  EXPECT_EQ("Settings", panel->Title());
  EXPECT_EQ("collapsed", ValueText(panel->Find("Group")));
  EXPECT_EQ("Group", panel->GroupName(GroupIdOf(panel->Find("Level"))));
  EXPECT_EQ("-5", ValueText(panel->Find("Level"))) << "without a default, a number starts at its minimum";
  EXPECT_EQ("0.2", ValueText(panel->Find("Gain"))) << "kept to its digits (0.25 rounds to even)";
  EXPECT_EQ("Two", ValueText(panel->Find("Names")));
  std::string preset;
  ASSERT_TRUE(PresetTextOf(panel->Find("Names"), &preset));
  EXPECT_EQ("7", preset);
  EXPECT_EQ("10", ValueText(panel->Find("Steps")));
  EXPECT_EQ("5:4", ValueText(panel->Find("Shape")));
  EXPECT_EQ("größer", ValueText(panel->Find("Über")));
  for (std::size_t i = 0; i < panel->Count(); ++i) {
    EXPECT_EQ(0u, FlagsOf(panel->At(i)) & kFlagValueSet) << "a default is no value the user set";
  }
  EXPECT_TRUE(Panel::FromJson(SamplePanelDescription(), &error)) << error.Describe("sample");
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
