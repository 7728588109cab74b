// The change road, preset texts and look-ups keep small values, short texts and a few callbacks on the stack
// and move to the heap beyond that. These tests hold the behaviour the same on both sides of those limits.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "qenproperties/qenproperties.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::PresetOf;
using testing::ValueOf;
using testing::Wide;

std::vector<unsigned char> Pattern(std::size_t size, unsigned seed) {
  std::vector<unsigned char> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + 37 * i);
  return bytes;
}

TEST(ValueSizeTest, BasePresetTextRoundTripsSmallAndLargeValues) {
  for (std::size_t size : {1u, 63u, 64u, 65u, 300u}) {
    SCOPED_TRACE(size);
    auto source = QRef<CQProperty>::Adopt(new CQProperty());
    const std::vector<unsigned char> bytes = Pattern(size, static_cast<unsigned>(size));
    source->SetDirectData(bytes.data(), static_cast<ULONG>(bytes.size()));

    const std::string text = PresetOf(source.get());
    ASSERT_EQ(2 * size, text.size());
    static const char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < size; ++i) {
      EXPECT_EQ(kHex[bytes[i] >> 4], text[2 * i]);
      EXPECT_EQ(kHex[bytes[i] & 0xF], text[2 * i + 1]);
    }

    auto target = QRef<CQProperty>::Adopt(new CQProperty());
    std::vector<WCHAR> wide = Wide(text);
    EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(wide.data(), 0));
    EXPECT_EQ(bytes, ValueOf(target.get()));

    // Text that is no encoding (odd length, a character that is no digit) leaves the value as it is.
    std::vector<WCHAR> odd = Wide(text.substr(1));
    EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(odd.data(), 0));
    std::vector<WCHAR> bad = Wide(text.substr(0, text.size() - 1) + "G");
    EXPECT_RESULT(kResultOk, target->LoadDirectDataFromPreset(bad.data(), 0));
    EXPECT_EQ(bytes, ValueOf(target.get()));
  }
}

// A value of up to 32 bytes is held inside the property, a longer one in a heap block whose address shares that
// storage: every store, copy and assignment across the limit keeps exactly the bytes given, and a short value
// read as a number never shows the bytes an earlier, longer value left behind.
TEST(ValueSizeTest, ValuesCrossingTheInlineLimitKeepTheirBytes) {
  auto property = QRef<CQProperty>::Adopt(new CQProperty());
  for (std::size_t size : {32u, 33u, 32u, 8u, 100u, 1u, 0u, 40u}) {
    SCOPED_TRACE(size);
    const std::vector<unsigned char> bytes = Pattern(size, static_cast<unsigned>(size));
    ASSERT_RESULT(kResultOk, property->SetDirectData(bytes.data(), static_cast<ULONG>(bytes.size())));
    EXPECT_EQ(bytes, ValueOf(property.get()));

    QRef<IQProperty> clone;
    ASSERT_RESULT(kResultOk, property->CloneProperty(clone.Put()));
    EXPECT_EQ(bytes, ValueOf(clone.get()));
    // Assigned over a copy holding the other representation: a small value over a large one and the reverse.
    auto assigned = QRef<CQProperty>::Adopt(new CQProperty());
    const std::vector<unsigned char> other = Pattern(size > 32 ? 5 : 70, 3);
    assigned->SetDirectData(other.data(), static_cast<ULONG>(other.size()));
    *assigned = *property;
    EXPECT_EQ(bytes, ValueOf(assigned.get()));
  }

  auto choice = QRef<CQEnumProperty>::Adopt(new CQEnumProperty("Choice", "", 1, 2, nullptr, nullptr, kDataTypeEnum64));
  for (std::size_t longer : {8u, 33u}) {
    for (ULONG shorter = 1; shorter < 8; ++shorter) {
      SCOPED_TRACE(::testing::Message() << longer << " then " << shorter << " bytes");
      const std::vector<unsigned char> stale(longer, 0xEE);
      choice->SetPropertyData(stale.data(), static_cast<ULONG>(stale.size()));
      const unsigned char low[7] = {1, 2, 3, 4, 5, 6, 7};
      choice->SetPropertyData(low, shorter);
      long long expected = 0;
      for (ULONG i = 0; i < shorter; ++i) expected |= static_cast<long long>(low[i]) << (8 * i);
      long long read = -1;
      EXPECT_RESULT(kResultOk, choice->GetCurSel64(&read));
      EXPECT_EQ(expected, read);
    }
  }
}

TEST(ValueSizeTest, FloatPresetTextKeepsEveryAskedDigit) {
  // 100 digits are formatted on the stack, 120 through the stream; both give the fixed-point text.
  for (ULONG digits : {2u, 100u, 120u}) {
    SCOPED_TRACE(digits);
    auto property = QRef<CQFloatProperty>::Adopt(
        new CQFloatProperty("Gain", "Gain", 1, 7, kDataTypeDouble, 0.0, -2.5, -10.0, 10.0, nullptr, nullptr));
    property->SetSignificantDigitAfterPoint(digits);
    EXPECT_EQ("-2.5" + std::string(digits - 1, '0'), PresetOf(property.get()));
  }
}

