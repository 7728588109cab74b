#include "qenproperties/scalar/wstring_property.h"

#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/frame/interface_ids.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CloneAs;
using testing::FlagsOf;
using testing::TypeOf;
using testing::Wide;

class WStringPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQWStringProperty> Make(const std::string& defaultText, const std::string& initial,
                               IQPropertyMediator* mediator = nullptr) {
    const auto d = Wide(defaultText);
    const auto i = Wide(initial);
    return QRef<CQWStringProperty>::Adopt(
        new CQWStringProperty("Title", "Window title", 4, 60, d.data(), i.data(), &host_, mediator));
  }
  // The stored code units as they are, terminator included.
  static std::vector<WCHAR> Stored(const IQWStringProperty* p) {
    ULONG bytes = 0;
    p->GetCurString(nullptr, &bytes);
    std::vector<WCHAR> units((bytes + 1) / 2);
    p->GetCurString(units.data(), &bytes);
    return units;
  }
};

TEST_F(WStringPropertyTest, LengthsAreBytesWithTheTerminator) {
  auto p = Make("", "");
  const auto abc = Wide("abc");
  EXPECT_RESULT(kResultOk, p->SetCurString(abc.data()));
  ULONG n = 0;
  EXPECT_RESULT(kResultOk, p->GetCurString(nullptr, &n));
  EXPECT_EQ(8u, n);
  n = 0;
  EXPECT_RESULT(kResultOk, p->GetPropertyDataToSave(nullptr, &n));
  EXPECT_EQ(8u, n);
  std::vector<WCHAR> text(8, 0xAAAA);
  p->GetPropertyDataToSave(text.data(), &n);
  EXPECT_EQ(abc, std::vector<WCHAR>(text.begin(), text.begin() + 4));
  EXPECT_EQ(0xAAAA, text[4]) << "nothing past the stored bytes";
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("").data(), 0));
  EXPECT_EQ(Wide(""), Stored(p.get())) << "an empty preset stores the terminator alone";
}

TEST_F(WStringPropertyTest, LongStringsAreStoredWhole) {
  auto p = Make("", "");
  std::vector<WCHAR> big(10000, 'x');
  big[9999] = 'y';
  big.push_back(0);
  EXPECT_RESULT(kResultOk, p->SetCurString(big.data()));
  EXPECT_EQ(big, Stored(p.get()));
  ULONG limit = 99;
  EXPECT_RESULT(kResultOk, p->GetMaxStringLength(&limit));
  EXPECT_EQ(0u, limit);
  EXPECT_RESULT(kResultOk, p->SetPropertyDefaultData(big.data()));
  ULONG bytes = 0;
  p->GetPropertyDefaultData(nullptr, &bytes);
  EXPECT_EQ(20002u, bytes);
}

TEST_F(WStringPropertyTest, ResetRestoresTheDefaultText) {
  auto p = Make("A", "B");
  EXPECT_EQ(Wide("B"), Stored(p.get()));
  EXPECT_EQ(9u, FlagsOf(p.get()));
  EXPECT_EQ(kDataTypeWString, TypeOf(p.get()));
  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(Wide("A"), Stored(p.get()));

  auto empty = QRef<CQWStringProperty>::Adopt(new CQWStringProperty(&host_, nullptr));
  ULONG bytes = 99;
  EXPECT_RESULT(kResultOk, empty->GetCurString(nullptr, &bytes));
  EXPECT_EQ(0u, bytes);
}

TEST_F(WStringPropertyTest, MediatorSeesNotifyingStoresOnly) {
  auto p = Make("", "first", &mediator_);
  ASSERT_EQ(1u, mediator_.calls.size()) << "the initial text is a notifying store";
  mediator_.answer = kResultChangeRefused;
  const auto second = Wide("second");
  EXPECT_RESULT(kResultChangeRefused, p->SetCurString(second.data()));
  EXPECT_RESULT(kResultChangeRefused, p->SetPropertyData(second.data()));
  EXPECT_RESULT(kResultChangeRefused, p->LoadDirectDataFromPreset(const_cast<WCHAR*>(second.data()), 0));
  EXPECT_EQ(Wide("first"), Stored(p.get()));
  EXPECT_EQ(4u, mediator_.calls.size());

  auto direct = Wide("direct");
  EXPECT_RESULT(kResultOk, p->SetDirectCurString(direct.data()));
  EXPECT_EQ(direct, Stored(p.get()));
  EXPECT_EQ(4u, mediator_.calls.size());
}

TEST_F(WStringPropertyTest, RawBytesWithoutTerminatorAreNeverReadPast) {
  auto p = Make("", "");
  const WCHAR raw[3] = {'a', 'b', 'c'};
  EXPECT_RESULT(kResultOk, p->SetPropertyData(static_cast<const void*>(raw), 5));
  ULONG bytes = 0;
  p->GetCurString(nullptr, &bytes);
  EXPECT_EQ(5u, bytes) << "an odd byte count is kept as given";
  p->GetPropertyDataToSave(nullptr, &bytes);
  EXPECT_EQ(5u, bytes);
  // A buffer of exactly the reported size: the sanitizer catches any read or write past it.
  std::vector<unsigned char> exact(bytes);
  p->GetPropertyData(exact.data(), &bytes);
  EXPECT_EQ('a', exact[0]);
  EXPECT_EQ('c', exact[4]);
}

TEST_F(WStringPropertyTest, NullArgumentsGetTheirCodes) {
  auto p = Make("d", "v");
  EXPECT_RESULT(kResultNullPointer, p->SetCurString(nullptr));
  EXPECT_RESULT(kResultNullPointer, p->SetDirectCurString(nullptr));
  EXPECT_RESULT(kResultNullPointer, p->SetPropertyData(static_cast<const WCHAR*>(nullptr)));
  EXPECT_RESULT(kResultNullPointer, p->SetPropertyDefaultData(nullptr));
  EXPECT_RESULT(kResultNullPointer, p->LoadDirectDataFromPreset(nullptr, 0));
  EXPECT_RESULT(kResultNullPointer, p->GetMaxStringLength(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->GetCurString(nullptr, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->GetPropertyDataToSave(nullptr, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyData(static_cast<const void*>(nullptr), 2));
  EXPECT_EQ(Wide("v"), Stored(p.get()));
}

TEST_F(WStringPropertyTest, CloneIsIndependent) {
  auto p = Make("d", "original");
  auto typed = CloneAs<IQWStringProperty>(p.get(), IID_IQWStringProperty);
  ASSERT_TRUE(typed);
  EXPECT_EQ(Wide("original"), Stored(typed.get()));
  typed->SetCurString(Wide("changed").data());
  EXPECT_EQ(Wide("changed"), Stored(typed.get()));
  EXPECT_EQ(Wide("original"), Stored(p.get()));
}

}  // namespace
}  // namespace Quenneth
