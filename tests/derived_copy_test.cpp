// derived_copy_test.cpp: hosts may derive from the library's classes; a copy of such an object (copy
// constructor, assignment, CloneProperty) holds what the source's getters report, not the fields behind them.
// Each source below is a small host class whose getters report something its own fields do not hold.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/host_property.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/reference_balance_fixture.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::ByteText;
using testing::Out;
using testing::ReadText;
using testing::ReferenceBalanceTest;
using testing::ReportBytes;

// A host's advanced attribute object whose word is fixed.
class FixedAdvanced : public IQPropertyAdvanced {
 public:
  virtual ~FixedAdvanced() = default;
  ULONG QueryInterface(const _QGUID&, void** out) override {
    *out = nullptr;
    return kResultNoInterface;
  }
  ULONG AddRef() override { return ++count; }
  ULONG Release() override { return --count; }
  ULONG SetAttribute(ULONG) override { return kResultOk; }
  ULONG GetAttribute(ULONG* attribute) override {
    *attribute = 0x55;
    return kResultOk;
  }
  ULONG SetWindowString(const WCHAR*) override { return kResultOk; }

  ULONG count = 0;
};

constexpr _QGUID kReportedId = {0x01020304, 0x0506, 0x0708, {9, 10, 11, 12, 13, 14, 15, 16}};

// A base property whose getters report other attributes and value bytes than it holds.
class ReportingProperty : public testing::Reporting<CQProperty> {
 public:
  explicit ReportingProperty(FixedAdvanced* advanced)
      : Reporting({"shown", "about", 77, 5, kDataTypeUInt32, 0x21, kReportedId}), advanced_(advanced) {
    SetPropertyName("held name");
    SetPropertyID(1);
    const unsigned char held[] = {1};
    SetDirectData(held, 1);
  }
  ULONG QueryInterface(const _QGUID& iid, void** out) override {
    if (iid == IID_IQPropertyAdvanced) {
      advanced_->AddRef();
      *out = static_cast<IQPropertyAdvanced*>(advanced_);
      return kResultOk;
    }
    return CQProperty::QueryInterface(iid, out);
  }
  ULONG GetPropertyData(void* buffer, ULONG* length) override {
    const unsigned char shown[] = {4, 3, 2, 1};
    *length = sizeof(shown);
    if (buffer != nullptr) std::memcpy(buffer, shown, sizeof(shown));
    return kResultOk;
  }

 private:
  FixedAdvanced* advanced_;
};

class DerivedCopyTest : public ReferenceBalanceTest {};

// Every attribute a base property's copy takes through a getter, checked on each way to copy.
TEST_F(DerivedCopyTest, BasePropertyCopiesWhatItsGettersReport) {
  FixedAdvanced advanced;
  auto source = QRef<ReportingProperty>::Adopt(new ReportingProperty(&advanced));
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, source->CloneProperty(clone.Put()));
  auto copied = QRef<CQProperty>::Adopt(new CQProperty(*source));
  auto assigned = QRef<CQProperty>::Adopt(new CQProperty());
  *assigned = *source;

  for (IQProperty* copy :
       {clone.get(), static_cast<IQProperty*>(copied.get()), static_cast<IQProperty*>(assigned.get())}) {
    EXPECT_EQ("shown", ReadText([&](WCHAR* b, ULONG* l) { return copy->GetPropertyName(b, l); }));
    EXPECT_EQ("about", ReadText([&](WCHAR* b, ULONG* l) { return copy->GetPropertyDescription(b, l); }));
    EXPECT_EQ(77u, Out<ULONG>(copy, &IQProperty::GetPropertyID));
    EXPECT_EQ(5u, Out<ULONG>(copy, &IQProperty::GetPropertyGroupID));
    EXPECT_EQ(kDataTypeUInt32, testing::TypeOf(copy));
    EXPECT_EQ(0x21u, testing::FlagsOf(copy));
    EXPECT_TRUE(testing::ObjectIdOf(copy) == kReportedId);
    EXPECT_EQ((std::vector<unsigned char>{4, 3, 2, 1}), testing::ValueOf(copy));
    QRef<IQPropertyAdvanced> copyAdvanced;
    ASSERT_RESULT(kResultOk, copy->QueryInterface(IID_IQPropertyAdvanced, copyAdvanced.PutVoid()));
    EXPECT_EQ(0x55u, Out<ULONG>(copyAdvanced.get(), &IQPropertyAdvanced::GetAttribute))
        << "the attribute word comes from the source's advanced object";
  }
  source.reset();
  EXPECT_EQ(0u, advanced.count) << "the source's advanced object is not kept by the copies";
}

// A long property whose range getters report [10, 20] while its own range is off.
class ReportedRangeLong : public CQLongProperty {
 public:
  ReportedRangeLong(IQServicesManager* host, IQOptionalProperty* optional) : CQLongProperty(host, nullptr) {
    BaseProperty()->SetPropertyDataType(kDataTypeUInt32);
    SetOptionalProperty(optional);
  }
  ULONG GetMinRange(ULONG* minimum) override {
    *minimum = 10;
    return kResultOk;
  }
  ULONG GetMaxRange(ULONG* maximum) override {
    *maximum = 20;
    return kResultOk;
  }
};