struct Seen {
  std::vector<std::vector<unsigned char>> previous;
  std::vector<std::vector<unsigned char>> current;
  std::vector<int> order;
};

struct Record {
  Seen* seen;
  int number;
};

ULONG Remember(IQProperty* previous, IQProperty* current, CModifiedPropIterator*, void* user,
               enumPropChangeStatus status) {
  auto* record = static_cast<Record*>(user);
  if (status == ePropChangePreview) {
    record->seen->previous.push_back(ValueOf(previous));
    record->seen->current.push_back(ValueOf(current));
  }
  if (status == ePropChangeApply) record->seen->order.push_back(record->number);
  return kResultOk;
}

TEST(ValueSizeTest, SnapshotsCarryValuesOfEverySize) {
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  auto property = QRef<CQProperty>::Adopt(new CQProperty(nullptr, mediator.get()));
  property->SetPropertyID(9);
  ASSERT_RESULT(kResultOk, mediator->RegisterProperty(property.get()));
  Seen seen;
  Record record{&seen, 0};
  ULONG handle = 0;
  ASSERT_RESULT(kResultOk, mediator->RegisterDependency(9, &Remember, &record, &handle));

  std::vector<unsigned char> before;
  for (std::size_t size : {4u, 64u, 65u, 500u, 3u}) {
    SCOPED_TRACE(size);
    const std::vector<unsigned char> bytes = Pattern(size, 11);
    seen = Seen{};
    ASSERT_RESULT(kResultOk, property->SetPropertyData(bytes.data(), static_cast<ULONG>(bytes.size())));
    ASSERT_EQ(1u, seen.current.size());
    EXPECT_EQ(before, seen.previous[0]);
    EXPECT_EQ(bytes, seen.current[0]);
    before = bytes;
  }
  mediator->UnRegisterProperty(property.get());
}

TEST(ValueSizeTest, ManyDependencyRecordsAllRunInRegistrationOrder) {
  auto mediator = QRef<CQPropertyMediator>::Adopt(new CQPropertyMediator(nullptr));
  auto property = QRef<CQLongProperty>::Adopt(
      new CQLongProperty("Level", "Level", 1, 4, kDataTypeUInt32, 0, 0, 0, 0, nullptr, mediator.get()));
  ASSERT_RESULT(kResultOk, mediator->RegisterProperty(property.get()));
  Seen seen;
  std::vector<Record> records;
  for (int i = 0; i < 20; ++i) records.push_back(Record{&seen, i});
  std::vector<int> expected;
  for (int i = 0; i < 20; ++i) {
    ULONG handle = 0;
    ASSERT_RESULT(kResultOk, mediator->RegisterDependency(4, &Remember, &records[i], &handle));
    expected.push_back(i);
    seen = Seen{};
    ASSERT_RESULT(kResultOk, property->SetCurValue(static_cast<ULONG>(100 + i)));
    EXPECT_EQ(expected, seen.order) << "with " << i + 1 << " records";
    EXPECT_EQ(static_cast<std::size_t>(i + 1), seen.previous.size());
  }
  mediator->UnRegisterProperty(property.get());
}

TEST(ValueSizeTest, VaultFindsShortAndLongNames) {
  auto vault = QRef<CQPropertyVault>::Adopt(new CQPropertyVault(nullptr));
  std::vector<std::string> names;
  for (std::size_t length : {1u, 127u, 128u, 129u, 400u, 128u}) {
    std::string name(length, 'n');
    name.back() = static_cast<char>('a' + names.size());
    names.push_back(name);
    std::vector<WCHAR> wide = Wide(name);
    auto property = QRef<CQProperty>::Adopt(new CQProperty());
    property->SetPropertyName(wide.data());
    property->SetPropertyID(static_cast<ULONG>(names.size()));
    vault->AddProperty(property.get());
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i].size());
    std::vector<WCHAR> wide = Wide(names[i]);
    QRef<IQProperty> found;
    ASSERT_RESULT(kResultOk, vault->GetPropertyInfoByName(wide.data(), found.Put()));
    EXPECT_EQ(i + 1, testing::Out<ULONG>(found.get(), &IQProperty::GetPropertyID));
  }
  // A name that matches a long one in all but its last unit is a miss, after a walk over every element.
  std::vector<WCHAR> miss = Wide(std::string(400, 'n'));
  QRef<IQProperty> found;
  EXPECT_RESULT(kResultInvalidArgument, vault->GetPropertyInfoByName(miss.data(), found.Put()));
  EXPECT_FALSE(found);
}

}  // namespace
}  // namespace Quenneth
