// One suite over every row of the kinds table: each row gets a property of its class, values it must take (and
// how they read back), texts it must refuse, and preset texts it must not load. Every row is held to the same
// contract: a value round-trips exactly through its preset text, a refusal changes nothing and says what the
// property takes, only the notifying path tells the mediator, and every listed choice can be chosen.
#include "qenproperties/host/kinds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "qenproperties/host/text.h"
#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/fake_mediator.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace host {
namespace {

using testing::FakeMediator;

struct KindCase {
  const char* label;
  const char* kind;
  std::function<QRef<IQProperty>()> make;
  std::vector<std::pair<std::string, std::string>> values;  // a text to set, and its value text afterwards
  std::vector<std::string> invalid;                         // refused with kResultInvalidArgument
  std::vector<std::string> outOfRange;                      // refused with kResultOutOfRange
  std::vector<std::string> badPresets;                      // preset texts loadText refuses
};

QRef<IQProperty> Adopt(IQProperty* property) { return QRef<IQProperty>::Adopt(property); }

QRef<IQProperty> MakeEnum(QDataType subType) {
  auto* e = new CQEnumProperty("Container", "Container format", 1, 102, nullptr, nullptr, subType);
  if (subType == kDataTypeEnum64) {
    e->AddEnumString64("Neg", -7);
    e->AddEnumString64("Big", 0x100000005LL);
    e->SetDirectCurSelById64(0x100000005LL);
  } else {
    e->AddEnumString("MP4", 1);
    e->AddEnumString("MKV", 2);
    e->AddEnumString("WebM", 4294967295u);
    e->SetDirectCurSel(0);
  }
  return Adopt(e);
}

QRef<IQProperty> MakeExEnum() {
  auto* x = new CQExEnumProperty("Codec", "Video codec", 1, 201, 99, kDataTypeInt32, nullptr, nullptr);
  auto add = [x](const char* text, ULONG id, std::int32_t data) {
    unsigned char bytes[4];
    std::memcpy(bytes, &data, 4);
    x->AddEnumStringAndSubData(text, id, bytes, 4);
  };
  add("H.264", 1, 50000);
  add("VP9", 3, 30000);
  add("Custom", 99, 20000);
  x->SetDirectCurSel(0);
  return Adopt(x);
}

QRef<IQProperty> MakeRatio() {
  auto* r = new CQRatioProperty("Aspect ratio", "Frame shape", 1, 206, nullptr, nullptr);
  r->AddEnumString("16:9", 1);
  r->AddEnumString("4:3", 2);
  r->AddEnumString("Custom", 99);
  r->SetCustomEnumId(99);
  r->SetDirectCurSel(0);
  return Adopt(r);
}

QRef<IQProperty> MakePlain() {
  auto* p = new CQProperty(nullptr, nullptr);
  p->SetPropertyName("Blob");
  const unsigned char bytes[] = {1, 2};
  p->SetDirectData(bytes, 2);
  return Adopt(p);
}

const std::string kNul("5\0", 2);

std::vector<KindCase> Cases() {
  return {
      {"Long",
       "long",
       [] {
         return Adopt(
             new CQLongProperty("Quality", "Quality", 1, 203, kDataTypeUInt32, 50, 50, 1, 100, nullptr, nullptr));
       },
       {{"7", "7"}, {"100", "100"}, {"007", "7"}, {"1", "1"}},
       {"abc", "50abc", " 5", "5 ", "+5", "0x10", "", "1e2", "4294967296", "-1", kNul, "1.5", "NaN"},
       {"0", "101", "4000000000"},
       {"", "5x", "99999999999", "1 ", "-2147483649"}},
      {"SignedLong",
       "long",
       [] {
         return Adopt(
             new CQLongProperty("Offset", "Offset", 1, 7, kDataTypeInt32, 0, 0, 0xFFFFFFF6u, 10, nullptr, nullptr));
       },
       {{"-10", "-10"}, {"-3", "-3"}, {"10", "10"}, {"0", "0"}},
       {"4294967295", "2147483648", "-2147483649", "--3"},
       {"-11", "11"},
       {"4294967295", "x"}},
      {"ByteLong",
       "long",
       [] { return Adopt(new CQLongProperty("Level", "Level", 1, 8, kDataTypeUInt8, 0, 0, 0, 0, nullptr, nullptr)); },
       {{"255", "255"}, {"0", "0"}},
       {"256", "-1"},
       {},
       {"256", "-1"}},
      {"Float",
       "float",
       [] {
         auto* f =
             new CQFloatProperty("Frame rate", "Frames", 1, 204, kDataTypeDouble, 30, 30, 1, 240, nullptr, nullptr);
         f->SetSignificantDigitAfterPoint(3);
         return Adopt(f);
       },
       {{"29.97", "29.970"}, {"1", "1.000"}, {"240", "240.000"}, {"2.0004", "2.000"}, {"1e2", "100.000"}},
       {"nan", "inf", "-inf", "1e999", "30abc", "", "0x1p3", "30,5", ".5", "5.", " 5", kNul},
       {"0.5", "240.001", "-3", "0"},
       {"abc", "1e999", "", "nan"}},
      {"SingleFloat",
       "float",
       [] {
         auto* f = new CQFloatProperty("Gain", "Gain", 1, 9, kDataTypeFloat, 0, 0, -10, 10, nullptr, nullptr);
         f->SetSignificantDigitAfterPoint(2);
         return Adopt(f);
       },
       {{"0.1", "0.10"}, {"-9.99", "-9.99"}, {"3.14159", "3.14"}},
       {"x"},
       {"10.01"},
       {"x"}},
      {"Bool",
       "bool",
       [] { return Adopt(new CQBoolProperty("Include audio", "Audio", 1, 301, 1, 1, nullptr, nullptr)); },
       {{"true", "TRUE"}, {"FALSE", "FALSE"}, {"Yes", "TRUE"}, {"0", "FALSE"}, {"off", "FALSE"}, {"ON", "TRUE"}},
       {"maybe", "2", "TRUEx", "", " true", kNul},
       {},
       {"maybe", "", "TRUE "}},
      {"Text",
       "text",
       [] {
         const WCHAR untitled[] = {'U', 'n', 't', 'i', 't', 'l', 'e', 'd', 0};
         return Adopt(new CQWStringProperty("Title", "Title", 1, 101, untitled, untitled, nullptr, nullptr));
       },
       {{"Trip", "Trip"},
        {"", ""},
        {"\xC3\x9Cn\xC3\xAF \xE2\x9C\x93", "\xC3\x9Cn\xC3\xAF \xE2\x9C\x93"},
        {" a b ", " a b "}},
       {std::string("a\0b", 3), "\xC0\x80", "\xED\xA0\x80", "\xFF", "ab\xE2\x82"},
       {},
       {std::string("a\0b", 3), "\xFF"}},
      {"Enum",
       "enum",
       [] { return MakeEnum(kDataTypeUInt32); },
       {{"MKV", "MKV"}, {"webm", "WebM"}, {"MP4", "MP4"}},
       {"Tape", "", "MP4 ", "1", kNul},
       {},
       {"9", "1abc", "", "-1", "4294967296", " 1"}},
      {"Enum64",
       "enum",
       [] { return MakeEnum(kDataTypeEnum64); },
       {{"Neg", "Neg"}, {"big", "Big"}},
       {"Tape", "-7"},
       {},
       {"7", "5", "9223372036854775808"}},
      {"EnumLong",
       "enum-long",
       [] {
         auto* e = new CQEnumLongProperty("Keyframe interval", "Frames", 1, 205, nullptr, nullptr);
         for (ULONG v : {1u, 12u, 60u, 4294967295u}) e->AddEnumLongValue(v);
         e->SetDirectCurSelIndex(0);
         return Adopt(e);
       },
       {{"12", "12"}, {"060", "60"}, {"4294967295", "4294967295"}},
       {"13", "-1", "1e1", "60abc", "", kNul},
       {},
       {"13", "", "60 "}},
      {"ExEnum",
       "ex-enum",
       MakeExEnum,
       {{"VP9", "VP9 (30000)"},
        {"VP9 (30000)", "VP9 (30000)"},
        {"Custom", "Custom (20000)"},
        {"Custom (35000)", "Custom (35000)"},
        {"custom (-5)", "Custom (-5)"},
        {"h.264", "H.264 (50000)"}},
       {"VP9 (1)", "Custom (abc)", "Custom (99999999999)", "Custom (1.5)", "H.264 (", "Tape", "", kNul},
       {},
       {"not a record", "0000", "00", "1C00000003000000"}},
      {"Ratio",
       "ratio",
       MakeRatio,
       {{"4:3", "4:3"}, {"64:27", "64:27"}, {"16:9", "16:9"}, {"8:6", "8:6"}, {"4294967295:1", "4294967295:1"}},
       {"2x", "3:0", "0:5", ":", "16:9:1", "4294967296:1", "a:b", "Custom", "", kNul},
       {},
       {"2x", "99#0#0", "2#3#4", "99", "99#16", "1#", "5", "99#16#9#1", "1 "}},
      {"Group",
       "group",
       [] { return Adopt(new CQGroupProperty("Video", "Video settings", 0, 200, 0, 1, nullptr, nullptr)); },
       {{"collapsed", "collapsed"}, {"EXPANDED", "expanded"}, {"7", "7"}},
       {"half", "-1", "", kNul},
       {},
       {"00", "zz", "0000000001000000ff", "expanded"}},
      {"Button",
       "button",
       [] { return Adopt(new CQCmdButtonProperty("Estimate", "Estimate", 0, 900, kDataTypeUInt32, nullptr, nullptr)); },
       {},
       {"1", "click"},
       {},
       {"1"}},
      {"Plain",
       "plain",
       MakePlain,
       {{"0A0b", "0A0B"}, {"", ""}, {"ff", "FF"}},
       {"zz", "0", "0x00", kNul},
       {},
       {"zz", "A"}},
  };
}

class KindsTest : public ::testing::TestWithParam<KindCase> {
 protected:
  const PropertyKind& Row() { return *KindNamed(GetParam().kind); }
  QRef<IQProperty> Make() { return GetParam().make(); }
};

TEST_P(KindsTest, TheRowServesItsClassAndIsFoundByName) {
  QRef<IQProperty> property = Make();
  const PropertyKind& kind = KindOf(property.get());
  EXPECT_STREQ(GetParam().kind, kind.name);
  EXPECT_EQ(&kind, KindNamed(kind.name));
  EXPECT_FALSE(kind.limits(property.get(), nullptr).text.empty());
}

// Each value, set directly, reads back as expected; its preset text loads into a fresh property as exactly the
// same value and the same preset text.
TEST_P(KindsTest, ValuesRoundTripExactlyThroughTheirPresetText) {
  if (!Row().keepsPreset) {
    EXPECT_TRUE(GetParam().values.empty()) << "a kind without preset text takes no value";
    return;
  }
  for (const auto& [text, shown] : GetParam().values) {
    QRef<IQProperty> property = Make();
    std::string refusal;
    ASSERT_RESULT(kResultOk, Row().setText(property.get(), text, Store::kDirect, nullptr, &refusal)) << text;
    EXPECT_EQ("", refusal);
    EXPECT_EQ(shown, Row().valueText(property.get())) << text;
    std::string preset;
    ASSERT_TRUE(PresetTextOf(property.get(), &preset));
    QRef<IQProperty> fresh = Make();
    ASSERT_RESULT(kResultOk, Row().loadText(fresh.get(), preset, nullptr, &refusal)) << preset << ": " << refusal;
    EXPECT_EQ(shown, Row().valueText(fresh.get())) << preset;
    std::string again;
    ASSERT_TRUE(PresetTextOf(fresh.get(), &again));
    EXPECT_EQ(preset, again);
  }
}

TEST_P(KindsTest, OnlyTheNotifyingPathTellsTheMediatorAndItsRefusalChangesNothing) {
  if (GetParam().values.empty()) GTEST_SKIP() << "the kind takes no value";
  FakeMediator mediator;
  {
    QRef<IQProperty> property = Make();
    property->SetProperyMediator(&mediator);
    const std::string before = Row().valueText(property.get());
    std::string preset;
    PresetTextOf(property.get(), &preset);
    const std::string text = GetParam().values.front().first;
    std::string refusal;

    mediator.answer = kResultChangeRefused;
    EXPECT_RESULT(kResultChangeRefused, Row().setText(property.get(), text, Store::kNotify, nullptr, &refusal));
    EXPECT_EQ(1u, mediator.calls.size());
    EXPECT_EQ(before, Row().valueText(property.get()));
    std::string after;
    PresetTextOf(property.get(), &after);
    EXPECT_EQ(preset, after) << "a refused change leaves the preset text as it was";

    EXPECT_RESULT(kResultOk, Row().setText(property.get(), text, Store::kDirect, nullptr, &refusal));
    EXPECT_RESULT(kResultOk, Row().loadText(property.get(), preset, nullptr, &refusal));
    EXPECT_EQ(1u, mediator.calls.size()) << "direct stores and loads tell no one";
    EXPECT_EQ(before, Row().valueText(property.get()));

    mediator.answer = kResultOk;
    EXPECT_RESULT(kResultOk, Row().setText(property.get(), text, Store::kNotify, nullptr, &refusal));
    EXPECT_EQ(2u, mediator.calls.size());
    EXPECT_EQ(GetParam().values.front().second, Row().valueText(property.get()));
    property->SetProperyMediator(nullptr);
  }
  EXPECT_EQ(0u, mediator.Count());
}

TEST_P(KindsTest, RefusedTextsChangeNothingAndSayWhatThePropertyTakes) {
  FakeMediator mediator;
  {
    QRef<IQProperty> property = Make();
    property->SetProperyMediator(&mediator);
    const std::string before = Row().valueText(property.get());
    const std::string name = NameOf(property.get());
    auto check = [&](const std::string& text, ULONG code) {
      std::string refusal;
      EXPECT_RESULT(code, Row().setText(property.get(), text, Store::kNotify, nullptr, &refusal)) << text;
      EXPECT_NE(std::string::npos, refusal.find(name)) << refusal;
      EXPECT_NE(std::string::npos, refusal.find("takes")) << refusal;
      EXPECT_EQ(before, Row().valueText(property.get())) << text;
    };
    for (const std::string& text : GetParam().invalid) check(text, kResultInvalidArgument);
    for (const std::string& text : GetParam().outOfRange) check(text, kResultOutOfRange);
    for (const std::string& text : GetParam().badPresets) {
      std::string refusal;
      EXPECT_RESULT(kResultInvalidArgument, Row().loadText(property.get(), text, nullptr, &refusal)) << text;
      EXPECT_FALSE(refusal.empty());
      EXPECT_EQ(before, Row().valueText(property.get())) << text;
    }
    EXPECT_TRUE(mediator.calls.empty()) << "a refused text never reaches the mediator";
    property->SetProperyMediator(nullptr);
  }
}

// What limits lists as choices is what a person can type: each one selects itself.
TEST_P(KindsTest, EveryListedChoiceCanBeChosen) {
  QRef<IQProperty> property = Make();
  for (const std::string& choice : Row().limits(property.get(), nullptr).choices) {
    std::string refusal;
    ASSERT_RESULT(kResultOk, Row().setText(property.get(), choice, Store::kDirect, nullptr, &refusal)) << choice;
    const std::string shown = Row().valueText(property.get());
    EXPECT_TRUE(shown == choice || shown.rfind(choice + " (", 0) == 0) << choice << " shows as " << shown;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryRow, KindsTest, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<KindCase>& param) {
                           return std::string(param.param.label);
                         });

// Every row the table has is covered by the suite above.
TEST(Kinds, TheSuiteCoversEveryRowButTheForeignOne) {
  std::vector<std::string> covered;
  for (const KindCase& c : Cases()) covered.push_back(c.kind);
  for (const PropertyKind* kind : Kinds()) {
    if (std::string(kind->name) == "other") continue;
    EXPECT_NE(covered.end(), std::find(covered.begin(), covered.end(), kind->name)) << kind->name;
  }
  EXPECT_EQ(nullptr, KindNamed("dial"));
}

TEST(Kinds, PresetTextsOfTheLibraryLoadWhereTheyDifferFromValueTexts) {
  // An unsigned long above 2147483647 is written as a negative number; an enum-long's 4294967295 as -1.
  auto big = QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Big", "Big", 1, 1, kDataTypeUInt32, 0, 0, 0, 0, nullptr, nullptr));
  std::string refusal;
  ASSERT_RESULT(kResultOk, SetValueText(big.get(), "4294967295", Store::kDirect, &refusal));
  std::string preset;
  ASSERT_TRUE(PresetTextOf(big.get(), &preset));
  EXPECT_EQ("-1", preset);
  EXPECT_RESULT(kResultInvalidArgument, SetValueText(big.get(), "-1", Store::kDirect, &refusal))
      << "a person types the unsigned number";
  ASSERT_RESULT(kResultOk, KindOf(big.get()).loadText(big.get(), "-2", nullptr, &refusal));
  EXPECT_EQ("4294967294", ValueText(big.get()));

  QRef<IQProperty> ratio = MakeRatio();
  ASSERT_RESULT(kResultOk, KindOf(ratio.get()).loadText(ratio.get(), "99#16#10", nullptr, &refusal));
  EXPECT_EQ("16:10", ValueText(ratio.get()));
  ULONG n = 0;
  ULONG d = 0;
  ASSERT_TRUE(KindOf(ratio.get()).ratio(ratio.get(), &n, &d));
  EXPECT_EQ(16u, n);
  EXPECT_EQ(10u, d);
  ASSERT_RESULT(kResultOk, KindOf(ratio.get()).loadText(ratio.get(), "2", nullptr, &refusal));
  ASSERT_TRUE(KindOf(ratio.get()).ratio(ratio.get(), &n, &d));
  EXPECT_EQ(4u, n);
  EXPECT_EQ(3u, d);
}

TEST(Kinds, NumbersOfTheKindsThatHaveOne) {
  QRef<IQProperty> codec = MakeExEnum();
  std::string refusal;
  double number = 0;
  ASSERT_RESULT(kResultOk, SetValueText(codec.get(), "Custom (-12)", Store::kDirect, &refusal));
  ASSERT_TRUE(NumberOf(codec.get(), &number));
  EXPECT_EQ(-12, number);
  EXPECT_EQ("Custom", KindOf(codec.get()).choiceText(codec.get()));
  QRef<IQProperty> ratio = MakeRatio();
  EXPECT_FALSE(NumberOf(ratio.get(), &number));
  auto empty = QRef<CQLongProperty>::Adopt(new CQLongProperty(nullptr, nullptr));
  EXPECT_FALSE(NumberOf(empty.get(), &number)) << "an empty value is no number";
  EXPECT_EQ("", ValueText(empty.get()));
}

}  // namespace
}  // namespace host
}  // namespace Quenneth
