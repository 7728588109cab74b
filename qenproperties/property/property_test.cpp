#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::AllocationFailure;
using testing::FlagsOf;
using testing::ObjectIdOf;
using testing::Out;
using testing::ValueOf;
using testing::Wide;

class BasePropertyTest : public testing::ReferenceBalanceTest {
 protected:
  QRef<CQProperty> Make(IQPropertyMediator* mediator = nullptr) {
    return QRef<CQProperty>::Adopt(new CQProperty(&host_, mediator));
  }
};

TEST_F(BasePropertyTest, NewPropertyIsEmptyWithAFreshIdentity) {
  auto a = Make();
  auto b = Make();
  ULONG length = 99;
  EXPECT_RESULT(kResultOk, a->GetPropertyName(nullptr, &length));
  EXPECT_EQ(0u, length);
  EXPECT_RESULT(kResultOk, a->GetPropertyData(nullptr, &length));
  EXPECT_EQ(0u, length);
  ULONG word = 7, size = 0;
  EXPECT_RESULT(kResultOk, a->GetCapabilities(1, nullptr, &word, &size));
  EXPECT_EQ(0u, word);
  EXPECT_EQ(4u, size);
  EXPECT_RESULT(kResultCapabilityUnknown, a->GetCapabilities(5, nullptr, &word, &size));

  EXPECT_NE(_QGUID{}, ObjectIdOf(a.get()));
  EXPECT_NE(ObjectIdOf(a.get()), ObjectIdOf(b.get()));
  EXPECT_RESULT(kResultOk, a->GetObjectId(nullptr));
  EXPECT_EQ(4u, host_.Count()) << "each property and its advanced object hold a reference";
}

TEST_F(BasePropertyTest, TextGettersFollowTheLengthProtocol) {
  auto p = Make();
  EXPECT_RESULT(kResultOk, p->SetPropertyName("Quality"));
  ULONG length = 0;
  p->GetPropertyName(nullptr, &length);
  EXPECT_EQ(7u, length);
  std::vector<WCHAR> buffer(length + 1, 0xFFFF);
  EXPECT_RESULT(kResultOk, p->GetPropertyName(buffer.data(), nullptr));
  EXPECT_EQ(Wide("Quality"), buffer);

  // Non-ASCII UTF-8 arrives as UTF-16.
  EXPECT_RESULT(kResultOk, p->SetPropertyDesc("Gr\xC3\xB6\xC3\x9F"
                                              "e"));
  p->GetPropertyDescription(nullptr, &length);
  ASSERT_EQ(5u, length);
  buffer.assign(length + 1, 0);
  p->GetPropertyDescription(buffer.data(), &length);
  EXPECT_EQ(0x00F6, buffer[2]);

  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyName(static_cast<const char*>(nullptr)));
  EXPECT_RESULT(kResultNullPointer, p->SetPropertyDesc(static_cast<const char*>(nullptr)));
  EXPECT_RESULT(kResultInvalidArgument, p->SetPropertyName(static_cast<const WCHAR*>(nullptr)));
  EXPECT_RESULT(kResultNullPointer, p->SetPropertyDesc(static_cast<const WCHAR*>(nullptr)));
  p->GetPropertyName(nullptr, &length);
  EXPECT_EQ(7u, length) << "a refused name keeps the old one";

  EXPECT_NE(kResultOk, p->SetPropertyName("bad \xC3"));
  EXPECT_EQ(nullptr, p->GetPropertyName()) << "a failed conversion leaves no name";
  EXPECT_RESULT(kResultNullPointer, p->GetPropertyFlags(nullptr));
}

TEST_F(BasePropertyTest, DirectStoreSetsTheValueFlagAndResetRestoresTheDefault) {
  auto p = Make();
  const unsigned char defaults[] = {1, 2};
  const unsigned char value[] = {9, 8, 7};
  p->SetPropertyDefaultData(defaults, sizeof(defaults));
  EXPECT_RESULT(kResultOk, p->SetPropertyData(value, sizeof(value)));
  EXPECT_EQ(std::vector<unsigned char>(value, value + 3), ValueOf(p.get()));
  EXPECT_EQ(1u | kFlagValueSet, FlagsOf(p.get()));
  EXPECT_RESULT(kResultOk, p->Reset());
  EXPECT_EQ(std::vector<unsigned char>(defaults, defaults + 2), ValueOf(p.get()));
  EXPECT_EQ(1u, FlagsOf(p.get()));
}

