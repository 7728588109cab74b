#include <memory>
#include <new>

#include <gtest/gtest.h>

#include "qenproperties/frame/qref.h"
#include "qenproperties/frame/result_codes.h"
#include "qenproperties/mediator/modified_prop_iterator.h"
#include "qenproperties/scalar/long_property.h"
#include "qenproperties/testing/allocation_failure.h"
#include "qenproperties/testing/counting_services_manager.h"
#include "qenproperties/testing/property_values.h"
#include "qenproperties/testing/result_matchers.h"

namespace Quenneth {
namespace {

using testing::CountingServicesManager;
using testing::RefCount;

// Item: the out-parameters of one read, starting as `preset`; it gives back the references the getter handed out,
// so counts stay comparable (a getter that left a preset pointer in place makes it give back one too many).
struct Item {
  explicit Item(IQProperty* preset = nullptr) : first(preset), second(preset) {}
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;
  ~Item() {
    if (first != nullptr) first->Release();
    if (second != nullptr) second->Release();
  }
  IQProperty* first;
  IQProperty* second;
  ULONG status = 0xDEADBEEF;
};

class ModifiedPropIteratorTest : public ::testing::Test {
 protected:
  void TearDown() override {
    owned_.reset();  // gives back what the tests left stored
    for (auto& p : props_) {
      EXPECT_EQ(1u, RefCount(p.get()));
      p.reset();
    }
    EXPECT_EQ(0u, host_.Count());
  }
  IQProperty* P(int i) { return props_[i].get(); }
  ULONG First(Item& item, CQModifiedPropIterator* it = nullptr) {
    return (it != nullptr ? *it : it_).GetFirstModifiedProperty(&item.first, &item.second, &item.status);
  }
  ULONG Next(Item& item) { return it_.GetNextModifiedProperty(&item.first, &item.second, &item.status); }
  ULONG Nth(ULONG n, Item& item) { return it_.GetNtheProperty(n, &item.first, &item.second, &item.status); }