TEST_F(DerivedCopyTest, LongPropertyCopiesTheReportedRange) {
  auto source = QRef<ReportedRangeLong>::Adopt(new ReportedRangeLong(&host_, &optional_));
  EXPECT_RESULT(kResultOk, source->SetCurValue(500)) << "the source's own range is off";
  auto copy = QRef<CQLongProperty>::Adopt(new CQLongProperty(*source));
  EXPECT_EQ(10u, Out<ULONG>(copy.get(), &CQLongProperty::GetMinRange));
  EXPECT_EQ(20u, Out<ULONG>(copy.get(), &CQLongProperty::GetMaxRange));
  EXPECT_RESULT(kResultOutOfRange, copy->SetCurValue(21)) << "the copied range is in force";
  EXPECT_RESULT(kResultOk, copy->SetCurValue(15));
  EXPECT_EQ(2u, optional_.count) << "the optional property is shared";

  auto assigned = QRef<CQLongProperty>::Adopt(new CQLongProperty(&host_, nullptr));
  *assigned = *source;
  EXPECT_EQ(20u, Out<ULONG>(assigned.get(), &CQLongProperty::GetMaxRange));
}

// A float property whose getters report a range and a digit count of their own.
class ReportedFloat : public CQFloatProperty {
 public:
  explicit ReportedFloat(IQServicesManager* host) : CQFloatProperty(host, nullptr) {}
  ULONG GetMinRange(double* minimum) override {
    *minimum = -1.5;
    return kResultOk;
  }
  ULONG GetMaxRange(double* maximum) override {
    *maximum = 2.5;
    return kResultOk;
  }
  ULONG GetSignificantDigitAfterPoint(ULONG* digits) override {
    *digits = 4;
    return kResultOk;
  }
};

TEST_F(DerivedCopyTest, FloatPropertyCopiesTheReportedRangeAndDigits) {
  auto source = QRef<ReportedFloat>::Adopt(new ReportedFloat(&host_));
  auto copy = testing::CloneAs<IQFloatProperty>(source.get(), IID_IQFloatProperty);
  ASSERT_TRUE(copy);
  EXPECT_EQ(-1.5, Out<double>(copy.get(), &IQFloatProperty::GetMinRange));
  EXPECT_EQ(2.5, Out<double>(copy.get(), &IQFloatProperty::GetMaxRange));
  EXPECT_EQ(4u, Out<ULONG>(copy.get(), &IQFloatProperty::GetSignificantDigitAfterPoint));
}

// An enum property that reports two entries while its own list is empty.
class ReportedEnum : public CQEnumProperty {
 public:
  explicit ReportedEnum(IQServicesManager* host) : CQEnumProperty(host, nullptr, kDataTypeUInt32) {}
  ULONG GetEnumCount(ULONG* count) const override {
    *count = 3;
    return kResultOk;
  }
  ULONG GetEnumString64(ULONG index, WCHAR* text, ULONG* byteLength, long long* id) const override {
    if (index >= 3) return kResultIndexOutOfRange;
    *id = -7 - static_cast<long long>(index);
    // The middle entry has an empty text, which a copy does not carry over.
    return ReportBytes(index == 1 ? "" : std::string(1, static_cast<char>('a' + index)), text, byteLength);
  }
};

TEST_F(DerivedCopyTest, EnumPropertyCopiesTheReportedEntries) {
  auto source = QRef<ReportedEnum>::Adopt(new ReportedEnum(&host_));
  auto copy = QRef<CQEnumProperty>::Adopt(new CQEnumProperty(*source));
  ASSERT_EQ(2u, Out<ULONG>(copy.get(), &CQEnumProperty::GetEnumCount));
  long long id = 0;
  EXPECT_EQ("a", ByteText([&](WCHAR* t, ULONG* b) { return copy->GetEnumString64(0, t, b, &id); }));
  EXPECT_EQ(-7, id);
  EXPECT_EQ("c", ByteText([&](WCHAR* t, ULONG* b) { return copy->GetEnumString64(1, t, b, &id); }));
  EXPECT_EQ(-9, id);

  // Assignment appends the reported entries to the target's own.
  auto assigned = QRef<CQEnumProperty>::Adopt(new CQEnumProperty(&host_, nullptr, kDataTypeUInt32));
  assigned->AddEnumString("own", 1);
  *assigned = *source;
  EXPECT_EQ(3u, Out<ULONG>(assigned.get(), &CQEnumProperty::GetEnumCount));
}

