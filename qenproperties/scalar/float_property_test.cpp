#include "qenproperties/scalar/float_property.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CloneAs;
using testing::Out;
using testing::PresetOf;
using testing::ValueOf;
using testing::Wide;

class FloatPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQFloatProperty> Make(QDataType type, double current, double minimum, double maximum,
                             IQPropertyMediator* mediator = nullptr, double defaultValue = 0.0) {
    return QRef<CQFloatProperty>::Adopt(new CQFloatProperty("Gain", "Input gain", 1, 12, type, defaultValue, current,
                                                            minimum, maximum, &host_, mediator));
  }
  static double Value(IQFloatProperty* p) {
    double value = -12345.0;
    p->GetCurValue(&value);
    return value;
  }
  static std::size_t StoredBytes(CQFloatProperty* p) { return ValueOf(p).size(); }
};

TEST_F(FloatPropertyTest, OnlySetCurValueClampsWithinTheTolerance) {
  EXPECT_EQ(9.999999974752427e-07, CQFloatProperty::kTolerance) << "the single nearest a millionth";
  auto p = Make(kDataTypeDouble, 1.5, 1.0, 2.0);
  EXPECT_RESULT(kResultOutOfRange, p->SetPropertyData(2.0000005));
  EXPECT_RESULT(kResultOutOfRange, p->SetDirectCurValue(0.9999995));
  EXPECT_EQ(1.5, Value(p.get())) << "the strict setters allow no tolerance";
  EXPECT_RESULT(kResultOk, p->SetPropertyData(2.0));
  EXPECT_RESULT(kResultOk, p->SetDirectCurValue(1.5));

  EXPECT_RESULT(kResultOk, p->SetCurValue(2.0000005));
  EXPECT_EQ(2.0, Value(p.get()));
  EXPECT_RESULT(kResultOk, p->SetCurValue(0.9999995));
  EXPECT_EQ(1.0, Value(p.get()));
  EXPECT_RESULT(kResultOutOfRange, p->SetCurValue(2.00001));
  EXPECT_RESULT(kResultOutOfRange, p->SetCurValue(0.99999));
  EXPECT_EQ(1.0, Value(p.get())) << "a refused value stores nothing";
}

TEST_F(FloatPropertyTest, ZeroBoundSwitchesOffAllButSetPropertyDataAndNaNPassesEveryCheck) {
  auto p = Make(kDataTypeDouble, 1.0, 0.0, 2.0);
  EXPECT_RESULT(kResultOk, p->SetCurValue(50.0));
  EXPECT_EQ(50.0, Value(p.get()));
  EXPECT_RESULT(kResultOk, p->SetDirectCurValue(-3.0));
  EXPECT_RESULT(kResultOutOfRange, p->SetPropertyData(50.0));
  EXPECT_EQ(-3.0, Value(p.get()));

  p = Make(kDataTypeDouble, 1.5, 1.0, 2.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_RESULT(kResultOk, p->SetCurValue(nan));
  EXPECT_TRUE(std::isnan(Value(p.get())));
  EXPECT_RESULT(kResultOk, p->SetPropertyData(nan));
  EXPECT_RESULT(kResultOk, p->SetDirectCurValue(nan));
  EXPECT_TRUE(std::isnan(Value(p.get())));
}

TEST_F(FloatPropertyTest, SingleStoresFourBytesAndReadsTheDefaultAfterReset) {
  auto p = Make(kDataTypeFloat, 0.5, 0.0, 0.0, nullptr, 0.3);
  EXPECT_RESULT(kResultOk, p->SetCurValue(0.1));
  EXPECT_EQ(4u, StoredBytes(p.get()));
  EXPECT_EQ(0.10000000149011612, Value(p.get()));

  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(8u, StoredBytes(p.get()));
  EXPECT_EQ(0.3, Value(p.get())) << "the 8-byte default reads back as the double it is";
  EXPECT_EQ(8u, testing::DefaultOf(p.get()).size());

  const unsigned char two[2] = {0x80, 0x3F};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(two, 2));
  const unsigned char padded[4] = {0x80, 0x3F, 0, 0};
  float expected = 1.0f;
  std::memcpy(&expected, padded, sizeof(expected));
  EXPECT_EQ(static_cast<double>(expected), Value(p.get())) << "stored bytes short of a single read as zeros";
  EXPECT_RESULT(kResultOk, p->SetCurValue(1e300));
  EXPECT_TRUE(std::isinf(Value(p.get())));
}

