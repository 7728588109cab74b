#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/enum/ratio_property.h"
#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/frame/qref.h"
#include "qenproperties/testing/enum_checks.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::OkOut;
using testing::Out;
using testing::PresetOf;
using testing::Wide;

std::string EntryString(CQRatioProperty* p, ULONG index, ULONG* id = nullptr) {
  return testing::ByteText([=](WCHAR* text, ULONG* bytes) { return p->GetEnumString(index, text, bytes, id); });
}

class RatioPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQRatioProperty> Make(IQPropertyMediator* mediator = nullptr) {
    return QRef<CQRatioProperty>::Adopt(new CQRatioProperty("Shape", "Frame shape", 2, 40, &host_, mediator));
  }
  // Entries (4:3, 1), (16:9, 2), (custom, 3); custom enum ID 3, custom ratio 16:9.
  QRef<CQRatioProperty> MakeThree(IQPropertyMediator* mediator = nullptr) {
    auto p = Make(mediator);
    p->AddEnumString("4:3", 1);
    p->AddEnumString("16:9", 2);
    p->AddEnumString("custom", 3);
    p->SetCustomEnumId(3);
    p->SetCustomRatio(16, 9);
    return p;
  }
  static std::pair<ULONG, ULONG> Ratio(CQRatioProperty* p) {
    ULONG n = 0xAAAA;
    ULONG d = 0xBBBB;
    p->GetCustomRatio(&n, &d);
    return {n, d};
  }
};

TEST_F(RatioPropertyTest, NewPropertyState) {
  auto p = Make();
  EXPECT_EQ(std::make_pair(1u, 0u), Ratio(p.get()));
  ULONG id = 0x77;
  EXPECT_RESULT(kResultOk, p->GetCustomEuumId(&id));
  EXPECT_EQ(0xFFFFFFFFu, id);
  id = 0x77;
  EXPECT_RESULT(kResultOk, p->GetCurSelId(&id));
  EXPECT_EQ(0x77u, id) << "an empty value writes nothing";
  ULONG size = 0;
  EXPECT_EQ("0", PresetOf(p.get(), &size));
  EXPECT_EQ(1u, size);
  EXPECT_EQ(kDataTypeRatio, testing::TypeOf(p.get()));
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(nullptr, nullptr));
  EXPECT_RESULT(kResultNullPointer, p->GetCustomEuumId(nullptr));
  ULONG n = 5;
  EXPECT_RESULT(kResultNotFound, p->GetCustomRatio(&n, nullptr));
  EXPECT_EQ(5u, n);
}

TEST_F(RatioPropertyTest, SelectionAndPresetText) {
  auto p = MakeThree(&mediator_);
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetCurSel(3));
  ULONG size = 0;
  EXPECT_RESULT(kResultIndexOutOfRange, p->GetEnumString(3, nullptr, &size, nullptr));
  EXPECT_TRUE(mediator_.calls.empty());
  EXPECT_RESULT(kResultOk, p->SetCurSel(2));
  EXPECT_EQ(1u, mediator_.calls.size());
  EXPECT_EQ("3#16#9", PresetOf(p.get(), &size));
  EXPECT_EQ(6u, size);

  EXPECT_RESULT(kResultOk, p->SetDirectCurSel(0));
  EXPECT_EQ("1", PresetOf(p.get()));
  EXPECT_RESULT(kResultOk, p->SetDirectCurSelById(2));
  EXPECT_RESULT(kResultOk, p->SetDirectCurSelString("16:9"));
  EXPECT_EQ(1u, mediator_.calls.size()) << "direct stores never call the mediator";
  EXPECT_EQ(1u, Out<ULONG>(p.get(), &CQRatioProperty::GetCurSel));
  EXPECT_RESULT(kResultOk, p->SetCurSelString(Wide("custom").data()));
  EXPECT_RESULT(kResultOk, p->SetCurSelById(1));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelById(42));
  EXPECT_RESULT(kResultInvalidArgument, p->SetDirectCurSelString("none"));
  EXPECT_EQ(3u, mediator_.calls.size());
  std::vector<WCHAR> text(8);
  EXPECT_RESULT(kResultOk, p->GetCurSelString(text.data(), &size));
  EXPECT_EQ(6u, size);
  EXPECT_EQ(Wide("4:3"), std::vector<WCHAR>(text.begin(), text.begin() + 4));

  // IDs of 2^31 and above save as negative numbers.
  p->AddEnumString("wide", 0xFFFFFFFEu);
  p->SetDirectCurSel(3);
  EXPECT_EQ("-2", PresetOf(p.get()));
}