// An enum-long property that reports the numbers 4 and 9 while its own list is empty.
class ReportedEnumLong : public CQEnumLongProperty {
 public:
  explicit ReportedEnumLong(IQServicesManager* host) : CQEnumLongProperty(host, nullptr) {}
  ULONG GetEnumCount(ULONG* count) const override {
    *count = 2;
    return kResultOk;
  }
  ULONG GetEnumLongValue(ULONG index, ULONG* value) const override {
    if (index >= 2) return kResultIndexOutOfRange;
    *value = index == 0 ? 4 : 9;
    return kResultOk;
  }
};

TEST_F(DerivedCopyTest, EnumLongPropertyCopiesTheReportedNumbers) {
  auto source = QRef<ReportedEnumLong>::Adopt(new ReportedEnumLong(&host_));
  QRef<IQProperty> clone;
  ASSERT_RESULT(kResultOk, source->CloneProperty(clone.Put()));
  QRef<IQEnumLongProperty> copy;
  ASSERT_RESULT(kResultOk, clone->QueryInterface(IID_IQEnumLongProperty, copy.PutVoid()));
  ASSERT_EQ(2u, Out<ULONG>(copy.get(), &IQEnumLongProperty::GetEnumCount));
  EXPECT_RESULT(kResultOk, copy->SetCurSelLongValue(9));
  EXPECT_EQ(1u, Out<ULONG>(copy.get(), &IQEnumLongProperty::GetCurSelIndex));
}

// A ratio property that reports one entry and the custom ratio 16:9 while it holds neither.
class ReportedRatio : public CQRatioProperty {
 public:
  explicit ReportedRatio(IQServicesManager* host) : CQRatioProperty(host, nullptr) {}
  ULONG GetEnumCount(ULONG* count) const override {
    *count = 1;
    return kResultOk;
  }
  ULONG GetEnumString(ULONG index, WCHAR* string, ULONG* stringSize, ULONG* id) const override {
    if (index >= 1) return kResultIndexOutOfRange;
    if (id != nullptr) *id = 3;
    return ReportBytes("wide", string, stringSize);
  }
  ULONG GetCustomRatio(ULONG* numerator, ULONG* denominator) const override {
    *numerator = 16;
    *denominator = 9;
    return kResultOk;
  }
};

TEST_F(DerivedCopyTest, RatioPropertyCopiesTheReportedEntriesAndRatio) {
  auto source = QRef<ReportedRatio>::Adopt(new ReportedRatio(&host_));
  auto copy = QRef<CQRatioProperty>::Adopt(new CQRatioProperty(*source));
  ULONG id = 0;
  EXPECT_EQ("wide", ByteText([&](WCHAR* s, ULONG* b) { return copy->GetEnumString(0, s, b, &id); }));
  EXPECT_EQ(3u, id);
  ULONG numerator = 0;
  ULONG denominator = 0;
  copy->GetCustomRatio(&numerator, &denominator);
  EXPECT_EQ(16u, numerator);
  EXPECT_EQ(9u, denominator);
  copy->SetCustomEnumId(3);
  ASSERT_RESULT(kResultOk, copy->SetCurSel(0));
  EXPECT_EQ("3#16#9", testing::PresetOf(copy.get()));
}

// An extended enum property that reports one entry with two bytes of sub data while its own list is empty.
class ReportedExEnum : public CQExEnumProperty {
 public:
  explicit ReportedExEnum(IQServicesManager* host) : CQExEnumProperty(host, nullptr) {}
  ULONG GetEnumCount(ULONG* count) const override {
    *count = 1;
    return kResultOk;
  }
  ULONG GetEnumStringAndSubData(ULONG index, WCHAR* string, ULONG* stringSize, ULONG* enumID, void* subData,
                                ULONG* subDataSize) const override {
    if (index >= 1) return kResultIndexOutOfRange;
    if (enumID != nullptr) *enumID = 12;
    if (subDataSize != nullptr) *subDataSize = 2;
    if (subData != nullptr) std::memcpy(subData, "\x05\x06", 2);
    return ReportBytes("entry", string, stringSize);
  }
};

TEST_F(DerivedCopyTest, ExEnumPropertyCopiesTheReportedEntries) {
  auto source = QRef<ReportedExEnum>::Adopt(new ReportedExEnum(&host_));
  auto copy = QRef<CQExEnumProperty>::Adopt(new CQExEnumProperty(&host_, nullptr));
  *copy = *source;
  ASSERT_EQ(1u, Out<ULONG>(copy.get(), &CQExEnumProperty::GetEnumCount));
  ULONG id = 0;
  ULONG subDataSize = 0;
  unsigned char subData[2] = {};
  EXPECT_EQ("entry", ByteText([&](WCHAR* s, ULONG* b) {
              return copy->GetEnumStringAndSubData(0, s, b, &id, s == nullptr ? nullptr : subData, &subDataSize);
            }));
  EXPECT_EQ(12u, id);
  EXPECT_EQ(2u, subDataSize);
  EXPECT_EQ(5, subData[0]);
  EXPECT_EQ(6, subData[1]);
}

}  // namespace
}  // namespace Quenneth
