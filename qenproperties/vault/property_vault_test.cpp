#include "qenproperties/vault/property_vault.h"

#include <new>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/scalar/bool_property.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::Wide;

ULONG RefsOf(IQProperty* property) { return testing::RefCount(property); }

class PropertyVaultTest : public testing::ReferenceBalanceTest {
 protected:
  void SetUp() override { vault_ = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(&host_)); }
  void TearDown() override {
    vault_ = nullptr;
    properties_.clear();
    ReferenceBalanceTest::TearDown();
  }
  // A property owned by the fixture; the vault's references come on top of this one.
  IQProperty* Make(const char* name, ULONG id) {
    properties_.push_back(QRef<CQBoolProperty>::Adopt(new CQBoolProperty(name, "", 0, id, 0, 0, &host_, nullptr)));
    return properties_.back().get();
  }
  static ULONG IdOf(IQProperty* property) {
    ULONG id = 0;
    property->GetPropertyID(&id);
    return id;
  }

  QRef<CQPropertyVault> vault_;
  std::vector<QRef<CQBoolProperty>> properties_;
};

TEST_F(PropertyVaultTest, EmptyVaultAnswersEachMissWithItsOwnCodeAndOnlyItsInterfaces) {
  ULONG count = 99;
  EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoCount(&count));
  EXPECT_EQ(0u, count);
  IQProperty* out = Make("x", 1);
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoByIndex(0, &out));
  EXPECT_RESULT(kResultNotFound, vault_->GetPropertyInfoByID(1, &out));
  EXPECT_EQ(nullptr, out);
  out = properties_[0].get();
  const auto name = Wide("x");
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoByName(name.data(), &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_RESULT(kResultIndexOutOfRange, vault_->RemovePropertyByIndex(0));
  EXPECT_RESULT(kResultOk, vault_->RemovePropertyByID(1));
  EXPECT_EQ(nullptr, (*vault_)[0]);
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoCount(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, vault_->AddProperty(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, vault_->InsertProperty(0, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoByID(1, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoByName(name.data(), nullptr));

  QRef<IQPropertyVault> asVault;
  EXPECT_RESULT(kResultOk, vault_->QueryInterface(IID_IQPropertyVault, asVault.PutVoid()));
  EXPECT_EQ(static_cast<IQPropertyVault*>(vault_.get()), asVault.get());
  QRef<IQUnknown> asUnknown;
  EXPECT_RESULT(kResultOk, vault_->QueryInterface(IID_IQUnknown, asUnknown.PutVoid()));
  void* other = &other;
  EXPECT_RESULT(kResultNoInterface, vault_->QueryInterface(IID_IQProperty, &other));
  EXPECT_EQ(nullptr, other);
}

TEST_F(PropertyVaultTest, InsertTakesThePositionOrAppendsBeyondTheEnd) {
  IQProperty* a = Make("a", 1);
  IQProperty* b = Make("b", 2);
  IQProperty* front = Make("front", 3);
  IQProperty* back = Make("back", 4);
  vault_->AddProperty(a);
  vault_->AddProperty(b);
  EXPECT_RESULT(kResultOk, vault_->InsertProperty(0, front));
  EXPECT_RESULT(kResultOk, vault_->InsertProperty(7, back));
  EXPECT_RESULT(kResultOk, vault_->InsertProperty(2, front));
  const std::vector<ULONG> expected{3, 1, 3, 2, 4};
  std::vector<ULONG> ids;
  for (ULONG i = 0; (*vault_)[i] != nullptr; ++i) ids.push_back(IdOf((*vault_)[i]));
  EXPECT_EQ(expected, ids);
  EXPECT_EQ(3u, RefsOf(front)) << "one reference per position it stands at";

  EXPECT_RESULT(kResultOk, vault_->RemovePropertyByIndex(1));
  EXPECT_EQ(front, (*vault_)[1]);
  EXPECT_EQ(1u, RefsOf(a)) << "the removed element's reference is given back";
}

TEST_F(PropertyVaultTest, FrontMostOfEqualIDsIsFoundAndRemovedFirst) {
  IQProperty* first = Make("first", 5);
  IQProperty* second = Make("second", 5);
  vault_->AddProperty(Make("other", 9));
  vault_->AddProperty(first);
  vault_->AddProperty(second);

  QRef<IQProperty> found;
  ULONG index = 77;
  EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoByIDWithIndex(5, found.Put(), &index));
  EXPECT_EQ(first, found.get());
  EXPECT_EQ(1u, index);
  EXPECT_EQ(3u, RefsOf(first)) << "fixture, vault and caller";
  found = nullptr;

  EXPECT_RESULT(kResultNotFound, vault_->GetPropertyInfoByIDWithIndex(6, found.Put(), &index));
  EXPECT_EQ(nullptr, found.get());
  EXPECT_EQ(3u, index) << "a miss reports the element count";
  EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoByIDWithIndex(9, found.Put(), nullptr));
  found = nullptr;

  EXPECT_RESULT(kResultOk, vault_->RemovePropertyByID(5));
  EXPECT_EQ(1u, RefsOf(first));
  EXPECT_EQ(2u, RefsOf(second));
  EXPECT_RESULT(kResultOk, vault_->RemovePropertyByID(5));
  EXPECT_EQ(1u, RefsOf(second));
  ULONG count = 0;
  vault_->GetPropertyInfoCount(&count);
  EXPECT_EQ(1u, count);
}

TEST_F(PropertyVaultTest, NameLookupIsExactAndFrontMost) {
  IQProperty* shortName = Make("Gain", 1);
  IQProperty* longer = Make("Gain level with a long name", 2);
  IQProperty* first = Make("Gamma", 3);
  IQProperty* twin = Make("Gamma", 4);
  for (IQProperty* p : {shortName, longer, first, twin}) vault_->AddProperty(p);

  QRef<IQProperty> found;
  const auto gamma = Wide("Gamma");
  EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoByName(gamma.data(), found.Put()));
  EXPECT_EQ(first, found.get());
  EXPECT_EQ(3u, RefsOf(first));
  EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoByName(Wide("Gain").data(), found.Put()));
  EXPECT_EQ(shortName, found.get()) << "a prefix of a longer name does not match it";
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoByName(Wide("Gam").data(), found.Put()));
  EXPECT_EQ(nullptr, found.get());
  EXPECT_RESULT(kResultInvalidArgument, vault_->GetPropertyInfoByName(Wide("gamma").data(), found.Put()));
}