TEST_F(RatioPropertyTest, SharesTheEntryListRulesAndReadsAStoredIndexOutsideTheListAsNoEntry) {
  testing::ExpectEntryListRules(Make().get());
  auto p = MakeThree();
  p->SetCurSel(2);
  p->RemoveAllEnumStrings();
  std::vector<WCHAR> text(4, 0xEEEE);
  ULONG size = 0x99;
  EXPECT_RESULT(kResultOk, p->GetCurSelString(text.data(), &size));
  EXPECT_EQ(0x99u, size);
  EXPECT_EQ(0xEEEE, text[0]);
  EXPECT_EQ("<error>", PresetOf(p.get()));
  ULONG id = 0;

  // A host's oversized raw value is read no further than the index.
  const unsigned char raw[9] = {1, 0, 0, 0, 9, 9, 9, 9, 9};
  p->AddEnumString("a", 10);
  p->AddEnumString("b", 11);
  p->SetPropertyData(raw, sizeof(raw));
  EXPECT_RESULT(kResultOk, p->GetCurSelId(&id));
  EXPECT_EQ(11u, id);
}

TEST_F(RatioPropertyTest, PresetLoadRoundTrip) {
  auto p = Make();
  p->SetCustomEnumId(3);
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("3#16#9").data(), 6));
  ASSERT_EQ(1u, Out<ULONG>(p.get(), &CQRatioProperty::GetEnumCount));
  ULONG id = 0;
  EXPECT_EQ("use enum id", EntryString(p.get(), 0, &id));
  EXPECT_EQ(3u, id);
  EXPECT_EQ(std::make_pair(16u, 9u), Ratio(p.get()));
  EXPECT_EQ("3#16#9", PresetOf(p.get()));

  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("5#4#3").data(), 5));
  EXPECT_EQ(2u, Out<ULONG>(p.get(), &CQRatioProperty::GetEnumCount));
  EXPECT_EQ(std::make_pair(16u, 9u), Ratio(p.get())) << "a non-custom ID leaves the ratio";
  EXPECT_EQ("3#16#9", PresetOf(p.get())) << "index 0 stays selected";

  auto negative = Make();
  negative->LoadDirectDataFromPreset(Wide(" -1#-2#7").data(), 0);
  EXPECT_EQ(std::make_pair(0xFFFFFFFEu, 7u), Ratio(negative.get()));
  EXPECT_EQ("-1#-2#7", PresetOf(negative.get()));
}

TEST_F(RatioPropertyTest, MalformedPresetTextsNeverCrashAndKeepTheRatio) {
  struct Case {
    const char* text;
    ULONG id;
  };
  // clang-format off
  const Case cases[] = {{"", 0}, {"abc", 0}, {"#", 0}, {"###", 0}, {"3#", 3}, {"3#16", 3}, {"3#16#", 3}, {"3#x#9", 3},
                        {"3##9", 3}, {"3#16#y", 3}, {"3#99999999999#9", 3}, {"99999999999#1#1", 0},
                        {"3#1#-99999999999", 3}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto p = Make();
    p->SetCustomEnumId(3);
    p->SetCustomRatio(4, 5);
    auto text = Wide(c.text);
    EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(text.data(), 0));
    EXPECT_EQ(c.id, OkOut<ULONG>(p.get(), &CQRatioProperty::GetCurSelId, ULONG{0x77}));
    EXPECT_EQ(std::make_pair(4u, 5u), Ratio(p.get()));
  }
  auto p = Make();
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
}

TEST_F(RatioPropertyTest, ResetRestoresRatioAndDefault) {
  auto p = MakeThree();
  p->SetCurSel(2);
  p->SetCustomRatio(4, 3);
  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(std::make_pair(1u, 0u), Ratio(p.get()));
  EXPECT_EQ(0u, Out<ULONG>(p.get(), &CQRatioProperty::GetCurSel, 0x77));
  EXPECT_EQ(3u, Out<ULONG>(p.get(), &CQRatioProperty::GetCustomEuumId)) << "the custom enum ID survives a reset";
}

TEST_F(RatioPropertyTest, ListBuildingAndCopy) {
  auto source = Make();
  source->AddEnumString("a", 1);
  source->AddEnumString("b", 2);
  source->SetCustomRatio(21, 9);
  auto target = Make();
  target->AddEnumString("c", 3);
  *target = *source;
  EXPECT_EQ("c,a,b",
            EntryString(target.get(), 0) + "," + EntryString(target.get(), 1) + "," + EntryString(target.get(), 2));
  EXPECT_EQ(std::make_pair(21u, 9u), Ratio(target.get()));

  auto typed = testing::CloneAs<IQRatioProperty>(source.get(), IID_IQRatioProperty);
  ASSERT_TRUE(typed);
  EXPECT_EQ(2u, Out<ULONG>(typed.get(), &IQRatioProperty::GetEnumCount));
}

TEST_F(RatioPropertyTest, OptionalPropertyIsHeldByEveryHolder) {
  testing::ExpectHoldsOptionalProperty(Make().get(), Make().get(), optional_);
}

}  // namespace
}  // namespace Quenneth
