#include "qenproperties/scalar/bool_property.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/fake_mediator.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::FakeMediator;

std::vector<WCHAR> Wide(const std::string& text) {
  std::vector<WCHAR> wide(text.begin(), text.end());
  wide.push_back(0);
  return wide;
}

class BoolPropertyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(0u, host_.Count());
    EXPECT_EQ(0u, mediator_.Count());
  }
  QRef<CQBoolProperty> Make(unsigned char defaultValue, unsigned char current,
                            IQPropertyMediator* mediator = nullptr) {
    return QRef<CQBoolProperty>::Adopt(
        new CQBoolProperty("Mute", "Mutes the output", 2, 40, defaultValue, current, &host_, mediator));
  }
  static unsigned char Value(CQBoolProperty* p, unsigned char preset = 0xEE) {
    p->GetCurValue(&preset);
    return preset;
  }
  static std::string Preset(CQBoolProperty* p) {
    ULONG length = 0;
    if (p->GetPropertyDataToSave(nullptr, &length) != kResultOk) return "<error>";
    std::vector<WCHAR> text(length + 1, 0xAAAA);
    p->GetPropertyDataToSave(text.data(), &length);
    if (text[length] != 0) return "<no terminator>";
    return std::string(text.begin(), text.begin() + length);
  }

  CountingServicesManager host_;
  FakeMediator mediator_;
};

TEST_F(BoolPropertyTest, ByteIsKeptAsGivenAndTextFoldsIt) {
  auto p = Make(0, 0);
  EXPECT_RESULT(kResultOk, p->SetCurValue(1));
  ULONG length = 0;
  p->GetPropertyDataToSave(nullptr, &length);
  EXPECT_EQ(4u, length);
  EXPECT_EQ("TRUE", Preset(p.get()));
  EXPECT_RESULT(kResultOk, p->SetCurValue(0));
  p->GetPropertyDataToSave(nullptr, &length);
  EXPECT_EQ(5u, length);
  EXPECT_EQ("FALSE", Preset(p.get()));

  EXPECT_RESULT(kResultOk, p->SetCurValue(7));
  EXPECT_EQ(7, Value(p.get()));
  EXPECT_EQ("TRUE", Preset(p.get()));
  EXPECT_RESULT(kResultOk, p->SetPropertyData(static_cast<unsigned char>(2)));
  EXPECT_EQ(2, Value(p.get()));
}

TEST_F(BoolPropertyTest, NullArgumentsGetTheirCodes) {
  auto p = Make(0, 1);
  EXPECT_RESULT(kResultInvalidArgument, p->GetCurValue(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyData(nullptr, 1));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
  EXPECT_RESULT(kResultNullPointer, p->CloneProperty(nullptr));
  WCHAR buffer[8] = {0xAAAA};
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(buffer, nullptr));
  EXPECT_EQ(0xAAAA, buffer[0]) << "nothing written without a length";
}

TEST_F(BoolPropertyTest, LoadAcceptsOnlyTheExactTrueText) {
  auto p = Make(0, 0);
  auto trueText = Wide("TRUE");
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(trueText.data(), 0));
  EXPECT_EQ(1, Value(p.get()));
  for (const char* other : {"FALSE", "TRUE ", "true", "1", "", " TRUE"}) {
    p->SetCurValue(9);
    auto text = Wide(other);
    EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(text.data(), 0));
    EXPECT_EQ(0, Value(p.get())) << '"' << other << '"';
  }
}

TEST_F(BoolPropertyTest, RawStoreKeepsAllBytesAndReadsTheFirst) {
  auto p = Make(0, 0);
  const unsigned char bytes[4] = {0, 1, 2, 3};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(bytes, 4));
  ULONG length = 0;
  p->GetPropertyData(nullptr, &length);
  EXPECT_EQ(4u, length);
  EXPECT_EQ(0, Value(p.get()));
  EXPECT_EQ("FALSE", Preset(p.get()));
}

TEST_F(BoolPropertyTest, NeverSetValueLeavesTheCallersByteUntilReset) {
  auto p = QRef<CQBoolProperty>::Adopt(new CQBoolProperty(&host_, nullptr));
  EXPECT_EQ(0xEE, Value(p.get()));
  EXPECT_EQ("FALSE", Preset(p.get()));
  ULONG flags = 0;
  p->GetPropertyFlags(&flags);
  EXPECT_EQ(1u, flags);
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
  auto falseText = Wide("FALSE");
  EXPECT_RESULT(kResultChangeRefused, p->LoadDirectDataFromPreset(falseText.data(), 0));
  EXPECT_EQ(3u, mediator_.calls.size()) << "a load is a notifying store";
  EXPECT_EQ(1, Value(p.get()));

  EXPECT_RESULT(kResultOk, p->SetDirectCurValue(0));
  EXPECT_EQ(0, Value(p.get()));
  EXPECT_EQ(3u, mediator_.calls.size());
  p->SetProperyMediator(nullptr);
}

TEST_F(BoolPropertyTest, CloneCopiesValueWithoutMediator) {
  auto p = Make(0, 5, &mediator_);
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, p->CloneProperty(clone.Put()));
  QRef<IQBoolProperty> typed;
  ASSERT_RESULT(kResultOk, clone->QueryInterface(IID_IQBoolProperty, typed.PutVoid()));
  unsigned char value = 0;
  typed->GetCurValue(&value);
  EXPECT_EQ(5, value);
  const size_t before = mediator_.calls.size();
  EXPECT_RESULT(kResultOk, typed->SetCurValue(0));
  EXPECT_EQ(before, mediator_.calls.size());
  p->SetProperyMediator(nullptr);

  QRef<IQPropertySerializer> serializer;
  EXPECT_RESULT(kResultOk, p->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid()));
  EXPECT_RESULT(kResultOk, serializer->SetDataSize(100));
  ULONG length = 0;
  p->GetPropertyData(nullptr, &length);
  EXPECT_EQ(1u, length);
}

}  // namespace
}  // namespace Quenneth