TEST_F(BasePropertyTest, RefusedChangeRestoresTheValueAndKeepsTheFlag) {
  auto p = Make(&mediator_);
  const unsigned char before[] = {1, 2, 3, 4};
  const unsigned char after[] = {5};
  p->SetDirectData(before, sizeof(before));
  mediator_.answer = kResultNotRegistered;
  EXPECT_RESULT(kResultNotRegistered, p->SetPropertyData(after, sizeof(after)));
  EXPECT_EQ(std::vector<unsigned char>(before, before + 4), ValueOf(p.get()));
  EXPECT_TRUE(FlagsOf(p.get()) & kFlagValueSet);

  ASSERT_EQ(1u, mediator_.calls.size());
  const auto& call = mediator_.calls[0];
  EXPECT_EQ(std::vector<unsigned char>(before, before + 4), call.previousValue) << "snapshot has the old value";
  EXPECT_EQ(std::vector<unsigned char>(after, after + 1), call.currentValue) << "the property has the new one";
  EXPECT_EQ(p.get(), call.current);

  mediator_.answer = kResultOk;
  EXPECT_RESULT(kResultOk, p->SetPropertyData(after, sizeof(after)));
  EXPECT_EQ(std::vector<unsigned char>(after, after + 1), ValueOf(p.get()));
}

TEST_F(BasePropertyTest, ExceptionFromTheMediatorPassesOutWithTheOldValueBack) {
  auto p = Make(&mediator_);
  const unsigned char before[] = {1};
  const unsigned char after[] = {2, 3};
  p->SetDirectData(before, 1);
  mediator_.during = [] { throw std::runtime_error("callback failed"); };
  EXPECT_THROW(p->SetPropertyData(after, 2), std::runtime_error);
  EXPECT_EQ(std::vector<unsigned char>(before, before + 1), ValueOf(p.get()));
  mediator_.during = nullptr;
  EXPECT_RESULT(kResultOk, p->SetPropertyData(after, 2)) << "the property stays usable";
}

TEST_F(BasePropertyTest, MediatorBindingIsKeptOnNullAndDroppedByCopies) {
  auto p = Make(&mediator_);
  EXPECT_RESULT(kResultOk, p->SetProperyMediator(nullptr));
  const unsigned char byte = 1;
  p->SetPropertyData(&byte, 1);
  EXPECT_EQ(1u, mediator_.calls.size()) << "null does not unbind";

  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, p->CloneProperty(clone.Put()));
  auto copy = QRef<CQProperty>::Adopt(new CQProperty(*p));
  auto assigned = Make();
  *assigned = *p;
  for (IQProperty* other :
       {clone.get(), static_cast<IQProperty*>(copy.get()), static_cast<IQProperty*>(assigned.get())}) {
    EXPECT_RESULT(kResultOk, other->SetPropertyData(&byte, 1));
    EXPECT_EQ(ObjectIdOf(p.get()), ObjectIdOf(other)) << "a copy has its source's object ID";
  }
  EXPECT_EQ(1u, mediator_.calls.size()) << "copies are bound to no mediator";
}

TEST_F(BasePropertyTest, CopyCarriesAttributesAndTheAttributeWordButNoCallback) {
  auto p = Make();
  p->SetPropertyName("Name");
  p->SetPropertyID(42);
  p->SetPropertyGroupID(7);
  p->SetPropertyDataType(kDataTypeUInt32);
  p->SetPropertyFlag(0x31);
  const unsigned char value[40] = {1, 2, 3};  // longer than the inline storage
  p->SetDirectData(value, sizeof(value));
  p->SetPropertyFlag(0x31);

  QRef<IQPropertyAdvanced> advanced;
  ASSERT_RESULT(kResultOk, p->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid()));
  int calls = 0;
  auto* advancedObject = static_cast<CQPropertyAdvanced*>(advanced.get());
  advancedObject->SetWindowStringChangeCallback(
      [](const WCHAR*, void* context) -> ULONG {
        ++*static_cast<int*>(context);
        return 0;
      },
      &calls);
  advanced->SetAttribute(0xABCD);

  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, p->CloneProperty(clone.Put()));
  EXPECT_EQ(42u, Out<ULONG>(clone.get(), &IQProperty::GetPropertyID));
  EXPECT_EQ(7u, Out<ULONG>(clone.get(), &IQProperty::GetPropertyGroupID));
  EXPECT_EQ(0x31u, FlagsOf(clone.get()));
  EXPECT_EQ(kDataTypeUInt32, testing::TypeOf(clone.get()));
  EXPECT_EQ(ValueOf(p.get()), ValueOf(clone.get()));

  QRef<IQPropertyAdvanced> cloneAdvanced;
  ASSERT_RESULT(kResultOk, clone->QueryInterface(IID_IQPropertyAdvanced, cloneAdvanced.PutVoid()));
  EXPECT_NE(advanced.get(), cloneAdvanced.get());
  EXPECT_EQ(0xABCDu, Out<ULONG>(cloneAdvanced.get(), &IQPropertyAdvanced::GetAttribute));
  const WCHAR text[] = {'x', 0};
  cloneAdvanced->SetWindowString(text);
  EXPECT_EQ(0, calls) << "a copy has no window-string callback";
  advanced->SetWindowString(text);
  EXPECT_EQ(1, calls);
}

