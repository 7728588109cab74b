#include "qenproperties/enum/enum_long_property.h"

#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/qref.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/enum_checks.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::AllocationFailure;
using testing::OkOut;
using testing::PresetOf;
using testing::ValueOf;
using testing::Wide;

std::vector<ULONG> ValuesOf(const CQEnumLongProperty& property) {
  ULONG count = 0;
  property.GetEnumCount(&count);
  std::vector<ULONG> values(count);
  for (ULONG i = 0; i < count; ++i) property.GetEnumLongValue(i, &values[i]);
  return values;
}

class EnumLongPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQEnumLongProperty> Make(std::vector<ULONG> values, IQPropertyMediator* mediator = nullptr) {
    auto p = QRef<CQEnumLongProperty>::Adopt(new CQEnumLongProperty("Rate", "Sample rate", 2, 40, &host_, mediator));
    for (ULONG value : values) p->AddEnumLongValue(value);
    return p;
  }
  static ULONG Index(const CQEnumLongProperty& p) {
    ULONG index = 0xDEADBEEF;
    p.GetCurSelIndex(&index);
    return index;
  }
};

TEST_F(EnumLongPropertyTest, NamedFormHasDefaultIndexZeroButNoValueAndTheDefaultFormNoDefault) {
  auto p = Make({});
  EXPECT_EQ(kDataTypeEnumLong, testing::TypeOf(p.get()));
  EXPECT_TRUE(ValueOf(p.get()).empty());
  EXPECT_EQ(0xDEADBEEFu, Index(*p)) << "nothing is written while no value is stored";
  EXPECT_EQ("0", PresetOf(p.get()));
  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(std::vector<unsigned char>(4, 0), ValueOf(p.get()));

  auto plain = QRef<CQEnumLongProperty>::Adopt(new CQEnumLongProperty(&host_, nullptr));
  EXPECT_TRUE(testing::DefaultOf(plain.get()).empty());
}

TEST_F(EnumLongPropertyTest, SelectionChecksTheCountAndTakesTheFirstMatch) {
  auto p = Make({7, 9});
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetCurSelIndex(2));
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetDirectCurSelIndex(2));
  EXPECT_RESULT(kResultIndexOutOfRange, p->GetEnumLongValue(2, nullptr));
  EXPECT_RESULT(kResultOk, p->GetEnumLongValue(1, nullptr)) << "the index is checked before the pointer";
  EXPECT_TRUE(ValueOf(p.get()).empty());
  EXPECT_RESULT(kResultOk, p->SetCurSelIndex(1));
  EXPECT_EQ(1u, Index(*p));
  EXPECT_EQ(9u, OkOut<ULONG>(p.get(), &CQEnumLongProperty::GetCurSelLongValue));
  EXPECT_EQ("9", PresetOf(p.get()));

  p = Make({4, 9, 9});
  EXPECT_RESULT(kResultOk, p->SetCurSelLongValue(9));
  EXPECT_EQ(1u, Index(*p));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelLongValue(5));
  EXPECT_RESULT(kResultInvalidArgument, p->SetDirectCurSelLongValue(5));
  EXPECT_EQ(1u, Index(*p));
  EXPECT_RESULT(kResultOk, p->SetDirectCurSelLongValue(4));
  EXPECT_EQ(0u, Index(*p));
  EXPECT_RESULT(kResultInvalidArgument, Make({})->SetCurSelLongValue(0)) << "an empty list holds nothing";
}

TEST_F(EnumLongPropertyTest, OnlyTheNotifyingSettersTellTheMediator) {
  auto p = Make({1, 2, 3}, &mediator_);
  testing::ExpectAllOk({p->SetCurSelIndex(1), p->SetCurSelLongValue(3), p->SetPropertyData(ULONG{0})});
  EXPECT_EQ(3u, mediator_.calls.size());
  testing::ExpectAllOk({p->SetDirectCurSelIndex(1), p->SetDirectCurSelLongValue(3), p->Reset()});
  EXPECT_EQ(3u, mediator_.calls.size());

  mediator_.answer = kResultChangeRefused;
  p->SetDirectCurSelIndex(1);
  EXPECT_RESULT(kResultChangeRefused, p->SetCurSelIndex(2));
  EXPECT_EQ(1u, Index(*p)) << "a refused change keeps the old index";
}

