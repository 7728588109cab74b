#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::FlagsOf;
using testing::ObjectIdOf;
using testing::Out;
using testing::PresetOf;
using testing::ValueOf;
using testing::Wide;

class LongPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQLongProperty> Make(QDataType type, ULONG current, ULONG minimum, ULONG maximum,
                            IQPropertyMediator* mediator = nullptr) {
    return QRef<CQLongProperty>::Adopt(
        new CQLongProperty("Level", "A level", 3, 17, type, 0, current, minimum, maximum, &host_, mediator));
  }
  static ULONG Value(CQLongProperty* p) {
    ULONG value = 0xDEADBEEF;
    p->GetCurValue(&value);
    return value;
  }
  // Loads `text` into `p` as a preset and gives the result code.
  static ULONG Load(CQLongProperty* p, const char* text) { return p->LoadDirectDataFromPreset(Wide(text).data(), 0); }
};

TEST_F(LongPropertyTest, RangeIsInclusiveSignedByTypeAndOffWhileABoundIsZero) {
  auto p = Make(kDataTypeUInt32, 15, 10, 20);
  EXPECT_RESULT(kResultOutOfRange, p->SetCurValue(9));
  EXPECT_RESULT(kResultOutOfRange, p->SetCurValue(21));
  EXPECT_EQ(15u, Value(p.get())) << "a refused value stores nothing";
  EXPECT_RESULT(kResultOk, p->SetCurValue(10));
  EXPECT_RESULT(kResultOk, p->SetDirectCurValue(20));
  EXPECT_EQ(20u, Value(p.get()));
  EXPECT_RESULT(kResultOutOfRange, p->SetDirectCurValue(21));
  EXPECT_RESULT(kResultOutOfRange, p->SetPropertyData(ULONG{0}));

  p->SetRange(0, 20);
  EXPECT_RESULT(kResultOk, p->SetCurValue(1000));
  p->SetRange(1, 0);
  EXPECT_RESULT(kResultOk, p->SetCurValue(5000));

  auto s = Make(kDataTypeInt32, 5, 0xFFFFFFF6, 10);
  EXPECT_EQ(5u, Value(s.get())) << "SetRange keeps a value inside [-10, 10]";
  EXPECT_RESULT(kResultOk, s->SetCurValue(static_cast<ULONG>(-10)));
  EXPECT_RESULT(kResultOutOfRange, s->SetCurValue(11));
  EXPECT_RESULT(kResultOutOfRange, s->SetCurValue(static_cast<ULONG>(-11)));

  auto u = Make(kDataTypeUInt32, 0, 0xFFFFFFF6, 10);
  EXPECT_RESULT(kResultOutOfRange, u->SetCurValue(5)) << "unsigned, [4294967286, 10] holds nothing";
}

TEST_F(LongPropertyTest, StoresTheTypesWidthButResetStoresTheFourByteDefault) {
  auto byte = Make(kDataTypeUInt8, 0, 1, 300);
  EXPECT_RESULT(kResultOk, byte->SetCurValue(300));
  EXPECT_EQ(std::vector<unsigned char>{0x2C}, ValueOf(byte.get()));
  byte->SetRange(0, 0);
  EXPECT_RESULT(kResultOk, byte->SetCurValue(0x1FF));
  EXPECT_EQ(255u, Value(byte.get()));

  auto word = Make(kDataTypeUInt16, 0x12345678, 0, 0);
  EXPECT_EQ((std::vector<unsigned char>{0x78, 0x56}), ValueOf(word.get()));
  EXPECT_EQ(0x5678u, Value(word.get()));

  auto unknown = Make(static_cast<QDataType>(5), 0, 0, 0);
  const std::vector<unsigned char> before = ValueOf(unknown.get());
  EXPECT_RESULT(kResultOk, unknown->SetCurValue(7));
  EXPECT_EQ(before, ValueOf(unknown.get()));
  ULONG untouched = 0xABCD;
  EXPECT_RESULT(kResultOk, unknown->GetCurValue(&untouched));
  EXPECT_EQ(0xABCDu, untouched);
  EXPECT_RESULT(kResultInvalidArgument, unknown->GetCurValue(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, unknown->GetMinRange(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, unknown->GetMaxRange(nullptr));

  auto p =
      QRef<CQLongProperty>::Adopt(new CQLongProperty("B", "", 0, 1, kDataTypeUInt8, 0x1234, 9, 0, 0, &host_, nullptr));
  EXPECT_EQ(9u, FlagsOf(p.get()));
  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(4u, ValueOf(p.get()).size());
  EXPECT_EQ(0x34u, Value(p.get()));
  EXPECT_EQ(1u, FlagsOf(p.get()));
}

TEST_F(LongPropertyTest, SetRangePullsTheValueInWithoutTellingTheMediator) {
  mediator_.answer = kResultNotRegistered;  // as a mediator the new property is not registered with
  auto p = Make(kDataTypeUInt32, 50, 0, 0, &mediator_);
  EXPECT_EQ(1u, mediator_.calls.size()) << "the named constructor tells its mediator";
  EXPECT_EQ(0u, ValueOf(p.get()).size()) << "and the refused first value is not kept";
  mediator_.answer = kResultOk;
  ASSERT_RESULT(kResultOk, p->SetCurValue(50));
  EXPECT_RESULT(kResultOk, p->SetRange(1, 20));
  EXPECT_EQ(20u, Value(p.get()));
  EXPECT_RESULT(kResultOk, p->SetRange(60, 70));
  EXPECT_EQ(60u, Value(p.get()));
  EXPECT_EQ(2u, mediator_.calls.size());
  EXPECT_EQ(60u, Out<ULONG>(p.get(), &CQLongProperty::GetMinRange));
  EXPECT_EQ(70u, Out<ULONG>(p.get(), &CQLongProperty::GetMaxRange));
}

TEST_F(LongPropertyTest, NotifyingAndDirectSettersDiffer) {
  auto p = Make(kDataTypeUInt32, 0, 0, 0, &mediator_);
  mediator_.calls.clear();
  mediator_.answer = kResultChangeRefused;
  p->SetDirectCurValue(3);
  EXPECT_RESULT(kResultChangeRefused, p->SetCurValue(4));
  EXPECT_RESULT(kResultChangeRefused, p->SetPropertyData(ULONG{5}));
  const ULONG raw = 6;
  EXPECT_RESULT(kResultChangeRefused, p->SetPropertyData(&raw, 4));
  EXPECT_EQ(3u, mediator_.calls.size());
  EXPECT_EQ(3u, Value(p.get())) << "a refused change keeps the previous value";
}

TEST_F(LongPropertyTest, RawStoreIsCheckedByLength) {
  auto p = Make(kDataTypeInt32, 0, 0xFFFFFFF6, 10);
  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyData(nullptr, 4));
  const unsigned char minusFive[] = {0xFB, 0xFF, 0xFF, 0xFF};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(minusFive, 4)) << "4 bytes compare signed for type 14";
  const unsigned char two[] = {0xFB, 0xFF};
  EXPECT_RESULT(kResultOutOfRange, p->SetPropertyData(two, 2)) << "2 bytes compare unsigned";
  const unsigned char three[] = {1, 2, 3};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(three, 3)) << "other lengths are not checked";
  EXPECT_EQ(3u, ValueOf(p.get()).size());
  EXPECT_EQ(0x030201u, Value(p.get())) << "a short value reads zero-extended";
}