TEST_F(BasePropertyTest, PresetTextRoundTripsTheValueBytesAndNeverReadsPastThem) {
  auto source = Make();
  ULONG length = 1234;
  EXPECT_RESULT(kResultOk, source->GetPropertyDataToSave(nullptr, &length));
  EXPECT_EQ(1234u, length) << "an empty value writes nothing";
  EXPECT_RESULT(kResultNullPointer, source->GetPropertyDataToSave(nullptr, nullptr));

  const unsigned char value[] = {0, 0xFF, 0x10, 0x7F, 0x80};
  source->SetDirectData(value, sizeof(value));
  std::vector<WCHAR> text = testing::PresetTextOf(source.get());

  auto target = Make(&mediator_);
  EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(text.data(), 0));
  EXPECT_EQ(ValueOf(source.get()), ValueOf(target.get()));
  EXPECT_EQ(1u, mediator_.calls.size()) << "a loaded value is told to the mediator";

  WCHAR empty[] = {0};
  EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(empty, 0));
  EXPECT_EQ(ValueOf(source.get()), ValueOf(target.get())) << "text that decodes to nothing keeps the value";
  EXPECT_RESULT(kResultNullPointer, target->LoadDirectDataFromPreset(nullptr, 0));

  // A recorded size beyond the held bytes reads as zeros and is never read past.
  const unsigned char sevens[] = {7, 7};
  auto p = Make();
  p->SetDirectData(sevens, 2);
  p->SetDataSize(64);
  EXPECT_EQ(64u, Out<ULONG>(p.get(), &CQProperty::GetDataSize));
  std::vector<unsigned char> expected(64, 0);
  expected[0] = expected[1] = 7;
  EXPECT_EQ(expected, ValueOf(p.get()));
  length = 0;
  EXPECT_RESULT(kResultOk, p->GetPropertyDataToSave(nullptr, &length));
  EXPECT_GT(length, 0u);
}

TEST_F(BasePropertyTest, AdvancedObjectAnswersOnlyItselfAndOutlivesItsProperty) {
  auto p = Make();
  EXPECT_EQ(2u, p->AddRef());
  EXPECT_EQ(1u, p->Release());
  QRef<IQPropertyAdvanced> advanced;
  ASSERT_RESULT(kResultOk, p->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid()));
  void* out = &out;
  EXPECT_RESULT(kResultNoInterface, advanced->QueryInterface(IID_IQProperty, &out));
  EXPECT_EQ(nullptr, out);
  p.reset();
  ULONG attribute = 1;
  EXPECT_RESULT(kResultOk, advanced->GetAttribute(&attribute)) << "a held advanced object outlives its property";
  EXPECT_RESULT(kResultNullPointer, advanced->GetAttribute(nullptr));
  EXPECT_RESULT(kResultNullPointer, advanced->SetWindowString(nullptr));
}

TEST_F(BasePropertyTest, FailedStoreRecordsTheLengthButHoldsNoBytes) {
  auto p = Make();
  const unsigned char big[100] = {1};
  {
    AllocationFailure fail(1);
    EXPECT_RESULT(kResultStorageFailed, p->SetDirectData(big, sizeof(big)));
  }
  EXPECT_EQ(std::vector<unsigned char>(100, 0), ValueOf(p.get()));
}

}  // namespace
}  // namespace Quenneth
