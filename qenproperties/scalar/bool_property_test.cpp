#include "qenproperties/scalar/bool_property.h"

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CloneAs;
using testing::PresetOf;
using testing::ValueOf;
using testing::Wide;

class BoolPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQBoolProperty> Make(unsigned char defaultValue, unsigned char current, IQPropertyMediator* mediator = nullptr) {
    return QRef<CQBoolProperty>::Adopt(
        new CQBoolProperty("Mute", "Mutes the output", 2, 40, defaultValue, current, &host_, mediator));
  }
  static unsigned char Value(IQBoolProperty* p, unsigned char preset = 0xEE) {
    p->GetCurValue(&preset);
    return preset;
  }
};

TEST_F(BoolPropertyTest, ByteIsKeptAsGivenAndTextFoldsIt) {
  auto p = Make(0, 0);
  ULONG length = 0;
  EXPECT_RESULT(kResultOk, p->SetCurValue(1));
  EXPECT_EQ("TRUE", PresetOf(p.get(), &length));
  EXPECT_EQ(4u, length);
  EXPECT_RESULT(kResultOk, p->SetCurValue(0));
  EXPECT_EQ("FALSE", PresetOf(p.get(), &length));
  EXPECT_EQ(5u, length);

  EXPECT_RESULT(kResultOk, p->SetCurValue(7));
  EXPECT_EQ(7, Value(p.get()));
  EXPECT_EQ("TRUE", PresetOf(p.get()));
  EXPECT_RESULT(kResultOk, p->SetPropertyData(static_cast<unsigned char>(2)));
  EXPECT_EQ(2, Value(p.get()));

  const unsigned char bytes[4] = {0, 1, 2, 3};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(bytes, 4));
  EXPECT_EQ(4u, ValueOf(p.get()).size()) << "a raw store keeps every byte";
  EXPECT_EQ(0, Value(p.get())) << "and the first one is the value";
  EXPECT_EQ("FALSE", PresetOf(p.get()));
}

TEST_F(BoolPropertyTest, NullArgumentsGetTheirCodes) {
  auto p = Make(0, 1);
  EXPECT_RESULT(kResultInvalidArgument, p->GetCurValue(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyData(nullptr, 1));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
  WCHAR buffer[8] = {0xAAAA};
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(buffer, nullptr));
  EXPECT_EQ(0xAAAA, buffer[0]) << "nothing written without a length";
}

TEST_F(BoolPropertyTest, LoadAcceptsOnlyTheExactTrueText) {
  auto p = Make(0, 0);
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("TRUE").data(), 0));
  EXPECT_EQ(1, Value(p.get()));
  for (const char* other : {"FALSE", "TRUE ", "true", "1", "", " TRUE"}) {
    p->SetCurValue(9);
    EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide(other).data(), 0));
    EXPECT_EQ(0, Value(p.get())) << '"' << other << '"';
  }
}

TEST_F(BoolPropertyTest, NeverSetValueLeavesTheCallersByteUntilReset) {
  auto p = QRef<CQBoolProperty>::Adopt(new CQBoolProperty(&host_, nullptr));
  EXPECT_EQ(0xEE, Value(p.get()));
  EXPECT_EQ("FALSE", PresetOf(p.get()));
  p->SetPropertyDefaultData(static_cast<unsigned char>(3));
  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(3, Value(p.get()));
}

TEST_F(BoolPropertyTest, MediatorIsToldOfSetsButNotOfDirectStores) {
  auto p = Make(0, 1, &mediator_);
  ASSERT_EQ(1u, mediator_.calls.size()) << "the named constructor's store goes through the mediator";
  EXPECT_EQ(1, Value(p.get()));

  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused, p->SetCurValue(0));
  EXPECT_EQ(1, Value(p.get())) << "a refused change leaves the old byte";
  EXPECT_EQ(2u, mediator_.calls.size());
  EXPECT_RESULT(kResultChangeRefused, p->LoadDirectDataFromPreset(Wide("FALSE").data(), 0));
  EXPECT_EQ(3u, mediator_.calls.size()) << "a load is a notifying store";
  EXPECT_EQ(1, Value(p.get()));

  EXPECT_RESULT(kResultOk, p->SetDirectCurValue(0));
  EXPECT_EQ(0, Value(p.get()));
  EXPECT_EQ(3u, mediator_.calls.size());
}

TEST_F(BoolPropertyTest, CloneCopiesTheByteAndSizeWordIsIgnored) {
  auto p = Make(0, 5);
  auto typed = CloneAs<IQBoolProperty>(p.get(), IID_IQBoolProperty);
  ASSERT_TRUE(typed);
  EXPECT_EQ(5, Value(typed.get()));

  EXPECT_RESULT(kResultOk, p->SetDataSize(100));
  EXPECT_EQ(1u, ValueOf(p.get()).size());
}

}  // namespace
}  // namespace Quenneth