TEST_F(PropertyVaultTest, HandedOutElementsCarryOneReferenceAndIndexingNone) {
  IQProperty* p = Make("p", 8);
  vault_->AddProperty(p);
  vault_->AddProperty(p);
  EXPECT_EQ(3u, RefsOf(p));
  EXPECT_EQ(p, (*vault_)[1]);
  EXPECT_EQ(3u, RefsOf(p));
  {
    QRef<IQProperty> byIndex;
    QRef<IQProperty> byID;
    EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoByIndex(1, byIndex.Put()));
    EXPECT_RESULT(kResultOk, vault_->GetPropertyInfoByID(8, byID.Put()));
    EXPECT_EQ(5u, RefsOf(p));
  }
  EXPECT_RESULT(kResultOk, vault_->ResetPropertyVault());
  EXPECT_EQ(1u, RefsOf(p)) << "reset gives back both references";
}

TEST_F(PropertyVaultTest, FailedGrowthAndDestructionGiveTheReferenceBack) {
  IQProperty* p = Make("p", 8);
  {
    testing::AllocationFailure fail(1);
    EXPECT_THROW(vault_->AddProperty(p), std::bad_alloc);
    EXPECT_TRUE(fail.Triggered());
  }
  EXPECT_EQ(1u, RefsOf(p));
  EXPECT_EQ(nullptr, (*vault_)[0]);
  EXPECT_RESULT(kResultOk, vault_->AddProperty(p));
  EXPECT_EQ(p, (*vault_)[0]);
  vault_ = nullptr;
  EXPECT_EQ(1u, RefsOf(p)) << "destroying the vault releases its elements";
}

TEST_F(PropertyVaultTest, VersionUsesCodeUnitsWithoutTheTerminator) {
  std::vector<WCHAR> buffer(16, 0xAAAA);
  ULONG length = 99;
  EXPECT_RESULT(kResultOk, vault_->GetVersion(buffer.data(), &length));
  EXPECT_EQ(0u, length);
  EXPECT_EQ(0xAAAA, buffer[0]) << "no version leaves the buffer untouched";

  auto version = Wide("1.2.3-beta");
  EXPECT_RESULT(kResultOk, vault_->SetVersion(version.data()));
  EXPECT_RESULT(kResultOk, vault_->GetVersion(nullptr, &length));
  EXPECT_EQ(10u, length);
  EXPECT_RESULT(kResultOk, vault_->GetVersion(buffer.data(), nullptr));
  EXPECT_EQ(version, std::vector<WCHAR>(buffer.begin(), buffer.begin() + 11));
  EXPECT_EQ(0xAAAA, buffer[11]) << "exactly length + 1 units are written";

  vault_->AddProperty(Make("p", 1));
  vault_->ResetPropertyVault();
  EXPECT_RESULT(kResultOk, vault_->GetVersion(nullptr, &length));
  EXPECT_EQ(10u, length) << "reset keeps the version";
}

}  // namespace
}  // namespace Quenneth