TEST_F(LongPropertyTest, PresetTextIsSignedDecimalAndLoadsBySizeWord) {
  auto p = Make(kDataTypeUInt32, 0x80000000u, 0, 0);
  ULONG length = 0;
  EXPECT_EQ("-2147483648", PresetOf(p.get(), &length));
  EXPECT_EQ(11u, length);
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(nullptr, nullptr));

  auto target = Make(kDataTypeUInt32, 1, 0, 0);
  target->SetDataSize(4);
  EXPECT_RESULT(kResultOk, Load(target.get(), "-2147483648"));
  EXPECT_EQ(0x80000000u, Value(target.get()));
  EXPECT_RESULT(kResultOk, Load(target.get(), "  42 apples"));
  EXPECT_EQ(42u, Value(target.get()));
  EXPECT_RESULT(kResultOk, Load(target.get(), "apples"));
  EXPECT_EQ(0u, Value(target.get()));
  EXPECT_RESULT(kResultNullPointer, target->LoadDirectDataFromPreset(nullptr, 0));

  target->SetDataSize(0);
  EXPECT_RESULT(kResultOk, Load(target.get(), "7"));
  EXPECT_EQ(0u, ValueOf(target.get()).size()) << "a size word of 0 stores an empty value";
  target->SetDataSize(12);
  EXPECT_RESULT(kResultOk, Load(target.get(), "7"));
  EXPECT_EQ((std::vector<unsigned char>{7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), ValueOf(target.get()));
  EXPECT_EQ(12u, Out<ULONG>(target.get(), &CQLongProperty::GetDataSize))
      << "GetDataSize reports the value length, not the size word";

  auto ranged = Make(kDataTypeUInt32, 5, 1, 10);
  ranged->SetDataSize(4);
  EXPECT_RESULT(kResultOutOfRange, Load(ranged.get(), "11"));
}

TEST_F(LongPropertyTest, CopiesShareIdentityAndOptionalProperty) {
  auto p = Make(kDataTypeUInt32, 0, 2, 9, &mediator_);
  p->SetDirectCurValue(4);
  p->SetOptionalProperty(&optional_);
  EXPECT_EQ(1u, optional_.count);

  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, p->CloneProperty(clone.Put()));
  auto* copy = static_cast<CQLongProperty*>(clone.get());
  EXPECT_EQ(9u, Out<ULONG>(copy, &CQLongProperty::GetMaxRange));
  EXPECT_EQ(4u, Value(copy));
  EXPECT_EQ(2u, optional_.count) << "the clone shares the optional property";

  auto assigned = QRef<CQLongProperty>::Adopt(new CQLongProperty(&host_, nullptr));
  *assigned = *p;
  *assigned = *assigned;
  EXPECT_EQ(ObjectIdOf(p.get()), ObjectIdOf(assigned.get()));
  EXPECT_EQ(4u, Value(assigned.get()));

  QRef<IQOptionalProperty> held;
  EXPECT_RESULT(kResultOk, assigned->QueryInterface(IID_IQOptionalProperty, held.PutVoid()));
  EXPECT_EQ(&optional_, held.get());
  held.reset();
  p->SetOptionalProperty(nullptr);
  void* out = &out;
  EXPECT_RESULT(kResultNoInterface, p->QueryInterface(IID_IQOptionalProperty, &out));
  EXPECT_EQ(nullptr, out);

  EXPECT_EQ(ObjectIdOf(p.get()), ObjectIdOf(p->BaseProperty())) << "the typed object has its base property's identity";
  QRef<IQPropertySerializer> serializer;
  ASSERT_RESULT(kResultOk, p->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid()));
  EXPECT_RESULT(kResultOk, serializer->SetPropertyName(nullptr)) << "serializer setters always answer 0";
  ULONG nameLength = 0;
  p->GetPropertyName(nullptr, &nameLength);
  EXPECT_EQ(5u, nameLength) << "and the name is kept";
}

}  // namespace
}  // namespace Quenneth
