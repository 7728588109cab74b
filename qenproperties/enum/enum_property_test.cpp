#include "qenproperties/enum/enum_property.h"

#include <string>
#include <utility>
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

using Entries = std::vector<std::pair<std::string, long long>>;

Entries EntriesOf(const CQEnumProperty& property) {
  ULONG count = 0;
  property.GetEnumCount(&count);
  Entries entries;
  for (ULONG i = 0; i < count; ++i) {
    ULONG bytes = 0;
    long long id = 0;
    property.GetEnumString64(i, nullptr, &bytes, &id);
    std::vector<WCHAR> text(bytes / 2 + 1);
    property.GetEnumString64(i, text.data(), &bytes, &id);
    entries.emplace_back(std::string(text.begin(), text.begin() + bytes / 2), id);
  }
  return entries;
}

std::string SelectedText(const CQEnumProperty& property) {
  return testing::ByteText([&property](WCHAR* text, ULONG* bytes) { return property.GetCurSelString(text, bytes); });
}

class EnumPropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQEnumProperty> Make(QDataType subType, const Entries& entries, IQPropertyMediator* mediator = nullptr) {
    auto p = QRef<CQEnumProperty>::Adopt(new CQEnumProperty("Mode", "Work mode", 1, 30, &host_, mediator, subType));
    for (const auto& entry : entries) p->AddEnumString64(entry.first.c_str(), entry.second);
    return p;
  }
  static ULONG Index(const CQEnumProperty& p) {
    ULONG index = 0xDEADBEEF;
    p.GetCurSel(&index);
    return index;
  }
};

TEST_F(EnumPropertyTest, NamedFormsHaveAZeroDefaultOfTheFormsWidth) {
  auto narrow = Make(kDataTypeUInt32, {});
  auto wide = Make(kDataTypeEnum64, {});
  EXPECT_EQ(std::vector<unsigned char>(4, 0), testing::DefaultOf(narrow.get()));
  EXPECT_EQ(std::vector<unsigned char>(8, 0), testing::DefaultOf(wide.get()));
  EXPECT_EQ(kDataTypeEnum, testing::TypeOf(narrow.get()));
  EXPECT_TRUE(ValueOf(narrow.get()).empty());

  EXPECT_EQ(0xDEADBEEFu, OkOut<ULONG>(narrow.get(), &CQEnumProperty::GetCurSelId, ULONG{0xDEADBEEF}))
      << "no value stored: nothing written";
  EXPECT_EQ("0", PresetOf(narrow.get()));
  EXPECT_EQ("0", PresetOf(wide.get()));

  auto bare = QRef<CQEnumProperty>::Adopt(new CQEnumProperty(&host_, nullptr, kDataTypeUInt32));
  EXPECT_TRUE(testing::DefaultOf(bare.get()).empty());
}

TEST_F(EnumPropertyTest, SharesTheEntryListRulesAndKeepsThirtyTwoBitIdsWhole) {
  testing::ExpectEntryListRules(Make(kDataTypeUInt32, {}).get());
  auto p = Make(kDataTypeUInt32, {});
  EXPECT_RESULT(kResultInvalidArgument, p->AddEnumString64(static_cast<const WCHAR*>(nullptr), 3));
  EXPECT_RESULT(kResultInvalidArgument, p->AddEnumString("\xC3", 4)) << "malformed UTF-8 adds nothing";
  EXPECT_RESULT(kResultOk, p->AddEnumString(Wide("hi").data(), 0xFFFFFFFFu));
  EXPECT_EQ((Entries{{"hi", 4294967295LL}}), EntriesOf(*p)) << "32-bit IDs are zero-extended; failed adds add nothing";
  ULONG bytes = 0;
  ULONG id = 0;
  EXPECT_RESULT(kResultOk, p->GetEnumString(0, nullptr, &bytes, &id));
  EXPECT_EQ(4u, bytes) << "two bytes per code unit, terminator not counted";
  EXPECT_EQ(0xFFFFFFFFu, id);
}

TEST_F(EnumPropertyTest, IdAndStringSelectionTakeTheFirstMatchByTheFormsBits) {
  auto p = Make(kDataTypeUInt32, {{"A", 5}, {"A", 5}});
  p->SetDirectCurSel(1);
  EXPECT_RESULT(kResultOk, p->SetCurSelString(Wide("A").data()));
  EXPECT_EQ(0u, Index(*p));
  p->SetDirectCurSel(1);
  EXPECT_RESULT(kResultOk, p->SetCurSelById(5));
  EXPECT_EQ(0u, Index(*p));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelString(Wide("B").data()));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelString(nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelById(6));

  p = Make(kDataTypeUInt32, {{"x", 1}, {"big", 0x100000005LL}});
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelById(5));
  EXPECT_TRUE(ValueOf(p.get()).empty());
  EXPECT_RESULT(kResultOk, p->SetDirectCurSelById(5));
  EXPECT_EQ(1u, Index(*p));
  EXPECT_EQ(5u, OkOut<ULONG>(p.get(), &CQEnumProperty::GetCurSelId)) << "the low 32 bits of the ID";
  EXPECT_EQ("big", SelectedText(*p));
}

