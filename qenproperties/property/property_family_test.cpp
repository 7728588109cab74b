// What every property class shares, checked over the whole family with one table.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/fake_mediator.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::FakeMediator;
using testing::FlagsOf;
using testing::ObjectIdOf;

constexpr ULONG kGroup = 4;
constexpr ULONG kId = 77;
const WCHAR kText[] = {'a', 'b', 0};

struct Member {
  std::string name;
  const _QGUID* own;
  bool serializer;
  bool advanced;
  ULONG namedFlags;
  std::function<IQProperty*(IQServicesManager*, IQPropertyMediator*)> named;
  std::function<IQProperty*(IQServicesManager*, IQPropertyMediator*)> plain;
};

std::vector<Member> Family() {
  using SM = IQServicesManager*;
  using M = IQPropertyMediator*;
  return {
      {"CQProperty", &IID_IQProperty, true, true, 1,
       [](SM s, M m) -> IQProperty* {
         auto* p = new CQProperty(s, m);
         p->SetPropertyName("Base");
         p->SetPropertyID(kId);
         p->SetPropertyGroupID(kGroup);
         return p;
       },
       [](SM s, M m) -> IQProperty* { return new CQProperty(s, m); }},
      {"CQLongProperty", &IID_IQLongProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* {
         return new CQLongProperty("Long", "d", kGroup, kId, kDataTypeUInt32, 1, 2, 0, 0, s, m);
       },
       [](SM s, M m) -> IQProperty* { return new CQLongProperty(s, m); }},
      {"CQFloatProperty", &IID_IQFloatProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* {
         return new CQFloatProperty("Float", "d", kGroup, kId, kDataTypeDouble, 1.0, 2.0, 0.0, 10.0, s, m);
       },
       [](SM s, M m) -> IQProperty* { return new CQFloatProperty(s, m); }},
      {"CQBoolProperty", &IID_IQBoolProperty, true, true, 1,
       [](SM s, M m) -> IQProperty* { return new CQBoolProperty("Bool", "d", kGroup, kId, 0, 1, s, m); },
       [](SM s, M m) -> IQProperty* { return new CQBoolProperty(s, m); }},
      {"CQWStringProperty", &IID_IQWStringProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* { return new CQWStringProperty("Text", "d", kGroup, kId, kText, kText, s, m); },
       [](SM s, M m) -> IQProperty* { return new CQWStringProperty(s, m); }},
      {"CQEnumProperty", &IID_IQEnumProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* { return new CQEnumProperty("Enum", "d", kGroup, kId, s, m, kDataTypeUInt32); },
       [](SM s, M m) -> IQProperty* { return new CQEnumProperty(s, m, kDataTypeUInt32); }},
      {"CQEnumLongProperty", &IID_IQEnumLongProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* { return new CQEnumLongProperty("EnumLong", "d", kGroup, kId, s, m); },
       [](SM s, M m) -> IQProperty* { return new CQEnumLongProperty(s, m); }},
      {"CQExEnumProperty", &IID_IQExEnumProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* {
         return new CQExEnumProperty("ExEnum", "d", kGroup, kId, 9, kDataTypeFloat, s, m);
       },
       [](SM s, M m) -> IQProperty* { return new CQExEnumProperty(s, m); }},
      {"CQRatioProperty", &IID_IQRatioProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* { return new CQRatioProperty("Ratio", "d", kGroup, kId, s, m); },
       [](SM s, M m) -> IQProperty* { return new CQRatioProperty(s, m); }},
      {"CQGroupProperty", &IID_IQGroupProperty, true, true, 9,
       [](SM s, M m) -> IQProperty* { return new CQGroupProperty("Group", "d", kGroup, kId, 2, 5, s, m); },
       [](SM s, M m) -> IQProperty* { return new CQGroupProperty(s, m); }},
      {"CQCmdButtonProperty", &IID_IQCmdButtonProperty, false, false, 9,
       [](SM s, M m) -> IQProperty* {
         return new CQCmdButtonProperty("Button", "d", kGroup, kId, kDataTypeUInt32, s, m);
       },
       [](SM s, M m) -> IQProperty* { return new CQCmdButtonProperty(s, m); }},
  };
}

const _QGUID* const kAllIds[] = {&IID_IQLongProperty,      &IID_IQFloatProperty, &IID_IQBoolProperty,
                                 &IID_IQWStringProperty,   &IID_IQEnumProperty,  &IID_IQEnumLongProperty,
                                 &IID_IQExEnumProperty,    &IID_IQRatioProperty, &IID_IQGroupProperty,
                                 &IID_IQCmdButtonProperty, &IID_IQPropertyVault, &IID_IQPropertyMediator};

class PropertyFamilyTest : public ::testing::TestWithParam<Member> {
 protected:
  void TearDown() override {
    EXPECT_EQ(0u, host_.Count()) << GetParam().name << " leaked services manager references";
    EXPECT_EQ(0u, mediator_.Count()) << GetParam().name << " leaked mediator references";
  }
  QRef<IQProperty> Named(IQPropertyMediator* mediator = nullptr) {
    return QRef<IQProperty>::Adopt(GetParam().named(&host_, mediator));
  }

