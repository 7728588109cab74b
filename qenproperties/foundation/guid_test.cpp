// White-box tests of identifier generation.
#include "qenproperties/foundation/guid.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "qenproperties/frame/result_codes.h"

namespace Quenneth {
namespace {

TEST(Guid, HasVersion4LayoutIsUniqueAndPrintsInRegistryForm) {
  EXPECT_EQ(QGenerateGUID(nullptr), kResultNullPointer);
  std::set<std::string> seen;
  for (int i = 0; i < 20000; ++i) {
    _QGUID id{};
    ASSERT_EQ(QGenerateGUID(&id), kResultOk);
    ASSERT_EQ(id.Data3 >> 12, 4);
    ASSERT_EQ(id.Data4[0] & 0xC0, 0x80);
    ASSERT_TRUE(seen.insert(QGuidToString(id)).second);
  }

  const _QGUID id{0x0A1B2C3D, 0x4E5F, 0x0607, {0x80, 0x09, 0xAB, 0xCD, 0xEF, 0x01, 0x02, 0xF3}};
  EXPECT_EQ(QGuidToString(id), "{0A1B2C3D-4E5F-0607-8009-ABCDEF0102F3}");
}

TEST(Guid, ThreadsDrawDifferentIdentifiers) {
  constexpr int kThreads = 4;
  constexpr int kEach = 5000;
  std::vector<std::vector<std::string>> drawn(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&drawn, t] {
      for (int i = 0; i < kEach; ++i) {
        _QGUID id{};
        QGenerateGUID(&id);
        drawn[t].push_back(QGuidToString(id));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> all;
  for (const auto& list : drawn) all.insert(list.begin(), list.end());
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
}
}  // namespace
}  // namespace Quenneth
