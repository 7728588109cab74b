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

// Reads one item and gives back the references the getter handed out, so counts stay comparable.
struct Item {
  IQProperty* first = nullptr;
  IQProperty* second = nullptr;
  ULONG status = 0xDEADBEEF;
  void Drop() {
    if (first != nullptr) first->Release();
    if (second != nullptr) second->Release();
  }
};

class ModifiedPropIteratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (ULONG i = 0; i < 3; ++i) {
      props_[i] = QRef<CQLongProperty>::Adopt(new CQLongProperty(&host_, nullptr));
    }
  }
  void TearDown() override {
    owned_.reset();  // gives back what the tests left stored
    for (auto& p : props_) {
      EXPECT_EQ(1u, RefCount(p.get()));
      p.reset();
    }
    EXPECT_EQ(0u, host_.Count());
  }
  IQProperty* P(int i) { return props_[i].get(); }

  CountingServicesManager host_;
  QRef<CQLongProperty> props_[3];
  std::unique_ptr<CQModifiedPropIterator> owned_{new CQModifiedPropIterator()};
  CQModifiedPropIterator& it_ = *owned_;
};

// A null pair is stored and handed back like any other.
TEST_F(ModifiedPropIteratorTest, PlainListReadsInInsertionOrderThenEnds) {
  IQProperty* const pairs[4][2] = {{P(0), P(1)}, {P(1), P(2)}, {P(2), P(0)}, {nullptr, nullptr}};
  for (ULONG n = 0; n < 4; ++n) EXPECT_RESULT(kResultOk, it_.AddToList(pairs[n][0], pairs[n][1], 10 + n));

  for (ULONG n = 0; n < 4; ++n) {
    Item item{P(2), P(2)};  // every read overwrites these, the null pair with nulls
    ASSERT_RESULT(kResultOk, n == 0 ? it_.GetFirstModifiedProperty(&item.first, &item.second, &item.status)
                                    : it_.GetNextModifiedProperty(&item.first, &item.second, &item.status));
    EXPECT_EQ(pairs[n][0], item.first) << n;
    EXPECT_EQ(pairs[n][1], item.second) << n;
    EXPECT_EQ(10 + n, item.status) << n;
    item.Drop();
  }
  Item end;
  EXPECT_RESULT(kResultNotAvailable, it_.GetNextModifiedProperty(&end.first, &end.second, &end.status));
  EXPECT_EQ(nullptr, end.first);
  EXPECT_EQ(0xDEADBEEFu, end.status);

  // A new first read starts from the head again.
  Item again;
  ASSERT_RESULT(kResultOk, it_.GetFirstModifiedProperty(&again.first, &again.second, &again.status));
  EXPECT_EQ(10u, again.status);
  again.Drop();
}

TEST_F(ModifiedPropIteratorTest, MissingOutParametersAreRefusedWithoutMovingTheCursor) {
  it_.AddToList(P(0), nullptr, 1);
  it_.AddToList(P(1), nullptr, 2);
  Item item;
  EXPECT_RESULT(kResultNullPointer, it_.GetFirstModifiedProperty(nullptr, &item.second, &item.status));
  EXPECT_RESULT(kResultNullPointer, it_.GetFirstModifiedProperty(&item.first, nullptr, &item.status));
  EXPECT_RESULT(kResultNullPointer, it_.GetFirstModifiedProperty(&item.first, &item.second, nullptr));
  ASSERT_RESULT(kResultOk, it_.GetFirstModifiedProperty(&item.first, &item.second, &item.status));
  item.Drop();
  EXPECT_RESULT(kResultNullPointer, it_.GetNextModifiedProperty(&item.first, nullptr, &item.status));
  ASSERT_RESULT(kResultOk, it_.GetNextModifiedProperty(&item.first, &item.second, &item.status));
  EXPECT_EQ(2u, item.status);
  item.Drop();
}