TEST_F(FloatPropertyTest, OtherTypesStoreAndReadNothing) {
  auto p = Make(kDataTypeUInt32, 3.0, 0.0, 0.0);
  EXPECT_EQ(0u, StoredBytes(p.get()));
  EXPECT_RESULT(kResultOk, p->SetCurValue(4.0));
  EXPECT_EQ(0u, StoredBytes(p.get()));
  EXPECT_EQ(-12345.0, Value(p.get()));
  EXPECT_RESULT(kResultInvalidArgument, p->GetCurValue(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->GetMinRange(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->GetMaxRange(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyData(nullptr, 4));
  EXPECT_RESULT(kResultNullPointer, p->GetSignificantDigitAfterPoint(nullptr));
}

TEST_F(FloatPropertyTest, NamedConstructionRefusesAnOutOfRangeValueThenRaisesIt) {
  auto p = Make(kDataTypeDouble, 5.0, 1.0, 2.0);
  EXPECT_EQ(1.0, Value(p.get()));

  auto open = QRef<CQFloatProperty>::Adopt(new CQFloatProperty(&host_, nullptr));
  EXPECT_EQ(-std::numeric_limits<double>::max(), Out<double>(open.get(), &CQFloatProperty::GetMinRange));
  EXPECT_EQ(std::numeric_limits<double>::max(), Out<double>(open.get(), &CQFloatProperty::GetMaxRange));
}

TEST_F(FloatPropertyTest, SetRangeMovesTheValueWithoutTellingTheMediator) {
  auto p = Make(kDataTypeDouble, 1.5, 1.0, 2.0, &mediator_);
  const size_t before = mediator_.calls.size();
  EXPECT_RESULT(kResultOk, p->SetRange(3.0, 4.0));
  EXPECT_EQ(3.0, Value(p.get()));
  EXPECT_RESULT(kResultOk, p->SetRange(-2.0, -1.0));
  EXPECT_EQ(-1.0, Value(p.get()));
  EXPECT_EQ(before, mediator_.calls.size());

  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused, p->SetCurValue(-1.5));
  EXPECT_RESULT(kResultChangeRefused, p->SetPropertyData(-1.5));
  EXPECT_EQ(-1.0, Value(p.get()));
}

TEST_F(FloatPropertyTest, PresetTextFollowsTheDigitCount) {
  auto p = Make(kDataTypeDouble, 2.5, 0.0, 1e9);
  EXPECT_EQ(2u, Out<ULONG>(p.get(), &CQFloatProperty::GetSignificantDigitAfterPoint));
  EXPECT_EQ("2.50", PresetOf(p.get()));
  p->SetCurValue(1e7);
  EXPECT_EQ("10000000.00", PresetOf(p.get()));
  p->SetCurValue(-0.125);
  EXPECT_EQ("-0.12", PresetOf(p.get()));

  p->SetCurValue(2.5);
  p->SetSignificantDigitAfterPoint(0);
  EXPECT_EQ("2", PresetOf(p.get())) << "rounded half to even, no point";
  p->SetSignificantDigitAfterPoint(3);
  ULONG length = 0;
  EXPECT_EQ("2.500", PresetOf(p.get(), &length));
  EXPECT_EQ(5u, length);
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(nullptr, nullptr));
}

TEST_F(FloatPropertyTest, LoadRestoresDirectlyAndRefusesNonNumbers) {
  auto p = Make(kDataTypeDouble, 1.23456, 1.0, 2.0, &mediator_);
  const size_t before = mediator_.calls.size();
  auto saved = Wide(PresetOf(p.get()));
  p->SetCurValue(1.9);
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(saved.data(), 0));
  EXPECT_EQ(1.23, Value(p.get()));
  EXPECT_EQ(before + 1, mediator_.calls.size()) << "only SetCurValue was reported";

  EXPECT_RESULT(kResultNotFound, p->LoadDirectDataFromPreset(Wide("abc").data(), 0));
  EXPECT_EQ(1.23, Value(p.get()));
  EXPECT_RESULT(kResultOutOfRange, p->LoadDirectDataFromPreset(Wide("  7.5e0xyz").data(), 0));
  EXPECT_RESULT(kResultNullPointer, p->LoadDirectDataFromPreset(nullptr, 0));

  EXPECT_RESULT(kResultOk, p->SetDataSize(3));
  EXPECT_EQ(8u, StoredBytes(p.get()));
}

// The digits and the range a copy takes are checked with a derived source in the copy tests.
TEST_F(FloatPropertyTest, CloneKeepsTheValueUnderTheRange) {
  auto typed = CloneAs<IQFloatProperty>(Make(kDataTypeDouble, 1.5, 1.0, 2.0).get(), IID_IQFloatProperty);
  ASSERT_TRUE(typed);
  EXPECT_RESULT(kResultOutOfRange, typed->SetCurValue(3.0));
  EXPECT_EQ(1.5, Value(typed.get()));
}

}  // namespace
}  // namespace Quenneth
