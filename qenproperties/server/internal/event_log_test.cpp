#include "qenproperties/server/internal/event_log.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace Quenneth {
namespace server {
namespace detail {
namespace {

using std::chrono::milliseconds;

std::vector<std::string> Texts(const EventLog::Batch& batch) {
  std::vector<std::string> texts;
  for (const auto& frame : batch.frames) texts.push_back(*frame);
  return texts;
}

TEST(EventLogTest, AReaderGetsWhatCameAfterItJoinedInOrder) {
  EventLog log(16, 4);
  log.Append(1, "one");
  auto reader = log.Subscribe();
  ASSERT_TRUE(reader);
  EXPECT_EQ(1u, reader->Cursor());
  log.Append(2, "two");
  log.Append(3, "three");
  EventLog::Batch batch = log.Wait(*reader, milliseconds(0));
  EXPECT_EQ((std::vector<std::string>{"two", "three"}), Texts(batch));
  EXPECT_FALSE(batch.lost);
  EXPECT_EQ(3u, reader->Cursor());
  // Nothing new: the wait runs out with an empty batch.
  batch = log.Wait(*reader, milliseconds(10));
  EXPECT_TRUE(batch.frames.empty());
  EXPECT_FALSE(batch.closed);
}

TEST(EventLogTest, ASlowReaderIsToldItLostFramesAndGoesOnFromTheOldestKept) {
  EventLog log(3, 4);
  auto reader = log.Subscribe();
  for (std::uint64_t seq = 1; seq <= 5; ++seq) log.Append(seq, std::to_string(seq));
  const EventLog::Batch batch = log.Wait(*reader, milliseconds(0));
  EXPECT_TRUE(batch.lost);
  EXPECT_EQ((std::vector<std::string>{"3", "4", "5"}), Texts(batch));
}

TEST(EventLogTest, TheReaderCapHoldsAndFreedSlotsAreReused) {
  EventLog log(4, 2);
  auto a = log.Subscribe();
  auto b = log.Subscribe();
  EXPECT_TRUE(a && b);
  EXPECT_FALSE(log.Subscribe());
  EXPECT_EQ(2u, log.Subscribers());
  a.reset();
  EXPECT_EQ(1u, log.Subscribers());
  EXPECT_TRUE(log.Subscribe());
}

TEST(EventLogTest, CloseWakesAWaitingReaderAndRefusesNewOnes) {
  EventLog log(4, 2);
  auto reader = log.Subscribe();
  std::atomic<bool> closed{false};
  std::thread waiter([&] { closed = log.Wait(*reader, milliseconds(60000)).closed; });
  std::this_thread::sleep_for(milliseconds(20));
  const auto start = std::chrono::steady_clock::now();
  log.Close();
  waiter.join();
  EXPECT_TRUE(closed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_FALSE(log.Subscribe());
}

TEST(EventLogTest, ManyReadersEachSeeEveryFrameOfAConcurrentWriterInOrder) {
  constexpr int kReaders = 8;
  constexpr std::uint64_t kFrames = 2000;
  constexpr std::uint64_t kRing = 64;
  EventLog log(kRing, kReaders);
  std::vector<std::unique_ptr<EventLog::Subscription>> subscriptions;
  for (int i = 0; i < kReaders; ++i) subscriptions.push_back(log.Subscribe());
  std::vector<std::vector<std::uint64_t>> seen(kReaders);
  std::vector<std::atomic<std::uint64_t>> progress(kReaders);
  std::atomic<int> lost{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < kReaders; ++i) {
    readers.emplace_back([&, i] {
      while (seen[i].size() < kFrames) {
        const EventLog::Batch batch = log.Wait(*subscriptions[i], milliseconds(100));
        lost += batch.lost ? 1 : 0;
        for (const auto& frame : batch.frames) seen[i].push_back(std::stoull(*frame));
        progress[i] = seen[i].size();
      }
    });
  }
  for (std::uint64_t seq = 1; seq <= kFrames; ++seq) {
    log.Append(seq, std::to_string(seq));
    // The writer never runs a ring ahead of the slowest reader, so nothing may be lost.
    for (int i = 0; i < kReaders; ++i) {
      while (seq - progress[i] >= kRing - 1) std::this_thread::yield();
    }
  }
  for (auto& t : readers) t.join();
  EXPECT_EQ(0, lost.load());
  for (int i = 0; i < kReaders; ++i) {
    ASSERT_EQ(kFrames, seen[i].size());
    for (std::uint64_t k = 0; k < kFrames; ++k) ASSERT_EQ(k + 1, seen[i][k]) << "reader " << i;
  }
  subscriptions.clear();
}

}  // namespace
}  // namespace detail
}  // namespace server
}  // namespace Quenneth
