#include "qenproperties/internal/identity_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "qenproperties/testing/allocation_failure.h"

namespace Quenneth {
namespace {

using detail::IdentityKey;
using Table = detail::IdentityTable<std::unique_ptr<int>>;

IdentityKey KeyOf(std::uint32_t n) {
  _QGUID id{};
  id.Data1 = n * 2654435761u;
  id.Data2 = static_cast<std::uint16_t>(n);
  return IdentityKey::Of(id);
}

// ValuesOf lists every value of `key` in the order Find meets them.
std::vector<int> ValuesOf(Table& table, const IdentityKey& key) {
  std::vector<int> values;
  table.Find(key, [&](const std::unique_ptr<int>& value) {
    values.push_back(*value);
    return false;
  });
  return values;
}

// Random additions and removals, many values on a few keys among many keys with one value, checked against a
// map of lists after every step: every key's values are found, in the order they were added, across the
// table's growth (whose runs wrap around its end) and the moves that follow a removal.
TEST(IdentityTable, KeepsEachKeysValuesInOrderThroughGrowthAndRemoval) {
  std::mt19937 random(7);
  Table table;
  std::map<std::uint32_t, std::vector<int>> model;
  int next = 0;
  std::size_t count = 0;
  for (int step = 0; step < 6000; ++step) {
    const bool crowded = random() % 4 == 0;
    const std::uint32_t key = crowded ? random() % 3 : 3 + random() % 400;
    std::vector<int>& values = model[key];
    if (random() % 3 != 0 || values.empty()) {
      table.Add(KeyOf(key), std::make_unique<int>(next));
      values.push_back(next++);
      ++count;
    } else {
      const int removed = values[random() % values.size()];
      std::unique_ptr<int>* at =
          table.Find(KeyOf(key), [&](const std::unique_ptr<int>& value) { return *value == removed; });
      ASSERT_NE(at, nullptr);
      table.Remove(KeyOf(key), at);
      values.erase(std::find(values.begin(), values.end(), removed));
      --count;
    }
    ASSERT_EQ(table.Size(), count);
    ASSERT_EQ(ValuesOf(table, KeyOf(key)), values) << step;
    if (step % 100 == 0) {
      for (const auto& entry : model) ASSERT_EQ(ValuesOf(table, KeyOf(entry.first)), entry.second) << step;
    }
  }
  std::size_t visited = 0;
  table.ForEach([&](std::unique_ptr<int>& value) { visited += value != nullptr ? 1 : 0; });
  EXPECT_EQ(visited, count);
  EXPECT_TRUE(ValuesOf(table, KeyOf(100000)).empty());
}

TEST(IdentityTable, KeysDifferingOnlyInTheirLastFourBytesAreOne) {
  _QGUID a{};
  a.Data1 = 5;
  _QGUID b = a;
  b.Data4[4] = 1;
  b.Data4[7] = 9;
  _QGUID c = a;
  c.Data4[3] = 1;
  Table table;
  table.Add(IdentityKey::Of(a), std::make_unique<int>(1));
  EXPECT_EQ(ValuesOf(table, IdentityKey::Of(b)), std::vector<int>{1});
  EXPECT_TRUE(ValuesOf(table, IdentityKey::Of(c)).empty());
}

TEST(IdentityTable, AFailedGrowthLeavesTheTableAsItWas) {
  Table table;
  for (std::uint32_t i = 0; i < 8; ++i) table.Add(KeyOf(i), std::make_unique<int>(static_cast<int>(i)));
  auto value = std::make_unique<int>(8);  // made before the failure is armed
  {
    testing::AllocationFailure fail(1);
    EXPECT_THROW(table.Add(KeyOf(8), std::move(value)), std::bad_alloc);  // the ninth fills half of 16
  }
  EXPECT_EQ(table.Size(), 8u);
  for (std::uint32_t i = 0; i < 8; ++i) EXPECT_EQ(ValuesOf(table, KeyOf(i)), std::vector<int>{static_cast<int>(i)});
  EXPECT_TRUE(ValuesOf(table, KeyOf(8)).empty());
}

}  // namespace
}  // namespace Quenneth