TEST_F(EnumPropertyTest, IndexSelectionChecksTheCount) {
  auto p = Make(kDataTypeUInt32, {{"a", 1}, {"b", 2}, {"c", 3}});
  ULONG bytes = 0;
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetCurSel(3));
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetDirectCurSel(3));
  EXPECT_RESULT(kResultIndexOutOfRange, p->GetEnumString(3, nullptr, &bytes, nullptr));
  EXPECT_RESULT(kResultInvalidArgument, p->GetEnumString(0, nullptr, nullptr, nullptr));
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetCurSel64(-1));
  EXPECT_RESULT(kResultIndexOutOfRange, p->SetDirectCurSel64(3));
  EXPECT_TRUE(ValueOf(p.get()).empty());
  EXPECT_RESULT(kResultOk, p->SetCurSel(2));
  EXPECT_EQ((std::vector<unsigned char>{2, 0, 0, 0}), ValueOf(p.get()));
  long long wide = 0x1234567800000000LL;
  EXPECT_RESULT(kResultOk, p->GetCurSel64(&wide));
  EXPECT_EQ(0x1234567800000002LL, wide) << "the index form writes the low half only";
  EXPECT_RESULT(kResultOk, p->SetCurSel64(1));
  EXPECT_EQ((std::vector<unsigned char>{1, 0, 0, 0, 0, 0, 0, 0}), ValueOf(p.get()));
}

TEST_F(EnumPropertyTest, NotifyingAndDirectSettersReachTheMediatorAsNamed) {
  auto p = Make(kDataTypeUInt32, {{"a", 1}, {"b", 2}}, &mediator_);
  auto b = Wide("b");
  // A braced list calls them in order.
  testing::ExpectAllOk({p->SetCurSel(1), p->SetCurSel64(0), p->SetCurSelById(2), p->SetCurSelById64(1),
                        p->SetCurSelString(b.data()), p->SetPropertyData(ULONG{0}), p->SetPropertyData64(1)});
  EXPECT_EQ(7u, mediator_.calls.size());
  testing::ExpectAllOk({p->SetDirectCurSel(1), p->SetDirectCurSel64(0), p->SetDirectCurSelById(2),
                        p->SetDirectCurSelById64(1), p->SetDirectCurSelString(b.data()), p->SetDirectCurSelString("a"),
                        p->ChangeCurSelString(b.data()), p->Reset()});
  EXPECT_EQ(7u, mediator_.calls.size());

  p->SetDirectCurSel(1);
  mediator_.answer = kResultChangeRefused;
  EXPECT_RESULT(kResultChangeRefused, p->SetCurSel(0));
  EXPECT_EQ(1u, Index(*p)) << "a refused change keeps the old bytes";
}

TEST_F(EnumPropertyTest, SixtyFourBitFormStoresAndReadsIds) {
  auto p = Make(kDataTypeEnum64, {{"minus", -7}, {"plus", 9}});
  EXPECT_RESULT(kResultOk, p->SetCurSelById64(-7));
  long long value = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSel64(&value));
  EXPECT_EQ(-7, value);
  EXPECT_EQ("-7", PresetOf(p.get()));
  EXPECT_EQ("minus", SelectedText(*p));
  EXPECT_RESULT(kResultInvalidArgument, p->SetCurSelById64(8));

  EXPECT_RESULT(kResultOk, p->SetPropertyData64(1234));
  long long id = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSelId64(&id));
  EXPECT_EQ(-7, id) << "an ID no entry has reads as the first entry's";
  EXPECT_EQ("<none>", SelectedText(*p));

  // Index-form readers take the low 32 bits of the 8 stored bytes and write no more than their variable.
  p->SetPropertyData64(0x0000000500000001LL);
  struct {
    ULONG index;
    ULONG guard;
  } out{0, 0xCAFEF00Du};
  EXPECT_RESULT(kResultOk, p->GetCurSel(&out.index));
  EXPECT_EQ(1u, out.index);
  EXPECT_EQ(0xCAFEF00Du, out.guard);
  EXPECT_EQ(9u, OkOut<ULONG>(p.get(), &CQEnumProperty::GetCurSelId));
}

TEST_F(EnumPropertyTest, StoredValuesOfAnyLengthAreNeverReadPast) {
  auto p = Make(kDataTypeEnum64, {{"a", 1}});
  const unsigned char one[1] = {0};
  p->SetPropertyData(one, 1);
  long long value = -1;
  EXPECT_RESULT(kResultOk, p->GetCurSel64(&value));
  EXPECT_EQ(0, value) << "a short value reads zero-extended";
  const unsigned char many[12] = {1, 0, 0, 0, 0, 0, 0, 0, 0xEE, 0xEE, 0xEE, 0xEE};
  p->SetPropertyData(many, sizeof(many));
  long long id = 0;
  EXPECT_RESULT(kResultOk, p->GetCurSelId64(&id));
  EXPECT_EQ(1, id);
  EXPECT_EQ("1", PresetOf(p.get()));
}