TEST_F(EnumLongPropertyTest, RawDataAndDefaultAreStoredUnchecked) {
  auto p = Make({1});
  EXPECT_RESULT(kResultOk, p->SetPropertyData(ULONG{5}));
  EXPECT_EQ(5u, Index(*p));
  EXPECT_RESULT(kResultOk, p->GetCurSelLongValue(nullptr)) << "a null variable is checked before the index";
  ULONG value = 77;
  EXPECT_RESULT(kResultNoSelection, p->GetCurSelLongValue(&value));
  EXPECT_EQ(77u, value);
  EXPECT_RESULT(kResultNoSelection, p->GetPropertyDataToSave(nullptr, &value));

  const unsigned char longer[6] = {0, 0, 0, 0, 0xAA, 0xBB};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(longer, sizeof(longer)));
  EXPECT_EQ(0u, Index(*p)) << "only the first 4 of the stored bytes are read";
  EXPECT_EQ("1", PresetOf(p.get()));

  EXPECT_RESULT(kResultOk, p->SetPropertyDefaultData(ULONG{3}));
  EXPECT_EQ(0u, Index(*p)) << "the default does not touch the value";
  p->Reset();
  EXPECT_EQ(3u, Index(*p));
}

TEST_F(EnumLongPropertyTest, PresetTextIsTheSignedSelectedNumber) {
  auto p = Make({4294967295u});
  p->SetCurSelIndex(0);
  EXPECT_EQ("-1", PresetOf(p.get()));
  ULONG length = 0;
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(nullptr, nullptr));
  p->GetPropertyDataToSave(nullptr, &length);
  EXPECT_EQ(2u, length) << "length in code units without the terminator";

  auto loaded = Make({});
  EXPECT_RESULT(kResultOk, loaded->LoadDirectDataFromPreset(Wide("-1").data(), 0));
  EXPECT_EQ(std::vector<ULONG>{4294967295u}, ValuesOf(*loaded));
  EXPECT_EQ(0u, Index(*loaded));
  EXPECT_EQ("-1", PresetOf(loaded.get()));
}

TEST_F(EnumLongPropertyTest, LoadAppendsAndSelectsIndexZeroWithANotification) {
  auto p = Make({8}, &mediator_);
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("abc").data(), 0));
  EXPECT_EQ((std::vector<ULONG>{8, 0}), ValuesOf(*p)) << "unreadable text loads 0";
  EXPECT_EQ(0u, Index(*p));
  EXPECT_EQ(1u, mediator_.calls.size());

  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused, p->LoadDirectDataFromPreset(Wide(" 12x").data(), 0));
  EXPECT_EQ((std::vector<ULONG>{8, 0, 12}), ValuesOf(*p));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
}

TEST_F(EnumLongPropertyTest, ListChangesKeepTheStoredIndexAndFailedAddsChangeNothing) {
  auto p = Make({7, 9});
  p->SetCurSelIndex(1);
  EXPECT_RESULT(kResultOk, p->RemoveAllEnumValuess());
  EXPECT_TRUE(ValuesOf(*p).empty());
  EXPECT_EQ(1u, Index(*p));
  ULONG value = 0;
  EXPECT_RESULT(kResultNoSelection, p->GetCurSelLongValue(&value));

  p = Make({1});
  {
    AllocationFailure fail(1);
    EXPECT_RESULT(kResultStorageFailed, p->AddEnumLongValue(2));
    EXPECT_TRUE(fail.Triggered());
  }
  EXPECT_EQ(std::vector<ULONG>{1}, ValuesOf(*p));
}

TEST_F(EnumLongPropertyTest, AssignmentAppendsTheSourceList) {
  auto source = Make({1, 2});
  source->SetCurSelIndex(1);
  auto target = Make({3});
  *target = *source;
  EXPECT_EQ((std::vector<ULONG>{3, 1, 2}), ValuesOf(*target));
  EXPECT_EQ(1u, Index(*target)) << "the base property, value included, is the source's";
  *target = *target;
  EXPECT_EQ(3u, ValuesOf(*target).size()) << "self-assignment does nothing";

  QRef<IQProperty> owned;
  EXPECT_RESULT(kResultOk, source->CloneProperty(owned.Put()));
  auto* copy = static_cast<CQEnumLongProperty*>(owned.get());
  EXPECT_EQ((std::vector<ULONG>{1, 2}), ValuesOf(*copy));
  EXPECT_EQ("2", PresetOf(copy));
}

TEST_F(EnumLongPropertyTest, HasNoOptionalPropertyAndRefusesNullArguments) {
  auto p = Make({});
  void* out = &out;
  EXPECT_RESULT(kResultNoInterface, p->QueryInterface(IID_IQOptionalProperty, &out));
  EXPECT_EQ(nullptr, out);
  EXPECT_RESULT(kResultInvalidArgument, p->GetEnumCount(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->GetCurSelIndex(nullptr));
  EXPECT_RESULT(kResultOk, p->SetDataSize(99));
  EXPECT_RESULT(kResultOk, p->SetPropertyName(Wide("Tempo").data()));
  ULONG length = 0;
  p->GetPropertyName(nullptr, &length);
  EXPECT_EQ(5u, length);
}

}  // namespace
}  // namespace Quenneth
