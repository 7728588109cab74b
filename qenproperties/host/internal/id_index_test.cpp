#include "qenproperties/host/internal/id_index.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

namespace Quenneth {
namespace host {
namespace detail {
namespace {

// Both ways of indexing, IDs close together (a table) and spread out (a hash table), find every ID at its
// position, nothing else, and name the first ID given twice.
TEST(IdIndex, FindsEveryIdAndNothingElseWhetherCloseOrSpread) {
  std::mt19937 random(42);
  for (const bool spread : {false, true}) {
    for (std::size_t size : {1u, 7u, 100u, 5000u}) {
      std::set<ULONG> used;
      std::vector<ULONG> ids;
      while (ids.size() < size) {
        const ULONG id = spread ? static_cast<ULONG>(random()) : 1000 + static_cast<ULONG>(random() % (size * 3));
        if (used.insert(id).second) ids.push_back(id);
      }
      IdIndex index;
      ASSERT_EQ(IdIndex::kNone, index.Build(ids));
      for (std::size_t i = 0; i < ids.size(); ++i) ASSERT_EQ(i, index.Find(ids[i]));
      for (int k = 0; k < 200; ++k) {
        const ULONG other = static_cast<ULONG>(random());
        if (used.count(other) == 0) {
          ASSERT_EQ(IdIndex::kNone, index.Find(other));
        }
      }
      ASSERT_EQ(IdIndex::kNone, index.Find(0));
      ASSERT_EQ(IdIndex::kNone, index.Find(0xFFFFFFFFu));
    }
  }
}

TEST(IdIndex, NamesTheFirstIdGivenTwiceAndKeepsItsFirstPosition) {
  IdIndex index;
  EXPECT_EQ(3u, index.Build({5, 6, 7, 6, 5}));
  EXPECT_EQ(1u, index.Find(6));
  EXPECT_EQ(2u, index.Build({0xFFFFFFFFu, 1, 0xFFFFFFFFu}));
  EXPECT_EQ(0u, index.Find(0xFFFFFFFFu));
  EXPECT_EQ(IdIndex::kNone, index.Build({}));
  EXPECT_EQ(IdIndex::kNone, index.Find(1)) << "a new build forgets the old IDs";
}

}  // namespace
}  // namespace detail
}  // namespace host
}  // namespace Quenneth