TEST_F(EnumPropertyTest, PresetTextIsTheSelectedIdInTheFormsSign) {
  auto p = Make(kDataTypeUInt32, {{"x", 10}, {"y", 4294967295LL}});
  p->SetCurSel(1);
  EXPECT_EQ("4294967295", PresetOf(p.get()));
  p->SetCurSel(0);
  ULONG length = 0;
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyDataToSave(nullptr, nullptr));
  EXPECT_RESULT(kResultOk, p->GetPropertyDataToSave(nullptr, &length));
  EXPECT_EQ(2u, length) << "code units, not bytes";
  p->SetPropertyData(ULONG{5});
  EXPECT_RESULT(kResultNoSelection, p->GetPropertyDataToSave(nullptr, &length));
}

TEST_F(EnumPropertyTest, LoadAppendsThePlaceholderAndSelectsIndexZero) {
  auto p = Make(kDataTypeBool, {});
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("42").data(), 0));
  EXPECT_EQ((Entries{{"use enum id", 42}}), EntriesOf(*p));
  EXPECT_EQ(0u, Index(*p));
  EXPECT_EQ("42", PresetOf(p.get()));

  EXPECT_RESULT(kResultUnreadablePreset, p->LoadDirectDataFromPreset(Wide("abc").data(), 0));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(Wide("").data(), 0));
  EXPECT_RESULT(kResultInvalidArgument, p->LoadDirectDataFromPreset(nullptr, 0));
  EXPECT_RESULT(kResultUnreadablePreset, p->LoadDirectDataFromPreset(Wide("99999999999999999999").data(), 0));
  EXPECT_EQ(1u, EntriesOf(*p).size()) << "failed loads change nothing";

  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide(" 17abc").data(), 0));
  EXPECT_EQ(17, EntriesOf(*p).back().second);
  EXPECT_EQ("42", PresetOf(p.get())) << "index 0 stays the first entry";

  auto fresh = Make(kDataTypeUInt32, {});
  fresh->LoadDirectDataFromPreset(Wide("-1").data(), 0);
  EXPECT_EQ("4294967295", PresetOf(fresh.get()));

  p = Make(kDataTypeEnum64, {}, &mediator_);
  EXPECT_RESULT(kResultOk, p->LoadDirectDataFromPreset(Wide("-9000000000").data(), 0));
  EXPECT_EQ(1u, mediator_.calls.size());
  EXPECT_EQ(std::vector<unsigned char>(8, 0), ValueOf(p.get()));
  EXPECT_EQ("-9000000000", PresetOf(p.get())) << "stored 0 matches no entry and falls back to the first";
}

TEST_F(EnumPropertyTest, AssignmentAppendsTheSourceEntriesAndSharesTheOptionalProperty) {
  testing::ExpectHoldsOptionalProperty(Make(kDataTypeUInt32, {}).get(), Make(kDataTypeUInt32, {}).get(), optional_);
  auto source = Make(kDataTypeEnum64, {{"a", 1}, {"", 7}, {"b", 2}});
  source->SetCurSelById64(2);
  source->SetOptionalProperty(&optional_);  // the fixture checks that the clone and the target give it back
  auto target = Make(kDataTypeUInt32, {{"c", 3}});
  *target = *source;
  EXPECT_EQ((Entries{{"c", 3}, {"a", 1}, {"b", 2}}), EntriesOf(*target)) << "empty texts are not carried over";
  EXPECT_EQ(kDataTypeEnum64, testing::Out<QDataType>(target.get(), &CQEnumProperty::GetPropertySubDataType));
  EXPECT_EQ("2", PresetOf(target.get()));
  QRef<IQProperty> owned;
  EXPECT_RESULT(kResultOk, source->CloneProperty(owned.Put()));
  EXPECT_EQ((Entries{{"a", 1}, {"b", 2}}), EntriesOf(*static_cast<CQEnumProperty*>(owned.get())));
}

TEST_F(EnumPropertyTest, OutOfMemoryWhileAddingLeavesTheListAlone) {
  auto p = Make(kDataTypeUInt32, {{"a", 1}});
  const auto text = Wide("b");
  for (std::size_t n = 1; n <= 2; ++n) {
    AllocationFailure fail(n);
    const ULONG result = p->AddEnumString(text.data(), 2);
    if (!fail.Triggered()) break;
    EXPECT_RESULT(kResultOutOfMemory, result) << "allocation " << n;
  }
  {
    AllocationFailure fail(1);
    EXPECT_RESULT(kResultOutOfMemory, p->AddEnumString("b", 2));
  }
  EXPECT_EQ((Entries{{"a", 1}}), EntriesOf(*p));
}

}  // namespace
}  // namespace Quenneth