  CountingServicesManager host_;
  FakeMediator mediator_;
};

TEST_P(PropertyFamilyTest, ConstructorsSetIdentityAndFlags) {
  auto p = Named();
  ULONG id = 0, group = 0, nameLength = 0;
  p->GetPropertyID(&id);
  p->GetPropertyGroupID(&group);
  p->GetPropertyName(nullptr, &nameLength);
  EXPECT_EQ(GetParam().namedFlags, FlagsOf(p.get()));
  EXPECT_EQ(kId, id);
  EXPECT_EQ(kGroup, group);
  EXPECT_GT(nameLength, 0u);

  auto plain = QRef<IQProperty>::Adopt(GetParam().plain(&host_, nullptr));
  EXPECT_EQ(1u, FlagsOf(plain.get()));
  EXPECT_EQ(2u, plain->AddRef());
  EXPECT_EQ(1u, plain->Release());
}

TEST_P(PropertyFamilyTest, AnswersItsIdentifiersAndRefusesTheOthers) {
  const Member& member = GetParam();
  auto p = Named();
  for (const _QGUID* iid : {member.own, &IID_IQProperty, &IID_IQUnknown}) {
    QRef<IQUnknown> answer;
    ASSERT_RESULT(kResultOk, p->QueryInterface(*iid, answer.PutVoid()));
    EXPECT_EQ(static_cast<void*>(p.get()), static_cast<void*>(answer.get()));
  }
  for (const _QGUID* iid : kAllIds) {
    if (iid == member.own) continue;
    void* out = &out;
    EXPECT_RESULT(kResultNoInterface, p->QueryInterface(*iid, &out));
    EXPECT_EQ(nullptr, out);
  }

  QRef<IQPropertySerializer> serializer;
  const ULONG serializerResult = p->QueryInterface(IID_IQPropertySerializer, serializer.PutVoid());
  QRef<IQPropertyAdvanced> advanced;
  const ULONG advancedResult = p->QueryInterface(IID_IQPropertyAdvanced, advanced.PutVoid());
  EXPECT_RESULT(member.serializer ? kResultOk : kResultNoInterface, serializerResult);
  EXPECT_RESULT(member.advanced ? kResultOk : kResultNoInterface, advancedResult);
  if (serializer) {
    EXPECT_NE(static_cast<void*>(serializer.get()), static_cast<void*>(p.get()));
    const ULONG viaObject = p->AddRef();
    EXPECT_EQ(viaObject + 1, serializer->AddRef()) << "the serializer part shares the object's count";
    serializer->Release();
    p->Release();
    ULONG id = 0, size = 0;
    serializer->GetPropertyID(&id);
    EXPECT_EQ(kId, id);
    EXPECT_RESULT(kResultOk, serializer->GetDataSize(&size));
  }
}

TEST_P(PropertyFamilyTest, ClonesKeepTheIdentityAndDropTheMediator) {
  mediator_.answer = kResultOk;
  auto p = Named(&mediator_);
  const std::size_t callsAtConstruction = mediator_.calls.size();
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, p->CloneProperty(clone.Put()));
  EXPECT_NE(p.get(), clone.get());
  EXPECT_EQ(ObjectIdOf(p.get()), ObjectIdOf(clone.get()));
  EXPECT_EQ(FlagsOf(p.get()), FlagsOf(clone.get()));

  const unsigned char bytes[4] = {0, 0, 0, 0};
  clone->SetPropertyData(bytes, sizeof(bytes));
  EXPECT_EQ(callsAtConstruction, mediator_.calls.size()) << "a clone tells no mediator";
  p->SetPropertyData(bytes, sizeof(bytes));
  EXPECT_EQ(callsAtConstruction + 1, mediator_.calls.size()) << "the original is still bound";
  EXPECT_RESULT(kResultNullPointer, p->CloneProperty(nullptr));
}

TEST_P(PropertyFamilyTest, CloneReportsOutOfMemoryAtEveryAllocationAndLeavesNothing) {
  auto p = Named();
  for (std::size_t at = 1;; ++at) {
    ASSERT_LT(at, 200u);
    IQProperty* clone = &*p;  // must be overwritten or left alone, never half-made
    testing::AllocationFailure fail(at);
    const ULONG result = p->CloneProperty(&clone);
    if (!fail.Triggered()) {
      EXPECT_RESULT(kResultOk, result);
      ASSERT_NE(nullptr, clone);
      EXPECT_NE(p.get(), clone);
      clone->Release();
      break;
    }
    EXPECT_RESULT(kResultOutOfMemory, result) << "allocation " << at;
    EXPECT_TRUE(clone == nullptr || clone == p.get()) << "allocation " << at;
  }
}

INSTANTIATE_TEST_SUITE_P(AllClasses, PropertyFamilyTest, ::testing::ValuesIn(Family()),
                         [](const ::testing::TestParamInfo<Member>& member) { return member.param.name; });

}  // namespace
}  // namespace Quenneth
