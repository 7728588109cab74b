// Eight clients set values at once over HTTP while eight event streams watch. The server must serialise the
// changes: the applied ones, replayed one by one on a fresh panel in the order of their sequence numbers, give
// the same changes and the same final state; and every stream sees every sequence number once, in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "qenproperties/host/kinds.h"
#include "qenproperties/host/panel.h"
#include "qenproperties/host/sample_panel.h"
#include "qenproperties/host/text.h"
#include "qenproperties/server/testing/test_client.h"

namespace Quenneth {
namespace server {
namespace testing {
namespace {

constexpr int kClients = 8;
constexpr int kSetsPerClient = 1000;

struct Applied {
  std::uint64_t seq;
  std::string name;
  std::string value;
  Json changes;
};

// RandomAssignment picks a property and a value; some values break a limit and are refused.
std::pair<std::string, std::string> RandomAssignment(std::mt19937& random) {
  static const std::vector<std::string> codecs = {"H.264", "H.265", "VP9", "AV1", "Custom (18000)"};
  static const std::vector<std::string> containers = {"MP4", "MKV", "WebM"};
  static const std::vector<std::string> ratios = {"16:9", "4:3", "21:9", "1:1", "3:2"};
  auto pick = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  switch (pick(0, 7)) {
    case 0: return {"Codec", codecs[pick(0, 4)]};
    case 1: return {"Container", containers[pick(0, 2)]};
    case 2: return {"Bitrate", std::to_string(pick(5, 600) * 100)};
    case 3: return {"Width", std::to_string(pick(8, 1800) * 2)};
    case 4: return {"Height", std::to_string(pick(8, 1000) * 2)};
    case 5: return {"Aspect ratio", ratios[pick(0, 4)]};
    case 6: return {"Quality", std::to_string(pick(1, 100))};
    default: return {"Title", "t" + std::to_string(pick(0, 9))};
  }
}

TEST(ServerConcurrencyTest, ConcurrentSetsEqualASerialReplayAndEveryStreamIsGapless) {
  TestServer server;
  std::vector<std::unique_ptr<EventReader>> streams;
  for (int i = 0; i < kClients; ++i) {
    streams.push_back(std::make_unique<EventReader>(server.Port()));
    ASSERT_TRUE(streams.back()->WaitForHello());
  }

  std::vector<std::vector<Applied>> applied(kClients);
  std::vector<int> failures(kClients, 0);
  std::vector<std::thread> clients;
  for (int i = 0; i < kClients; ++i) {
    clients.emplace_back([&, i] {
      Client client(server.Port(), server.Token());
      std::mt19937 random(static_cast<std::mt19937::result_type>(1000 + i));
      for (int k = 0; k < kSetsPerClient; ++k) {
        const auto assignment = RandomAssignment(random);
        const Answer a = client.Post("/api/v1/set", {{"name", assignment.first}, {"value", assignment.second}});
        if (a.status == 409) continue;
        if (a.status != 200) {
          ++failures[i];
          continue;
        }
        // An answer carries a sequence number when its change was published, that is when it changed something.
        if (a.body.contains("seq")) {
          applied[i].push_back({a.body["seq"], assignment.first, assignment.second, a.body["changes"]});
        }
      }
    });
  }
  for (auto& t : clients) t.join();
  for (int i = 0; i < kClients; ++i) EXPECT_EQ(0, failures[i]) << "client " << i;

  std::vector<Applied> all;
  for (auto& list : applied) all.insert(all.end(), list.begin(), list.end());
  std::sort(all.begin(), all.end(), [](const Applied& a, const Applied& b) { return a.seq < b.seq; });
  const std::uint64_t last = server.Get("/api/v1/panel").body["seq"];
  ASSERT_EQ(last, all.size()) << "every applied change has its own sequence number";
  ASSERT_GT(all.size(), static_cast<std::size_t>(kClients * kSetsPerClient / 4));

  // The serial replay, on a panel of its own, gives the changes each client was told about.
  host::DocumentError problem;
  auto replay = host::Panel::FromJson(host::SamplePanelDescription(), &problem);
  for (std::size_t k = 0; k < all.size(); ++k) {
    ASSERT_EQ(k + 1, all[k].seq);
    const host::Panel::Outcome outcome = replay->Set(all[k].name, all[k].value);
    ASSERT_EQ(0u, outcome.code) << "seq " << all[k].seq << ": " << all[k].name << "=" << all[k].value;
    Json changes = Json::array();
    for (const auto& c : outcome.changes)
      changes.push_back({{"name", c.name}, {"before", c.before}, {"after", c.after}});
    ASSERT_EQ(all[k].changes, changes) << "seq " << all[k].seq;
  }
  std::map<std::string, std::string> replayed;
  for (std::size_t i = 0; i < replay->Count(); ++i) {
    if (host::KindOf(replay->At(i)).keepsPreset) {
      replayed[host::NameOf(replay->At(i))] = host::ValueText(replay->At(i));
    }
  }
  std::map<std::string, std::string> served = server.Values();
  for (auto it = served.begin(); it != served.end();) it = it->second.empty() ? served.erase(it) : std::next(it);
  EXPECT_EQ(replayed, served);

  for (int i = 0; i < kClients; ++i) {
    ASSERT_TRUE(streams[i]->WaitForSeq(last)) << "stream " << i;
    const std::vector<Event> events = streams[i]->Events();
    ASSERT_EQ(last + 1, events.size()) << "stream " << i;
    EXPECT_EQ("hello", events[0].name);
    for (std::uint64_t k = 1; k <= last; ++k) {
      ASSERT_EQ("change", events[k].name) << "stream " << i;
      ASSERT_EQ(k, events[k].id) << "stream " << i;
      ASSERT_EQ(k, events[k].data["seq"]) << "stream " << i;
    }
  }
}

}  // namespace
}  // namespace testing
}  // namespace server
}  // namespace Quenneth