  CountingServicesManager host_;
  QRef<CQLongProperty> props_[3] = {QRef<CQLongProperty>::Adopt(new CQLongProperty(&host_, nullptr)),
                                    QRef<CQLongProperty>::Adopt(new CQLongProperty(&host_, nullptr)),
                                    QRef<CQLongProperty>::Adopt(new CQLongProperty(&host_, nullptr))};
  std::unique_ptr<CQModifiedPropIterator> owned_{new CQModifiedPropIterator()};
  CQModifiedPropIterator& it_ = *owned_;
};

// A null pair is stored and handed back like any other; a missing out-parameter is refused without moving the
// cursor, and a new first read starts from the head again.
TEST_F(ModifiedPropIteratorTest, PlainListReadsInInsertionOrderThenEnds) {
  IQProperty* const pairs[4][2] = {{P(0), P(1)}, {P(1), P(2)}, {P(2), P(0)}, {nullptr, nullptr}};
  for (ULONG n = 0; n < 4; ++n) EXPECT_RESULT(kResultOk, it_.AddToList(pairs[n][0], pairs[n][1], 10 + n));

  for (ULONG n = 0; n < 4; ++n) {
    Item item(P(2));  // every read overwrites these, the null pair with nulls
    if (n == 0) {
      EXPECT_RESULT(kResultNullPointer, it_.GetFirstModifiedProperty(nullptr, &item.second, &item.status));
      EXPECT_RESULT(kResultNullPointer, it_.GetFirstModifiedProperty(&item.first, nullptr, &item.status));
      EXPECT_RESULT(kResultNullPointer, it_.GetFirstModifiedProperty(&item.first, &item.second, nullptr));
    } else {
      EXPECT_RESULT(kResultNullPointer, it_.GetNextModifiedProperty(&item.first, nullptr, &item.status));
    }
    ASSERT_RESULT(kResultOk, n == 0 ? First(item) : Next(item));
    EXPECT_EQ(pairs[n][0], item.first) << n;
    EXPECT_EQ(pairs[n][1], item.second) << n;
    EXPECT_EQ(10 + n, item.status) << n;
  }
  Item end;
  EXPECT_RESULT(kResultNotAvailable, Next(end));
  EXPECT_EQ(nullptr, end.first);
  EXPECT_EQ(0xDEADBEEFu, end.status);
  Item again;
  ASSERT_RESULT(kResultOk, First(again));
  EXPECT_EQ(10u, again.status);
}

TEST_F(ModifiedPropIteratorTest, TheTwoCollectionsStartEmptyAndDoNotSeeEachOther) {
  Item item;
  EXPECT_RESULT(kResultNotAvailable, First(item));
  EXPECT_RESULT(kResultNotAvailable, Next(item));
  EXPECT_RESULT(kResultIndexOutOfRange, Nth(0, item));
  EXPECT_EQ(nullptr, item.first);
  EXPECT_EQ(0xDEADBEEFu, item.status) << "a fresh iterator writes nothing";

  it_.AddToList(P(0), P(1), 1);
  EXPECT_RESULT(kResultIndexOutOfRange, Nth(0, item));

  CQModifiedPropIterator indexedOnly;
  indexedOnly.AddToListWithIndex(4, P(0), P(1), 1);
  EXPECT_RESULT(kResultNotAvailable, First(item, &indexedOnly));
  EXPECT_RESULT(kResultIndexOutOfRange, indexedOnly.GetNtheProperty(1, nullptr, nullptr, nullptr));
  EXPECT_RESULT(kResultOk, indexedOnly.GetNtheProperty(0, nullptr, nullptr, nullptr));
}

// Sorting compares indices unsigned and moves the pointers without touching their counts.
TEST_F(ModifiedPropIteratorTest, SortOrdersTheIndexedSequenceByIndex) {
  EXPECT_RESULT(kResultOk, it_.SortIterator());  // empty sorts to empty
  it_.AddToListWithIndex(5, P(0), nullptr, 50);
  it_.AddToListWithIndex(1, P(1), nullptr, 10);
  it_.AddToListWithIndex(0xFFFFFFFF, nullptr, P(0), 99);
  it_.AddToListWithIndex(3, P(2), nullptr, 30);
  EXPECT_RESULT(kResultOk, it_.SortIterator());

  const ULONG expectedStatus[] = {10, 30, 50, 99};
  IQProperty* const expectedFirst[] = {P(1), P(2), P(0), nullptr};
  for (ULONG n = 0; n < 4; ++n) {
    Item item;
    ASSERT_RESULT(kResultOk, Nth(n, item));
    EXPECT_EQ(expectedStatus[n], item.status) << n;
    EXPECT_EQ(expectedFirst[n], item.first) << n;
  }
  const ULONG held[] = {3, 2, 2};  // the creator's, and one per stored pointer
  for (int i = 0; i < 3; ++i) EXPECT_EQ(held[i], RefCount(P(i))) << i;
}

TEST_F(ModifiedPropIteratorTest, EveryReadAndEveryStoredPointerHoldsOneReference) {
  it_.AddToList(P(0), P(1), 0);
  it_.AddToListWithIndex(0, P(2), nullptr, 0);
  EXPECT_EQ(2u, RefCount(P(0)));
  {
    Item a;
    Item b;
    First(a);
    First(b);
    EXPECT_EQ(4u, RefCount(P(0)));
    EXPECT_EQ(4u, RefCount(P(1)));
    IQProperty* onlyFirst = nullptr;
    EXPECT_RESULT(kResultOk, it_.GetNtheProperty(0, &onlyFirst, nullptr, nullptr));
    EXPECT_EQ(3u, RefCount(P(2)));
    onlyFirst->Release();
  }
  EXPECT_EQ(2u, RefCount(P(0)));
  {
    CQModifiedPropIterator local;  // on top of the creator's and it_'s reference to each property
    local.AddToList(P(0), nullptr, 0);
    local.AddToList(nullptr, P(1), 0);
    local.AddToList(P(0), P(0), 0);  // duplicates are two items, each holding its own references
    local.AddToListWithIndex(2, P(2), nullptr, 0);
    local.AddToListWithIndex(1, nullptr, P(2), 0);
    const ULONG held[] = {5, 3, 4};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(held[i], RefCount(P(i))) << i;
  }
  for (int i = 0; i < 3; ++i) EXPECT_EQ(2u, RefCount(P(i))) << "destruction gives back exactly what was stored";
}

TEST_F(ModifiedPropIteratorTest, FailedAppendHoldsNoReference) {
  {
    testing::AllocationFailure fail(1);
    EXPECT_THROW(it_.AddToList(P(0), P(1), 0), std::bad_alloc);
    EXPECT_TRUE(fail.Triggered());
  }
  EXPECT_EQ(1u, RefCount(P(0)));
  EXPECT_EQ(1u, RefCount(P(1)));
  // The lock was left on the way out: the iterator still appends.
  EXPECT_RESULT(kResultOk, it_.AddToList(P(0), nullptr, 0));
}

}  // namespace
}  // namespace Quenneth