TEST_F(ModifiedPropIteratorTest, TheTwoCollectionsStartEmptyAndDoNotSeeEachOther) {
  Item item;
  EXPECT_RESULT(kResultNotAvailable, it_.GetFirstModifiedProperty(&item.first, &item.second, &item.status));
  EXPECT_RESULT(kResultNotAvailable, it_.GetNextModifiedProperty(&item.first, &item.second, &item.status));
  EXPECT_RESULT(kResultIndexOutOfRange, it_.GetNtheProperty(0, &item.first, &item.second, &item.status));
  EXPECT_EQ(nullptr, item.first);
  EXPECT_EQ(0xDEADBEEFu, item.status) << "a fresh iterator writes nothing";

  it_.AddToList(P(0), P(1), 1);
  EXPECT_RESULT(kResultIndexOutOfRange, it_.GetNtheProperty(0, &item.first, &item.second, &item.status));

  CQModifiedPropIterator indexedOnly;
  indexedOnly.AddToListWithIndex(4, P(0), P(1), 1);
  EXPECT_RESULT(kResultNotAvailable, indexedOnly.GetFirstModifiedProperty(&item.first, &item.second, &item.status));
  EXPECT_RESULT(kResultIndexOutOfRange, indexedOnly.GetNtheProperty(1, nullptr, nullptr, nullptr));
  EXPECT_RESULT(kResultOk, indexedOnly.GetNtheProperty(0, nullptr, nullptr, nullptr));
}

TEST_F(ModifiedPropIteratorTest, SortOrdersTheIndexedSequenceByIndex) {
  EXPECT_RESULT(kResultOk, it_.SortIterator());  // empty sorts to empty
  it_.AddToListWithIndex(5, P(0), nullptr, 50);
  it_.AddToListWithIndex(1, P(1), nullptr, 10);
  it_.AddToListWithIndex(0xFFFFFFFF, nullptr, P(0), 99);  // compared unsigned: goes last
  it_.AddToListWithIndex(3, P(2), nullptr, 30);
  EXPECT_RESULT(kResultOk, it_.SortIterator());

  const ULONG expectedStatus[] = {10, 30, 50, 99};
  IQProperty* const expectedFirst[] = {P(1), P(2), P(0), nullptr};
  for (ULONG n = 0; n < 4; ++n) {
    Item item;
    ASSERT_RESULT(kResultOk, it_.GetNtheProperty(n, &item.first, &item.second, &item.status));
    EXPECT_EQ(expectedStatus[n], item.status) << n;
    EXPECT_EQ(expectedFirst[n], item.first) << n;
    item.Drop();
  }
  // Sorting moves the pointers without touching their counts: each is held once per stored pointer.
  EXPECT_EQ(3u, RefCount(P(0)));
  EXPECT_EQ(2u, RefCount(P(1)));
  EXPECT_EQ(2u, RefCount(P(2)));
}

TEST_F(ModifiedPropIteratorTest, EveryReadAndEveryStoredPointerHoldsOneReference) {
  it_.AddToList(P(0), P(1), 0);
  it_.AddToListWithIndex(0, P(2), nullptr, 0);
  EXPECT_EQ(2u, RefCount(P(0)));

  Item a, b;
  it_.GetFirstModifiedProperty(&a.first, &a.second, &a.status);
  it_.GetFirstModifiedProperty(&b.first, &b.second, &b.status);
  EXPECT_EQ(4u, RefCount(P(0)));
  EXPECT_EQ(4u, RefCount(P(1)));

  IQProperty* onlyFirst = nullptr;
  EXPECT_RESULT(kResultOk, it_.GetNtheProperty(0, &onlyFirst, nullptr, nullptr));
  EXPECT_EQ(3u, RefCount(P(2)));
  onlyFirst->Release();
  a.Drop();
  b.Drop();
  EXPECT_EQ(2u, RefCount(P(0)));

  {
    CQModifiedPropIterator local;  // on top of the creator's and it_'s reference to each property
    local.AddToList(P(0), nullptr, 0);
    local.AddToList(nullptr, P(1), 0);
    local.AddToList(P(0), P(0), 0);  // duplicates are two items, each holding its own references
    local.AddToListWithIndex(2, P(2), nullptr, 0);
    local.AddToListWithIndex(1, nullptr, P(2), 0);
    EXPECT_EQ(5u, RefCount(P(0)));
    EXPECT_EQ(3u, RefCount(P(1)));
    EXPECT_EQ(4u, RefCount(P(2)));
  }
  EXPECT_EQ(2u, RefCount(P(0))) << "destruction gives back exactly what was stored";
  EXPECT_EQ(2u, RefCount(P(1)));
  EXPECT_EQ(2u, RefCount(P(2)));
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
